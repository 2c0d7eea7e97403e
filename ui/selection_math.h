// The rubber band of the key selection panel as plain arithmetic, so that the
// rules (normalised rectangle, edge contact does not select) are tested
// without a window. Coordinates are any one pixel space shared by the points
// and the key rectangles (the panel uses its own widget coordinates).
#pragma once

#include <vector>

#include "ui/ui_base.h"

namespace tirk::ui {

/// The selection rectangle spanned by the drag's anchor and its current
/// point: left <= right and top <= bottom whichever way the drag went.
TRectUI SelectionRect(TPointUI anchor, TPointUI current);

/// True when a key's rectangle and the selection share area of positive
/// size; rectangles that only touch along an edge or corner do not.
bool SelectsKey(const TRectUI& key, const TRectUI& selection);

/// The selected flag of every key after a drag over `selection`, in the
/// order of `keys`.
std::vector<bool> SelectedKeys(const std::vector<TRectUI>& keys, const TRectUI& selection);

}  // namespace tirk::ui
