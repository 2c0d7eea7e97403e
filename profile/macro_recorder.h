// The rules of the macro page without its controls: which event a recorded
// key or mouse button gives, where a recorded or hand-inserted event goes
// among the rows and which delays change, the delay of a recorded event, the
// auto-repeat filter, the fixed-delay edit and how a row shows an event. The
// page (profile/panel/macro_control) applies the answers to its rows; each
// row's event is a JSON object {"Action", "Button", "Delay", "Type"} as the
// macro files hold it (profile/macro_store.h). Plain C++.
#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profile/macro_store.h"

namespace tirk {

/// How a recording takes the time between events.
enum class MacroDelayMode : int {
    kRecordTime = 1,    ///< the time that passed
    kConstantTime = 2,  ///< the fixed delay
    kIgnoreTime = 3,    ///< 0
};

/// The recording kinds: the input hook's kinds the macro page starts.
namespace macro_kind {
inline constexpr int kAppend = 4;        ///< at the end
inline constexpr int kInsertBefore = 8;  ///< before the selected row
inline constexpr int kInsertAfter = 16;  ///< after the selected row
inline constexpr int kReplace = 32;      ///< the selected row's key or button
}  // namespace macro_kind

/// True for the four kinds above.
bool IsMacroRecordingKind(int kind);

inline constexpr int kMaxRecordedRows = 4000;
inline constexpr int kDefaultFixedDelay = 50;
inline constexpr int kMinFixedDelay = 2;
inline constexpr int kMaxFixedDelay = 65535;

// ---- events ----------------------------------------------------------------------

/// {"Action": "down"/"up", "Button": button, "Delay": delay, "Type": type}.
Json::Value MakeMacroEvent(MacroEventType type, uint8_t button, bool down, Json::Value delay);
/// True when "Action" is exactly "down" (as packing reads it).
bool IsMacroPress(const Json::Value& event);
/// The "Type" of an event; 0 when it has none.
int MacroTypeOf(const Json::Value& event);

/// The event a recorded key gives (without "Delay"): the first scan table
/// row with this scan code and E0 flag; a key with a usage is a keyboard key
/// (type 10), a modifier a modifier key (type 9). nullopt when no row has it.
std::optional<Json::Value> RecordedKeyEvent(uint8_t scanCode, uint8_t extended, bool press);
/// The event a recorded mouse-button message gives (without "Delay"): rows 0
/// to 5 of the mouse table by message; the extra buttons by their number
/// (2 forward, 1 back). nullopt for any other message or number.
std::optional<Json::Value> RecordedMouseEvent(uint32_t message, uint16_t extraButton);

/// The selected row's event after a replacement by `captured`: its "Action"
/// and "Delay" stay, "Button" and "Type" are the captured event's.
Json::Value ReplacedMacroEvent(const Json::Value& selected, const Json::Value& captured);

/// The events a mouse-button item of the action menu inserts ("left_down",
/// "right_up", "back_click", … : a press, a release, or both in that order),
/// each with "Delay" the fixed delay as text. Empty for any other name.
std::vector<Json::Value> MenuButtonEvents(const std::string& item, int fixedDelay);

enum class MacroMove { kLeft, kRight, kUp, kDown };
/// A movement insert: type 4 ("down" left, "up" right) or 5 ("down" up, "up"
/// down), "Button" the distance, "Delay" the fixed delay as text.
Json::Value MovementEvent(MacroMove move, uint8_t distance, int fixedDelay);

// ---- how a row shows an event ------------------------------------------------------

/// The language key naming an event: keyboard keys and modifiers by the key
/// table, mouse buttons and movements by the mouse table; "" when no row
/// names it.
const char* MacroEventNameKey(const Json::Value& event);

struct MacroRowView {
    const char* nameKey = "";  ///< MacroEventNameKey
    bool mouse = false;        ///< a mouse event (else a key)
    bool movement = false;     ///< the action label shows the distance, not press/release
    bool press = false;
    int distance = 0;       ///< movements: "Button"
    std::string delayText;  ///< the delay edit's text: "Delay" within 0 to 65535
};
MacroRowView ViewOfMacroEvent(const Json::Value& event);

/// The text a row's delay edit gives its event on saving: an empty text is
/// "0"; otherwise the text read as a decimal integer (leading blanks and a
/// sign allowed, reading stops at the first other character, no number is 0).
std::string SavedDelayText(const std::string& editText);

// ---- placement -----------------------------------------------------------------------

/// What a recorded event does to the rows.
struct MacroPlacement {
    enum class Op { kDrop, kInsert, kReplace };
    Op op = Op::kDrop;
    int row = -1;          ///< kInsert: the new row's position; kReplace: the row replaced
    Json::Value delay;     ///< kInsert: the new row's "Delay"
    int previousRow = -1;  ///< the row that takes the captured delay; −1 none
    int select = -1;       ///< the row selected afterwards
};
/// Where an event recorded with `kind` goes in a list of `rowCount` rows
/// with row `selected` chosen (−1 none). Appending stops at 4000 rows, the
/// inserts need a chosen row and fewer than 4000 rows, a replacement a
/// chosen row. A new first row has the number 0 as "Delay"; any other new
/// row the fixed delay (number) in mode 2, else the text "0".
MacroPlacement PlaceRecordedEvent(int kind, int rowCount, int selected, MacroDelayMode mode,
                                  int fixedDelay);

/// Where a hand-inserted event goes: after the chosen row, after the first
/// row when none is chosen, at 0 in an empty list (which then has no row
/// chosen). `select` is the row chosen afterwards (−1 none).
struct ManualPlacement {
    int row = 0;
    int select = -1;
};
ManualPlacement PlaceManualEvent(int rowCount, int selected);

// ---- the fixed-delay edit ----------------------------------------------------------

struct FixedDelayReading {
    int value = kDefaultFixedDelay;  ///< the fixed delay from now on
    bool changed = false;            ///< differs from before: the edit shows `value`
    bool raised = false;             ///< was below 2: the user is told
};
/// Reads the edit's text as an unsigned decimal number (no digits: 0); a
/// value other than `stored` is kept within 2 to 65535.
FixedDelayReading ReadFixedDelay(const std::string& text, int stored);

// ---- the recording state -------------------------------------------------------------

/// The delay mode, the time of the last recorded event, the fixed delay and
/// the auto-repeat memory of each recording kind.
class MacroRecorder {
public:
    /// A new recording: its mode, its start time (the first event's delay is
    /// measured from it) and no remembered key or button.
    void Start(MacroDelayMode mode, int64_t nowMs);
    MacroDelayMode Mode() const { return m_mode; }

