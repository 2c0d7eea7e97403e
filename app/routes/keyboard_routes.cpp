// The keyboard's own commands: the system page (the three key flags, the
// report rate, the key repeat rate and delay and their reset) and the two
// buttons that fill the custom colour map. Each row acts on a keyboard only;
// the same notification from another family's page is left alone. The flags
// and the report rate are the keyboard's settings record, so they are also
// sent; the repeat values live in the profile alone.
#include <optional>
#include <string>

#include "app/app_globals.h"
#include "app/page_router.h"
#include "device/family/keyboard_device.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/profile_list.h"
#include "ui/button.h"
#include "ui/slider.h"

namespace tirk {
namespace {

namespace kb = keyboard;
using Keyboard = CTelvorinKeyboardDevice;

Keyboard* KeyboardOf(RouteCall& call) {
    return dynamic_cast<Keyboard*>(&call.device);
}

/// An option of a four-step group that became selected (a group also reports
/// the option it left).
bool StepChosen(const RouteCall& call) {
    return call.index >= 0 && call.index < Keyboard::kOptionSteps &&
           OptionState(call).value_or(false);
}

/// Applies `change` to the keyboard's system settings, stores them and saves
/// the profile; the keyboard, or nullptr for another family.
template <typename Change>
Keyboard* ChangeSystemSettings(RouteCall& call, Change change) {
    Keyboard* keyboard = KeyboardOf(call);
    if (!keyboard) return nullptr;
    kb::SystemSettings settings = keyboard->SystemSettings();
    change(settings);
    keyboard->StoreSystemSettings(settings);
    return keyboard;
}

void SendSettingsRecord(Keyboard* keyboard) {
    if (keyboard) SendDeviceSettings(*keyboard);
}

// ---- the settings record: key flags and report rate ----

/// The flag options are independent check boxes: the new state is the option's.
template <uint16_t kb::SystemSettings::*Flag>
void OnFlagChanged(RouteCall& call) {
    const std::optional<bool> selected = OptionState(call);
    if (!selected) return;
    SendSettingsRecord(ChangeSystemSettings(
        call, [on = *selected](kb::SystemSettings& s) { s.*Flag = on ? 1 : 0; }));
}

// ---- key repeat: the profile only ----

void OnRepeatRateChanged(RouteCall& call) {
    auto* slider = dynamic_cast<CSliderUI*>(call.msg.pSender);
    if (!slider) return;
    ChangeSystemSettings(call, [rate = slider->GetValue()](kb::SystemSettings& s) {
        s.repeat = static_cast<uint16_t>(rate);
    });
}

void OnRepeatDelayChosen(RouteCall& call) {
    if (!StepChosen(call)) return;
    ChangeSystemSettings(call, [step = call.index](kb::SystemSettings& s) {
        s.repeatDelay = static_cast<uint16_t>(step);
    });
}

/// Puts the repeat rate and delay of the installed default profile into
/// `settings`; false, with the problem, when that file has none.
bool TakeDefaultRepeat(Keyboard& keyboard, kb::SystemSettings& settings, std::string& problem) {
    JsonReadStatus status;
    const std::string path = keyboard.DefaultProfilePath();
    const Json::Value root = ReadJsonFile(path, status, problem);
    const Json::Value* devices = json::FindArray(root, "Device");
    const Json::Value* device =
        devices ? json::ObjectAt(*devices, Json::ArrayIndex(keyboard.Profile().GetDeviceIndex()))
                : nullptr;
    const Json::Value* defaults = device ? json::FindObject(*device, "SystemStages") : nullptr;
    if (!defaults) {
        if (problem.empty()) problem = path + ": holds no key repeat settings";
        return false;
    }
    settings.repeat = static_cast<uint16_t>(json::IntOr(defaults, "Repeat"));
    settings.repeatDelay = static_cast<uint16_t>(json::IntOr(defaults, "RepeatDelay"));
    return true;
}

/// The repeat rate and delay return to the installed default profile's; the
/// key flags and the report rate stay. Without a default the profile is left
/// as it is and the user is told.
void OnResetRepeat(RouteCall& call) {
    Keyboard* keyboard = KeyboardOf(call);
    if (!keyboard) return;
    kb::SystemSettings settings = keyboard->SystemSettings();
    std::string problem;
    if (!TakeDefaultRepeat(*keyboard, settings, problem)) {
        call.services.ShowMessage(profile_text::kFileError, problem);
        return;
    }
    keyboard->StoreSystemSettings(settings);
}

// ---- the custom colour map ----

template <bool Bright>
void OnFillCustomColours(RouteCall& call) {
    if (Keyboard* keyboard = KeyboardOf(call)) keyboard->FillCustomColours(Bright);
}

constexpr PageRoute kRoutes[] = {
    {notify_type::kSelectChanged, Keyboard::kWinLockOption, false,
     OnFlagChanged<&kb::SystemSettings::winFlag>},
    {notify_type::kSelectChanged, Keyboard::kWFlagOption, false,
     OnFlagChanged<&kb::SystemSettings::wFlag>},
    {notify_type::kSelectChanged, Keyboard::kKey6FlagOption, false,
     OnFlagChanged<&kb::SystemSettings::key6Flag>},
    {notify_type::kValueChanged, Keyboard::kRepeatRateSlider, false, OnRepeatRateChanged},
    {notify_type::kSelectChanged, Keyboard::kRepeatDelayOption, true, OnRepeatDelayChosen},
    {notify_type::kClick, "reset_repeat_btn", false, OnResetRepeat},
    {notify_type::kClick, "custom_bright_color_btn", false, OnFillCustomColours<true>},
    {notify_type::kClick, "custom_off_color_btn", false, OnFillCustomColours<false>},
};

}  // namespace

std::span<const PageRoute> KeyboardRoutes() {
    return kRoutes;
}

}  // namespace tirk
