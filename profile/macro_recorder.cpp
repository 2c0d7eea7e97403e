#include "profile/macro_recorder.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string_view>

#include "profile/key_assignment.h"
#include "profile/key_tables.h"

namespace tirk {
namespace {

constexpr char kDown[] = "down";
constexpr char kUp[] = "up";

// Mouse table rows: 0 to 5 the three main buttons by message, 6 to 9 the
// extra buttons (forward, back), 10 to 13 the movements.
constexpr int kMainButtonRows = 6;
constexpr int kForwardRow = 6;
constexpr int kBackRow = 8;
constexpr int kButtonRows = 10;
constexpr int kMovementRow = 10;
constexpr uint8_t kDownBit = 0x80;
constexpr uint8_t kTypeMask = 0x7F;

// The message numbers of the extra buttons.
constexpr uint32_t kExtraButtonDown = 0x020B;
constexpr uint32_t kExtraButtonUp = 0x020C;
constexpr uint16_t kExtraBack = 1;
constexpr uint16_t kExtraForward = 2;

int IntMember(const Json::Value& event, const char* name) {
    if (!event.isObject()) return 0;
    const Json::Value& value = event[name];
    return value.isInt() ? value.asInt() : 0;
}

Json::Value EventOfMouseRow(int row) {
    const MacroMouseRow& mouse = MacroMouseTable()[size_t(row)];
    return MakeMacroEvent(MacroEventType(mouse.typeAction & kTypeMask), mouse.buttonBit,
                          (mouse.typeAction & kDownBit) != 0, Json::Value());
}

// The mouse table row of a recorded message; −1 when it has none.
int MouseRowOf(uint32_t message, uint16_t extraButton) {
    const std::span<const MacroMouseRow> rows = MacroMouseTable();
    for (int row = 0; row < kMainButtonRows; ++row)
        if (rows[size_t(row)].message == message) return row;
    const bool down = message == kExtraButtonDown;
    if (!down && message != kExtraButtonUp) return -1;
    if (extraButton == kExtraForward) return kForwardRow + (down ? 0 : 1);
    if (extraButton == kExtraBack) return kBackRow + (down ? 0 : 1);
    return -1;
}

const char* MouseButtonName(uint8_t button) {
    const std::span<const MacroMouseRow> rows = MacroMouseTable();
    for (int row = 0; row < kButtonRows; ++row)
        if (rows[size_t(row)].buttonBit == button) return rows[size_t(row)].nameKey;
    return "";
}

const char* MovementName(int type, bool press) {
    const uint8_t wanted = uint8_t(type | (press ? kDownBit : 0));
    const std::span<const MacroMouseRow> rows = MacroMouseTable();
    for (int row = kMovementRow; row < kMacroMouseRows; ++row)
        if (rows[size_t(row)].typeAction == wanted) return rows[size_t(row)].nameKey;
    return "";
}

bool IsMovement(int type) {
    return type == int(MacroEventType::MouseMoveX) || type == int(MacroEventType::MouseMoveY);
}

bool IsMouseType(int type) {
    return type == int(MacroEventType::MouseButton) || IsMovement(type);
}

struct MenuButton {
    const char* name;
    uint8_t bit;
};
// The buttons of the action menu's items and their button bits.
constexpr MenuButton kMenuButtons[] = {
    {"left", 0x01}, {"right", 0x02}, {"middle", 0x04}, {"forward", 0x10}, {"back", 0x08}};

// Reads the number at the start of `text`: leading blanks, a sign ('-' only
// when `withMinus`), then digits; reading stops at anything else, no digits
// is 0. Saturates far above any delay instead of overflowing.
long long LeadingNumber(std::string_view text, bool withMinus) {
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || (withMinus && text[at] == '-')))
        negative = text[at++] == '-';
    long long value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at)
        value = std::min(value * 10 + (text[at] - '0'), 1LL << 40);
    return negative ? -value : value;
}

}  // namespace

bool IsMacroRecordingKind(int kind) {
    return kind == macro_kind::kAppend || kind == macro_kind::kInsertBefore ||
           kind == macro_kind::kInsertAfter || kind == macro_kind::kReplace;
}

// ---- events ----------------------------------------------------------------------

