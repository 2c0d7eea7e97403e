// What the input hook reports for an X key or button: the messages, the scan
// table's pairs, the lock-key codes and the extra-button numbers the capture
// handlers read.
#include "input/hook_events.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <climits>
#include <optional>

namespace tirk::input {
namespace {

constexpr int kX = 8;  // X keycode = Linux key code + 8

TEST(HookEventsTest, ButtonMessagesOfEveryXButton) {
    struct Case {
        int button;
        std::optional<ButtonMessage> press, release;
    };
    const Case cases[] = {
        {0, std::nullopt, std::nullopt},
        {1, ButtonMessage{kLeftButtonDown, 0}, ButtonMessage{kLeftButtonUp, 0}},
        {2, ButtonMessage{kMiddleButtonDown, 0}, ButtonMessage{kMiddleButtonUp, 0}},
        {3, ButtonMessage{kRightButtonDown, 0}, ButtonMessage{kRightButtonUp, 0}},
        {4, std::nullopt, std::nullopt},  // the wheel: up, down, left, right
        {5, std::nullopt, std::nullopt},
        {6, std::nullopt, std::nullopt},
        {7, std::nullopt, std::nullopt},
        {8, ButtonMessage{kExtraButtonDown, kExtraButtonBack},
         ButtonMessage{kExtraButtonUp, kExtraButtonBack}},
        {9, ButtonMessage{kExtraButtonDown, kExtraButtonForward},
         ButtonMessage{kExtraButtonUp, kExtraButtonForward}},
        {10, std::nullopt, std::nullopt},
        {255, std::nullopt, std::nullopt},
        {-1, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        for (const bool press : {true, false}) {
            const std::optional<ButtonMessage> got = ButtonMessageOfXButton(c.button, press);
            const std::optional<ButtonMessage>& want = press ? c.press : c.release;
            ASSERT_EQ(got.has_value(), want.has_value()) << "button " << c.button;
            if (!want) continue;
            EXPECT_EQ(got->message, want->message) << "button " << c.button << " " << press;
            EXPECT_EQ(got->extraButton, want->extraButton) << "button " << c.button;
        }
    }
}

TEST(HookEventsTest, LockKeysHaveTheirVirtualKeyCodes) {
    EXPECT_EQ(LockKeyVkOfLinuxKey(KEY_CAPSLOCK), kVkCapsLock);
    EXPECT_EQ(LockKeyVkOfLinuxKey(KEY_NUMLOCK), kVkNumLock);
    EXPECT_EQ(LockKeyVkOfLinuxKey(KEY_SCROLLLOCK), kVkScrollLock);
    for (const int other : {0, KEY_A, KEY_SPACE, KEY_F1, KEY_KP7, KEY_LEFTALT, 255, -1})
        EXPECT_EQ(LockKeyVkOfLinuxKey(other), 0u) << other;
}

TEST(HookEventsTest, KeyEventsOfXKeycodes) {
    struct Case {
        int xKeycode;
        bool press;
        bool altHeld;
        uint32_t message;
        uint32_t scanCode;
        uint32_t flags;
        uint32_t vkCode;
    };
    const Case cases[] = {
        {KEY_A + kX, true, false, kKeyDown, 0x1E, 0, 0},
        {KEY_A + kX, false, false, kKeyUp, 0x1E, 0, 0},
        {KEY_A + kX, true, true, kSysKeyDown, 0x1E, 0, 0},
        {KEY_A + kX, false, true, kSysKeyUp, 0x1E, 0, 0},
        {KEY_LEFTALT + kX, true, true, kSysKeyDown, 0x38, 0, 0},
        {KEY_RIGHTALT + kX, false, true, kSysKeyUp, 0x38, 1, 0},
        {KEY_RIGHTCTRL + kX, true, false, kKeyDown, 0x1D, 1, 0},
        {KEY_UP + kX, true, false, kKeyDown, 0x48, 1, 0},
        {KEY_KP8 + kX, true, false, kKeyDown, 0x48, 0, 0},
        {KEY_KPENTER + kX, false, false, kKeyUp, 0x1C, 1, 0},
        {KEY_CAPSLOCK + kX, true, false, kKeyDown, 0x3A, 0, kVkCapsLock},
        {KEY_NUMLOCK + kX, true, false, kKeyDown, 0x45, 1, kVkNumLock},
        {KEY_SCROLLLOCK + kX, false, true, kSysKeyUp, 0x46, 0, kVkScrollLock},
    };
    for (const Case& c : cases) {
        const std::optional<KeyHookEvent> event =
            KeyEventOfXKeycode(c.xKeycode, c.press, c.altHeld, 12345);
        ASSERT_TRUE(event) << c.xKeycode;
        EXPECT_EQ(event->message, c.message) << c.xKeycode;
        EXPECT_EQ(IsKeyPress(event->message), c.press) << c.xKeycode;
        EXPECT_EQ(event->record.scanCode, c.scanCode) << c.xKeycode;
        EXPECT_EQ(event->record.flags, c.flags) << c.xKeycode;
        EXPECT_EQ(event->record.vkCode, c.vkCode) << c.xKeycode;
        EXPECT_EQ(event->record.xKeycode, uint32_t(c.xKeycode));
        EXPECT_EQ(event->record.timeMs, 12345);
    }
}

// Keys outside the scan table are never reported: no keycode, the codes
// below the offset, a gap in the table, the multimedia keys, out of range.
TEST(HookEventsTest, KeysOutsideTheScanTableGiveNoEvent) {
    for (const int xKeycode : {INT_MIN, -1, 0, 7, 84 + kX, KEY_MUTE + kX, KEY_PLAYPAUSE + kX,
                               KEY_F13 + kX, 255, 256, INT_MAX}) {
        EXPECT_FALSE(KeyEventOfXKeycode(xKeycode, true, false, 0)) << xKeycode;
        EXPECT_FALSE(KeyEventOfXKeycode(xKeycode, false, true, 0)) << xKeycode;
    }
}

}  // namespace
}  // namespace tirk::input
