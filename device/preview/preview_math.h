// The software preview of the device lighting effects: the byte arithmetic
// and the tables every device family's preview shares. The tables are the
// lighting engine's own (device/lighting/lighting_tables.h): one copy for the
// engine and the preview. Pure functions on values; no threads, no I/O.
#pragma once

#include <array>
#include <cstdint>

#include "device/lighting/lighting_tables.h"

namespace tirk::preview {

/// One colour without alpha.
using Rgb = tirk::lighting::Rgb;

inline constexpr int kBreathingLength = lighting::kBreathingLength;  ///< 64 rising, 64 falling
inline constexpr int kWheelLength = lighting::kHueCount;             ///< hues 0..191
/// Entries of the wheel table: 192..255 repeat 0..63, so any byte reads it.
inline constexpr int kWheelEntries = lighting::kWheelEntries;
inline constexpr int kCycleLength = lighting::kFixedColourCount;  ///< four-colour effects
inline constexpr int kLevelCount = 5;  ///< brightness levels and speeds run 0..4
inline constexpr uint32_t kBlinkUnitMs = 200;

/// Steps `value` by `n` on bytes (modulo 256) inside [0, limit). Forward
/// (`forward` true): value + n, or 0 once that reaches `limit`. Backward:
/// value − n, or limit − n when that leaves the range (wrapping below 0 gives
/// a large byte), so with n = 1 the value runs down to 0 and continues at
/// limit − 1. A `value` already outside the range is brought back in the
/// same way.
uint8_t Step(bool forward, uint8_t limit, uint8_t value, uint8_t n);

/// The breathing curve: entries 0..63 rise from 0 to 255 (0, 1, … 10, 12,
/// 14, …, 241, 248, 255), entries 64..127 mirror them.
const std::array<uint8_t, kBreathingLength>& BreathingCurve();

/// The colour wheel: entry 0 is red (255, 1, 0), yellow (255, 255, 0) at 31,
/// green at 63, cyan (0, 255, 255) at 95, blue at 127, magenta (255, 0, 255)
/// at 159, back to red (255, 0, 0) at 191; entry 192 is entry 0 again.
const std::array<Rgb, kWheelEntries>& ColourWheel();

/// The four colours of the four-colour effects: (0, 255, 180), (0, 255, 0),
/// (255, 255, 255), (255, 0, 0).
const std::array<Rgb, kCycleLength>& FourColourCycle();

/// Alpha of brightness level 0..4: 0, 80, 135, 195, 255. Levels above 4 read
/// as 4 (a value from a hand-edited profile must not index past the table).
uint8_t LevelAlpha(uint8_t level);

/// Blink period of speed 0..4: 8, 6, 4, 2, 1 × 200 ms. Speeds above 4 read as 4.
uint32_t BlinkPeriodMs(uint8_t speed);

}  // namespace tirk::preview
