#include "device/mouse/mouse_notifications.h"

namespace tirk::mouse {
namespace {

constexpr uint16_t kResyncCode = 0x0401;
constexpr uint16_t kResyncProfilesCode = 0x0402;
constexpr uint16_t kReactiveCode = 0x0403;
constexpr uint8_t kSlotHigh = 0x10;
constexpr uint8_t kSlotAndStageHigh = 0x11;

}  // namespace

MouseEvent DecodeMouseNotification(uint16_t code) {
    MouseEvent event;
    event.code = code;
    const uint8_t high = code >> 8, low = code & 0xFF;
    if (code < kResyncCode) {
        event.kind = MouseEventKind::kNone;
    } else if (code == kResyncCode || code == kResyncProfilesCode) {
        event.kind = MouseEventKind::kResync;
    } else if (code == kReactiveCode) {
        event.kind = MouseEventKind::kReactiveTrigger;
    } else if (high == kSlotHigh) {
        event.kind = MouseEventKind::kSlot;
        event.slot = low & 0x0F;
    } else if (high == kSlotAndStageHigh) {
        event.kind = MouseEventKind::kSlotAndActiveStage;
        event.slot = low & 0x0F;
        event.activeStage = (low >> 4) & 0x0F;
    } else {
        event.kind = MouseEventKind::kIgnored;
    }
    return event;
}

bool ApplyMouseEvent(const MouseEvent& event, MouseSettingsState& state) {
    if (event.kind != MouseEventKind::kSlot && event.kind != MouseEventKind::kSlotAndActiveStage)
        return false;
    bool changed = state.slot != event.slot;
    state.slot = event.slot;
    if (event.kind == MouseEventKind::kSlotAndActiveStage) {
        changed = changed || state.activeStage != event.activeStage;
        state.activeStage = event.activeStage;
    }
    return changed;
}

}  // namespace tirk::mouse
