#include "device/preview/mouse_preview.h"

#include <algorithm>

namespace tirk::preview {
namespace {

constexpr int kFadeStep = 15;
constexpr uint8_t kWaveGroupOffset = 7;
constexpr int kShortCurveLength = lighting::kShortBreathingLength;
constexpr uint8_t kFlowHueStep = 12;
constexpr int kFlowLastGroup = kMouseGroupCount - 1;

uint8_t Scaled(uint8_t alpha, int by) {
    return static_cast<uint8_t>(alpha * by / 256);
}

void PaintGroup(MousePreviewState& state, int group, const PreviewFrame& frame) {
    for (int led : MouseLedGroups()[size_t(group)])
        if (led >= 0) state.leds[size_t(led)] = frame;
}

}  // namespace

const std::array<std::array<int, 3>, kMouseGroupCount>& MouseLedGroups() {
    static constexpr std::array<std::array<int, 3>, kMouseGroupCount> kGroups = {{
        {0, 13, -1},
        {1, 12, -1},
        {2, 11, -1},
        {3, 10, -1},
        {4, 9, -1},
        {5, 8, -1},
        {6, 14, 7},
    }};
    return kGroups;
}

MouseStepPlan MouseStepOf(int mode, int speed) {
    static constexpr int kPeriods[kLevelCount] = {8, 6, 4, 2, 1};
    static constexpr int kFlowPeriods[kLevelCount] = {16, 12, 8, 4, 2};
    const int s = std::clamp(speed, 0, kLevelCount - 1);
    const auto effect = [&](PreviewEffect e) {
        return MouseStepPlan{MouseStepKind::kDeviceEffect, e, kPeriods[s]};
    };
    switch (mode) {
        case 0:
            return {MouseStepKind::kWave, kEffectOff, kPeriods[s]};
        case 1:
            return effect(kEffectSpectrum);
        case 2:
            return effect(kEffectBreathing);
        case 3:
            return effect(kEffectStatic);
        case 4:
            return effect(kEffectBlink);
        case 5:
            return {MouseStepKind::kFlow, kEffectOff, kFlowPeriods[s]};
        case 6:
            return {MouseStepKind::kReactive, kEffectOff, kPeriods[s]};
        case 7:
            return effect(kEffectFourColourBreathing);
        case 8:
            return effect(kEffectFourColourBlink);
        case 10:
            return effect(kEffectOff);
        default:
            return {};
    }
}

void MouseWaveStep(const LightingParams& params, MousePreviewState& state) {
    const bool forward = params.direction != 0;
    const uint8_t alpha = LevelAlpha(params.level);
    const bool colourful = params.colourful != 0;
    const int length = colourful ? kWheelLength : kShortCurveLength;
    state.phase = Step(forward, uint8_t(length), state.phase, 1);
    for (int g = 0; g < kMouseGroupCount; ++g) {
        const int index = (state.phase + 1 + kWaveGroupOffset * g) % length;
        if (colourful) {
            PaintGroup(state, g, {ColourWheel()[size_t(index)], alpha});
        } else {
            const uint8_t level = lighting::ShortBreathingCurve()[size_t(index)];
            PaintGroup(state, g, {{params.red, params.green, params.blue}, Scaled(alpha, level)});
        }
    }
}

namespace {

void SeedFlowIfEmpty(MousePreviewState& state) {
    auto& ring = state.flow.ring;
    if (std::any_of(ring.begin(), ring.end(), [](uint8_t e) { return e != 0; })) return;
    ring[size_t(kMouseFlowPulse)] = 1;
    for (int g = 0; g < kMouseGroupCount; ++g)
        PaintGroup(state, g, {ColourWheel()[size_t(kFlowHueStep * (g + 1))], 0});
}

}  // namespace

void MouseFlowStep(const LightingParams& params, int mode, MousePreviewState& state) {
    const bool forward = params.direction != 0;
    const uint8_t alpha = LevelAlpha(params.level);
    ReactiveState& flow = state.flow;
    SeedFlowIfEmpty(state);
    state.phase = Step(forward, uint8_t(kWheelLength), state.phase, 1);
    StartReactive(flow);
    RotateRing(flow, forward);
    // While the group the flow enters at is still lit, the colours stay
    // where they are.
    const size_t entryKey = forward ? 0 : kFlowLastGroup;
    for (int g = 0; g < kMouseGroupCount; ++g) {
        FadeKey(flow, g, mode);
        Rgb colour{params.red, params.green, params.blue};
        if (params.colourful) {
            state.phase = uint8_t(state.phase + kFlowHueStep);
            const int first = MouseLedGroups()[size_t(g)][0];
            colour = flow.fade[entryKey] != 0 ? state.leds[size_t(first)].colour
                                              : ColourWheel()[state.phase % kWheelLength];
        }
        PaintGroup(state, g, {colour, Scaled(alpha, flow.fade[size_t(g)])});
    }
}

void TriggerMouseReactive(MousePreviewState& state, const std::function<uint8_t()>& randomHue) {
    for (int led = 0; led < kMouseLedCount; ++led) {
        state.reaction[size_t(led)] = 1;
        state.fade[size_t(led)] = 255;
        state.wheelIndex[size_t(led)] = uint8_t(randomHue() % kWheelLength);
    }
}

void MouseReactiveStep(const LightingParams& params, MousePreviewState& state) {
    const uint8_t alpha = LevelAlpha(params.level);
    for (size_t led = 0; led < size_t(kMouseLedCount); ++led) {
        uint8_t& fade = state.fade[led];
        if (state.reaction[led] == 1) {
            fade = uint8_t(std::min(255, fade + kFadeStep));
            if (fade == 255) state.reaction[led] = 2;
        } else if (state.reaction[led] == 2) {
            fade = uint8_t(std::max(0, fade - kFadeStep));
            if (fade == 0) state.reaction[led] = 0;
        }
        const Rgb colour = params.colourful ? ColourWheel()[state.wheelIndex[led]]
                                            : Rgb{params.red, params.green, params.blue};
        state.leds[led] = {colour, Scaled(alpha, fade)};
    }
}

}  // namespace tirk::preview
