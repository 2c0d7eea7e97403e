#include "device/family/family_devices.h"

#include <array>

#include "core/log.h"
#include "device/device_table.h"
#include "profile/hs6533_profiledata.h"
#include "profile/keyboard_profiledata.h"
#include "profile/mouse_profiledata.h"
#include "profile/panel/device_profile.h"
#include "profile/panel/light_control.h"
#include "ui/msg_wnd.h"
#include "ui/mp_device_power.h"

CTelvorinFamilyDevice::CTelvorinFamilyDevice(int32_t familyCode,
                                             std::unique_ptr<tirk::CBasicProfiledata> profile)
    : CTelvorinUSBDevice(familyCode, tirk::hid::CreateDefaultHidBackend(), {}),
      m_profile(std::move(profile)) {}

CTelvorinMouseDevice::CTelvorinMouseDevice()
    : CTelvorinFamilyDevice(kFamilyMouse, std::make_unique<tirk::CMouseProfiledata>()) {}

CTelvorinKeyboardDevice::CTelvorinKeyboardDevice()
    : CTelvorinFamilyDevice(kFamilyKeyboard, std::make_unique<tirk::CKeyboardProfiledata>()) {}

CTelvorinMousePadDevice::CTelvorinMousePadDevice()
    : CTelvorinFamilyDevice(kFamilyMousePad, std::make_unique<tirk::CBasicProfiledata>()) {}

CTelvorinHS6533Device::CTelvorinHS6533Device()
    : CTelvorinFamilyDevice(kFamilyHeadset, std::make_unique<tirk::CHs6533Profiledata>()) {}

bool CTelvorinFamilyDevice::IsReceiverType(int type) {
    return type == tirk::kTypeMouseReceiver || type == tirk::kTypeKeyboardReceiver;
}

void CTelvorinFamilyDevice::StartDevice() {
    SetUpProfilePanel();
    ValidateMacroRefs();
    RefreshPage();
    if (HasPowerTile()) PollPowerStatus();
}

int CTelvorinFamilyDevice::IsOnline() {
    return Channel().QueryOnline();
}

// The status block's byte 3 is the host's: 1 on the receiver, 0 on the cable.
void CTelvorinFamilyDevice::PollPowerStatus() {
    CCommandChannel& channel = Channel();
    if (!channel.IsOpen() || PollingPaused()) return;
    if (channel.QueryOnline() != tirk::link::kSuccess) return;
    std::array<uint8_t, 6> status{};
    const int result = channel.ReadStatus(status, 0);
    if (result != tirk::link::kSuccess) {
        tirk::log::Printf("%s: status not read (%d)", DeviceFolderName().c_str(), result);
        return;
    }
    status[3] = channel.IsWireless() ? 1 : 0;
    if (auto* power = dynamic_cast<CMpDevicePowerUI*>(PowerTile()))
        power->SetStatus(status.data(), static_cast<int>(status.size()));
}

bool CTelvorinFamilyDevice::OpenNotificationChannel(int type, const std::string& path) {
    return OpenNotificationInterface(path, IsReceiverType(type));
}

bool CTelvorinFamilyDevice::CloseNotificationChannel(int type) {
    return CloseNotificationInterface(IsReceiverType(type));
}

void CTelvorinFamilyDevice::SetUpProfilePanel() {
    auto* panel = dynamic_cast<CDeviceProfileUI*>(FindSubControl(kProfilePanelName));
    if (!panel) return;
    panel->SetDeviceTypeCode(TypeCode());
    panel->SetProfileFolders(UserFolder(), DefaultProfilePath());
    const tirk::ProfileResult result = panel->InitProfiles();
    panel->SelectFeatureTab(1);
    SetProfileBaseName(panel->GetActiveProfileId());
    LoadActiveProfile();
    if (!result.Ok() && !result.textKey.empty()) TellUser(result.textKey, result.detail);
}

void CTelvorinFamilyDevice::TellUser(const std::string& textKey, const std::string& detail) {
    WindowImplBase* window = MainWindow();
    if (!window) return;
    window->PostTask([window, textKey, detail] {
        CMsgWnd::ShowMessageFilled(window, "", textKey, detail, 96, MsgButtons::kConfirm);
    });
}

void CTelvorinFamilyDevice::SetSyncOffered(bool offered) {
    m_syncOffered = offered;
    if (!offered) m_syncOn = false;
    if (CLightControlUI* light = LightPage()) light->SetSyncAllowed(offered ? 1 : 0);
}
