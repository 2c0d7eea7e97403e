// The virtual mouse pad's firmware: 15 light zones, four onboard profiles of
// 64 bytes, a phone charger reported in the status block; no keys, no macros.
#pragma once

#include "device/virtual/firmware_config.h"

namespace tirk::vbus {

/// Settings memory layout of the pad (and the headset): byte 0 is the active
/// profile; the 21-byte record of slot s at s × 64.
constexpr size_t kPadSlotStride = 64;
constexpr size_t kPadRecordSize = 21;

/// The pad's constant facts (docs/virtual-firmware.md).
const FirmwareModel& MousePadFirmwareModel();

/// The pad's firmware config placed as `placement`, every slot holding the
/// default record.
FirmwareConfig MousePadFirmwareConfig(const FirmwarePlacement& placement);

/// Fills every slot of a pad-style settings region (`slots` × kPadSlotStride)
/// with the factory lighting record; shared with the headset.
void FillPadStyleSettings(std::vector<uint8_t>* settings, size_t slots);

}  // namespace tirk::vbus
