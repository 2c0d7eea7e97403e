// The mouse's own preview steps over its 15 LEDs, which form seven groups
// (two LEDs a group, three in the last): the wave and the reactive effect,
// and which step each lighting mode runs at which period. Pure functions on
// values; the mouse's device object runs them on its lighting thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "device/preview/preview_effects.h"
#include "device/preview/preview_math.h"
#include "device/preview/reactive_fade.h"

namespace tirk::preview {

inline constexpr int kMouseLedCount = 15;
inline constexpr int kMouseGroupCount = 7;

/// The LEDs of each group; −1 pads the groups of two.
const std::array<std::array<int, 3>, kMouseGroupCount>& MouseLedGroups();

/// What the mouse shows on its LEDs.
using MouseLeds = std::array<PreviewFrame, kMouseLedCount>;

/// What the mouse's preview carries from one step to the next.
struct MousePreviewState {
    uint8_t phase = 0;
    /// Per LED: 1 rising, 2 falling, 0 resting; its fade and its wheel colour.
    std::array<uint8_t, kMouseLedCount> reaction{};
    std::array<uint8_t, kMouseLedCount> fade{};
    std::array<uint8_t, kMouseLedCount> wheelIndex{};
    MouseLeds leds{};
    /// The flow's fade per group and the ring that starts it.
    ReactiveState flow{};
};

/// Which step a lighting mode runs.
enum class MouseStepKind { kNone, kWave, kFlow, kReactive, kDeviceEffect };

struct MouseStepPlan {
    MouseStepKind kind = MouseStepKind::kNone;
    PreviewEffect effect = kEffectOff;  ///< kDeviceEffect: the shared effect
    int periodTicks = 0;                ///< ticks between two steps
};

/// Whether a step of `plan` can show other colours than the one before with
/// the same lighting values: static and off cannot, so one pass shows them.
inline bool ChangesOverTime(const MouseStepPlan& plan) {
    return plan.kind != MouseStepKind::kNone &&
           !(plan.kind == MouseStepKind::kDeviceEffect &&
             (plan.effect == kEffectStatic || plan.effect == kEffectOff));
}

/// The step of mode `mode` at speed `speed` (0 … 4; above 4 reads as 4):
/// modes 0 wave, 1 spectrum, 2 breathing, 3 static, 4 blink, 5 flow,
/// 6 reactive, 7 four-colour breathing, 8 four-colour blink, 10 off; periods
/// 8, 6, 4, 2, 1 ticks (flow 16, 12, 8, 4, 2); any other mode runs nothing.
MouseStepPlan MouseStepOf(int mode, int speed);

/// One wave step: colourful, group g shows the wheel at (phase + 1 + 7g) mod
/// 192 at the level's alpha; otherwise the colour at the level's alpha scaled
/// by the short breathing curve at (phase + 1 + 7g) mod 96.
void MouseWaveStep(const LightingParams& params, MousePreviewState& state);

/// The ring entry the flow starts with when its ring is empty: one pulse
/// that runs over the groups once per turn of the ring. One, not several:
/// colourful groups change colour only while the group the pulse enters at
/// is dark, which a second pulse would never let happen.
inline constexpr int kMouseFlowPulse = 0;

/// One flow step of lighting mode `mode`. An empty ring gets its pulse, and
/// the groups their first colours (the wheel 12 entries apart) so the first
/// pulse is not dark. Then the phase moves one wheel entry;
/// the ring starts its keys and rotates (right with the direction); each
/// group g fades key g one step of `mode`. Colourful: per group the phase
/// advances 12 (as a byte) and the group takes the wheel colour at the
/// phase mod 192, unless it keeps the colour its first LED shows (direction
/// set and key 0 still fading, or direction clear and key 6, as the fade
/// stands at the group's turn); otherwise the colour. Group g's alpha = level alpha × fade[g] /
/// 256.
void MouseFlowStep(const LightingParams& params, int mode, MousePreviewState& state);

/// A button was pressed (the mouse's 0x0403): every LED starts rising, each
/// with a wheel colour `randomHue()` gives (0 … 191).
void TriggerMouseReactive(MousePreviewState& state, const std::function<uint8_t()>& randomHue);

/// One reactive step: rising LEDs gain 15 up to 255 and then fall, falling
/// ones lose 15 down to 0; colour: their wheel colour when colourful, else
/// the colour; alpha = level alpha × fade / 256.
void MouseReactiveStep(const LightingParams& params, MousePreviewState& state);

}  // namespace tirk::preview
