// The layout loader: turns a layout file (grammar: docs/layout-grammar.md)
// into a tree of controls.
#pragma once

#include <string>

class CControlUI;
class CPaintManagerUI;

/// Answers element classes the loader does not know (after the control
/// factory). Return a new control (ownership passes to the loader) or
/// nullptr for "unknown".
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(const std::string& className) = 0;
};

/// Result of reading a <Window> element's own attributes (96-DPI values).
struct TWindowInfoUI {
    int width = 0;
    int height = 0;
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
    int captionHeight = 0;  // "caption" bottom: drag area from the top
    bool frameless = false;
    bool resizable = true;
};

class CDialogBuilder {
public:
    /// Builds the layout in `file` (relative to the resource path unless
    /// absolute). A <Window> root feeds its Font elements to the resource
    /// manager, its Default elements to `manager` and its size to
    /// GetWindowInfo(); a control root is built alone. Returns the root
    /// control, owned by the caller (unparented), or nullptr with
    /// GetError() set to "<file>:<line>: <problem>" (or "<file>: <problem>").
    /// `callback` and `manager` may be nullptr.
    CControlUI* Create(const std::string& file, IDialogBuilderCallback* callback = nullptr,
                       CPaintManagerUI* manager = nullptr);
    /// As Create, from XML text; `name` stands for the file in messages and
    /// relative Include sources still resolve against the resource path.
    CControlUI* CreateFromText(const std::string& xml, const std::string& name,
                               IDialogBuilderCallback* callback = nullptr,
                               CPaintManagerUI* manager = nullptr);
    /// The message of the last failure, empty after a success.
    const std::string& GetError() const { return m_error; }
    /// The <Window> attributes of the last successful Create (zeros when the
    /// root was a control).
    const TWindowInfoUI& GetWindowInfo() const { return m_window; }

private:
    std::string m_error;
    TWindowInfoUI m_window;
};
