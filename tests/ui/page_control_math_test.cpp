// The arithmetic of the page controls, without any window: the selection
// rectangle of the key panel, the circle progress wedge, the key light colour
// and the panning image button's source rectangle and image string.
#include <gtest/gtest.h>

#include "ui/control_math.h"
#include "ui/selection_math.h"

namespace tirk::ui {
namespace {

// Three keys in a row, 20 px wide with 10 px gaps: [10,30) [40,60) [70,90),
// all at y [10,30).
const std::vector<TRectUI> kKeys = {{10, 10, 30, 30}, {40, 10, 60, 30}, {70, 10, 90, 30}};

struct DragCase {
    const char* what;
    TPointUI anchor;
    TPointUI current;
    std::vector<bool> selected;
};

TEST(SelectionMath, DragSelectsKeysSharingArea) {
    // clang-format off
    const DragCase cases[] = {
        {"overlap of one pixel with the first key", {0, 0}, {11, 11}, {true, false, false}},
        {"ends exactly on the first key's left edge", {0, 0}, {10, 40}, {false, false, false}},
        {"starts exactly on the first key's right edge", {30, 0}, {40, 40}, {false, false, false}},
        {"starts on the first key's right edge, reaches one px into the second",
         {30, 0}, {41, 40}, {false, true, false}},
        {"touches the bottom edge only", {0, 30}, {100, 50}, {false, false, false}},
        {"touches the top edge only", {0, 0}, {100, 10}, {false, false, false}},
        {"touches a corner only", {30, 30}, {35, 35}, {false, false, false}},
        {"inside the middle key", {45, 15}, {50, 20}, {false, true, false}},
        {"covers all keys", {0, 0}, {100, 40}, {true, true, true}},
        {"in the gap between keys", {31, 0}, {39, 40}, {false, false, false}},
        {"a line of zero height through all keys", {0, 20}, {100, 20}, {false, false, false}},
    };
    // clang-format on
    for (const DragCase& c : cases) {
        EXPECT_EQ(SelectedKeys(kKeys, SelectionRect(c.anchor, c.current)), c.selected) << c.what;
    }
}

TEST(SelectionMath, ReverseDragSelectsTheSameAsForward) {
    const std::pair<TPointUI, TPointUI> drags[] = {
        {{5, 5}, {45, 25}}, {{11, 29}, {71, 11}}, {{30, 0}, {70, 40}}, {{0, 20}, {100, 21}}};
    for (const auto& [from, to] : drags) {
        const TRectUI forward = SelectionRect(from, to);
        EXPECT_EQ(SelectionRect(to, from), forward);
        EXPECT_EQ(SelectionRect({from.x, to.y}, {to.x, from.y}), forward);
        EXPECT_LE(forward.left, forward.right);
        EXPECT_LE(forward.top, forward.bottom);
        EXPECT_EQ(SelectedKeys(kKeys, SelectionRect(to, from)), SelectedKeys(kKeys, forward));
    }
}

TEST(SelectionMath, EmptyKeysAreNeverSelected) {
    EXPECT_FALSE(SelectsKey(TRectUI{20, 20, 20, 40}, TRectUI{0, 0, 100, 100}));
    EXPECT_FALSE(SelectsKey(TRectUI{}, TRectUI{-10, -10, 10, 10}));
}

struct WedgeCase {
    int min, max, value;
    TWedgeUI wedge;
};

TEST(CircleProgressMath, WedgeStartsAtNinetyAndSweepsTheValuesShare) {
    // clang-format off
    const WedgeCase cases[] = {
        {0, 100, 25, {90, 90}},   {0, 100, 0, {90, 0}},     {0, 100, 100, {90, 360}},
        {0, 100, 50, {90, 180}},  {0, 100, 1, {90, 3}},     // 3.6 truncated
        {0, 100, 99, {90, 356}},  // 356.4 truncated
        {0, 7, 1, {90, 51}},      // 51.43 truncated
        {0, 3, 2, {90, 240}},     {10, 10, 10, {90, 0}},    // empty range
        // The share is value / (max - min), also when min is not 0.
        {50, 150, 100, {90, 360}},
    };
    // clang-format on
    for (const WedgeCase& c : cases) {
        EXPECT_EQ(CircleProgressWedge(c.min, c.max, c.value), c.wedge)
            << c.min << ".." << c.max << " value " << c.value;
    }
}

TEST(KeyLightMath, PackedColourUnpacksRedBlueGreen) {
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0x0000FF, 0xFF0000},  // red alone (the key buttons' initial colour)
        {0x00FF00, 0x0000FF},  // the second byte is blue
        {0xFF0000, 0x00FF00},  // the third byte is green
        {0xFFFFFF, 0xFFFFFF},  // white
        {0x563412, 0x125634}, {0xAB000000, 0x000000},  // a top byte is not part of the colour
    };
    for (const auto& [packed, rgb] : cases)
        EXPECT_EQ(LightColourToRgb(packed), rgb) << std::hex << packed;
}

