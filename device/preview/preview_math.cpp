#include "device/preview/preview_math.h"

#include <algorithm>

namespace tirk::preview {
namespace {

constexpr std::array<uint32_t, kLevelCount> kBlinkUnits{8, 6, 4, 2, 1};

}  // namespace

uint8_t Step(bool forward, uint8_t limit, uint8_t value, uint8_t n) {
    return lighting::Advance(forward, limit, value, n);
}

const std::array<uint8_t, kBreathingLength>& BreathingCurve() {
    return lighting::BreathingCurve();
}

const std::array<Rgb, kWheelEntries>& ColourWheel() {
    return lighting::ColourWheel();
}

const std::array<Rgb, kCycleLength>& FourColourCycle() {
    return lighting::FixedColours();
}

uint8_t LevelAlpha(uint8_t level) {
    return lighting::BrightnessAlpha(level);
}

uint32_t BlinkPeriodMs(uint8_t speed) {
    return kBlinkUnits[std::min<int>(speed, kLevelCount - 1)] * kBlinkUnitMs;
}

}  // namespace tirk::preview
