// The preview effects 0 to 6 as a pure state machine: the lighting values and
// the preview state go in, one colour and alpha for all LEDs come out. The
// device objects run a step per preview tick and show the result.
#pragma once

#include <cstdint>
#include <functional>

#include "device/preview/preview_math.h"

namespace tirk::preview {

/// The lighting values of the current profile that the preview reads.
struct LightingParams {
    uint8_t mode = 0;       ///< the preview effect, PreviewEffect
    uint8_t level = 4;      ///< brightness level 0..4
    uint8_t speed = 2;      ///< speed 0..4
    uint8_t direction = 0;  ///< non-zero: the phase runs forward
    uint8_t colourful = 0;  ///< non-zero: colours from the wheel, else red/green/blue
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

/// What the preview carries from one step to the next.
struct PreviewState {
    uint8_t phase = 0;           ///< breathing or wheel position
    uint8_t cycleIndex = 0;      ///< four-colour position, 0..3
    uint8_t wheelIndex = 0;      ///< breathing colour on the wheel, steps of 16
    uint8_t blinkOn = 0;         ///< blink effects: 1 while lit
    uint32_t lastBlinkTick = 0;  ///< tick of the last blink toggle
    bool operator==(const PreviewState&) const = default;
};

/// One preview result: the colour every LED shows and its alpha.
struct PreviewFrame {
    Rgb colour;
    uint8_t alpha = 0;
    bool operator==(const PreviewFrame&) const = default;
};

enum PreviewEffect : uint8_t {
    kEffectBreathing = 0,
    kEffectFourColourBreathing = 1,
    kEffectStatic = 2,
    kEffectSpectrum = 3,
    kEffectBlink = 4,
    kEffectFourColourBlink = 5,
    kEffectOff = 6,
};

/// Milliseconds on a monotonic clock, wrapping at 2^32 (the blink effects
/// only compare differences).
using TickSource = std::function<uint32_t()>;

/// The steady clock in milliseconds, truncated to 32 bits.
uint32_t SteadyTickMs();

/// Effect 0: the phase breathes through the curve; each return to phase 0
/// moves the colour 16 entries on along the wheel, back to 0 only above 192
/// (176 → 192 → 0; entry 192 is red again).
PreviewFrame BreathingStep(const LightingParams& params, PreviewState& state);
/// Effect 1: as effect 0 with the four-colour cycle advancing at phase 0.
PreviewFrame FourColourBreathingStep(const LightingParams& params, PreviewState& state);
/// Effect 2: the profile colour at the level's alpha; the state is unchanged.
PreviewFrame StaticStep(const LightingParams& params);
/// Effect 3: the phase runs through the wheel, one entry per step.
PreviewFrame SpectrumStep(const LightingParams& params, PreviewState& state);
/// Effect 4: toggles once the speed's period has passed since the last toggle
/// (at `nowMs`), moving the wheel phase 16 on; lit: wheel or profile colour at
/// the level's alpha, dark: all zero.
PreviewFrame BlinkStep(const LightingParams& params, PreviewState& state, uint32_t nowMs);
/// Effect 5: as effect 4 with the four-colour cycle advancing at each toggle.
PreviewFrame FourColourBlinkStep(const LightingParams& params, PreviewState& state, uint32_t nowMs);
/// Effect 6 (and any unknown effect): all zero.
PreviewFrame OffStep();

/// Runs the step of `effect`; `tick` is read only by the blink effects.
PreviewFrame EffectStep(uint8_t effect, const LightingParams& params, PreviewState& state,
                        const TickSource& tick);

}  // namespace tirk::preview
