// The keyboard modes: their starts, their first steps, the edge cases.
#include <set>

#include "engine_fixture.h"

namespace tirk::lighting {
namespace {

const LayoutTables& T() {
    return Layout();
}

TEST_F(EngineTest, ModeStartsSeedTheirBuffers) {
    Select(Values(11));
    const int hues[][2] = {{0, 33}, {1, 66}, {2, 99}, {4, 165}, {5, 6}, {6, 39}};
    for (const auto& h : hues) EXPECT_EQ(S().hues[h[0]], h[1]) << "position " << h[0];

    Select(Values(15));
    EXPECT_EQ(S().levels[0], T().twinkleStart[2][0]);  // Esc sits in column 2
    EXPECT_EQ(S().hues[0], 12);
    EXPECT_EQ(S().hues[131], 132);

    Select(Values(22));
    struct Stagger {
        int column, row, level;
    };
    const Stagger staggers[] = {{0, 0, 0}, {1, 0, 184}, {0, 1, 157}, {3, 5, 185}};
    for (const Stagger& st : staggers) {
        const uint8_t key = T().staggerColumns[st.column][st.row];
        ASSERT_NE(key, kNoKey);
        EXPECT_EQ(S().levels[key], st.level) << st.column << "/" << st.row;
        EXPECT_EQ(S().hues[key], 7 * st.column);
    }

    Select(Values(13));
    for (const auto& front : S().ripple.fronts) EXPECT_EQ(front[9], 0x40) << "below the bottom";
    Select(Values(16));
    for (const auto& front : S().ripple.fronts) EXPECT_EQ(front[1], 0x01) << "top row";
    for (uint8_t ready : S().columnReady) EXPECT_EQ(ready, 1);
}

TEST_F(EngineTest, ChangingOtherValuesKeepsTheAnimation) {
    Select(Values(4));
    Step(3);
    EXPECT_EQ(S().phase, 3);
    Select(Values(4, 2));  // brightness only
    Step();
    EXPECT_EQ(S().phase, 4);
    EXPECT_EQ(Key(0), Colour(Wheel(4), 135));
    Select(Values(5));  // a new mode starts from scratch
    EXPECT_EQ(S().phase, 0);
}

struct StepCase {
    const char* name;
    LightInfoRecord values;
    int steps;
    int key;
    KeyColour expected;
};

TEST_F(EngineTest, FirstStepsOfEachMode) {
    const Rgb green = FixedColours()[1];
    const StepCase cases[] = {
        {"wave, seven colours", Values(1, 4, 4, 1, 1), 1, 0, Colour(Wheel(16), 255)},
        {"wave backward", Values(1, 4, 4, 0, 1), 1, 0, Colour(Wheel(14), 255)},
        {"wave, one colour", Values(1), 1, 0, Colour(kRed, 255 * 77 >> 8)},
        {"fine wave, seven colours", Values(2, 4, 4, 1, 1), 1, 0, Colour(Wheel(5), 255)},
        {"fine wave, one colour", Values(2), 1, 0, Colour(kRed, 255 * 150 >> 8)},
        {"rainbow, first key", Values(3, 4, 4, 1, 1), 1, 0, Colour(Wheel(1), 255)},
        {"rainbow, 17th key", Values(3, 4, 4, 1, 1), 1, 21, Colour(Wheel(81), 255)},
        {"rainbow, one colour", Values(3), 1, 0, Colour(kRed, 255 * 24 >> 8)},
        {"colour cycle", Values(4, 3), 1, 150, Colour(Wheel(1), 195)},
        {"colour cycle backward", Values(4, 3, 4, 0), 1, 60, Colour(Wheel(191), 195)},
        {"breathing columns, top", Values(5), 64, 0, Colour(kRed, 254)},
        {"breathing columns, seven colours", Values(5, 4, 4, 1, 1), 64, 0, Colour(Wheel(14), 254)},
        {"static", Values(6, 2), 1, 99, Colour(kRed, 135)},
        {"static rings, centre", Values(6, 4, 4, 1, 1), 1, 51, Colour(Wheel(138), 255)},
        {"static rings, outside", Values(6, 4, 4, 1, 1), 1, T().rings[11][0],
         Colour(Wheel(6), 255)},
        {"off 7", Values(7), 3, 50, {}},
        {"off 28", Values(28), 3, 50, {}},
        {"rainbow flow", Values(11), 1, 0, Colour(Wheel(34), 255)},
        {"rainbow flow leaves placeholders", Values(11), 1, 130, {}},
        {"rows, top", Values(12), 1, 0, Colour(Wheel(2), 255)},
        {"rows, bottom", Values(12), 1, 105, Colour(Wheel(122), 255)},
        {"rings", Values(18), 1, 51, Colour(Wheel(8), 255)},
        {"rings, outside", Values(18), 1, T().rings[11][0], Colour(Wheel(85), 255)},
        {"chase", Values(21), 1, T().chaseOrder[1], Colour(kRed, 253)},
        {"sweep", Values(24), 1, T().sweepFrames[1][0], Colour(kRed, 254)},
        {"four-colour breathing", Values(26), 128 + 64, 7, Colour(green, 254)},
    };
    for (const StepCase& c : cases) {
        SCOPED_TRACE(c.name);
        Select(Values(31));  // through another mode, so every case starts afresh
        Select(c.values);
        Step(c.steps);
        EXPECT_EQ(Key(c.key), c.expected);
    }
}

TEST_F(EngineTest, PresetHueByZzccModeWithFallback) {
    const int hues[][2] = {{0, 174}, {1, 25}, {2, 70}, {3, 95}, {4, 174}, {7, 174}, {255, 174}};
    for (const auto& h : hues) {
        LightInfoRecord v = Values(17, 3);
        v.zzccLedMode = uint8_t(h[0]);
        Select(v);
        Step();
        EXPECT_EQ(Key(42), Colour(Wheel(h[1]), 195)) << "ZZCCLedMode " << h[0];
    }
}

TEST_F(EngineTest, CustomColoursShowAtTheBrightness) {
    std::vector<KeyColour> custom(kPositionCount);
    custom[5] = {1, 2, 3, 99};
    engine.SetCustomColours(custom);
    Select(Values(20, 1));
    Step();
    EXPECT_EQ(Key(5), Colour({1, 2, 3}, 80));
    engine.SetCustomColour(6, {7, 8, 9});
    Step();
    EXPECT_EQ(Key(6), Colour({7, 8, 9}, 80));
    EXPECT_EQ(Key(7), Colour({}, 80));
}

TEST_F(EngineTest, ExternalColourOfMode30IsClampedToBytes) {
    Select(Values(30, 2));
    const int32_t external[] = {300, -5, 7, 1, 2, 3};
    engine.SetExternalColour(external);
    Step();
    EXPECT_EQ(Key(0), Colour({255, 0, 7}, 135));
    EXPECT_EQ(Key(169), Colour({255, 0, 7}, 135));
}

TEST_F(EngineTest, RaindropsLightUpToSixDrawnKeys) {
    Select(Values(10));
    Step();
    const std::set<int> drawn(T().randomPicks.begin(), T().randomPicks.end());
    int lit = 0;
    for (int p = 0; p < kPositionCount; ++p) {
        if (S().levels[p] == 0) continue;
        EXPECT_EQ(S().levels[p], 255);
        EXPECT_TRUE(drawn.count(p)) << p;
        EXPECT_EQ(Key(p).alpha, 254);
        ++lit;
    }
    EXPECT_GE(lit, 1);
    EXPECT_LE(lit, 6);
}

TEST_F(EngineTest, TwinkleAndBreathingKeysClimbAndRestartAt192) {
    Select(Values(15));
    const uint8_t key = T().keyOrder[0];
    const uint8_t start = S().levels[key];
    Step();
    EXPECT_EQ(S().levels[key], (start + 2) % 192);
    engine.MutableState().levels[key] = 190;
    Step();
    EXPECT_EQ(S().levels[key], 0);
    EXPECT_EQ(Key(key).alpha, 0) << "pulse[0] is dark";

    Select(Values(22));
    const uint8_t before = S().levels[key];
    Step();
    EXPECT_EQ(S().levels[key], before + 1);
    EXPECT_EQ(Key(key).alpha, 255 * PulseCurve()[before + 1] >> 8);
}

TEST_F(EngineTest, ChaseRunnerFadesBehindAndRunsBackward) {
    Select(Values(21));
    Step(2);
    EXPECT_EQ(S().levels[T().chaseOrder[2]], 254);
    EXPECT_EQ(S().levels[T().chaseOrder[1]], 214) << "faded once with the other schedule";
    Select(Values(31));
    Select(Values(21, 4, 4, 0));  // backward: from 0 to 169, an empty slot
    Step();
    EXPECT_EQ(S().phase, 169);
    for (uint8_t level : S().levels) EXPECT_EQ(level, 0);
}

TEST_F(EngineTest, SweepTrailsFadeAndHuesClimbToTheEnd) {
    Select(Values(24, 4, 4, 1, 1));
    Step();
    const uint8_t key = T().sweepFrames[1][0];
    EXPECT_EQ(S().levels[key], 255);
    EXPECT_EQ(S().hues[key], 0);
    Step();
    EXPECT_EQ(S().hues[key], 3);
    EXPECT_EQ(Key(key), Colour(Wheel(3), 255)) << "seven colours: the hue at full brightness";
    engine.MutableState().hues[key] = 252;
    Step();
    EXPECT_EQ(S().hues[key], 255);
    Step();
    EXPECT_EQ(S().hues[key], 255) << "255 stays";
    EXPECT_EQ(Key(key), Colour(Wheel(255), 255));
}

TEST_F(EngineTest, FlashTogglesOncePerPeriodAndMovesItsHue) {
    Select(Values(23, 4, 4, 1, 1));  // speed 4: 200 ms
    struct Tick {
        int at;
        bool on;
        int hue;
    };
    const Tick ticks[] = {{0, true, 16},    {100, true, 16}, {199, true, 16},
                          {200, false, 32}, {400, true, 48}, {450, true, 48}};
    for (const Tick& t : ticks) {
        SCOPED_TRACE(t.at);
        engine.MutableState().dirty = true;  // step now, whatever the threshold says
        PassAt(t.at);
        EXPECT_EQ(S().flashHue, t.hue);
        EXPECT_EQ(Key(10), t.on ? Colour(Wheel(t.hue), 255) : KeyColour{});
    }
}

TEST_F(EngineTest, FourColourFlashTakesTheNextColourAtEachToggle) {
    Select(Values(27, 4, 0));  // speed 0: 1600 ms
    PassAt(0);
    EXPECT_EQ(Key(3), Colour(FixedColours()[1], 255));
    engine.MutableState().dirty = true;
    PassAt(1600);
    EXPECT_EQ(Key(3), KeyColour{});
    engine.MutableState().dirty = true;
    PassAt(3200);
    EXPECT_EQ(Key(3), Colour(FixedColours()[3], 255));
}

TEST_F(EngineTest, BrightnessZeroBlacksEveryMode) {
    std::vector<LedEffect> effects(kPositionCount);
    for (int p = 0; p < kPositionCount; ++p) {
        effects[p].present = 1;
        effects[p].mode = uint8_t(p % 5);
        effects[p].brightness = 4;
        effects[p].speed = 5;
        effects[p].red = 255;
    }
    EffectStep lit;
    lit.mode = 1;
    lit.brightness = 4;
    lit.red = 255;
    lit.time = 1000;
    engine.ApplyEffects(effects, {lit});
    std::vector<KeyColour> custom(kPositionCount, KeyColour{255, 255, 255, 255});
    engine.SetCustomColours(custom);
    const int32_t external[] = {255, 255, 255};
    engine.SetExternalColour(external);
    for (int mode = 0; mode <= 31; ++mode) {
        SCOPED_TRACE(mode);
        Select(Values(mode, 0, 4, 1, mode % 2));
        const std::vector<int32_t> loud(kAudioBands, 2000);
        for (int i = 0; i < 4; ++i) {
            engine.OnAudioLevels(loud);
            engine.OnKeyEvent(51, kKeyPress);
            Step();
            EXPECT_TRUE(AllDark());
        }
    }
}

TEST_F(EngineTest, EmptyTimelineTurnsEveryKeyOff) {
    Select(Values(4));
    Step();
    ASSERT_FALSE(AllDark());
    for (int mode : {0, 19, 31, 200}) {
        Select(Values(mode));
        Step();
        EXPECT_TRUE(AllDark()) << mode;
    }
}

TEST_F(EngineTest, NextDueFollowsWhatAnimates) {
    struct Case {
        const char* name;
        LightInfoRecord values;
        Millis due;  // after the pass at kStart
    };
    const Case cases[] = {
        {"static", Values(6), kNever},
        {"off", Values(8), kNever},
        {"preset", Values(17), kNever},
        {"external colour", Values(30), kNever},
        {"heat map without presses", Values(25), kNever},
        {"empty timeline", Values(0), kNever},
        {"colour cycle, speed 0", Values(4, 4, 0), kStart + 8 * kTick},
        {"colour cycle, speed 4", Values(4, 4, 4), kStart + kTick},
        {"fine wave, speed 0", Values(2, 4, 0), kStart + 12 * kTick},
        {"music", Values(29), kStart + 2 * kTick},
        {"flash, speed 0: the next toggle", Values(23, 4, 0), kStart + Millis(1600)},
        {"lights off", Values(4, 0), kNever},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Select(Values(31));
        Select(c.values);
        EXPECT_EQ(engine.NextDue(), Millis(0)) << "a change is due at once";
        engine.Pass(kStart);
        EXPECT_EQ(engine.NextDue(), c.due);
    }
}

TEST_F(EngineTest, StepsRunOnlyWhenDue) {
    Select(Values(4, 4, 1));  // 5 ticks
    PassAt(0);
    EXPECT_EQ(S().phase, 1);
    PassAt(5 * 16 - 1);
    EXPECT_EQ(S().phase, 1);
    PassAt(5 * 16);
    EXPECT_EQ(S().phase, 2);
}

}  // namespace
}  // namespace tirk::lighting
