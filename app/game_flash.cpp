#include "app/game_flash.h"

#include "app/page_router.h"
#include "app/profile_commands.h"
#include "device/family/family_devices.h"
#include "profile/panel/light_control.h"

namespace tirk {
namespace {

/// Puts `values` on the device and its page. The profile document holds
/// them (unsaved) only while the device's state and write are made from it.
void ShowLighting(CTelvorinFamilyDevice& device, const LightInfoRecord& values) {
    const LightInfoRecord stored = device.GetLightValues();
    device.StoreLightValues(values);
    device.ApplyProfileToState();
    SendDeviceSettings(device);
    device.StoreLightValues(stored);
    if (CLightControlUI* light = device.LightPage()) light->SetLightValues(values);
}

}  // namespace

void CGameFlash::OnGameEvent(int wParam, int lParam) {
    CTelvorinFamilyDevice* device = m_pages.CurrentDevice();
    if (device && wParam >= 0 && wParam <= 2) {
        device->Channel().SetPause(0);
        LightInfoRecord flash = device->GetLightValues();
        flash.selectItem = uint8_t(lParam & 0xFF);
        ShowLighting(*device, flash);
    }
    m_timer.StartTimer(kRestoreTimer, kFlashMs);
}

void CGameFlash::OnRestoreTimer() {
    m_timer.StopTimer(kRestoreTimer);
    if (CTelvorinFamilyDevice* device = m_pages.CurrentDevice())
        ShowLighting(*device, device->GetLightValues());
}

}  // namespace tirk
