// The fixed tables of the lighting engine: the colour wheel, the curves, the
// brightness levels, the four fixed colours, the keyboard's key matrix, the
// step thresholds and the fade amounts. They are data, listed value by value
// in lighting_tables.cpp; the preview maths of device/preview reads the same
// copies. The tables that follow the on-screen keyboard's drawing are in
// layout_tables.h.
#pragma once

#include <array>
#include <cstdint>

namespace tirk::lighting {

/// One colour without alpha.
struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

/// Key positions of the keyboard (the keyboard protocol's positions 0..169).
inline constexpr int kPositionCount = 170;
/// "No key" in every table of positions.
inline constexpr uint8_t kNoKey = 170;

/// Hues run 0..191; a hue byte up to 255 still reads the wheel (entries
/// 192..255 repeat 0..63).
inline constexpr int kHueCount = 192;
inline constexpr int kWheelEntries = 256;
inline constexpr int kBreathingLength = 128;
inline constexpr int kShortBreathingLength = 96;
inline constexpr int kPulseLength = 192;
inline constexpr int kBrightnessLevels = 5;  ///< "Light" 0..4
inline constexpr int kFixedColourCount = 4;

inline constexpr int kMatrixColumns = 23;
inline constexpr int kMatrixRows = 6;

/// The colour wheel: hues 0..31 (255, R, 0), 32..63 (F, 255, 0), 64..95
/// (0, 255, R), 96..127 (0, F, 255), 128..159 (R, 0, 255), 160..191
/// (255, 0, F) over the rising ramp R and the falling ramp F; entries
/// 192..255 repeat 0..63.
const std::array<Rgb, kWheelEntries>& ColourWheel();

/// The 128-entry breathing curve: 64 rising entries, then the same falling.
const std::array<uint8_t, kBreathingLength>& BreathingCurve();

/// The 96-entry short breathing curve: entries 16..63 of the breathing curve
/// rising (22 … 255), then the same falling.
const std::array<uint8_t, kShortBreathingLength>& ShortBreathingCurve();

/// The 192-entry pulse curve: a fast rise to 255, the breathing curve's fall,
/// then dark.
const std::array<uint8_t, kPulseLength>& PulseCurve();

/// (0, 255, 180), (0, 255, 0), (255, 255, 255), (255, 0, 0).
const std::array<Rgb, kFixedColourCount>& FixedColours();

/// Alpha of brightness level 0..4: 0, 80, 135, 195, 255. Levels above 4 read
/// as 4, so a hand-edited profile never reads past the table.
uint8_t BrightnessAlpha(int level);

/// The keyboard's key matrix: the position at `column` (0..22), `row`
/// (0..5, top to bottom); kNoKey for an empty cell or outside the matrix.
uint8_t MatrixKey(int column, int row);

/// A position's place in the key matrix.
struct MatrixCell {
    int8_t column = -1;  ///< -1: the position is not in the matrix
    int8_t row = -1;
    bool Valid() const { return column >= 0; }
    bool operator==(const MatrixCell&) const = default;
};

/// Where `position` sits in the key matrix; invalid for positions the matrix
/// does not hold (and for anything outside 0..169).
MatrixCell CellOfKey(int position);

/// Counted ticks between two steps of keyboard mode `mode` at `speed` (0..4,
/// higher reads as 4), from the thresholds table; -1 for the modes that have
/// no row of their own (0 and 19 play the timeline, 29 is music, and any
/// index above 30).
int ModeThreshold(int mode, int speed);

/// The row 8, 6, 4, 2, 1, 0 by speed 0..5 (higher reads as 5): the flash
/// period in units of 200 ms, and the per-key effect and timeline thresholds.
int EffectThreshold(int speed);

/// Which column of the fade table a caller uses.
enum class FadeSchedule : uint8_t { kZero, kMusic, kOther };

/// How much a key at `level` (0..255) fades in one step of `schedule`.
uint8_t FadeAmount(uint8_t level, FadeSchedule schedule);

/// `level` lowered by FadeAmount, never below 0.
uint8_t Fade(uint8_t level, FadeSchedule schedule);

/// advance(n, k) on bytes: forward, phase + k, and 0 once that reaches n;
/// backward, phase − k, and n − k once that leaves 0..n−1 (the byte wraps
/// below 0), so with k = 1 it runs down to 0 and on at n − 1. A phase left
/// outside 0..n−1 by another mode is brought back the same way.
uint8_t Advance(bool forward, uint8_t n, uint8_t phase, uint8_t k = 1);

/// The breathing colour's next wheel entry: 16 on, back to 0 only above 192
/// (entry 192 exists and is red again).
uint8_t NextBreathingHue(uint8_t hue);

/// The flash colour's next wheel entry: 16 on, back to 0 at 192 or above.
uint8_t NextFlashHue(uint8_t hue);

}  // namespace tirk::lighting
