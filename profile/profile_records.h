// The fixed in-memory records that the device protocols send to the hardware,
// and their mapping to the sections of the device document. Every record is
// built from single bytes only, so it has no padding and no host byte order:
// its size is exact and 16-bit fields are little-endian by construction.
#pragma once

#include <json/value.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tirk {

/// An assignment code: kind, first and second parameter. Stored in the
/// profile as kind × 65536 + p1 × 256 + p2.
struct AssignmentCode {
    uint8_t kind = 0;
    uint8_t p1 = 0;
    uint8_t p2 = 0;

    /// The code of the low 24 bits of `value` (higher bits are dropped).
    static AssignmentCode FromValue(int64_t value);
    /// The 24-bit integer form.
    uint32_t Value() const { return uint32_t(kind) << 16 | uint32_t(p1) << 8 | p2; }
    bool operator==(const AssignmentCode&) const = default;
};
static_assert(sizeof(AssignmentCode) == 3);

/// One half of a key list entry: 16-bit key index (little-endian), code, spare.
struct AssignmentHalf {
    uint8_t keyIndex[2] = {};
    AssignmentCode code;
    uint8_t spare = 0;

    uint16_t KeyIndex() const { return uint16_t(keyIndex[0] | keyIndex[1] << 8); }
    void SetKeyIndex(uint16_t index) {
        keyIndex[0] = uint8_t(index);
        keyIndex[1] = uint8_t(index >> 8);
    }
    bool operator==(const AssignmentHalf&) const = default;
};
static_assert(sizeof(AssignmentHalf) == 6);

/// A key's current assignment followed by its default one.
struct KeyListEntry {
    AssignmentHalf current;
    AssignmentHalf defaultHalf;
    bool operator==(const KeyListEntry&) const = default;
};
static_assert(sizeof(KeyListEntry) == 12);

/// One DPI stage as the mouse's settings record carries it.
struct DpiStage {
    uint8_t enabled = 0;
    uint8_t xy = 0;  ///< separate X and Y resolution
    uint8_t dpiX[2] = {};
    uint8_t dpiY[2] = {};
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    uint16_t DpiX() const { return uint16_t(dpiX[0] | dpiX[1] << 8); }
    uint16_t DpiY() const { return uint16_t(dpiY[0] | dpiY[1] << 8); }
    void SetDpiX(uint16_t dpi) { dpiX[0] = uint8_t(dpi), dpiX[1] = uint8_t(dpi >> 8); }
    void SetDpiY(uint16_t dpi) { dpiY[0] = uint8_t(dpi), dpiY[1] = uint8_t(dpi >> 8); }
    bool operator==(const DpiStage&) const = default;
};
static_assert(sizeof(DpiStage) == 9);

/// Mouse pointer options: each word holds two 16-bit values, the first in the
/// low half (see CMouseProfiledata::GetPointerSettings).
struct PointerSettings {
    uint32_t words[3] = {};
    bool operator==(const PointerSettings&) const = default;
};

/// Keyboard system options, three words in the same manner.
struct KeyboardSettings {
    uint32_t words[3] = {};
    bool operator==(const KeyboardSettings&) const = default;
};

/// The headset's sound settings, in their stored order.
struct HeadsetSettings {
    int32_t magicEnable = 0;
    int32_t magicType = 0;
    int32_t eqType = 0;
    int32_t customEqSelectIndex = 0;
    int32_t micInSelect = 0;
    int32_t micInValue = 0;
    int32_t micMonitorSelect = 0;
    int32_t micMonitorValue = 0;
    bool operator==(const HeadsetSettings&) const = default;
};

/// A sensor correction preset of the mouse.
struct CorrectPreset {
    uint8_t pixThresh = 0;
    uint8_t minSq = 0;
    uint8_t select = 0;
    std::wstring name;
    bool operator==(const CorrectPreset&) const = default;
};

/// The lighting values.
struct LightInfoRecord {
    uint8_t selectItem = 0;  ///< mode index
    uint8_t light = 0;       ///< brightness level
    uint8_t speed = 0;
    uint8_t fx = 0;  ///< direction
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t spare[3] = {};
    uint8_t zzccLedMode = 0;
    uint8_t customGroup = 0;
    uint8_t oldLedmode = 0;
    bool operator==(const LightInfoRecord&) const = default;
};
static_assert(sizeof(LightInfoRecord) == 14);

/// The music-mode lighting values.
struct AudioLightRecord {
    uint8_t audioMode = 0;
    uint8_t bkRed = 0;
    uint8_t bkGreen = 0;
    uint8_t bkBlue = 0;
    uint8_t fgRed = 0;
    uint8_t fgGreen = 0;
    uint8_t fgBlue = 0;
    uint8_t sevenColorFlag = 0;
    uint8_t colorTypeFlag = 0;
    bool operator==(const AudioLightRecord&) const = default;
};
static_assert(sizeof(AudioLightRecord) == 9);

/// One per-key (or per-zone) lighting effect.
struct LedEffect {
    uint8_t mode = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t spare[2] = {};
    uint8_t present = 0;  ///< 1 when the document had the entry
    uint8_t spare2[3] = {};
    bool operator==(const LedEffect&) const = default;
};
static_assert(sizeof(LedEffect) == 14);

/// One LED of a custom colour group.
struct CustomLightColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
    bool operator==(const CustomLightColor&) const = default;
};
static_assert(sizeof(CustomLightColor) == 4);

// ---- mapping between records and JSON objects ----

/// How a record field is stored: a byte (values truncated to 8 bits), a flag
/// (read as integer or boolean, kept and written as 0 or 1) or a 16-bit
/// little-endian value.
enum class FieldKind { Byte, Flag, Word16 };

/// One JSON member of a record: its name, where it lives in the record, how.
struct RecordField {
    const char* name;
    std::size_t offset;
    FieldKind kind;
};

/// Fills the listed fields of `record` from `object` (missing or mistyped
/// members give 0); other bytes are left as they are. `object` may be null.
void ReadFields(const Json::Value* object, std::span<const RecordField> fields, uint8_t* record);
/// Writes the listed fields of `record` as integer members of `object`.
void WriteFields(const uint8_t* record, std::span<const RecordField> fields, Json::Value& object);

/// Reads a whole record of type R from `object` (zero when null).
template <typename R>
R ReadRecord(const Json::Value* object, std::span<const RecordField> fields) {
    R record{};
    ReadFields(object, fields, reinterpret_cast<uint8_t*>(&record));
    return record;
}

/// Writes a record's fields into a fresh JSON object.
template <typename R>
Json::Value RecordObject(const R& record, std::span<const RecordField> fields) {
    Json::Value object(Json::objectValue);
    WriteFields(reinterpret_cast<const uint8_t*>(&record), fields, object);
    return object;
}

/// The JSON members of each record, in record order.
std::span<const RecordField> LightInfoFields();
std::span<const RecordField> AudioLightFields();
std::span<const RecordField> LedEffectFields();
std::span<const RecordField> DpiStageFields();
std::span<const RecordField> CustomLightColorFields();

}  // namespace tirk
