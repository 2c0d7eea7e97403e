#include "device/keyboard/keyboard_reports.h"

namespace tirk::keyboard {
namespace {

constexpr uint16_t kResyncCode = 0x0401;
constexpr uint16_t kResyncProfilesCode = 0x0402;
constexpr uint8_t kKeyDownHigh = 0x05;
constexpr uint8_t kKeyUpHigh = 0x06;
constexpr uint8_t kProfileHigh = 0x10;
constexpr uint8_t kProfileAndFlagsHigh = 0x11;

}  // namespace

KeyboardEvent DecodeKeyboardReport(uint16_t code, ReportListener listener) {
    KeyboardEvent event;
    event.code = code;
    const uint8_t high = code >> 8, low = code & 0xFF;
    const bool cable = listener == ReportListener::kCable;
    if (code < kResyncCode) {
        event.kind = KeyboardEventKind::kNone;
    } else if (code == kResyncCode) {
        event.kind = KeyboardEventKind::kResync;
    } else if (code == kResyncProfilesCode) {
        event.kind = KeyboardEventKind::kResyncProfiles;
    } else if (cable && (high == kKeyDownHigh || high == kKeyUpHigh)) {
        event.kind = high == kKeyDownHigh ? KeyboardEventKind::kKeyDown : KeyboardEventKind::kKeyUp;
        event.keyIndex = low;
    } else if (high == kProfileHigh) {
        event.kind = KeyboardEventKind::kActiveProfile;
        event.profile = low & 0x0F;
    } else if (high == kProfileAndFlagsHigh) {
        event.kind = KeyboardEventKind::kProfileAndFlags;
        event.profile = low & 0x0F;
        event.recordByte17 = low >> 4;
    } else {
        event.kind = KeyboardEventKind::kIgnored;
    }
    return event;
}

bool ApplyDeviceReport(const KeyboardEvent& event, KeyboardSettingsState& state) {
    if (event.kind != KeyboardEventKind::kActiveProfile &&
        event.kind != KeyboardEventKind::kProfileAndFlags)
        return false;
    bool changed = state.activeProfile != event.profile;
    state.activeProfile = event.profile;
    state.raw[kActiveProfileByte] = static_cast<uint8_t>(event.profile);
    if (event.kind == KeyboardEventKind::kProfileAndFlags) {
        changed = changed || state.raw[kKeyboardOwnByte] != event.recordByte17;
        state.raw[kKeyboardOwnByte] = static_cast<uint8_t>(event.recordByte17);
    }
    return changed;
}

}  // namespace tirk::keyboard
