#include "ui/mp_device_power.h"

#include <QMouseEvent>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ui/internal/typed_layout.h"

namespace tirk::ui {

std::string PowerStateImage(uint8_t state) {
    switch (state) {
        case 0:
            return "file='power/powered.png'";
        case 1:
            return "file='power/powering.png'";
        case 2:
            return "file='power/power.png'";
        default:
            return {};
    }
}

PhoneLook PhoneLookOf(uint8_t phone) {
    switch (phone) {
        case 1:
            return {"Phone_type_iphone", "file='power/Phone_type_iphone.png'"};
        case 2:
            return {"Phone_type_samsung", "file='power/Phone_type_samsung.png'"};
        case 3:
            return {"Phone_type_other", "file='power/Phone_type_other.png'"};
        default:
            return {"Phone_type_no_device", "file='power/Phone_type_no_device.png'"};
    }
}

}  // namespace tirk::ui

namespace {

constexpr int kKindKeyboard = 1;
constexpr int kKindMouse = 2;
constexpr int kKindMousePad = 3;

}  // namespace

CMpDevicePowerUI* CMpDevicePowerUI::CreateFromLayout(const std::string& file,
                                                     CPaintManagerUI* manager, std::string* error) {
    return tirk::ui::BuildLayoutOf<CMpDevicePowerUI>(file, manager, error);
}

CMpDevicePowerUI::CMpDevicePowerUI() = default;

void CMpDevicePowerUI::SetKind(int kind, int value) {
    m_kind = kind;
    m_kindValue = value;
}

void CMpDevicePowerUI::ShowPowerLayout(bool show) {
    if (CControlUI* layout = FindSubControl(kPowerLayoutName)) layout->SetVisible(show);
}

void CMpDevicePowerUI::SetStatus(const uint8_t* bytes, size_t length) {
    m_status.fill(0);
    if (bytes) std::memcpy(m_status.data(), bytes, std::min(length, m_status.size()));
    if (!FindParts()) return;
    ShowLevel();
    ShowWireless();
    ShowState();
    ShowPhone();
}

bool CMpDevicePowerUI::FindParts() {
    if (!m_value) m_value = FindSubControl(kValueName);
    if (!m_wirelessMark) m_wirelessMark = FindSubControl(kWirelessName);
    if (!m_progress) m_progress = dynamic_cast<CProgressUI*>(FindSubControl(kProgressName));
    if (!m_state) m_state = FindSubControl(kStateName);
    if (!m_phone) m_phone = FindSubControl(kPhoneName);
    return m_value && m_wirelessMark && m_progress && m_state && m_phone;
}

void CMpDevicePowerUI::ShowLevel() {
    const int level = m_status[tirk::ui::kPowerLevelByte];
    // The bar shows the spent part of the charge.
    m_progress->SetValue(100 - level);
    char text[16];
    std::snprintf(text, sizeof text, "%d%s", level, "%");
    m_value->SetText(text);
}

void CMpDevicePowerUI::ShowWireless() {
    if (m_kind != kKindKeyboard && m_kind != kKindMouse) return;
    m_wireless = m_status[tirk::ui::kPowerWirelessByte] != 0;
    m_wirelessMark->SetVisible(m_wireless);
}

void CMpDevicePowerUI::ShowState() {
    const uint8_t state = m_status[tirk::ui::kPowerStateByte];
    const std::string image = tirk::ui::PowerStateImage(state);
    if (image.empty()) return;
    // A wireless device that charges reports no meaningful level meanwhile.
    const bool charging = state == 1;
    m_progress->SetVisible(!(charging && m_wireless));
    m_state->SetBkImage(image);
}

void CMpDevicePowerUI::ShowPhone() {
    if (m_kind != kKindMousePad) return;
    const tirk::ui::PhoneLook look = tirk::ui::PhoneLookOf(m_status[tirk::ui::kPowerPhoneByte]);
    m_phone->SetToolTip(std::string("%[") + look.toolTipKey + "]");
    m_phone->SetBkImage(look.image);
}

bool CMpDevicePowerUI::Activate() {
    if (!IsEnabled() || !IsVisible()) return false;
    SendNotify(notify_type::kSelectChanged);
    return true;
}

void CMpDevicePowerUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !IsEnabled()) {
        event->ignore();
        return;
    }
    m_pressed = true;
    event->accept();
}

void CMpDevicePowerUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_pressed) {
        event->ignore();
        return;
    }
    m_pressed = false;
    event->accept();
    if (rect().contains(event->position().toPoint())) Activate();
}
