#include "profile/key_assignment.h"

#include <algorithm>
#include <cctype>

namespace tirk {
namespace {

constexpr int kNibbleMax = 0x0F;
constexpr int kTiltCountMax = 0x7F;
constexpr int kWheelUpMax = 0x7F;
constexpr int kWheelDownMax = 0x80;
constexpr uint8_t kSecondDirection = 0x80;

// Values the panel's edits cannot hold in their field are taken as the
// nearest value the field can hold: wrapping them would store another
// count or direction than the one typed.
int Clamp(int value, int low, int high) {
    return std::clamp(value, low, high);
}

uint8_t DelaySpeedByte(const RepeatParams& params) {
    return uint8_t(Clamp(params.delay, 0, kNibbleMax) << 4 | Clamp(params.speed, 0, kNibbleMax));
}

RepeatParams DelaySpeedOf(uint8_t p1) {
    RepeatParams params;
    params.delay = p1 >> 4;
    params.speed = p1 & 0x0F;
    return params;
}

// The first row of `list` with `kind` and `p1`, whatever its p2.
const FunctionRow* RowWithP1(std::span<const FunctionRow> list, uint8_t kind, uint8_t p1) {
    for (const FunctionRow& row : list)
        if (row.code.kind == kind && row.code.p1 == p1) return &row;
    return nullptr;
}

const FunctionRow* RowWithKind(std::span<const FunctionRow> list, uint8_t kind) {
    for (const FunctionRow& row : list)
        if (row.code.kind == kind) return &row;
    return nullptr;
}

const FunctionRow* RowWithCode(std::span<const FunctionRow> list, const AssignmentCode& code) {
    const int row = FindFunctionRow(list, code.kind, code.p1, code.p2);
    return row < 0 ? nullptr : &list[size_t(row)];
}

class TextBuilder {
public:
    explicit TextBuilder(const AssignmentTextContext& context) : m_context(context) {}

    std::string Name(const char* key) const {
        return m_context.translate ? m_context.translate(key) : std::string(key);
    }
    std::string Name(const FunctionRow* row) const { return row ? Name(row->nameKey) : ""; }
    std::string KeyRowName(int row) const {
        return row < 0 ? "" : Name(MacroKeyTable()[size_t(row)].nameKey);
    }

