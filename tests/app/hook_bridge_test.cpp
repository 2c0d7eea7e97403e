// The main window and its input hook over the virtual keyboard, offscreen,
// with a backend the test drives: key capture for the key edit, the
// selectors while recording, events while asleep, and the game events'
// lighting flash.
#include <gtest/gtest.h>

#include <memory>

#include "app/app_globals.h"
#include "app/game_flash.h"
#include "app/hook_bridge.h"
#include "app/profile_commands.h"
#include "fake_input_hook.h"
#include "keyboard_fixture.h"
#include "profile/macro_store.h"
#include "profile/panel/light_control.h"
#include "profile/panel/macro_control.h"

namespace tirk {
namespace page_test {
namespace {

constexpr char kKeyEdit[] = "keyset_keyboard_text_edit";
constexpr uint8_t kScanA = 0x1E;
constexpr uint8_t kUsageA = 4;

class HookBridgeTest : public KeyboardPageFixture {
protected:
    void SetUp() override {
        hook_factory_ = FakeInputHook::Factory(hook_);
        KeyboardPageFixture::SetUp();
    }
    void TearDown() override {
        Globals().awake = true;
        KeyboardPageFixture::TearDown();
    }
    void FocusKeyEdit(bool focus) {
        Sub<CEditUI>(kKeyEdit)->SendNotify(focus ? notify_type::kSetFocus : notify_type::kKillFocus);
    }
    /// The control of the shown page, else of the window.
    bool Enabled(const char* name) {
        CControlUI* control = Device().FindSubControl(name);
        if (!control) control = Find(name);
        EXPECT_TRUE(control) << name;
        return control && control->IsEnabled();
    }

    std::shared_ptr<FakeInputHook::State> hook_ = std::make_shared<FakeInputHook::State>();
    int key_ = -1;
};

TEST_F(HookBridgeTest, TheKeyEditCapturesAKeyPressedAnywhereAndLeavingItEndsCapture) {
    key_ = OpenKeyForAKey();
    FocusKeyEdit(true);
    ASSERT_TRUE(hook_->keys) << "the keyboard is taken while the edit has the focus";
    hook_->Key(input::kKeyDown, kScanA);
    const AssignmentCode a{0x20, 0x00, kUsageA};
    ASSERT_TRUE(QTest::qWaitFor([&] { return CurrentCode(key_) == a; }, kWaitMs));
    EXPECT_EQ(EditText(kKeyEdit), Text("keyboard_key_A"));

    FocusKeyEdit(false);
    EXPECT_FALSE(hook_->keys) << "leaving the edit frees the keyboard";
    FocusKeyEdit(true);
    FocusKeyEdit(false);
    EXPECT_FALSE(hook_->keys) << "even when no key was pressed";
}

TEST_F(HookBridgeTest, EventsThatArriveWhileAsleepAreDropped) {
    key_ = OpenKeyForAKey();
    const AssignmentCode before = CurrentCode(key_);
    FocusKeyEdit(true);
    Globals().awake = false;
    hook_->Key(input::kKeyDown, kScanA);
    QTest::qWait(50);
    EXPECT_EQ(CurrentCode(key_), before);
    FocusKeyEdit(false);
}

TEST_F(HookBridgeTest, RecordingLocksTheSelectorsAndMarksChangesPending) {
    window_->SetHook(kHookMacro, true);
    EXPECT_TRUE(hook_->keys && hook_->mouse);
    EXPECT_FALSE(Enabled("device_select_layout"));
    EXPECT_FALSE(Enabled("device_select_prev"));
    EXPECT_FALSE(Enabled("device_select_next"));
    EXPECT_FALSE(Enabled("device_profile_combo"));
    EXPECT_TRUE(Enabled("key_butt_keysave"));
    EXPECT_TRUE(Enabled("key_butt_prosave"));

    window_->SetHook(kHookMacro, false);
    EXPECT_FALSE(hook_->keys || hook_->mouse);
    EXPECT_TRUE(Enabled("device_select_layout"));
    EXPECT_TRUE(Enabled("device_profile_combo"));
    EXPECT_FALSE(Enabled("key_butt_keysave"));
}

// The recording device leaves: its page stops and keeps what was recorded,
// and the keyboard is the desktop's again.
TEST_F(HookBridgeTest, UnpluggingTheRecordingDeviceEndsTheRecordingAndKeepsIt) {
    ASSERT_TRUE(Press("macro_Op_tab"));
    ASSERT_TRUE(Press("macro_btn_name_add"));
    EXPECT_EQ(messages_->WaitAndTake().size(), 1u) << "the question";
    ASSERT_TRUE(Press("macro_btn_starredio"));
    CMacroControlUI& page = *Device().MacroPage();
    ASSERT_TRUE(page.IsRecording());
    hook_->Key(input::kKeyDown, kScanA);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.RowCount() == 1; }, kWaitMs));

