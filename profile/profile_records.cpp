#include "profile/profile_records.h"

#include <array>

#include "profile/json_access.h"

namespace tirk {

AssignmentCode AssignmentCode::FromValue(int64_t value) {
    const auto bits = static_cast<uint64_t>(value);
    return {uint8_t(bits >> 16), uint8_t(bits >> 8), uint8_t(bits)};
}

void ReadFields(const Json::Value* object, std::span<const RecordField> fields, uint8_t* record) {
    for (const RecordField& field : fields) {
        uint8_t* at = record + field.offset;
        if (field.kind == FieldKind::Flag) {
            at[0] = json::FlagOr(object, field.name) ? 1 : 0;
            continue;
        }
        const auto value = static_cast<uint64_t>(json::IntOr(object, field.name));
        at[0] = uint8_t(value);
        if (field.kind == FieldKind::Word16) at[1] = uint8_t(value >> 8);
    }
}

void WriteFields(const uint8_t* record, std::span<const RecordField> fields, Json::Value& object) {
    for (const RecordField& field : fields) {
        const uint8_t* at = record + field.offset;
        int value = at[0];
        if (field.kind == FieldKind::Flag) value = at[0] != 0 ? 1 : 0;
        if (field.kind == FieldKind::Word16) value = at[0] | at[1] << 8;
        json::SetMember(object, field.name, value);
    }
}

#define TIRK_FIELD(Record, member, name, kind)          \
    RecordField {                                       \
        name, offsetof(Record, member), FieldKind::kind \
    }

std::span<const RecordField> LightInfoFields() {
    static constexpr std::array fields = {
        TIRK_FIELD(LightInfoRecord, selectItem, "SelectItem", Byte),
        TIRK_FIELD(LightInfoRecord, light, "Light", Byte),
        TIRK_FIELD(LightInfoRecord, speed, "Speed", Byte),
        TIRK_FIELD(LightInfoRecord, fx, "Fx", Byte),
        TIRK_FIELD(LightInfoRecord, multiColor, "MultiColor", Flag),
        TIRK_FIELD(LightInfoRecord, red, "Red", Byte),
        TIRK_FIELD(LightInfoRecord, green, "Green", Byte),
        TIRK_FIELD(LightInfoRecord, blue, "Blue", Byte),
        TIRK_FIELD(LightInfoRecord, zzccLedMode, "ZZCCLedMode", Byte),
        TIRK_FIELD(LightInfoRecord, customGroup, "CustomGroup", Byte),
        TIRK_FIELD(LightInfoRecord, oldLedmode, "OldLedmode", Byte),
    };
    return fields;
}

std::span<const RecordField> AudioLightFields() {
    static constexpr std::array fields = {
        TIRK_FIELD(AudioLightRecord, audioMode, "AudioMode", Byte),
        TIRK_FIELD(AudioLightRecord, bkRed, "BkColorR", Byte),
        TIRK_FIELD(AudioLightRecord, bkGreen, "BkColorG", Byte),
        TIRK_FIELD(AudioLightRecord, bkBlue, "BkColorB", Byte),
        TIRK_FIELD(AudioLightRecord, fgRed, "FgColorR", Byte),
        TIRK_FIELD(AudioLightRecord, fgGreen, "FgColorG", Byte),
        TIRK_FIELD(AudioLightRecord, fgBlue, "FgColorB", Byte),
        TIRK_FIELD(AudioLightRecord, sevenColorFlag, "7ColorFlags", Flag),
        TIRK_FIELD(AudioLightRecord, colorTypeFlag, "ColorTypeFlags", Flag),
    };
    return fields;
}

std::span<const RecordField> LedEffectFields() {
    static constexpr std::array fields = {
        TIRK_FIELD(LedEffect, mode, "LEDREGMode", Byte),
        TIRK_FIELD(LedEffect, brightness, "LEDBrightness", Byte),
        TIRK_FIELD(LedEffect, speed, "LEDSpeed", Byte),
        TIRK_FIELD(LedEffect, direction, "LEDDirection", Flag),
        TIRK_FIELD(LedEffect, multiColor, "LEDMultiColor", Flag),
        TIRK_FIELD(LedEffect, red, "red", Byte),
        TIRK_FIELD(LedEffect, green, "green", Byte),
        TIRK_FIELD(LedEffect, blue, "blue", Byte),
    };
    return fields;
}

std::span<const RecordField> DpiStageFields() {
    static constexpr std::array fields = {
        TIRK_FIELD(DpiStage, enabled, "StageActive", Byte),
        TIRK_FIELD(DpiStage, xy, "StageXY", Byte),
        TIRK_FIELD(DpiStage, dpiX, "StageDPIX", Word16),
        TIRK_FIELD(DpiStage, dpiY, "StageDPIY", Word16),
        TIRK_FIELD(DpiStage, red, "StageColorR", Byte),
        TIRK_FIELD(DpiStage, green, "StageColorG", Byte),
        TIRK_FIELD(DpiStage, blue, "StageColorB", Byte),
    };
    return fields;
}

std::span<const RecordField> CustomLightColorFields() {
    static constexpr std::array fields = {
        TIRK_FIELD(CustomLightColor, red, "Red", Byte),
        TIRK_FIELD(CustomLightColor, green, "Green", Byte),
        TIRK_FIELD(CustomLightColor, blue, "Blue", Byte),
        TIRK_FIELD(CustomLightColor, alpha, "Alpha", Byte),
    };
    return fields;
}

#undef TIRK_FIELD

}  // namespace tirk
