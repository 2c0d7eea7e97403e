// Walking control trees. Internal to ui/.
#pragma once

#include <functional>
#include <string>

class QWidget;
class CControlUI;

namespace tirk::ui {

/// Calls `visit` for every CControlUI below `root` (root included when it is
/// one), depth first in widget order.
void ForEachControl(QWidget* root, const std::function<void(CControlUI*)>& visit);
/// The first control named `name` below `root` (root itself when
/// includeRoot), depth first; nullptr when none.
CControlUI* FindControlByName(QWidget* root, const std::string& name, bool includeRoot);

}  // namespace tirk::ui
