// The fixed tables against the values listed for them, entry by entry.
#include "device/lighting/lighting_tables.h"

#include <gtest/gtest.h>

#include <vector>

namespace tirk::lighting {
namespace {

const std::vector<int> kRisingRamp{1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                   44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                   140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
const std::vector<int> kFallingRamp{248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                    114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                    29,  24,  20,  16,  12,  8,   6,   4,   2,   0};
const std::vector<int> kBreathingRise{
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
const std::vector<int> kPulseRise{0,   4,   8,   14,  22,  33,  45,  61,  77,  84,  100, 110, 120,
                                  130, 140, 150, 158, 166, 175, 182, 191, 204, 220, 234, 255};

TEST(ColourWheel, SegmentsFollowTheTwoRamps) {
    const auto& wheel = ColourWheel();
    for (int k = 0; k < 32; ++k) {
        SCOPED_TRACE(k);
        const auto r = uint8_t(kRisingRamp[k]), f = uint8_t(kFallingRamp[k]);
        EXPECT_EQ(wheel[k], (Rgb{255, r, 0}));
        EXPECT_EQ(wheel[32 + k], (Rgb{f, 255, 0}));
        EXPECT_EQ(wheel[64 + k], (Rgb{0, 255, r}));
        EXPECT_EQ(wheel[96 + k], (Rgb{0, f, 255}));
        EXPECT_EQ(wheel[128 + k], (Rgb{r, 0, 255}));
        EXPECT_EQ(wheel[160 + k], (Rgb{255, 0, f}));
    }
}

TEST(ColourWheel, PinnedEntriesAndTheRepeatAbove191) {
    const auto& wheel = ColourWheel();
    struct Entry {
        int index;
        Rgb colour;
    };
    const Entry entries[] = {
        {0, {255, 1, 0}},     {16, {255, 81, 0}},   {31, {255, 255, 0}},  {32, {248, 255, 0}},
        {63, {0, 255, 0}},    {64, {0, 255, 1}},    {100, {0, 194, 255}}, {128, {1, 0, 255}},
        {159, {255, 0, 255}}, {160, {255, 0, 248}}, {191, {255, 0, 0}},   {192, {255, 1, 0}},
        {208, {255, 81, 0}},  {255, {0, 255, 0}},
    };
    for (const Entry& e : entries) EXPECT_EQ(wheel[e.index], e.colour) << e.index;
    for (int i = 192; i < 256; ++i) EXPECT_EQ(wheel[i], wheel[i - 192]) << i;
}

TEST(Curves, BreathingIsTheListRisingThenFalling) {
    const auto& curve = BreathingCurve();
    for (int i = 0; i < 64; ++i) {
        EXPECT_EQ(curve[i], kBreathingRise[i]) << i;
        EXPECT_EQ(curve[64 + i], curve[63 - i]) << i;
    }
    EXPECT_EQ(curve[64], 255);
    EXPECT_EQ(curve[127], 0);
}

TEST(Curves, ShortBreathingStartsAtEntry16) {
    const auto& curve = ShortBreathingCurve();
    const int pinned[][2] = {{0, 22}, {1, 24}, {2, 27}, {3, 30}, {47, 255}, {48, 255}, {95, 22}};
    for (const auto& p : pinned) EXPECT_EQ(curve[p[0]], p[1]) << p[0];
    for (int i = 0; i < 48; ++i) {
        EXPECT_EQ(curve[i], BreathingCurve()[16 + i]) << i;
        EXPECT_EQ(curve[48 + i], curve[47 - i]) << i;
    }
}

TEST(Curves, PulseRisesFastFallsLikeBreathingThenStaysDark) {
    const auto& pulse = PulseCurve();
    for (int i = 0; i < 25; ++i) EXPECT_EQ(pulse[i], kPulseRise[i]) << i;
    for (int i = 25; i <= 85; ++i) EXPECT_EQ(pulse[i], BreathingCurve()[i + 40]) << i;
    EXPECT_EQ(pulse[25], 248);
    EXPECT_EQ(pulse[85], 2);
    EXPECT_EQ(pulse[86], 2);
    EXPECT_EQ(pulse[87], 1);
    for (int i = 88; i < 192; ++i) EXPECT_EQ(pulse[i], 0) << i;
}

TEST(Tables, BrightnessAndFixedColours) {
    const int alphas[] = {0, 80, 135, 195, 255};
    for (int level = 0; level < 5; ++level) EXPECT_EQ(BrightnessAlpha(level), alphas[level]);
    EXPECT_EQ(BrightnessAlpha(9), 255) << "a level past the table reads as 4";
    EXPECT_EQ(BrightnessAlpha(-1), 0);
    EXPECT_EQ(FixedColours()[0], (Rgb{0, 255, 180}));
    EXPECT_EQ(FixedColours()[1], (Rgb{0, 255, 0}));
    EXPECT_EQ(FixedColours()[2], (Rgb{255, 255, 255}));
    EXPECT_EQ(FixedColours()[3], (Rgb{255, 0, 0}));
}

TEST(KeyMatrix, ColumnsAsListed) {
    const std::vector<std::vector<int>> columns = {
        {0, 170, 120, 121, 122, 123, 124}, {2, 0, 22, 43, 64, 102, 106},
        {7, 18, 27, 48, 69, 89, 108},      {13, 10, 33, 54, 55, 100, 17},
        {14, 11, 34, 62, 75, 19, 111},     {18, 15, 37, 58, 130, 97, 115},
        {22, 170, 41, 16, 119, 103, 131},
    };
    for (const auto& col : columns)
        for (int row = 0; row < 6; ++row)
            EXPECT_EQ(MatrixKey(col[0], row), col[1 + row])
                << "column " << col[0] << " row " << row;
    EXPECT_EQ(MatrixKey(-1, 0), kNoKey);
    EXPECT_EQ(MatrixKey(23, 0), kNoKey);
    EXPECT_EQ(MatrixKey(5, 6), kNoKey);
}

TEST(KeyMatrix, HoldsPositions0To131OnceAndCellsInvertIt) {
    std::vector<int> seen(kPositionCount, 0);
    for (int c = 0; c < kMatrixColumns; ++c)
        for (int r = 0; r < kMatrixRows; ++r)
            if (MatrixKey(c, r) != kNoKey) {
                ++seen[MatrixKey(c, r)];
                EXPECT_EQ(CellOfKey(MatrixKey(c, r)), (MatrixCell{int8_t(c), int8_t(r)}));
            }
    for (int p = 0; p < kPositionCount; ++p) EXPECT_EQ(seen[p], p <= 131 ? 1 : 0) << p;
    EXPECT_FALSE(CellOfKey(150).Valid());
    EXPECT_FALSE(CellOfKey(-3).Valid());
    EXPECT_FALSE(CellOfKey(170).Valid());
}

TEST(Thresholds, ByModeAndSpeed) {
    struct Case {
        int mode, speed, threshold;
    };
    const Case cases[] = {
        {1, 0, 8},  {1, 4, 0},  {3, 2, 3},  {15, 3, 1},  {20, 0, 8},  {28, 1, 5},
        {30, 3, 1}, {2, 0, 12}, {2, 1, 8},  {2, 2, 5},   {2, 3, 0},   {2, 4, 0},
        {16, 0, 3}, {17, 3, 3}, {18, 4, 0}, {26, 1, 5},  {27, 2, 3},  {5, 1, 5},
        {23, 2, 3}, {1, 9, 0},  {0, 0, -1}, {19, 0, -1}, {29, 2, -1}, {31, 0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ModeThreshold(c.mode, c.speed), c.threshold) << c.mode << " / " << c.speed;
    const int row[] = {8, 6, 4, 2, 1, 0, 0};
    for (int speed = 0; speed < 7; ++speed) EXPECT_EQ(EffectThreshold(speed), row[speed]);
}

TEST(Fade, AmountsByBandAndSchedule) {
    struct Case {
        int level, zero, music, other;
    };
    const Case cases[] = {
        {255, 40, 45, 40}, {144, 40, 45, 40}, {143, 40, 40, 40}, {128, 40, 40, 40},
        {127, 30, 35, 30}, {112, 30, 35, 30}, {111, 30, 30, 30}, {96, 30, 30, 30},
        {95, 30, 25, 30},  {80, 30, 25, 30},  {79, 30, 20, 30},  {64, 30, 20, 30},
        {63, 15, 10, 10},  {32, 15, 10, 10},  {31, 8, 5, 8},     {17, 8, 5, 8},
        {16, 1, 1, 1},     {1, 1, 1, 1},      {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        EXPECT_EQ(FadeAmount(uint8_t(c.level), FadeSchedule::kZero), c.zero);
        EXPECT_EQ(FadeAmount(uint8_t(c.level), FadeSchedule::kMusic), c.music);
        EXPECT_EQ(FadeAmount(uint8_t(c.level), FadeSchedule::kOther), c.other);
    }
}

TEST(Fade, ScheduleZeroTakesAKeyFrom255ToZero) {
    std::vector<int> expected{215, 175, 135, 95, 65, 35, 20, 12};
    for (int v = 11; v >= 0; --v) expected.push_back(v);
    std::vector<int> seen;
    for (uint8_t level = 255; level != 0;) seen.push_back(level = Fade(level, FadeSchedule::kZero));
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(Fade(0, FadeSchedule::kMusic), 0);
}

TEST(Advance, AtTheBounds) {
    struct Case {
        bool forward;
        int n, phase, k, result;
    };
    const Case cases[] = {
        {false, 192, 0, 1, 191},  {true, 192, 191, 1, 0},  {true, 52, 51, 1, 0},
        {true, 52, 50, 1, 51},    {false, 52, 1, 1, 0},    {false, 52, 0, 1, 51},
        {false, 128, 0, 1, 127},  {true, 96, 95, 1, 0},    {true, 170, 169, 1, 0},
        {false, 170, 0, 1, 169},  {true, 128, 200, 1, 0},  {false, 128, 200, 1, 127},
        {false, 192, 5, 16, 176}, {true, 192, 176, 16, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Advance(c.forward, uint8_t(c.n), uint8_t(c.phase), uint8_t(c.k)), c.result)
            << (c.forward ? "forward" : "backward") << " n " << c.n << " from " << c.phase;
}

TEST(HueSteps, BreathingWrapsOnlyAbove192FlashAt192) {
    const int breathing[][2] = {{0, 16}, {160, 176}, {176, 192}, {192, 0}, {200, 0}, {255, 0}};
    for (const auto& b : breathing) EXPECT_EQ(NextBreathingHue(uint8_t(b[0])), b[1]) << b[0];
    const int flash[][2] = {{0, 16}, {175, 191}, {176, 0}, {191, 0}, {250, 0}};
    for (const auto& f : flash) EXPECT_EQ(NextFlashHue(uint8_t(f[0])), f[1]) << f[0];
}

}  // namespace
}  // namespace tirk::lighting
