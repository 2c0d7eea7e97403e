#include "profile/panel/light_control.h"

#include <iterator>
#include <memory>

#include "core/log.h"
#include "profile/audio_light.h"
#include "ui/button.h"
#include "ui/combo.h"
#include "ui/container.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/pallet.h"
#include "ui/slider.h"

namespace {

constexpr std::array<const char*, 3> kColourEditNames = {"deng_edit_R", "deng_edit_G",
                                                         "deng_edit_B"};
constexpr std::array<const char*, 3> kAudioEditNames = {"deng_audioedit_R", "deng_audioedit_G",
                                                        "deng_audioedit_B"};
constexpr char kSetAudioError[] = " SetAudioLightInfo control is NULL";
constexpr char kGetAudioError[] = "GetAudioLightInfo control is NULL";
constexpr char kAudioEditError[] = "GetLightAudioColor control is NULL";

uint32_t Argb(uint8_t red, uint8_t green, uint8_t blue) {
    return 0xFF000000u | uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}

/// Selects item i silently; an index the chooser does not have clears the
/// selection, so the chooser never shows a value that is not the stored one.
void SelectOrClear(CComboUI* combo, int index) {
    if (combo && !combo->SelectItem(index, false, false)) combo->SelectItem(-1, false, false);
}

int Selection(const CComboUI* combo) {
    return combo ? combo->GetCurSel() : -1;
}

/// Shows the language text of `key` (and follows language changes).
void ShowKey(CControlUI* control, const std::string& key) {
    if (control) control->SetTextKey(key);
}

}  // namespace

CLightControlUI::CLightControlUI() : m_alive(std::make_shared<char>()) {}

CLightControlUI::~CLightControlUI() = default;

template <typename T>
T* CLightControlUI::Find(T*& cache, const char* name) const {
    if (!cache) cache = dynamic_cast<T*>(FindSubControl(name));
    return cache;
}

CControlUI* CLightControlUI::Section(tirk::LightSection section) const {
    const auto index = static_cast<std::size_t>(section);
    return Find(m_sections[index], tirk::kLightSectionNames[index]);
}

CEditUI* CLightControlUI::ColourEdit(int channel) const {
    if (channel < 0 || channel >= int(m_edits.size())) return nullptr;
    return Find(m_edits[size_t(channel)], kColourEditNames[size_t(channel)]);
}

CEditUI* CLightControlUI::AudioEdit(int channel) const {
    if (channel < 0 || channel >= int(m_audioEdits.size())) return nullptr;
    return Find(m_audioEdits[size_t(channel)], kAudioEditNames[size_t(channel)]);
}

// ---- binding ----------------------------------------------------------------------

void CLightControlUI::SetModeList(const std::vector<std::string>& names,
                                  const std::vector<uint8_t>& visible, int maxBrightness,
                                  int maxSpeed) {
    if (CComboUI* combo = Find(m_modeCombo, "light_combo_modeSelect")) {
        combo->RemoveAll();
        for (size_t i = 0; i < names.size(); ++i) {
            auto* item = new CListLabelElementUI;
            item->SetTextKey(names[i]);
            item->SetUserData(names[i]);
            item->SetFixedHeight(kItemHeight);
            item->SetVisible(i >= visible.size() || visible[i] != 0);
            combo->Add(item);
        }
    }
    if (CSliderUI* slider = Find(m_brightness, "deng_light_slider"))
        slider->SetMaxValue(maxBrightness);
    if (CSliderUI* slider = Find(m_speed, "deng_speed_slider")) slider->SetMaxValue(maxSpeed);
}

void CLightControlUI::SetCustomModeList(const std::vector<std::string>& names) {
    CComboUI* combo = Find(m_customCombo, "light_combo_custommodeSelect");
    if (!combo) return;
    combo->RemoveAll();
    for (const std::string& name : names) {
        auto* item = new CListLabelElementUI;
        item->SetTextKey(name);
        item->SetUserData(name);
        item->SetFixedHeight(kItemHeight);
        combo->Add(item);
    }
}

