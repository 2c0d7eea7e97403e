#include "device/preview/reactive_fade.h"

#include <gtest/gtest.h>

#include <numeric>

namespace tirk::preview {
namespace {

struct FadeCase {
    uint8_t v;
    uint8_t mode0, mode29, other;  // the drop in each mode
};

// One value per rule and its edges; the first matching bit wins.
TEST(ReactiveFade, AmountPerBitAndMode) {
    const FadeCase cases[] = {
        {0, 0, 0, 0},       {1, 1, 1, 1},       {16, 1, 45, 1},      // bit 4 only matters in 29
        {17, 8, 45, 8},     {15, 1, 1, 1},      {0x20, 15, 35, 10},  // bit 5
        {0x2F, 15, 35, 10}, {0x40, 30, 35, 30}, {0x60, 30, 35, 30},  // bit 6 before bit 5
        {0x80, 40, 45, 40}, {0xFF, 40, 45, 40}, {0x0F, 1, 1, 1},    {0x1F, 8, 45, 8},
    };
    for (const FadeCase& c : cases) {
        SCOPED_TRACE(int(c.v));
        EXPECT_EQ(FadeAmount(c.v, 0), c.mode0);
        EXPECT_EQ(FadeAmount(c.v, 29), c.mode29);
        EXPECT_EQ(FadeAmount(c.v, 5), c.other);
        EXPECT_EQ(FadeAmount(c.v, 30), c.other);
    }
}

TEST(ReactiveFade, NeverBelowZeroAndReachesZero) {
    EXPECT_EQ(FadeStep(16, 29), 0) << "45 from 16";
    EXPECT_EQ(FadeStep(0x20, 29), 0) << "35 from 32";
    EXPECT_EQ(FadeStep(0x20, 0), 17);
    EXPECT_EQ(FadeStep(0, 0), 0);
    for (int mode : {0, 29, 3}) {
        uint8_t v = 255;
        int steps = 0;
        while (v != 0 && steps < 300) {
            uint8_t next = FadeStep(v, mode);
            EXPECT_LT(next, v);
            v = next;
            ++steps;
        }
        EXPECT_EQ(v, 0) << "mode " << mode;
    }
}

TEST(ReactiveFade, KeysStartRotateAndClear) {
    ReactiveState state;
    state.ring[0] = 1;
    state.ring[8] = 1;
    state.ring[9] = 1;  // beyond the start keys
    StartReactive(state);
    EXPECT_EQ(state.fade[0], 255);
    EXPECT_EQ(state.fade[8], 255);
    EXPECT_EQ(state.fade[9], 0);
    EXPECT_EQ(state.fade[1], 0);

    FadeKey(state, 0, 0);
    EXPECT_EQ(state.fade[0], 215);
    FadeKey(state, -1, 0);   // ignored
    FadeKey(state, 170, 0);  // ignored

    std::iota(state.ring.begin(), state.ring.end(), uint8_t{1});
    RotateRing(state, false);
    EXPECT_EQ(state.ring.front(), 2);
    EXPECT_EQ(state.ring.back(), 1);
    RotateRing(state, true);
    RotateRing(state, true);
    EXPECT_EQ(state.ring.front(), 23);
    EXPECT_EQ(state.ring[1], 1);

    ClearReactive(state);
    for (uint8_t v : state.fade) EXPECT_EQ(v, 0);
    for (uint8_t v : state.ring) EXPECT_EQ(v, 0);
}

}  // namespace
}  // namespace tirk::preview
