#include "ui/control_factory.h"

#include "ui/internal/attributes.h"

using tirk::ui::ToLower;

CControlFactory* CControlFactory::GetInstance() {
    static CControlFactory factory;
    return &factory;
}

void CControlFactory::RegistControl(const std::string& className, Creator creator) {
    m_creators[ToLower(className)] = std::move(creator);
}

const CControlFactory::Creator* CControlFactory::Find(const std::string& className) const {
    auto found = m_creators.find(ToLower(className));
    if (found == m_creators.end()) found = m_creators.find(ToLower("C" + className + "UI"));
    return found == m_creators.end() ? nullptr : &found->second;
}

CControlUI* CControlFactory::CreateControl(const std::string& className) const {
    const Creator* creator = Find(className);
    return creator && *creator ? (*creator)() : nullptr;
}

bool CControlFactory::IsRegistered(const std::string& className) const {
    return Find(className) != nullptr;
}
