#include "app/about_wnd.h"

#include "ui/control.h"
#include "ui/resource_manager.h"

#ifndef TIRK_VERSION
#error "TIRK_VERSION must be defined by the build"
#endif

namespace tirk {
const char* ProgramVersion() {
    return TIRK_VERSION;
}
}  // namespace tirk

namespace {
constexpr char kVersionLabel[] = "software_ver_label";
}  // namespace

CAboutWnd::CAboutWnd() = default;
CAboutWnd::~CAboutWnd() = default;

std::string CAboutWnd::VersionText() {
    return CResourceManager::GetInstance()->GetText("software_rev_text") + tirk::ProgramVersion();
}

void CAboutWnd::InitWindow() {
    OnLanguageChanged(0);
    m_dpiFollower = std::make_unique<CDpiFollower>(*this);
}

void CAboutWnd::OnLanguageChanged(int /*index*/) {
    if (CControlUI* label = m_pm.FindControl(kVersionLabel)) label->SetText(VersionText());
}

void CAboutWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != notify_type::kClick || !msg.pSender) return;
    const std::string& name = msg.pSender->GetName();
    if (name == "closebtn") {
        Close(0);
    } else if (name == "minbtn") {
        Minimize();
    } else if (name == "maxbtn") {
        Maximize();
        ShowMaximizedButtons(true);
    } else if (name == "restorebtn") {
        Restore();
        ShowMaximizedButtons(false);
    }
    // "homepage_btn" has no action.
}

void CAboutWnd::ShowMaximizedButtons(bool maximized) {
    if (CControlUI* max = m_pm.FindControl("maxbtn")) max->SetVisible(!maximized);
    if (CControlUI* restore = m_pm.FindControl("restorebtn")) restore->SetVisible(maximized);
}