// ---- lighting values ------------------------------------------------------------------

void CLightControlUI::SetMode(int i) {
    SelectOrClear(Find(m_modeCombo, "light_combo_modeSelect"), i);
    ApplyLayout(m_typeCode, i);
}

int CLightControlUI::GetMode() const {
    return Selection(Find(m_modeCombo, "light_combo_modeSelect"));
}

void CLightControlUI::SetCustomMode(int i) {
    SelectOrClear(Find(m_customCombo, "light_combo_custommodeSelect"), i);
}

int CLightControlUI::GetCustomMode() const {
    return Selection(Find(m_customCombo, "light_combo_custommodeSelect"));
}

void CLightControlUI::SetBrightness(int value) {
    if (CSliderUI* slider = Find(m_brightness, "deng_light_slider")) slider->SetValue(value);
}

int CLightControlUI::GetBrightness() const {
    const CSliderUI* slider = Find(m_brightness, "deng_light_slider");
    return slider ? slider->GetValue() : 0;
}

void CLightControlUI::SetSpeed(int value) {
    if (CSliderUI* slider = Find(m_speed, "deng_speed_slider")) slider->SetValue(value);
}

int CLightControlUI::GetSpeed() const {
    const CSliderUI* slider = Find(m_speed, "deng_speed_slider");
    return slider ? slider->GetValue() : 0;
}

void CLightControlUI::SetColorText(int channel, const std::string& text) {
    if (CEditUI* edit = ColourEdit(channel)) edit->SetText(text);
}

std::string CLightControlUI::GetColorText(int channel) const {
    const CEditUI* edit = ColourEdit(channel);
    return edit ? edit->GetText() : std::string();
}

int CLightControlUI::CommitColourEdit(int channel) {
    CEditUI* edit = ColourEdit(channel);
    if (!edit) return -1;
    const tirk::ColourEdit read = tirk::ParseColourEdit(edit->GetText());
    if (read.rewrite) edit->SetText(read.text);
    return read.value;
}

void CLightControlUI::SetZzccMode(int i) {
    SelectOrClear(Find(m_zzccCombo, "light_combo_ZZCCmodeSelect"), i);
}

int CLightControlUI::GetZzccMode() const {
    return Selection(Find(m_zzccCombo, "light_combo_ZZCCmodeSelect"));
}

void CLightControlUI::SetPaletteColor(uint32_t argb) {
    if (CPalletUI* palette = Find(m_palette, "deng_Color_Pallet")) palette->SetColor(argb);
    SetColorButton(argb);
}

uint32_t CLightControlUI::GetPaletteColor() const {
    const CPalletUI* palette = Find(m_palette, "deng_Color_Pallet");
    return palette ? palette->GetColor() : 0xFF000000u;
}

void CLightControlUI::SetColorButton(uint32_t argb) {
    if (CButtonUI* button = Find(m_colourButton, "deng_colordp_btn")) button->SetBkColor(argb);
}

uint32_t CLightControlUI::GetSlotColor(int n) const {
    const CControlUI* slot = FindSubControl("color_option_" + std::to_string(n));
    return slot ? slot->GetBkColor() : 0;
}

void CLightControlUI::SetMultiColor(int flag) {
    if (COptionUI* check = Find(m_sevenColour, "deng_7color_check"))
        check->Selected(flag != 0, false);
}

int CLightControlUI::GetMultiColor() const {
    const COptionUI* check = Find(m_sevenColour, "deng_7color_check");
    return check && check->IsSelected() ? 1 : 0;
}

void CLightControlUI::SetDirection(int flag) {
    if (COptionUI* left = Find(m_fxl, "deng_FXL_check")) left->Selected(flag != 0, false);
    if (COptionUI* right = Find(m_fxr, "deng_FXR_check")) right->Selected(flag == 0, false);
}

