// Linux key codes and X keycodes to the scan table's pairs: every recordable
// key is reached by exactly one code and lands on its own row; every other
// code is unknown. The expected keys are named by the system's
// linux/input-event-codes.h, not by the numbers the table is written in.
#include "input/key_codes.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <climits>
#include <map>
#include <optional>
#include <vector>

#include "profile/key_assignment.h"
#include "profile/key_tables.h"

namespace tirk::input {
namespace {

// The scan table row a code lands on; −1 when it maps to nothing, −2 when it
// maps to a pair that is in no row (garbage).
int RowOfLinuxKey(int evdevCode) {
    const std::optional<ScanCode> scan = ScanCodeOfLinuxKey(evdevCode);
    if (!scan) return -1;
    const int row = FindScanRow(scan->code, scan->extended);
    return row < 0 ? -2 : row;
}

const char* NameOfRow(int row) {
    return row >= 0 && row < kScanCodeRows ? MacroKeyTable()[size_t(row)].nameKey : "(none)";
}

TEST(KeyCodesTest, EveryScanRowIsReachedByExactlyOneCode) {
    std::map<int, std::vector<int>> codesOfRow;
    for (int code = 0; code <= KEY_MAX; ++code) {
        const int row = RowOfLinuxKey(code);
        ASSERT_NE(row, -2) << "code " << code << " maps to a pair of no row";
        if (row >= 0) codesOfRow[row].push_back(code);
    }
    for (int row = 0; row < kScanCodeRows; ++row)
        EXPECT_EQ(codesOfRow[row].size(), 1u) << "row " << row << " " << NameOfRow(row);
    EXPECT_EQ(codesOfRow.size(), size_t(kScanCodeRows));
}

// Codes 1 to 88 are the set-1 make codes of the classic keys; only right
// Shift and Num Lock carry the flag, as the scan table has them.
TEST(KeyCodesTest, ClassicKeysKeepTheirSetOneCodes) {
    for (int code = KEY_ESC; code <= KEY_F12; ++code) {
        if (code == 84 || code == KEY_ZENKAKUHANKAKU) continue;  // no key of the table
        const std::optional<ScanCode> scan = ScanCodeOfLinuxKey(code);
        ASSERT_TRUE(scan) << code;
        const uint8_t flag = code == KEY_RIGHTSHIFT || code == KEY_NUMLOCK ? 1 : 0;
        EXPECT_EQ(*scan, (ScanCode{uint8_t(code), flag})) << code;
    }
}

// The keys outside the classic block, the keys that share a scan code, and
// the rows where the table differs from the plain set-1 codes.
TEST(KeyCodesTest, KeysLandOnTheirOwnRows) {
    struct Case {
        int code;
        const char* nameKey;
        ScanCode scan;
    };
    const Case cases[] = {
        {KEY_ESC, "keyboard_key_Esc", {0x01, 0}},
        {KEY_A, "keyboard_key_A", {0x1E, 0}},
        {KEY_TAB, "keyboard_key_Tab", {0x0F, 0}},
        {KEY_BACKSLASH, "keyboard_key_xiegang", {0x2B, 0}},
        {KEY_ENTER, "keyboard_key_Enter", {0x1C, 0}},
        {KEY_KPENTER, "keyboard_key_Num Enter", {0x1C, 1}},
        {KEY_LEFTCTRL, "keyboard_key_LCtrl", {0x1D, 0}},
        {KEY_RIGHTCTRL, "keyboard_key_RCtrl", {0x1D, 1}},
        {KEY_RIGHTSHIFT, "keyboard_key_RShift", {0x36, 1}},
        {KEY_LEFTALT, "keyboard_key_LAlt", {0x38, 0}},
        {KEY_RIGHTALT, "keyboard_key_RAlt", {0x38, 1}},
        {KEY_LEFTMETA, "keyboard_key_LWin", {0x5B, 1}},
        {KEY_RIGHTMETA, "keyboard_key_RWin", {0x5C, 1}},
        {KEY_COMPOSE, "keyboard_key_App", {0x5D, 1}},
        {KEY_SLASH, "keyboard_key_/", {0x35, 0}},
        {KEY_KPSLASH, "keyboard_key_Num /", {0x35, 1}},
        {KEY_SYSRQ, "keyboard_key_Print Scr", {0x37, 1}},
        {KEY_KPASTERISK, "keyboard_key_Num *", {0x37, 0}},
        {KEY_NUMLOCK, "keyboard_key_Num Lock", {0x45, 1}},
        {KEY_PAUSE, "keyboard_key_Pause", {0x45, 0}},
        {KEY_INSERT, "keyboard_key_Insert", {0x52, 1}},
        {KEY_KP0, "keyboard_key_Num 0", {0x52, 0}},
        {KEY_HOME, "keyboard_key_Home", {0x47, 1}},
        {KEY_KP7, "keyboard_key_Num 7", {0x47, 0}},
        {KEY_PAGEUP, "keyboard_key_Page Up", {0x49, 1}},
        {KEY_DELETE, "keyboard_key_Delete", {0x53, 1}},
        {KEY_KPDOT, "keyboard_key_Decimal", {0x53, 0}},
        {KEY_END, "keyboard_key_End", {0x4F, 1}},
        {KEY_PAGEDOWN, "keyboard_key_Page Down", {0x51, 1}},
        {KEY_RIGHT, "keyboard_key_Right", {0x4D, 1}},
        {KEY_LEFT, "keyboard_key_Left", {0x4B, 1}},
        {KEY_DOWN, "keyboard_key_Down", {0x50, 1}},
        {KEY_UP, "keyboard_key_Up", {0x48, 1}},
        {KEY_F11, "keyboard_key_F11", {0x57, 0}},
        {KEY_F12, "keyboard_key_F12", {0x58, 0}},
        {KEY_102ND, "keyboard_key_K45", {0x56, 0}},
        {KEY_RO, "keyboard_key_K56", {0x73, 0}},
        {KEY_YEN, "keyboard_key_K14", {0x7D, 0}},
        {KEY_KPCOMMA, "keyboard_key_K107", {0x7E, 0}},
        {KEY_MUHENKAN, "keyboard_key_K131", {0x7B, 0}},
        {KEY_HENKAN, "keyboard_key_K132", {0x79, 0}},
        {KEY_KATAKANAHIRAGANA, "keyboard_key_K133", {0x70, 0}},
        {KEY_HANJA, "keyboard_key_K150", {0x71, 0}},
        {KEY_HANGEUL, "keyboard_key_K151", {0x72, 0}},
    };
    for (const Case& c : cases) {
        const std::optional<ScanCode> scan = ScanCodeOfLinuxKey(c.code);
        ASSERT_TRUE(scan) << c.nameKey;
        EXPECT_EQ(*scan, c.scan) << c.nameKey;
        EXPECT_STREQ(NameOfRow(RowOfLinuxKey(c.code)), c.nameKey);
        EXPECT_EQ(ScanCodeOfXKeycode(c.code + kXKeycodeOffset), scan) << c.nameKey;
    }
}

// Keys the table does not hold (among them the Japanese keypad comma, which
// keyboards send for International 6, not for the keypad comma of K107) and
// numbers that are no key give nothing.
TEST(KeyCodesTest, UnknownCodesGiveNothing) {
    for (int code : {INT_MIN, -1, KEY_RESERVED, 84, KEY_ZENKAKUHANKAKU, KEY_KATAKANA, KEY_HIRAGANA,
                     KEY_KPJPCOMMA, KEY_LINEFEED, KEY_MACRO, KEY_MUTE, KEY_KPEQUAL, KEY_SCALE,
                     KEY_STOP, KEY_F13, KEY_UNKNOWN, KEY_MAX, 0x10000, INT_MAX})
        EXPECT_EQ(ScanCodeOfLinuxKey(code), std::nullopt) << code;
    for (int xKeycode : {INT_MIN, -1, 0, 7, kXKeycodeOffset, kXKeycodeOffset + KEY_KPJPCOMMA,
                         kXKeycodeOffset + KEY_F13, 255, INT_MAX})
        EXPECT_EQ(ScanCodeOfXKeycode(xKeycode), std::nullopt) << xKeycode;
}

TEST(KeyCodesTest, XKeycodesAreLinuxCodesPlusEight) {
    for (int code = 0; code <= KEY_MAX; ++code)
        EXPECT_EQ(ScanCodeOfXKeycode(code + kXKeycodeOffset), ScanCodeOfLinuxKey(code)) << code;
    EXPECT_EQ(ScanCodeOfXKeycode(9), (ScanCode{0x01, 0})) << "Esc is X keycode 9";
}

}  // namespace
}  // namespace tirk::input