    std::string error;
    ASSERT_TRUE(bus_->Unplug("keyboard", &error)) << error;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.IsRecording(); }, kWaitMs));
    EXPECT_FALSE(hook_->keys || hook_->mouse);
    EXPECT_TRUE(Enabled("device_select_layout"));
    const MacroStore store(DataFolder("keyboard"));
    ASSERT_EQ(store.LoadList().size(), 1u);
    EXPECT_EQ(store.LoadEvents(store.LoadList()[0].guid).size(), 1u);
}

TEST_F(HookBridgeTest, WithADesktopWideHookTheMacroPageShowsNoHint) {
    EXPECT_FALSE(Sub<CControlUI>("macro_capture_scope_text")->IsVisible());
}

class WindowOnlyHookTest : public HookBridgeTest {
protected:
    void SetUp() override {
        hook_->desktopWide = false;
        HookBridgeTest::SetUp();
    }
};

TEST_F(WindowOnlyHookTest, TheMacroPageSaysItSeesOnlyThisWindow) {
    CControlUI* hint = Sub<CControlUI>("macro_capture_scope_text");
    EXPECT_TRUE(hint->IsVisible());
    EXPECT_EQ(hint->GetText(), Text("macro_capture_window_only_text"));
}

/// The main window's timers as the game events use them.
class TimerLog : public IProfileTimer {
public:
    void StartTimer(int id, int ms) override { started.push_back({id, ms}); }
    void StopTimer(int id) override { stopped.push_back(id); }
    std::vector<std::pair<int, int>> started;
    std::vector<int> stopped;
};

class GameFlashTest : public KeyboardPageFixture {
protected:
    void SetUp() override {
        KeyboardPageFixture::SetUp();
        flash_ = std::make_unique<CGameFlash>(*window_, timers_);
        stored_ = Device().GetLightValues().selectItem;
        flashMode_ = stored_ == 7 ? 8 : 7;
    }
    bool KeyboardShows(int mode) {
        return QTest::qWaitFor([&] { return AllSent() && Record()[1] == ModeCode(mode); }, kWaitMs);
    }

    TimerLog timers_;
    std::unique_ptr<CGameFlash> flash_;
    int stored_ = 0;
    int flashMode_ = 0;
};

TEST_F(GameFlashTest, AGameEventFlashesItsModeForFiveSecondsWithoutStoringIt) {
    const QByteArray profileBefore = ProfileBytes();
    flash_->OnGameEvent(1, 0x300 | flashMode_);  // only the low byte names the mode
    EXPECT_TRUE(KeyboardShows(flashMode_));
    EXPECT_EQ(Device().LightPage()->GetMode(), flashMode_);
    EXPECT_EQ(Device().GetLightValues().selectItem, stored_) << "the profile keeps its mode";
    EXPECT_EQ(ProfileBytes(), profileBefore);
    ASSERT_EQ(timers_.started.size(), 1u);
    EXPECT_EQ(timers_.started[0], std::make_pair(CGameFlash::kRestoreTimer, 5000));

    flash_->OnRestoreTimer();
    EXPECT_TRUE(KeyboardShows(stored_));
    EXPECT_EQ(Device().LightPage()->GetMode(), stored_);
    EXPECT_EQ(timers_.stopped, std::vector<int>{CGameFlash::kRestoreTimer});
}

TEST_F(GameFlashTest, AnUnknownWParamOnlyRestartsTheTimer) {
    const size_t framesBefore = bus_->Find("keyboard")->Received().size();
    flash_->OnGameEvent(3, flashMode_);
    flash_->OnGameEvent(-1, flashMode_);
    ASSERT_TRUE(AllSent());
    EXPECT_EQ(bus_->Find("keyboard")->Received().size(), framesBefore) << "nothing was written";
    EXPECT_EQ(Device().LightPage()->GetMode(), stored_);
    EXPECT_EQ(timers_.started.size(), 2u);
}

}  // namespace
}  // namespace page_test
}  // namespace tirk
