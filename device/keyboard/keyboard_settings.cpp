#include "device/keyboard/keyboard_settings.h"

#include "device/protocol/light_bytes.h"

#include <algorithm>

namespace tirk::keyboard {
namespace {

uint8_t Low(uint16_t value) {
    return static_cast<uint8_t>(value & 0xFF);
}

uint16_t LowHalf(uint32_t word) {
    return static_cast<uint16_t>(word & 0xFFFF);
}

uint16_t HighHalf(uint32_t word) {
    return static_cast<uint16_t>(word >> 16);
}

uint32_t Word(uint16_t low, uint16_t high) {
    return uint32_t(low) | uint32_t(high) << 16;
}

}  // namespace

SystemSettings SystemSettingsOf(const KeyboardSettings& words) {
    SystemSettings s;
    s.repeat = LowHalf(words.words[0]);
    s.repeatDelay = HighHalf(words.words[0]);
    s.key6Flag = LowHalf(words.words[1]);
    s.pollingRate = HighHalf(words.words[1]);
    s.wFlag = LowHalf(words.words[2]);
    s.winFlag = HighHalf(words.words[2]);
    return s;
}

KeyboardSettings WordsOf(const SystemSettings& s) {
    KeyboardSettings words;
    words.words[0] = Word(s.repeat, s.repeatDelay);
    words.words[1] = Word(s.key6Flag, s.pollingRate);
    words.words[2] = Word(s.wFlag, s.winFlag);
    return words;
}

uint8_t ModeCodeOf(int modeIndex, std::span<const uint8_t> modeCodes) {
    if (IsHostLightingMode(modeIndex)) return kHostModeCode;
    if (modeIndex >= 0 && size_t(modeIndex) < modeCodes.size()) return modeCodes[modeIndex];
    return static_cast<uint8_t>(modeIndex);
}

SettingsRecord EncodeSettingsRecord(const SettingsRecord& raw, uint8_t active,
                                    const LightInfoRecord& light, const SystemSettings& system,
                                    std::span<const uint8_t> modeCodes) {
    SettingsRecord record = raw;
    record[kActiveProfileByte] = active;
    protocol::PutLightBytes(record, light, ModeCodeOf(light.selectItem, modeCodes));
    record[kClearedByte] = 0;
    record[kZzccLedModeByte] = light.zzccLedMode;
    record[kWFlagByte] = Low(system.wFlag);
    record[kKey6FlagByte] = Low(system.key6Flag);
    record[kWinFlagByte] = Low(system.winFlag);
    record[kPollingRateByte] = Low(system.pollingRate);
    record[kCustomGroupByte] = light.customGroup;
    return record;
}

void ApplySettingsRecord(const SettingsRecord& record, std::span<const uint8_t> modeCodes,
                         KeyboardSettingsState& state) {
    state.raw = record;
    state.raw[kClearedByte] = 0;
    state.recordRead = true;
    state.activeProfile = record[kActiveProfileByte];
    LightInfoRecord& light = state.light;
    // 0xFE is checked on the byte itself, before the code list is searched:
    // a list that gives 0xFE to a mode must not turn mode 30 into mode 29.
    if (record[kModeCodeByte] != kHostModeCode)
        light.selectItem = static_cast<uint8_t>(ModeIndexOf(record[kModeCodeByte], modeCodes));
    protocol::TakeLightBytes(record, light, true);
    light.zzccLedMode = record[kZzccLedModeByte];
    light.customGroup = record[kCustomGroupByte];
    state.system.key6Flag = record[kKey6FlagByte];
    state.system.wFlag = record[kWFlagByte];
    state.system.winFlag = record[kWinFlagByte];
}

bool ModeRestartNeeded(const KeyboardSettingsState& state) {
    return state.light.selectItem != state.previousLight.selectItem ||
           state.light.selectItem == kCustomMode;
}

}  // namespace tirk::keyboard
