// The keyboard's system page: the key flags, the report rate and the key
// repeat settings, kept in the profile's "SystemStages". The routes
// (app/routes/keyboard_routes.cpp) change them; docs/keyboard-system-page.md
// tells the page.
#include <string>

#include "device/family/keyboard_device.h"
#include "profile/keyboard_profiledata.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/resource_manager.h"
#include "ui/slider.h"

namespace kb = tirk::keyboard;

namespace {

constexpr char kDelayText[] = "Repeat_Delay_Time";
/// Keyed, so that the tip follows a change of language.
constexpr char kTestBoxTip[] = "%[Repeat_input_text]";
/// The first delay step and the length of each step.
constexpr int kDelayBaseMs = 250;
constexpr int kDelayStepMs = 250;

/// The option a stored step shows: values the page has no option for show
/// the first.
int ShownStep(int value) {
    return value >= 0 && value < CTelvorinKeyboardDevice::kOptionSteps ? value : 0;
}

}  // namespace

kb::SystemSettings CTelvorinKeyboardDevice::SystemSettings() {
    return kb::SystemSettingsOf(KeyboardProfile().GetKeyboardSettings());
}

void CTelvorinKeyboardDevice::PutSystemSettings(const kb::SystemSettings& settings) {
    const tirk::KeyboardSettings words = kb::WordsOf(settings);
    KeyboardProfile().SetKeyboardSettings(words.words[0], words.words[1], words.words[2]);
}

void CTelvorinKeyboardDevice::StoreSystemSettings(const kb::SystemSettings& settings) {
    PutSystemSettings(settings);
    SaveProfile();
    RefreshSystemPage();
}

bool CTelvorinKeyboardDevice::ChooseReportRate(int index) {
    if (index < 0 || index >= kOptionSteps) return false;
    kb::SystemSettings settings = SystemSettings();
    settings.pollingRate = static_cast<uint16_t>(index);
    StoreSystemSettings(settings);
    return true;
}

// The controls are set without notifications: showing the profile must not
// store it again.
void CTelvorinKeyboardDevice::RefreshSystemPage() {
    const kb::SystemSettings settings = SystemSettings();
    const auto select = [this](const std::string& name, bool selected) {
        if (auto* option = dynamic_cast<COptionUI*>(FindSubControl(name)))
            option->Selected(selected, false);
    };
    select(kWinLockOption, settings.winFlag != 0);
    select(kWFlagOption, settings.wFlag != 0);
    select(kKey6FlagOption, settings.key6Flag != 0);
    select(kPollingRateOption + std::to_string(ShownStep(settings.pollingRate)), true);

    if (auto* slider = dynamic_cast<CSliderUI*>(FindSubControl(kRepeatRateSlider)))
        slider->SetValue(settings.repeat);
    const int delayStep = ShownStep(settings.repeatDelay);
    select(kRepeatDelayOption + std::to_string(delayStep), true);
    // The label names the delay of the option shown, also for a stored value
    // the page has no option for.
    if (CControlUI* label = FindSubControl(kRepeatDelayLabel))
        label->SetText(CResourceManager::GetInstance()->GetText(kDelayText) + " " +
                       std::to_string(delayStep * kDelayStepMs + kDelayBaseMs) + " ms");
    if (CControlUI* box = FindSubControl(kRepeatTestBox)) {
        box->SetText("");
        box->SetToolTip(kTestBoxTip);
    }
}
