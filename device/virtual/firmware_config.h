// The data that makes a family's virtual firmware what it is: the memory
// regions with their sizes and first contents, and the information block.
// Each family's file (mouse_firmware.h, keyboard_firmware.h, …) states its
// FirmwareModel and fills the tables only it knows; docs/virtual-firmware.md
// lists the choices.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tirk::vbus {

/// The memory regions of a device, one byte array each.
enum class MemoryRegion {
    kDeviceInfo,   ///< 0x03: the 34-byte information block
    kSettings,     ///< 0x05 / 0x06: settings records per profile slot
    kFactoryKeys,  ///< 0x07: the factory key codes (what the host maps keys by)
    kKeyTable,     ///< 0x09: the key assignments the host wrote (bank 0)
    kFnKeyTable,   ///< 0x27: the second key layer
    kBanks,        ///< 0x0A / 0x0B: banks (the keyboard's custom colour groups)
    kLightFrame,   ///< 0x12: the live light frame last streamed
    kMacros,       ///< 0x15: the macro download block
    kRecoil,       ///< 0x17: the recoil download block
    kStatus,       ///< 0x1A: the power status block
    kLightIndex,   ///< 0x1B: the LED index of each key
    kCount,
};

/// The size of the information block and of a frame's data part.
constexpr size_t kDeviceInfoSize = 34;
constexpr size_t kFrameDataSize = 56;
/// The status block region; the first six bytes are the power status.
constexpr size_t kStatusRegionSize = 56;

/// Offsets of the information block.
enum DeviceInfoOffset : size_t {
    kInfoFamilyCode = 0,    ///< 1 keyboard, 2 mouse, 3 mouse pad, 7 headset
    kInfoVersionMajor = 1,  ///< firmware version
    kInfoVersionMinor = 2,
    kInfoWireless = 3,      ///< 1 behind a receiver
    kInfoProfileSlots = 4,  ///< onboard profile slots
    kInfoKeyCount = 5,      ///< N: the key table holds 3 × N bytes
    kInfoMacroUnits = 6,    ///< macro memory in units of 128 bytes
    kInfoLedCount = 7,      ///< LEDs (zones), low byte
    kInfoReportRates = 8,   ///< report-rate options
    kInfoSensorCode = 9,    ///< 2 bytes, little-endian
    kInfoDpiStep = 11,      ///< DPI per slider step
    kInfoSliderSteps = 12,  ///< 2 bytes
    kInfoMinimumDpi = 14,   ///< 2 bytes
};

/// One device's firmware: who it is and its memory. Built by the family's file
/// (from a FirmwareModel); CommandFirmware owns it from then on.
struct FirmwareConfig {
    std::string name;              ///< for messages: "mouse", "keyboard-receiver"…
    uint8_t commandInterface = 1;  ///< the interface answers and notifications go to
    bool wireless = false;         ///< a receiver: answers 0xAA while its device is away
    bool hasNotifications = true;  ///< has the consumer-control notification collection
    /// Initial contents of each region; its size is the region's size (an empty
    /// region answers every access with kStatusOutOfRange). The device
    /// information block is region kDeviceInfo.
    std::array<std::vector<uint8_t>, static_cast<size_t>(MemoryRegion::kCount)> regions;

    std::vector<uint8_t>& Region(MemoryRegion region) {
        return regions[static_cast<size_t>(region)];
    }
};

/// The constant facts of one family's firmware.
struct FirmwareModel {
    uint8_t familyCode = 0;  ///< 1 keyboard, 2 mouse, 3 mouse pad, 7 headset
    uint8_t versionMajor = 1;
    uint8_t versionMinor = 0;
    uint8_t profileSlots = 1;
    uint8_t keyCount = 0;     ///< N; 3 × N must not exceed kKeyTableSize
    uint8_t macroUnits = 0;   ///< macro memory in units of 128 bytes
    uint8_t reportRates = 0;  ///< report-rate options
    uint16_t sensorCode = 0;  ///< mice: the optical sensor
    uint8_t dpiStep = 0;
    uint16_t sliderSteps = 0;
    uint16_t minimumDpi = 0;
    size_t settingsSize = 0;  ///< the settings region (all profile slots)
    size_t bankSize = 0;      ///< the bank region (0: no banks)
    size_t recoilSize = 0;    ///< the recoil region (0: no recoil tables)
    bool hasNotifications = true;
    /// Charge level in percent at start (status byte 0); devices without a
    /// battery say 100. Byte 1 follows the cable (CommandFirmware).
    uint8_t chargeLevel = 100;
};

/// Where one device with that firmware sits.
struct FirmwarePlacement {
    std::string name;              ///< the device's name on the bus
    uint8_t commandInterface = 1;  ///< the interface of the command frames
    bool wireless = false;         ///< behind a receiver
    int ledCount = 0;              ///< from the device model table
};

/// Key tables and the light index table are this long on every device: the
/// command channel never moves more than 512 bytes of key table.
constexpr size_t kKeyTableSize = 512;

/// The config of `model` placed as `placement`: the information block filled,
/// every region sized and zeroed (key tables only when the model has keys,
/// macros = macroUnits × 128, live frame = 3 × LEDs), the status block at the
/// model's charge level, on battery until a cable is plugged, with the
/// placement's wireless mark. The family then fills its own tables.
FirmwareConfig MakeFirmwareConfig(const FirmwareModel& model, const FirmwarePlacement& placement);

/// Stores `value` little-endian at `offset` of `bytes` (which must be long enough).
void PutLittleEndian16(std::vector<uint8_t>* bytes, size_t offset, uint16_t value);

}  // namespace tirk::vbus
