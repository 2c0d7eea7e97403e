// Which sections of the lighting page (CLightControlUI) are shown and usable
// for each device family and lighting mode, the captions of its direction
// options and which colour tab it shows. The rules are data: one table per
// family (the mouse pad and the headset share one), each with the family's
// common settings and one row per group of modes. Qt-free, so the tables are
// tested without a window (docs/lighting-page.md).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tirk {

/// The parts of the lighting page that the rules switch.
enum class LightSection : uint8_t {
    kEffect,       ///< "lighteffect_layout"
    kColourSlots,  ///< "deng_color_layout"
    kPalette,      ///< "colorpallet_layout"
    kBrightness,   ///< "deng_light_layout"
    kSpeed,        ///< "deng_speed_layout"
    kDirection,    ///< "deng_fx_layout"
    kLightColour,  ///< "light_color_layout"
    kCustom,       ///< "lightcustom_layout"
    kZzcc,         ///< "light_combo_ZZCCmodeSelectLayout"
    kAudioMode,    ///< "light_combo_AudiomodeSelectLayout"
    kSameMode,     ///< "deng_same_mode"
    kSevenColour,  ///< "deng_7color_check"
};
inline constexpr std::size_t kLightSectionCount = 12;

/// Control names of the sections, indexed by LightSection.
inline constexpr std::array<const char*, kLightSectionCount> kLightSectionNames = {
    "lighteffect_layout",
    "deng_color_layout",
    "colorpallet_layout",
    "deng_light_layout",
    "deng_speed_layout",
    "deng_fx_layout",
    "light_color_layout",
    "lightcustom_layout",
    "light_combo_ZZCCmodeSelectLayout",
    "light_combo_AudiomodeSelectLayout",
    "deng_same_mode",
    "deng_7color_check"};

/// The tab layout whose page 0 holds the lighting colours and page 1 the music colours.
inline constexpr char kLightColourTabName[] = "light_color_tablayout";

/// The language keys of the four preset colours of keyboard mode 17, in
/// "ZZCCLedMode" order (hues 174, 25, 70 and 95 of the colour wheel).
inline constexpr std::array<const char*, 4> kZzccPresetKeys = {
    "light_zzcc_rose", "light_zzcc_orange", "light_zzcc_green", "light_zzcc_cyan"};

/// The language keys of the keyboard's music visualisers, in "AudioMode" order.
inline constexpr std::array<const char*, 7> kAudioModeKeys = {
    "light_audio_mode_columns", "light_audio_mode_rows", "light_audio_mode_ripple",
    "light_audio_mode_rings",   "light_audio_mode_hold", "light_audio_mode_bands",
    "light_audio_mode_split"};

/// What a table cell does to a section's enabled state.
enum class LightSwitch : uint8_t { kKeep, kOn, kOff };

/// One group of modes: lowest and highest mode index, both included.
struct LightModeRange {
    int first = 0;
    int last = 0;
};
/// `last` of a range that runs on to every higher mode ("above 30").
inline constexpr int kAnyHigherMode = 0x7FFFFFFF;

/// Two language keys: the caption of "deng_FXL_check", then of "deng_FXR_check".
struct LightCaptions {
    const char* fxl = nullptr;
    const char* fxr = nullptr;
};

/// One row of a family's table.
struct LightLayoutRow {
    std::vector<LightModeRange> modes;
    LightSwitch sevenColour = LightSwitch::kKeep;  ///< "deng_7color_check"
    LightSwitch colourSlots = LightSwitch::kKeep;  ///< "deng_color_layout"
    LightSwitch palette = LightSwitch::kKeep;      ///< "colorpallet_layout"
    LightSwitch brightness = LightSwitch::kKeep;   ///< "deng_light_layout"
    LightSwitch speed = LightSwitch::kKeep;        ///< "deng_speed_layout"
    bool speedHidden = false;                      ///< set as `speed` says, then hidden
    LightSwitch direction = LightSwitch::kKeep;    ///< "deng_fx_layout"
    LightSwitch lightColour = LightSwitch::kKeep;  ///< "light_color_layout"
    bool sameMode = false;              ///< ShowSameMode(1): a synchronised effect exists
    LightCaptions captions;             ///< null keys: the common captions stay
    std::optional<LightSection> shows;  ///< a chooser row this mode shows
    int tabPage = -1;                   ///< -1: the common page stays
};

/// What a family does before the row of the mode (ShowSameMode(0) always).
struct LightCommonSettings {
    std::vector<LightSection> hide;
    std::vector<LightSection> show;
    std::vector<LightSection> enable;
    LightCaptions captions;  ///< null keys: captions left as they are
    int tabPage = -1;        ///< -1: the tab layout is left as it is
};

struct LightLayoutTable {
    LightCommonSettings common;
    std::vector<LightLayoutRow> rows;
};

/// The table of a device type: 1 (and the keyboard receiver's 9) keyboard,
/// 2 (and 6) mouse, 3 mouse pad and 7 headset (one table for both); nullptr
/// for any other code.
const LightLayoutTable* LightLayoutTableFor(int typeCode);

/// The row of `table` that lists `mode`; nullptr when none does.
const LightLayoutRow* LightLayoutRowFor(const LightLayoutTable& table, int mode);

/// A section after the rules: each field empty when the rules leave it alone.
struct LightSectionState {
    std::optional<bool> visible;
    std::optional<bool> enabled;
    bool operator==(const LightSectionState&) const = default;
};

/// The page as the rules leave it for one device type, mode and number of devices.
struct LightLayout {
    bool known = false;  ///< the type code has a table; otherwise nothing changes
    std::array<LightSectionState, kLightSectionCount> sections{};
    std::optional<std::string> fxlCaption;  ///< language key for "deng_FXL_check"
    std::optional<std::string> fxrCaption;  ///< language key for "deng_FXR_check"
    std::optional<int> tabPage;             ///< page of "light_color_tablayout"
    bool sameMode = false;  ///< the mode has a common synchronised effect (ShowSameMode(1))

    const LightSectionState& operator[](LightSection section) const {
        return sections[static_cast<std::size_t>(section)];
    }
};

/// The family's common settings, then the mode's row (a mode in no row gets
/// the common settings only). "lighteffect_layout" is enabled in every row;
/// "deng_same_mode" is visible only when the row asks for it and
/// `severalDevices` is set.
LightLayout LightLayoutFor(int typeCode, int mode, bool severalDevices);

}  // namespace tirk
