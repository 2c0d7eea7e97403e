#include "app/page_router.h"

#include <algorithm>
#include <cctype>

#include "app/app_globals.h"
#include "device/family/family_devices.h"
#include "ui/button.h"
#include "device/page/indexed_name.h"
#include "ui/control.h"

namespace tirk {
namespace {

// Control names are compared without regard to case.
std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::optional<bool> OptionState(const RouteCall& call) {
    auto* option = dynamic_cast<COptionUI*>(call.msg.pSender);
    if (!option) return std::nullopt;
    return option->IsSelected();
}

bool BecameSelected(const RouteCall& call) {
    return OptionState(call).value_or(false);
}

void SendDeviceSettings(CTelvorinFamilyDevice& device) {
    device.WriteDeviceSettings(0, 0, 1, Globals().screen_width, Globals().screen_height);
}

void CPageRouter::AddRoutes(std::span<const PageRoute> routes) {
    for (const PageRoute& route : routes) {
        auto& table = route.indexed ? m_indexed : m_exact;
        table[{route.type, Lower(route.name)}] = &route;
    }
}

const PageRoute* CPageRouter::Find(const std::string& type, const std::string& name,
                                   int& index) const {
    index = -1;
    const std::string lower = Lower(name);
    if (auto exact = m_exact.find({type, lower}); exact != m_exact.end()) return exact->second;
    const page::IndexedName split = page::SplitIndexedName(lower);
    if (split.number < 0) return nullptr;
    auto indexed = m_indexed.find({type, split.prefix});
    if (indexed == m_indexed.end()) return nullptr;
    index = split.number;
    return indexed->second;
}

bool CPageRouter::Route(TNotifyUI& msg, IPageServices& services) const {
    if (!msg.pSender) return false;
    int index = -1;
    const PageRoute* route = Find(msg.sType, msg.pSender->GetName(), index);
    if (!route) return false;
    if (CTelvorinFamilyDevice* device = services.CurrentDevice()) {
        RouteCall call{msg, services, *device, index};
        route->handler(call);
    }
    return true;
}

}  // namespace tirk
