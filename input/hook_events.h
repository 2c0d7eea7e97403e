// What the input hook reports: key and mouse-button events from anywhere on
// the desktop, in the message numbers and records the capture handlers of the
// macro page and the key-assignment panel read. The numbers are the classic
// PC window-message numbers, which the macro and key tables are written
// against; the records carry only what those handlers use. Plain C++.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tirk::input {

// Keyboard messages (the event's `message`).
inline constexpr uint32_t kKeyDown = 0x0100;
inline constexpr uint32_t kKeyUp = 0x0101;
inline constexpr uint32_t kSysKeyDown = 0x0104;
inline constexpr uint32_t kSysKeyUp = 0x0105;

// Mouse-button messages.
inline constexpr uint32_t kLeftButtonDown = 0x0201;
inline constexpr uint32_t kLeftButtonUp = 0x0202;
inline constexpr uint32_t kRightButtonDown = 0x0204;
inline constexpr uint32_t kRightButtonUp = 0x0205;
inline constexpr uint32_t kMiddleButtonDown = 0x0207;
inline constexpr uint32_t kMiddleButtonUp = 0x0208;
inline constexpr uint32_t kExtraButtonDown = 0x020B;
inline constexpr uint32_t kExtraButtonUp = 0x020C;

/// Extra-button numbers (the high 16 bits of a mouse record's `mouseData`).
inline constexpr uint16_t kExtraButtonBack = 1;
inline constexpr uint16_t kExtraButtonForward = 2;

/// Virtual-key codes of the three lock keys, which keep working while the
/// keyboard is captured.
inline constexpr uint32_t kVkCapsLock = 0x14;
inline constexpr uint32_t kVkNumLock = 0x90;
inline constexpr uint32_t kVkScrollLock = 0x91;

/// A key press or release.
struct KeyHookRecord {
    uint32_t vkCode = 0;    ///< one of the lock-key codes above, else 0
    uint32_t scanCode = 0;  ///< PC/AT set-1 make code
    uint32_t flags = 0;     ///< bit 0: the E0 (extended) flag
    uint32_t xKeycode = 0;  ///< the key as the window system numbers it
    /// When the event happened, in milliseconds of std::chrono::steady_clock
    /// (so that it compares with the clock the pages read).
    int64_t timeMs = 0;
};

/// A mouse-button press or release.
struct MouseHookRecord {
    int32_t x = 0;  ///< cursor position, screen coordinates
    int32_t y = 0;
    /// High 16 bits: the extra-button number for kExtraButtonDown/Up.
    uint32_t mouseData = 0;
    int64_t timeMs = 0;  ///< as KeyHookRecord::timeMs

    uint16_t ExtraButton() const { return uint16_t(mouseData >> 16); }
};

struct KeyHookEvent {
    uint32_t message = 0;  ///< kKeyDown, kKeyUp, kSysKeyDown or kSysKeyUp
    KeyHookRecord record;
};

struct MouseHookEvent {
    uint32_t message = 0;  ///< one of the mouse-button messages
    MouseHookRecord record;
};

/// True for kKeyDown and kSysKeyDown: everything else is a release.
inline bool IsKeyPress(uint32_t message) {
    return message == kKeyDown || message == kSysKeyDown;
}

/// The lock key's virtual-key code of a Linux input event code (Caps 58,
/// Num 69, Scroll 70); 0 for any other key.
uint32_t LockKeyVkOfLinuxKey(int evdevCode);

/// The press or release message of an X pointer button (1 left, 2 middle,
/// 3 right, 8 back, 9 forward) and the extra-button number it carries;
/// nullopt for the wheel (4 to 7) and buttons beyond 9.
struct ButtonMessage {
    uint32_t message = 0;
    uint16_t extraButton = 0;
};
std::optional<ButtonMessage> ButtonMessageOfXButton(int xButton, bool press);

/// The key event an X keycode press or release gives: the scan table's pair
/// of the key, its lock-key code and the message (Alt held: the "system"
/// messages, as the original keyboard hook reported them). nullopt for a key
/// the scan table does not hold: such a key is never reported.
std::optional<KeyHookEvent> KeyEventOfXKeycode(int xKeycode, bool press, bool altHeld,
                                               int64_t timeMs);

}  // namespace tirk::input
