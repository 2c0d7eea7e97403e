// The software preview of the device lighting effects: the byte arithmetic,
// the breathing curve, the colour wheel and the other tables every device
// family's preview shares. Pure functions on values; no threads, no I/O.
// docs/lighting-preview.md explains how the tables are generated.
#pragma once

#include <array>
#include <cstdint>

namespace tirk::preview {

/// One colour without alpha.
struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr int kBreathingLength = 128;  ///< 64 entries rising, 64 falling
inline constexpr int kWheelLength = 192;      ///< six hue segments of 32 entries
inline constexpr int kWheelSegment = 32;
inline constexpr int kCycleLength = 4;  ///< colours of the four-colour effects
inline constexpr int kLevelCount = 5;   ///< brightness levels and speeds run 0..4
inline constexpr uint32_t kBlinkUnitMs = 200;

/// Steps `value` by `n` on bytes (modulo 256) inside [0, limit). Forward
/// (`forward` true): value + n, or 0 once that reaches `limit`. Backward:
/// value − n, or limit − n when that leaves the range (wrapping below 0 gives
/// a large byte), so with n = 1 the value runs down to 0 and continues at
/// limit − 1. A `value` already outside the range is brought back in the
/// same way.
uint8_t Step(bool forward, uint8_t limit, uint8_t value, uint8_t n);

/// The breathing curve: entries 0..63 rise from 0 to 255 (0, 1, … 10, 12,
/// 14, 16, 19, …, 241, 248, 255), entries 64..127 mirror them
/// (entry 127 − i equals entry i).
const std::array<uint8_t, kBreathingLength>& BreathingCurve();

/// The colour wheel: entry 0 is red (255, 1, 0), then yellow (255, 255, 0)
/// at 32, green at 64, cyan (0, 255, 255) at 96, blue at 128, magenta
/// (255, 0, 255) at 160, and back towards red at 191.
const std::array<Rgb, kWheelLength>& ColourWheel();

/// The four colours of the four-colour effects: (0, 255, 180), (0, 255, 0),
/// (255, 255, 255), (255, 0, 0).
const std::array<Rgb, kCycleLength>& FourColourCycle();

/// Alpha of brightness level 0..4: 0, 80, 135, 195, 255. Levels above 4 read
/// as 4 (a value from a hand-edited profile must not index past the table).
uint8_t LevelAlpha(uint8_t level);

/// Blink period of speed 0..4: 8, 6, 4, 2, 1 × 200 ms. Speeds above 4 read as 4.
uint32_t BlinkPeriodMs(uint8_t speed);

}  // namespace tirk::preview
