#include "device/virtual/mousepad_firmware.h"

#include <algorithm>

namespace tirk::vbus {

const FirmwareModel& MousePadFirmwareModel() {
    static const FirmwareModel kModel = [] {
        FirmwareModel m;
        m.familyCode = 3;
        m.versionMajor = 1;
        m.versionMinor = 2;
        m.profileSlots = 4;
        m.settingsSize = m.profileSlots * kPadSlotStride;
        return m;
    }();
    return kModel;
}

void FillPadStyleSettings(std::vector<uint8_t>* settings, size_t slots) {
    std::vector<uint8_t> record(kPadRecordSize, 0);
    record[1] = 0;      // lighting mode code
    record[2] = 4;      // brightness
    record[3] = 4 - 2;  // speed 2, stored inverted
    record[5] = 1;      // multi-colour
    record[6] = 255;    // red
    for (size_t slot = 0; slot < slots; ++slot)
        std::copy(record.begin(), record.end(), settings->begin() + slot * kPadSlotStride);
}

FirmwareConfig MousePadFirmwareConfig(const FirmwarePlacement& placement) {
    const FirmwareModel& model = MousePadFirmwareModel();
    FirmwareConfig config = MakeFirmwareConfig(model, placement);
    FillPadStyleSettings(&config.Region(MemoryRegion::kSettings), model.profileSlots);
    return config;
}

}  // namespace tirk::vbus
