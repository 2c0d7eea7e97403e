#include "profile/mouse_profiledata.h"

#include "profile/json_access.h"
#include "profile/utf8.h"

namespace tirk {
namespace {

uint32_t Pair(int64_t low, int64_t high) {
    return uint32_t(uint16_t(low)) | uint32_t(uint16_t(high)) << 16;
}

int Low(uint32_t word) {
    return int(word & 0xFFFF);
}
int High(uint32_t word) {
    return int(word >> 16);
}

}  // namespace

std::vector<DpiStage> CMouseProfiledata::GetDpiStages() {
    const Json::Value* section = json::FindObject(Document(), "DPIStages");
    activeStage_ = int(json::IntOr(section, "StageActive"));
    const Json::Value* list = section ? json::FindArray(*section, "StageDPIs") : nullptr;
    const Json::ArrayIndex count = json::SizeOf(list);
    if (stages_.size() < count) stages_.resize(count);
    for (Json::ArrayIndex j = 0; j < count; ++j) {
        stages_[j] = ReadRecord<DpiStage>(json::ObjectAt(*list, j), DpiStageFields());
    }
    return stages_;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages) {
    stages_ = stages;
    Json::Value& list =
        json::ArrayMember(json::ObjectMember(MutableDocument(), "DPIStages"), "StageDPIs");
    for (Json::ArrayIndex i = 0; i < stages.size(); ++i) {
        WriteFields(reinterpret_cast<const uint8_t*>(&stages[i]), DpiStageFields(),
                    json::ObjectElement(list, i));
    }
}

void CMouseProfiledata::SetActiveDpiStage(int index) {
    activeStage_ = index;
    json::SetMember(json::ObjectMember(MutableDocument(), "DPIStages"), "StageActive", index);
}

PointerSettings CMouseProfiledata::GetPointerSettings() {
    pointer_ = {};
    const Json::Value* system = json::FindObject(Document(), "SystemStages");
    if (system) {
        const Json::Value* report = json::FindObject(Document(), "ReportStages");
        pointer_.words[0] =
            Pair(json::IntOr(system, "DoubleClickTime"), json::IntOr(system, "MouseSpeed"));
        pointer_.words[1] =
            Pair(json::IntOr(system, "PointerPrecision"), json::IntOr(system, "ScorllPage"));
        pointer_.words[2] =
            Pair(json::IntOr(system, "WheelScorlllinse"), json::IntOr(report, "StageActive"));
    }
    return pointer_;
}

void CMouseProfiledata::SetPointerSettings(uint32_t word0, uint32_t word1, uint32_t word2) {
    pointer_ = {{word0, word1, word2}};
    Json::Value& system = json::ObjectMember(MutableDocument(), "SystemStages");
    json::SetMember(system, "DoubleClickTime", Low(word0));
    json::SetMember(system, "MouseSpeed", High(word0));
    json::SetMember(system, "PointerPrecision", Low(word1));
    json::SetMember(system, "ScorllPage", High(word1));
    json::SetMember(system, "WheelScorlllinse", Low(word2));
    json::SetMember(json::ObjectMember(MutableDocument(), "ReportStages"), "StageActive",
                    High(word2));
}

std::vector<CorrectPreset> CMouseProfiledata::GetCorrectPresets() {
    const Json::Value* presets = json::FindArray(Document(), "CorrectInfo");
    correctPresets_.assign(json::SizeOf(presets), {});
    for (Json::ArrayIndex i = 0; i < correctPresets_.size(); ++i) {
        const Json::Value* preset = json::ObjectAt(*presets, i);
        CorrectPreset& out = correctPresets_[i];
        out.pixThresh = uint8_t(json::IntOr(preset, "CorrectPixThresh"));
        out.minSq = uint8_t(json::IntOr(preset, "CorrectMinSq"));
        out.select = uint8_t(json::IntOr(preset, "CorrectSelect"));
        out.name = Utf8ToWide(json::StringOr(preset, "CorrectName"));
    }
    return correctPresets_;
}

}  // namespace tirk
