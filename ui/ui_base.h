// Small value types shared by every part of the UI layer: rectangles, points,
// the notification record and the receiver interface, and the notification
// type texts. Free of Qt so that pages can include it anywhere.
#pragma once

#include <cstdint>
#include <string>

/// A rectangle in pixels; right and bottom are exclusive edges.
/// In layout attributes ("pos", "padding", "inset") it is read as "l,t,r,b".
struct TRectUI {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    /// True when the two rectangles share area; touching edges do not count.
    bool Intersects(const TRectUI& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    bool operator==(const TRectUI&) const = default;
};

/// A point in pixels (window client or screen coordinates, as documented at
/// each use).
struct TPointUI {
    int x = 0;
    int y = 0;
    bool operator==(const TPointUI&) const = default;
};

/// A size in pixels.
struct TSizeUI {
    int cx = 0;
    int cy = 0;
    bool operator==(const TSizeUI&) const = default;
};

class CControlUI;

/// One notification: a type text (see the constants below), the control that
/// sent it and two type-specific parameters. The sender is owned by its
/// window; it is valid for the duration of the Notify call.
struct TNotifyUI {
    std::string sType;
    CControlUI* pSender = nullptr;
    intptr_t wParam = 0;
    intptr_t lParam = 0;
};

/// Receiver of notifications; a window's paint manager delivers every
/// notification of its controls to its receivers, in registration order.
class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

/// The notification types the layer itself sends. Custom controls may send
/// other texts through CControlUI::SendNotify.
namespace notify_type {
inline constexpr char kClick[] = "click";                        // button released inside
inline constexpr char kSelectChanged[] = "selectchanged";        // option/check box state
inline constexpr char kValueChanged[] = "valuechanged";          // slider, on release / wheel
inline constexpr char kMoveValueChanged[] = "movevaluechanged";  // slider, while dragging
inline constexpr char kItemSelect[] = "itemselect";      // list/combo: wParam new, lParam old
inline constexpr char kItemClick[] = "itemclick";        // list element pressed
inline constexpr char kItemActivate[] = "itemactivate";  // list element double-clicked
inline constexpr char kTextChanged[] = "textchanged";    // edit text changed by the user
inline constexpr char kKillFocus[] = "killfocus";
inline constexpr char kSetFocus[] = "setfocus";
inline constexpr char kReturn[] = "return";          // Enter pressed in an edit
inline constexpr char kKeyCapture[] = "keycapture";  // a panel took the key pressed in its edit
inline constexpr char kTimer[] = "timer";            // wParam = timer id
inline constexpr char kWindowInit[] = "windowinit";  // sender = root control
inline constexpr char kWindowSize[] = "windowsize";  // sender = root; wParam w, lParam h
inline constexpr char kTabSelect[] = "tabselect";    // wParam new, lParam old index
inline constexpr char kMouseEnter[] = "msenter";     // only with notifyhover="true"
inline constexpr char kMouseLeave[] = "msleave";     // only with notifyhover="true"
inline constexpr char kDoubleClick[] = "dbclick";
inline constexpr char kMenu[] = "menu";  // only with menu="true"; wParam x, lParam y (window)
}  // namespace notify_type