void CLightControlUI::ShowSameMode(int flag) {
    if (CControlUI* button = Section(tirk::LightSection::kSameMode))
        button->SetVisible(flag != 0 && m_severalDevices != 0);
}

void CLightControlUI::SetSyncAllowed(int flag) {
    m_severalDevices = flag != 0 ? 1 : 0;
    ApplyLayout(m_typeCode, GetMode());
}

void CLightControlUI::ApplyLayout(int type, int mode) {
    const tirk::LightLayout layout = tirk::LightLayoutFor(type, mode, m_severalDevices != 0);
    for (std::size_t i = 0; i < tirk::kLightSectionCount; ++i) {
        CControlUI* section = Section(static_cast<tirk::LightSection>(i));
        if (!section) continue;
        const tirk::LightSectionState& state = layout.sections[i];
        if (state.enabled) section->SetEnabled(*state.enabled);
        if (state.visible) section->SetVisible(*state.visible);
    }
    if (layout.fxlCaption) ShowKey(Find(m_fxl, "deng_FXL_check"), *layout.fxlCaption);
    if (layout.fxrCaption) ShowKey(Find(m_fxr, "deng_FXR_check"), *layout.fxrCaption);
    CTabLayoutUI* tab = Find(m_colourTab, tirk::kLightColourTabName);
    if (layout.tabPage && tab) tab->SelectItem(*layout.tabPage);
}

void CLightControlUI::SetLightValues(const tirk::LightInfoRecord& values) {
    SetMode(values.selectItem);
    SetBrightness(values.light);
    SetSpeed(values.speed);
    SetColorText(0, std::to_string(values.red));
    SetColorText(1, std::to_string(values.green));
    SetColorText(2, std::to_string(values.blue));
    const uint32_t colour = Argb(values.red, values.green, values.blue);
    SetPaletteColor(colour);
    SetColorButton(colour);
    SetMultiColor(values.multiColor);
    SetZzccMode(values.zzccLedMode);
    SetDirection(values.fx);
    ApplyLayout(m_typeCode, values.selectItem);
}

// ---- music colours -------------------------------------------------------------------

bool CLightControlUI::MusicControlsPresent(bool withColourArea) const {
    // Every control is looked up, so that the caches are filled for the caller.
    const void* found[] = {Find(m_audioCombo, "light_combo_audiomodeSelect"),
                           Find(m_audioSeven, "deng_7audiocolor_check"),
                           Find(m_audioBk, "audio_BkColor_check"),
                           Find(m_audioFg, "audio_FgColor_check"),
                           AudioEdit(0),
                           AudioEdit(1),
                           AudioEdit(2),
                           Find(m_audioPalette, "deng_audioColor_Pallet"),
                           Find(m_audioButton, "deng_audiocolordp_btn"),
                           Find(m_audioColourArea, "light_audiocolor_layout"),
                           Find(m_audioPaletteArea, "audiocolorpallet_layout")};
    const std::size_t needed = withColourArea ? std::size(found) : 4;
    for (std::size_t i = 0; i < needed; ++i) {
        if (!found[i]) return false;
    }
    return true;
}

void CLightControlUI::ShowAudioColour(uint32_t argb) {
    const uint8_t channels[3] = {uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)};
    for (int channel = 0; channel < 3; ++channel) {
        if (CEditUI* edit = AudioEdit(channel)) edit->SetText(std::to_string(channels[channel]));
    }
    if (m_audioPalette) m_audioPalette->SetColor(argb);
    if (m_audioButton) m_audioButton->SetBkColor(argb);
}

