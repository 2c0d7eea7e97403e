// The virtual keyboard's firmware (cable and receiver): a full-size ANSI board
// with Fn, two lighting keys and five media keys (112 keys), eight onboard
// profiles of 33 bytes, eight custom colour groups and 1024 bytes of macros.
#pragma once

#include "device/virtual/firmware_config.h"

namespace tirk::vbus {

/// Settings memory layout of the keyboard: byte 0 is the active profile, the
/// 33-byte record of profile p (record bytes 1 to 33) at p × 33 + 1.
constexpr size_t kKeyboardProfileStride = 33;
constexpr size_t kKeyboardRecordSize = 34;  ///< as read and written: byte 0 + 33
/// Custom colour group g at bank offset g × 512.
constexpr size_t kKeyboardColourGroupStride = 512;

/// The keyboard's constant facts (docs/virtual-firmware.md).
const FirmwareModel& KeyboardFirmwareModel();

/// The keyboard's firmware config placed as `placement`: factory key codes in
/// the keyboard's own order, LED indices along a serpentine chain, every
/// profile holding the default record.
FirmwareConfig KeyboardFirmwareConfig(const FirmwarePlacement& placement);

}  // namespace tirk::vbus
