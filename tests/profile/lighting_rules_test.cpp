// The lighting page's rules: every mode of every family against the section
// states it must leave, the direction captions, the colour tab, the
// same-effect button.
#include "profile/lighting_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tirk {
namespace {

constexpr int kKeyboard = 1, kMouse = 2, kMousePad = 3, kHeadset = 7;

// Section states in the order of kStateOrder, two letters each: visibility
// (v shown, h hidden, - left alone), then enabled (e, d, -).
constexpr LightSection kStateOrder[] = {LightSection::kSevenColour, LightSection::kColourSlots,
                                        LightSection::kPalette,     LightSection::kBrightness,
                                        LightSection::kSpeed,       LightSection::kDirection,
                                        LightSection::kLightColour, LightSection::kCustom,
                                        LightSection::kZzcc,        LightSection::kAudioMode};

const char* const RL[2] = {"light_set_right_to_left_text", "light_set_left_to_right_text"};
const char* const CW[2] = {"light_set_clockwise_text", "light_set_anticlockwise_text"};
const char* const DU[2] = {"light_set_down_to_up_text", "light_set_up_to_down_text"};
const char* const UD[2] = {"light_set_up_to_down_text", "light_set_down_to_up_text"};
const char* const OI[2] = {"light_set_outside_to_inside_text", "light_set_inside_to_outside_text"};
const char* const NONE[2] = {nullptr, nullptr};

struct ModeCase {
    std::vector<int> modes;
    //                 seven slots pal bright speed fx  lc  custom zzcc audio
    std::string states;
    const char* const* captions;
    int tab;  // -1: left alone
    bool sameMode;
};

const std::vector<ModeCase> kKeyboardCases = {
    {{1, 2}, "-e -e -e -e ve -e -e h- h- h-", RL, 0, false},
    {{3}, "-e -e -e -e ve -e -e h- h- h-", CW, 0, false},
    {{4}, "-d -d -d -e ve -d -d h- h- h-", RL, 0, true},
    {{5, 23}, "-e -e -e -e ve -d -e h- h- h-", RL, 0, true},
    {{6}, "-e -e -e -e vd -d -e h- h- h-", RL, 0, true},
    {{7, 8, 9, 10, 13, 14, 15, 22, 25}, "-e -e -e -e ve -d -e h- h- h-", RL, 0, false},
    {{11, 26}, "-d -d -d -e ve -d -d h- h- h-", RL, 0, false},
    {{12}, "-d -d -d -e ve -e -e h- h- h-", DU, 0, false},
    {{16}, "-e -e -e -e vd -d -e h- h- h-", RL, 0, false},
    {{17}, "-d -d -d -e he -d -d h- v- h-", RL, 0, false},
    {{18}, "-d -d -d -e vd -e -d h- h- h-", OI, 0, false},
    {{20}, "-d -e -e -e hd -d -e v- h- h-", RL, 0, false},
    {{21}, "-e -e -e -e ve -e -e h- h- h-", UD, 0, false},
    {{24}, "-e -e -e -e ve -e -e h- h- h-", CW, 0, false},
    {{27}, "-d -d -d -e ve -d -e h- h- h-", RL, 0, false},
    {{28}, "-d -d -d -d vd -d -e h- h- h-", RL, 0, true},
    {{29}, "-e -e -e -e hd -e -e h- h- v-", RL, 1, false},
    {{30}, "-d -d -d -e vd -d -d h- h- h-", RL, 0, false},
    {{0, 19, 31}, "-d -d -d -d vd -d -e h- h- h-", RL, 0, false},
};

const std::vector<ModeCase> kMouseCases = {
    {{0, 5}, "-e -e -e -e ve -e -- -- -- h-", DU, 0, false},
    {{1}, "-d -d -d -e ve -d -- -- -- h-", DU, 0, false},
    {{2, 4, 6}, "-e -e -e -e ve -d -- -- -- h-", DU, 0, false},
    {{3}, "-d -e -e -e vd -d -- -- -- h-", DU, 0, false},
    {{7, 8}, "-d -d -d -e ve -d -- -- -- h-", DU, 0, false},
    {{10}, "-d -d -d -d vd -d -- -- -- h-", DU, 0, false},
    {{11}, "-e -e -e -e hd -e -- -- -- v-", DU, 1, false},
    {{9, 12}, "-d -d -d -d vd -d -- -- -- h-", DU, 0, false},
};

const std::vector<ModeCase> kPadAndHeadsetCases = {
    {{0}, "-e -e -e -e -e -e -- -- -- --", NONE, -1, false},
    {{1}, "-d -d -d -e -e -d -- -- -- --", NONE, -1, true},
    {{2, 4}, "-e -e -e -e -e -d -- -- -- --", NONE, -1, true},
    {{3}, "-d -e -e -e -d -d -- -- -- --", NONE, -1, true},
    {{8}, "-d -d -d -d -d -d -- -- -- --", NONE, -1, true},
    {{5, 6, 7, 9}, "-d -d -d -d -d -d -- -- -- --", NONE, -1, false},
};

std::string Describe(const LightSectionState& state) {
    std::string text;
    text += !state.visible ? '-' : *state.visible ? 'v' : 'h';
    text += !state.enabled ? '-' : *state.enabled ? 'e' : 'd';
    return text;
}

std::string Describe(const LightLayout& layout) {
    std::string text;
    for (LightSection section : kStateOrder) {
        if (!text.empty()) text += ' ';
        text += Describe(layout[section]);
    }
    return text;
}

std::optional<std::string> Key(const char* key) {
    return key ? std::optional<std::string>(key) : std::nullopt;
}

/// Every mode 0..lastMode is in exactly one case, and every case's modes
/// give the stated sections, captions, tab page and same-effect button.
void CheckFamily(int type, const std::vector<ModeCase>& cases, int lastMode) {
    std::map<int, int> seen;
    for (const ModeCase& c : cases) {
        for (int mode : c.modes) {
            ++seen[mode];
            for (bool several : {false, true}) {
                const LightLayout layout = LightLayoutFor(type, mode, several);
                SCOPED_TRACE("type " + std::to_string(type) + " mode " + std::to_string(mode) +
                             (several ? " several devices" : " one device"));
                ASSERT_TRUE(layout.known);
                EXPECT_EQ(Describe(layout), c.states);
                EXPECT_EQ(layout[LightSection::kEffect], (LightSectionState{std::nullopt, true}));
                EXPECT_EQ(layout.fxlCaption, Key(c.captions[0]));
                EXPECT_EQ(layout.fxrCaption, Key(c.captions[1]));
                EXPECT_EQ(layout.tabPage, c.tab < 0 ? std::nullopt : std::optional<int>(c.tab));
                EXPECT_EQ(layout.sameMode, c.sameMode);
                EXPECT_EQ(layout[LightSection::kSameMode],
                          (LightSectionState{c.sameMode && several, std::nullopt}));
            }
        }
    }
    for (int mode = 0; mode <= lastMode; ++mode)
        EXPECT_EQ(seen[mode], 1) << "type " << type << " mode " << mode << " listed once";
}

TEST(LightingRules, KeyboardModes) {
    CheckFamily(kKeyboard, kKeyboardCases, 31);
}

TEST(LightingRules, MouseModes) {
    CheckFamily(kMouse, kMouseCases, 12);
}

TEST(LightingRules, MousePadAndHeadsetModes) {
    CheckFamily(kMousePad, kPadAndHeadsetCases, 9);
    CheckFamily(kHeadset, kPadAndHeadsetCases, 9);
}

TEST(LightingRules, ModesFarAboveTheListsAndBelowZero) {
    EXPECT_EQ(Describe(LightLayoutFor(kKeyboard, 255, false)), "-d -d -d -d vd -d -e h- h- h-");
    EXPECT_EQ(Describe(LightLayoutFor(kMouse, 200, false)), "-d -d -d -d vd -d -- -- -- h-");
    EXPECT_EQ(Describe(LightLayoutFor(kHeadset, 100, false)), "-d -d -d -d -d -d -- -- -- --");
    // No selection (-1): only the common settings; the effect section is left alone.
    const LightLayout none = LightLayoutFor(kKeyboard, -1, true);
    EXPECT_EQ(Describe(none), "-- -- -- -- v- -e -e h- h- h-");
    EXPECT_EQ(none[LightSection::kEffect], LightSectionState{});
    EXPECT_EQ(none.fxlCaption, Key(RL[0]));
}

TEST(LightingRules, ReceiverCodesUseTheirFamilysTableAndOtherCodesChangeNothing) {
    for (int mode = 0; mode <= 31; ++mode) {
        EXPECT_EQ(Describe(LightLayoutFor(9, mode, true)), Describe(LightLayoutFor(1, mode, true)));
        EXPECT_EQ(Describe(LightLayoutFor(6, mode, true)), Describe(LightLayoutFor(2, mode, true)));
    }
    for (int type : {0, 4, 5, 8, 10, -1}) {
        const LightLayout layout = LightLayoutFor(type, 1, true);
        EXPECT_FALSE(layout.known) << type;
        for (const LightSectionState& state : layout.sections)
            EXPECT_EQ(state, LightSectionState{});
        EXPECT_FALSE(layout.fxlCaption || layout.fxrCaption || layout.tabPage) << type;
    }
}

TEST(LightingRules, KeyboardMode17HidesSpeedAndMode18BringsItBackDisabled) {
    const LightLayout m17 = LightLayoutFor(kKeyboard, 17, false);
    EXPECT_EQ(m17[LightSection::kSpeed], (LightSectionState{false, true})) << "on, then hidden";
    EXPECT_EQ(m17[LightSection::kZzcc].visible, true);
    const LightLayout m18 = LightLayoutFor(kKeyboard, 18, false);
    EXPECT_EQ(m18[LightSection::kZzcc].visible, false) << "hidden again by the common settings";
    EXPECT_EQ(m18[LightSection::kSpeed], (LightSectionState{true, false}));
}

TEST(LightingRules, OnlyKeyboardMode20ShowsTheCustomEffectChooser) {
    for (int mode = 0; mode <= 31; ++mode) {
        const LightLayout layout = LightLayoutFor(kKeyboard, mode, false);
        EXPECT_EQ(layout[LightSection::kCustom].visible, mode == 20) << mode;
        if (mode == 20) {
            EXPECT_EQ(layout[LightSection::kSpeed].visible, false);
        }
    }
}

TEST(LightingRules, CaptionsReturnToRightAndLeftAfterAModeWithItsOwn) {
    EXPECT_EQ(LightLayoutFor(kKeyboard, 3, false).fxlCaption, Key(CW[0]));
    EXPECT_EQ(LightLayoutFor(kKeyboard, 3, false).fxrCaption, Key(CW[1]));
    EXPECT_EQ(LightLayoutFor(kKeyboard, 4, false).fxlCaption, Key(RL[0]));
    EXPECT_EQ(LightLayoutFor(kKeyboard, 4, false).fxrCaption, Key(RL[1]));
}

TEST(LightingRules, SameEffectButtonOnlyWithSeveralDevicesAndOnlyForSynchronisedModes) {
    const std::map<int, std::set<int>> shownWithTwo = {
        {kKeyboard, {4, 5, 6, 23, 28}},
        {kMouse, {}},
        {kMousePad, {1, 2, 3, 4, 8}},
        {kHeadset, {1, 2, 3, 4, 8}},
    };
    for (const auto& [type, modes] : shownWithTwo) {
        for (int mode = 0; mode <= 40; ++mode) {
            EXPECT_EQ(LightLayoutFor(type, mode, false)[LightSection::kSameMode].visible, false)
                << type << "/" << mode;
            EXPECT_EQ(LightLayoutFor(type, mode, true)[LightSection::kSameMode].visible,
                      modes.count(mode) == 1)
                << type << "/" << mode;
        }
    }
}

}  // namespace
}  // namespace tirk
