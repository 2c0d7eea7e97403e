// The per-key effects of the profile's "LightList", laid over the mode: each
// present entry paints its key on every pass; breathing and colour cycle
// advance once per tick, flash by its own period.
#include <algorithm>

#include "device/lighting/lighting_steps.h"

namespace tirk::lighting {
namespace {

enum KeyMode : uint8_t { kBreathing = 0, kStatic = 1, kFlash = 2, kColourCycle = 3, kOff = 4 };
constexpr int kBreathingBaseStep = 4;
constexpr uint8_t kFlashHueStep = 14;

uint8_t NextHue(uint8_t hue, int by) {
    return hue + by > kHueCount - 1 ? 0 : uint8_t(hue + by);
}

Rgb EntryColour(const LedEffect& e) {
    return {e.red, e.green, e.blue};
}

void Breathe(EngineState& s, int p, bool advance) {
    const LedEffect& e = s.effects[p];
    KeyEffectState& k = s.keyEffects;
    if (advance) {
        const int phase = k.phase[p] + e.speed + kBreathingBaseStep;
        k.phase[p] = phase >= kBreathingLength ? 0 : uint8_t(phase);
        if (phase >= kBreathingLength) k.hue[p] = NextHue(k.hue[p], 1);
    }
    const Rgb colour = e.multiColor ? ColourWheel()[k.hue[p]] : EntryColour(e);
    SetKey(s, p, colour, Scale(BreathingCurve()[k.phase[p]], BrightnessAlpha(e.brightness)));
}

void Cycle(EngineState& s, int p, bool advance) {
    const LedEffect& e = s.effects[p];
    KeyEffectState& k = s.keyEffects;
    if (advance && ++k.counter[p] >= EffectThreshold(e.speed)) {
        k.counter[p] = 0;
        k.hue[p] = NextHue(k.hue[p], 1);
    }
    SetKey(s, p, ColourWheel()[k.hue[p]], BrightnessAlpha(e.brightness));
}

void Flash(EngineState& s, int p, Millis now) {
    const LedEffect& e = s.effects[p];
    KeyEffectState& k = s.keyEffects;
    if (FlashToggle(now, FlashPeriod(e.speed), k.lastToggle[p], k.flashOn[p]))
        k.hue[p] = NextHue(k.hue[p], kFlashHueStep);
    if (!k.flashOn[p]) return SetKey(s, p, {}, 0);
    const Rgb colour = e.multiColor ? ColourWheel()[k.hue[p]] : EntryColour(e);
    SetKey(s, p, colour, BrightnessAlpha(e.brightness));
}

}  // namespace

void ResetKeyEffects(EngineState& s) {
    s.keyEffects = {};
}

void KeyEffectPass(EngineState& s, Millis now) {
    KeyEffectState& k = s.keyEffects;
    const bool advance = now >= k.nextAdvance;
    if (advance) k.nextAdvance = now + kTick;
    for (int p = 0; p < kPositionCount; ++p) {
        const LedEffect& e = s.effects[p];
        if (!e.present) continue;
        switch (e.mode) {
            case kBreathing:
                Breathe(s, p, advance);
                break;
            case kStatic:
                SetKey(s, p, EntryColour(e), BrightnessAlpha(e.brightness));
                break;
            case kColourCycle:
                Cycle(s, p, advance);
                break;
            case kFlash:
                Flash(s, p, now);
                break;
            case kOff:
                SetKey(s, p, {}, 0);
                break;
            default:
                break;  // not a per-key mode: the mode's colour stays
        }
    }
}

Millis KeyEffectsDue(const EngineState& s) {
    Millis due = kNever;
    for (int p = 0; p < kPositionCount; ++p) {
        const LedEffect& e = s.effects[p];
        if (!e.present) continue;
        if (e.mode == kBreathing || e.mode == kColourCycle)
            due = std::min(due, s.keyEffects.nextAdvance);
        else if (e.mode == kFlash)
            due = std::min(due, s.keyEffects.lastToggle[p] + FlashPeriod(e.speed));
    }
    return due;
}

}  // namespace tirk::lighting
