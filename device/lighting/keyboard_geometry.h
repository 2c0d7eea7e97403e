// The on-screen keyboard, as one table: for every key position 0..169 of the
// keyboard protocol, the language key of its legend, its cell in the
// keyboard's key matrix and the rectangle it is drawn in. The keyboard page
// draws its key and light buttons from this table, and the lighting engine
// derives its layout tables (drawing order, rings, chase order, sweeps, …)
// from the same rectangles (layout_tables.h), so the preview's animations
// follow what the user sees.
//
// The drawing is a standard full-size ANSI keyboard: Esc and the F-row, the
// number row, the three letter rows, the bottom row, the navigation block
// with the arrows and the number pad; 104 keys. The bottom row has the
// keyboard's Fn key (position 110) where a desk keyboard has its right
// Windows key. Positions the drawing does not show (M1..M5, the GM and COLOR
// keys, the right Windows key, the ISO and JIS keys, the placeholders) are
// marked not drawn; those that are keys still carry their legend and cell.
//
// Units: a quarter of a key. A standard key is 4 × 4; the drawing is 90 wide
// and 26 high, its origin the top-left corner of Esc. Rows are drawn at
// y = 0 (F-row), 6, 10, 14, 18 and 22; the navigation block starts at
// x = 61 and the number pad at x = 74.
#pragma once

#include <array>
#include <cstdint>

#include "device/lighting/lighting_tables.h"

namespace tirk::lighting {

/// One key position of the on-screen keyboard.
struct KeyGeometry {
    /// Language key of the legend ("keyboard_key_Esc"); "" for a placeholder
    /// position that no keyboard has as a key.
    const char* legend = "";
    /// The position's cell in the key matrix (column 0..22, row 0..5); -1
    /// for positions the matrix does not hold.
    int8_t matrixColumn = -1;
    int8_t matrixRow = -1;
    /// The drawn rectangle in quarter keys; w == 0 when the key is not drawn.
    uint8_t x = 0, y = 0, w = 0, h = 0;

    bool Drawn() const { return w != 0; }
    /// Centre of the drawn rectangle, in eighths of a key (integers).
    int CentreX8() const { return 2 * x + w; }
    int CentreY8() const { return 2 * y + h; }
};

inline constexpr int kDrawingWidth = 90;   ///< quarter keys
inline constexpr int kDrawingHeight = 26;  ///< quarter keys
inline constexpr int kDrawnKeyCount = 104;
/// The drawn rows, top to bottom, by the y of their top edge.
inline constexpr std::array<uint8_t, 6> kDrawnRowTops{0, 6, 10, 14, 18, 22};

/// The table, indexed by position 0..169.
const std::array<KeyGeometry, kPositionCount>& KeyboardGeometry();

/// The drawn row (0..5) of a drawn position, by its top edge; -1 when not drawn.
int DrawnRow(int position);

}  // namespace tirk::lighting
