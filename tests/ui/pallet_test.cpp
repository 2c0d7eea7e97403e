// The colour field: what a click in the square and the strip picks, the
// notifications of a drag, and colours shown from outside.
#include "ui/pallet.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "mouse_at.h"
#include "ui_test_support.h"

namespace tirk::ui::test {
namespace {

constexpr char kLayout[] = R"(<Window size="320,220">
  <VerticalLayout name="root">
    <Pallet name="Pallet" width="300" height="200" huewidth="20" huegap="10"/>
  </VerticalLayout>
</Window>)";

class PalletWindow : public RecordingWindow {
public:
    PalletWindow() : RecordingWindow("") {}
    std::string GetSkinFile() override { return m_file; }
    CControlUI* CreateControl(const std::string& name) override {
        return name == "Pallet" ? new CPalletUI : nullptr;
    }
    std::string m_file;
};

class PalletTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_window.m_file = m_dir.filePath("pallet.xml").toStdString();
        QFile file(QString::fromStdString(m_window.m_file));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kLayout);
        file.close();
        ASSERT_TRUE(m_window.CreateShown()) << m_window.GetLoadError();
        m_pallet = m_window.Find<CPalletUI>("Pallet");
        ASSERT_NE(m_pallet, nullptr);
    }

    QPoint InSquare(double saturation, double value) const {
        const QRect square = m_pallet->SquareRect();
        return QPoint(square.left() + int(saturation * (square.width() - 1)),
                      square.top() + int((1 - value) * (square.height() - 1)));
    }
    QPoint InStrip(double hue) const {
        const QRect strip = m_pallet->HueStripRect();
        return QPoint(strip.center().x(), strip.top() + int(hue / 360 * (strip.height() - 1)));
    }
    void Click(QPoint point) { ClickAt(m_pallet, point); }

    QTemporaryDir m_dir;
    PalletWindow m_window;
    CPalletUI* m_pallet = nullptr;
};

TEST_F(PalletTest, SquareAndStripSitSideBySide) {
    EXPECT_EQ(m_pallet->SquareRect(), QRect(0, 0, 270, 200));
    EXPECT_EQ(m_pallet->HueStripRect(), QRect(280, 0, 20, 200));
}

TEST_F(PalletTest, CornersOfTheSquarePickWhiteBlackAndTheHue) {
    struct Case {
        double saturation, value;
        uint32_t expected;
    };
    const Case cases[] = {
        {0, 1, 0xFFFFFFFF}, {1, 1, 0xFFFF0000}, {0, 0, 0xFF000000}, {1, 0, 0xFF000000}};
    m_pallet->SetColor(0xFFFF0000);
    for (const Case& c : cases) {
        Click(InSquare(c.saturation, c.value));
        EXPECT_EQ(m_pallet->GetColor(), c.expected) << c.saturation << "," << c.value;
    }
}

TEST_F(PalletTest, TheStripChangesTheHueAndKeepsSaturationAndValue) {
    m_pallet->SetColor(0xFFFF0000);
    Click(InStrip(120));
    EXPECT_NEAR(m_pallet->GetHue(), 120, 2);
    const uint32_t green = m_pallet->GetColor();
    EXPECT_GT((green >> 8) & 0xFF, 0xF0u);
    EXPECT_LT((green >> 16) & 0xFF, 0x10u);
    EXPECT_DOUBLE_EQ(m_pallet->GetSaturation(), 1.0);
    EXPECT_DOUBLE_EQ(m_pallet->GetValue(), 1.0);
}

TEST_F(PalletTest, DraggingSendsColorChangedWhileHeldAndFinalOnRelease) {
    PressAt(m_pallet, InSquare(0.2, 0.8));
    MoveTo(m_pallet, InSquare(0.5, 0.5));
    ReleaseAt(m_pallet, InSquare(0.9, 0.9));
    const std::vector<Recorded> changes = m_window.Of("colorchanged");
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].wParam, CPalletUI::kDragging);
    EXPECT_EQ(changes[1].wParam, CPalletUI::kDragging);
    EXPECT_EQ(changes[2].wParam, CPalletUI::kFinal);
    EXPECT_EQ(changes[2].sender, "Pallet");
    EXPECT_NEAR(m_pallet->GetSaturation(), 0.9, 0.01);
}

TEST_F(PalletTest, ADragOutsideTheFieldStopsAtItsEdge) {
    PressAt(m_pallet, InSquare(0.5, 0.5));
    ReleaseAt(m_pallet, QPoint(-50, 500));
    EXPECT_DOUBLE_EQ(m_pallet->GetSaturation(), 0.0);
    EXPECT_DOUBLE_EQ(m_pallet->GetValue(), 0.0);
    EXPECT_EQ(m_pallet->GetColor(), 0xFF000000u);
}

TEST_F(PalletTest, SetColorShowsExactlyAndDoesNotNotify) {
    m_pallet->SetColor(0xFF336699);
    EXPECT_EQ(m_pallet->GetColor(), 0xFF336699u);
    EXPECT_NEAR(m_pallet->GetHue(), 210, 1);
    EXPECT_TRUE(m_window.Of("colorchanged").empty());
}

TEST_F(PalletTest, GreyAndBlackKeepTheHueAndSaturationShown) {
    m_pallet->SetColor(0xFF00FF00);
    m_pallet->SetColor(0xFF808080);
    EXPECT_NEAR(m_pallet->GetHue(), 120, 1);
    m_pallet->SetColor(0xFF00FF00);
    m_pallet->SetColor(0xFF000000);
    EXPECT_NEAR(m_pallet->GetHue(), 120, 1);
    EXPECT_DOUBLE_EQ(m_pallet->GetSaturation(), 1.0);
}

TEST_F(PalletTest, LengthsFollowTheWindowDpi) {
    ASSERT_TRUE(m_window.GetPaintManager().SetDPI(144));
    EXPECT_EQ(m_pallet->HueStripRect().width(), 30);
    EXPECT_EQ(m_pallet->SquareRect().width(), m_pallet->width() - 45);
}

}  // namespace
}  // namespace tirk::ui::test