Json::Value MakeMacroEvent(MacroEventType type, uint8_t button, bool down, Json::Value delay) {
    Json::Value event(Json::objectValue);
    event["Action"] = down ? kDown : kUp;
    event["Button"] = int(button);
    event["Delay"] = std::move(delay);
    event["Type"] = int(type);
    return event;
}

bool IsMacroPress(const Json::Value& event) {
    if (!event.isObject()) return false;
    const Json::Value& action = event["Action"];
    return action.isString() && action.asString() == kDown;
}

int MacroTypeOf(const Json::Value& event) {
    return IntMember(event, "Type");
}

std::optional<Json::Value> RecordedKeyEvent(uint8_t scanCode, uint8_t extended, bool press) {
    const int row = FindScanRow(scanCode, extended);
    if (row < 0) return std::nullopt;
    const KeyTableRow& key = MacroKeyTable()[size_t(row)];
    if (key.usage != 0)
        return MakeMacroEvent(MacroEventType::KeyboardKey, key.usage, press, Json::Value());
    return MakeMacroEvent(MacroEventType::ModifierKey, key.modifier, press, Json::Value());
}

std::optional<Json::Value> RecordedMouseEvent(uint32_t message, uint16_t extraButton) {
    const int row = MouseRowOf(message, extraButton);
    if (row < 0) return std::nullopt;
    return EventOfMouseRow(row);
}

Json::Value ReplacedMacroEvent(const Json::Value& selected, const Json::Value& captured) {
    Json::Value event = selected.isObject() ? selected : Json::Value(Json::objectValue);
    event["Button"] = captured["Button"];
    event["Type"] = captured["Type"];
    return event;
}

std::vector<Json::Value> MenuButtonEvents(const std::string& item, int fixedDelay) {
    const std::string delay = std::to_string(fixedDelay);
    for (const MenuButton& button : kMenuButtons) {
        const std::string prefix = std::string(button.name) + "_";
        if (item.rfind(prefix, 0) != 0) continue;
        const std::string what = item.substr(prefix.size());
        const auto event = [&](bool down) {
            return MakeMacroEvent(MacroEventType::MouseButton, button.bit, down, delay);
        };
        if (what == kDown) return {event(true)};
        if (what == kUp) return {event(false)};
        if (what == "click") return {event(true), event(false)};
        return {};
    }
    return {};
}

Json::Value MovementEvent(MacroMove move, uint8_t distance, int fixedDelay) {
    const bool horizontal = move == MacroMove::kLeft || move == MacroMove::kRight;
    const bool down = move == MacroMove::kLeft || move == MacroMove::kUp;
    return MakeMacroEvent(horizontal ? MacroEventType::MouseMoveX : MacroEventType::MouseMoveY,
                          distance, down, std::to_string(fixedDelay));
}

// ---- how a row shows an event ------------------------------------------------------

const char* MacroEventNameKey(const Json::Value& event) {
    const int type = MacroTypeOf(event);
    const int button = IntMember(event, "Button");
    if (button < 0 || button > 255) return "";
    int row = -1;
    switch (MacroEventType(type)) {
        case MacroEventType::KeyboardKey:
            row = FindKeyboardKeyRow(uint8_t(button));
            break;
        case MacroEventType::ModifierKey:
            row = FindModifierRow(uint8_t(button));
            break;
        case MacroEventType::MouseButton:
            return MouseButtonName(uint8_t(button));
        case MacroEventType::MouseMoveX:
        case MacroEventType::MouseMoveY:
            return MovementName(type, IsMacroPress(event));
        default:
            return "";
    }
    return row >= 0 ? MacroKeyTable()[size_t(row)].nameKey : "";
}

MacroRowView ViewOfMacroEvent(const Json::Value& event) {
    MacroRowView view;
    const int type = MacroTypeOf(event);
    view.nameKey = MacroEventNameKey(event);
    view.mouse = IsMouseType(type);
    view.movement = IsMovement(type);
    view.press = IsMacroPress(event);
    view.distance = IntMember(event, "Button");
    view.delayText = std::to_string(MacroDelay(event.isObject() ? event["Delay"] : Json::Value()));
    return view;
}

std::string SavedDelayText(const std::string& editText) {
    if (editText.empty()) return "0";
    const long long value =
        std::clamp<long long>(LeadingNumber(editText, true), INT32_MIN, INT32_MAX);
    return std::to_string(value);
}

