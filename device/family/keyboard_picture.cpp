#include "device/family/keyboard_picture.h"

#include <string>

#include "device/lighting/keyboard_geometry.h"
#include "ui/container.h"
#include "ui/device_key_button.h"
#include "ui/select_panel.h"

namespace tirk {
namespace {

constexpr char kKeyPrefix[] = "key_";
constexpr char kLightPrefix[] = "light_";
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kOpaque = 255;

// The keycap look: the cap pictures of skin/keyboard/ (drawn by
// make_keyboard_images.sh; the corners keep their size on wide keys), the
// light drawn as the glow around the cap, the legend centred on the top face
// in light grey. Hover lightens the cap; a disabled key (Fn on the key page)
// fades.
constexpr char kKeyCapStyle[] =
    "normalimage=\"file='keyboard/cap.png' corner='6,6,6,6'\" "
    "hotimage=\"file='keyboard/cap_hot.png' corner='6,6,6,6'\" "
    "pushedimage=\"file='keyboard/cap_pushed.png' corner='6,6,6,6'\" "
    "disabledimage=\"file='keyboard/cap_disabled.png' corner='6,6,6,6'\" "
    "lightimage=\"file='keyboard/glow.png' corner='6,6,6,6'\" "
    "keysetimage=\"file='keyboard/key_set.png' corner='6,6,6,6'\" "
    "keyunsetimage=\"file='keyboard/key_unset.png' corner='6,6,6,6'\" "
    "textcolor=\"#FFC8CCD4\" hottextcolor=\"#FFFFFFFF\" disabledtextcolor=\"#FF4A505C\" "
    "align=\"center\" textpadding=\"0,1,0,6\"";

// The legend: 11 px (font id 9 of the language font table), shrunk on the
// key down to 8 px where a language's legend is wider than the key's face.
constexpr int kLegendFont = 9;
constexpr int kSmallestLegend = 8;

// A key's name (the geometry table's legend, "keyboard_key_<name>") says what
// the key is ("Left arrow", "Print Screen", "Num 7"), as the key list shows
// it; these keys' caps show less ("←", "PrtSc", "7"), the language text
// "keyboard_cap_<name>", since their names do not fit a key of the picture.
// Their names stay the keys' tooltips.
constexpr char kNamePrefix[] = "keyboard_key_";
constexpr char kCapPrefix[] = "keyboard_cap_";
constexpr const char* kNamesWithCapLegend[] = {
    "Print Scr", "Scroll Lock", "Pause", "Insert", "Home",   "Page Up", "Delete",    "End",
    "Page Down", "Num Lock",    "Num /", "Num *",  "Num -",  "Num +",   "Num Enter", "Decimal",
    "Num 0",     "Num 1",       "Num 2", "Num 3",  "Num 4",  "Num 5",   "Num 6",     "Num 7",
    "Num 8",     "Num 9",       "Tab",   "Caplk",  "LShift", "RShift",  "LCtrl",     "LWin",
    "LAlt",      "RAlt",        "App",   "RCtrl",  "Up",     "Left",    "Down",      "Right"};

int Px(int quarterKeys) {
    return quarterKeys * kQuarterKeyPixels;
}

std::string Keyed(const std::string& key) {
    return "%[" + key + "]";
}

CDeviceKeyButtonUI* NewKey(int position, const lighting::KeyGeometry& key) {
    auto* button = new CDeviceKeyButtonUI;
    const std::string number = std::to_string(position);
    button->SetName(kKeyPrefix + number);
    button->SetUserData(kLightPrefix + number);
    button->ApplyAttributeList(kKeyCapStyle);
    button->SetFont(kLegendFont);
    button->SetLegendShrinkLimit(kSmallestLegend);
    button->SetText(Keyed(CapLegendKey(key.legend)));
    button->SetToolTip(Keyed(key.legend));
    button->SetFloat(true);
    button->SetFloatPos(TRectUI{Px(key.x), Px(key.y), Px(key.x + key.w), Px(key.y + key.h)});
    button->SetLightMark(kWhite, kOpaque, true);
    return button;
}

}  // namespace

std::string CapLegendKey(const std::string& nameKey) {
    if (nameKey.rfind(kNamePrefix, 0) != 0) return nameKey;
    const std::string name = nameKey.substr(sizeof(kNamePrefix) - 1);
    for (const char* withCap : kNamesWithCapLegend) {
        if (name == withCap) return kCapPrefix + name;
    }
    return nameKey;
}

void BuildKeyboardPicture(CSelectPanelUI& panel) {
    panel.HoldLayout(true);
    panel.RemoveAll();
    panel.SetFixedWidth(Px(lighting::kDrawingWidth));
    panel.SetFixedHeight(Px(lighting::kDrawingHeight));
    const auto& table = lighting::KeyboardGeometry();
    for (int position = 0; position < static_cast<int>(table.size()); ++position) {
        if (table[position].Drawn()) panel.Add(NewKey(position, table[position]));
    }
    panel.HoldLayout(false);
}

bool BuildKeyboardPictureIn(CContainerUI& page) {
    auto* panel = dynamic_cast<CSelectPanelUI*>(page.FindSubControl(kKeyboardPictureName));
    if (!panel) return false;
    BuildKeyboardPicture(*panel);
    return true;
}

}  // namespace tirk
