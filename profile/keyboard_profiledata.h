// The keyboard's profile data: system options and the custom colour groups,
// on top of the key list and lighting.
#pragma once

#include <vector>

#include "profile/basic_profiledata.h"

namespace tirk {

class CKeyboardProfiledata : public CBasicProfiledata {
public:
    /// Largest group number and LED count that the colour functions accept;
    /// both come from a file a user may have edited.
    static constexpr int kMaxColorGroups = 256;
    static constexpr int kMaxLeds = 1024;

    /// Word 0 = "Repeat" | "RepeatDelay" << 16; word 1 = "Key6Flag" |
    /// "PollingRate" << 16; word 2 = "WFlag" | "WinFlag" << 16, all from
    /// "SystemStages" (zero when missing). Stored as the member and returned.
    KeyboardSettings GetKeyboardSettings();
    /// Stores the words and writes the six values from their halves.
    void SetKeyboardSettings(uint32_t word0, uint32_t word1, uint32_t word2);

    /// Colours 0 .. count−1 of custom group `group` of
    /// "CustomLightMode"."LightColorInfo"; an LED without a usable colour is
    /// created in the document as zero and reads as zero. Replaces the member
    /// list. Empty (and nothing created) for a group or count out of range.
    std::vector<CustomLightColor> GetCustomLightColors(int group, int count);
    /// Member list = `colors`; writes colour j into LED j of the group.
    void SetCustomLightColors(int group, const std::vector<CustomLightColor>& colors);
    /// "CustomLightMode"."CustomLightModeGroupIndex", 0 when missing.
    int GetCustomLightGroup();
    /// Writes the group index and keeps it as the member.
    void SetCustomLightGroup(int group);

private:
    KeyboardSettings settings_;
    std::vector<CustomLightColor> colors_;
    int group_ = 0;
};

}  // namespace tirk
