// Secondary windows following the DPI of their screen: the rule, the rounding
// to supported values, and what a change does to the window.
#include "ui/dpi_follow.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "ui_test_support.h"

namespace tirk::ui::test {
namespace {

class DpiFollowTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestSkin(); }
    void TearDown() override { SetScreenDpiRule(nullptr); }
};

TEST_F(DpiFollowTest, TheRuleIsRoundedToASupportedDpi) {
    struct Case {
        int wanted;
        int expected;
    };
    const Case cases[] = {{96, 96},   {100, 96}, {110, 120}, {144, 144}, {20, 48},
                          {300, 192}, {0, 48},   {-5, 48},   {191, 192}};
    for (const Case& c : cases) {
        SetScreenDpiRule([&](const TScreenMetricsUI&) { return c.wanted; });
        EXPECT_EQ(ScreenDpi({1920, 1080, 96}), c.expected) << c.wanted;
    }
}

TEST_F(DpiFollowTest, WithoutARuleTheScreensLogicalDpiCounts) {
    EXPECT_EQ(ScreenDpi({800, 600, 96.0}), 96);
    EXPECT_EQ(ScreenDpi({800, 600, 143.9}), 144);
}

TEST_F(DpiFollowTest, TheRuleSeesTheScreen) {
    TScreenMetricsUI seen;
    SetScreenDpiRule([&](const TScreenMetricsUI& screen) {
        seen = screen;
        return 96;
    });
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    ScreenDpi(CDpiFollower::MetricsOf(*screen));
    EXPECT_EQ(seen.width, screen->geometry().width());
    EXPECT_EQ(seen.height, screen->geometry().height());
}

TEST_F(DpiFollowTest, ApplyingADpiRescalesAroundTheCentre) {
    RecordingWindow window("dialog.xml");
    ASSERT_TRUE(window.CreateShown()) << window.GetLoadError();
    window.GetWidget()->move(200, 150);
    const QRect before = window.GetWidget()->frameGeometry();
    const int width = window.GetWidget()->width();
    ASSERT_TRUE(ApplyWindowDpi(window, 144));
    const QRect after = window.GetWidget()->frameGeometry();
    EXPECT_EQ(window.GetPaintManager().GetDPI(), 144);
    EXPECT_EQ(window.GetWidget()->width(), width * 3 / 2);
    EXPECT_NEAR(after.center().x(), before.center().x(), 1);
    EXPECT_NEAR(after.center().y(), before.center().y(), 1);
    EXPECT_FALSE(ApplyWindowDpi(window, 100));
    EXPECT_FALSE(ApplyWindowDpi(window, 200));
    EXPECT_EQ(window.GetPaintManager().GetDPI(), 144);
}

TEST_F(DpiFollowTest, TheFollowerTakesTheDpiOfTheScreenRule) {
    RecordingWindow window("dialog.xml");
    ASSERT_TRUE(window.CreateShown()) << window.GetLoadError();
    CDpiFollower follower(window);
    EXPECT_FALSE(follower.Refresh()) << "the screen's own DPI is the window's already";
    SetScreenDpiRule([](const TScreenMetricsUI&) { return 120; });
    EXPECT_TRUE(follower.Refresh());
    EXPECT_EQ(window.GetPaintManager().GetDPI(), 120);
    EXPECT_FALSE(follower.Refresh());
}

}  // namespace
}  // namespace tirk::ui::test
