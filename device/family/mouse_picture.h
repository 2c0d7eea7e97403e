// The mouse page's picture: the mouse seen from above with one key button on
// each of its eleven buttons, its fifteen LEDs as light marks, and beside it
// one callout per button naming the button and showing what it does, joined
// to the button by a leader line. Where each button sits is the table
// MouseKeyPlaces(); the pictures come from scripts/make_mouse_picture.sh.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "ui/ui_base.h"

class CDeviceKeyButtonUI;
class CContainerUI;
class CSelectPanelUI;

namespace tirk {

/// The selection panel of the mouse page's keys tab that holds the picture.
inline constexpr char kMousePictureName[] = "mouse_device_key_light";
/// The panel's size at 96 DPI: the page's width and what the key-assignment
/// panel below it leaves of the page's height.
inline constexpr int kMousePanelWidth = 559;
inline constexpr int kMousePanelHeight = 234;
/// The mouse picture's size at 96 DPI ("mouse/mouse.png").
inline constexpr int kMouseDrawingWidth = 152;
inline constexpr int kMouseDrawingHeight = 228;
inline constexpr int kMouseKeyCount = 11;
inline constexpr int kMouseLedCount = 15;

/// The column a callout stands in, beside the mouse.
enum class CalloutSide { kLeft, kRight };

/// One button of the picture, by key number N (the mouse's standard function
/// N, whose button is "key_N").
struct MouseKeyPlace {
    int key = 0;
    const char* nameKey = "";     ///< language key of the button's name
    const char* defaultKey = "";  ///< language key of the button's factory function
    TRectUI area;                 ///< picture pixels: the button and its overlays
    TPointUI anchor;              ///< picture pixels: where its leader line ends
    CalloutSide side = CalloutSide::kLeft;
    int row = 0;  ///< the callout's row in its column, from the top
};

/// The eleven buttons in key order.
std::span<const MouseKeyPlace> MouseKeyPlaces();

/// Picture pixels of LED N's light on the ring around the palm (0 to 6 down
/// the left side, 14 at the back, 7 to 13 up the right side).
std::span<const TRectUI> MouseLedAreas();

/// The panel's control names of key `key`'s callout.
std::string MouseCalloutName(int key);     ///< the callout: "mouse_key_callout_N"
std::string MouseAssignmentName(int key);  ///< its assignment text: "mouse_key_assignment_N"
std::string MouseLeaderName(int key);      ///< each piece of its leader line: "mouse_key_leader_N"

/// Fills `panel` with the picture: removes (and deletes) whatever the panel
/// held, gives it its fixed size, then adds the mouse, one light mark per LED
/// (named "mouse_led_N", user data "light_N", white at alpha 255, letting
/// clicks through), the leader lines, one CDeviceKeyButtonUI per button
/// (named "key_N" after its key number, the button's name as keyed tooltip)
/// and the callouts, whose assignment text starts as the button's factory
/// function (keyed) until ShowMouseAssignment sets it.
/// Call it when the page is bound, before the device object binds its key
/// buttons; not from a notification of one of the panel's own buttons,
/// which it deletes.
void BuildMousePicture(CSelectPanelUI& panel);

/// Finds the panel named kMousePictureName below `page` and fills it as
/// BuildMousePicture does. False (nothing changed) when the page has no
/// selection panel of that name.
bool BuildMousePictureIn(CContainerUI& page);

/// The container of the mouse page's lighting tab that holds the small
/// picture: the mouse and its LEDs only, at kMouseLightScale of the big one.
inline constexpr char kMouseLightPictureName[] = "mouse_device_light_picture";
inline constexpr double kMouseLightScale = 0.6;

/// Finds the container named kMouseLightPictureName below `page` and fills
/// it with the small picture: the mouse and one light mark per LED (named
/// "mouse_light_led_N", white at alpha 255), nothing clickable. Returns the
/// marks by LED number; empty when the page has no such container.
std::vector<CDeviceKeyButtonUI*> BuildMouseLightPictureIn(CContainerUI& page);

/// Shows `text` (plain, also as the tooltip, since a long one is cut) as key
/// `key`'s assignment in its callout. False when the page has no callout for
/// that key.
bool ShowMouseAssignment(CContainerUI& page, int key, const std::string& text);

}  // namespace tirk
