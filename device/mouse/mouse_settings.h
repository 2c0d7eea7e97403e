// The mouse's 71-byte settings record: lighting, report rate, the five DPI
// stages, the screen size and the sensor correction. Built whole from the
// profile's values for a write; a read gives back the lighting and the
// active DPI stage.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "device/protocol/light_bytes.h"
#include "profile/profile_records.h"

namespace tirk {
class CMouseProfiledata;
}

namespace tirk::mouse {

inline constexpr size_t kSettingsRecordSize = 71;
/// Slot s's record lies at s × 128; the byte at offset 0 is the current slot.
inline constexpr size_t kSlotStride = 128;
using SettingsRecord = std::array<uint8_t, kSettingsRecordSize>;

using enum protocol::LightByte;
using protocol::kMaxSpeed;

enum RecordByte : size_t {
    kFirstByte = 0,
    // bytes 1 to 8: the lighting bytes (device/protocol/light_bytes.h)
    kClearedByte = 9,  ///< 0, also in the kept copy of a read record
    kReportRateByte = 11,
    kActiveStageByte = 12,
    kFirstStageByte = 14,  ///< stage i: 9 bytes at 14 + 9i (DpiStage's layout)
    kThirdByte = 59,
    kScreenWidthByte = 60,   ///< 2 bytes
    kScreenHeightByte = 62,  ///< 2 bytes
    kCorrectMinSqByte = 64,
    kCorrectPixThreshByte = 65,
};

inline constexpr int kDpiStages = 5;
/// Mode indices from this one on go out as mode 0's code.
inline constexpr int kModeLimit = 12;

/// The profile's values the record is built from: a snapshot a worker job
/// carries, so a read that runs before it cannot change what it sends.
struct MouseSettings {
    LightInfoRecord light;                   ///< "LightInfo"
    uint8_t reportRate = 0;                  ///< "ReportStages"."StageActive"
    uint8_t activeStage = 0;                 ///< "DPIStages"."StageActive"
    std::vector<DpiStage> stages;            ///< "StageDPIs"; beyond five ignored
    std::vector<CorrectPreset> corrections;  ///< "CorrectInfo"
};

/// The snapshot of `profile`: "LightInfo", the report rate (the high half of
/// the pointer settings' word 2), the active DPI stage, "StageDPIs" and
/// "CorrectInfo" as the profile has them now.
MouseSettings MouseSettingsOf(CMouseProfiledata& profile);

/// The arguments of a settings write besides the profile values.
struct SettingsTarget {
    uint8_t slot = 0;    ///< written at slot × 128
    uint8_t first = 0;   ///< byte 0 (the callers pass 0)
    uint8_t third = 1;   ///< byte 59 (the callers pass 1)
    uint16_t width = 0;  ///< the primary screen, pixels
    uint16_t height = 0;
};

/// Byte 1 for `modeIndex`: its entry of `modeCodes`; an index of 12 or more,
/// or one the list has no entry for, goes as mode 0's code (0 for an empty list).
uint8_t ModeCodeOf(int modeIndex, std::span<const uint8_t> modeCodes);

/// The whole record: every byte the layout names from `values` and `target`,
/// stages beyond the list zero, bytes 64/65 from the first correction preset
/// whose select is non-zero (else 0), the rest 0. A speed above 4 goes as 0.
SettingsRecord EncodeSettingsRecord(const MouseSettings& values, const SettingsTarget& target,
                                    std::span<const uint8_t> modeCodes);

/// What the mouse keeps of its settings.
struct MouseSettingsState {
    SettingsRecord raw{};     ///< the record last read, byte 9 cleared
    bool recordRead = false;  ///< false until a record was read
    int slot = 0;             ///< the mouse's current profile slot
    /// Mode (index, or the code when the list lacks it), brightness, speed,
    /// colourful flag and colour of the record; the other members as they were.
    LightInfoRecord light;
    int activeStage = 0;  ///< byte 12, or the last 0x11xx notification
    bool operator==(const MouseSettingsState&) const = default;
};

/// Takes a record read from slot `slot` into `state`.
void ApplySettingsRecord(const SettingsRecord& record, int slot, std::span<const uint8_t> modeCodes,
                         MouseSettingsState& state);

}  // namespace tirk::mouse
