// The mouse's own preview steps: which step a mode runs at which period, the
// wave over the seven LED groups and the reactive fade.
#include "device/preview/mouse_preview.h"

#include <gtest/gtest.h>

#include <set>

namespace tirk::preview {
namespace {

TEST(MousePreview, EachModeRunsItsStepAtItsPeriod) {
    struct Row {
        int mode, speed;
        MouseStepKind kind;
        PreviewEffect effect;
        int period;
    };
    const Row rows[] = {
        {0, 0, MouseStepKind::kWave, kEffectOff, 8},
        {0, 4, MouseStepKind::kWave, kEffectOff, 1},
        {1, 1, MouseStepKind::kDeviceEffect, kEffectSpectrum, 6},
        {2, 2, MouseStepKind::kDeviceEffect, kEffectBreathing, 4},
        {3, 3, MouseStepKind::kDeviceEffect, kEffectStatic, 2},
        {4, 0, MouseStepKind::kDeviceEffect, kEffectBlink, 8},
        {5, 0, MouseStepKind::kFlow, kEffectOff, 16},
        {5, 4, MouseStepKind::kFlow, kEffectOff, 2},
        {6, 2, MouseStepKind::kReactive, kEffectOff, 4},
        {7, 0, MouseStepKind::kDeviceEffect, kEffectFourColourBreathing, 8},
        {8, 1, MouseStepKind::kDeviceEffect, kEffectFourColourBlink, 6},
        {10, 4, MouseStepKind::kDeviceEffect, kEffectOff, 1},
        {9, 2, MouseStepKind::kNone, kEffectOff, 0},
        {11, 2, MouseStepKind::kNone, kEffectOff, 0},
        {0, 9, MouseStepKind::kWave, kEffectOff, 1},  // a speed above 4 reads as 4
    };
    for (const Row& row : rows) {
        const MouseStepPlan plan = MouseStepOf(row.mode, row.speed);
        EXPECT_EQ(plan.kind, row.kind) << row.mode << "/" << row.speed;
        if (row.kind == MouseStepKind::kDeviceEffect) {
            EXPECT_EQ(plan.effect, row.effect) << row.mode;
        }
        EXPECT_EQ(plan.periodTicks, row.period) << row.mode << "/" << row.speed;
    }
}

TEST(MousePreview, EveryLedBelongsToExactlyOneGroup) {
    std::multiset<int> leds;
    for (const auto& group : MouseLedGroups())
        for (int led : group)
            if (led >= 0) leds.insert(led);
    ASSERT_EQ(leds.size(), size_t(kMouseLedCount));
    for (int led = 0; led < kMouseLedCount; ++led) EXPECT_EQ(leds.count(led), 1u) << led;
}

TEST(MousePreview, TheColourfulWaveShowsTheWheelSevenHuesApartPerGroup) {
    LightingParams params;
    params.colourful = 1, params.direction = 1, params.level = 3;
    MousePreviewState state;
    MouseWaveStep(params, state);
    EXPECT_EQ(state.phase, 1);
    for (int g = 0; g < kMouseGroupCount; ++g)
        for (int led : MouseLedGroups()[size_t(g)]) {
            if (led < 0) continue;
            EXPECT_EQ(state.leds[size_t(led)].colour, ColourWheel()[size_t((2 + 7 * g) % 192)])
                << led;
            EXPECT_EQ(state.leds[size_t(led)].alpha, LevelAlpha(3)) << led;
        }
}

TEST(MousePreview, TheSingleColourWaveBreathesAlongTheShortCurve) {
    LightingParams params;
    params.red = 10, params.green = 20, params.blue = 30, params.level = 4, params.direction = 0;
    MousePreviewState state;
    state.phase = 0;
    MouseWaveStep(params, state);  // backward from 0 wraps to 95
    EXPECT_EQ(state.phase, 95);
    for (int g = 0; g < kMouseGroupCount; ++g) {
        const int led = MouseLedGroups()[size_t(g)][0];
        const uint8_t curve = lighting::ShortBreathingCurve()[size_t((95 + 1 + 7 * g) % 96)];
        EXPECT_EQ(state.leds[size_t(led)].colour, (Rgb{10, 20, 30}));
        EXPECT_EQ(state.leds[size_t(led)].alpha, LevelAlpha(4) * curve / 256) << g;
    }
}

TEST(MousePreview, APressLightsEveryLedWhichThenFadesOut) {
    LightingParams params;
    params.level = 4, params.red = 255;
    MousePreviewState state;
    TriggerMouseReactive(state, [] { return uint8_t(200); });
    MouseReactiveStep(params, state);
    for (int led = 0; led < kMouseLedCount; ++led) {
        EXPECT_EQ(state.leds[size_t(led)].alpha, LevelAlpha(4) * 255 / 256) << led;
        EXPECT_EQ(state.reaction[size_t(led)], 2) << "falling after the peak";
        EXPECT_EQ(state.wheelIndex[size_t(led)], 200 % 192);
    }
    for (int step = 0; step < 17; ++step) MouseReactiveStep(params, state);
    EXPECT_EQ(state.fade[0], 0);
    EXPECT_EQ(state.reaction[0], 0) << "resting";
    EXPECT_EQ(state.leds[0].alpha, 0);

    params.colourful = 1;
    TriggerMouseReactive(state, [] { return uint8_t(7); });
    MouseReactiveStep(params, state);
    EXPECT_EQ(state.leds[14].colour, ColourWheel()[7]);
}

// One pulse enters at group 0 (forward) or comes round the 23-entry ring to
// group 6 (backward) and moves a group per step; a group just started shows
// 255 faded once in mode 5 (−40).
TEST(MouseFlow, ThePulseMovesOneGroupPerStep) {
    struct Case {
        uint8_t direction;
        int firstStep;   ///< the step (1-based) at which the pulse reaches its first group
        int firstGroup;  ///< that group; each later step lights the next one
        int towards;     ///< +1 or −1
    };
    const Case cases[] = {{1, 1, 0, +1}, {0, 18, 6, -1}};
    constexpr uint8_t kStartedOnce = 215;
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.direction));
        LightingParams params;
        params.level = 4, params.red = 10, params.direction = c.direction;
        MousePreviewState state;
        for (int step = 1; step < c.firstStep; ++step) MouseFlowStep(params, 5, state);
        for (int g = 0; g < kMouseGroupCount; ++g) {
            MouseFlowStep(params, 5, state);
            const int lit = c.firstGroup + c.towards * g;
            EXPECT_EQ(state.flow.fade[size_t(lit)], kStartedOnce) << "group " << lit;
            for (int led : MouseLedGroups()[size_t(lit)]) {
                if (led < 0) continue;
                EXPECT_EQ(state.leds[size_t(led)].colour, (Rgb{10, 0, 0}));
                EXPECT_EQ(state.leds[size_t(led)].alpha, LevelAlpha(4) * kStartedOnce / 256);
            }
        }
    }
}

