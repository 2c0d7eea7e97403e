// The mouse's pointer page: five DPI stages (active stage, on/off, value,
// colour), the report rate, the pointer values and the settings tabs. Every
// change is stored in the profile, saved and, where the mouse holds it, sent.
// Showing the profile sets the controls without notifications, so showing
// never stores anything again.
#include <algorithm>
#include <cctype>
#include <string>

#include "device/family/mouse_device.h"
#include "profile/mouse_profiledata.h"
#include "ui/button.h"
#include "ui/container.h"
#include "ui/edit.h"
#include "ui/slider.h"

namespace ms = tirk::mouse;

namespace {

constexpr char kActiveThumb[] = "Control/SliderBar1_Thumb.png";
constexpr char kOtherThumb[] = "Control/SliderBar2_Thumb.png";

std::string Indexed(const char* prefix, int index) {
    return prefix + std::to_string(index);
}

uint32_t ArgbOf(const tirk::DpiStage& stage) {
    return 0xFF000000u | uint32_t(stage.red) << 16 | uint32_t(stage.green) << 8 | stage.blue;
}

}  // namespace

int CTelvorinMouseDevice::DpiOfSlider(int value) const {
    return ms::DpiOfSlider(m_info, value);
}

// ---- showing the profile ----------------------------------------------------------

// The sliders run over the mouse's steps and the edits over its DPI, as the
// mouse reported them.
void CTelvorinMouseDevice::SetUpDpiControls() {
    for (int stage = 0; stage < kDpiStages; ++stage) {
        if (auto* slider = dynamic_cast<CSliderUI*>(FindSubControl(Indexed(kDpiSlider, stage)))) {
            slider->SetMinValue(0);
            slider->SetMaxValue(m_info.sliderSteps);
        }
        if (auto* edit = dynamic_cast<CEditUI*>(FindSubControl(Indexed(kDpiEdit, stage)))) {
            edit->SetMinValue(0);
            edit->SetMaxValue(DpiOfSlider(m_info.sliderSteps));
        }
    }
    RefreshDpiStages();
}

void CTelvorinMouseDevice::RefreshPage() {
    CTelvorinFamilyDevice::RefreshPage();
    RefreshDpiStages();
    RefreshReportRate();
    RefreshPointerValues();
}

void CTelvorinMouseDevice::RefreshDpiStages() {
    tirk::CMouseProfiledata& profile = MouseProfile();
    const std::vector<tirk::DpiStage> stages = profile.GetDpiStages();
    const int active = profile.GetActiveDpiStage();
    int enabled = 0;
    for (int stage = 0; stage < kDpiStages && stage < int(stages.size()); ++stage) {
        ShowDpiStage(stage, stages[size_t(stage)], stage == active);
        enabled += stages[size_t(stage)].enabled ? 1 : 0;
    }
    // The last stage switched on cannot be switched off.
    for (int stage = 0; stage < kDpiStages && stage < int(stages.size()); ++stage) {
        auto* enable = dynamic_cast<COptionUI*>(FindSubControl(Indexed(kDpiEnable, stage)));
        if (!enable) continue;
        const bool lastOn = enabled == 1 && stages[size_t(stage)].enabled;
        enable->SetEnabled(stage != active && !lastOn);
    }
}

// The slider stands at the slider value of the stage's DPI and the edit
// shows the DPI itself: the profile keeps DPI, not slider steps.
void CTelvorinMouseDevice::ShowDpiStage(int stage, const tirk::DpiStage& values, bool active) {
    if (CControlUI* layout = FindSubControl(Indexed(kDpiLayout, stage)))
        layout->SetEnabled(values.enabled != 0);
    if (auto* slider = dynamic_cast<CSliderUI*>(FindSubControl(Indexed(kDpiSlider, stage)))) {
        slider->SetValue(ms::SliderOfDpiText(m_info, std::to_string(values.DpiX())));
        slider->SetThumbImage(active ? kActiveThumb : kOtherThumb);
        slider->Invalidate();
    }
    if (CControlUI* edit = FindSubControl(Indexed(kDpiEdit, stage)))
        edit->SetText(std::to_string(values.DpiX()));
    if (auto* select = dynamic_cast<COptionUI*>(FindSubControl(Indexed(kDpiSelect, stage))))
        select->Selected(active, false);
    if (auto* enable = dynamic_cast<COptionUI*>(FindSubControl(Indexed(kDpiEnable, stage))))
        enable->Selected(values.enabled != 0, false);
    if (CControlUI* colour = FindSubControl(Indexed(kDpiColour, stage)))
        colour->SetBkColor(ArgbOf(values));
}

void CTelvorinMouseDevice::RefreshReportRate() {
    int index = int(MouseProfile().GetPointerSettings().words[2] >> 16);
    if (index < 0 || index >= kReportRates) index = 0;
    if (auto* option = dynamic_cast<COptionUI*>(FindSubControl(Indexed(kPollingRateOption, index))))
        option->Selected(true, false);
}

void CTelvorinMouseDevice::RefreshPointerValues() {
    const tirk::PointerSettings pointer = MouseProfile().GetPointerSettings();
    const auto slide = [this](const char* name, int value) {
        if (auto* slider = dynamic_cast<CSliderUI*>(FindSubControl(name))) slider->SetValue(value);
    };
    const auto check = [this](const char* name, bool on) {
        if (auto* option = dynamic_cast<COptionUI*>(FindSubControl(name)))
            option->Selected(on, false);
    };
    slide(kDoubleClickSlider, int(pointer.words[0] & 0xFFFF));
    slide(kPointerSpeedSlider, int(pointer.words[0] >> 16));
    check(kPointerPrecisionCheck, (pointer.words[1] & 0xFFFF) != 0);
    check(kScrollPageCheck, (pointer.words[1] >> 16) != 0);
    slide(kScrollSpeedSlider, int(pointer.words[2] & 0xFFFF));
}

