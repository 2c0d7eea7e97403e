// The HID report descriptors of the virtual devices, written out byte by byte
// as the firmware of such a device would carry them.
#pragma once

#include <cstdint>
#include <vector>

namespace tirk::vbus {

/// Report ids of the four-collection interface and of the headset.
enum ReportId : uint8_t {
    kKeyboardReportId = 1,         ///< collection 1: modifiers + 120-key bitmap in, LEDs out
    kSystemControlReportId = 2,    ///< collection 2: power down, sleep, wake up
    kConsumerReportId = 3,         ///< collection 3: one 16-bit consumer usage (notifications)
    kCommandReportId = 4,          ///< collection 4: 64-byte command frames in and out
    kHeadsetKeysReportId = 1,      ///< headset: volume up, volume down, mute
    kHeadsetLightReportId = 0xFF,  ///< headset: 17-byte live zone-colour output report
};

/// Interface 0 of a keyboard: the boot keyboard, no report ids, one collection.
const std::vector<uint8_t>& BootKeyboardDescriptor();

/// Interface 0 of a mouse: the boot mouse with wheel, no report ids, one collection.
const std::vector<uint8_t>& BootMouseDescriptor();

/// Interface 1 of keyboards, mice, receivers and the mouse pad: four top-level
/// collections — keyboard (0x0001/0x06), system control (0x0001/0x80), consumer
/// control (0x000C/0x01), vendor command (0xFF1C/0x92) — with report ids 1 to 4.
const std::vector<uint8_t>& FourCollectionDescriptor();

/// The headset's interface 3: one consumer-control collection (0x000C/0x01) with
/// its keys (id 1), the 64-byte command frames (id 4) and the zone colours (id 0xFF).
const std::vector<uint8_t>& HeadsetDescriptor();

}  // namespace tirk::vbus