// Colourful: the groups keep their colours while group 0 (forward) is lit,
// starting with the wheel 12 entries apart; once it is dark each group takes
// the wheel at the phase advanced 12 per group.
TEST(MouseFlow, ColoursChangeOnlyWhileTheEntryGroupIsDark) {
    LightingParams params;
    params.level = 4, params.colourful = 1, params.direction = 1;
    MousePreviewState state;
    MouseFlowStep(params, 5, state);
    for (int g = 0; g < kMouseGroupCount; ++g)
        EXPECT_EQ(state.leds[size_t(MouseLedGroups()[size_t(g)][0])].colour,
                  ColourWheel()[size_t(12 * (g + 1))]);
    int step = 1;
    while (state.flow.fade[0] != 0 && step < 23) {
        MouseFlowStep(params, 5, state);
        ++step;
        if (state.flow.fade[0] != 0) {
            EXPECT_EQ(state.leds[13].colour, ColourWheel()[12]) << "kept at step " << step;
        }
    }
    ASSERT_EQ(state.flow.fade[0], 0) << "group 0 goes dark before the pulse comes round";
    uint8_t phase = Step(true, 192, state.phase, 1);
    MouseFlowStep(params, 5, state);
    for (int g = 0; g < kMouseGroupCount; ++g) {
        phase = uint8_t(phase + 12);
        EXPECT_EQ(state.leds[size_t(MouseLedGroups()[size_t(g)][0])].colour,
                  ColourWheel()[phase % 192])
            << g;
    }
}

}  // namespace
}  // namespace tirk::preview
