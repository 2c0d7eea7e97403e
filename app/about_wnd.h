// CAboutWnd: the about window (tray menu "about_menu"): the product, the
// program's version and the homepage button. Modal, centred, 800 × 572.
#pragma once

#include <memory>
#include <string>

#include "app/language.h"
#include "ui/dpi_follow.h"
#include "ui/window_impl.h"

namespace tirk {
/// The program's version ("0.1.0"), the one `tirk --version` prints.
const char* ProgramVersion();
}  // namespace tirk

class CAboutWnd : public WindowImplBase, public tirk::ILanguageReceiver {
public:
    /// Size at 96 DPI.
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;

    CAboutWnd();
    ~CAboutWnd() override;

    std::string GetSkinFile() override { return "AboutWnd.xml"; }
    std::string GetWindowClassName() const override { return "AboutWnd"; }
    /// Fills "software_ver_label".
    void InitWindow() override;
    /// "closebtn" closes, "minbtn", "maxbtn", "restorebtn" minimise, maximise
    /// and restore; "homepage_btn" does nothing.
    void Notify(TNotifyUI& msg) override;
    /// The version line follows the language.
    void OnLanguageChanged(int index) override;

    /// The text of "software_ver_label": the current language's
    /// "software_rev_text" followed by the version.
    static std::string VersionText();

private:
    void ShowMaximizedButtons(bool maximized);

    std::unique_ptr<CDpiFollower> m_dpiFollower;
};
