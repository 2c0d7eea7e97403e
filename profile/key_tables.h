// The fixed key tables that key assignments and macros are chosen from and
// named by: the 143-row key table, the 113-row scan table of recorded keys,
// the 14-row mouse table of recorded mouse events, and the function lists of
// the key-assignment panel. Pure data; names are language keys.
#pragma once

#include <cstdint>
#include <span>

#include "profile/profile_records.h"

namespace tirk {

/// A row of the key table: the assignment it stands for and its name key.
struct KeyTableRow {
    uint8_t kind = 0;      ///< 0x20 keyboard key, 0x30 consumer, 0x40 system, 0xA0, 0xD0
    uint8_t modifier = 0;  ///< modifier bit (rows 0 to 7), else the code's p1
    uint8_t usage = 0;     ///< HID usage (keyboard rows), else the code's p2
    const char* nameKey = "";
};

/// A row of the scan table: the PC/AT set-1 make code and its E0 flag.
struct ScanCodeRow {
    uint8_t scanCode = 0;
    uint8_t extended = 0;
};

/// A row of the mouse table of recorded mouse events.
struct MacroMouseRow {
    uint16_t message = 0;  ///< the button or move message number
    uint8_t buttonBit = 0;
    uint8_t typeAction = 0;  ///< bit 7 "down", low 7 bits the event type
    const char* nameKey = "";
};

/// A row of a function list: its code and its name key. The row number is
/// the row's position in its list (a combo box index).
struct FunctionRow {
    AssignmentCode code;
    const char* nameKey = "";
};

inline constexpr int kMacroKeyRows = 143;
inline constexpr int kMacroKeyboardRows = 114;  ///< rows 0 to 113 are kind 0x20
inline constexpr int kModifierRows = 8;         ///< rows 0 to 7 are the modifiers
inline constexpr int kScanCodeRows = 113;
inline constexpr int kMacroMouseRows = 14;

std::span<const KeyTableRow> MacroKeyTable();
std::span<const ScanCodeRow> ScanCodeTable();
std::span<const MacroMouseRow> MacroMouseTable();

// ---- the function lists, in combo box order ----
std::span<const FunctionRow> MouseButtonList();
std::span<const FunctionRow> DpiFunctionList();
std::span<const FunctionRow> MediaList();
std::span<const FunctionRow> SystemList();
std::span<const FunctionRow> ShortcutList();
std::span<const FunctionRow> GunKeyList();
/// Display only: kind 0x22 with p2 = 0 to 8.
std::span<const FunctionRow> NumberedShortcutList();
/// Display only: names codes of kinds 0x16, 0x21, 0x23 and 0xA0.
std::span<const FunctionRow> SpecialFunctionList();

/// The first row of `list` whose code has `kind`, `p1` and `p2`; −1 when none.
int FindFunctionRow(std::span<const FunctionRow> list, uint8_t kind, uint8_t p1, uint8_t p2);

// ---- key table look-ups ----

/// The first key table row with `kind`, `modifier` and `usage`; −1 when none.
int FindKeyTableRow(uint8_t kind, uint8_t modifier, uint8_t usage);
/// The modifier row (0 to 7) whose bit is `bit`; −1 when none (also for 0
/// and for several bits at once).
int FindModifierRow(uint8_t bit);
/// The first keyboard row from row 8 on (kind 0x20, modifier 0) with HID
/// usage `usage`; −1 when none (always for usage 0).
int FindKeyboardKeyRow(uint8_t usage);

}  // namespace tirk
