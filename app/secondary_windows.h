// The main window's secondary windows of the language and settings family:
// the language controller (applied at window init and whenever the settings
// window chooses one), the settings window and the about window, and the
// settings relay. CMainWnd owns one and calls it from its handlers; the
// windows themselves live in app/set_wnd.h and app/about_wnd.h.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "app/language.h"
#include "app/set_wnd.h"

class CAboutWnd;
class WindowImplBase;

namespace tirk {

/// The main window's satellite handle slots these windows occupy while open.
inline constexpr int kSettingsSatellite = 0;
inline constexpr int kAboutSatellite = 3;

class SecondaryWindows {
public:
    struct Paths {
        std::string languageConfig;  ///< Language.config
        std::string settings;        ///< the settings file
    };
    /// Language.config of the installation folder (the UI layer's instance
    /// path) and SettingsStore::DefaultPath().
    static Paths DefaultPaths();

    /// `main`: the main window (owner, placement, repaint); `satellites`: its
    /// satellite handles, of which kSettingsSatellite and kAboutSatellite hold
    /// the open settings and about windows (both outlive this object);
    /// `refresh_device_texts`: asks every device object to refresh its texts.
    /// Also gives the secondary windows the main window's monitor DPI rule.
    SecondaryWindows(WindowImplBase& main, std::span<WindowImplBase*> satellites,
                     std::function<void()> refresh_device_texts, Paths paths = DefaultPaths());
    ~SecondaryWindows();

    LanguageController& Language() { return m_language; }

    /// Window init: reads and applies the saved language.
    void ApplySavedLanguage();
    /// The settings window chose a language: apply it, then refresh the
    /// device objects' texts. Nothing when it is the current one.
    void OnLanguageChosen(int index);

    /// Opens the settings window modally ("setbtn": kBesideSetButton; tray
    /// menu and the open-settings request: kCentred) and returns its close
    /// code. When one is open already it is brought to the front and -1
    /// returned; -1 also when the layout cannot be loaded (logged).
    int OpenSettings(SetWndPlacement placement);
    /// Opens the about window modally, centred. -1 as OpenSettings.
    int OpenAbout();
    /// The settings relay: handed on to the open settings window (from the
    /// event loop); ignored when none is open.
    void OnSettingsRelay(std::intptr_t w_param, std::intptr_t l_param);

    /// The open settings window, nullptr when none.
    CSetWnd* GetSettingsWindow() const;

private:
    LanguageController::Hooks LanguageHooks();
    /// Creates `window` owned by the main window at its DPI; false when the
    /// layout cannot be loaded (logged).
    bool CreateSatellite(WindowImplBase& window, const char* title);
    int RunSatellite(WindowImplBase& window, int slot);

    WindowImplBase& m_main;
    std::span<WindowImplBase*> m_satellites;
    std::function<void()> m_refreshDeviceTexts;
    LanguageController m_language;
};

}  // namespace tirk
