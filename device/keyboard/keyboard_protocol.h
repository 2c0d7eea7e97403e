// KeyboardProtocol: the keyboard's side of the command channel as plain code.
// It reads the key tables and the settings record, writes settings, key
// assignments, macros and colour groups, streams the live colour frame and
// reads the power status, and keeps what it learnt (key tables, position
// maps, settings state). The keyboard device object (the page) owns one per
// keyboard and does the profile and page work around these calls.
//
// Every operation returns the channel's result (1 success, or the first
// failing result: 0, −1, −101, −102, −103, −201) or one of the results below;
// a failed read leaves the kept state as it was. Nothing here sleeps: the
// 200 ms pause after a failed colour send is the caller's (kPauseAfterFailedSend).
//
// Thread-safe: the kept state has its own lock, which is never held during an
// exchange; the channel's locks serialise the traffic.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "device/keyboard/keyboard_assignments.h"
#include "device/keyboard/keyboard_colours.h"
#include "device/keyboard/keyboard_layout.h"
#include "device/keyboard/keyboard_reports.h"
#include "device/keyboard/keyboard_settings.h"
#include "device/link/command_channel.h"
#include "device/protocol/macro_download.h"
#include "device/protocol/power_status.h"
#include "device/protocol/protocol_results.h"
#include "profile/macro_store.h"

namespace tirk::keyboard {

/// Results of the keyboard's own checks, beside the channel's (shared with the
/// other families, device/protocol/protocol_results.h).
/// The keyboard reports more keys than a 512-byte key table holds (N × 3 >
/// 512); the kept tables stay, the write session is closed.
inline constexpr int kKeyTableTooLarge = protocol::kKeyTableTooLarge;
/// The key tables were never read, or the keyboard now reports another key
/// count than they were read with: nothing is sent (read them again).
inline constexpr int kKeyTablesUnknown = protocol::kKeyTableUnknown;
/// The macro block would exceed the keyboard's 1024 bytes: nothing is sent.
inline constexpr int kMacroBlockTooLarge = protocol::kMacroBlockTooLarge;
/// The key table uses macros whose last download failed: it is not sent, so
/// the keyboard never holds assignments to macros it does not have.
inline constexpr int kMacrosNotOnKeyboard = -304;

/// How long the caller waits after a failed live frame or colour group send
/// before it tries again, so retries against a keyboard that stopped
/// answering stay rare.
inline constexpr std::chrono::milliseconds kPauseAfterFailedSend{200};

/// Bytes of the power status.
using protocol::kPowerStatusSize;
using protocol::PowerStatus;

/// What DownloadMacros did.
using protocol::MacroDownloadOutcome;

/// The steps of a profile push, in order.
enum class PushStep { kNone, kSettings, kMacros, kKeyTable };

/// What PushProfile did: the first step that failed (kNone when all
/// succeeded) and its result; `overflow` as in MacroDownloadOutcome.
struct PushOutcome {
    PushStep failedStep = PushStep::kNone;
    int result = 1;
    int overflow = 0;
    bool Ok() const { return failedStep == PushStep::kNone; }
};

class KeyboardProtocol {
public:
    /// Talks through `channel`, which the caller owns and keeps alive.
    explicit KeyboardProtocol(CCommandChannel& channel) : m_channel(channel) {}
    KeyboardProtocol(const KeyboardProtocol&) = delete;
    KeyboardProtocol& operator=(const KeyboardProtocol&) = delete;

    // ---- kept state (copies) ----

    /// The code the keyboard uses for each lighting mode index (from the
    /// default lighting file).
    void SetModeCodes(std::vector<uint8_t> codes);
    KeyTables Tables() const;
    KeyboardSettingsState Settings() const;
    /// The lighting values and system settings the next WriteDeviceSettings
    /// sends (from the profile).
    void SetLightValues(const LightInfoRecord& light);
    void SetSystemSettings(const SystemSettings& system);
    /// The first position of key `keyIndex`; −1 when none.
    int PositionOfKey(int keyIndex) const;