// ---- placement -----------------------------------------------------------------------

MacroPlacement PlaceRecordedEvent(int kind, int rowCount, int selected, MacroDelayMode mode,
                                  int fixedDelay) {
    MacroPlacement place;
    const bool hasSelection = selected >= 0 && selected < rowCount;
    const bool full = rowCount >= kMaxRecordedRows;
    const Json::Value laterDelay =
        mode == MacroDelayMode::kConstantTime ? Json::Value(fixedDelay) : Json::Value("0");
    switch (kind) {
        case macro_kind::kAppend:
            if (full) return place;
            place.row = rowCount;
            place.previousRow = rowCount - 1;
            break;
        case macro_kind::kInsertBefore:
            if (!hasSelection || full) return place;
            place.row = selected;
            place.previousRow = selected - 1;
            place.select = selected + 1;
            break;
        case macro_kind::kInsertAfter:
            if (!hasSelection || full) return place;
            place.row = selected + 1;
            place.previousRow = selected;
            break;
        case macro_kind::kReplace:
            if (!hasSelection) return place;
            place.op = MacroPlacement::Op::kReplace;
            place.row = place.select = selected;
            return place;
        default:
            return place;
    }
    place.op = MacroPlacement::Op::kInsert;
    if (place.select < 0) place.select = place.row;
    // A row with nothing before it waits for nothing.
    place.delay = place.previousRow < 0 ? Json::Value(0) : laterDelay;
    return place;
}

ManualPlacement PlaceManualEvent(int rowCount, int selected) {
    if (rowCount <= 0) return {0, -1};
    const int row = selected >= 0 && selected < rowCount ? selected + 1 : 1;
    return {row, row};
}

// ---- the fixed-delay edit ----------------------------------------------------------

FixedDelayReading ReadFixedDelay(const std::string& text, int stored) {
    FixedDelayReading reading;
    reading.value = stored;
    const long long value = LeadingNumber(text, false);
    if (value == stored) return reading;
    reading.changed = true;
    reading.raised = value < kMinFixedDelay;
    reading.value = int(std::clamp<long long>(value, kMinFixedDelay, kMaxFixedDelay));
    return reading;
}

// ---- the recording state -------------------------------------------------------------

void MacroRecorder::Start(MacroDelayMode mode, int64_t nowMs) {
    m_mode = mode;
    m_lastEventMs = nowMs;
    m_keys = {};
    m_mouse = {};
}

FixedDelayReading MacroRecorder::TakeFixedDelay(const std::string& editText) {
    const FixedDelayReading reading = ReadFixedDelay(editText, m_fixedDelay);
    m_fixedDelay = reading.value;
    return reading;
}

int MacroRecorder::TakeDelay(int64_t nowMs) {
    switch (m_mode) {
        case MacroDelayMode::kConstantTime:
            return m_fixedDelay;
        case MacroDelayMode::kIgnoreTime:
            return 0;
        case MacroDelayMode::kRecordTime:
            break;
    }
    const int64_t elapsed = std::max<int64_t>(nowMs - m_lastEventMs, 0);
    m_lastEventMs = nowMs;
    return elapsed > 65534 ? 65535 : int(elapsed);
}

int MacroRecorder::Slot(int kind) {
    switch (kind) {
        case macro_kind::kAppend:
            return 0;
        case macro_kind::kInsertBefore:
            return 1;
        case macro_kind::kInsertAfter:
            return 2;
        case macro_kind::kReplace:
            return 3;
        default:
            return -1;
    }
}

bool MacroRecorder::PassKey(int kind, uint8_t scanCode, uint8_t extended, bool press) {
    const int slot = Slot(kind);
    if (slot < 0) return false;
    HeldKey& last = m_keys[size_t(slot)];
    const bool same = last.held && last.scanCode == scanCode && last.extended == extended;
    if (press) {
        if (same) return false;
        last = {true, scanCode, extended};
    } else if (same) {
        last = {};
    }
    return true;
}

bool MacroRecorder::PassMouse(int kind, uint32_t message) {
    const int slot = Slot(kind);
    if (slot < 0 || m_mouse[size_t(slot)] == message) return false;
    m_mouse[size_t(slot)] = message;
    return true;
}

}  // namespace tirk
