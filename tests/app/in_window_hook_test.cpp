// The input hook without an X display: only our own window's input is seen.
// Keys are taken from every widget while captured; buttons are observed and
// still reach their widget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <vector>

#include "app/in_window_hook.h"
#include "test_application.h"

namespace tirk {
namespace {

constexpr int kXKeycodeA = 38;      // Linux KEY_A + 8
constexpr int kXKeycodeUnknown = 8;  // KEY_RESERVED + 8: no key of the table

class InWindowHookTest : public ::testing::Test {
protected:
    InWindowHookTest() {
        input::HookSink sink;
        sink.onKey = [this](const input::KeyHookEvent& e) { keys_.push_back(e); };
        sink.onMouse = [this](const input::MouseHookEvent& e) { buttons_.push_back(e); };
        hook_ = MakeInWindowInputHook(std::move(sink));
        button_.setGeometry(0, 0, 80, 30);
        QObject::connect(&button_, &QPushButton::pressed, [this] { ++buttonPresses_; });
    }
    void Type(int xKeycode, QEvent::Type type = QEvent::KeyPress, bool autoRepeat = false) {
        QKeyEvent key(type, Qt::Key_A, Qt::NoModifier, quint32(xKeycode), 0, 0, "a", autoRepeat);
        QApplication::sendEvent(&edit_, &key);
    }

    // First: widgets need the application.
    QApplication& app_ = test::TestApplication<QApplication>("in_window_hook_test");
    std::unique_ptr<input::IInputHook> hook_;
    std::vector<input::KeyHookEvent> keys_;
    std::vector<input::MouseHookEvent> buttons_;
    QLineEdit edit_;
    QPushButton button_;
    int buttonPresses_ = 0;
};

TEST_F(InWindowHookTest, CapturedKeysReachTheHookAndNoWidget) {
    EXPECT_FALSE(hook_->DesktopWide());
    ASSERT_TRUE(hook_->Start(true, true));
    Type(kXKeycodeA);
    Type(kXKeycodeA, QEvent::KeyRelease, true);  // held: the window system repeats it
    Type(kXKeycodeA, QEvent::KeyPress, true);
    Type(kXKeycodeA, QEvent::KeyRelease);
    Type(kXKeycodeUnknown);
    EXPECT_EQ(edit_.text(), "") << "nothing was typed";
    ASSERT_EQ(keys_.size(), 2u) << "no repeats, and no key outside the table";
    EXPECT_EQ(keys_[0].message, input::kKeyDown);
    EXPECT_EQ(keys_[0].record.scanCode, 0x1Eu);
    EXPECT_EQ(keys_[1].message, input::kKeyUp);

    hook_->Stop();
    EXPECT_FALSE(hook_->Active());
    Type(kXKeycodeA);
    EXPECT_EQ(edit_.text(), "a") << "after Stop keys are typed again";
    EXPECT_EQ(keys_.size(), 2u);
}

TEST_F(InWindowHookTest, ButtonsAreObservedAndStillReachTheirWidget) {
    ASSERT_TRUE(hook_->Start(true, true));
    QTest::mousePress(&button_, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&button_, Qt::BackButton, {}, QPoint(5, 5));
    EXPECT_EQ(buttonPresses_, 1);
    ASSERT_EQ(buttons_.size(), 2u);
    EXPECT_EQ(buttons_[0].message, input::kLeftButtonDown);
    EXPECT_EQ(buttons_[0].record.x, button_.mapToGlobal(QPoint(5, 5)).x());
    EXPECT_EQ(buttons_[1].message, input::kExtraButtonUp);
    EXPECT_EQ(buttons_[1].record.ExtraButton(), input::kExtraButtonBack);

    // A double click as the window system delivers it: the second press
    // arrives as a double-click event.
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const QPointF at(5, 5);
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, button_.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(&button_, &event);
    }
    ASSERT_EQ(buttons_.size(), 6u) << "the second press of a double click is a press";
    EXPECT_EQ(buttons_[4].message, input::kLeftButtonDown);
    EXPECT_EQ(buttons_[5].message, input::kLeftButtonUp);

    ASSERT_TRUE(hook_->Start(true, false));  // key capture sees no buttons
    QTest::mouseClick(&button_, Qt::LeftButton);
    EXPECT_EQ(buttons_.size(), 6u);
}

}  // namespace
}  // namespace tirk
