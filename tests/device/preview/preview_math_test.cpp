#include "device/preview/preview_math.h"

#include <gtest/gtest.h>

namespace tirk::preview {
namespace {

struct StepCase {
    bool forward;
    uint8_t limit, value, n, expected;
};

TEST(PreviewStep, ForwardAndBackwardAtTheEdges) {
    const StepCase cases[] = {
        {true, 128, 0, 1, 1},
        {true, 128, 126, 1, 127},
        {true, 128, 127, 1, 0},   // reaches the limit → 0
        {true, 192, 176, 16, 0},  // exactly the limit
        {true, 192, 175, 16, 191},
        {true, 255, 250, 10, 4},  // byte wrap: 260 → 4, below the limit
        {true, 128, 200, 1, 0},   // out of range comes back at 0
        {false, 128, 1, 1, 0},    // down to 0 …
        {false, 128, 0, 1, 127},  // … and on at limit − 1
        {false, 192, 0, 1, 191},
        {false, 192, 5, 16, 176},  // wraps below 0 → limit − n
        {false, 128, 64, 1, 63},
        {false, 128, 200, 1, 127},  // out of range comes back at limit − n
        {false, 255, 0, 1, 254},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "forward " << c.forward << " limit " << int(c.limit)
                                          << " value " << int(c.value) << " n " << int(c.n));
        EXPECT_EQ(Step(c.forward, c.limit, c.value, c.n), c.expected);
    }
}

TEST(PreviewStep, BackwardWithOneVisitsEveryValueOnce) {
    uint8_t v = 0;
    std::array<int, 128> seen{};
    for (int i = 0; i < 128; ++i) {
        v = Step(false, 128, v, 1);
        ++seen[v];
    }
    for (int count : seen) EXPECT_EQ(count, 1);
    EXPECT_EQ(v, 0);
}

TEST(BreathingCurve, RisesAsListedAndFallsSymmetrically) {
    const auto& curve = BreathingCurve();
    // The listed rising half, entry by entry.
    const int rising[64] = {0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,
                            16,  18,  20,  22,  24,  27,  30,  33,  36,  39,  42,  45,  49,
                            53,  57,  61,  65,  69,  73,  77,  81,  85,  89,  94,  99,  104,
                            109, 114, 119, 124, 129, 134, 140, 146, 152, 158, 164, 170, 176,
                            182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
    for (int i = 0; i < 64; ++i) EXPECT_EQ(curve[i], rising[i]) << i;
    EXPECT_EQ(curve[64], 255);
    EXPECT_EQ(curve[127], 0);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(curve[127 - i], curve[i]) << i;
    for (int i = 1; i < 64; ++i) EXPECT_GT(curve[i], curve[i - 1]) << "strictly rising at " << i;
    // Above 10 the steps grow from 2 to 7.
    for (int i = 11; i < 64; ++i) {
        EXPECT_GE(curve[i] - curve[i - 1], 2) << i;
        EXPECT_LE(curve[i] - curve[i - 1], 7) << i;
    }
    EXPECT_LT(curve[20] - curve[19], curve[60] - curve[59]);
}

TEST(ColourWheel, RunsThroughTheHuesBackToRed) {
    const auto& wheel = ColourWheel();
    struct Point {
        int index;
        Rgb colour;
    };
    // Entries as the wheel's two ramps give them: rising 1, 3, 5, …, 81 (at 16),
    // …, 241, 255; falling 248, 234, …, 2, 0.
    const Point points[] = {
        {0, {255, 1, 0}},     {16, {255, 81, 0}},   {31, {255, 255, 0}},  // red → yellow
        {32, {248, 255, 0}},  {63, {0, 255, 0}},                          // → green
        {64, {0, 255, 1}},    {95, {0, 255, 255}},                        // → cyan
        {100, {0, 194, 255}}, {127, {0, 0, 255}},                         // → blue
        {128, {1, 0, 255}},   {159, {255, 0, 255}},                       // → magenta
        {160, {255, 0, 248}}, {191, {255, 0, 0}},                         // → red
        {192, {255, 1, 0}},   {255, {0, 255, 0}},                         // 192..255 repeat 0..63
    };
    for (const Point& p : points) {
        SCOPED_TRACE(p.index);
        EXPECT_EQ(wheel[p.index], p.colour);
    }
    // Neighbours differ by at most the ramps' largest step (14) and always
    // by something: the wheel has no jumps, including from 191 back to 0.
    for (int i = 0; i < kWheelLength; ++i) {
        const Rgb& a = wheel[i];
        const Rgb& b = wheel[(i + 1) % kWheelLength];
        int change =
            std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue);
        EXPECT_LE(change, 14) << i;
        EXPECT_GT(change, 0) << i;
    }
}

TEST(PreviewTables, CycleLevelsAndPeriods) {
    const auto& cycle = FourColourCycle();
    EXPECT_EQ(cycle[0], (Rgb{0, 255, 180}));
    EXPECT_EQ(cycle[1], (Rgb{0, 255, 0}));
    EXPECT_EQ(cycle[2], (Rgb{255, 255, 255}));
    EXPECT_EQ(cycle[3], (Rgb{255, 0, 0}));
    const uint8_t alphas[] = {0, 80, 135, 195, 255, 255, 255};
    const uint32_t periods[] = {1600, 1200, 800, 400, 200, 200, 200};
    for (uint8_t i = 0; i < 7; ++i) {
        EXPECT_EQ(LevelAlpha(i), alphas[i]) << int(i);
        EXPECT_EQ(BlinkPeriodMs(i), periods[i]) << int(i);
    }
    EXPECT_EQ(LevelAlpha(255), 255);
}

}  // namespace
}  // namespace tirk::preview