void CLightControlUI::SetAudioLightInfo(const tirk::AudioLightRecord& values) {
    m_audio = values;
    if (!MusicControlsPresent(true)) tirk::log::Line(kSetAudioError);
    SelectOrClear(m_audioCombo, values.audioMode);
    // Any non-zero colour type is the foreground colour.
    const bool foreground = values.colorTypeFlag != 0;
    if (m_audioBk) m_audioBk->Selected(!foreground, false);
    if (m_audioFg) m_audioFg->Selected(foreground, false);
    if (m_audioSeven) {
        m_audioSeven->SetEnabled(foreground);
        if (foreground) m_audioSeven->Selected(values.sevenColorFlag != 0, false);
    }
    ShowAudioColour(foreground ? Argb(values.fgRed, values.fgGreen, values.fgBlue)
                               : Argb(values.bkRed, values.bkGreen, values.bkBlue));
    const bool coloursUsed = values.audioMode != 3;  // the rings take their own hues
    if (m_audioColourArea) m_audioColourArea->SetEnabled(coloursUsed);
    if (m_audioPaletteArea) m_audioPaletteArea->SetEnabled(coloursUsed);
}

tirk::AudioLightRecord CLightControlUI::GetAudioLightInfo(bool takeColour) const {
    tirk::AudioLightRecord values = m_audio;
    const bool present = MusicControlsPresent(false) &&
                         (!takeColour || Find(m_audioButton, "deng_audiocolordp_btn"));
    if (!present) tirk::log::Line(kGetAudioError);
    // Without a selection the stored mode stays (a byte cannot hold −1).
    if (Selection(m_audioCombo) >= 0) values.audioMode = uint8_t(m_audioCombo->GetCurSel());
    if (m_audioSeven) values.sevenColorFlag = m_audioSeven->IsSelected() ? 1 : 0;
    if (m_audioBk && m_audioBk->IsSelected())
        values.colorTypeFlag = 0;
    else if (m_audioFg && m_audioFg->IsSelected())
        values.colorTypeFlag = 1;
    if (takeColour && m_audioButton) {
        const uint32_t colour = m_audioButton->GetBkColor();
        const uint8_t red = uint8_t(colour >> 16), green = uint8_t(colour >> 8),
                      blue = uint8_t(colour);
        if (values.colorTypeFlag != 0) {
            values.fgRed = red, values.fgGreen = green, values.fgBlue = blue;
        } else {
            values.bkRed = red, values.bkGreen = green, values.bkBlue = blue;
        }
    }
    return values;
}

uint32_t CLightControlUI::GetLightAudioColor(int n) const {
    const std::string name = "audiocolor_option_" + std::to_string(n);
    if (const CControlUI* slot = FindSubControl(name)) return slot->GetBkColor();
    tirk::log::Line(name + " GetLightAudioColor");
    return 0;
}

uint32_t CLightControlUI::GetAudioPaletteColor() const {
    const CPalletUI* palette = Find(m_audioPalette, "deng_audioColor_Pallet");
    return palette ? palette->GetColor() : 0xFF000000u;
}

std::string CLightControlUI::GetAudioEditText(int i) const {
    if (i < 0 || i >= int(kAudioEditNames.size())) return {};
    if (const CEditUI* edit = AudioEdit(i)) return edit->GetText();
    tirk::log::Line(std::string(kAudioEditError) + ": " + kAudioEditNames[size_t(i)]);
    return {};
}

// ---- colour picker ------------------------------------------------------------------

bool CLightControlUI::OpenColourPicker() {
    if (!m_pickColour) return false;
    const CButtonUI* button = Find(m_colourButton, "deng_colordp_btn");
    const uint32_t current = button ? button->GetBkColor() : GetPaletteColor();
    // The picker runs its own event loop: the page may be gone when it returns.
    const std::weak_ptr<char> alive = m_alive;
    const std::optional<uint32_t> chosen = m_pickColour(current);
    if (!chosen || alive.expired()) return false;
    SetPaletteColor(*chosen | 0xFF000000u);
    if (CPalletUI* palette = Find(m_palette, "deng_Color_Pallet"))
        palette->SendNotify(CPalletUI::kNotifyColorChanged, CPalletUI::kFinal);
    return true;
}

void CLightControlUI::Notify(TNotifyUI& msg) {
    if (msg.sType == "click" && msg.pSender &&
        msg.pSender == Find(m_colourButton, "deng_colordp_btn"))
        OpenColourPicker();
}
