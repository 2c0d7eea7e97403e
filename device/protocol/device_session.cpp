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
