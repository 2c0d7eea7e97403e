// The headset's profile data: sound settings, the twelve equaliser presets
// and the user's named custom curves, on top of lighting.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "profile/basic_profiledata.h"

namespace tirk {

class CHs6533Profiledata : public CBasicProfiledata {
public:
    static constexpr int kBandCount = 10;
    /// "EqType" value that selects the custom curve "CustomEqSeletIndex".
    static constexpr int kCustomEqType = 13;
    /// Custom curve numbers accepted (the sound page keeps up to 20).
    static constexpr int kMaxCustomCurves = 20;
    using Bands = std::array<int32_t, kBandCount>;

    /// The eight "SystemSetStages" values (0 each when missing); kept as member.
    HeadsetSettings GetHeadsetSettings();
    /// Writes the eight members and keeps the values.
    void SetHeadsetSettings(const HeadsetSettings& settings);

    /// Band levels of the preset row of `eqType` (1–12 that row; 0, negative
    /// or above 13: row 1; 13: no row, empty result). A band without a usable
    /// level is set to 0 in the document and reads as 0.
    std::vector<int32_t> GetEqBands(int eqType);
    /// Writes the ten levels into the preset row of `eqType` (nothing for 13).
    void SetEqBands(int eqType, const Bands& values);
    /// The same on custom curve `index` of "CustomEQHzValueInfo"; empty (and
    /// nothing written) for an index outside 0 … kMaxCustomCurves−1.
    std::vector<int32_t> GetCustomEqBands(int index);
    void SetCustomEqBands(int index, const Bands& values);

    /// "Name" of every "CustomEQNameInfo" element (empty for a broken one).
    std::vector<std::wstring> GetCustomEqNames() const;
    /// Replaces "CustomEQNameInfo" with one {"Name"} object per name.
    void SetCustomEqNames(const std::vector<std::wstring>& names);

private:
    std::vector<int32_t> ReadBands(const char* section, int row);
    void WriteBands(const char* section, int row, const Bands& values);

    HeadsetSettings settings_;
};

}  // namespace tirk
