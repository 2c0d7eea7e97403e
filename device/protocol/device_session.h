// The exchanges every family with a key table makes the same way: a group of
// writes inside BeginWrite … EndWrite, the device information with the key
// table read in one session, and the information read again as a check before
// a key table goes out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "device/link/command_channel.h"

namespace tirk::protocol {

/// The 34-byte device information block.
using DeviceInfo = std::array<uint8_t, CCommandChannel::kDeviceInfoSize>;
/// Byte of the device information block that gives the key count N.
inline constexpr size_t kInfoKeyCount = 5;
/// Bytes of one key table entry: kind, first and second parameter.
inline constexpr size_t kKeyEntrySize = 3;
/// The key table is at most this long (the command channel's limit).
inline constexpr size_t kMaxKeyTableBytes = CCommandChannel::kMaxTableSize;

/// BeginWrite, `writes` (only when BeginWrite succeeded), EndWrite in any
/// case — a BeginWrite whose answer was lost or spoiled may still have opened
/// the session on the device. The first failure wins.
template <typename Writes>
int InWriteSession(CCommandChannel& channel, Writes&& writes) {
    int result = channel.BeginWrite();
    if (result == link::kSuccess) result = writes();
    int ended = channel.EndWrite();
    return result != link::kSuccess ? result : ended;
}

/// What ReadKeyTableSession read.
struct KeyTableRead {
    DeviceInfo info{};
    int keyCount = 0;            ///< N, byte 5 of the information
    std::vector<uint8_t> codes;  ///< N × 3 bytes, the device's key order
};

/// In one write session: the device information; N × 3 > 512 ends it with
/// kKeyTableTooLarge (logged for `family`, the channel's table size as it
/// was, nothing further read); else the table size is set to N × 3, the key
/// table read, and `more` (may be empty) runs with N for the family's further
/// reads. `read` is filled as far as the reads went; the caller takes it only
/// on success.
int ReadKeyTableSession(CCommandChannel& channel, const char* family, KeyTableRead& read,
                        const std::function<int(int keyCount)>& more = {});

/// Reads the device's current profile slot (the byte at offset 0 of the
/// settings) into `slot`, then the slot's record, `record.size()` bytes at
/// slot × `stride`, into `record`. The first failure is returned.
int ReadCurrentRecord(CCommandChannel& channel, size_t stride, uint8_t& slot,
                      std::span<uint8_t> record);

/// Reads the device information again into `info`; another key count than
/// `keyCount` is kKeyTableUnknown (logged for `family`): the key table the
/// caller would send no longer describes the device.
int RereadDeviceInfo(CCommandChannel& channel, const char* family, int keyCount, DeviceInfo& info);

}  // namespace tirk::protocol
