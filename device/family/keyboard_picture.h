// The keyboard page's picture: one key button per key of the on-screen
// keyboard, at the key's place and size, with its legend and its light. The
// places, sizes and legends come from the keyboard geometry table
// (device/lighting/keyboard_geometry.h), the same table the lighting engine
// draws its effects from, so the preview runs over the keys the user sees.
#pragma once

#include <string>

class CContainerUI;
class CSelectPanelUI;

namespace tirk {

/// The selection panel of the keyboard page that holds the picture.
inline constexpr char kKeyboardPictureName[] = "keyboard_device_key_light";
/// Pixels (at 96 DPI) of a quarter key, the geometry table's unit: a
/// standard key is 24 x 24 and the whole drawing 540 x 156.
inline constexpr int kQuarterKeyPixels = 6;

/// The language key of the legend a key's cap shows, for the key's name key
/// `nameKey` (the geometry table's legend, "keyboard_key_Left"): the name
/// itself for most keys ("keyboard_key_Esc"), "keyboard_cap_<name>" for the
/// keys whose name describes the key rather than being its legend and would
/// not fit on it ("keyboard_cap_Left": "←").
std::string CapLegendKey(const std::string& nameKey);

/// Fills `panel` with the picture: removes (and deletes) whatever the panel
/// held, then adds one CDeviceKeyButtonUI per drawn key position N, floating
/// at the key's rectangle, named "key_N" with user data "light_N" (the names
/// the device object binds), its cap legend (CapLegendKey) and its name as
/// tooltip both keyed texts that follow the language, and its light mark
/// white at alpha 255.
/// The panel gets the drawing's size as its fixed size. Call it when the page
/// is bound, before the device object binds its key buttons; not from a
/// notification of one of the panel's own buttons, which it deletes.
void BuildKeyboardPicture(CSelectPanelUI& panel);

/// Finds the panel named kKeyboardPictureName below `page` and fills it as
/// BuildKeyboardPicture does. False (nothing changed) when the page has no
/// selection panel of that name.
bool BuildKeyboardPictureIn(CContainerUI& page);

}  // namespace tirk
