// The main window with its languages: the saved language at window init, the
// settings window from "setbtn" changing the whole window's texts, the about
// window from the tray menu closed with the satellites.
#include <gtest/gtest.h>

#include <QTimer>
#include <functional>

#include "app/secondary_windows.h"
#include "core/atomic_file.h"
#include "ui/combo.h"
#include "ui/resource_manager.h"
#include "window_fixture.h"

namespace tirk {
namespace {

class MainWindowLanguageTest : public MainWindowFixture {
protected:
    std::string SettingsPath() const {
        return hid_root_.path().toStdString() + "/config/TIRK/settings.ini";
    }
    void SaveLanguage(int id) {
        ASSERT_TRUE(
            WriteFileAtomic(SettingsPath(), "[TIRK]\nLANGUAGE=" + std::to_string(id) + "\n"));
    }
    std::string SettingsText() const {
        std::string content;
        return ReadWholeFile(SettingsPath(), content) ? content : "(none)";
    }
    // Runs `inside` from the event loop once `ready` holds (for modal windows).
    void WhenReady(std::function<bool()> ready, std::function<void()> inside) {
        timer_ = std::make_unique<QTimer>();
        QObject::connect(timer_.get(), &QTimer::timeout, [this, ready, inside] {
            if (!ready()) return;
            timer_->stop();
            ran_ = true;
            inside();
        });
        timer_->start(10);
    }

    std::unique_ptr<QTimer> timer_;
    bool ran_ = false;
};

TEST_F(MainWindowLanguageTest, WindowInitAppliesTheSavedLanguageWithItsFonts) {
    SaveLanguage(1031);
    CreateWindow();
    ASSERT_TRUE(WaitShownAfterFirstScan());
    EXPECT_EQ(window_->Secondary()->Language().GetCurrentIndex(), 3);
    EXPECT_EQ(Find("control_light_status")->GetText(), "Lichtsteuerung");
    EXPECT_EQ(Find("setbtn")->GetToolTip(), "Einstellungen");
    const std::string face = window_->Secondary()->Language().GetFontFace();
    EXPECT_FALSE(face.empty());
    EXPECT_EQ(CResourceManager::GetInstance()->GetFont(50).face, face);
    EXPECT_EQ(CResourceManager::GetInstance()->GetFont(3).size, 30);
}

TEST_F(MainWindowLanguageTest, SettingsWindowFromSetButtonChangesTheMainWindowsTexts) {
    SaveLanguage(1031);
    CreateWindow();
    ASSERT_TRUE(WaitShownAfterFirstScan());
    WhenReady([&] { return window_->Secondary()->GetSettingsWindow() != nullptr; },
              [&] {
                  CSetWnd* settings = window_->Secondary()->GetSettingsWindow();
                  const TRectUI main = window_->GetWindowRect();
                  const TRectUI rect = settings->GetWindowRect();
                  const int dpi = window_->GetPaintManager().GetDPI();
                  EXPECT_EQ(rect.right, main.right - 30 * dpi / 96);
                  EXPECT_EQ(rect.top, main.top + 60 * dpi / 96);
                  auto* combo = dynamic_cast<CComboUI*>(
                      settings->GetPaintManager().FindControl("Language_combox_info"));
                  ASSERT_NE(combo, nullptr);
                  EXPECT_EQ(combo->GetCurSel(), 3);
                  combo->SelectItem(1, false, true);
                  ASSERT_TRUE(QTest::qWaitFor(
                      [&] { return window_->Secondary()->Language().GetCurrentIndex() == 1; }));
                  EXPECT_EQ(Find("control_light_status")->GetText(), "Lighting control");
                  auto* close =
                      dynamic_cast<CButtonUI*>(settings->GetPaintManager().FindControl("closebtn"));
                  ASSERT_NE(close, nullptr);
                  close->Activate();
              });
    window_->FitToMonitor();       // where the window's own fit timer will leave it too
    ASSERT_TRUE(Click("setbtn"));  // returns when the modal window has closed
    EXPECT_TRUE(ran_);
    EXPECT_EQ(window_->Secondary()->GetSettingsWindow(), nullptr);
    EXPECT_EQ(SettingsText(), "[TIRK]\nLANGUAGE=1033\n");
}

TEST_F(MainWindowLanguageTest, AboutFromTheTrayMenuClosesWithTheSatellites) {
    CreateWindow();
    ASSERT_TRUE(WaitShownAfterFirstScan());
    bool about_open = false;
    WhenReady(
        [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget->isVisible() && widget->windowTitle() == "AboutWnd") return true;
            return false;
        },
        [&] {
            about_open = true;
            EXPECT_TRUE(Click("closebtn"));  // the main window's: closes the satellites
        });
    window_->OnMenuCommand(TMenuCommandUI{"about_menu", "", "", false});
    EXPECT_TRUE(ran_);
    EXPECT_TRUE(about_open);
    EXPECT_FALSE(window_->IsVisible());
}

}  // namespace
}  // namespace tirk
