#include "input/key_codes.h"

#include <array>
#include <cstddef>

#include "profile/key_tables.h"

namespace tirk::input {
namespace {

// Row i: the Linux input event code of the key of scan table row i. The
// pair itself is taken from the scan table, so the two cannot drift apart:
// right Shift, Num Lock, Print Screen and the Windows keys get the table's
// pairs, not their plain set-1 codes. Codes 1 to 88 are the set-1 make codes
// of the classic keys; the E0 keys and the international keys have codes of
// their own.
// clang-format off
constexpr uint16_t kLinuxKeyOfRow[] = {
    // 0 to 7: KEY_LEFTCTRL, KEY_LEFTSHIFT, KEY_LEFTALT, KEY_LEFTMETA,
    // KEY_RIGHTCTRL, KEY_RIGHTSHIFT, KEY_RIGHTALT, KEY_RIGHTMETA.
    29, 42, 56, 125, 97, 54, 100, 126,
    // 8 to 33: KEY_A to KEY_Z.
    30, 48, 46, 32, 18, 33, 34,   // A to G
    35, 23, 36, 37, 38, 50, 49,   // H to N
    24, 25, 16, 19, 31, 20, 22,   // O to U
    47, 17, 45, 21, 44,           // V to Z
    // 34 to 43: KEY_1 to KEY_9, KEY_0.
    2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
    // 44 to 60: KEY_ENTER, KEY_ESC, KEY_BACKSPACE, KEY_TAB, KEY_SPACE,
    // KEY_MINUS, KEY_EQUAL, KEY_LEFTBRACE, KEY_RIGHTBRACE, KEY_BACKSLASH,
    // KEY_SEMICOLON, KEY_APOSTROPHE, KEY_GRAVE, KEY_COMMA, KEY_DOT, KEY_SLASH,
    // KEY_CAPSLOCK.
    28, 1, 14, 15, 57, 12, 13, 26, 27, 43, 39, 40, 41, 51, 52, 53, 58,
    // 61 to 72: KEY_F1 to KEY_F10, KEY_F11, KEY_F12.
    59, 60, 61, 62, 63, 64, 65, 66, 67, 68, 87, 88,
    // 73 to 75: KEY_SYSRQ (Print Screen), KEY_SCROLLLOCK, KEY_PAUSE.
    99, 70, 119,
    // 76 to 85: KEY_INSERT, KEY_HOME, KEY_PAGEUP, KEY_DELETE, KEY_END,
    // KEY_PAGEDOWN, KEY_RIGHT, KEY_LEFT, KEY_DOWN, KEY_UP.
    110, 102, 104, 111, 107, 109, 106, 105, 108, 103,
    // 86 to 91: KEY_NUMLOCK, KEY_KPSLASH, KEY_KPASTERISK, KEY_KPMINUS,
    // KEY_KPPLUS, KEY_KPENTER.
    69, 98, 55, 74, 78, 96,
    // 92 to 102: KEY_KP1 to KEY_KP9, KEY_KP0, KEY_KPDOT.
    79, 80, 81, 75, 76, 77, 71, 72, 73, 82, 83,
    // 103: KEY_COMPOSE (the application key).
    127,
    // 104 to 112: KEY_102ND (K45), KEY_RO (K56), KEY_YEN (K14), KEY_KPCOMMA
    // (K107), KEY_MUHENKAN (K131), KEY_HENKAN (K132), KEY_KATAKANAHIRAGANA
    // (K133), KEY_HANJA (K150), KEY_HANGEUL (K151).
    86, 89, 124, 121, 94, 92, 93, 123, 122,
};
// clang-format on
static_assert(std::size(kLinuxKeyOfRow) == kScanCodeRows, "one code per scan table row");

// Every code above the highest one in the table is unknown.
constexpr int kHighestKey = 127;
constexpr int kNoRow = -1;

// The scan table row of each Linux key code up to kHighestKey; kNoRow for
// codes that name no key of the table.
constexpr std::array<int8_t, kHighestKey + 1> RowOfLinuxKey() {
    std::array<int8_t, kHighestKey + 1> rows{};
    rows.fill(kNoRow);
    for (size_t row = 0; row < std::size(kLinuxKeyOfRow); ++row)
        rows[kLinuxKeyOfRow[row]] = int8_t(row);
    return rows;
}

// True when every code is a key number the index holds and none appears
// twice (a code in two rows would leave one of them unreachable).
constexpr bool EachCodeOnce() {
    for (size_t a = 0; a < std::size(kLinuxKeyOfRow); ++a) {
        if (kLinuxKeyOfRow[a] == 0 || kLinuxKeyOfRow[a] > kHighestKey) return false;
        for (size_t b = a + 1; b < std::size(kLinuxKeyOfRow); ++b)
            if (kLinuxKeyOfRow[a] == kLinuxKeyOfRow[b]) return false;
    }
    return true;
}
static_assert(EachCodeOnce(), "every key code names one row, within 1 to kHighestKey");

constexpr std::array<int8_t, kHighestKey + 1> kRowOfLinuxKey = RowOfLinuxKey();

}  // namespace

std::optional<ScanCode> ScanCodeOfLinuxKey(int evdevCode) {
    if (evdevCode < 0 || evdevCode > kHighestKey) return std::nullopt;
    const int row = kRowOfLinuxKey[size_t(evdevCode)];
    if (row == kNoRow) return std::nullopt;
    const ScanCodeRow& scan = ScanCodeTable()[size_t(row)];
    return ScanCode{scan.scanCode, scan.extended};
}

std::optional<ScanCode> ScanCodeOfXKeycode(int xKeycode) {
    // Checked first: no key lies below the offset, and subtracting it from
    // the lowest ints would overflow.
    if (xKeycode < kXKeycodeOffset) return std::nullopt;
    return ScanCodeOfLinuxKey(xKeycode - kXKeycodeOffset);
}

}  // namespace tirk::input
