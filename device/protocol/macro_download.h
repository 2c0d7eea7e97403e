// Macros as a device holds them: the download block of the macros the key
// assignments use, sent in one write session within the device's macro
// memory, and the device code of an assignment (a macro assignment carries
// its macro's place in that block).
#pragma once

#include <cstddef>
#include <vector>

#include "device/link/command_channel.h"
#include "profile/macro_store.h"
#include "profile/profile_records.h"

namespace tirk::protocol {

/// What DownloadMacroBlock did.
struct MacroDownloadOutcome {
    int result = 1;     ///< 1: sent; kMacroBlockTooLarge; a channel failure
    int overflow = 0;   ///< kMacroBlockTooLarge: ((size − memory) >> 2) + 1, shown to the user
    size_t size = 0;    ///< bytes of the block (0 when it was not planned)
    bool sent = false;  ///< the write step was reached; `result` is its result
};

/// Whether the link is checked again right before the block goes out.
enum class WriteGuard { kNone, kLinkChecked };

/// Packs the macros `used` (list indices of `store`, block order) and, when
/// the block fits `memory` bytes, writes it in a write session (with
/// kLinkChecked only when CCommandChannel::CanSend passes first; else the
/// result is 0 and nothing is sent). Over `memory`: kMacroBlockTooLarge with
/// the overflow count, nothing sent.
MacroDownloadOutcome DownloadMacroBlock(CCommandChannel& channel, const MacroStore& store,
                                        const std::vector<int>& used, size_t memory,
                                        WriteGuard guard = WriteGuard::kNone);

/// The code `entry`'s current assignment goes to the device as: a macro
/// assignment (0x70, 0x71) with an index below `macroCount` that `used` lists
/// carries its place in `used`; any other macro assignment becomes the entry's
/// default; every other code goes as it is.
AssignmentCode DeviceAssignmentCode(const KeyListEntry& entry, const std::vector<int>& used,
                                    int macroCount);

}  // namespace tirk::protocol
