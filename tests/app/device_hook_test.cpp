// The main window's input hook: which message a kind's events travel as,
// what Start and Stop do to the backend and to events still on their way.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/device_hook.h"
#include "fake_input_hook.h"

namespace tirk {
namespace {

using page_test::FakeInputHook;

std::string Name(const char* message) {
    return message ? message : "(none)";
}

TEST(HookKinds, EachKindSendsItsOwnMessages) {
    struct Row {
        uint32_t kind;
        const char* keyboard;
        const char* mouse;
    };
    const Row rows[] = {
        {1, "WM_HOOK_KEY_SINGLEKEY_MSG", nullptr},
        {2, "WM_HOOK_KEY_HITKEY_MSG", nullptr},
        {4, "WM_HOOK_KEY_KBMACRO_MSG", "WM_HOOK_KEY_MSMACRO_MSG"},
        {8, "WM_HOOK_KEY_KBMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROPREVIOUS_MSG"},
        {16, "WM_HOOK_KEY_KBMACROLATER_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG"},
        {32, "WM_HOOK_KEY_KBMACROSINGLE_MSG", "WM_HOOK_KEY_MSMACROSINGLE_MSG"},
        {256, "WM_HOOK_MOU_SINGLEKEY_MSG", nullptr},
        {512, "WM_HOOK_MOU_HITKEY_MSG", nullptr},
        {1024, "WM_HOOK_MOU_KBMACRO_MSG", nullptr},
        {0, nullptr, nullptr},
        {3, nullptr, nullptr},
        {64, nullptr, nullptr},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Name(KeyboardHookMessage(row.kind)), Name(row.keyboard)) << row.kind;
        EXPECT_EQ(Name(MouseHookMessage(row.kind)), Name(row.mouse)) << row.kind;
        EXPECT_EQ(IsMacroKind(row.kind), row.mouse != nullptr) << row.kind;
    }
}

TEST(HookKinds, TwentyThreeMessagesAreRegisteredHookFirstGameLast) {
    const auto names = RegisteredHookMessages();
    ASSERT_EQ(names.size(), 23u);
    EXPECT_STREQ(names[0], "WM_HOOK_KEY_SINGLEKEY_MSG");
    EXPECT_STREQ(names[18], "UWM_MOUSEMOVE_USER_MSG");
    EXPECT_STREQ(names[19], "Game_Start");
    EXPECT_STREQ(names[22], "Game_Death");
}

class DeviceHookTest : public ::testing::Test {
protected:
    DeviceHookTest() {
        CDeviceHook::Receivers receivers;
        receivers.onKey = [this](const HookKeyDelivery& d) { keys_.push_back(d); };
        receivers.onMouse = [this](const HookMouseDelivery& d) { buttons_.push_back(d); };
        hook_.emplace(FakeInputHook::Factory(state_),
                      [this](std::function<void()> task) { posted_.push_back(std::move(task)); },
                      std::move(receivers));
    }
    /// Runs what the backend's events posted to the UI thread.
    void RunPosted() {
        auto tasks = std::exchange(posted_, {});
        for (auto& task : tasks) task();
    }

    std::shared_ptr<FakeInputHook::State> state_ = std::make_shared<FakeInputHook::State>();
    std::vector<std::function<void()>> posted_;
    std::vector<HookKeyDelivery> keys_;
    std::vector<HookMouseDelivery> buttons_;
    std::optional<CDeviceHook> hook_;
};

TEST_F(DeviceHookTest, StopWithoutAHookStillStopsTheBackendAndReturnsZero) {
    EXPECT_EQ(hook_->Stop(), 0);
    EXPECT_EQ(state_->stops, 1);
    ASSERT_EQ(hook_->Start(kHookMacro, true, true), 1);
    EXPECT_EQ(hook_->Stop(), 1);
}

TEST_F(DeviceHookTest, RecordingKindsGetKeysAndButtonsKeyCaptureOnlyKeys) {
    ASSERT_EQ(hook_->Start(kHookMacroLater, true, true), 1);
    EXPECT_TRUE(state_->keys && state_->mouse);
    state_->Key(input::kKeyDown, 0x1E);
    state_->Button(input::kExtraButtonDown, 10, 20, input::kExtraButtonForward);
    RunPosted();
    ASSERT_EQ(keys_.size(), 1u);
    EXPECT_STREQ(keys_[0].message, "WM_HOOK_KEY_KBMACROLATER_MSG");
    EXPECT_EQ(keys_[0].event.record.scanCode, 0x1Eu);
    ASSERT_EQ(buttons_.size(), 1u);
    EXPECT_STREQ(buttons_[0].message, "WM_HOOK_KEY_MSMACROLATER_MSG");
    EXPECT_EQ(buttons_[0].event.record.ExtraButton(), input::kExtraButtonForward);

    ASSERT_EQ(hook_->Start(kHookSingleKey, true, true), 1);
    state_->Key(input::kKeyUp, 0x1E);
    state_->Button(input::kLeftButtonDown, 0, 0);
    RunPosted();
    ASSERT_EQ(keys_.size(), 2u);
    EXPECT_STREQ(keys_[1].message, "WM_HOOK_KEY_SINGLEKEY_MSG");
    EXPECT_EQ(buttons_.size(), 1u) << "key capture sees no buttons";
}

TEST_F(DeviceHookTest, EventsStillOnTheirWayWhenCaptureEndsAreDropped) {
    ASSERT_EQ(hook_->Start(kHookMacro, true, true), 1);
    state_->Key(input::kKeyDown, 0x1E);
    state_->Button(input::kLeftButtonDown, 0, 0);
    hook_->Stop();
    RunPosted();
    EXPECT_TRUE(keys_.empty());
    EXPECT_TRUE(buttons_.empty());
}

TEST_F(DeviceHookTest, ARefusedKeyboardKeepsTheKindAndCapturesNothing) {
    ASSERT_EQ(hook_->Start(kHookMacro, true, true), 1);
    state_->refuseKeys = true;
    EXPECT_EQ(hook_->Start(kHookMacroSingle, true, true), 0);
    EXPECT_EQ(hook_->Kind(), uint32_t(kHookMacro));
    EXPECT_FALSE(hook_->Capturing());
    state_->Key(input::kKeyDown, 0x1E);
    RunPosted();
    EXPECT_TRUE(keys_.empty());
}

TEST_F(DeviceHookTest, AnEventPostedAfterTheHookIsGoneIsDropped) {
    ASSERT_EQ(hook_->Start(kHookMacro, true, true), 1);
    state_->Key(input::kKeyDown, 0x1E);
    hook_.reset();
    RunPosted();  // must not touch the destroyed hook
    EXPECT_TRUE(keys_.empty());
}

TEST(DeviceHookWithoutBackend, StartFailsStopIsHarmless) {
    CDeviceHook hook(nullptr, [](std::function<void()> task) { task(); }, {});
    EXPECT_EQ(hook.Start(kHookMacro, true, true), 0);
    EXPECT_EQ(hook.Stop(), 0);
    EXPECT_FALSE(hook.DesktopWide());
}

}  // namespace
}  // namespace tirk
