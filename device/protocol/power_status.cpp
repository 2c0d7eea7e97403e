#include "device/protocol/power_status.h"

namespace tirk::protocol {

int ReadPowerStatus(CCommandChannel& channel, PowerStatus& status) {
    if (channel.QueryOnline() != link::kSuccess) return link::kNoAnswer;
    PowerStatus read{};
    int result = channel.ReadStatus(read, 0);
    if (result != link::kSuccess) return result;
    read[kStatusWirelessByte] = channel.IsWireless() ? 1 : 0;
    status = read;
    return link::kSuccess;
}

}  // namespace tirk::protocol
