#include "device/virtual/firmware_config.h"

namespace tirk::vbus {
namespace {

std::vector<uint8_t> DeviceInfoBlock(const FirmwareModel& model,
                                     const FirmwarePlacement& placement) {
    std::vector<uint8_t> info(kDeviceInfoSize, 0);
    info[kInfoFamilyCode] = model.familyCode;
    info[kInfoVersionMajor] = model.versionMajor;
    info[kInfoVersionMinor] = model.versionMinor;
    info[kInfoWireless] = placement.wireless ? 1 : 0;
    info[kInfoProfileSlots] = model.profileSlots;
    info[kInfoKeyCount] = model.keyCount;
    info[kInfoMacroUnits] = model.macroUnits;
    info[kInfoLedCount] = static_cast<uint8_t>(placement.ledCount);
    info[kInfoReportRates] = model.reportRates;
    PutLittleEndian16(&info, kInfoSensorCode, model.sensorCode);
    info[kInfoDpiStep] = model.dpiStep;
    PutLittleEndian16(&info, kInfoSliderSteps, model.sliderSteps);
    PutLittleEndian16(&info, kInfoMinimumDpi, model.minimumDpi);
    return info;
}

}  // namespace

FirmwareConfig MakeFirmwareConfig(const FirmwareModel& model, const FirmwarePlacement& placement) {
    FirmwareConfig config;
    config.name = placement.name;
    config.commandInterface = placement.commandInterface;
    config.wireless = placement.wireless;
    config.hasNotifications = model.hasNotifications;
    size_t keyTable = model.keyCount > 0 ? kKeyTableSize : 0;
    config.Region(MemoryRegion::kDeviceInfo) = DeviceInfoBlock(model, placement);
    config.Region(MemoryRegion::kSettings).assign(model.settingsSize, 0);
    config.Region(MemoryRegion::kFactoryKeys).assign(keyTable, 0);
    config.Region(MemoryRegion::kKeyTable).assign(keyTable, 0);
    config.Region(MemoryRegion::kFnKeyTable).assign(keyTable, 0);
    config.Region(MemoryRegion::kLightIndex).assign(model.keyCount, 0);
    config.Region(MemoryRegion::kBanks).assign(model.bankSize, 0);
    config.Region(MemoryRegion::kLightFrame).assign(3 * size_t(placement.ledCount), 0);
    config.Region(MemoryRegion::kMacros).assign(128 * size_t(model.macroUnits), 0);
    config.Region(MemoryRegion::kRecoil).assign(model.recoilSize, 0);
    std::vector<uint8_t>& status = config.Region(MemoryRegion::kStatus);
    status.assign(kStatusRegionSize, 0);
    status[0] = model.chargeLevel;
    status[1] = 2;  // on battery: nothing is plugged yet
    status[3] = placement.wireless ? 1 : 0;
    return config;
}

void PutLittleEndian16(std::vector<uint8_t>* bytes, size_t offset, uint16_t value) {
    (*bytes)[offset] = value & 0xFF;
    (*bytes)[offset + 1] = value >> 8;
}

}  // namespace tirk::vbus
