// Window life cycle: modal close codes, close requests, posted tasks,
// window timers, pop-up menus and the tray icon.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTimer>
#include <thread>

#include "tests/ui/ui_test_support.h"

namespace tirk::ui::test {
namespace {

class DialogWindow : public RecordingWindow {
public:
    DialogWindow() : RecordingWindow("dialog.xml") {}
    void Notify(TNotifyUI& msg) override {
        RecordingWindow::Notify(msg);
        if (msg.sType == "click" && msg.pSender->GetName() == "ok") Close(7);
        if (msg.sType == "click" && msg.pSender->GetName() == "cancel") Close(2);
    }
    bool HandleCloseRequest() override {
        ++closeRequests;
        return keepOnCloseRequest;
    }
    void OnFinalMessage() override { ++finalMessages; }
    void OnTimer(int id) override { timers.push_back(id); }

    bool keepOnCloseRequest = false;
    int closeRequests = 0;
    int finalMessages = 0;
    std::vector<int> timers;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestSkin(); }
};

TEST_F(WindowTest, ShowModalReturnsTheCloseCode) {
    struct Case {
        const char* button;
        int code;
    } cases[] = {{"ok", 7}, {"cancel", 2}};
    for (const Case& c : cases) {
        DialogWindow dialog;
        ASSERT_TRUE(dialog.Create(nullptr, "dialog")) << dialog.GetLoadError();
        QTimer::singleShot(0, [&] {
            ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.GetWidget()));
            QTest::mouseClick(dialog.Find<CButtonUI>(c.button), Qt::LeftButton);
        });
        EXPECT_EQ(dialog.ShowModal(), c.code) << c.button;
        EXPECT_FALSE(dialog.IsVisible());
        EXPECT_TRUE(WaitUntil([&] { return dialog.finalMessages == 1; }));
    }
}

TEST_F(WindowTest, CloseRequestsAskTheWindowFirst) {
    DialogWindow dialog;
    ASSERT_TRUE(dialog.Create(nullptr, "dialog"));
    dialog.keepOnCloseRequest = true;
    dialog.ShowWindow(true);
    dialog.GetWidget()->close();
    EXPECT_EQ(dialog.closeRequests, 1);
    EXPECT_TRUE(dialog.IsVisible()) << "the handler kept it";

    dialog.keepOnCloseRequest = false;
    QTimer::singleShot(0, [&] { dialog.GetWidget()->close(); });
    EXPECT_EQ(dialog.ShowModal(), 0) << "an accepted close request closes with code 0";
    EXPECT_EQ(dialog.closeRequests, 2);
}

TEST_F(WindowTest, CreateTwiceOrShowModalBeforeCreateFails) {
    DialogWindow dialog;
    EXPECT_EQ(dialog.ShowModal(), -1);
    ASSERT_TRUE(dialog.Create(nullptr, "dialog"));
    EXPECT_FALSE(dialog.Create(nullptr, "dialog"));
}

