// The 16-bit codes the mouse sends on its own (read by the notification
// listener of its cable or receiver), decoded into typed events, and what
// they change in the mouse's settings state.
#pragma once

#include <cstdint>

#include "device/mouse/mouse_settings.h"

namespace tirk::mouse {

enum class MouseEventKind {
    kNone,                ///< a code below 0x0401: not the mouse's
    kResync,              ///< 0x0401, 0x0402: read the settings again (in 50 ms)
    kReactiveTrigger,     ///< 0x0403: a button was pressed (the reactive preview lights up)
    kSlot,                ///< 0x10xx: the mouse switched to profile slot xx & 0x0F
    kSlotAndActiveStage,  ///< 0x11xx: the same, and active DPI stage (xx >> 4) & 0x0F
    kIgnored,             ///< any other code above 0x0403
};

struct MouseEvent {
    MouseEventKind kind = MouseEventKind::kNone;
    uint16_t code = 0;
    int slot = -1;         ///< kSlot, kSlotAndActiveStage
    int activeStage = -1;  ///< kSlotAndActiveStage
    bool operator==(const MouseEvent&) const = default;
};

MouseEvent DecodeMouseNotification(uint16_t code);

/// Applies a slot event to `state` (the slot, and the active stage for
/// kSlotAndActiveStage); other events change nothing. True when a value
/// changed (the page is then updated).
bool ApplyMouseEvent(const MouseEvent& event, MouseSettingsState& state);

}  // namespace tirk::mouse
