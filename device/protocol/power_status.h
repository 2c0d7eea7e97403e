// The six bytes of the power status every family with a power tile reads.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/link/command_channel.h"

namespace tirk::protocol {

inline constexpr size_t kPowerStatusSize = 6;
using PowerStatus = std::array<uint8_t, kPowerStatusSize>;
/// Byte of the status the host sets: 1 when it reads through a receiver.
inline constexpr size_t kStatusWirelessByte = 3;

/// Unless QueryOnline fails (0 then, nothing read; a cable always passes):
/// reads the six status bytes at 0 into `status`, byte 3 set to 1 on the
/// receiver link and 0 on the cable. `status` changes only on success.
int ReadPowerStatus(CCommandChannel& channel, PowerStatus& status);

}  // namespace tirk::protocol