    int FixedDelay() const { return m_fixedDelay; }
    /// Reads the fixed-delay edit (ReadFixedDelay) and keeps the value.
    FixedDelayReading TakeFixedDelay(const std::string& editText);

    /// The delay of an event recorded at `nowMs`: the fixed delay in mode 2,
    /// 0 in mode 3; in mode 1 the milliseconds since the last event (or the
    /// start), above 65534 as 65535, and the event becomes the last one.
    int TakeDelay(int64_t nowMs);

    /// The auto-repeat filter of the key handler of `kind`: false for a press
    /// of the key pressed last and not yet released (a held key repeats).
    bool PassKey(int kind, uint8_t scanCode, uint8_t extended, bool press);
    /// The repeat filter of the mouse handler of `kind`: false for the same
    /// message as the last one.
    bool PassMouse(int kind, uint32_t message);

private:
    struct HeldKey {
        bool held = false;
        uint8_t scanCode = 0;
        uint8_t extended = 0;
    };
    static int Slot(int kind);

    MacroDelayMode m_mode = MacroDelayMode::kRecordTime;
    int m_fixedDelay = kDefaultFixedDelay;
    int64_t m_lastEventMs = 0;
    std::array<HeldKey, 4> m_keys{};
    std::array<uint32_t, 4> m_mouse{};
};

}  // namespace tirk
