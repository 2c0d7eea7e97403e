// Pop-up menus built from a layout file (<Menu> with <MenuElement> items;
// grammar in docs/layout-grammar.md). At most one menu is open at a time.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ui/ui_base.h"

class QMenu;
class WindowImplBase;

/// What the owner learns about the chosen item.
struct TMenuCommandUI {
    std::string name;      // the item's "name"
    std::string userData;  // its "userdata"
    std::string text;      // its shown text
    bool checked = false;  // its check state after the choice
};

class CMenuWnd {
public:
    using Callback = std::function<void(const TMenuCommandUI&)>;

    /// Loads `file` (relative to the resource path unless absolute), closes
    /// any open menu and shows the new one at `screenPoint`. When the user
    /// picks an item, `onChoose` runs once on the UI thread; dismissing the
    /// menu runs nothing. `checks` overrides the "check" state of items by
    /// name (a checkable item toggles when chosen). Returns the open menu
    /// (owned by itself: it deletes itself after it closes), or nullptr with
    /// `error` set when the file cannot be loaded.
    static CMenuWnd* CreateMenu(const std::string& file, TPointUI screenPoint, Callback onChoose,
                                const std::map<std::string, bool>& checks = {},
                                std::string* error = nullptr);
    /// As above, delivering the choice to owner->OnMenuCommand. The menu
    /// closes without delivering if the owner is destroyed first.
    static CMenuWnd* CreateMenu(const std::string& file, TPointUI screenPoint,
                                WindowImplBase* owner,
                                const std::map<std::string, bool>& checks = {},
                                std::string* error = nullptr);
    /// The open menu, nullptr when none.
    static CMenuWnd* GetOpenMenu();
    /// Closes the open menu (nothing is delivered).
    static void CloseOpenMenu();

    /// Closes this menu (nothing is delivered); it deletes itself later.
    void Close();
    /// The Qt menu, for tests and for callers that add entries in code.
    QMenu* GetQMenu() const;

    ~CMenuWnd();

private:
    CMenuWnd();
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
