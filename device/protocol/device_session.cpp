#include "device/protocol/device_session.h"

#include <string>

#include "core/log.h"
#include "device/protocol/protocol_results.h"

namespace tirk::protocol {

using link::kSuccess;

int ReadKeyTableSession(CCommandChannel& channel, const char* family, KeyTableRead& read,
                        const std::function<int(int keyCount)>& more) {
    return InWriteSession(channel, [&] {
        int result = channel.ReadDeviceInfo(read.info);
        if (result != kSuccess) return result;
        read.keyCount = read.info[kInfoKeyCount];
        const size_t bytes = size_t(read.keyCount) * kKeyEntrySize;
        if (bytes > kMaxKeyTableBytes) {
            log::DeviceFault(family, "reports " + std::to_string(read.keyCount) +
                                         " keys: more than a 512-byte key table holds");
            return kKeyTableTooLarge;
        }
        channel.SetTableSize(static_cast<int>(bytes));
        std::vector<uint8_t> codes(kMaxKeyTableBytes, 0);
        if ((result = channel.ReadKeyTable(codes)) != kSuccess) return result;
        read.codes.assign(codes.begin(), codes.begin() + bytes);
        return more ? more(read.keyCount) : kSuccess;
    });
}

int ReadCurrentRecord(CCommandChannel& channel, size_t stride, uint8_t& slot,
                      std::span<uint8_t> record) {
    std::array<uint8_t, 1> current{};
    int result = channel.ReadSettings(current, 0);
    if (result != kSuccess) return result;
    slot = current[0];
    return channel.ReadSettings(record, static_cast<uint16_t>(slot * stride));
}

int RereadDeviceInfo(CCommandChannel& channel, const char* family, int keyCount, DeviceInfo& info) {
    int result = channel.ReadDeviceInfo(info);
    if (result != kSuccess) return result;
    if (info[kInfoKeyCount] != keyCount) {
        log::DeviceFault(family, "now reports " + std::to_string(info[kInfoKeyCount]) +
                                     " keys; its key table was read with " +
                                     std::to_string(keyCount));
        return kKeyTableUnknown;
    }
    return kSuccess;
}

}  // namespace tirk::protocol