    std::string KeyboardKey(const AssignmentCode& code) const;
    std::string Macro(uint8_t number) const {
        return number < m_context.macroNames.size() ? m_context.macroNames[number] : "";
    }
    std::string DeviceKey(const AssignmentCode& code) const {
        if (const FunctionRow* row = RowWithP1(SpecialFunctionList(), code.kind, code.p1))
            return Name(row);
        return KeyRowName(FindKeyTableRow(code.kind, code.p1, code.p2));
    }
    bool Keyboard() const { return m_context.keyboard; }

private:
    const AssignmentTextContext& m_context;
};

// Kinds 0x00 and 0x20. A combination that is no single row is named by its
// parts: each modifier whose bit is set, then the key with the usage. Neither
// a modifier of 0 nor a usage of 0 names anything by itself, so a code
// never lists every key that happens to share a zero field.
std::string TextBuilder::KeyboardKey(const AssignmentCode& code) const {
    if (m_context.keyboard && code.kind == assign_kind::kKeyboardKey)
        if (const FunctionRow* shortcut = RowWithCode(ShortcutList(), code)) return Name(shortcut);
    const int exact = FindKeyTableRow(code.kind, code.p1, code.p2);
    if (exact >= 0) return KeyRowName(exact);
    if (code.p1 == 0 && code.p2 == 0) return Name("close_text");
    if (code.kind != assign_kind::kKeyboardKey) return "";
    std::string text;
    auto add = [&](int row) {
        if (!text.empty()) text += '+';
        text += KeyRowName(row);
    };
    for (int row = 0; row < kModifierRows; ++row)
        if (code.p1 & MacroKeyTable()[size_t(row)].modifier) add(row);
    if (const int key = FindKeyboardKeyRow(code.p2); key >= 0) add(key);
    return text;
}

}  // namespace

int CategoryOfCode(const AssignmentCode& code, const AssignmentCode& defaultCode) {
    if (code == defaultCode) return kCategoryDefault;
    switch (code.kind) {
        case assign_kind::kDisabled:
            return kCategoryDefault;
        case assign_kind::kMouseButton:
            return kCategoryMouseButton;
        case assign_kind::kTilt:
            return kCategoryTilt;
        case assign_kind::kWheel:
            return kCategoryWheel;
        case assign_kind::kDpi:
            return kCategoryDpi;
        case assign_kind::kFireKey:
            return kCategoryFireKey;
        case assign_kind::kKeyboardKey:
            return code.p1 == 0x10 ? kCategoryShortcut : kCategoryKeyboardKey;
        case assign_kind::kConsumer:
            return kCategoryMedia;
        case assign_kind::kSystem:
            return kCategorySystem;
        case assign_kind::kMacro:
        case assign_kind::kMacroRepeat:
            return kCategoryMacro;
        case assign_kind::kGunKey:
            return kCategoryGunKey;
        case 0xB0:  // no list of its own: the shortcut page shows no row
            return kCategoryShortcut;
        default:
            return kCategoryNone;
    }
}

int ModifierOptionOfRow(int row) {
    if (row < 0 || row >= kModifierRows) return -1;
    return (row + 1) % 5 + (row + 1) / 5;
}

uint8_t ModifierBitOfOption(int option) {
    if (option < 1 || option > 4) return 0;
    return uint8_t(1 << (option - 1));
}

KeyboardKeyView DescribeKeyboardKey(uint8_t p1, uint8_t p2) {
    KeyboardKeyView view;
    const int key = FindKeyboardKeyRow(p2);
    const char* name = key < 0 ? "" : MacroKeyTable()[size_t(key)].nameKey;
    if (p1 != 0) {
        // Several modifier bits at once (any p1 above 0x80 among them) are
        // no single option: they are shown as no modifier.
        const int modifier = FindModifierRow(p1);
        view.option = modifier < 0 ? 0 : ModifierOptionOfRow(modifier);
        view.p1 = modifier < 0 ? 0 : p1;
        view.nameKey = name;
        return view;
    }
    if (key < 0) {
        view.clearCode = true;
        return view;
    }
    view.option = 0;
    view.nameKey = name;
    return view;
}

AssignmentCode EncodeTilt(const RepeatParams& params) {
    const int count = Clamp(params.count, 0, kTiltCountMax);
    const uint8_t p2 = params.second ? uint8_t(count | kSecondDirection) : uint8_t(count & 0x7F);
    return {assign_kind::kTilt, DelaySpeedByte(params), p2};
}

RepeatParams DecodeTilt(const AssignmentCode& code) {
    RepeatParams params = DelaySpeedOf(code.p1);
    params.second = (code.p2 & kSecondDirection) != 0;
    params.count = params.second ? code.p2 & 0x7F : code.p2;
    return params;
}

AssignmentCode EncodeWheel(const RepeatParams& params) {
    uint8_t p2 = 0;
    if (params.second) {
        const int count = Clamp(params.count, 1, kWheelDownMax);
        p2 = uint8_t((0x80 - count) | kSecondDirection);
    } else {
        p2 = uint8_t(Clamp(params.count, 0, kWheelUpMax) & 0x7F);
    }
    return {assign_kind::kWheel, DelaySpeedByte(params), p2};
}

RepeatParams DecodeWheel(const AssignmentCode& code) {
    RepeatParams params = DelaySpeedOf(code.p1);
    params.second = (code.p2 & kSecondDirection) != 0;
    params.count = params.second ? 128 - (code.p2 & 0x7F) : code.p2;
    return params;
}

AssignmentCode EncodeFireKey(int interval, int count) {
    return {assign_kind::kFireKey, uint8_t(Clamp(interval, kMinFireInterval, 0xFF)),
            uint8_t(Clamp(count, 0, 0xFF))};
}

uint8_t EditByte(const std::string& text) {
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    if (at < text.size() && text[at] == '+') ++at;
    // Kept modulo 256 while reading: the low byte of the number, however long.
    unsigned value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at)
        value = (value * 10 + unsigned(text[at] - '0')) & 0xFF;
    return uint8_t(value);
}

