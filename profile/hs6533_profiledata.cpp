#include "profile/hs6533_profiledata.h"

#include "core/log.h"
#include "profile/json_access.h"
#include "profile/utf8.h"

namespace tirk {
namespace {

struct SettingName {
    const char* name;
    int32_t HeadsetSettings::*member;
};

constexpr SettingName kSettingNames[] = {
    {"MagicEnable", &HeadsetSettings::magicEnable},
    {"MagicType", &HeadsetSettings::magicType},
    {"EqType", &HeadsetSettings::eqType},
    {"CustomEqSeletIndex", &HeadsetSettings::customEqSelectIndex},
    {"MicInSelect", &HeadsetSettings::micInSelect},
    {"MicInValue", &HeadsetSettings::micInValue},
    {"MicMoniterSelect", &HeadsetSettings::micMonitorSelect},
    {"MicMoniterValue", &HeadsetSettings::micMonitorValue},
};

/// Preset row of an "EqType" value; −1 for the custom curve type.
int PresetRow(int eqType) {
    if (eqType == CHs6533Profiledata::kCustomEqType) return -1;
    if (eqType < 1 || eqType > CHs6533Profiledata::kCustomEqType) return 1;
    return eqType;
}

bool CurveInRange(int index) {
    return index >= 0 && index < CHs6533Profiledata::kMaxCustomCurves;
}

}  // namespace

HeadsetSettings CHs6533Profiledata::GetHeadsetSettings() {
    const Json::Value* section = json::FindObject(Document(), "SystemSetStages");
    for (const SettingName& s : kSettingNames)
        settings_.*s.member = int32_t(json::IntOr(section, s.name));
    return settings_;
}

void CHs6533Profiledata::SetHeadsetSettings(const HeadsetSettings& settings) {
    Json::Value& section = json::ObjectMember(MutableDocument(), "SystemSetStages");
    for (const SettingName& s : kSettingNames) json::SetMember(section, s.name, settings.*s.member);
    settings_ = settings;
}

std::vector<int32_t> CHs6533Profiledata::ReadBands(const char* section, int row) {
    Json::Value& bands =
        json::ArrayElement(json::ArrayMember(MutableDocument(), section), Json::ArrayIndex(row));
    std::vector<int32_t> values(kBandCount, 0);
    for (Json::ArrayIndex i = 0; i < Json::ArrayIndex(kBandCount); ++i) {
        const Json::Value* band = json::ObjectAt(bands, i);
        int64_t level = 0;
        const Json::Value* member = band ? band->find("value", "value" + 5) : nullptr;
        if (member && json::AsInteger(*member, level)) {
            values[i] = int32_t(level);
        } else {
            json::SetMember(json::ObjectElement(bands, i), "value", 0);
        }
    }
    return values;
}

void CHs6533Profiledata::WriteBands(const char* section, int row, const Bands& values) {
    Json::Value& bands =
        json::ArrayElement(json::ArrayMember(MutableDocument(), section), Json::ArrayIndex(row));
    for (Json::ArrayIndex i = 0; i < Json::ArrayIndex(kBandCount); ++i) {
        json::SetMember(json::ObjectElement(bands, i), "value", values[i]);
    }
}

std::vector<int32_t> CHs6533Profiledata::GetEqBands(int eqType) {
    const int row = PresetRow(eqType);
    if (row < 0) return {};
    return ReadBands("EQHzValueInfo", row);
}

void CHs6533Profiledata::SetEqBands(int eqType, const Bands& values) {
    const int row = PresetRow(eqType);
    if (row >= 0) WriteBands("EQHzValueInfo", row, values);
}

std::vector<int32_t> CHs6533Profiledata::GetCustomEqBands(int index) {
    if (!CurveInRange(index)) {
        log::Printf("GetCustomEqBands: curve %d out of range", index);
        return {};
    }
    return ReadBands("CustomEQHzValueInfo", index);
}

void CHs6533Profiledata::SetCustomEqBands(int index, const Bands& values) {
    if (!CurveInRange(index)) {
        log::Printf("SetCustomEqBands: curve %d out of range", index);
        return;
    }
    WriteBands("CustomEQHzValueInfo", index, values);
}

std::vector<std::wstring> CHs6533Profiledata::GetCustomEqNames() const {
    const Json::Value* names = json::FindArray(Document(), "CustomEQNameInfo");
    std::vector<std::wstring> list(json::SizeOf(names));
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        list[i] = Utf8ToWide(json::StringOr(json::ObjectAt(*names, i), "Name"));
    }
    return list;
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::wstring>& names) {
    Json::Value list(Json::arrayValue);
    for (const std::wstring& name : names) {
        Json::Value entry(Json::objectValue);
        entry["Name"] = WideToUtf8(name);
        list.append(entry);
    }
    json::SetMember(MutableDocument(), "CustomEQNameInfo", list);
}

}  // namespace tirk
