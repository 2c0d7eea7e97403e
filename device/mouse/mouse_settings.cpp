#include "device/mouse/mouse_settings.h"

#include "device/protocol/light_bytes.h"

#include <algorithm>
#include <cstring>

#include "device/protocol/mode_codes.h"
#include "profile/mouse_profiledata.h"

namespace tirk::mouse {
namespace {

void Put16(SettingsRecord& record, size_t at, uint16_t value) {
    record[at] = static_cast<uint8_t>(value & 0xFF);
    record[at + 1] = static_cast<uint8_t>(value >> 8);
}

void PutStages(SettingsRecord& record, const std::vector<DpiStage>& stages) {
    static_assert(sizeof(DpiStage) == 9 && kFirstStageByte + kDpiStages * 9 == kThirdByte);
    const size_t count = std::min<size_t>(stages.size(), kDpiStages);
    for (size_t i = 0; i < count; ++i)
        std::memcpy(&record[kFirstStageByte + i * sizeof(DpiStage)], &stages[i], sizeof(DpiStage));
}

void PutCorrection(SettingsRecord& record, const std::vector<CorrectPreset>& corrections) {
    auto chosen = std::find_if(corrections.begin(), corrections.end(),
                               [](const CorrectPreset& preset) { return preset.select != 0; });
    if (chosen == corrections.end()) return;
    record[kCorrectMinSqByte] = chosen->minSq;
    record[kCorrectPixThreshByte] = chosen->pixThresh;
}

}  // namespace

MouseSettings MouseSettingsOf(CMouseProfiledata& profile) {
    MouseSettings values;
    values.light = profile.GetLightInfo();
    values.reportRate = static_cast<uint8_t>(profile.GetPointerSettings().words[2] >> 16);
    values.stages = profile.GetDpiStages();
    values.activeStage = static_cast<uint8_t>(profile.GetActiveDpiStage());
    values.corrections = profile.GetCorrectPresets();
    return values;
}

uint8_t ModeCodeOf(int modeIndex, std::span<const uint8_t> modeCodes) {
    if (modeIndex >= 0 && modeIndex < kModeLimit && size_t(modeIndex) < modeCodes.size())
        return modeCodes[modeIndex];
    return modeCodes.empty() ? 0 : modeCodes[0];
}

SettingsRecord EncodeSettingsRecord(const MouseSettings& values, const SettingsTarget& target,
                                    std::span<const uint8_t> modeCodes) {
    SettingsRecord record{};
    record[kFirstByte] = target.first;
    protocol::PutLightBytes(record, values.light, ModeCodeOf(values.light.selectItem, modeCodes));
    record[kReportRateByte] = values.reportRate;
    record[kActiveStageByte] = values.activeStage;
    PutStages(record, values.stages);
    record[kThirdByte] = target.third;
    Put16(record, kScreenWidthByte, target.width);
    Put16(record, kScreenHeightByte, target.height);
    PutCorrection(record, values.corrections);
    return record;
}

void ApplySettingsRecord(const SettingsRecord& record, int slot, std::span<const uint8_t> modeCodes,
                         MouseSettingsState& state) {
    state.raw = record;
    state.raw[kClearedByte] = 0;
    state.recordRead = true;
    state.slot = slot;
    LightInfoRecord& light = state.light;
    light.selectItem =
        static_cast<uint8_t>(protocol::ModeIndexOf(record[kModeCodeByte], modeCodes));
    protocol::TakeLightBytes(record, light, false);  // the direction is not read back
    state.activeStage = record[kActiveStageByte];
}

}  // namespace tirk::mouse
