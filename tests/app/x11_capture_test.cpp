// Recording a macro and capturing a key on the keyboard's page with the
// desktop-wide hook of the X display the tests run under: xdotool types and
// clicks as a user would, another client's window shows what the rest of the
// desktop receives meanwhile. The page itself is offscreen; only the hook
// and the other window are on the X server.
#include <gtest/gtest.h>

#include <QProcess>

#include <cstdlib>
#include <string>
#include <vector>

#include "keyboard_fixture.h"
#include "profile/macro_store.h"
#include "profile/panel/macro_control.h"
// Xlib's macros (Status, None, Bool) must come after every Qt header.
#include "../input/x11_desk.h"

namespace tirk {
namespace page_test {
namespace {

using input::test::OtherWindow;

/// Runs xdotool with `arguments`; false when it is missing or failed.
bool Xdotool(const QStringList& arguments) {
    return QProcess::execute("xdotool", arguments) == 0;
}

struct Expected {
    const char* action;
    int button;
    int type;
};

class X11CaptureTest : public KeyboardPageFixture {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
        lock_.emplace();
        other_.emplace();
        if (!other_->IsOpen()) GTEST_SKIP() << "the X display has no XTest";
        hook_factory_ = [](input::HookSink sink) { return input::MakeX11InputHook(std::move(sink)); };
        KeyboardPageFixture::SetUp();
        if (!window_->HookDesktopWide()) GTEST_SKIP() << "no desktop-wide hook on this display";
    }
    void TearDown() override {
        KeyboardPageFixture::TearDown();
        other_.reset();
        lock_.reset();
    }
    CMacroControlUI& Page() { return *Device().MacroPage(); }
    /// The events of the first macro's file.
    std::vector<Json::Value> SavedEvents() {
        const MacroStore store(DataFolder("keyboard"));
        const std::vector<MacroEntry> list = store.LoadList();
        EXPECT_FALSE(list.empty());
        return list.empty() ? std::vector<Json::Value>{} : store.LoadEvents(list[0].guid);
    }
    /// The page's rows, for a failure's message.
    std::string Rows() {
        std::string rows;
        for (int i = 0; i < Page().RowCount(); ++i) rows += Page().RowEvent(i).toStyledString();
        return rows;
    }
    /// Nothing the other window received was a key press.
    bool OtherWindowGotNoKey() { return !input::test::HasKeyPress(other_->TakeEvents()); }

    std::optional<input::test::DisplayLock> lock_;
    std::optional<OtherWindow> other_;
};

TEST_F(X11CaptureTest, AMacroIsRecordedFromTheDesktopWhichGetsTheClicksButNoKeys) {
    ASSERT_TRUE(Press("macro_Op_tab"));
    ASSERT_TRUE(Press("macro_btn_name_add"));
    EXPECT_EQ(messages_->WaitAndTake().size(), 1u) << "the question";
    const bool capsBefore = other_->CapsLockOn();

    ASSERT_TRUE(Press("macro_btn_starredio"));
    ASSERT_TRUE(Page().IsRecording());
    const QString clickX = QString::number(other_->OriginX() + 20);
    const QString clickY = QString::number(other_->OriginY() + 20);
    ASSERT_TRUE(Xdotool({"keydown", "a", "sleep", "0.2", "keyup", "a", "sleep", "0.3"}));
    // Caps Lock through XTest itself: xdotool sends an extra release of a
    // lock key it typed, which a keyboard never does.
    other_->TypeKey(input::test::kKeycodeCapsLock);
    ASSERT_TRUE(Xdotool({"sleep", "0.1", "mousemove", clickX, clickY, "click", "1"}));
    EXPECT_NE(other_->CapsLockOn(), capsBefore) << "Caps Lock toggles while the keys are taken";
    ASSERT_TRUE(other_->WaitForEvent([](const XEvent& e) { return e.type == ButtonRelease; }))
        << "the click reached the other window";
    ASSERT_TRUE(QTest::qWaitFor([&] { return Page().RowCount() == 6; }, kWaitMs)) << Rows();
    ASSERT_TRUE(Press("macro_btn_stopredio"));
    EXPECT_TRUE(OtherWindowGotNoKey()) << "no keystroke reached the other window";

    const std::vector<Json::Value> events = SavedEvents();
    const Expected expected[] = {{"down", 4, 10}, {"up", 4, 10}, {"down", 0x39, 10},
                                 {"up", 0x39, 10}, {"down", 1, 1},  {"up", 1, 1}};
    ASSERT_EQ(events.size(), std::size(expected));
    for (size_t i = 0; i < events.size(); ++i) {
        EXPECT_EQ(events[i]["Action"].asString(), expected[i].action) << i;
        EXPECT_EQ(events[i]["Button"].asInt(), expected[i].button) << i;
        EXPECT_EQ(events[i]["Type"].asInt(), expected[i].type) << i;
    }
    // Real-time mode: each row waits until the next event came.
    const auto delay = [&](size_t i) { return std::atoi(events[i]["Delay"].asCString()); };
    EXPECT_NEAR(delay(0), 200, 40);
    EXPECT_NEAR(delay(1), 300, 60);

    other_->TypeKey(input::test::kKeycodeA);
    EXPECT_TRUE(other_->WaitForKeyPress(input::test::kKeycodeA)) << "the keyboard is free again";
    if (other_->CapsLockOn() != capsBefore) other_->TypeKey(input::test::kKeycodeCapsLock);
}

TEST_F(X11CaptureTest, WhileTheKeyEditHasTheFocusTypingElsewhereGoesNowhere) {
    ASSERT_GE(OpenKeyForAKey(), 0);
    auto* edit = Sub<CEditUI>("keyset_keyboard_text_edit");
    edit->SendNotify(notify_type::kSetFocus);
    ASSERT_TRUE(Xdotool({"key", "b"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->GetText() == Text("keyboard_key_B"); }, kWaitMs))
        << "the key went to the edit: " << edit->GetText();
    EXPECT_TRUE(OtherWindowGotNoKey());

    // Leaving the edit frees the keyboard, also when no key was pressed.
    edit->SendNotify(notify_type::kKillFocus);
    edit->SendNotify(notify_type::kSetFocus);
    edit->SendNotify(notify_type::kKillFocus);
    ASSERT_TRUE(Xdotool({"key", "a"}));
    EXPECT_TRUE(other_->WaitForKeyPress(input::test::kKeycodeA));
}

}  // namespace
}  // namespace page_test
}  // namespace tirk
