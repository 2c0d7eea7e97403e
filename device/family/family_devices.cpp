#include "device/family/family_devices.h"

#include <array>

#include "core/log.h"
#include "device/device_table.h"
#include "profile/panel/device_profile.h"
#include "ui/msg_wnd.h"
#include "ui/mp_device_power.h"

CTelvorinFamilyDevice::CTelvorinFamilyDevice(int32_t familyCode)
    : CTelvorinUSBDevice(familyCode, tirk::hid::CreateDefaultHidBackend(), {}) {}

bool CTelvorinFamilyDevice::IsReceiverType(int type) {
    return type == tirk::kTypeMouseReceiver || type == tirk::kTypeKeyboardReceiver;
}

void CTelvorinFamilyDevice::StartDevice() {
    SetUpProfilePanel();
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
    if (result.Ok() || result.textKey.empty() || !MainWindow()) return;
    // The profiles could not be read or written: the user is told which file,
    // once the synchronisation that found it has finished (a modal window
    // here would let a removal run in the middle of it).
    WindowImplBase* window = MainWindow();
    window->PostTask([window, result] {
        CMsgWnd::ShowMessageFilled(window, "", result.textKey, result.detail, 96,
                                   MsgButtons::kConfirm);
    });
}

void CTelvorinFamilyDevice::SetSyncOffered(bool offered) {
    m_syncOffered = offered;
    if (!offered) m_syncOn = false;
}
