// The synchronised lighting without devices: the mode ↔ common effect table
// of every family, taking the record from a device and giving it to another,
// and the five effect steps with an injected clock.
#include "app/shell/sync_effects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tirk {
namespace {

using namespace std::chrono_literals;
using Clock = SyncEffectStepper::Clock;

constexpr int kKeyboard = 1;
constexpr int kMouse = 2;
constexpr int kMousePad = 3;
constexpr int kHeadset = 7;

// ---- the mode table ----------------------------------------------------------------

TEST(SyncModeTableTest, EveryFamilysModesMapToTheCommonEffectsAndBack) {
    struct Row {
        int family;
        std::vector<int> modes;  // breathing, static, flash, colour cycle, off
    } rows[] = {
        {kKeyboard, {5, 6, 23, 4, 28}},
        {kMouse, {2, 3, 4, 1, 10}},
        {kMousePad, {2, 3, 4, 1, 8}},
        {kHeadset, {2, 3, 4, 1, 8}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("family " + std::to_string(row.family));
        for (int effect = 0; effect < kSyncEffectCount; ++effect) {
            EXPECT_EQ(CommonEffectOf(row.family, row.modes[effect]), effect);
            EXPECT_EQ(ModeOfCommonEffect(row.family, effect), row.modes[effect]);
        }
        EXPECT_EQ(ModeOfCommonEffect(row.family, kSyncEffectCount), -1);
        EXPECT_EQ(ModeOfCommonEffect(row.family, -1), -1);
    }
}

TEST(SyncModeTableTest, ModesOutsideTheTableAndOtherFamiliesHaveNoCommonEffect) {
    const struct {
        int family;
        int mode;
    } none[] = {{kKeyboard, 0}, {kKeyboard, 1}, {kKeyboard, 2}, {kKeyboard, 29},
                {kMouse, 0},    {kMouse, 5},    {kMouse, 8},    {kMousePad, 10},
                {kHeadset, 10}, {kMousePad, 5}, {0, 5},         {4, 2}};
    for (const auto& c : none)
        EXPECT_EQ(CommonEffectOf(c.family, c.mode), -1) << c.family << " mode " << c.mode;
    EXPECT_EQ(ModeOfCommonEffect(0, 1), -1);
}

// ---- taking and giving the record ----------------------------------------------------

LightInfoRecord Values(int mode) {
    LightInfoRecord values;
    values.selectItem = uint8_t(mode);
    values.light = 3;
    values.speed = 2;
    values.fx = 1;
    values.multiColor = 1;
    values.red = 10;
    values.green = 20;
    values.blue = 30;
    values.zzccLedMode = 4;
    values.customGroup = 2;
    return values;
}

TEST(SyncRecordTest, AKeyboardFlashingPutsTheOtherFamiliesIntoTheirFlash) {
    SyncLightingRecord record;
    ASSERT_TRUE(TakeSyncLighting(kKeyboard, Values(23), record));
    EXPECT_EQ(record, (SyncLightingRecord{2, 3, 2, 1, 1, 10, 20, 30}));
    for (int family : {kMouse, kMousePad, kHeadset}) {
        LightInfoRecord own;
        own.selectItem = 9;
        own.zzccLedMode = 7;
        own.customGroup = 5;
        own.spare[1] = 6;
        LightInfoRecord expected = Values(4);
        expected.zzccLedMode = 7;
        expected.customGroup = 5;
        expected.spare[1] = 6;
        EXPECT_EQ(SyncedLightValues(family, record, own), expected) << "family " << family;
    }
}

TEST(SyncRecordTest, AModeOutsideTheTableChangesNothing) {
    const SyncLightingRecord before{3, 1, 1, 0, 0, 1, 2, 3};
    SyncLightingRecord record = before;
    EXPECT_FALSE(TakeSyncLighting(kKeyboard, Values(17), record));
    EXPECT_EQ(record, before);
    EXPECT_FALSE(TakeSyncLighting(kMouse, Values(5), record));
    EXPECT_EQ(record, before);
}

TEST(SyncRecordTest, TheBaseFamilyKeepsTheEffectAndGivesItsBytes) {
    SyncLightingRecord record{3, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(TakeSyncLighting(0, Values(23), record));
    EXPECT_EQ(record, (SyncLightingRecord{3, 3, 2, 1, 1, 10, 20, 30}));
    LightInfoRecord own;
    own.selectItem = 12;
    EXPECT_EQ(SyncedLightValues(0, record, own).selectItem, 12) << "no mode to translate to";
}

TEST(SyncRecordTest, TheSharedStoreGivesBackWhatWasStored) {
    const SyncLightingRecord record{4, 1, 2, 3, 4, 5, 6, 7};
    SharedSyncLighting().Store(record);
    EXPECT_EQ(SharedSyncLighting().Load(), record);
}

// ---- the effect steps --------------------------------------------------------------------

SyncLightingRecord Record(SyncEffect effect, int light, int speed, int fx, int multiColor) {
    SyncLightingRecord record{uint8_t(effect), uint8_t(light), uint8_t(speed), uint8_t(fx)};
    record.multiColor = uint8_t(multiColor);
    record.red = 10;
    record.green = 20;
    record.blue = 30;
    return record;
}

/// Runs `steps` steps, all at time zero; returns the last colour.
SyncColour StepTimes(SyncEffectStepper& stepper, const SyncLightingRecord& record, int steps) {
    SyncColour colour;
    for (int i = 0; i < steps; ++i) colour = stepper.Step(record, Clock::time_point{});
    return colour;
}

TEST(SyncEffectTest, EachEffectsColourAfterSomeSteps) {
    struct Case {
        const char* what;
        SyncLightingRecord record;
        int steps;
        SyncColour colour;
    } cases[] = {
        // The breathing curve's entry 20 is 33: 255 × 33 >> 8.
        {"breathing forward", Record(SyncEffect::kBreathing, 4, 0, 1, 0), 20, {10, 20, 30, 32}},
        // Backward from 0: 127, 126, … 84 after 44 steps; entry 84 mirrors 43 (129): 195 × 129
        // >> 8.
        {"breathing backward", Record(SyncEffect::kBreathing, 3, 0, 0, 0), 44, {10, 20, 30, 98}},
        {"breathing at its top", Record(SyncEffect::kBreathing, 4, 0, 1, 0), 64, {10, 20, 30, 254}},
        // The first step moves to phase 1 and the hue to 16: (255, 81, 0); curve entry 1 is 1.
        {"breathing in colours", Record(SyncEffect::kBreathing, 4, 0, 1, 1), 1, {255, 81, 0, 0}},
        {"static", Record(SyncEffect::kStatic, 2, 0, 0, 1), 3, {10, 20, 30, 135}},
        {"static at level 0", Record(SyncEffect::kStatic, 0, 0, 0, 0), 1, {10, 20, 30, 0}},
        {"flash single colour", Record(SyncEffect::kFlash, 1, 4, 0, 0), 1, {10, 20, 30, 80}},
        // The first toggle moves the flash hue to 14: (255, 65, 0).
        {"flash in colours", Record(SyncEffect::kFlash, 4, 4, 0, 1), 1, {255, 65, 0, 255}},
        {"colour cycle", Record(SyncEffect::kColourCycle, 4, 0, 0, 0), 1, {255, 3, 0, 255}},
        // Hue 32 is the falling ramp's first entry with full green.
        {"colour cycle later",
         Record(SyncEffect::kColourCycle, 3, 0, 0, 0),
         32,
         {248, 255, 0, 195}},
        {"off", Record(SyncEffect::kOff, 4, 0, 0, 1), 2, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SyncEffectStepper stepper;
        EXPECT_EQ(StepTimes(stepper, c.record, c.steps), c.colour);
    }
}

TEST(SyncEffectTest, ColourfulBreathingMovesTheHueBy32PerBreathInEitherDirection) {
    for (int fx : {1, 0}) {
        SCOPED_TRACE(fx ? "forward" : "backward");
        SyncEffectStepper stepper;
        const SyncLightingRecord record = Record(SyncEffect::kBreathing, 4, 0, fx, 1);
        for (int breath = 1; breath <= 6; ++breath) {
            StepTimes(stepper, record, 128);
            EXPECT_EQ(stepper.BreathingPhase(), 0) << "a breath is 128 steps";
            EXPECT_EQ(stepper.BreathingHue(), (32 * breath) % 192) << "breath " << breath;
        }
    }
}

TEST(SyncEffectTest, SingleColouredBreathingLeavesTheHueAlone) {
    SyncEffectStepper stepper;
    StepTimes(stepper, Record(SyncEffect::kBreathing, 4, 0, 1, 0), 300);
    EXPECT_EQ(stepper.BreathingHue(), 0);
}

TEST(SyncEffectTest, FlashTogglesEvery200MsAtSpeed4AndEvery1600MsAtSpeed0) {
    struct Case {
        int speed;
        std::vector<std::pair<std::chrono::milliseconds, bool>> steps;  // time, on
    } cases[] = {
        {4,
         {{0ms, true},
          {100ms, true},
          {199ms, true},
          {200ms, false},
          {399ms, false},
          {400ms, true},
          {650ms, false}}},
        {0,
         {{0ms, true},
          {200ms, true},
          {1599ms, true},
          {1600ms, false},
          {3199ms, false},
          {3200ms, true}}},
    };
    for (const Case& c : cases) {
        SyncEffectStepper stepper;
        const SyncLightingRecord record = Record(SyncEffect::kFlash, 4, c.speed, 0, 0);
        for (const auto& [time, on] : c.steps) {
            SCOPED_TRACE("speed " + std::to_string(c.speed) + " at " +
                         std::to_string(time.count()) + " ms");
            const SyncColour colour = stepper.Step(record, Clock::time_point{} + time);
            EXPECT_EQ(stepper.FlashOn(), on);
            const SyncColour shown = on ? SyncColour{10, 20, 30, 255} : SyncColour{};
            EXPECT_EQ(colour, shown);
        }
    }
}

TEST(SyncEffectTest, TheFlashPeriodFollowsTheSpeed) {
    const std::pair<int, std::chrono::milliseconds> periods[] = {
        {0, 1600ms}, {1, 1200ms}, {2, 800ms}, {3, 400ms}, {4, 200ms}, {9, 1600ms}, {-1, 1600ms}};
    for (const auto& [speed, period] : periods)
        EXPECT_EQ(SyncEffectStepper::FlashPeriod(speed), period) << speed;
}

TEST(SyncEffectTest, HuesStartOverAtTheEndOfTheWheel) {
    SyncEffectStepper stepper;
    // 13 toggles reach hue 182; the 14th would be 196, beyond the wheel.
    const SyncLightingRecord flash = Record(SyncEffect::kFlash, 4, 4, 0, 1);
    for (int toggle = 1; toggle <= 14; ++toggle) {
        stepper.Step(flash, Clock::time_point{} + toggle * 200ms);
        EXPECT_EQ(stepper.FlashHue(), toggle < 14 ? 14 * toggle : 0) << "toggle " << toggle;
    }
    StepTimes(stepper, Record(SyncEffect::kColourCycle, 4, 0, 0, 0), 191);
    EXPECT_EQ(stepper.CycleHue(), 191);
    StepTimes(stepper, Record(SyncEffect::kColourCycle, 4, 0, 0, 0), 1);
    EXPECT_EQ(stepper.CycleHue(), 0);
}

TEST(SyncEffectTest, TheStateCarriesOverFromEffectToEffect) {
    SyncEffectStepper stepper;
    StepTimes(stepper, Record(SyncEffect::kColourCycle, 4, 0, 0, 0), 5);
    StepTimes(stepper, Record(SyncEffect::kBreathing, 4, 0, 1, 0), 7);
    StepTimes(stepper, Record(SyncEffect::kColourCycle, 4, 0, 0, 0), 1);
    EXPECT_EQ(stepper.CycleHue(), 6);
    EXPECT_EQ(stepper.BreathingPhase(), 7);
}

TEST(SyncEffectTest, AnEffectOutsideTheFiveShowsNothing) {
    SyncEffectStepper stepper;
    SyncLightingRecord record = Record(SyncEffect::kStatic, 4, 0, 0, 0);
    record.effect = 5;
    EXPECT_EQ(stepper.Step(record, Clock::time_point{}), SyncColour{});
}

}  // namespace
}  // namespace tirk
