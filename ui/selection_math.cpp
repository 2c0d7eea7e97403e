#include "ui/selection_math.h"

#include <algorithm>

namespace tirk::ui {

TRectUI SelectionRect(TPointUI anchor, TPointUI current) {
    return TRectUI{std::min(anchor.x, current.x), std::min(anchor.y, current.y),
                   std::max(anchor.x, current.x), std::max(anchor.y, current.y)};
}

bool SelectsKey(const TRectUI& key, const TRectUI& selection) {
    return !key.IsEmpty() && !selection.IsEmpty() && key.Intersects(selection);
}

std::vector<bool> SelectedKeys(const std::vector<TRectUI>& keys, const TRectUI& selection) {
    std::vector<bool> selected;
    selected.reserve(keys.size());
    for (const TRectUI& key : keys) selected.push_back(SelectsKey(key, selection));
    return selected;
}

}  // namespace tirk::ui