int FindScanRow(uint8_t scanCode, uint8_t extended) {
    const std::span<const ScanCodeRow> scans = ScanCodeTable();
    for (size_t row = 0; row < scans.size(); ++row)
        if (scans[row].scanCode == scanCode && scans[row].extended == extended) return int(row);
    return -1;
}

KeyCapture CaptureKey(uint8_t scanCode, uint8_t extended, int selectedOption) {
    KeyCapture capture;
    const int row = FindScanRow(scanCode, extended);
    if (row < 0) return capture;
    const KeyTableRow& key = MacroKeyTable()[size_t(row)];
    if (key.kind != assign_kind::kKeyboardKey) return capture;
    capture.accepted = true;
    capture.row = row;
    if (row < kModifierRows) {
        capture.option = ModifierOptionOfRow(row);
        capture.clearEdit = true;
        capture.code = {assign_kind::kKeyboardKey, key.modifier, key.usage};
        return capture;
    }
    capture.option = selectedOption >= 0 && selectedOption <= 4 ? selectedOption : 0;
    capture.nameKey = key.nameKey;
    capture.code = {assign_kind::kKeyboardKey, ModifierBitOfOption(capture.option), key.usage};
    return capture;
}

std::string AssignmentText(const AssignmentCode& code, const AssignmentTextContext& context) {
    const TextBuilder text(context);
    switch (code.kind) {
        case assign_kind::kDisabled:
        case assign_kind::kKeyboardKey:
            return text.KeyboardKey(code);
        case assign_kind::kMouseButton:
            return text.Name(RowWithP1(MouseButtonList(), code.kind, code.p1));
        case assign_kind::kDpi:
            return text.Name(RowWithP1(DpiFunctionList(), code.kind, code.p1));
        case assign_kind::kConsumer:
            return text.Name(RowWithCode(MediaList(), code));
        case assign_kind::kSystem:
            return text.Name(RowWithCode(SystemList(), code));
        case assign_kind::kTilt:
            return text.Name(code.p2 & kSecondDirection ? "mouse_key_right_Swing"
                                                        : "mouse_key_left_Swing");
        case assign_kind::kWheel:
            return text.Name(code.p2 & kSecondDirection ? "mouse_key_down_Swing"
                                                        : "mouse_key_up_Swing");
        case assign_kind::kFireKey:
            return text.Name("mouse_key_fire_key");
        case assign_kind::kDpiShift:
            return text.Name(RowWithKind(SpecialFunctionList(), code.kind));
        case 0x21:  // no row names it: no text
        case assign_kind::kShowWindow:
            return text.Name(RowWithCode(SpecialFunctionList(), code));
        case assign_kind::kNumberedShortcut: {
            const std::span<const FunctionRow> list = NumberedShortcutList();
            return code.p2 < list.size() ? text.Name(list[code.p2].nameKey) : "";
        }
        case assign_kind::kMacro:
        case assign_kind::kMacroRepeat:
            return text.Macro(code.p1);
        case assign_kind::kGunKey: {
            const std::span<const FunctionRow> list = GunKeyList();
            return !text.Keyboard() && code.p1 < list.size() ? text.Name(list[code.p1].nameKey)
                                                             : "";
        }
        case assign_kind::kMKey:
            return text.Keyboard() ? text.DeviceKey(code) : "";
        case assign_kind::kSpecial:
            return text.DeviceKey(code);
        default:
            return "";
    }
}

bool IsLastLeftButton(const std::vector<KeyListEntry>& list, int key) {
    if (key < 0 || size_t(key) >= list.size()) return false;
    if (!(list[size_t(key)].current.code == kLeftButtonCode)) return false;
    for (size_t other = 0; other < list.size(); ++other)
        if (other != size_t(key) && list[other].current.code == kLeftButtonCode) return false;
    return true;
}

bool RepairMacroReferences(std::vector<KeyListEntry>& list, int macroCount) {
    bool changed = false;
    for (KeyListEntry& entry : list) {
        const AssignmentCode& code = entry.current.code;
        if (!IsMacroKind(code.kind) || code.p1 < macroCount) continue;
        if (code == entry.defaultHalf.code) continue;
        entry.current.code = entry.defaultHalf.code;
        changed = true;
    }
    return changed;
}

}  // namespace tirk
