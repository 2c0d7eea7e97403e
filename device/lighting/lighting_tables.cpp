#include "device/lighting/lighting_tables.h"

#include <algorithm>

namespace tirk::lighting {
namespace {

constexpr int kRampLength = 32;
constexpr int kHueStep = 16;  // the breathing and flash colours move 16 hues at a time

// The wheel's two ramps, listed.
constexpr std::array<uint8_t, kRampLength> kRising{
    1,  3,  5,  7,   10,  14,  18,  22,  26,  32,  38,  44,  50,  57,  65,  73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, kRampLength> kFalling{
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

// The rising half of the breathing curve, listed; the falling half mirrors it.
constexpr std::array<uint8_t, kBreathingLength / 2> kBreathingRise{
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

// The first 25 entries of the pulse curve, listed.
constexpr std::array<uint8_t, 25> kPulseRise{0,   4,   8,   14,  22,  33,  45,  61,  77,
                                             84,  100, 110, 120, 130, 140, 150, 158, 166,
                                             175, 182, 191, 204, 220, 234, 255};

constexpr std::array<uint8_t, kBrightnessLevels> kBrightness{0, 80, 135, 195, 255};

constexpr std::array<Rgb, kFixedColourCount> kFixed{
    {{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};

// The key matrix, column by column, rows 0..5 top to bottom.
// clang-format off
constexpr uint8_t kMatrix[kMatrixColumns][kMatrixRows] = {
    {170, 120, 121, 122, 123, 124},  // 0
    {170, 21, 42, 63, 84, 105},      // 1
    {0, 22, 43, 64, 102, 106},       // 2
    {1, 23, 44, 65, 85, 20},         // 3
    {2, 24, 45, 66, 86, 107},        // 4
    {3, 25, 46, 67, 87, 126},        // 5
    {4, 26, 47, 68, 88, 127},        // 6
    {18, 27, 48, 69, 89, 108},       // 7
    {5, 28, 49, 70, 90, 128},        // 8
    {6, 29, 50, 71, 91, 129},        // 9
    {7, 30, 51, 72, 92, 109},        // 10
    {8, 31, 52, 73, 93, 125},        // 11
    {9, 32, 53, 74, 94, 110},        // 12
    {10, 33, 54, 55, 100, 17},       // 13
    {11, 34, 62, 75, 19, 111},       // 14
    {12, 101, 81, 79, 95, 112},      // 15
    {13, 35, 56, 82, 80, 113},       // 16
    {14, 36, 57, 83, 96, 114},       // 17
    {15, 37, 58, 130, 97, 115},      // 18
    {170, 38, 59, 76, 98, 116},      // 19
    {170, 39, 60, 77, 99, 104},      // 20
    {170, 40, 61, 78, 118, 117},     // 21
    {170, 41, 16, 119, 103, 131},    // 22
};
// clang-format on

// Step thresholds by speed 0..4.
constexpr std::array<int, 5> kThresholdsCommon{8, 5, 3, 1, 0};  // 1, 3..15, 20..28, 30
constexpr std::array<int, 5> kThresholdsMode2{12, 8, 5, 0, 0};
constexpr std::array<int, 5> kThresholdsRipple{3, 3, 3, 3, 0};  // 16..19
// Flash periods, per-key effect and timeline thresholds by speed 0..5.
constexpr std::array<int, 6> kEffectRow{8, 6, 4, 2, 1, 0};

// The fade table: the lowest level of each band and its step per schedule
// (schedule 0, music, other).
struct FadeBand {
    uint8_t from;
    uint8_t zero, music, other;
};
constexpr FadeBand kFadeBands[] = {
    {144, 40, 45, 40}, {128, 40, 40, 40}, {112, 30, 35, 30}, {96, 30, 30, 30}, {80, 30, 25, 30},
    {64, 30, 20, 30},  {32, 15, 10, 10},  {17, 8, 5, 8},     {1, 1, 1, 1},
};

// The fade table by level, one row per schedule, so a fade is one look-up.
using FadeSteps = std::array<std::array<uint8_t, 256>, 3>;
constexpr FadeSteps MakeFadeSteps() {
    FadeSteps steps{};
    for (int level = 255; level >= 1; --level) {
        const FadeBand* band = kFadeBands;
        while (level < band->from) ++band;
        steps[size_t(FadeSchedule::kZero)][level] = band->zero;
        steps[size_t(FadeSchedule::kMusic)][level] = band->music;
        steps[size_t(FadeSchedule::kOther)][level] = band->other;
    }
    return steps;  // level 0 stays
}
constexpr FadeSteps kFadeSteps = MakeFadeSteps();

constexpr std::array<Rgb, kWheelEntries> MakeWheel() {
    std::array<Rgb, kWheelEntries> wheel{};
    for (int k = 0; k < kRampLength; ++k) {
        const uint8_t r = kRising[k], f = kFalling[k];
        wheel[k] = {255, r, 0};
        wheel[32 + k] = {f, 255, 0};
        wheel[64 + k] = {0, 255, r};
        wheel[96 + k] = {0, f, 255};
        wheel[128 + k] = {r, 0, 255};
        wheel[160 + k] = {255, 0, f};
    }
    for (int i = kHueCount; i < kWheelEntries; ++i) wheel[i] = wheel[i - kHueCount];
    return wheel;
}

constexpr std::array<uint8_t, kBreathingLength> MakeBreathing() {
    std::array<uint8_t, kBreathingLength> curve{};
    constexpr int half = kBreathingLength / 2;
    for (int i = 0; i < half; ++i) {
        curve[i] = kBreathingRise[i];
        curve[half + i] = kBreathingRise[half - 1 - i];
    }
    return curve;
}

constexpr std::array<uint8_t, kBreathingLength> kBreathing = MakeBreathing();

constexpr std::array<uint8_t, kShortBreathingLength> MakeShort() {
    std::array<uint8_t, kShortBreathingLength> curve{};
    constexpr int half = kShortBreathingLength / 2;
    for (int i = 0; i < half; ++i) {
        curve[i] = kBreathing[16 + i];
        curve[half + i] = kBreathing[16 + half - 1 - i];
    }
    return curve;
}

constexpr std::array<uint8_t, kPulseLength> MakePulse() {
    std::array<uint8_t, kPulseLength> curve{};
    for (int i = 0; i < 25; ++i) curve[i] = kPulseRise[i];
    for (int i = 25; i <= 85; ++i) curve[i] = kBreathing[i + 40];  // entries 65..125
    curve[86] = 2;
    curve[87] = 1;
    return curve;  // 88..191 stay 0
}

constexpr std::array<Rgb, kWheelEntries> kWheel = MakeWheel();
constexpr std::array<uint8_t, kShortBreathingLength> kShort = MakeShort();
constexpr std::array<uint8_t, kPulseLength> kPulse = MakePulse();

static_assert(kBreathing[64] == 255 && kBreathing[127] == 0 && kBreathing[125] == 2);
static_assert(kShort[0] == 22 && kShort[47] == 255 && kShort[95] == 22);
static_assert(kPulse[25] == 248 && kPulse[85] == 2 && kPulse[88] == 0);
static_assert(kWheel[192] == kWheel[0] && kWheel[255] == kWheel[63]);

// The inverse of the key matrix, built once.
struct CellIndex {
    std::array<MatrixCell, kPositionCount> cells{};
    constexpr CellIndex() {
        for (int c = 0; c < kMatrixColumns; ++c)
            for (int r = 0; r < kMatrixRows; ++r) {
                const uint8_t key = kMatrix[c][r];
                if (key != kNoKey) cells[key] = {int8_t(c), int8_t(r)};
            }
    }
};
constexpr CellIndex kCells{};

}  // namespace

const std::array<Rgb, kWheelEntries>& ColourWheel() {
    return kWheel;
}

const std::array<uint8_t, kBreathingLength>& BreathingCurve() {
    return kBreathing;
}

const std::array<uint8_t, kShortBreathingLength>& ShortBreathingCurve() {
    return kShort;
}

const std::array<uint8_t, kPulseLength>& PulseCurve() {
    return kPulse;
}

const std::array<Rgb, kFixedColourCount>& FixedColours() {
    return kFixed;
}

uint8_t BrightnessAlpha(int level) {
    return kBrightness[std::clamp(level, 0, kBrightnessLevels - 1)];
}

uint8_t MatrixKey(int column, int row) {
    if (column < 0 || column >= kMatrixColumns || row < 0 || row >= kMatrixRows) return kNoKey;
    return kMatrix[column][row];
}

MatrixCell CellOfKey(int position) {
    if (position < 0 || position >= kPositionCount) return {};
    return kCells.cells[position];
}

int ModeThreshold(int mode, int speed) {
    const int s = std::clamp(speed, 0, 4);
    if (mode == 2) return kThresholdsMode2[s];
    if (mode >= 16 && mode <= 18) return kThresholdsRipple[s];
    if (mode == 0 || mode == 19 || mode == 29 || mode < 0 || mode > 30) return -1;
    return kThresholdsCommon[s];
}

int EffectThreshold(int speed) {
    return kEffectRow[std::clamp(speed, 0, int(kEffectRow.size()) - 1)];
}

uint8_t FadeAmount(uint8_t level, FadeSchedule schedule) {
    return kFadeSteps[size_t(schedule)][level];
}

uint8_t Fade(uint8_t level, FadeSchedule schedule) {
    const uint8_t amount = FadeAmount(level, schedule);
    return amount >= level ? 0 : uint8_t(level - amount);
}

uint8_t Advance(bool forward, uint8_t n, uint8_t phase, uint8_t k) {
    if (forward) {
        const auto v = uint8_t(phase + k);
        return v < n ? v : 0;
    }
    const auto v = uint8_t(phase - k);
    return v < n ? v : uint8_t(n - k);
}

uint8_t NextBreathingHue(uint8_t hue) {
    return hue + kHueStep > kHueCount ? 0 : uint8_t(hue + kHueStep);
}

uint8_t NextFlashHue(uint8_t hue) {
    return hue + kHueStep >= kHueCount ? 0 : uint8_t(hue + kHueStep);
}

}  // namespace tirk::lighting
