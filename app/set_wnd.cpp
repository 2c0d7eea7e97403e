#include "app/set_wnd.h"

#include <QComboBox>
#include <QString>

#include "core/log.h"
#include "ui/combo.h"
#include "ui/container.h"
#include "ui/control.h"
#include "ui/paint_manager.h"

namespace {

constexpr char kLanguageCombo[] = "Language_combox_info";
constexpr char kPages[] = "setwnd_tab";
constexpr char kGeneralOption[] = "setwnd_general_opt";
constexpr char kUpdateOption[] = "setwnd_update_opt";
constexpr char kClose[] = "closebtn";

// Offsets of the "setbtn" placement at 96 DPI.
constexpr int kRightMargin = 30;
constexpr int kTopOffset = 60;

int ScaleBy(int value, int dpi) {
    return (value * dpi + 48) / 96;
}

}  // namespace

CSetWnd::CSetWnd(std::vector<std::string> languages, int current, LanguageChosen on_chosen)
    : m_languages(std::move(languages)),
      m_languageIndex(current),
      m_onChosen(std::move(on_chosen)) {}

CSetWnd::~CSetWnd() = default;

TPointUI CSetWnd::PositionBesideSetButton(const TRectUI& main_window, int settings_width, int dpi) {
    return TPointUI{main_window.right - settings_width - ScaleBy(kRightMargin, dpi),
                    main_window.top + ScaleBy(kTopOffset, dpi)};
}

void CSetWnd::InitWindow() {
    FillLanguages();
    m_dpiFollower = std::make_unique<CDpiFollower>(*this);
}

void CSetWnd::FillLanguages() {
    auto* combo = dynamic_cast<CComboUI*>(m_pm.FindControl(kLanguageCombo));
    if (!combo) {
        tirk::log::Bug("setwnd.xml has no combo Language_combox_info");
        return;
    }
    combo->RemoveAll();
    for (const std::string& text : m_languages) combo->AddItem(text);
    combo->SelectItem(m_languageIndex, false, false);
}

void CSetWnd::Notify(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const std::string& name = msg.pSender->GetName();
    if (msg.sType == notify_type::kItemSelect && name == kLanguageCombo) {
        m_languageIndex = int(msg.wParam);
        if (m_onChosen) m_onChosen(m_languageIndex);
    } else if (msg.sType == notify_type::kSelectChanged) {
        if (name == kGeneralOption) ShowPage(0);
        if (name == kUpdateOption) ShowPage(1);
    } else if (msg.sType == notify_type::kClick && name == kClose) {
        RequestClose();
    }
}

void CSetWnd::ShowPage(int page) {
    if (auto* pages = dynamic_cast<CTabLayoutUI*>(m_pm.FindControl(kPages)))
        pages->SelectItem(page);
}

void CSetWnd::OnLanguageChanged(int index) {
    m_languageIndex = index;
    if (auto* combo = dynamic_cast<CComboUI*>(m_pm.FindControl(kLanguageCombo)))
        combo->SelectItem(index, false, false);
    if (CControlUI* root = GetRoot()) root->Invalidate();
}

void CSetWnd::OnSettingsRelay(intptr_t w_param, intptr_t l_param) {
    // The update page takes the updater's report here once it exists.
    tirk::log::Printf("settings relay %ld %ld", long(w_param), long(l_param));
    RequestClose();
}

void CSetWnd::RequestClose() {
    // The update page will refuse while a download or an update runs.
    if (!HandleCloseRequest()) Close(0);
}
