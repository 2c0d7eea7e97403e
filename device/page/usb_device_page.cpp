// The device object as a page: binding the key buttons, showing the light
// colours on them, the function-switch pages and the lighting page values.
#include <algorithm>

#include "device/page/indexed_name.h"
#include "device/page/usb_device.h"
#include "ui/device_key_button.h"
#include "ui/select_panel.h"

namespace {

constexpr char kSelectPanelClass[] = "SelectPanel";
constexpr char kKeyButtonClass[] = "DeviceKeyButton";
constexpr char kKeyPrefix[] = "key_";
constexpr char kLightPrefix[] = "light_";
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kOpaque = 255;
constexpr char kFunctionSwitch[] = "device_function_switch";
constexpr char kKeyFunctionSwitch[] = "device_key_function_switch";

// Depth first in child order, `root` excluded; stops when `visit` returns true.
bool VisitBelow(const CControlUI* root, const std::function<bool(CControlUI*)>& visit) {
    auto* container = dynamic_cast<const CContainerUI*>(root);
    if (!container) return false;
    for (int i = 0; i < container->GetCount(); ++i) {
        CControlUI* child = container->GetItemAt(i);
        if (visit(child) || VisitBelow(child, visit)) return true;
    }
    return false;
}

CControlUI* FirstOfClass(const CControlUI* root, const std::string& className) {
    CControlUI* found = nullptr;
    VisitBelow(root, [&](CControlUI* control) {
        if (control->GetClass() != className) return false;
        found = control;
        return true;
    });
    return found;
}

// The colour packing of the key buttons' light marks.
uint32_t PackLightColour(uint8_t red, uint8_t green, uint8_t blue) {
    return red | uint32_t{blue} << 8 | uint32_t{green} << 16;
}

// Sets each visible mark to its LED's colour (four bytes per LED); true
// when one changed.
bool PaintLightMarks(std::span<CDeviceKeyButtonUI* const> marks, std::span<const uint8_t> rgba) {
    bool changed = false;
    const size_t count = std::min(marks.size(), rgba.size() / 4);
    for (size_t i = 0; i < count; ++i) {
        CDeviceKeyButtonUI* light = marks[i];
        if (!light || !light->IsVisible()) continue;
        const uint8_t* led = &rgba[4 * i];
        const uint32_t colour = PackLightColour(led[0], led[1], led[2]);
        if (light->GetLightColor() == colour && light->GetLightAlpha() == led[3] &&
            light->IsLightOn())
            continue;
        light->SetLightMark(colour, led[3], true);
        changed = true;
    }
    return changed;
}

void SelectPage(CTabLayoutUI* tabs, int index) {
    if (tabs) tabs->SelectItem(index);
}

}  // namespace

void CTelvorinUSBDevice::AttachToPage() {
    m_selectPanel = nullptr;
    if (m_pageLayoutPath.empty()) {
        SetKeyCount(0);
        SetLedCount(0);
        return;
    }
    std::fill(m_keyControls.begin(), m_keyControls.end(), nullptr);
    std::fill(m_lightControls.begin(), m_lightControls.end(), nullptr);
    m_selectPanel = dynamic_cast<CSelectPanelUI*>(FirstOfClass(this, kSelectPanelClass));
    if (m_selectPanel) BindKeyButtons();
}

void CTelvorinUSBDevice::BindKeyButtons() {
    VisitBelow(m_selectPanel, [this](CControlUI* control) {
        auto* button = dynamic_cast<CDeviceKeyButtonUI*>(control);
        if (!button || button->GetClass() != kKeyButtonClass) return false;
        const tirk::page::IndexedName key = tirk::page::SplitIndexedName(button->GetName());
        if (key.prefix == kKeyPrefix && key.number >= 0 && key.number < KeyCount())
            m_keyControls[key.number] = button;
        const tirk::page::IndexedName light = tirk::page::SplitIndexedName(button->GetUserData());
        if (light.prefix == kLightPrefix && light.number >= 0 && light.number < LedCount()) {
            m_lightControls[light.number] = button;
            button->SetLightMark(kWhite, kOpaque, true);
        }
        return false;
    });
}

void CTelvorinUSBDevice::RenderLightFrame() {
    if (!m_lightControl) return;
    std::vector<uint8_t> colours;
    {
        std::lock_guard lock(m_previewLock);
        colours = m_ledColours;
    }
    PaintLightControls(colours);
}

// A static effect repaints nothing: the panel is redrawn only when a mark
// changed, which keeps an idle page from redrawing the whole picture 100
// times a second. An animation is drawn at most kPictureFrameMs apart: the
// marks take every colour, but a picture of a hundred keys drawn 60 times a
// second cost the window several per cent of a core for no visible gain.
bool CTelvorinUSBDevice::PaintLightControls(std::span<const uint8_t> rgba) {
    const size_t leds = static_cast<size_t>(LedCount());
    const bool changed = PaintLightMarks(std::span(m_lightControls).first(leds), rgba);
    const bool mirrorChanged = PaintLightMarks(m_mirrorMarks, rgba);
    m_pictureDirty = m_pictureDirty || changed;
    m_mirrorDirty = m_mirrorDirty || mirrorChanged;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastPictureFrame < kPictureFrame) return changed || mirrorChanged;
    // The marks repaint with their panel.
    if (m_pictureDirty && m_selectPanel) {
        m_selectPanel->Invalidate();
        m_pictureDirty = false;
        m_lastPictureFrame = now;
    }
    if (m_mirrorDirty && m_mirrorPanel) {
        m_mirrorPanel->Invalidate();
        m_mirrorDirty = false;
        m_lastPictureFrame = now;
    }
    return changed || mirrorChanged;
}

void CTelvorinUSBDevice::SetLightMirror(CControlUI* panel, std::vector<CDeviceKeyButtonUI*> marks) {
    m_mirrorPanel = panel;
    m_mirrorMarks = panel ? std::move(marks) : std::vector<CDeviceKeyButtonUI*>{};
    m_mirrorDirty = false;
}

void CTelvorinUSBDevice::OnTabSelected(int type) {
    m_functionSwitchType = type;
    auto* functions = dynamic_cast<CTabLayoutUI*>(FindSubControl(kFunctionSwitch));
    auto* keyFunctions = dynamic_cast<CTabLayoutUI*>(FindSubControl(kKeyFunctionSwitch));
    const bool keyboardOrMouse =
        m_typeCode == tirk::kTypeKeyboard || m_typeCode == tirk::kTypeMouse;
    if (type == 4 && !keyboardOrMouse) type = 7;
    switch (type) {
        case 2:
        case 6:
            SelectPage(functions, 0);
            SelectPage(keyFunctions, 1);
            break;
        case 3:
        case 8:
            SelectPage(functions, 1);
            break;
        case 4:
            SelectPage(functions, 3);
            break;
        case 5:
            SelectPage(functions, 2);
            break;
        case 7:
            SelectPage(functions, 0);
            SelectPage(keyFunctions, 2);
            break;
        default:
            SelectPage(functions, 0);
            SelectPage(keyFunctions, 0);
            break;
    }
}

void CTelvorinUSBDevice::SetAudioLightInfo(int a, int b, int c) {
    m_audioLight = {a, b, c};
    if (m_audioLightPage) m_audioLightPage->ShowAudioLight(m_audioLight);
}

std::array<int, 3> CTelvorinUSBDevice::GetAudioLightInfo() const {
    return m_audioLightPage ? m_audioLightPage->ReadAudioLight() : m_audioLight;
}
