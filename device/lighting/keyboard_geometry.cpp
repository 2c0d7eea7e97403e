#include "device/lighting/keyboard_geometry.h"

#include <algorithm>

namespace tirk::lighting {
namespace {

// One row of the listing: position, legend, drawn rectangle (quarter keys).
struct Row {
    uint8_t position;
    const char* legend;
    uint8_t x, y, w, h;
};

constexpr Row Key(uint8_t position, const char* legend, uint8_t x, uint8_t y, uint8_t w = 4,
                  uint8_t h = 4) {
    return {position, legend, x, y, w, h};
}
// A key of the keyboard protocol that the drawing does not show.
constexpr Row Hidden(uint8_t position, const char* legend) {
    return {position, legend, 0, 0, 0, 0};
}

// clang-format off
constexpr Row kRows[] = {
    // F-row, y = 0.
    Key(0, "keyboard_key_Esc", 0, 0),
    Key(1, "keyboard_key_F1", 8, 0),   Key(2, "keyboard_key_F2", 12, 0),
    Key(3, "keyboard_key_F3", 16, 0),  Key(4, "keyboard_key_F4", 20, 0),
    Key(5, "keyboard_key_F5", 26, 0),  Key(6, "keyboard_key_F6", 30, 0),
    Key(7, "keyboard_key_F7", 34, 0),  Key(8, "keyboard_key_F8", 38, 0),
    Key(9, "keyboard_key_F9", 44, 0),  Key(10, "keyboard_key_F10", 48, 0),
    Key(11, "keyboard_key_F11", 52, 0), Key(12, "keyboard_key_F12", 56, 0),
    Key(13, "keyboard_key_Print Scr", 61, 0), Key(14, "keyboard_key_Scroll Lock", 65, 0),
    Key(15, "keyboard_key_Pause", 69, 0),
    // Number row, y = 6.
    Key(21, "keyboard_key_`", 0, 6),
    Key(22, "keyboard_key_1", 4, 6),   Key(23, "keyboard_key_2", 8, 6),
    Key(24, "keyboard_key_3", 12, 6),  Key(25, "keyboard_key_4", 16, 6),
    Key(26, "keyboard_key_5", 20, 6),  Key(27, "keyboard_key_6", 24, 6),
    Key(28, "keyboard_key_7", 28, 6),  Key(29, "keyboard_key_8", 32, 6),
    Key(30, "keyboard_key_9", 36, 6),  Key(31, "keyboard_key_0", 40, 6),
    Key(32, "keyboard_key_-", 44, 6),  Key(33, "keyboard_key_=", 48, 6),
    Key(34, "keyboard_key_BackSpace", 52, 6, 8),
    Key(35, "keyboard_key_Insert", 61, 6), Key(36, "keyboard_key_Home", 65, 6),
    Key(37, "keyboard_key_Page Up", 69, 6),
    Key(38, "keyboard_key_Num Lock", 74, 6), Key(39, "keyboard_key_Num /", 78, 6),
    Key(40, "keyboard_key_Num *", 82, 6),    Key(41, "keyboard_key_Num -", 86, 6),
    // Upper letter row, y = 10.
    Key(42, "keyboard_key_Tab", 0, 10, 6),
    Key(43, "keyboard_key_Q", 6, 10),  Key(44, "keyboard_key_W", 10, 10),
    Key(45, "keyboard_key_E", 14, 10), Key(46, "keyboard_key_R", 18, 10),
    Key(47, "keyboard_key_T", 22, 10), Key(48, "keyboard_key_Y", 26, 10),
    Key(49, "keyboard_key_U", 30, 10), Key(50, "keyboard_key_I", 34, 10),
    Key(51, "keyboard_key_O", 38, 10), Key(52, "keyboard_key_P", 42, 10),
    Key(53, "keyboard_key_[", 46, 10), Key(54, "keyboard_key_]", 50, 10),
    Key(55, "keyboard_key_xiegang", 54, 10, 6),
    Key(56, "keyboard_key_Delete", 61, 10), Key(57, "keyboard_key_End", 65, 10),
    Key(58, "keyboard_key_Page Down", 69, 10),
    Key(59, "keyboard_key_Num 7", 74, 10), Key(60, "keyboard_key_Num 8", 78, 10),
    Key(61, "keyboard_key_Num 9", 82, 10), Key(119, "keyboard_key_Num +", 86, 10, 4, 8),
    // Home row, y = 14.
    Key(63, "keyboard_key_Caplk", 0, 14, 7),
    Key(64, "keyboard_key_A", 7, 14),  Key(65, "keyboard_key_S", 11, 14),
    Key(66, "keyboard_key_D", 15, 14), Key(67, "keyboard_key_F", 19, 14),
    Key(68, "keyboard_key_G", 23, 14), Key(69, "keyboard_key_H", 27, 14),
    Key(70, "keyboard_key_J", 31, 14), Key(71, "keyboard_key_K", 35, 14),
    Key(72, "keyboard_key_L", 39, 14), Key(73, "keyboard_key_;", 43, 14),
    Key(74, "keyboard_key_'", 47, 14),
    Key(75, "keyboard_key_Enter", 51, 14, 9),
    Key(76, "keyboard_key_Num 4", 74, 14), Key(77, "keyboard_key_Num 5", 78, 14),
    Key(78, "keyboard_key_Num 6", 82, 14),
    // Lower letter row, y = 18.
    Key(84, "keyboard_key_LShift", 0, 18, 9),
    Key(85, "keyboard_key_Z", 9, 18),  Key(86, "keyboard_key_X", 13, 18),
    Key(87, "keyboard_key_C", 17, 18), Key(88, "keyboard_key_V", 21, 18),
    Key(89, "keyboard_key_B", 25, 18), Key(90, "keyboard_key_N", 29, 18),
    Key(91, "keyboard_key_M", 33, 18), Key(92, "keyboard_key_<", 37, 18),
    Key(93, "keyboard_key_.", 41, 18), Key(94, "keyboard_key_/", 45, 18),
    Key(95, "keyboard_key_RShift", 49, 18, 11),
    Key(96, "keyboard_key_Up", 65, 18),
    Key(97, "keyboard_key_Num 1", 74, 18), Key(98, "keyboard_key_Num 2", 78, 18),
    Key(99, "keyboard_key_Num 3", 82, 18), Key(118, "keyboard_key_Num Enter", 86, 18, 4, 8),
    // Bottom row, y = 22.
    Key(105, "keyboard_key_LCtrl", 0, 22, 5), Key(106, "keyboard_key_LWin", 5, 22, 5),
    Key(107, "keyboard_key_LAlt", 10, 22, 5), Key(108, "keyboard_key_Space", 15, 22, 25),
    Key(109, "keyboard_key_RAlt", 40, 22, 5), Key(110, "keyboard_key_FN", 45, 22, 5),
    Key(111, "keyboard_key_App", 50, 22, 5),  Key(112, "keyboard_key_RCtrl", 55, 22, 5),
    Key(113, "keyboard_key_Left", 61, 22), Key(114, "keyboard_key_Down", 65, 22),
    Key(115, "keyboard_key_Right", 69, 22),
    Key(116, "keyboard_key_Num 0", 74, 22, 8), Key(117, "keyboard_key_Decimal", 82, 22),
    // Keys of the protocol that this drawing does not show.
    Hidden(16, "keyboard_key_GM"),    Hidden(17, "keyboard_key_COLOR"),
    Hidden(62, "keyboard_key_K42"),   Hidden(79, "keyboard_key_K132"),
    Hidden(80, "keyboard_key_K131"),  Hidden(81, "keyboard_key_K151"),
    Hidden(82, "keyboard_key_K150"),  Hidden(83, "keyboard_key_K133"),
    Hidden(100, "keyboard_key_K56"),  Hidden(101, "keyboard_key_K14"),
    Hidden(102, "keyboard_key_K45"),  Hidden(103, "keyboard_key_K107"),
    Hidden(120, "keyboard_key_M1"),   Hidden(121, "keyboard_key_M2"),
    Hidden(122, "keyboard_key_M3"),   Hidden(123, "keyboard_key_M4"),
    Hidden(124, "keyboard_key_M5"),   Hidden(125, "keyboard_key_RWin"),
    // Positions 18, 19, 20, 104 and 126..169 are placeholders: no legend, not drawn.
};
// clang-format on

std::array<KeyGeometry, kPositionCount> Build() {
    std::array<KeyGeometry, kPositionCount> table{};
    for (const Row& row : kRows) {
        KeyGeometry& key = table[row.position];
        key.legend = row.legend;
        key.x = row.x;
        key.y = row.y;
        key.w = row.w;
        key.h = row.h;
    }
    // The cells come from the key matrix itself, so the two cannot disagree.
    for (int position = 0; position < kPositionCount; ++position) {
        const MatrixCell cell = CellOfKey(position);
        table[position].matrixColumn = cell.column;
        table[position].matrixRow = cell.row;
    }
    return table;
}

}  // namespace

const std::array<KeyGeometry, kPositionCount>& KeyboardGeometry() {
    static const std::array<KeyGeometry, kPositionCount> table = Build();
    return table;
}

int DrawnRow(int position) {
    if (position < 0 || position >= kPositionCount) return -1;
    const KeyGeometry& key = KeyboardGeometry()[position];
    if (!key.Drawn()) return -1;
    const auto* it = std::find(kDrawnRowTops.begin(), kDrawnRowTops.end(), key.y);
    return it == kDrawnRowTops.end() ? -1 : int(it - kDrawnRowTops.begin());
}

}  // namespace tirk::lighting
