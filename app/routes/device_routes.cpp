// Commands of a whole device page: restoring the family's defaults, the
// desktop's own keyboard and mouse settings, and the click on a key of the
// device picture.
#include "app/app_globals.h"
#include "app/page_router.h"
#include "device/family/keyboard_device.h"
#include "profile/json_file.h"
#include "profile/key_assignment.h"

namespace tirk {
namespace {

constexpr char kRestoreQuestion[] = "message_text_22";
constexpr char kLeftButtonKept[] = "message_text_6";
constexpr char kNoDesktopSettings[] = "desktop_settings_missing";
/// The function-switch type of the key-assignment page.
constexpr int kKeyPageType = 2;
/// The function-switch type of the lighting page.
constexpr int kLightingPageType = 1;

/// "polling_rate_option_" + N of the keyboard's and the mouse's page.
void OnReportRateChosen(RouteCall& call) {
    if (BecameSelected(call) && call.device.ChooseReportRate(call.index))
        SendDeviceSettings(call.device);
}

void OnRestoreDefaults(RouteCall& call) {
    if (!call.services.Ask(kRestoreQuestion)) return;
    CTelvorinFamilyDevice& device = call.device;
    device.RestoreDefaults();
    device.WriteCurrentKeyAssignments(0);
    SendDeviceSettings(device);
}

/// "windowdeviceset_" 0 opens the desktop's keyboard settings, 1 its mouse
/// settings; without a settings program the user is told so.
void OnDesktopSettings(RouteCall& call) {
    if (call.index != 0 && call.index != 1) return;
    const DesktopSettingsPage page =
        call.index == 0 ? DesktopSettingsPage::kKeyboard : DesktopSettingsPage::kMouse;
    if (!call.services.OpenDesktopSettings(page)) call.services.ShowMessage(kNoDesktopSettings);
}

/// A key of the device picture: on the key page it opens the key for editing
/// (a mouse's only left button excepted); on a keyboard's lighting page it
/// paints the key in the custom mode.
void OnKeyClicked(RouteCall& call) {
    CTelvorinFamilyDevice& device = call.device;
    if (device.GetFunctionSwitchType() == kLightingPageType) {
        if (auto* keyboard = dynamic_cast<CTelvorinKeyboardDevice*>(&device))
            keyboard->PaintCustomKey(call.index);
        return;
    }
    if (device.GetFunctionSwitchType() != kKeyPageType) return;
    // A profile file that no longer reads as JSON is not edited further.
    if (ReadJson(device.Profile().GetProfilePath()).isNull()) return;
    if (device.FamilyCode() == CTelvorinUSBDevice::kFamilyMouse &&
        IsLastLeftButton(device.Profile().KeyList(), call.index)) {
        call.services.ShowMessage(kLeftButtonKept);
        return;
    }
    device.SelectKey(call.index);
}

constexpr PageRoute kRoutes[] = {
    {notify_type::kClick, "default_btn", false, OnRestoreDefaults},
    {notify_type::kClick, "key_", true, OnKeyClicked},
    {notify_type::kClick, "windowdeviceset_", true, OnDesktopSettings},
    {notify_type::kSelectChanged, "polling_rate_option_", true, OnReportRateChosen},
};

}  // namespace

std::span<const PageRoute> DeviceRoutes() {
    return kRoutes;
}

}  // namespace tirk
