#include "device/virtual/headset_firmware.h"

#include <cstdio>

#include "device/virtual/mousepad_firmware.h"
#include "device/virtual/report_descriptors.h"

namespace tirk::vbus {
namespace {

constexpr size_t kZoneReportSize = 17;
constexpr size_t kFirstValue = 4;
constexpr size_t kFirstHighZone = 7;  // sub-commands 0xAD … 0xAF carry zones 7 … 12

int TargetIndex(uint8_t target) {
    for (size_t i = 0; i < std::size(HeadsetFirmware::kTargets); ++i)
        if (HeadsetFirmware::kTargets[i] == target) return static_cast<int>(i);
    return -1;
}

uint8_t& Channel(ZoneColour& zone, int channel) {
    return channel == 0 ? zone.red : channel == 1 ? zone.green : zone.blue;
}

}  // namespace

const FirmwareModel& HeadsetFirmwareModel() {
    static const FirmwareModel kModel = [] {
        FirmwareModel m;
        m.familyCode = 7;
        m.versionMajor = 1;
        m.versionMinor = 0;
        m.profileSlots = 4;
        m.settingsSize = m.profileSlots * kPadSlotStride;
        m.hasNotifications = false;
        return m;
    }();
    return kModel;
}

FirmwareConfig HeadsetFirmwareConfig(const FirmwarePlacement& placement) {
    const FirmwareModel& model = HeadsetFirmwareModel();
    FirmwareConfig config = MakeFirmwareConfig(model, placement);
    FillPadStyleSettings(&config.Region(MemoryRegion::kSettings), model.profileSlots);
    return config;
}

std::unique_ptr<VirtualFirmware> HeadsetFirmware::FactoryCopy(const std::string& name) const {
    FirmwareConfig factory = config();
    factory.name = name;
    return std::make_unique<HeadsetFirmware>(std::move(factory));
}

std::array<ZoneColour, HeadsetFirmware::kZones> HeadsetFirmware::Zones(uint8_t target) const {
    int index = TargetIndex(target);
    return index < 0 ? std::array<ZoneColour, kZones>{} : m_zones[index];
}

void HeadsetFirmware::OnOtherReport(uint8_t, const std::vector<uint8_t>& report, FirmwareIo&) {
    char what[96];
    if (report.size() != kZoneReportSize || report[0] != kHeadsetLightReportId) {
        std::snprintf(what, sizeof what, "output report of %zu bytes with id 0x%02X ignored",
                      report.size(), report.empty() ? 0 : report[0]);
        RecordDeviceError(what);
        return;
    }
    int target = TargetIndex(report[1]);
    uint8_t sub = report[2];
    if (target < 0 || sub < 0xAA || sub > 0xAF) {
        std::snprintf(what, sizeof what, "zone-colour report: target 0x%02X sub-command 0x%02X",
                      report[1], sub);
        RecordDeviceError(what);
        return;
    }
    bool high = sub >= 0xAD;
    int channel = (sub - 0xAA) % 3;
    size_t first = high ? kFirstHighZone : 0;
    size_t count = high ? kZones - kFirstHighZone : kFirstHighZone;
    for (size_t i = 0; i < count; ++i)
        Channel(m_zones[target][first + i], channel) = report[kFirstValue + i];
}

}  // namespace tirk::vbus
