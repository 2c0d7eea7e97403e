// The mouse's profile data: DPI stages, pointer options and report rate, and
// the sensor correction presets, on top of the key list and lighting.
#pragma once

#include <vector>

#include "profile/basic_profiledata.h"

namespace tirk {

class CMouseProfiledata : public CBasicProfiledata {
public:
    /// Reads "DPIStages": the active stage index into the member, and the
    /// "StageDPIs" elements merged into the member list (position j of the
    /// list is overwritten, further ones appended, later members kept).
    /// Returns the member list.
    std::vector<DpiStage> GetDpiStages();
    /// Member list = `stages`; writes stage i into "StageDPIs"[i]. Leaves
    /// "DPIStages"."StageActive" alone.
    void SetDpiStages(const std::vector<DpiStage>& stages);
    /// The active stage index as last read or set.
    int GetActiveDpiStage() const { return activeStage_; }
    /// Sets the active stage in the member and in "DPIStages"."StageActive".
    void SetActiveDpiStage(int index);

    /// Word 0 = "DoubleClickTime" | "MouseSpeed" << 16; word 1 =
    /// "PointerPrecision" | "ScorllPage" << 16; word 2 = "WheelScorlllinse" |
    /// "ReportStages"."StageActive" << 16. All zero without "SystemStages".
    PointerSettings GetPointerSettings();
    /// Stores the words and writes the six values from their halves.
    void SetPointerSettings(uint32_t word0, uint32_t word1, uint32_t word2);

    /// One preset per "CorrectInfo" element (read only). Replaces the member.
    std::vector<CorrectPreset> GetCorrectPresets();

private:
    std::vector<DpiStage> stages_;
    int activeStage_ = 0;
    PointerSettings pointer_;
    std::vector<CorrectPreset> correctPresets_;
};

}  // namespace tirk
