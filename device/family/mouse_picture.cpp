#include "device/family/mouse_picture.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

#include "ui/container.h"
#include "ui/device_key_button.h"
#include "ui/label.h"
#include "ui/select_panel.h"

namespace tirk {
namespace {

using enum CalloutSide;

// Picture pixels, taken from what scripts/make_mouse_picture.sh draws (it
// prints every area). The callouts' rows follow the buttons from front to
// back on each side, so that no two leader lines cross.
constexpr MouseKeyPlace kPlaces[] = {
    {0, "mouse_btn_left", "mouse_key_left", {38, 4, 67, 105}, {48, 19}, kLeft, 0},
    {1, "mouse_btn_right", "mouse_key_right", {85, 4, 134, 105}, {108, 38}, kRight, 0},
    {2, "mouse_btn_wheel", "mouse_key_middle", {69, 19, 83, 55}, {82, 48}, kRight, 1},
    {3, "mouse_btn_side_front", "mouse_key_forward", {17, 105, 27, 129}, {18, 116}, kLeft, 4},
    {4, "mouse_btn_side_rear", "mouse_key_back", {13, 130, 25, 154}, {16, 141}, kLeft, 5},
    {5, "mouse_btn_dpi_up", "mouse_key_DPI_add", {70, 59, 82, 70}, {81, 64}, kRight, 2},
    {6, "mouse_btn_dpi_down", "mouse_key_DPI_sub", {70, 72, 82, 83}, {81, 77}, kRight, 3},
    {7, "mouse_btn_dpi", "mouse_key_DPI_loop", {70, 87, 83, 100}, {82, 93}, kRight, 4},
    {8, "mouse_btn_mode", "keyboard_key_GM", {28, 53, 37, 69}, {29, 61}, kLeft, 2},
    {9, "mouse_btn_sniper", "mouse_key_DPI_shift", {16, 75, 25, 100}, {17, 87}, kLeft, 3},
    {10, "mouse_btn_fire", "mouse_key_fire_key", {28, 29, 37, 49}, {29, 39}, kLeft, 1},
};
static_assert(std::size(kPlaces) == kMouseKeyCount);

// LED n, by number.
constexpr TRectUI kLedAreas[] = {
    {23, 115, 33, 134},    // 0
    {21, 133, 29, 153},    // 1
    {21, 152, 29, 172},    // 2
    {24, 170, 35, 189},    // 3
    {31, 187, 44, 204},    // 4
    {41, 201, 56, 214},    // 5
    {54, 210, 70, 220},    // 6
    {82, 210, 99, 220},    // 7
    {96, 201, 111, 214},   // 8
    {108, 187, 121, 204},  // 9
    {117, 170, 128, 189},  // 10
    {123, 152, 131, 172},  // 11
    {124, 133, 132, 153},  // 12
    {119, 115, 129, 134},  // 13
    {68, 214, 85, 222},    // 14
};
static_assert(std::size(kLedAreas) == kMouseLedCount);

// The panel: the mouse in the middle, a callout column on each side.
constexpr TPointUI kDrawingAt{(kMousePanelWidth - kMouseDrawingWidth) / 2,
                              (kMousePanelHeight - kMouseDrawingHeight) / 2};
constexpr int kBackdropWidth = 300;
constexpr int kCalloutWidth = 150;
constexpr int kCalloutHeight = 32;
constexpr int kCalloutPitch = 38;
constexpr int kNameHeight = 14;
// A leader starts this far from its callout; its bend (knee) moves towards
// the mouse by one step per row, which keeps the lines apart.
constexpr int kLeaderGap = 2;
constexpr int kLeftKnee = kCalloutWidth + 6;
constexpr int kLeftKneeStep = 8;
constexpr int kRightKnee = kMousePanelWidth - kCalloutWidth - 6;
constexpr int kRightKneeStep = 9;
constexpr int kAnchorSize = 7;

constexpr uint32_t kLeaderColour = 0xFF5A606C;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kOpaque = 255;

constexpr char kKeyPrefix[] = "key_";
constexpr char kLedPrefix[] = "mouse_led_";
constexpr char kLightPrefix[] = "light_";
constexpr char kNamePrefix[] = "mouse_key_name_";
constexpr char kLightLedPrefix[] = "mouse_light_led_";

// The buttons' looks: the mouse itself shows through; under the pointer,
// pressed, being edited and changed, each button shows its own part of the
// overlay pictures, cut out by its area.
constexpr char kHotImage[] = "mouse/mouse_hot.png";
constexpr char kPushedImage[] = "mouse/mouse_pushed.png";
constexpr char kEditImage[] = "mouse/mouse_edit.png";
constexpr char kChangedImage[] = "mouse/mouse_set.png";
constexpr char kLedImage[] = "mouse/mouse_leds.png";

// The callouts' two lines: the button's name small and grey, its function
// below in the page's text colour; both cut with "…" when too long.
constexpr char kNameStyle[] = "font=\"9\" textcolor=\"#FF8A909C\" endellipsis=\"true\"";
constexpr char kAssignmentStyle[] = "font=\"7\" textcolor=\"#FFE8E8EC\" endellipsis=\"true\"";

std::string Keyed(const std::string& key) {
    return "%[" + key + "]";
}

std::string Rect(const TRectUI& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

std::string PartOf(const char* file, const TRectUI& area) {
    return std::string("file='") + file + "' source='" + Rect(area) + "'";
}

TRectUI OnPanel(const TRectUI& area) {
    return {area.left + kDrawingAt.x, area.top + kDrawingAt.y, area.right + kDrawingAt.x,
            area.bottom + kDrawingAt.y};
}

TPointUI OnPanel(const TPointUI& point) {
    return {point.x + kDrawingAt.x, point.y + kDrawingAt.y};
}

int RowsIn(CalloutSide side) {
    return static_cast<int>(
        std::count_if(std::begin(kPlaces), std::end(kPlaces),
                      [side](const MouseKeyPlace& p) { return p.side == side; }));
}

// The callouts of a column are centred on the panel's height.
TRectUI CalloutArea(const MouseKeyPlace& place) {
    const int rows = RowsIn(place.side);
    const int columnTop =
        (kMousePanelHeight - (rows * kCalloutPitch - (kCalloutPitch - kCalloutHeight))) / 2;
    const int top = columnTop + place.row * kCalloutPitch;
    const int left = place.side == kLeft ? 0 : kMousePanelWidth - kCalloutWidth;
    return {left, top, left + kCalloutWidth, top + kCalloutHeight};
}

// Decoration: drawn, never clicked (clicks reach the key buttons below).
void Float(CContainerUI& panel, CControlUI* control, const TRectUI& at) {
    control->SetFloat(true);
    control->SetFloatPos(at);
    panel.Add(control);
}

void AddDecoration(CContainerUI& panel, CControlUI* control, const TRectUI& at) {
    control->SetMouseEnabled(false);
    Float(panel, control, at);
}

void AddLine(CContainerUI& panel, int key, TPointUI from, TPointUI to) {
    auto* line = new CControlUI;
    line->SetName(MouseLeaderName(key));
    line->SetBkColor(kLeaderColour);
    const TRectUI at{std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x) + 1,
                     std::max(from.y, to.y) + 1};
    AddDecoration(panel, line, at);
}

// From beside the callout, level with its middle, to the knee; along the
// knee to the anchor's height; then across to the anchor.
void AddLeader(CContainerUI& panel, const MouseKeyPlace& place) {
    const TRectUI callout = CalloutArea(place);
    const int middle = (callout.top + callout.bottom) / 2;
    const bool left = place.side == kLeft;
    const TPointUI start{left ? callout.right + kLeaderGap : callout.left - kLeaderGap - 1, middle};
    const int knee =
        left ? kLeftKnee + place.row * kLeftKneeStep : kRightKnee - place.row * kRightKneeStep;
    const TPointUI anchor = OnPanel(place.anchor);
    if (anchor.y == middle) {
        AddLine(panel, place.key, start, anchor);
        return;
    }
    AddLine(panel, place.key, start, {knee, middle});
    AddLine(panel, place.key, {knee, middle}, {knee, anchor.y});
    AddLine(panel, place.key, {knee, anchor.y}, anchor);
}

void AddAnchor(CContainerUI& panel, const MouseKeyPlace& place) {
    const TPointUI at = OnPanel(place.anchor);
    auto* dot = new CControlUI;
    dot->SetBkImage("mouse/anchor.png");
    const int half = kAnchorSize / 2;
    AddDecoration(panel, dot,
                  {at.x - half, at.y - half, at.x - half + kAnchorSize, at.y - half + kAnchorSize});
}

void AddKeyButton(CContainerUI& panel, const MouseKeyPlace& place) {
    auto* button = new CDeviceKeyButtonUI;
    button->SetName(kKeyPrefix + std::to_string(place.key));
    button->SetToolTip(Keyed(place.nameKey));
    button->SetAttribute("hotimage", PartOf(kHotImage, place.area));
    button->SetAttribute("pushedimage", PartOf(kPushedImage, place.area));
    button->SetKeyUnsetImage(PartOf(kEditImage, place.area));
    button->SetKeySetImage(PartOf(kChangedImage, place.area));
    button->SetAttribute("cursor", "hand");
    Float(panel, button, OnPanel(place.area));
}

int ScaledPixels(int pixels) {
    return static_cast<int>(pixels * kMouseLightScale + 0.5);
}

TRectUI Scaled(const TRectUI& r) {
    return {ScaledPixels(r.left), ScaledPixels(r.top), ScaledPixels(r.right),
            ScaledPixels(r.bottom)};
}

void AddLed(CContainerUI& panel, int led) {
    auto* mark = new CDeviceKeyButtonUI;
    mark->SetName(kLedPrefix + std::to_string(led));
    mark->SetUserData(kLightPrefix + std::to_string(led));
    mark->SetLightImage(PartOf(kLedImage, kLedAreas[led]));
    mark->SetLightMark(kWhite, kOpaque, true);
    AddDecoration(panel, mark, OnPanel(kLedAreas[led]));
}

CLabelUI* NewLabel(const char* style, CalloutSide side, int height) {
    auto* label = new CLabelUI;
    label->ApplyAttributeList(style);
    label->SetAttribute("align", side == kLeft ? "right" : "left");
    label->SetFixedHeight(height);
    return label;
}

void AddCallout(CContainerUI& panel, const MouseKeyPlace& place) {
    auto* callout = new CVerticalLayoutUI;
    callout->SetName(MouseCalloutName(place.key));
    CLabelUI* name = NewLabel(kNameStyle, place.side, kNameHeight);
    name->SetName(kNamePrefix + std::to_string(place.key));
    name->SetText(Keyed(place.nameKey));
    CLabelUI* assignment = NewLabel(kAssignmentStyle, place.side, kCalloutHeight - kNameHeight);
    assignment->SetName(MouseAssignmentName(place.key));
    assignment->SetText(Keyed(place.defaultKey));
    callout->Add(name);
    callout->Add(assignment);
    // Not a decoration: a cut text shows whole as the tooltip.
    Float(panel, callout, CalloutArea(place));
}

}  // namespace

std::span<const MouseKeyPlace> MouseKeyPlaces() {
    return kPlaces;
}

std::span<const TRectUI> MouseLedAreas() {
    return kLedAreas;
}

std::string MouseCalloutName(int key) {
    return "mouse_key_callout_" + std::to_string(key);
}

std::string MouseAssignmentName(int key) {
    return "mouse_key_assignment_" + std::to_string(key);
}

std::string MouseLeaderName(int key) {
    return "mouse_key_leader_" + std::to_string(key);
}

// Drawn in this order: the mouse, its lights, the leader lines, the buttons
// (over the lines, so a whole button lights up under the pointer), the
// anchors and the callouts. The backdrop is the panel's own background.
void BuildMousePicture(CSelectPanelUI& panel) {
    panel.HoldLayout(true);
    panel.RemoveAll();
    panel.SetFixedWidth(kMousePanelWidth);
    panel.SetFixedHeight(kMousePanelHeight);
    const int backdropLeft = (kMousePanelWidth - kBackdropWidth) / 2;
    panel.SetBkImage("file='mouse/backdrop.png' dest='" +
                     Rect({backdropLeft, 0, backdropLeft + kBackdropWidth, kMousePanelHeight}) +
                     "'");
    auto* mouse = new CControlUI;
    mouse->SetName("mouse_device_picture");
    mouse->SetBkImage("mouse/mouse.png");
    AddDecoration(panel, mouse, OnPanel(TRectUI{0, 0, kMouseDrawingWidth, kMouseDrawingHeight}));
    for (int led = 0; led < kMouseLedCount; ++led) AddLed(panel, led);
    for (const MouseKeyPlace& place : kPlaces) AddLeader(panel, place);
    for (const MouseKeyPlace& place : kPlaces) AddKeyButton(panel, place);
    for (const MouseKeyPlace& place : kPlaces) AddAnchor(panel, place);
    for (const MouseKeyPlace& place : kPlaces) AddCallout(panel, place);
    panel.HoldLayout(false);
}

bool BuildMousePictureIn(CContainerUI& page) {
    auto* panel = dynamic_cast<CSelectPanelUI*>(page.FindSubControl(kMousePictureName));
    if (!panel) return false;
    BuildMousePicture(*panel);
    return true;
}

std::vector<CDeviceKeyButtonUI*> BuildMouseLightPictureIn(CContainerUI& page) {
    auto* panel = dynamic_cast<CContainerUI*>(page.FindSubControl(kMouseLightPictureName));
    if (!panel) return {};
    const TRectUI drawing = Scaled({0, 0, kMouseDrawingWidth, kMouseDrawingHeight});
    panel->RemoveAll();
    panel->SetFixedWidth(drawing.right);
    panel->SetFixedHeight(drawing.bottom);
    auto* mouse = new CControlUI;
    mouse->SetBkImage("mouse/mouse.png");
    AddDecoration(*panel, mouse, drawing);
    std::vector<CDeviceKeyButtonUI*> marks;
    for (int led = 0; led < kMouseLedCount; ++led) {
        auto* mark = new CDeviceKeyButtonUI;
        mark->SetName(kLightLedPrefix + std::to_string(led));
        mark->SetLightImage(PartOf(kLedImage, kLedAreas[led]));
        mark->SetLightMark(kWhite, kOpaque, true);
        AddDecoration(*panel, mark, Scaled(kLedAreas[led]));
        marks.push_back(mark);
    }
    return marks;
}

bool ShowMouseAssignment(CContainerUI& page, int key, const std::string& text) {
    CControlUI* assignment = page.FindSubControl(MouseAssignmentName(key));
    if (!assignment) return false;
    assignment->SetText(text);
    assignment->SetToolTip(text);
    return true;
}

}  // namespace tirk
