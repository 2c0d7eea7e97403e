// The custom control classes of the pages, as data: the layout element names
// the main window answers when a layout names a class the UI layer does not
// know, and the class names registered with the control factory at start-up.
// A new page control adds one row to each table.
#pragma once

#include <span>
#include <string>

class CControlUI;
class CControlFactory;

namespace tirk {

/// A name and the function that makes a new control for it (owned by the
/// caller).
struct ControlClassRow {
    const char* name;
    CControlUI* (*create)();
};

/// The layout element names the main window's builder callback answers.
std::span<const ControlClassRow> LayoutElementRows();

/// A new control for the layout element `name` (compared without regard to
/// case), owned by the caller; nullptr for a name without a row.
CControlUI* CreateLayoutElement(const std::string& name);

/// The custom control class names, in the order start-up registers them.
std::span<const ControlClassRow> FactoryClassRows();

/// Registers every row of FactoryClassRows() with `factory`, in order.
void RegisterCustomControls(CControlFactory& factory);

}  // namespace tirk