// ---- the user's changes -------------------------------------------------------------

bool CTelvorinMouseDevice::CommitStages(const std::vector<tirk::DpiStage>& stages) {
    MouseProfile().SetDpiStages(stages);
    SaveProfile();
    RefreshDpiStages();
    return true;
}

bool CTelvorinMouseDevice::SelectDpiStage(int stage) {
    const std::vector<tirk::DpiStage> stages = MouseProfile().GetDpiStages();
    if (stage < 0 || stage >= int(stages.size()) || !stages[size_t(stage)].enabled) {
        RefreshDpiStages();  // a stage that is off cannot be the active one
        return false;
    }
    MouseProfile().SetActiveDpiStage(stage);
    return CommitStages(stages);
}

bool CTelvorinMouseDevice::EnableDpiStage(int stage, bool enabled) {
    std::vector<tirk::DpiStage> stages = MouseProfile().GetDpiStages();
    if (stage < 0 || stage >= int(stages.size())) return false;
    const int on = int(std::count_if(stages.begin(), stages.end(),
                                     [](const tirk::DpiStage& s) { return s.enabled != 0; }));
    const bool switchingOff = !enabled && stages[size_t(stage)].enabled;
    if (switchingOff && (on <= 1 || stage == MouseProfile().GetActiveDpiStage())) {
        RefreshDpiStages();  // the active and the last stage stay on
        return false;
    }
    stages[size_t(stage)].enabled = enabled ? 1 : 0;
    return CommitStages(stages);
}

// Before the mouse said how its slider maps to DPI, a slider value means no
// DPI at all: the stage keeps the DPI it has.
bool CTelvorinMouseDevice::SetDpiStageSlider(int stage, int value) {
    std::vector<tirk::DpiStage> stages = MouseProfile().GetDpiStages();
    if (stage < 0 || stage >= int(stages.size())) return false;
    if (!ms::DpiScaleKnown(m_info)) {
        RefreshDpiStages();
        return false;
    }
    const int dpi = DpiOfSlider(std::clamp(value, 0, int(m_info.sliderSteps)));
    stages[size_t(stage)].SetDpiX(uint16_t(dpi));
    stages[size_t(stage)].SetDpiY(uint16_t(dpi));
    return CommitStages(stages);
}

bool CTelvorinMouseDevice::SetDpiStageText(int stage, const std::string& text) {
    return SetDpiStageSlider(stage, ms::SliderOfDpiText(m_info, text));
}

bool CTelvorinMouseDevice::SetDpiStageColour(int stage, uint32_t argb) {
    std::vector<tirk::DpiStage> stages = MouseProfile().GetDpiStages();
    if (stage < 0 || stage >= int(stages.size())) return false;
    stages[size_t(stage)].red = uint8_t(argb >> 16);
    stages[size_t(stage)].green = uint8_t(argb >> 8);
    stages[size_t(stage)].blue = uint8_t(argb);
    return CommitStages(stages);
}

bool CTelvorinMouseDevice::ChooseReportRate(int index) {
    if (index < 0 || index >= kReportRates) index = 0;
    tirk::PointerSettings pointer = MouseProfile().GetPointerSettings();
    pointer.words[2] = (pointer.words[2] & 0xFFFF) | uint32_t(index) << 16;
    MouseProfile().SetPointerSettings(pointer.words[0], pointer.words[1], pointer.words[2]);
    SaveProfile();
    RefreshReportRate();
    return true;
}

void CTelvorinMouseDevice::StorePointerValues() {
    const auto slider = [this](const char* name) {
        auto* control = dynamic_cast<CSliderUI*>(FindSubControl(name));
        return control ? uint32_t(control->GetValue()) & 0xFFFF : 0u;
    };
    const auto checked = [this](const char* name) {
        auto* control = dynamic_cast<COptionUI*>(FindSubControl(name));
        return control && control->IsSelected() ? 1u : 0u;
    };
    const tirk::PointerSettings old = MouseProfile().GetPointerSettings();
    const uint32_t word0 = slider(kDoubleClickSlider) | slider(kPointerSpeedSlider) << 16;
    const uint32_t word1 = checked(kPointerPrecisionCheck) | checked(kScrollPageCheck) << 16;
    const uint32_t word2 = slider(kScrollSpeedSlider) | (old.words[2] & 0xFFFF0000u);
    MouseProfile().SetPointerSettings(word0, word1, word2);
    SaveProfile();  // the desktop's own pointer settings stay as they are
}

void CTelvorinMouseDevice::SelectSettingsTab(int n) {
    auto* tabs = dynamic_cast<CTabLayoutUI*>(FindSubControl(kSettingsTabs));
    if (!tabs) return;
    if (n < 0 || n >= tabs->GetCount()) n = 0;
    tabs->SelectItem(n);
    auto* options = dynamic_cast<CContainerUI*>(FindSubControl(kSettingsOptionLayout));
    if (!options) return;
    const std::string chosen = Indexed(kSettingsOption, n);
    for (int i = 0; i < options->GetCount(); ++i) {
        auto* option = dynamic_cast<COptionUI*>(options->GetItemAt(i));
        if (!option) continue;
        std::string name = option->GetName();
        const bool match =
            name.size() == chosen.size() &&
            std::equal(name.begin(), name.end(), chosen.begin(), [](char a, char b) {
                return std::tolower((unsigned char)a) == std::tolower((unsigned char)b);
            });
        option->Selected(match, false);
    }
}
