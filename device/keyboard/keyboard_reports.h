// The 16-bit codes the keyboard sends on its own (read by the report
// listeners from the notification collection), decoded into typed events,
// and what they change in the device's settings state.
#pragma once

#include <cstdint>

#include "device/keyboard/keyboard_settings.h"

namespace tirk::keyboard {

/// Which listener read the code: the one on the cable's interface (device
/// kind 1) or the one on the receiver's (kind 9). Key events count only on
/// the cable's.
enum class ReportListener { kCable, kReceiver };

enum class KeyboardEventKind {
    kNone,             ///< a code below 0x0401: not the keyboard's
    kResync,           ///< 0x0401: read the settings again (in 50 ms)
    kResyncProfiles,   ///< 0x0402: also reload the profile list and the profile
    kKeyDown,          ///< 0x05xx on the cable: key index xx pressed
    kKeyUp,            ///< 0x06xx on the cable: key index xx released
    kActiveProfile,    ///< 0x10xx: the keyboard switched to profile xx & 0x0F
    kProfileAndFlags,  ///< 0x11xx: the same, and record byte 17 = (xx >> 4)
    kIgnored,          ///< any other code above 0x0402
};

struct KeyboardEvent {
    KeyboardEventKind kind = KeyboardEventKind::kNone;
    uint16_t code = 0;
    int keyIndex = -1;      ///< kKeyDown, kKeyUp
    int profile = -1;       ///< kActiveProfile, kProfileAndFlags
    int recordByte17 = -1;  ///< kProfileAndFlags
    bool operator==(const KeyboardEvent&) const = default;
};

KeyboardEvent DecodeKeyboardReport(uint16_t code, ReportListener listener);

/// Applies a profile event to `state` (the active profile, and record byte 17
/// for kProfileAndFlags); other events change nothing. True when a value
/// changed (the page is then refreshed).
bool ApplyDeviceReport(const KeyboardEvent& event, KeyboardSettingsState& state);

}  // namespace tirk::keyboard
