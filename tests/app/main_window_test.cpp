// The main window offscreen, in this process, with the real scan over a
// private HID root and a recording stand-in for the IPC backend.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/app_globals.h"
#include "device/virtual/emulated_bus.h"
#include "test_application.h"
#include "window_fixture.h"
#include "ui/button.h"
#include "ui/menu_wnd.h"
#include "ui/paint_manager.h"

namespace tirk {
namespace {
using namespace std::chrono_literals;

using MainWindowTest = MainWindowFixture;

TEST_F(MainWindowTest, LayoutHasTheControlsOtherPartsUse) {
    CreateWindow();
    for (const char* name :
         {"closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn", "gamemodebtn", "cloudbtn",
          "smarteyesbtn", "setbtn", "control_light_status", "device_select_layout",
          "device_power_switch", "device_switch", "No_device_Link", "nodevice_ok_btn"})
        EXPECT_NE(Find(name), nullptr) << name;
    EXPECT_EQ(Find("device_power_switch")->GetClass(), "TabLayout");
    EXPECT_EQ(Find("device_switch")->GetClass(), "TabLayout");
}

// Without devices the window still appears after the first scan, with the hint.
TEST_F(MainWindowTest, HiddenUntilTheFirstScanThenShownWithTheNoDeviceHint) {
    CreateWindow();
    EXPECT_FALSE(window_->IsVisible());
    ASSERT_TRUE(WaitShownAfterFirstScan());
    EXPECT_TRUE(Find("No_device_Link")->IsVisible());
    EXPECT_EQ(ipc_->owners, (std::vector<std::pair<int, int>>{{1, 1}}));
}

TEST_F(MainWindowTest, ConnectedDevicesHideTheNoDeviceHint) {
    PlugEmulatedDevices();
    CreateWindow();
    ASSERT_TRUE(WaitShownAfterFirstScan());
    EXPECT_FALSE(Find("No_device_Link")->IsVisible());
}

TEST_F(MainWindowTest, CloseButtonHidesAndASecondStartShowsAgain) {
    CreateWindow();
    ASSERT_TRUE(WaitShownAfterFirstScan());
    ASSERT_TRUE(Click("closebtn"));
    EXPECT_FALSE(window_->IsVisible());
    window_->OnInstanceMessage(0, 1);
    EXPECT_TRUE(window_->IsVisible());
    ASSERT_TRUE(Click("nodevice_ok_btn"));
    EXPECT_FALSE(window_->IsVisible());
}

TEST_F(MainWindowTest, TrayClickTogglesTheWindow) {
    CreateWindow();
    ASSERT_TRUE(WaitShownAfterFirstScan());
    window_->OnTrayLeftClick();
    EXPECT_FALSE(window_->IsVisible());
    window_->OnTrayLeftClick();
    EXPECT_TRUE(window_->IsVisible());
    EXPECT_EQ(window_->GetWindowDpi(), 96);  // the offscreen screen is small
}

TEST_F(MainWindowTest, LightControlFromTheButtonAndFromOtherPrograms) {
    CreateWindow();
    ASSERT_TRUE(WaitShownAfterFirstScan());
    CControlUI* status = Find("control_light_status");
    ASSERT_TRUE(Click("control_light_status"));
    EXPECT_EQ(window_->GetLightControl(), 0);
    EXPECT_EQ(status->GetText(), "不控制灯光");
    ASSERT_TRUE(Click("control_light_status"));
    EXPECT_EQ(window_->GetLightControl(), 1);
    EXPECT_EQ(status->GetText(), "控制灯光");
    EXPECT_EQ(ipc_->owners, (std::vector<std::pair<int, int>>{{1, 1}, {1, 0}, {1, 1}}));

    struct Case {
        int w, l, flag;
    };
    const Case cases[] = {{1, 0, 0}, {2, 1, 0}, {1, 7, 0}, {1, 1, 1}, {0, 0, 1}};
    for (const Case& c : cases) {
        window_->OnLightControl(c.w, c.l);
        EXPECT_EQ(window_->GetLightControl(), c.flag) << c.w << "," << c.l;
        EXPECT_EQ(status->GetText(), c.flag ? "控制灯光" : "不控制灯光") << c.w << "," << c.l;
    }
    EXPECT_EQ(ipc_->owners.size(), 3u) << "a command from another program is not announced";
}

TEST_F(MainWindowTest, AsleepOnlyActivationAndLightingControlAreHandled) {
    CreateWindow();
    ASSERT_TRUE(WaitShownAfterFirstScan());
    window_->OnTrayLeftClick();
    ASSERT_FALSE(window_->IsVisible());

    window_->OnSleepChanged(true);
    window_->OnTrayLeftClick();
    EXPECT_FALSE(window_->IsVisible()) << "tray clicks wait for the resume";
    window_->OnLightControl(1, 0);
    EXPECT_EQ(window_->GetLightControl(), 0);
    window_->OnActivate();
    EXPECT_TRUE(window_->IsVisible());

    window_->OnSleepChanged(false);
    window_->OnTrayLeftClick();
    EXPECT_FALSE(window_->IsVisible());
}

// Right click on the tray icon, then "exit" in its menu: the message loop ends
// with code 0 and the window is gone.
TEST_F(MainWindowTest, ExitFromTheTrayMenuEndsTheMessageLoop) {
    CreateWindow();
    ASSERT_TRUE(WaitShownAfterFirstScan());
    window_->OnTrayRightClick(TPointUI{200, 200});
    ASSERT_TRUE(QTest::qWaitFor([] { return CMenuWnd::GetOpenMenu() != nullptr; }, 5000))
        << "timer 1032 opens the tray menu";
    QAction* exit = nullptr;
    for (QAction* action : CMenuWnd::GetOpenMenu()->GetQMenu()->actions())
        if (action->text() == QString::fromUtf8("退出")) exit = action;
    ASSERT_NE(exit, nullptr) << "menu.xml has the item \"exit\"";

    QTimer::singleShot(0, exit, &QAction::trigger);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { CPaintManagerUI::QuitMessageLoop(99); });
    guard.start(20000);
    EXPECT_EQ(CPaintManagerUI::MessageLoop(), 0);
    EXPECT_FALSE(window_->IsVisible());
}

}  // namespace
}  // namespace tirk
