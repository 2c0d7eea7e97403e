// MouseProtocol: the mouse's side of the command channel as plain code. It
// reads the device information, the key table and the settings record,
// writes settings, key assignments, macros and recoil tables, reads the power
// status and checks the receiver's link, and keeps what it learnt (the
// information, the key table and its standard-function map, the settings
// state). The mouse device object (the page) owns one per mouse and does the
// profile and page work around these calls; a worker job calls each
// operation with a snapshot of the profile's values.
//
// Every operation checks the link first (the cable: the channel is open; the
// receiver: open and QueryOnline) and returns 0 without sending when it
// fails; otherwise it returns the channel's result (1 success, or the first
// failing result: 0, −1, −101, −102, −103, −201) or one of the results below.
// A failed read leaves the kept state as it was. Nothing here sleeps.
//
// Thread-safe: the kept state has its own lock, which is never held during an
// exchange; the channel's locks serialise the traffic.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "device/link/command_channel.h"
#include "device/mouse/mouse_info.h"
#include "device/mouse/mouse_keys.h"
#include "device/mouse/mouse_notifications.h"
#include "device/mouse/mouse_settings.h"
#include "device/protocol/macro_download.h"
#include "device/protocol/power_status.h"
#include "device/protocol/protocol_results.h"
#include "profile/macro_store.h"
#include "profile/recoil_tables.h"

namespace tirk::mouse {

/// Results of the mouse's own checks, beside the channel's.
/// N × 3 > 512 (N = 171): nothing further is read, the kept state stays.
inline constexpr int kKeyTableTooLarge = protocol::kKeyTableTooLarge;
/// The key table was never read, or the mouse now reports another N: nothing
/// is sent.
inline constexpr int kKeyTableUnknown = protocol::kKeyTableUnknown;
/// The macro block exceeds the mouse's macro memory (information byte 6 ×
/// 128): nothing is sent; the outcome's overflow says by how many events.
inline constexpr int kMacroBlockTooLarge = protocol::kMacroBlockTooLarge;
/// A recoil table cannot be read or is no recoil file: nothing is sent (an
/// empty table would wipe that gun on the mouse).
inline constexpr int kRecoilTablesRefused = -305;

using protocol::MacroDownloadOutcome;
using protocol::PowerStatus;

/// The number the macro page reports for a download: the overflow count when
/// the block was too large; 0 when it went out well, and also when the link
/// or the device information failed before anything was sent; −1 when the
/// write step failed (its link check or an exchange).
int MacroDownloadResult(const MacroDownloadOutcome& outcome);

class MouseProtocol {
public:
    /// Talks through `channel`, which the caller owns and keeps alive.
    explicit MouseProtocol(CCommandChannel& channel) : m_channel(channel) {}
    MouseProtocol(const MouseProtocol&) = delete;
    MouseProtocol& operator=(const MouseProtocol&) = delete;

    // ---- kept state (copies) ----

    /// The code the mouse uses for each lighting mode index (the lighting
    /// defaults' mode list).
    void SetModeCodes(std::vector<uint8_t> codes);
    /// The information, the key table as read and the function map.
    MouseKeys Keys() const;
    MouseInfo Info() const;
    MouseSettingsState Settings() const;

    // ---- operations ----

    /// In one write session: the device information (N = byte 5), the
    /// channel's table size set to 3 × N and the key table; then the
    /// standard-function map. Taken only when every read succeeded.
    /// N × 3 > 512 → kKeyTableTooLarge, nothing further read, the channel's
    /// table size as it was.
    int ReadKeyTable();

    /// Clears the channel's pause field, reads the current slot (1 byte at 0)
    /// and its record (71 bytes at slot × 128) and applies it
    /// (ApplySettingsRecord).
    int ReadSettings();

    /// Writes the record EncodeSettingsRecord builds from `values` and
    /// `target` at target.slot × 128, in a write session.
    int WriteSettings(const MouseSettings& values, const SettingsTarget& target);

    /// CollectUsedMacros over the kept function map (`list`: one entry per
    /// standard function).
    std::vector<int> CollectUsedMacros(std::span<const KeyListEntry> list, int macroCount) const;

    /// `bank` other than 0 → −201 without sending; a key table never read →
    /// kKeyTableUnknown. Reads the device information again (its N must be
    /// the table's), then writes the table PlanKeyTable builds in a write
    /// session.
    int WriteKeyTable(std::span<const KeyListEntry> list, int macroCount, int bank = 0);

    /// Reads the device information for the macro memory, packs the macros
    /// `used` (list indices of `store`, device order: CollectUsedMacros) and
    /// writes the block in a write session after checking the link again.
    /// An empty list sends a block without macros. MacroDownloadResult gives
    /// the page's number.
    MacroDownloadOutcome DownloadMacros(const MacroStore& store, const std::vector<int>& used);

    /// Writes a recoil download block (RecoilTables::BuildBlock) in a write
    /// session, 56 bytes per frame on either link, without a capacity check.
    int WriteRecoilBlock(std::span<const uint8_t> block);
    /// The block of `tables`, then WriteRecoilBlock; kRecoilTablesRefused
    /// (nothing sent) when the tables give no block.
    int WriteRecoilTables(const RecoilTables& tables);

    /// protocol::ReadPowerStatus: byte 3 is 1 on the receiver, 0 on the cable.
    int ReadPowerStatus(PowerStatus& status);

    /// The link check of the receiver's watch: true only when the channel is
    /// open, the link is the receiver and QueryOnline answers 1.
    bool IsOnline();

    /// Applies the mouse's notification `code` to the settings state (only
    /// while the channel is open). True when the slot or the active stage
    /// changed.
    bool ApplyNotification(uint16_t code);

private:
    CCommandChannel& m_channel;
    mutable std::mutex m_stateLock;
    std::vector<uint8_t> m_modeCodes;
    MouseKeys m_keys;
    MouseSettingsState m_settings;
};

}  // namespace tirk::mouse