    // ---- operations ----

    /// BeginWrite, device information (N = byte 5), the default key codes
    /// (N × 3 bytes) and the LED indices (N bytes), EndWrite; then the
    /// position maps are rebuilt. The tables are taken only when every read
    /// succeeded. N × 3 > 512 → kKeyTableTooLarge after EndWrite, the tables
    /// and the channel's table size as they were.
    int ReadKeyTables();

    /// Clears the channel's pause field, copies the lighting values to the
    /// previous ones, reads the active profile p (1 byte at 0) and its record
    /// (34 bytes at p × 33) and applies it (ApplySettingsRecord).
    int ReadDeviceSettings();

    /// Sends the record built from the last read record and the lighting
    /// values and system settings (EncodeSettingsRecord) with byte 0 =
    /// `active`, at `slot` × 33, in a write session. Before any record was
    /// read, the slot's record is read first for the bytes the host carries
    /// (its failure is returned, nothing written).
    int WriteDeviceSettings(uint8_t slot, uint8_t active);

    /// CollectUsedMacros over the current position maps.
    std::vector<int> CollectUsedMacros(std::span<const KeyListEntry> list, int macroCount) const;

    /// Refreshes the device information (its key count must be the tables'),
    /// then writes the key table PlanKeyTable builds in a write session.
    /// `bank` other than 0 → kBankNotZero without sending; tables not read →
    /// kKeyTablesUnknown.
    int WriteKeyAssignments(std::span<const KeyListEntry> list, int macroCount, int bank = 0);

    /// Packs the macros `used` (list indices of `store`, slot order) and
    /// writes the block in a write session. Nothing is sent for an empty list
    /// (result 1) or a block over 1024 bytes (kMacroBlockTooLarge).
    MacroDownloadOutcome DownloadMacros(const MacroStore& store, const std::vector<int>& used);

    /// Reads custom colour group `group` (N × 3 bytes at group × 512) into
    /// `colours` (one per position; TakeColourBank). `colours` is unchanged on
    /// failure.
    int ReadCustomColours(int group, std::span<CustomLightColor> colours);
    /// Writes `colours` as custom colour group `group` (BuildColourBank, N × 3
    /// bytes at group × 512). The device object sends the plain form in the
    /// custom mode only, and the alpha-scaled form when it re-applies a profile.
    int WriteCustomColours(int group, std::span<const CustomLightColor> colours,
                           AlphaScaling scaling);

    /// Sends the live colour frame of `colours` (N × 3 bytes) when the mode
    /// index is 29 or 30; in other modes sends nothing and returns 1. The
    /// channel drops the frame (0) while another operation runs.
    int SendLightFrame(std::span<const CustomLightColor> colours);

    /// Unless QueryOnline fails (0 then, nothing read; a cable always
    /// passes): reads the six status bytes at 0 into `status`, byte 3 set to 1
    /// on the receiver link and 0 on the cable.
    int ReadPowerStatus(PowerStatus& status);

    /// Applies the keyboard's report `code` to the settings state (only while
    /// the channel is open). True when something changed.
    bool ApplyDeviceReport(uint16_t code, ReportListener listener);

    /// The profile activation's sends, in order, stopping at the first
    /// failure: WriteDeviceSettings(0, 0), DownloadMacros of the macros the
    /// list uses, WriteKeyAssignments(0) — so the keyboard never gets
    /// assignments to macros it did not receive. The macro count is that of
    /// `store`'s list.
    PushOutcome PushProfile(std::span<const KeyListEntry> list, const MacroStore& store);

private:
    CCommandChannel& m_channel;
    mutable std::mutex m_stateLock;
    std::vector<uint8_t> m_modeCodes;
    KeyTables m_tables;
    KeyboardSettingsState m_settings;
};

}  // namespace tirk::keyboard
