// The keys a Linux keyboard reports, named as the scan table names them: the
// PC/AT set-1 make code and E0 flag of each recordable key, from the key's
// Linux input event code or its X keycode. Key capture and the input hook
// both match presses by these pairs (tirk::FindScanRow), so every key lands
// on its own row. Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <optional>

namespace tirk::input {

/// A key as the scan table holds it.
struct ScanCode {
    uint8_t code = 0;
    uint8_t extended = 0;  ///< 1: the E0 flag of the scan table's row

    bool operator==(const ScanCode&) const = default;
};

/// X servers with the evdev or libinput driver (Xorg, Xvfb) and XKB number
/// a key by its Linux input event code plus this offset.
inline constexpr int kXKeycodeOffset = 8;

/// The scan table's pair of the key with Linux input event code `evdevCode`
/// (linux/input-event-codes.h); nullopt for every key the scan table does not
/// hold, and for codes that are no key at all.
std::optional<ScanCode> ScanCodeOfLinuxKey(int evdevCode);

/// The same for an X keycode (the evdev code + 8), which is what Qt's key
/// events carry as their native scan code on X11 and Wayland.
std::optional<ScanCode> ScanCodeOfXKeycode(int xKeycode);

}  // namespace tirk::input
