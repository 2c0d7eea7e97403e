#include "profile/lighting_rules.h"

#include "profile/profile_import.h"

namespace tirk {
namespace {

using S = LightSection;
constexpr LightSwitch on = LightSwitch::kOn;
constexpr LightSwitch off = LightSwitch::kOff;
constexpr LightSwitch keep = LightSwitch::kKeep;
constexpr int kAbove = kAnyHigherMode;

constexpr LightCaptions kRightLeft{"light_set_right_to_left_text", "light_set_left_to_right_text"};
constexpr LightCaptions kClockwise{"light_set_clockwise_text", "light_set_anticlockwise_text"};
constexpr LightCaptions kDownUp{"light_set_down_to_up_text", "light_set_up_to_down_text"};
constexpr LightCaptions kUpDown{"light_set_up_to_down_text", "light_set_down_to_up_text"};
constexpr LightCaptions kOutsideIn{"light_set_outside_to_inside_text",
                                   "light_set_inside_to_outside_text"};

/// One row in the order of the table columns: seven-colour check, colour
/// slots, palette, brightness, speed, direction.
LightLayoutRow Row(std::vector<LightModeRange> modes, LightSwitch seven, LightSwitch slots,
                   LightSwitch palette, LightSwitch brightness, LightSwitch speed,
                   LightSwitch direction) {
    LightLayoutRow row;
    row.modes = std::move(modes);
    row.sevenColour = seven;
    row.colourSlots = slots;
    row.palette = palette;
    row.brightness = brightness;
    row.speed = speed;
    row.direction = direction;
    return row;
}

// The "further" column.
LightLayoutRow SameMode(LightLayoutRow row) {
    row.sameMode = true;
    return row;
}
LightLayoutRow LightColourOff(LightLayoutRow row) {
    row.lightColour = off;
    return row;
}
LightLayoutRow Captions(LightLayoutRow row, LightCaptions captions) {
    row.captions = captions;
    return row;
}
LightLayoutRow Shows(LightLayoutRow row, LightSection section) {
    row.shows = section;
    return row;
}
LightLayoutRow SpeedHidden(LightLayoutRow row) {
    row.speedHidden = true;
    return row;
}
LightLayoutRow MusicTab(LightLayoutRow row) {
    row.tabPage = 1;
    return row;
}

LightLayoutTable KeyboardTable() {
    LightLayoutTable table;
    table.common.hide = {S::kCustom, S::kZzcc, S::kAudioMode};
    table.common.enable = {S::kDirection, S::kLightColour};
    table.common.show = {S::kSpeed};
    table.common.captions = kRightLeft;
    table.common.tabPage = 0;
    table.rows = {
        Row({{1, 2}}, on, on, on, on, on, keep),
        Captions(Row({{3, 3}}, on, on, on, on, on, keep), kClockwise),
        SameMode(LightColourOff(Row({{4, 4}}, off, off, off, on, on, off))),
        SameMode(Row({{5, 5}, {23, 23}}, on, on, on, on, on, off)),
        SameMode(Row({{6, 6}}, on, on, on, on, off, off)),
        Row({{7, 10}, {13, 15}, {22, 22}, {25, 25}}, on, on, on, on, on, off),
        LightColourOff(Row({{11, 11}, {26, 26}}, off, off, off, on, on, off)),
        Captions(Row({{12, 12}}, off, off, off, on, on, keep), kDownUp),
        Row({{16, 16}}, on, on, on, on, off, off),
        LightColourOff(Shows(SpeedHidden(Row({{17, 17}}, off, off, off, on, on, off)), S::kZzcc)),
        Captions(LightColourOff(Row({{18, 18}}, off, off, off, on, off, on)), kOutsideIn),
        Shows(SpeedHidden(Row({{20, 20}}, off, on, on, on, off, off)), S::kCustom),
        Captions(Row({{21, 21}}, on, on, on, on, on, keep), kUpDown),
        Captions(Row({{24, 24}}, on, on, on, on, on, keep), kClockwise),
        Row({{27, 27}}, off, off, off, on, on, off),
        SameMode(Row({{28, 28}}, off, off, off, off, off, off)),
        MusicTab(Shows(SpeedHidden(Row({{29, 29}}, on, on, on, on, off, keep)), S::kAudioMode)),
        LightColourOff(Row({{30, 30}}, off, off, off, on, off, off)),
        Row({{0, 0}, {19, 19}, {31, kAbove}}, off, off, off, off, off, off),
    };
    return table;
}

LightLayoutTable MouseTable() {
    LightLayoutTable table;
    table.common.hide = {S::kAudioMode};
    table.common.tabPage = 0;
    table.common.show = {S::kSpeed};
    table.common.enable = {S::kDirection};
    table.common.captions = kDownUp;
    table.rows = {
        Row({{0, 0}, {5, 5}}, on, on, on, on, on, keep),
        Row({{1, 1}}, off, off, off, on, on, off),
        Row({{2, 2}, {4, 4}, {6, 6}}, on, on, on, on, on, off),
        Row({{3, 3}}, off, on, on, on, off, off),
        Row({{7, 8}}, off, off, off, on, on, off),
        Row({{10, 10}}, off, off, off, off, off, off),
        MusicTab(Shows(SpeedHidden(Row({{11, 11}}, on, on, on, on, off, keep)), S::kAudioMode)),
        Row({{9, 9}, {12, kAbove}}, off, off, off, off, off, off),
    };
    return table;
}

LightLayoutTable PadAndHeadsetTable() {
    LightLayoutTable table;
    table.common.enable = {S::kDirection};
    table.rows = {
        Row({{0, 0}}, on, on, on, on, on, keep),
        SameMode(Row({{1, 1}}, off, off, off, on, on, off)),
        SameMode(Row({{2, 2}, {4, 4}}, on, on, on, on, on, off)),
        SameMode(Row({{3, 3}}, off, on, on, on, off, off)),
        SameMode(Row({{8, 8}}, off, off, off, off, off, off)),
        Row({{5, 7}, {9, kAbove}}, off, off, off, off, off, off),
    };
    return table;
}

void Switch(LightLayout& layout, LightSection section, LightSwitch state) {
    if (state != keep) layout.sections[std::size_t(section)].enabled = state == on;
}

void SetCaptions(LightLayout& layout, const LightCaptions& captions) {
    if (captions.fxl) layout.fxlCaption = captions.fxl;
    if (captions.fxr) layout.fxrCaption = captions.fxr;
}

void ApplyCommon(LightLayout& layout, const LightCommonSettings& common) {
    for (LightSection s : common.hide) layout.sections[std::size_t(s)].visible = false;
    for (LightSection s : common.show) layout.sections[std::size_t(s)].visible = true;
    for (LightSection s : common.enable) layout.sections[std::size_t(s)].enabled = true;
    SetCaptions(layout, common.captions);
    if (common.tabPage >= 0) layout.tabPage = common.tabPage;
}

void ApplyRow(LightLayout& layout, const LightLayoutRow& row) {
    Switch(layout, S::kEffect, on);
    Switch(layout, S::kSevenColour, row.sevenColour);
    Switch(layout, S::kColourSlots, row.colourSlots);
    Switch(layout, S::kPalette, row.palette);
    Switch(layout, S::kBrightness, row.brightness);
    Switch(layout, S::kSpeed, row.speed);
    if (row.speedHidden) layout.sections[std::size_t(S::kSpeed)].visible = false;
    Switch(layout, S::kDirection, row.direction);
    Switch(layout, S::kLightColour, row.lightColour);
    if (row.shows) layout.sections[std::size_t(*row.shows)].visible = true;
    SetCaptions(layout, row.captions);
    if (row.tabPage >= 0) layout.tabPage = row.tabPage;
    layout.sameMode = row.sameMode;
}

}  // namespace

const LightLayoutTable* LightLayoutTableFor(int typeCode) {
    static const LightLayoutTable keyboard = KeyboardTable();
    static const LightLayoutTable mouse = MouseTable();
    static const LightLayoutTable padAndHeadset = PadAndHeadsetTable();
    switch (FamilyOfDeviceType(typeCode)) {
        case ProfileFamily::kKeyboard:
            return &keyboard;
        case ProfileFamily::kMouse:
            return &mouse;
        case ProfileFamily::kMousePad:
        case ProfileFamily::kHeadset:
            return &padAndHeadset;
        case ProfileFamily::kUnknown:
            break;
    }
    return nullptr;
}

const LightLayoutRow* LightLayoutRowFor(const LightLayoutTable& table, int mode) {
    for (const LightLayoutRow& row : table.rows) {
        for (const LightModeRange& range : row.modes) {
            if (mode >= range.first && mode <= range.last) return &row;
        }
    }
    return nullptr;
}

LightLayout LightLayoutFor(int typeCode, int mode, bool severalDevices) {
    LightLayout layout;
    const LightLayoutTable* table = LightLayoutTableFor(typeCode);
    if (!table) return layout;
    layout.known = true;
    ApplyCommon(layout, table->common);
    if (const LightLayoutRow* row = LightLayoutRowFor(*table, mode)) ApplyRow(layout, *row);
    // ShowSameMode: the common settings hide it, a row may ask for it, and it
    // is only ever shown while several devices are visible.
    layout.sections[std::size_t(S::kSameMode)].visible = layout.sameMode && severalDevices;
    return layout;
}

}  // namespace tirk
