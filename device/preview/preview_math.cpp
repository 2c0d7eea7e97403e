#include "device/preview/preview_math.h"

#include <algorithm>

namespace tirk::preview {
namespace {

constexpr std::array<uint8_t, kLevelCount> kLevelAlphas{0, 80, 135, 195, 255};
constexpr std::array<uint8_t, kLevelCount> kBlinkUnits{8, 6, 4, 2, 1};
constexpr int kRisingLength = kBreathingLength / 2;

// Slope 1 up to 10 keeps the dim end visible step by step; above it the
// curve is 2 per entry plus a quadratic term, rounded, whose factor 67/663
// is the one that lands entry 62 exactly on 248 and entry 63 on 255.
constexpr uint8_t RisingEntry(int i) {
    constexpr int kLinearEnd = 10;
    if (i <= kLinearEnd) return static_cast<uint8_t>(i);
    const int d = i - kLinearEnd;
    const int pairs = d * (d - 1) / 2;
    const int curve = (134 * pairs + 663) / 1326;  // round(67 · pairs / 663)
    return static_cast<uint8_t>(kLinearEnd + 2 * d + curve);
}

constexpr std::array<uint8_t, kBreathingLength> MakeBreathing() {
    std::array<uint8_t, kBreathingLength> curve{};
    for (int i = 0; i < kRisingLength; ++i) {
        curve[i] = RisingEntry(i);
        curve[kBreathingLength - 1 - i] = curve[i];
    }
    return curve;
}

// Within a segment one channel is full, one rises as 8k + 1 and one falls as
// 255 − 8k (k = 0..31), so every secondary colour is met exactly and the
// primaries carry the rising channel's first step: red is (255, 1, 0).
constexpr Rgb WheelEntry(int index) {
    const int segment = index / kWheelSegment;
    const int k = index % kWheelSegment;
    const auto rising = static_cast<uint8_t>(8 * k + 1);
    const auto falling = static_cast<uint8_t>(255 - 8 * k);
    switch (segment) {
        case 0:
            return {255, rising, 0};  // red → yellow
        case 1:
            return {falling, 255, 0};  // yellow → green
        case 2:
            return {0, 255, rising};  // green → cyan
        case 3:
            return {0, falling, 255};  // cyan → blue
        case 4:
            return {rising, 0, 255};  // blue → magenta
        default:
            return {255, 0, falling};  // magenta → red
    }
}

constexpr std::array<Rgb, kWheelLength> MakeWheel() {
    std::array<Rgb, kWheelLength> wheel{};
    for (int i = 0; i < kWheelLength; ++i) wheel[i] = WheelEntry(i);
    return wheel;
}

constexpr std::array<uint8_t, kBreathingLength> kBreathing = MakeBreathing();
constexpr std::array<Rgb, kWheelLength> kWheel = MakeWheel();
constexpr std::array<Rgb, kCycleLength> kCycle{
    {{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};

static_assert(kBreathing[62] == 248 && kBreathing[63] == 255 && kBreathing[11] == 12);

}  // namespace

uint8_t Step(bool forward, uint8_t limit, uint8_t value, uint8_t n) {
    if (forward) {
        const auto v = static_cast<uint8_t>(value + n);
        return v < limit ? v : 0;
    }
    const auto v = static_cast<uint8_t>(value - n);
    return v < limit ? v : static_cast<uint8_t>(limit - n);
}

const std::array<uint8_t, kBreathingLength>& BreathingCurve() {
    return kBreathing;
}

const std::array<Rgb, kWheelLength>& ColourWheel() {
    return kWheel;
}

const std::array<Rgb, kCycleLength>& FourColourCycle() {
    return kCycle;
}

uint8_t LevelAlpha(uint8_t level) {
    return kLevelAlphas[std::min<int>(level, kLevelCount - 1)];
}

uint32_t BlinkPeriodMs(uint8_t speed) {
    return kBlinkUnits[std::min<int>(speed, kLevelCount - 1)] * kBlinkUnitMs;
}

}  // namespace tirk::preview