struct PanCase {
    const char* what;
    TRectUI source;
    TPointUI last;
    TPointUI now;
    TRectUI expected;
};

TEST(PanMath, SourceFollowsTheDragInsideThePicture) {
    const TSizeUI picture{200, 100};
    // clang-format off
    const PanCase cases[] = {
        {"left by 10 slides right", {0, 0, 50, 40}, {30, 20}, {20, 20}, {10, 0, 60, 40}},
        {"up by 5 slides down", {0, 0, 50, 40}, {30, 20}, {30, 15}, {0, 5, 50, 45}},
        {"both axes at once", {0, 0, 50, 40}, {30, 20}, {25, 12}, {5, 8, 55, 48}},
        {"no move changes nothing", {20, 10, 70, 50}, {30, 20}, {30, 20}, {20, 10, 70, 50}},
        {"right at the start stays", {0, 0, 50, 40}, {30, 20}, {40, 30}, {0, 0, 50, 40}},
        {"right by less than left slides back", {30, 20, 80, 60}, {30, 20}, {40, 25},
         {20, 15, 70, 55}},
        {"right by exactly left stops at 0", {30, 20, 80, 60}, {0, 0}, {30, 20},
         {0, 0, 50, 40}},
        {"right by more than left stops at 0", {30, 20, 80, 60}, {0, 0}, {90, 70},
         {0, 0, 50, 40}},
        {"far edge at the picture's edge: no further", {150, 60, 200, 100}, {30, 20}, {10, 5},
         {150, 60, 200, 100}},
        // The far edge is checked before the move, not after: one step may
        // pass the picture's edge, as the drawing clips the source anyway.
        {"far edge inside: the step may pass the edge", {140, 50, 190, 90}, {30, 20}, {10, 0},
         {160, 70, 210, 110}},
    };
    // clang-format on
    for (const PanCase& c : cases)
        EXPECT_EQ(PanSource(c.source, picture, c.last, c.now), c.expected) << c.what;
}

TEST(PanMath, ImageStrings) {
    EXPECT_EQ(SourceImageString("hand/map.png", {3, 4, 53, 44}),
              "file='hand/map.png' source='3,4,53,44'");
    struct Case {
        TSizeUI control;
        std::string expected;
    };
    const Case cases[] = {
        {{50, 40}, "file='map.png' source='0,0,50,40'"},    // smaller both ways
        {{200, 40}, "file='map.png' source='0,0,200,40'"},  // lower only
        {{50, 100}, "file='map.png' source='0,0,50,100'"},  // narrower only
        {{200, 100}, "map.png"},                            // exactly the picture
        {{300, 150}, "map.png"},                            // larger
    };
    for (const Case& c : cases)
        EXPECT_EQ(InitialPanImageString("map.png", {200, 100}, c.control), c.expected)
            << c.control.cx << "x" << c.control.cy;
}

}  // namespace
}  // namespace tirk::ui
