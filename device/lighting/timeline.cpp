// The lighting timeline (modes 0, 19 and indices above 30): the profile's
// custom effect steps played in turn, each with its own effect, brightness,
// speed and colour for its duration; after the last, the first again.
#include <algorithm>

#include "device/lighting/lighting_steps.h"

namespace tirk::lighting {
namespace {

enum EntryType : uint8_t { kBreathing = 0, kStatic = 1, kFlash = 2, kWave = 4, kColourCycle = 5 };
constexpr int kWaveHueStep = 12;
constexpr int kColourCycleMode = 4;  // the entry's colour cycle counts like mode 4

Millis Duration(const EffectStep& e) {
    return Millis(std::max<int32_t>(e.time, 0));
}

int Threshold(const EffectStep& e) {
    return e.mode == kColourCycle ? ModeThreshold(kColourCycleMode, e.speed)
                                  : EffectThreshold(e.speed);
}

Rgb EntryColour(const EffectStep& e) {
    return {e.red, e.green, e.blue};
}

void StartEntry(TimelineState& t, Millis now) {
    t.start = now;
    t.nextStep = now;
    t.phase = 0;
    t.hue = 0;
    t.flashOn = 0;
    t.lastToggle = kLongAgo;
}

void ShowWave(EngineState& s, const EffectStep& e, bool step) {
    TimelineState& t = s.timelineState;
    const uint8_t bright = BrightnessAlpha(e.brightness);
    const bool forward = e.direction != 0;
    AllOff(s);
    if (e.multiColor) {
        if (step) t.phase = Advance(forward, kHueCount, t.phase);
        for (int c = 0; c < kMatrixColumns; ++c)
            SetColumn(s, c, ColourWheel()[(t.phase + kWaveHueStep * c) % kHueCount], bright);
        return;
    }
    if (step) t.phase = Advance(forward, kShortBreathingLength, t.phase);
    for (int c = 0; c < kMatrixColumns; ++c) {
        const uint8_t curve =
            ShortBreathingCurve()[(t.phase + kWaveHueStep * c) % kShortBreathingLength];
        SetColumn(s, c, EntryColour(e), Scale(bright, curve));
    }
}

void ShowEntry(EngineState& s, const EffectStep& e, bool step, Millis now) {
    TimelineState& t = s.timelineState;
    const uint8_t bright = BrightnessAlpha(e.brightness);
    switch (e.mode) {
        case kBreathing:
            if (step) {
                t.phase = Advance(e.direction != 0, kBreathingLength, t.phase);
                if (t.phase == 0) t.hue = NextBreathingHue(t.hue);
            }
            return SetAll(s, e.multiColor ? ColourWheel()[t.hue] : EntryColour(e),
                          Scale(BreathingCurve()[t.phase], bright));
        case kStatic:
            return SetAll(s, EntryColour(e), bright);
        case kFlash:
            if (FlashToggle(now, FlashPeriod(s.light.speed), t.lastToggle, t.flashOn))
                t.hue = NextFlashHue(t.hue);
            if (!t.flashOn) return AllOff(s);
            return SetAll(s, e.multiColor ? ColourWheel()[t.hue] : EntryColour(e), bright);
        case kWave:
            return ShowWave(s, e, step);
        case kColourCycle:
            if (step) t.hue = Advance(e.direction != 0, kHueCount, t.hue);
            return SetAll(s, ColourWheel()[t.hue], bright);
        default:
            return AllOff(s);  // not an effect the timeline plays
    }
}

}  // namespace

void RestartTimeline(EngineState& s) {
    s.timelineState = {};
}

void TimelinePass(EngineState& s, Millis now) {
    if (s.timeline.empty()) return AllOff(s);
    TimelineState& t = s.timelineState;
    const size_t count = s.timeline.size();
    if (!t.started || t.index >= count) {
        t.started = true;
        t.index = 0;
        StartEntry(t, now);
    } else if (now - t.start >= Duration(s.timeline[t.index])) {
        t.index = (t.index + 1) % count;  // one entry per pass, even of duration 0
        StartEntry(t, now);
    }
    const EffectStep& e = s.timeline[t.index];
    const bool step = now >= t.nextStep;
    if (step) t.nextStep = now + std::max(Threshold(e), 1) * kTick;
    ShowEntry(s, e, step, now);
}

Millis TimelineDue(const EngineState& s) {
    const TimelineState& t = s.timelineState;
    if (s.timeline.empty()) return kNever;
    if (!t.started || t.index >= s.timeline.size()) return Millis(0);
    const EffectStep& e = s.timeline[t.index];
    Millis due = t.start + Duration(e);
    if (e.mode == kBreathing || e.mode == kWave || e.mode == kColourCycle)
        due = std::min(due, t.nextStep);
    else if (e.mode == kFlash)
        due = std::min(due, t.lastToggle + FlashPeriod(s.light.speed));
    return due;
}

}  // namespace tirk::lighting
