#include "app/secondary_windows.h"

#include <QWidget>

#include "app/about_wnd.h"
#include "app/fit_to_monitor.h"
#include "core/log.h"
#include "core/settings_store.h"
#include "ui/control.h"
#include "ui/dpi_follow.h"
#include "ui/paint_manager.h"

namespace tirk {

SecondaryWindows::Paths SecondaryWindows::DefaultPaths() {
    std::string folder = CPaintManagerUI::GetInstancePath();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return Paths{LanguageConfigPath(folder), SettingsStore::DefaultPath()};
}

SecondaryWindows::SecondaryWindows(WindowImplBase& main, std::span<WindowImplBase*> satellites,
                                   std::function<void()> refresh_device_texts, Paths paths)
    : m_main(main),
      m_satellites(satellites),
      m_refreshDeviceTexts(std::move(refresh_device_texts)),
      m_language(std::move(paths.languageConfig), std::move(paths.settings), LanguageHooks()) {
    // A secondary window on another screen takes the DPI the main window
    // would take there.
    SetScreenDpiRule([](const TScreenMetricsUI& screen) {
        return FitToMonitor(screen.width, screen.height).dpi;
    });
}

SecondaryWindows::~SecondaryWindows() = default;

LanguageController::Hooks SecondaryWindows::LanguageHooks() {
    LanguageController::Hooks hooks;
    hooks.repaint = [this] {
        if (CControlUI* root = m_main.GetRoot()) root->Invalidate();
    };
    hooks.notifyWindows = [this](int index) {
        for (WindowImplBase* window : m_satellites) {
            if (auto* receiver = dynamic_cast<ILanguageReceiver*>(window))
                receiver->OnLanguageChanged(index);
        }
    };
    hooks.relayout = [this] {
        if (CControlUI* root = m_main.GetRoot()) root->NeedUpdate();
    };
    return hooks;
}

void SecondaryWindows::ApplySavedLanguage() {
    m_language.ApplySaved();
}

void SecondaryWindows::OnLanguageChosen(int index) {
    if (m_language.Apply(index) && m_refreshDeviceTexts) m_refreshDeviceTexts();
}

CSetWnd* SecondaryWindows::GetSettingsWindow() const {
    return dynamic_cast<CSetWnd*>(m_satellites[kSettingsSatellite]);
}

bool SecondaryWindows::CreateSatellite(WindowImplBase& window, const char* title) {
    if (!window.Create(&m_main, title)) {
        log::FileFault(window.GetSkinFile(), window.GetLoadError());
        return false;
    }
    ApplyWindowDpi(window, m_main.GetPaintManager().GetDPI());
    return true;
}

int SecondaryWindows::RunSatellite(WindowImplBase& window, int slot) {
    m_satellites[size_t(slot)] = &window;
    const int code = window.ShowModal();
    // "exit" may have cleared the slot (and closed the window) meanwhile.
    if (m_satellites[size_t(slot)] == &window) m_satellites[size_t(slot)] = nullptr;
    return code;
}

int SecondaryWindows::OpenSettings(SetWndPlacement placement) {
    if (CSetWnd* open = GetSettingsWindow()) {
        open->BringToFront();
        return -1;
    }
    std::vector<std::string> texts;
    for (const LanguageEntry& entry : m_language.GetList().entries) texts.push_back(entry.text);
    CSetWnd window(std::move(texts), m_language.GetCurrentIndex(), [this](int index) {
        // As a posted message: the combo finishes its own event first.
        m_main.PostTask([this, index] { OnLanguageChosen(index); });
    });
    if (!CreateSatellite(window, "SetWnd")) return -1;
    if (placement == SetWndPlacement::kBesideSetButton) {
        const TPointUI at = CSetWnd::PositionBesideSetButton(
            m_main.GetWindowRect(), window.GetWidget()->frameGeometry().width(),
            m_main.GetPaintManager().GetDPI());
        window.GetWidget()->move(at.x, at.y);
    } else {
        window.CenterWindow();
    }
    return RunSatellite(window, kSettingsSatellite);
}

int SecondaryWindows::OpenAbout() {
    if (WindowImplBase* open = m_satellites[kAboutSatellite]) {
        open->BringToFront();
        return -1;
    }
    CAboutWnd window;
    if (!CreateSatellite(window, "AboutWnd")) return -1;
    window.CenterWindow();
    return RunSatellite(window, kAboutSatellite);
}

void SecondaryWindows::OnSettingsRelay(std::intptr_t w_param, std::intptr_t l_param) {
    CSetWnd* window = GetSettingsWindow();
    if (!window) return;
    window->PostTask([window, w_param, l_param] { window->OnSettingsRelay(w_param, l_param); });
}

}  // namespace tirk
