#include "input/hook_events.h"

#include "input/key_codes.h"

namespace tirk::input {
namespace {

// Linux input event codes of the lock keys (linux/input-event-codes.h).
constexpr int kLinuxCapsLock = 58;
constexpr int kLinuxNumLock = 69;
constexpr int kLinuxScrollLock = 70;

// X pointer buttons (the core protocol's numbering).
constexpr int kXButtonLeft = 1;
constexpr int kXButtonMiddle = 2;
constexpr int kXButtonRight = 3;
constexpr int kXButtonBack = 8;
constexpr int kXButtonForward = 9;

struct ButtonMessages {
    uint32_t down;
    uint32_t up;
    uint16_t extraButton;
};

std::optional<ButtonMessages> MessagesOfXButton(int xButton) {
    switch (xButton) {
        case kXButtonLeft:
            return ButtonMessages{kLeftButtonDown, kLeftButtonUp, 0};
        case kXButtonMiddle:
            return ButtonMessages{kMiddleButtonDown, kMiddleButtonUp, 0};
        case kXButtonRight:
            return ButtonMessages{kRightButtonDown, kRightButtonUp, 0};
        case kXButtonBack:
            return ButtonMessages{kExtraButtonDown, kExtraButtonUp, kExtraButtonBack};
        case kXButtonForward:
            return ButtonMessages{kExtraButtonDown, kExtraButtonUp, kExtraButtonForward};
        default:
            return std::nullopt;  // the wheel's four buttons and anything beyond 9
    }
}

uint32_t KeyMessage(bool press, bool altHeld) {
    if (altHeld) return press ? kSysKeyDown : kSysKeyUp;
    return press ? kKeyDown : kKeyUp;
}

}  // namespace

uint32_t LockKeyVkOfLinuxKey(int evdevCode) {
    switch (evdevCode) {
        case kLinuxCapsLock:
            return kVkCapsLock;
        case kLinuxNumLock:
            return kVkNumLock;
        case kLinuxScrollLock:
            return kVkScrollLock;
        default:
            return 0;
    }
}

std::optional<ButtonMessage> ButtonMessageOfXButton(int xButton, bool press) {
    const std::optional<ButtonMessages> messages = MessagesOfXButton(xButton);
    if (!messages) return std::nullopt;
    return ButtonMessage{press ? messages->down : messages->up, messages->extraButton};
}

std::optional<KeyHookEvent> KeyEventOfXKeycode(int xKeycode, bool press, bool altHeld,
                                               int64_t timeMs) {
    const std::optional<ScanCode> scan = ScanCodeOfXKeycode(xKeycode);
    if (!scan) return std::nullopt;
    KeyHookEvent event;
    event.message = KeyMessage(press, altHeld);
    event.record.vkCode = LockKeyVkOfLinuxKey(xKeycode - kXKeycodeOffset);
    event.record.scanCode = scan->code;
    event.record.flags = scan->extended ? 1u : 0u;
    event.record.xKeycode = uint32_t(xKeycode);
    event.record.timeMs = timeMs;
    return event;
}

}  // namespace tirk::input
