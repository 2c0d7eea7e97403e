#include "device/preview/preview_effects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tirk::preview {
namespace {

constexpr Rgb kProfileColour{10, 20, 30};

LightingParams Params(uint8_t effect, uint8_t level = 4, bool forward = true,
                      bool colourful = false, uint8_t speed = 4) {
    LightingParams p;
    p.mode = effect;
    p.level = level;
    p.speed = speed;
    p.direction = forward ? 1 : 0;
    p.colourful = colourful ? 1 : 0;
    p.red = kProfileColour.red;
    p.green = kProfileColour.green;
    p.blue = kProfileColour.blue;
    return p;
}

// Runs `steps` steps of an effect with a fixed tick; returns every frame.
std::vector<PreviewFrame> RunSteps(const LightingParams& p, PreviewState& state, int steps,
                                   uint32_t tick = 0) {
    std::vector<PreviewFrame> frames;
    TickSource clock = [&tick] { return tick; };
    for (int i = 0; i < steps; ++i) frames.push_back(EffectStep(p.mode, p, state, clock));
    return frames;
}

TEST(PreviewBreathing, FollowsTheCurveScaledByTheLevel) {
    PreviewState state;
    auto frames = RunSteps(Params(kEffectBreathing, 1), state, 3);
    // Forward from phase 0: phases 1, 2, 3; alpha = curve × 80 / 256.
    EXPECT_EQ(frames[0], (PreviewFrame{kProfileColour, 0}));  // 1 × 80 / 256
    EXPECT_EQ(state.phase, 3);
    state.phase = 63;
    frames = RunSteps(Params(kEffectBreathing, 4), state, 1);
    EXPECT_EQ(frames[0].alpha, 255 * 255 / 256);
    state.phase = 62;
    frames = RunSteps(Params(kEffectBreathing, 2), state, 1);
    EXPECT_EQ(frames[0].alpha, 255 * 135 / 256);
}

TEST(PreviewBreathing, ColourfulMovesAlongTheWheelAtEachReturnToZero) {
    struct Case {
        bool forward;
        uint8_t startPhase, startWheel;
        uint8_t phase, wheel;
    };
    const Case cases[] = {
        {true, 126, 0, 127, 0},    // no return yet
        {true, 127, 0, 0, 16},     // back to 0: 16 on
        {true, 127, 176, 0, 192},  // 192 is a wheel entry (red again) …
        {true, 127, 192, 0, 0},    // … and only above it the colour wraps to 0
        {false, 1, 32, 0, 48},     // backward reaches 0 as well
        {false, 0, 32, 127, 32},   // leaving 0 backwards is no return
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "phase " << int(c.startPhase));
        PreviewState state;
        state.phase = c.startPhase;
        state.wheelIndex = c.startWheel;
        PreviewFrame f = RunSteps(Params(kEffectBreathing, 4, c.forward, true), state, 1)[0];
        EXPECT_EQ(state.phase, c.phase);
        EXPECT_EQ(state.wheelIndex, c.wheel);
        EXPECT_EQ(f.colour, ColourWheel()[c.wheel]);
    }
}

TEST(PreviewFourColourBreathing, CyclesTheFourColours) {
    PreviewState state;
    state.phase = 127;
    std::vector<Rgb> seen;
    for (int round = 0; round < 5; ++round) {
        auto frames = RunSteps(Params(kEffectFourColourBreathing), state, 128);
        seen.push_back(frames[0].colour);
        EXPECT_EQ(state.phase, 127);
    }
    const auto& cycle = FourColourCycle();
    EXPECT_EQ(seen, (std::vector<Rgb>{cycle[1], cycle[2], cycle[3], cycle[0], cycle[1]}));
}

TEST(PreviewStatic, ProfileColourAtTheLevelAlpha) {
    const uint8_t alphas[] = {0, 80, 135, 195, 255};
    for (uint8_t level = 0; level < 5; ++level) {
        PreviewState state;
        state.phase = 77;
        PreviewFrame f = RunSteps(Params(kEffectStatic, level), state, 1)[0];
        EXPECT_EQ(f, (PreviewFrame{kProfileColour, alphas[level]}));
        EXPECT_EQ(state.phase, 77) << "static leaves the state alone";
    }
}

