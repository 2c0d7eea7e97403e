// The keyboard modes' starts and steps, except the ripples (ripple.cpp),
// music (music.cpp) and the heat map (reactive.cpp). In the modes where keys
// fade, the fade runs first in a step and the keys lit by the step come
// after it, so a key lit in a step shows its full level.
#include <algorithm>

#include "device/lighting/layout_tables.h"
#include "device/lighting/lighting_steps.h"

namespace tirk::lighting {
namespace {

constexpr int kLiveKeys = 126;  // positions 0..125; the rest are placeholders
constexpr int kRaindrops = 6;
constexpr uint8_t kSeedHueStep = 33;
constexpr uint8_t kRunnerLevel = 254;
constexpr std::array<uint8_t, 4> kPresetHues{174, 25, 70, 95};

bool Forward(const EngineState& s) {
    return s.light.fx != 0;
}

uint8_t WheelHue(int hue) {
    return uint8_t(hue % kHueCount);
}

// Hue of position i = hue of position i − 1 + 33 (modulo 192), from 33.
void SeedHues(EngineState& s) {
    uint8_t hue = 0;
    for (uint8_t& h : s.hues) h = hue = WheelHue(hue + kSeedHueStep);
}

template <typename Fn>
void ForKeyOrder(Fn&& fn) {
    const auto& order = Layout().keyOrder;
    for (int k = 0; k < kKeyOrderLength && order[k] != kNoKey; ++k) fn(k, order[k]);
}

template <typename Fn>
void ForRingKeys(Fn&& fn) {
    for (int ring = 0; ring < kRingCount; ++ring)
        for (uint8_t key : Layout().rings[ring])
            if (key != kNoKey) fn(ring, key);
}

void StepWaveColumns(EngineState& s) {  // 1
    const uint8_t bright = Bright(s);
    if (s.light.multiColor) {
        s.phase = Advance(Forward(s), kHueCount, s.phase);
        for (int c = 0; c < kMatrixColumns; ++c)
            SetColumn(s, c, ColourWheel()[WheelHue(s.phase + 1 + 7 * c)], bright);
        return;
    }
    s.phase = Advance(Forward(s), kShortBreathingLength, s.phase);
    for (int c = 0; c < kMatrixColumns; ++c) {
        const uint8_t curve = ShortBreathingCurve()[(s.phase + 1 + 7 * c) % kShortBreathingLength];
        SetColumn(s, c, LightColour(s), Scale(bright, curve));
    }
}

void StepFineWave(EngineState& s) {  // 2
    const uint8_t bright = Bright(s);
    if (s.light.multiColor) {
        s.phase = Advance(Forward(s), kHueCount, s.phase);
        for (int c = 0; c < kMatrixColumns; ++c)
            SetColumn(s, c, ColourWheel()[WheelHue(s.phase + 2 * c)], bright);
        return;
    }
    s.phase = Advance(Forward(s), kBreathingLength, s.phase);
    for (int c = 0; c < kMatrixColumns; ++c)
        SetColumn(s, c, LightColour(s),
                  Scale(bright, PulseCurve()[(s.phase + 7 * c) % kBreathingLength]));
}

void StepRainbowOrder(EngineState& s) {  // 3
    const uint8_t bright = Bright(s);
    if (s.light.multiColor) {
        s.phase = Advance(Forward(s), kHueCount, s.phase);
        ForKeyOrder([&](int k, uint8_t key) {
            SetKey(s, key, ColourWheel()[WheelHue(s.phase + 5 * k)], bright);
        });
        return;
    }
    s.phase = Advance(Forward(s), kShortBreathingLength, s.phase);
    ForKeyOrder([&](int k, uint8_t key) {
        const uint8_t curve = ShortBreathingCurve()[(s.phase + 5 * k) % kShortBreathingLength];
        SetKey(s, key, LightColour(s), Scale(bright, curve));
    });
}

void StepColourCycle(EngineState& s) {  // 4
    s.phase = Advance(Forward(s), kHueCount, s.phase);
    SetAll(s, ColourWheel()[s.phase], Bright(s));
}

void StepBreathingColumns(EngineState& s) {  // 5
    s.phase = Advance(true, kBreathingLength, s.phase);
    const uint8_t alpha = Scale(BreathingCurve()[s.phase], Bright(s));
    for (int c = 0; c < kMatrixColumns; ++c)
        SetColumn(s, c, s.light.multiColor ? ColourWheel()[7 * c] : LightColour(s), alpha);
}

void StepStatic(EngineState& s) {  // 6
    const uint8_t bright = Bright(s);
    if (!s.light.multiColor) return SetAll(s, LightColour(s), bright);
    ForRingKeys([&](int ring, uint8_t key) {
        SetKey(s, key, ColourWheel()[150 - 12 * (ring + 1)], bright);
    });
}

void StepRaindrops(EngineState& s) {  // 10
    FadeAll(s, FadeSchedule::kOther);
    for (int i = 0; i < kRaindrops; ++i) {
        const uint8_t key = Layout().randomPicks[NextRandom(s) % kRandomPicks];
        s.levels[key] = 255;
        s.hues[key] = uint8_t(NextRandom(s) % kHueCount);
    }
    ShowLevels(s, kLiveKeys);
}

void StepRainbowFlow(EngineState& s) {  // 11
    const uint8_t bright = Bright(s);
    for (int p = 0; p < kLiveKeys; ++p) {
        s.hues[p] = s.hues[p] + 1 >= kHueCount ? 0 : uint8_t(s.hues[p] + 1);
        SetKey(s, p, ColourWheel()[s.hues[p]], bright);
    }
}

void StepWaveRows(EngineState& s) {  // 12
    s.phase = Advance(Forward(s), kHueCount, s.phase);
    const uint8_t bright = Bright(s);
    for (int r = 0; r < kMatrixRows; ++r)
        for (int c = 0; c < kMatrixColumns; ++c)
            SetKey(s, MatrixKey(c, r), ColourWheel()[WheelHue(s.phase + 1 + 24 * r)], bright);
}

// Modes 15 and 22: each key's level climbs by `by` along the key order; at
// 192 it starts again with a new random hue. Alpha follows the pulse curve.
void StepPulseKeys(EngineState& s, int by) {
    const uint8_t bright = Bright(s);
    ForKeyOrder([&](int, uint8_t key) {
        const int level = s.levels[key] + by;
        s.levels[key] = level >= kHueCount ? 0 : uint8_t(level);
        if (level >= kHueCount) s.hues[key] = uint8_t(NextRandom(s) % kHueCount);
        SetKey(s, key, KeyRgb(s, s.hues[key]), Scale(bright, PulseCurve()[s.levels[key]]));
    });
}

void StepPreset(EngineState& s) {  // 17
    const uint8_t mode = s.light.zzccLedMode;
    const uint8_t hue = mode < kPresetHues.size() ? kPresetHues[mode] : kPresetHues[0];
    SetAll(s, ColourWheel()[hue], Bright(s));
}

void StepRings(EngineState& s) {  // 18
    s.phase = Advance(Forward(s), kHueCount, s.phase);
    const uint8_t bright = Bright(s);
    ForRingKeys([&](int ring, uint8_t key) {
        SetKey(s, key, ColourWheel()[WheelHue(s.phase + 7 * (ring + 1))], bright);
    });
}

void StepCustom(EngineState& s) {  // 20
    const uint8_t bright = Bright(s);
    for (int p = 0; p < kPositionCount; ++p) SetKey(s, p, s.customColours[p], bright);
}

void StepChase(EngineState& s) {  // 21
    s.phase = Advance(Forward(s), kPositionCount, s.phase);
    FadeAll(s, FadeSchedule::kOther);
    const uint8_t key = Layout().chaseOrder[s.phase];
    if (key != kNoKey) s.levels[key] = kRunnerLevel;
    ShowLevels(s);
}

void StepFlash(EngineState& s, Millis now) {  // 23
    if (FlashToggle(now, FlashPeriod(s.light.speed), s.lastFlash, s.flashOn))
        s.flashHue = NextFlashHue(s.flashHue);
    if (!s.flashOn) return AllOff(s);
    SetAll(s, KeyRgb(s, s.flashHue), Bright(s));
}

void StepSweep(EngineState& s) {  // 24
    s.phase = Advance(Forward(s), kSweepFrames, s.phase);
    for (int p = 0; p < kPositionCount; ++p) {
        s.levels[p] = s.levels[p] > 5 ? uint8_t(s.levels[p] - 5) : 0;
        if (s.hues[p] != 255) s.hues[p] = uint8_t(s.hues[p] + 3);
    }
    for (uint8_t key : Layout().sweepFrames[s.phase]) {
        if (key == kNoKey) continue;
        s.levels[key] = 255;
        s.hues[key] = 0;
    }
    const uint8_t bright = Bright(s);
    for (int p = 0; p < kPositionCount; ++p) {
        if (s.light.multiColor)
            SetKey(s, p, ColourWheel()[s.hues[p]], bright);
        else
            SetKey(s, p, LightColour(s), Scale(bright, s.levels[p]));
    }
}

void StepFourColourBreathing(EngineState& s) {  // 26
    s.phase = Advance(Forward(s), kBreathingLength, s.phase);
    if (s.phase == 0) s.cycleIndex = uint8_t((s.cycleIndex + 1) % kFixedColourCount);
    const uint8_t alpha = Scale(BreathingCurve()[s.phase], Bright(s));
    SetAll(s, FixedColours()[s.cycleIndex % kFixedColourCount], alpha);
}

void StepFourColourFlash(EngineState& s, Millis now) {  // 27
    if (FlashToggle(now, FlashPeriod(s.light.speed), s.lastFlash, s.flashOn))
        s.cycleIndex = uint8_t((s.cycleIndex + 1) % kFixedColourCount);
    if (!s.flashOn) return AllOff(s);
    SetAll(s, FixedColours()[s.cycleIndex % kFixedColourCount], Bright(s));
}

uint8_t Channel(int32_t value) {
    return uint8_t(std::clamp(value, 0, 255));
}

void StepExternal(EngineState& s) {  // 30
    SetAll(s, {Channel(s.external[0]), Channel(s.external[1]), Channel(s.external[2])}, Bright(s));
}

void StartTwinkle(EngineState& s) {  // 15
    for (int c = 0; c < kMatrixColumns; ++c)
        for (int r = 0; r < kMatrixRows; ++r) {
            const uint8_t key = MatrixKey(c, r);
            if (key == kNoKey) continue;
            s.levels[key] = Layout().twinkleStart[c][r];
            s.hues[key] = uint8_t(6 * c);
        }
}

// 192 − 8c in column c, 35 less per row, wrapped into 0..191.
void StartStagger(EngineState& s) {  // 22
    for (int c = 0; c < kMatrixColumns; ++c)
        for (int r = 0; r < kStaggerRows; ++r) {
            const uint8_t key = Layout().staggerColumns[c][r];
            if (key == kNoKey) continue;
            const int level = 192 - 8 * c - 35 * r;
            s.levels[key] = uint8_t((level % kHueCount + kHueCount) % kHueCount);
            s.hues[key] = uint8_t(7 * c);
        }
}

}  // namespace

bool IsTimelineMode(int mode) {
    return mode == 0 || mode == 19 || mode > 30;
}

Millis FlashPeriod(int speed) {
    return Millis(EffectThreshold(speed) * 200);
}

bool FlashToggle(Millis now, Millis period, Millis& lastToggle, uint8_t& on) {
    if (now - lastToggle < period) return false;
    on = on ? 0 : 1;
    lastToggle = now;
    return true;
}

void ResetEffectState(EngineState& s) {
    s.phase = 0;
    s.flashHue = 0;
    s.cycleIndex = 0;
    s.flashOn = 0;
    s.lastFlash = kLongAgo;
    s.frame = 0;
    s.audioStart = 0;
    s.audioSum = 0;
    s.ripple = {};
    s.hues.fill(0);
    s.levels.fill(0);
    s.reactive = {};
    s.audioLevels.fill(0);
    s.columnReady.fill(1);
    s.showStage = ShowStage::kFrames;
    s.showLastLit = false;
    AllOff(s);
    s.dirty = true;
}

void StartMode(EngineState& s) {
    ResetEffectState(s);
    switch (s.light.selectItem) {
        case 13:
            SeedRipple(s.ripple, 9, kMatrixRows);
            break;
        case 15:
            StartTwinkle(s);
            break;
        case 16:
            SeedRipple(s.ripple, 1, 0);
            break;
        case 20:
            break;  // the step shows the custom colours as loaded
        case 22:
            StartStagger(s);
            break;
        default:
            SeedHues(s);
    }
}

void RunModeStep(EngineState& s, Millis now) {
    switch (s.light.selectItem) {
        case 1:
            return StepWaveColumns(s);
        case 2:
            return StepFineWave(s);
        case 3:
            return StepRainbowOrder(s);
        case 4:
            return StepColourCycle(s);
        case 5:
            return StepBreathingColumns(s);
        case 6:
            return StepStatic(s);
        case 10:
            return StepRaindrops(s);
        case 11:
            return StepRainbowFlow(s);
        case 12:
            return StepWaveRows(s);
        case 13:
            return StepRipple13(s);
        case 14:
            return StepShow14(s);
        case 15:
            return StepPulseKeys(s, 2);
        case 16:
            return StepRipple16(s);
        case 17:
            return StepPreset(s);
        case 18:
            return StepRings(s);
        case 20:
            return StepCustom(s);
        case 21:
            return StepChase(s);
        case 22:
            return StepPulseKeys(s, 1);
        case 23:
            return StepFlash(s, now);
        case 24:
            return StepSweep(s);
        case 25:
            return StepHeatMap(s);
        case 26:
            return StepFourColourBreathing(s);
        case 27:
            return StepFourColourFlash(s, now);
        case 29:
            return StepMusic(s);
        case 30:
            return StepExternal(s);
        default:
            return AllOff(s);  // 7, 8, 9, 28; the timeline modes never come here
    }
}

bool ModeAnimates(const EngineState& s) {
    switch (s.light.selectItem) {
        case 6:
        case 7:
        case 8:
        case 9:
        case 17:
        case 20:
        case 28:
        case 30:
            return false;
        case 25:
            return HeatMapMoving(s);
        default:
            return !IsTimelineMode(s.light.selectItem);
    }
}

Millis ModeInterval(const EngineState& s) {
    if (s.light.selectItem == 29) return 2 * kTick;  // more than one counted tick
    const int threshold = ModeThreshold(s.light.selectItem, s.light.speed);
    return std::max(threshold, 1) * kTick;
}

}  // namespace tirk::lighting
