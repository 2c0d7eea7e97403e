#include "device/preview/preview_effects.h"

#include <chrono>

namespace tirk::preview {
namespace {

Rgb ProfileColour(const LightingParams& params) {
    return {params.red, params.green, params.blue};
}

// The wheel has an entry for every byte, so a position left by another
// effect (or a caller's state) still reads a colour.
Rgb WheelAt(uint8_t index) {
    return ColourWheel()[index];
}

Rgb CycleAt(uint8_t index) {
    return FourColourCycle()[index % kCycleLength];
}

uint8_t NextCycleIndex(uint8_t index) {
    return static_cast<uint8_t>((index % kCycleLength + 1) % kCycleLength);
}

// Moves the breathing phase; true when it came back to 0.
bool BreathePhase(const LightingParams& params, PreviewState& state) {
    state.phase = Step(params.direction != 0, kBreathingLength, state.phase, 1);
    return state.phase == 0;
}

uint8_t BreathingAlpha(const LightingParams& params, const PreviewState& state) {
    return static_cast<uint8_t>(BreathingCurve()[state.phase % kBreathingLength] *
                                LevelAlpha(params.level) / 256);
}

// Toggles the blink state once the speed's period has passed; true on a toggle.
bool BlinkToggle(const LightingParams& params, PreviewState& state, uint32_t nowMs) {
    if (nowMs - state.lastBlinkTick < BlinkPeriodMs(params.speed)) return false;
    state.blinkOn = state.blinkOn ? 0 : 1;
    state.lastBlinkTick = nowMs;
    state.phase = lighting::NextFlashHue(state.phase);
    return true;
}

}  // namespace

uint32_t SteadyTickMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

PreviewFrame BreathingStep(const LightingParams& params, PreviewState& state) {
    if (BreathePhase(params, state))
        state.wheelIndex = lighting::NextBreathingHue(state.wheelIndex);
    const Rgb colour = params.colourful ? WheelAt(state.wheelIndex) : ProfileColour(params);
    return {colour, BreathingAlpha(params, state)};
}

PreviewFrame FourColourBreathingStep(const LightingParams& params, PreviewState& state) {
    if (BreathePhase(params, state)) state.cycleIndex = NextCycleIndex(state.cycleIndex);
    return {CycleAt(state.cycleIndex), BreathingAlpha(params, state)};
}

PreviewFrame StaticStep(const LightingParams& params) {
    return {ProfileColour(params), LevelAlpha(params.level)};
}

PreviewFrame SpectrumStep(const LightingParams& params, PreviewState& state) {
    state.phase = Step(params.direction != 0, kWheelLength, state.phase, 1);
    return {WheelAt(state.phase), LevelAlpha(params.level)};
}

PreviewFrame BlinkStep(const LightingParams& params, PreviewState& state, uint32_t nowMs) {
    BlinkToggle(params, state, nowMs);
    if (!state.blinkOn) return OffStep();
    const Rgb colour = params.colourful ? WheelAt(state.phase) : ProfileColour(params);
    return {colour, LevelAlpha(params.level)};
}

PreviewFrame FourColourBlinkStep(const LightingParams& params, PreviewState& state,
                                 uint32_t nowMs) {
    if (BlinkToggle(params, state, nowMs)) state.cycleIndex = NextCycleIndex(state.cycleIndex);
    if (!state.blinkOn) return OffStep();
    return {CycleAt(state.cycleIndex), LevelAlpha(params.level)};
}

PreviewFrame OffStep() {
    return {};
}

PreviewFrame EffectStep(uint8_t effect, const LightingParams& params, PreviewState& state,
                        const TickSource& tick) {
    switch (effect) {
        case kEffectBreathing:
            return BreathingStep(params, state);
        case kEffectFourColourBreathing:
            return FourColourBreathingStep(params, state);
        case kEffectStatic:
            return StaticStep(params);
        case kEffectSpectrum:
            return SpectrumStep(params, state);
        case kEffectBlink:
            return BlinkStep(params, state, tick ? tick() : SteadyTickMs());
        case kEffectFourColourBlink:
            return FourColourBlinkStep(params, state, tick ? tick() : SteadyTickMs());
        default:
            return OffStep();
    }
}

}  // namespace tirk::preview
