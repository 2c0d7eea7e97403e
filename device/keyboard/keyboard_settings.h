// The keyboard's 34-byte settings record: lighting, report rate and the key
// flags. Encoding for a write, decoding of a read into the lighting values and
// system settings the device keeps, and the bytes carried unchanged.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/protocol/mode_codes.h"
#include "device/protocol/light_bytes.h"
#include "profile/profile_records.h"

namespace tirk::keyboard {

/// The record as read and written; byte 0 is the active profile.
inline constexpr size_t kSettingsRecordSize = 34;
/// Profile p's record is read and written at p × 33.
inline constexpr size_t kProfileStride = 33;
using SettingsRecord = std::array<uint8_t, kSettingsRecordSize>;

/// Bytes of the record the host interprets; every other byte is carried from
/// the record last read.
using enum protocol::LightByte;
using protocol::kMaxSpeed;

enum RecordByte : size_t {
    kActiveProfileByte = 0,
    // bytes 1 to 8: the lighting bytes (device/protocol/light_bytes.h)
    kClearedByte = 16,      ///< always 0
    kKeyboardOwnByte = 17,  ///< carried; the keyboard sets it (report 0x11xx)
    kZzccLedModeByte = 18,
    kWFlagByte = 19,
    kKey6FlagByte = 20,
    kWinFlagByte = 21,
    kPollingRateByte = 22,
    kCustomGroupByte = 25,
};

/// Mode code of modes 29 and 30, which the host animates itself; read back,
/// it means "the host keeps its mode index".
inline constexpr uint8_t kHostModeCode = 0xFE;
/// The custom (per-key colour) mode.
inline constexpr int kCustomMode = 20;
/// The highest speed of the profile (and of the keyboard's inverted count).

/// True for the modes whose colours the host streams as live frames (29, 30).
constexpr bool IsHostLightingMode(int modeIndex) {
    return modeIndex == 29 || modeIndex == 30;
}

/// The six system settings, the profile's "SystemStages" in their order.
struct SystemSettings {
    uint16_t repeat = 0;
    uint16_t repeatDelay = 0;
    uint16_t key6Flag = 0;
    uint16_t pollingRate = 0;
    uint16_t wFlag = 0;
    uint16_t winFlag = 0;
    bool operator==(const SystemSettings&) const = default;
};

/// From and to the three words of CKeyboardProfiledata::GetKeyboardSettings.
SystemSettings SystemSettingsOf(const KeyboardSettings& words);
KeyboardSettings WordsOf(const SystemSettings& settings);

/// What the device keeps of the keyboard's settings.
struct KeyboardSettingsState {
    /// The record last read, byte 0 = the active profile, byte 16 = 0.
    SettingsRecord raw{};
    /// False until a record was read: `raw` carries nothing yet.
    bool recordRead = false;
    int activeProfile = 0;
    LightInfoRecord light;          ///< the lighting values ("LightInfo")
    LightInfoRecord previousLight;  ///< the values before the last read
    SystemSettings system;
};

/// The code byte 1 carries for `modeIndex`: 0xFE for modes 29 and 30, else
/// the entry of `modeCodes`; an index the list has no entry for is sent as
/// itself (as a code the list lacks reads back as itself).
uint8_t ModeCodeOf(int modeIndex, std::span<const uint8_t> modeCodes);

/// The mode index a read-back code stands for (shared with the other families).
using protocol::ModeIndexOf;

/// The record to write: `raw` with byte 0 = `active`, bytes 1 … 8, 16,
/// 18 … 22 and 25 from the lighting values and system settings. A speed above
/// 4 is sent as 4 (byte 0); system values are sent as their low byte.
SettingsRecord EncodeSettingsRecord(const SettingsRecord& raw, uint8_t active,
                                    const LightInfoRecord& light, const SystemSettings& system,
                                    std::span<const uint8_t> modeCodes);

/// Takes a record read from the keyboard (byte 0 already the active profile)
/// into `state`: the raw record (byte 16 cleared), the active profile, the
/// lighting values — the mode index only when byte 1 is not 0xFE; a speed byte
/// above 4 reads as speed 0 — and "Key6Flag", "WFlag", "WinFlag". "Repeat",
/// "RepeatDelay", "PollingRate", "OldLedmode" and the spare bytes stay.
/// `state.previousLight` is not touched (the read takes the copy first).
void ApplySettingsRecord(const SettingsRecord& record, std::span<const uint8_t> modeCodes,
                         KeyboardSettingsState& state);

/// Whether the lighting engine must start the mode again after a read: the
/// mode index changed, or it is the custom mode (whose colours were re-read).
bool ModeRestartNeeded(const KeyboardSettingsState& state);

}  // namespace tirk::keyboard
