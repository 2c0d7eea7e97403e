#include "device/virtual/mouse_firmware.h"

#include <algorithm>

namespace tirk::vbus {
namespace {

// The buttons in the mouse's own order: left, right, middle, back (button 4),
// forward (button 5), DPI up, DPI down, DPI cycle, then the three extra keys.
constexpr uint8_t kFactoryKeys[][3] = {
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x08, 0x00},
    {0x10, 0x10, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02},
};

struct DpiStage {
    uint16_t dpi;
    uint8_t red, green, blue;
};
constexpr DpiStage kDefaultStages[] = {
    {400, 255, 0, 0}, {800, 0, 255, 0}, {1600, 0, 0, 255}, {3200, 255, 255, 0}, {6400, 255, 0, 255},
};

// The record the mouse leaves the factory with, the same in every slot.
std::vector<uint8_t> DefaultRecord() {
    std::vector<uint8_t> record(kMouseRecordSize, 0);
    record[1] = 0;      // lighting mode code 0
    record[2] = 4;      // brightness
    record[3] = 4 - 2;  // speed 2, stored inverted
    record[5] = 1;      // multi-colour
    record[6] = 255;    // red
    record[11] = 3;     // report rate index: 1000 Hz
    record[12] = 2;     // active DPI stage
    for (size_t i = 0; i < std::size(kDefaultStages); ++i) {
        size_t at = 14 + 9 * i;
        record[at] = 1;  // active, X and Y not linked
        PutLittleEndian16(&record, at + 2, kDefaultStages[i].dpi);
        PutLittleEndian16(&record, at + 4, kDefaultStages[i].dpi);
        record[at + 6] = kDefaultStages[i].red;
        record[at + 7] = kDefaultStages[i].green;
        record[at + 8] = kDefaultStages[i].blue;
    }
    record[59] = 1;
    PutLittleEndian16(&record, 60, 1920);
    PutLittleEndian16(&record, 62, 1080);
    return record;
}

}  // namespace

const FirmwareModel& MouseFirmwareModel() {
    static const FirmwareModel kModel = [] {
        FirmwareModel m;
        m.familyCode = 2;
        m.versionMajor = 1;
        m.versionMinor = 4;
        m.profileSlots = 8;
        m.keyCount = static_cast<uint8_t>(std::size(kFactoryKeys));
        m.macroUnits = 16;  // 2048 bytes
        m.reportRates = 5;  // 125, 250, 500, 1000, 2000 Hz
        m.sensorCode = 13093;
        m.dpiStep = 50;
        m.sliderSteps = 85;  // 200 … 2600 in 50s, then … 10000 in 200s
        m.minimumDpi = 200;
        m.settingsSize = m.profileSlots * kMouseSlotStride;
        // Four full tables of 30 shots (180 events each) make a block of
        // 16 + 6 × 4 + 4 × 720 = 2920 bytes.
        m.recoilSize = 4096;
        m.chargeLevel = 80;  // a wireless mouse: its battery is not full
        return m;
    }();
    return kModel;
}

FirmwareConfig MouseFirmwareConfig(const FirmwarePlacement& placement) {
    const FirmwareModel& model = MouseFirmwareModel();
    FirmwareConfig config = MakeFirmwareConfig(model, placement);
    std::vector<uint8_t>& keys = config.Region(MemoryRegion::kFactoryKeys);
    for (size_t k = 0; k < std::size(kFactoryKeys); ++k)
        std::copy_n(kFactoryKeys[k], 3, keys.begin() + 3 * k);
    config.Region(MemoryRegion::kKeyTable) = keys;
    std::vector<uint8_t> record = DefaultRecord();
    std::vector<uint8_t>& settings = config.Region(MemoryRegion::kSettings);
    for (size_t slot = 0; slot < model.profileSlots; ++slot)
        std::copy(record.begin(), record.end(), settings.begin() + slot * kMouseSlotStride);
    return config;
}

}  // namespace tirk::vbus
