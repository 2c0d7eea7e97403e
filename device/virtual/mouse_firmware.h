// The virtual mouse's firmware (cable and receiver): 11 keys, a PMW3325-class
// sensor, eight onboard profile slots of 128 bytes, macro and recoil memory.
#pragma once

#include "device/virtual/firmware_config.h"

namespace tirk::vbus {

/// Settings memory layout of the mouse: slot s's 71-byte record at s × 128;
/// byte 0 of the memory is the current slot.
constexpr size_t kMouseSlotStride = 128;
constexpr size_t kMouseRecordSize = 71;

/// The mouse's constant facts (docs/virtual-firmware.md).
const FirmwareModel& MouseFirmwareModel();

/// The mouse's firmware config placed as `placement` (placement.wireless for
/// the receiver): factory key table with the 11 standard functions and every
/// slot holding the default profile's record.
FirmwareConfig MouseFirmwareConfig(const FirmwarePlacement& placement);

}  // namespace tirk::vbus