TEST_F(WindowTest, PostedTasksRunOnTheUiThread) {
    DialogWindow dialog;
    std::thread::id ranOn;
    bool ran = false;
    std::thread worker([&] {
        dialog.PostTask([&] {
            ranOn = std::this_thread::get_id();
            ran = true;
        });
    });
    worker.join();
    EXPECT_FALSE(ran) << "queued, not run on the worker";
    EXPECT_TRUE(WaitUntil([&] { return ran; }));
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST_F(WindowTest, WindowTimersReachOnTimer) {
    DialogWindow dialog;
    ASSERT_TRUE(dialog.Create(nullptr, "dialog"));
    ASSERT_TRUE(dialog.SetTimer(1011, 5));
    EXPECT_TRUE(WaitUntil([&] { return !dialog.timers.empty(); }, 5000));
    EXPECT_EQ(dialog.timers[0], 1011);
    dialog.KillTimer(1011);
    QCoreApplication::processEvents();
    size_t seen = dialog.timers.size();
    QTest::qWait(50);
    EXPECT_EQ(dialog.timers.size(), seen);
}

QAction* ActionNamed(QMenu* menu, const char* name) {
    for (QAction* action : menu->findChildren<QAction*>()) {
        if (action->objectName() == QLatin1String(name)) return action;
    }
    return nullptr;
}

TEST_F(WindowTest, MenuDeliversTheChosenItemToItsOwner) {
    DialogWindow owner;
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    CMenuWnd* menu = CMenuWnd::CreateMenu("menu.xml", TPointUI{10, 10}, &owner);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(CMenuWnd::GetOpenMenu(), menu);
    QMenu* qmenu = menu->GetQMenu();
    QAction* lighting = ActionNamed(qmenu, "lighting");
    ASSERT_NE(lighting, nullptr);
    EXPECT_EQ(lighting->text().toStdString(), "Hello") << "textkey";
    EXPECT_TRUE(lighting->isCheckable());
    EXPECT_NE(ActionNamed(qmenu, "sub_item"), nullptr) << "sub-menu";

    ActionNamed(qmenu, "exit")->trigger();
    qmenu->hide();
    EXPECT_TRUE(owner.menuCommands.empty()) << "delivered from the event loop";
    EXPECT_TRUE(WaitUntil([&] { return owner.menuCommands.size() == size_t(1); }));
    EXPECT_EQ(owner.menuCommands[0].name, "exit");
    EXPECT_EQ(owner.menuCommands[0].userData, "bye");
    EXPECT_EQ(CMenuWnd::GetOpenMenu(), nullptr);
}

TEST_F(WindowTest, OnlyOneMenuIsOpenAndDismissingDeliversNothing) {
    std::vector<std::string> chosen;
    auto record = [&](const TMenuCommandUI& command) { chosen.push_back(command.name); };
    CMenuWnd* first =
        CMenuWnd::CreateMenu("menu.xml", TPointUI{0, 0}, record, {{"lighting", false}});
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(ActionNamed(first->GetQMenu(), "lighting")->isChecked()) << "check override";
    CMenuWnd* second = CMenuWnd::CreateMenu("menu.xml", TPointUI{0, 0}, record);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(CMenuWnd::GetOpenMenu(), second);
    EXPECT_TRUE(ActionNamed(second->GetQMenu(), "lighting")->isChecked());
    CMenuWnd::CloseOpenMenu();
    EXPECT_EQ(CMenuWnd::GetOpenMenu(), nullptr);
    QTest::qWait(20);
    EXPECT_TRUE(chosen.empty());

    std::string error;
    EXPECT_EQ(CMenuWnd::CreateMenu("no_menu.xml", TPointUI{}, record, {}, &error), nullptr);
    EXPECT_NE(error.find("no_menu.xml: cannot open file"), std::string::npos) << error;
    EXPECT_EQ(CMenuWnd::CreateMenu("main.xml", TPointUI{}, record, {}, &error), nullptr);
    EXPECT_NE(error.find("main.xml:2: the root element must be <Menu>"), std::string::npos)
        << error;
}

TEST_F(WindowTest, TrayIconWithoutATrayIsSimplyNotShown) {
    CTrayIcon tray;
    bool clicked = false;
    tray.SetOnLeftClick([&] { clicked = true; });
    bool shown = tray.CreateTrayIcon("quad.png", "Vorpaline TIRK");
    EXPECT_EQ(tray.IsShown(), shown);
    tray.SetTooltipText("other");
    tray.DeleteTrayIcon();
    EXPECT_FALSE(tray.IsShown());
    tray.DeleteTrayIcon();  // twice is harmless
    EXPECT_FALSE(tray.CreateTrayIcon("missing.png", "x"));
    EXPECT_FALSE(clicked);
}

// The window's minimum grows with the DPI; the size must be rescaled from what
// it was before the minimum changed, not from what Qt enlarged it to.
TEST_F(WindowTest, DpiChangeRescalesTheSizeFromBeforeTheMinimum) {
    for (bool shown : {false, true}) {
        RecordingWindow window("dpi_window.xml");
        ASSERT_TRUE(shown ? window.CreateShown() : window.Create(nullptr, "dpi"));
        QWidget* widget = window.GetWidget();
        ASSERT_EQ(widget->size(), QSize(1000, 640)) << shown;
        ASSERT_TRUE(window.GetPaintManager().SetDPI(144));
        EXPECT_EQ(widget->size(), QSize(1500, 960)) << shown;
        EXPECT_EQ(widget->minimumSize(), QSize(1500, 960)) << shown;
        ASSERT_TRUE(window.GetPaintManager().SetDPI(96));
        EXPECT_EQ(widget->size(), QSize(1000, 640)) << shown;
        EXPECT_EQ(widget->minimumSize(), QSize(1000, 640)) << shown;
    }
}

}  // namespace
}  // namespace tirk::ui::test
