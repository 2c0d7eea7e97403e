// The virtual headset's firmware: the pad-style settings over the command
// frames on interface 3, and the 17-byte live zone-colour output reports
// (id 0xFF) that set its 13 zones on two targets. No notification collection.
#pragma once

#include <array>

#include "device/virtual/command_firmware.h"

namespace tirk::vbus {

/// The headset's constant facts (docs/virtual-firmware.md).
const FirmwareModel& HeadsetFirmwareModel();

/// The headset's firmware config placed as `placement`.
FirmwareConfig HeadsetFirmwareConfig(const FirmwarePlacement& placement);

/// One zone's colour as the headset shows it.
struct ZoneColour {
    uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const ZoneColour&) const = default;
};

class HeadsetFirmware : public CommandFirmware {
public:
    static constexpr size_t kZones = 13;
    static constexpr uint8_t kTargets[] = {0x22, 0x44};

    explicit HeadsetFirmware(FirmwareConfig config) : CommandFirmware(std::move(config)) {}

    /// A headset in its factory state for the device `name`.
    std::unique_ptr<VirtualFirmware> FactoryCopy(const std::string& name) const override;

    /// The zone colours of target 0x22 or 0x44 as the zone-colour reports left
    /// them; all zero for another target.
    std::array<ZoneColour, kZones> Zones(uint8_t target) const;

protected:
    /// Zone-colour reports; anything else is noted as a device error.
    void OnOtherReport(uint8_t interfaceNumber, const std::vector<uint8_t>& report,
                       FirmwareIo& io) override;

private:
    std::array<std::array<ZoneColour, kZones>, 2> m_zones{};
};

}  // namespace tirk::vbus
