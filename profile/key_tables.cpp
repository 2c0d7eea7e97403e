#include "profile/key_tables.h"

#include <iterator>

namespace tirk {
namespace {

// Rows 0 to 113 are keyboard keys (kind 0x20): the eight modifiers carry
// their modifier bit and no usage, every other key its HID keyboard usage.
// Rows 114 to 142 are not keyboard keys; there `modifier` and `usage` hold
// the code's p1 and p2 (consumer usage low and high byte, system bit,
// M-key and special-key numbers).
constexpr KeyTableRow Key(uint8_t usage, const char* nameKey) {
    return {0x20, 0x00, usage, nameKey};
}
constexpr KeyTableRow Modifier(uint8_t bit, const char* nameKey) {
    return {0x20, bit, 0x00, nameKey};
}
constexpr KeyTableRow Consumer(uint16_t usage, const char* nameKey) {
    return {0x30, uint8_t(usage & 0xFF), uint8_t(usage >> 8), nameKey};
}
constexpr KeyTableRow Code(uint8_t kind, uint8_t p1, uint8_t p2, const char* nameKey) {
    return {kind, p1, p2, nameKey};
}

constexpr KeyTableRow kMacroKeyTable[] = {
    // 0 to 7: the modifiers.
    Modifier(0x01, "keyboard_key_LCtrl"),
    Modifier(0x02, "keyboard_key_LShift"),
    Modifier(0x04, "keyboard_key_LAlt"),
    Modifier(0x08, "keyboard_key_LWin"),
    Modifier(0x10, "keyboard_key_RCtrl"),
    Modifier(0x20, "keyboard_key_RShift"),
    Modifier(0x40, "keyboard_key_RAlt"),
    Modifier(0x80, "keyboard_key_RWin"),
    // 8 to 33: letters.
    Key(0x04, "keyboard_key_A"),
    Key(0x05, "keyboard_key_B"),
    Key(0x06, "keyboard_key_C"),
    Key(0x07, "keyboard_key_D"),
    Key(0x08, "keyboard_key_E"),
    Key(0x09, "keyboard_key_F"),
    Key(0x0A, "keyboard_key_G"),
    Key(0x0B, "keyboard_key_H"),
    Key(0x0C, "keyboard_key_I"),
    Key(0x0D, "keyboard_key_J"),
    Key(0x0E, "keyboard_key_K"),
    Key(0x0F, "keyboard_key_L"),
    Key(0x10, "keyboard_key_M"),
    Key(0x11, "keyboard_key_N"),
    Key(0x12, "keyboard_key_O"),
    Key(0x13, "keyboard_key_P"),
    Key(0x14, "keyboard_key_Q"),
    Key(0x15, "keyboard_key_R"),
    Key(0x16, "keyboard_key_S"),
    Key(0x17, "keyboard_key_T"),
    Key(0x18, "keyboard_key_U"),
    Key(0x19, "keyboard_key_V"),
    Key(0x1A, "keyboard_key_W"),
    Key(0x1B, "keyboard_key_X"),
    Key(0x1C, "keyboard_key_Y"),
    Key(0x1D, "keyboard_key_Z"),
    // 34 to 43: digits.
    Key(0x1E, "keyboard_key_1"),
    Key(0x1F, "keyboard_key_2"),
    Key(0x20, "keyboard_key_3"),
    Key(0x21, "keyboard_key_4"),
    Key(0x22, "keyboard_key_5"),
    Key(0x23, "keyboard_key_6"),
    Key(0x24, "keyboard_key_7"),
    Key(0x25, "keyboard_key_8"),
    Key(0x26, "keyboard_key_9"),
    Key(0x27, "keyboard_key_0"),
    // 44 to 60: editing keys and punctuation (usage 0x32 is row 113).
    Key(0x28, "keyboard_key_Enter"),
    Key(0x29, "keyboard_key_Esc"),
    Key(0x2A, "keyboard_key_BackSpace"),
    Key(0x2B, "keyboard_key_Tab"),
    Key(0x2C, "keyboard_key_Space"),
    Key(0x2D, "keyboard_key_-"),
    Key(0x2E, "keyboard_key_="),
    Key(0x2F, "keyboard_key_["),
    Key(0x30, "keyboard_key_]"),
    Key(0x31, "keyboard_key_xiegang"),
    Key(0x33, "keyboard_key_;"),
    Key(0x34, "keyboard_key_'"),
    Key(0x35, "keyboard_key_`"),
    Key(0x36, "keyboard_key_<"),
    Key(0x37, "keyboard_key_."),
    Key(0x38, "keyboard_key_/"),
    Key(0x39, "keyboard_key_Caplk"),
    // 61 to 72: function keys.
    Key(0x3A, "keyboard_key_F1"),
    Key(0x3B, "keyboard_key_F2"),
    Key(0x3C, "keyboard_key_F3"),
    Key(0x3D, "keyboard_key_F4"),
    Key(0x3E, "keyboard_key_F5"),
    Key(0x3F, "keyboard_key_F6"),
    Key(0x40, "keyboard_key_F7"),
    Key(0x41, "keyboard_key_F8"),
    Key(0x42, "keyboard_key_F9"),
    Key(0x43, "keyboard_key_F10"),
    Key(0x44, "keyboard_key_F11"),
    Key(0x45, "keyboard_key_F12"),
    // 73 to 85: system and navigation keys.
    Key(0x46, "keyboard_key_Print Scr"),
    Key(0x47, "keyboard_key_Scroll Lock"),
    Key(0x48, "keyboard_key_Pause"),
    Key(0x49, "keyboard_key_Insert"),
    Key(0x4A, "keyboard_key_Home"),
    Key(0x4B, "keyboard_key_Page Up"),
    Key(0x4C, "keyboard_key_Delete"),
    Key(0x4D, "keyboard_key_End"),
    Key(0x4E, "keyboard_key_Page Down"),
    Key(0x4F, "keyboard_key_Right"),
    Key(0x50, "keyboard_key_Left"),
    Key(0x51, "keyboard_key_Down"),
    Key(0x52, "keyboard_key_Up"),
    // 86 to 102: the number pad.
    Key(0x53, "keyboard_key_Num Lock"),
    Key(0x54, "keyboard_key_Num /"),
    Key(0x55, "keyboard_key_Num *"),
    Key(0x56, "keyboard_key_Num -"),
    Key(0x57, "keyboard_key_Num +"),
    Key(0x58, "keyboard_key_Num Enter"),
    Key(0x59, "keyboard_key_Num 1"),
    Key(0x5A, "keyboard_key_Num 2"),
    Key(0x5B, "keyboard_key_Num 3"),
    Key(0x5C, "keyboard_key_Num 4"),
    Key(0x5D, "keyboard_key_Num 5"),
    Key(0x5E, "keyboard_key_Num 6"),
    Key(0x5F, "keyboard_key_Num 7"),
    Key(0x60, "keyboard_key_Num 8"),
    Key(0x61, "keyboard_key_Num 9"),
    Key(0x62, "keyboard_key_Num 0"),
    Key(0x63, "keyboard_key_Decimal"),
    // 103: the menu key.
    Key(0x65, "keyboard_key_App"),
    // 104 to 113: the international keys, named by their key position.
    Key(0x64, "keyboard_key_K45"),   // non-US \ and |
    Key(0x87, "keyboard_key_K56"),   // International 1 (Ro)
    Key(0x89, "keyboard_key_K14"),   // International 3 (Yen)
    Key(0x85, "keyboard_key_K107"),  // keypad comma
    Key(0x8B, "keyboard_key_K131"),  // International 5 (Muhenkan)
    Key(0x8A, "keyboard_key_K132"),  // International 4 (Henkan)
    Key(0x88, "keyboard_key_K133"),  // International 2 (Katakana/Hiragana)
    Key(0x91, "keyboard_key_K150"),  // LANG 2 (Hanja)
    Key(0x90, "keyboard_key_K151"),  // LANG 1 (Han/Yeong)
    Key(0x32, "keyboard_key_K42"),   // non-US # and ~
    // 114 to 131: consumer keys, with the media list's usages.
    Consumer(0x0192, "keyboard_key_Launch App2"),  // calculator
    Consumer(0x0223, "keyboard_key_Browaer Home"),
    Consumer(0x00CD, "keyboard_key_Media Play Pause"),
    Consumer(0x0221, "keyboard_key_Browser Search"),
    Consumer(0x018A, "keyboard_key_Launch Mail"),
    Consumer(0x00E9, "keyboard_key_Volume Up"),
    Consumer(0x00E2, "keyboard_key_Volume Mute"),
    Consumer(0x00B7, "keyboard_key_Media Stop"),
    Consumer(0x00EA, "keyboard_key_Volume Down"),
    Consumer(0x022A, "keyboard_key_Browser Favorites"),
    Consumer(0x0225, "keyboard_key_Browser ForWard"),
    Consumer(0x0224, "keyboard_key_Browser Back"),
    Consumer(0x00B6, "keyboard_key_Media Prev Track"),
    Consumer(0x00B5, "keyboard_key_Media Next Track"),
    Consumer(0x0194, "keyboard_key_Computer"),
    Consumer(0x0227, "keyboard_key_Browser Refresh"),
    Consumer(0x0226, "wed_stop"),
    Consumer(0x0183, "keyboard_key_Launch Media Select"),
    // 132 to 134: system keys.
    Code(0x40, 0x01, 0x00, "keyboard_key_Power"),
    Code(0x40, 0x02, 0x00, "keyboard_key_Sleep"),
    Code(0x40, 0x04, 0x00, "keyboard_key_Wakeup"),
    // 135 to 142: the keyboard's own keys.
    Code(0xD0, 0xA2, 0x01, "keyboard_key_M1"),
    Code(0xD0, 0xA2, 0x02, "keyboard_key_M2"),
    Code(0xD0, 0xA2, 0x03, "keyboard_key_M3"),
    Code(0xD0, 0xA2, 0x04, "keyboard_key_M4"),
    Code(0xD0, 0xA2, 0x05, "keyboard_key_M5"),
    Code(0xA0, 0x01, 0x00, "keyboard_key_FN"),
    Code(0xA0, 0x1B, 0x00, "keyboard_key_GM"),
    Code(0xA0, 0x11, 0x00, "keyboard_key_COLOR"),
};

// Row i is the set-1 make code of key table row i.
// clang-format off
constexpr ScanCodeRow kScanCodeTable[] = {
    // 0 to 7: LCtrl, LShift, LAlt, LWin, RCtrl, RShift, RAlt, RWin.
    {0x1D, 0}, {0x2A, 0}, {0x38, 0}, {0x5B, 1}, {0x1D, 1}, {0x36, 1}, {0x38, 1}, {0x5C, 1},
    // 8 to 33: A to Z.
    {0x1E, 0}, {0x30, 0}, {0x2E, 0}, {0x20, 0}, {0x12, 0}, {0x21, 0}, {0x22, 0},  // A to G
    {0x23, 0}, {0x17, 0}, {0x24, 0}, {0x25, 0}, {0x26, 0}, {0x32, 0}, {0x31, 0},  // H to N
    {0x18, 0}, {0x19, 0}, {0x10, 0}, {0x13, 0}, {0x1F, 0}, {0x14, 0}, {0x16, 0},  // O to U
    {0x2F, 0}, {0x11, 0}, {0x2D, 0}, {0x15, 0}, {0x2C, 0},                        // V to Z
    // 34 to 43: 1 to 9, 0.
    {0x02, 0}, {0x03, 0}, {0x04, 0}, {0x05, 0}, {0x06, 0},
    {0x07, 0}, {0x08, 0}, {0x09, 0}, {0x0A, 0}, {0x0B, 0},
    // 44 to 60: Enter, Esc, Backspace, Tab, Space, - = [ ] \ ; ' ` , . /, Caps Lock.
    {0x1C, 0}, {0x01, 0}, {0x0E, 0}, {0x0F, 0}, {0x39, 0}, {0x0C, 0}, {0x0D, 0},
    {0x1A, 0}, {0x1B, 0}, {0x2B, 0}, {0x27, 0}, {0x28, 0}, {0x29, 0}, {0x33, 0},
    {0x34, 0}, {0x35, 0}, {0x3A, 0},
    // 61 to 72: F1 to F12.
    {0x3B, 0}, {0x3C, 0}, {0x3D, 0}, {0x3E, 0}, {0x3F, 0}, {0x40, 0},
    {0x41, 0}, {0x42, 0}, {0x43, 0}, {0x44, 0}, {0x57, 0}, {0x58, 0},
    // 73 to 75: Print Screen, Scroll Lock, Pause.
    {0x37, 1}, {0x46, 0}, {0x45, 0},
    // 76 to 85: Insert, Home, Page Up, Delete, End, Page Down, Right, Left, Down, Up.
    {0x52, 1}, {0x47, 1}, {0x49, 1}, {0x53, 1}, {0x4F, 1},
    {0x51, 1}, {0x4D, 1}, {0x4B, 1}, {0x50, 1}, {0x48, 1},
    // 86 to 91: Num Lock, Num /, Num *, Num -, Num +, Num Enter.
    {0x45, 1}, {0x35, 1}, {0x37, 0}, {0x4A, 0}, {0x4E, 0}, {0x1C, 1},
    // 92 to 102: Num 1 to Num 9, Num 0, Num decimal.
    {0x4F, 0}, {0x50, 0}, {0x51, 0}, {0x4B, 0}, {0x4C, 0}, {0x4D, 0},
    {0x47, 0}, {0x48, 0}, {0x49, 0}, {0x52, 0}, {0x53, 0},
    // 103: App.
    {0x5D, 1},
    // 104 to 112: K45, K56, K14, K107, K131, K132, K133, K150, K151 (K42 has none).
    {0x56, 0}, {0x73, 0}, {0x7D, 0}, {0x7E, 0}, {0x7B, 0}, {0x79, 0}, {0x70, 0}, {0x71, 0},
    {0x72, 0},
};
// clang-format on

constexpr MacroMouseRow kMacroMouseTable[] = {
    {0x0201, 0x01, 0x81, "mouse_key_left"},
    {0x0202, 0x01, 0x01, "mouse_key_left"},
    {0x0204, 0x02, 0x81, "mouse_key_right"},
    {0x0205, 0x02, 0x01, "mouse_key_right"},
    {0x0207, 0x04, 0x81, "mouse_key_middle"},
    {0x0208, 0x04, 0x01, "mouse_key_middle"},
    {0x020B, 0x10, 0x81, "mouse_key_forward"},
    {0x020C, 0x10, 0x01, "mouse_key_forward"},
    {0x020B, 0x08, 0x81, "mouse_key_back"},
    {0x020C, 0x08, 0x01, "mouse_key_back"},
    {0x0004, 0x00, 0x84, "mouse_move_to_left_text"},
    {0x0004, 0x00, 0x04, "mouse_move_to_right_text"},
    {0x0005, 0x00, 0x85, "mouse_move_to_up_text"},
    {0x0005, 0x00, 0x05, "mouse_move_to_down_text"},
};

constexpr FunctionRow Row(uint8_t kind, uint8_t p1, uint8_t p2, const char* nameKey) {
    return {AssignmentCode{kind, p1, p2}, nameKey};
}

constexpr FunctionRow kMouseButtons[] = {
    Row(0x10, 0x01, 0x00, "mouse_key_left"),  Row(0x10, 0x04, 0x00, "mouse_key_middle"),
    Row(0x10, 0x02, 0x00, "mouse_key_right"), Row(0x10, 0x10, 0x00, "mouse_key_forward"),
    Row(0x10, 0x08, 0x00, "mouse_key_back"),
};

constexpr FunctionRow kDpiFunctions[] = {
    Row(0x13, 0x01, 0x00, "mouse_key_DPI_add"),
    Row(0x13, 0x02, 0x00, "mouse_key_DPI_sub"),
    Row(0x13, 0x03, 0x00, "mouse_key_DPI_loop"),
};

constexpr FunctionRow kMedia[] = {
    Row(0x30, 0x83, 0x01, "media_text"),    Row(0x30, 0xCD, 0x00, "media_play"),
    Row(0x30, 0xB7, 0x00, "media_stop"),    Row(0x30, 0xB6, 0x00, "media_prev"),
    Row(0x30, 0xB5, 0x00, "media_next"),    Row(0x30, 0xEA, 0x00, "media_vol_sub"),
    Row(0x30, 0xE9, 0x00, "media_vol_add"), Row(0x30, 0xE2, 0x00, "media_mute"),
    Row(0x30, 0x23, 0x02, "web_text"),      Row(0x30, 0x27, 0x02, "web_refresh"),
    Row(0x30, 0x26, 0x02, "wed_stop"),      Row(0x30, 0x24, 0x02, "wed_back"),
    Row(0x30, 0x25, 0x02, "wed_forward"),   Row(0x30, 0x2A, 0x02, "wed_favorite"),
    Row(0x30, 0x21, 0x02, "web_search"),    Row(0x30, 0x94, 0x01, "media_mypc"),
    Row(0x30, 0x92, 0x01, "media_calc"),    Row(0x30, 0x8A, 0x01, "media_mail"),
};

constexpr FunctionRow kSystem[] = {
    Row(0x40, 0x01, 0x00, "system_power"),
    Row(0x40, 0x02, 0x00, "system_sleep"),
    Row(0x40, 0x04, 0x00, "system_wake_up"),
};

// Right Ctrl with a key.
constexpr FunctionRow kShortcuts[] = {
    Row(0x20, 0x10, 0x12, "custem_open"),       Row(0x20, 0x10, 0x11, "custem_new"),
    Row(0x20, 0x10, 0x1D, "custem_undo"),       Row(0x20, 0x10, 0x16, "custem_save"),
    Row(0x20, 0x10, 0x06, "custem_copy"),       Row(0x20, 0x10, 0x1B, "custem_cut"),
    Row(0x20, 0x10, 0x19, "custem_paste"),      Row(0x20, 0x10, 0x09, "custem_find"),
    Row(0x20, 0x10, 0x04, "custem_select_all"), Row(0x20, 0x10, 0x2D, "custem_narrow"),
    Row(0x20, 0x10, 0x2E, "custem_magnify"),
};

constexpr FunctionRow kGunKeys[] = {
    Row(0x72, 0x00, 0x00, "gun_1_txt"),
    Row(0x72, 0x01, 0x00, "gun_2_txt"),
    Row(0x72, 0x02, 0x00, "gun_3_txt"),
    Row(0x72, 0x03, 0x00, "gun_4_txt"),
};

constexpr FunctionRow kNumberedShortcuts[] = {
    Row(0x22, 0x00, 0x00, "custem_open"),       Row(0x22, 0x00, 0x01, "custem_new"),
    Row(0x22, 0x00, 0x02, "custem_undo"),       Row(0x22, 0x00, 0x03, "custem_save"),
    Row(0x22, 0x00, 0x04, "custem_copy"),       Row(0x22, 0x00, 0x05, "custem_cut"),
    Row(0x22, 0x00, 0x06, "custem_paste"),      Row(0x22, 0x00, 0x07, "custem_find"),
    Row(0x22, 0x00, 0x08, "custem_select_all"),
};

// Middle and right have the bits 0x02 and 0x04 here, the other way round
// from the mouse-button list; the list only names codes of kinds 0x16, 0x21,
// 0x23 and 0xA0, so its button rows are never looked up.
constexpr FunctionRow kSpecialFunctions[] = {
    Row(0x10, 0x01, 0x00, "mouse_key_left"),
    Row(0x10, 0x02, 0x00, "mouse_key_middle"),
    Row(0x10, 0x04, 0x00, "mouse_key_right"),
    Row(0x10, 0x10, 0x00, "mouse_key_forward"),
    Row(0x10, 0x08, 0x00, "mouse_key_back"),
    Row(0x14, 0x50, 0x02, "mouse_key_fire_key"),
    Row(0x20, 0x00, 0x00, "mouse_key_shortcut_key"),
    Row(0x20, 0x80, 0x00, "win_key_text"),
    Row(0xA0, 0x02, 0x00, "mouse_key_smart_key"),
    Row(0xA0, 0x00, 0x00, "close_text"),
    Row(0x13, 0x03, 0x00, "mouse_key_DPI_loop"),
    Row(0x13, 0x01, 0x00, "mouse_key_DPI_add"),
    Row(0x13, 0x02, 0x00, "mouse_key_DPI_sub"),
    Row(0x16, 0x00, 0x00, "mouse_key_DPI_shift"),
    Row(0x23, 0x00, 0x00, "show_window"),
};

static_assert(std::size(kMacroKeyTable) == kMacroKeyRows);
static_assert(std::size(kScanCodeTable) == kScanCodeRows);
static_assert(std::size(kMacroMouseTable) == kMacroMouseRows);
static_assert(std::size(kMedia) == 18 && std::size(kShortcuts) == 11);
static_assert(std::size(kNumberedShortcuts) == 9 && std::size(kSpecialFunctions) == 15);

}  // namespace

std::span<const KeyTableRow> MacroKeyTable() {
    return kMacroKeyTable;
}
std::span<const ScanCodeRow> ScanCodeTable() {
    return kScanCodeTable;
}
std::span<const MacroMouseRow> MacroMouseTable() {
    return kMacroMouseTable;
}

std::span<const FunctionRow> MouseButtonList() {
    return kMouseButtons;
}
std::span<const FunctionRow> DpiFunctionList() {
    return kDpiFunctions;
}
std::span<const FunctionRow> MediaList() {
    return kMedia;
}
std::span<const FunctionRow> SystemList() {
    return kSystem;
}
std::span<const FunctionRow> ShortcutList() {
    return kShortcuts;
}
std::span<const FunctionRow> GunKeyList() {
    return kGunKeys;
}
std::span<const FunctionRow> NumberedShortcutList() {
    return kNumberedShortcuts;
}
std::span<const FunctionRow> SpecialFunctionList() {
    return kSpecialFunctions;
}

int FindFunctionRow(std::span<const FunctionRow> list, uint8_t kind, uint8_t p1, uint8_t p2) {
    const AssignmentCode wanted{kind, p1, p2};
    for (size_t row = 0; row < list.size(); ++row)
        if (list[row].code == wanted) return int(row);
    return -1;
}

int FindKeyTableRow(uint8_t kind, uint8_t modifier, uint8_t usage) {
    for (int row = 0; row < kMacroKeyRows; ++row) {
        const KeyTableRow& key = kMacroKeyTable[row];
        if (key.kind == kind && key.modifier == modifier && key.usage == usage) return row;
    }
    return -1;
}

int FindModifierRow(uint8_t bit) {
    for (int row = 0; row < kModifierRows; ++row)
        if (kMacroKeyTable[row].modifier == bit) return row;
    return -1;
}

int FindKeyboardKeyRow(uint8_t usage) {
    if (usage == 0) return -1;
    for (int row = kModifierRows; row < kMacroKeyboardRows; ++row)
        if (kMacroKeyTable[row].usage == usage) return row;
    return -1;
}

}  // namespace tirk
