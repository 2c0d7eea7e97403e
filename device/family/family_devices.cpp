#include "device/family/family_devices.h"

#include <array>
#include <string_view>

#include "core/log.h"
#include "device/device_table.h"
#include "profile/hs6533_profiledata.h"
#include "profile/keyboard_profiledata.h"
#include "profile/mouse_profiledata.h"
#include "profile/panel/device_profile.h"
#include "profile/panel/key_set_control.h"
#include "profile/panel/light_control.h"
#include "ui/mp_device_power.h"
#include "ui/msg_wnd.h"
#include "ui/resource_manager.h"

namespace {

/// "The device did not take %s …": told once until a send succeeds again.
constexpr char kSendFailedText[] = "device_send_failed_text";

}  // namespace

CTelvorinFamilyDevice::CTelvorinFamilyDevice(int32_t familyCode,
                                             std::unique_ptr<tirk::CBasicProfiledata> profile)
    : CTelvorinUSBDevice(familyCode, tirk::hid::CreateDefaultHidBackend(), {}),
      m_profile(std::move(profile)) {}

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

CTelvorinUSBDevice::LinkCheck CTelvorinFamilyDevice::LinkCheckExchange() const {
    return [](CCommandChannel& channel) { return channel.QueryOnline(); };
}

void CTelvorinFamilyDevice::PollPowerStatus() {
    if (!Channel().IsOpen() || PollingPaused()) return;
    QueueExchange<StatusReading>(
        kExchangeStatus, &CTelvorinFamilyDevice::ReadStatusBlock,
        [this](const StatusReading& reading) { ShowPowerStatus(reading); });
}

// Worker thread. The status block's byte 3 is the host's: 1 on the receiver,
// 0 on the cable.
CTelvorinFamilyDevice::StatusReading CTelvorinFamilyDevice::ReadStatusBlock(
    CCommandChannel& channel) {
    StatusReading reading;
    reading.linked = channel.QueryOnline() == tirk::link::kSuccess;
    if (!reading.linked) return reading;
    reading.result = channel.ReadStatus(reading.status, 0);
    reading.status[3] = channel.IsWireless() ? 1 : 0;
    return reading;
}

// A receiver whose device is away says nothing; a failed read is logged.
void CTelvorinFamilyDevice::ShowPowerStatus(const StatusReading& reading) {
    if (!reading.linked) return;
    if (reading.result != tirk::link::kSuccess) {
        tirk::log::Printf("%s: status not read (%d)", DeviceFolderName().c_str(), reading.result);
        return;
    }
    if (auto* power = dynamic_cast<CMpDevicePowerUI*>(PowerTile()))
        power->SetStatus(reading.status.data(), static_cast<int>(reading.status.size()));
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
    // The page starts on the lighting (function-switch type 1), so its tab
    // is the one marked; marking the pointer tab instead showed one page
    // under another's tab, and a click on that tab then did nothing.
    panel->SelectFeatureTab(kLightingTabNumber);
    SetProfileBaseName(panel->GetActiveProfileId());
    LoadActiveProfile();
    if (!result.Ok() && !result.textKey.empty()) TellUser(result.textKey, result.detail);
}

// A device that stopped answering fails every send; the user hears of it
// once, and again only after it took something in between.
void CTelvorinFamilyDevice::OnSendResult(const char* what, int result) {
    if (result == tirk::link::kSuccess) {
        m_sendFailureTold = false;
        return;
    }
    tirk::log::Printf("%s: %s not sent (%d)", DeviceFolderName().c_str(), what, result);
    // The assignments are saved but not on the device: the send button
    // stays offered so the user can try again.
    const bool keysNotSent =
        std::string_view(what) == kKeysPart || std::string_view(what) == kMacrosPart;
    if (CKeySetControlUI* keys = KeySetPanel(); keys && keysNotSent) keys->SetEditingEnabled(true);
    if (m_sendFailureTold) return;
    m_sendFailureTold = true;
    TellUser(kSendFailedText, CResourceManager::GetInstance()->GetText(what));
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
