#include "profile/keyboard_profiledata.h"

#include "core/log.h"
#include "profile/json_access.h"

namespace tirk {
namespace {

uint32_t Pair(const Json::Value* section, const char* low, const char* high) {
    return uint32_t(uint16_t(json::IntOr(section, low))) |
           uint32_t(uint16_t(json::IntOr(section, high))) << 16;
}

void WritePair(Json::Value& section, uint32_t word, const char* low, const char* high) {
    json::SetMember(section, low, int(word & 0xFFFF));
    json::SetMember(section, high, int(word >> 16));
}

bool GroupInRange(int group) {
    return group >= 0 && group < CKeyboardProfiledata::kMaxColorGroups;
}

}  // namespace

KeyboardSettings CKeyboardProfiledata::GetKeyboardSettings() {
    const Json::Value* system = json::FindObject(Document(), "SystemStages");
    settings_.words[0] = Pair(system, "Repeat", "RepeatDelay");
    settings_.words[1] = Pair(system, "Key6Flag", "PollingRate");
    settings_.words[2] = Pair(system, "WFlag", "WinFlag");
    return settings_;
}

void CKeyboardProfiledata::SetKeyboardSettings(uint32_t word0, uint32_t word1, uint32_t word2) {
    settings_ = {{word0, word1, word2}};
    Json::Value& system = json::ObjectMember(MutableDocument(), "SystemStages");
    WritePair(system, word0, "Repeat", "RepeatDelay");
    WritePair(system, word1, "Key6Flag", "PollingRate");
    WritePair(system, word2, "WFlag", "WinFlag");
}

std::vector<CustomLightColor> CKeyboardProfiledata::GetCustomLightColors(int group, int count) {
    if (!GroupInRange(group) || count < 0 || count > kMaxLeds) {
        log::Printf("GetCustomLightColors: group %d, count %d out of range", group, count);
        return {};
    }
    Json::Value& mode = json::ObjectMember(MutableDocument(), "CustomLightMode");
    Json::Value& leds =
        json::ArrayElement(json::ArrayMember(mode, "LightColorInfo"), Json::ArrayIndex(group));
    colors_.assign(size_t(count), {});
    for (Json::ArrayIndex j = 0; j < colors_.size(); ++j) {
        const Json::Value* color = json::ObjectAt(leds, j);
        if (color) {
            colors_[j] = ReadRecord<CustomLightColor>(color, CustomLightColorFields());
        } else {
            leds[j] = RecordObject(CustomLightColor{}, CustomLightColorFields());
        }
    }
    return colors_;
}

void CKeyboardProfiledata::SetCustomLightColors(int group,
                                                const std::vector<CustomLightColor>& colors) {
    if (!GroupInRange(group) || colors.size() > size_t(kMaxLeds)) {
        log::Printf("SetCustomLightColors: group %d, %zu colours out of range", group,
                    colors.size());
        return;
    }
    colors_ = colors;
    Json::Value& mode = json::ObjectMember(MutableDocument(), "CustomLightMode");
    Json::Value& leds =
        json::ArrayElement(json::ArrayMember(mode, "LightColorInfo"), Json::ArrayIndex(group));
    for (Json::ArrayIndex j = 0; j < colors.size(); ++j) {
        WriteFields(reinterpret_cast<const uint8_t*>(&colors[j]), CustomLightColorFields(),
                    json::ObjectElement(leds, j));
    }
}

int CKeyboardProfiledata::GetCustomLightGroup() {
    group_ = int(
        json::IntOr(json::FindObject(Document(), "CustomLightMode"), "CustomLightModeGroupIndex"));
    return group_;
}

void CKeyboardProfiledata::SetCustomLightGroup(int group) {
    group_ = group;
    json::SetMember(json::ObjectMember(MutableDocument(), "CustomLightMode"),
                    "CustomLightModeGroupIndex", group);
}

}  // namespace tirk