TEST(PreviewSpectrum, WalksTheWheelBothWays) {
    PreviewState state;
    state.phase = 190;
    auto frames = RunSteps(Params(kEffectSpectrum, 3), state, 3);
    EXPECT_EQ(frames[0], (PreviewFrame{ColourWheel()[191], 195}));
    EXPECT_EQ(frames[1], (PreviewFrame{ColourWheel()[0], 195}));
    EXPECT_EQ(frames[2], (PreviewFrame{ColourWheel()[1], 195}));
    frames = RunSteps(Params(kEffectSpectrum, 3, false), state, 2);
    EXPECT_EQ(frames[0].colour, ColourWheel()[0]);
    EXPECT_EQ(frames[1].colour, ColourWheel()[191]);
}

TEST(PreviewBlink, TogglesOncePerPeriodOfTheSpeed) {
    // Speed 2: 800 ms. Ticks and what the LEDs show.
    struct Tick {
        uint32_t now;
        bool lit;
        uint8_t phase;
    };
    const Tick ticks[] = {
        {1000, true, 16},                     // first step: 1000 ms since tick 0 → on
        {1500, true, 16},                     // 500 ms: no toggle
        {1799, true, 16}, {1800, false, 32},  // 800 ms → off
        {2600, true, 48},                     // on again
    };
    PreviewState state;
    const LightingParams p = Params(kEffectBlink, 4, true, true, 2);
    for (const Tick& t : ticks) {
        SCOPED_TRACE(t.now);
        PreviewFrame f = RunSteps(p, state, 1, t.now)[0];
        EXPECT_EQ(state.phase, t.phase);
        if (t.lit)
            EXPECT_EQ(f, (PreviewFrame{ColourWheel()[t.phase], 255}));
        else
            EXPECT_EQ(f, PreviewFrame{});
    }
}

TEST(PreviewBlink, PhaseWrapsAtTheWheelEndAndTheTickMayWrap) {
    PreviewState state;
    state.phase = 176;
    state.lastBlinkTick = 0xFFFFFF00u;
    LightingParams p = Params(kEffectBlink, 1, true, false, 4);  // 200 ms
    PreviewFrame f = RunSteps(p, state, 1, 0x00000010u)[0];      // 0x110 ms later
    EXPECT_EQ(state.phase, 0);
    EXPECT_EQ(f, (PreviewFrame{kProfileColour, 80}));
}

TEST(PreviewFourColourBlink, AdvancesTheCycleAtEachToggle) {
    PreviewState state;
    const LightingParams p = Params(kEffectFourColourBlink, 4, true, false, 4);  // 200 ms
    std::vector<PreviewFrame> frames;
    for (uint32_t now = 200; now <= 1000; now += 200)
        frames.push_back(RunSteps(p, state, 1, now)[0]);
    const auto& cycle = FourColourCycle();
    EXPECT_EQ(frames, (std::vector<PreviewFrame>{
                          {cycle[1], 255}, {}, {cycle[3], 255}, {}, {cycle[1], 255}}));
}

TEST(PreviewOff, AllZeroForEffectSixAndUnknownEffects) {
    for (uint8_t effect : {6, 7, 200}) {
        PreviewState state;
        EXPECT_EQ(RunSteps(Params(effect), state, 1)[0], PreviewFrame{}) << int(effect);
    }
}

TEST(PreviewEffects, ForeignStateIsBroughtBackIntoTheTables) {
    // A state left by another effect must never index past a table.
    PreviewState state;
    state.phase = 250;
    state.cycleIndex = 9;
    state.wheelIndex = 255;
    for (uint8_t effect : {0, 1, 3, 4, 5}) {
        for (bool forward : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << "effect " << int(effect) << " forward " << forward);
            PreviewState s = state;
            auto frames = RunSteps(Params(effect, 4, forward, true), s, 2, 5000);
            EXPECT_LT(s.phase, kWheelLength);
            const bool cycles =
                effect == kEffectFourColourBreathing || effect == kEffectFourColourBlink;
            for (const PreviewFrame& f : frames) {
                if (f.alpha == 0) continue;
                const auto& table = FourColourCycle();
                const bool inCycle = std::find(table.begin(), table.end(), f.colour) != table.end();
                const bool onWheel = std::find(ColourWheel().begin(), ColourWheel().end(),
                                               f.colour) != ColourWheel().end();
                EXPECT_TRUE(cycles ? inCycle : onWheel);
            }
        }
    }
}

}  // namespace
}  // namespace tirk::preview
