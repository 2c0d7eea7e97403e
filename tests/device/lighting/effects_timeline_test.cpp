// The per-key effects laid over the mode, and the lighting timeline.
#include <vector>

#include "engine_fixture.h"

namespace tirk::lighting {
namespace {

constexpr Rgb kBlue{0, 0, 255};

LedEffect Effect(int mode, int brightness = 4, int speed = 0, int multi = 0, Rgb colour = kBlue) {
    LedEffect e;
    e.mode = uint8_t(mode);
    e.brightness = uint8_t(brightness);
    e.speed = uint8_t(speed);
    e.multiColor = uint8_t(multi);
    e.red = colour.red;
    e.green = colour.green;
    e.blue = colour.blue;
    e.present = 1;
    return e;
}

EffectStep Entry(int type, int time, Rgb colour = kBlue, int speed = 5, int multi = 0) {
    EffectStep e;
    e.mode = uint8_t(type);
    e.brightness = 4;
    e.speed = uint8_t(speed);
    e.direction = 1;
    e.multiColor = uint8_t(multi);
    e.red = colour.red;
    e.green = colour.green;
    e.blue = colour.blue;
    e.time = time;
    return e;
}

class KeyEffectTest : public EngineTest {
protected:
    void SetUp() override { Select(Values(6)); }  // static red under the effects
    void Apply(int position, const LedEffect& effect) {
        std::vector<LedEffect> effects(kPositionCount);
        effects[position] = effect;
        engine.ApplyEffects(effects, {});
    }
};

TEST_F(KeyEffectTest, StaticOffAndUnknownEntries) {
    std::vector<LedEffect> effects(kPositionCount);
    effects[5] = Effect(1, 2);
    effects[6] = Effect(4);
    effects[7] = Effect(9);
    effects[8] = Effect(1);
    effects[8].present = 0;
    engine.ApplyEffects(effects, {});
    Step();
    EXPECT_EQ(Key(5), Colour(kBlue, 135));
    EXPECT_EQ(Key(6), KeyColour{});
    EXPECT_EQ(Key(7), Colour(kRed, 255)) << "not a per-key mode: the mode's colour";
    EXPECT_EQ(Key(8), Colour(kRed, 255)) << "not present";
    EXPECT_EQ(engine.NextDue(), kNever) << "static entries need no wake-ups";
}

TEST_F(KeyEffectTest, BreathingAdvancesOncePerTick) {
    Apply(9, Effect(0, 4, 0, 1));  // speed 0: 4 per tick
    PassAt(0);
    EXPECT_EQ(S().keyEffects.phase[9], 4);
    EXPECT_EQ(Key(9), Colour(Wheel(0), BreathingCurve()[4] * 255 >> 8));
    PassAt(5);
    EXPECT_EQ(S().keyEffects.phase[9], 4) << "the same tick";
    EXPECT_EQ(engine.NextDue(), kStart + kTick);
    for (int tick = 1; tick < 32; ++tick) PassAt(16 * tick);
    EXPECT_EQ(S().keyEffects.phase[9], 0) << "128 reached: back to 0";
    EXPECT_EQ(S().keyEffects.hue[9], 1);
}

TEST_F(KeyEffectTest, ColourCycleByTheSpeedRowAndWrapAfter191) {
    Apply(9, Effect(3, 3, 0));  // speed 0: every 8 ticks
    for (int tick = 0; tick < 8; ++tick) PassAt(16 * tick);
    EXPECT_EQ(S().keyEffects.hue[9], 1);
    EXPECT_EQ(Key(9), Colour(Wheel(1), 195));
    engine.MutableState().keyEffects.hue[9] = 191;
    for (int tick = 8; tick < 16; ++tick) PassAt(16 * tick);
    EXPECT_EQ(S().keyEffects.hue[9], 0);
}

TEST_F(KeyEffectTest, FlashByItsOwnPeriodMovingTheHueBy14) {
    Apply(9, Effect(2, 4, 4, 1));  // speed 4: 200 ms
    PassAt(0);
    EXPECT_EQ(Key(9), Colour(Wheel(14), 255));
    EXPECT_EQ(engine.NextDue(), kStart + Millis(200));
    PassAt(199);
    EXPECT_EQ(Key(9), Colour(Wheel(14), 255));
    PassAt(200);
    EXPECT_EQ(Key(9), KeyColour{});
    engine.MutableState().keyEffects.hue[9] = 182;
    PassAt(400);
    EXPECT_EQ(S().keyEffects.hue[9], 0) << "past 191: back to 0";
}

TEST_F(KeyEffectTest, ApplyingAProfileResetsTheCounters) {
    Apply(9, Effect(0));
    PassAt(0);
    PassAt(16);
    ASSERT_EQ(S().keyEffects.phase[9], 8);
    Apply(9, Effect(0));
    EXPECT_EQ(S().keyEffects.phase[9], 0);
}

// ---- the timeline ----

class TimelineTest : public EngineTest {
protected:
    void Play(std::vector<EffectStep> steps, int deviceSpeed = 4) {
        engine.ApplyEffects({}, std::move(steps));
        Select(Values(19, 4, deviceSpeed));
    }
};

TEST_F(TimelineTest, EntriesPlayInTurnAndDurationZeroAdvancesAtTheNextPass) {
    const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};
    Play({Entry(1, 0, red), Entry(1, 1000, green), Entry(1, 500, blue)});
    struct Pass {
        int at;
        Rgb shown;
    };
    const Pass passes[] = {{0, red},     {0, green},  {999, green}, {1000, blue},
                           {1499, blue}, {1500, red}, {1500, green}};
    for (const Pass& p : passes) {
        PassAt(p.at);
        EXPECT_EQ(Key(40), Colour(p.shown, 255)) << p.at;
    }
    EXPECT_EQ(engine.NextDue(), kStart + Millis(2500)) << "a static entry wakes only at its end";
}

TEST_F(TimelineTest, NegativeDurationCountsAsZero) {
    Play({Entry(1, -50, {1, 1, 1}), Entry(1, 1000, {2, 2, 2})});
    PassAt(0);
    PassAt(0);
    EXPECT_EQ(Key(0), Colour({2, 2, 2}, 255));
}

TEST_F(TimelineTest, EffectTypes) {
    Play({Entry(0, 100000)});  // breathing, speed 5: every tick
    for (int tick = 0; tick < 64; ++tick) PassAt(16 * tick);
    EXPECT_EQ(Key(0), Colour(kBlue, 254));

    Play({Entry(2, 100000, kBlue, 5, 1)}, 4);  // flash by the device's speed: 200 ms
    PassAt(0);
    EXPECT_EQ(Key(0), Colour(Wheel(16), 255));
    PassAt(200);
    EXPECT_EQ(Key(0), KeyColour{});

    Play({Entry(4, 100000, kBlue, 5, 1)});  // wave: columns 12 hues apart
    PassAt(0);
    EXPECT_EQ(Key(0), Colour(Wheel(1 + 24), 255));  // Esc is in column 2
    EXPECT_EQ(Key(22), Colour(Wheel(1 + 24), 255));
    EXPECT_EQ(Key(1), Colour(Wheel(1 + 36), 255));

    Play({Entry(5, 100000, kBlue, 4)});  // colour cycle, speed 4: every tick
    PassAt(0);
    PassAt(16);
    EXPECT_EQ(Key(0), Colour(Wheel(2), 255));

    Play({Entry(3, 100000)});  // not a timeline effect
    PassAt(0);
    EXPECT_TRUE(AllDark());
}

TEST_F(TimelineTest, ApplyingAProfileRestartsAtTheFirstEntry) {
    const Rgb red{255, 0, 0}, green{0, 255, 0};
    Play({Entry(1, 100, red), Entry(1, 100, green)});
    PassAt(0);
    PassAt(100);
    ASSERT_EQ(Key(0), Colour(green, 255));
    engine.ApplyEffects({}, {Entry(1, 100, red), Entry(1, 100, green)});
    PassAt(150);
    EXPECT_EQ(Key(0), Colour(red, 255));
}

}  // namespace
}  // namespace tirk::lighting
