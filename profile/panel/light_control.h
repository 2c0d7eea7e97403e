// CLightControlUI: the lighting page of every device page (layout element
// "LightControl", built from XML/CustomControlXML/LightControl.xml). It shows
// the lighting values and the music colours of one device and switches its
// sections by the rules of profile/lighting_rules.h; the main window routes
// the notifications of its controls (docs/lighting-page.md). Every control is
// found by name on first use; an operation whose control is missing does
// nothing, and a getter then gives its neutral value.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "profile/lighting_rules.h"
#include "profile/profile_records.h"
#include "ui/container.h"
#include "ui/ui_base.h"

class CButtonUI;
class CCheckBoxUI;
class CComboUI;
class CEditUI;
class COptionUI;
class CPalletUI;
class CSliderUI;
class CTabLayoutUI;

class CLightControlUI : public CHorizontalLayoutUI, public INotifyUI {
public:
    /// Height of a mode chooser item, at 96 DPI.
    static constexpr int kItemHeight = 30;
    /// Opens the colour picker at `current` (0xAARRGGBB); the chosen colour,
    /// or nothing when the user cancelled.
    using ColourPickerHook = std::function<std::optional<uint32_t>(uint32_t current)>;

    CLightControlUI();
    ~CLightControlUI() override;
    std::string GetClass() const override { return "LightControl"; }

    // ---- binding ----------------------------------------------------------------
    /// The device family's type code (1 keyboard, 2 mouse, 3 mouse pad, 7 headset).
    void SetDeviceTypeCode(int32_t code) { m_typeCode = code; }
    int32_t GetDeviceTypeCode() const { return m_typeCode; }
    /// Fills the mode chooser: item i shows the language text of names[i] (its
    /// user data is the key), is kItemHeight high and is listed only when
    /// visible[i] is non-zero (a missing flag counts as listed); hidden items
    /// keep their index. Then sets the slider maxima.
    void SetModeList(const std::vector<std::string>& names, const std::vector<uint8_t>& visible,
                     int maxBrightness, int maxSpeed);
    /// Fills the custom effect chooser with the effects' names (language keys,
    /// shown as the key itself when the language has no text).
    void SetCustomModeList(const std::vector<std::string>& names);
    /// The owner's way to the colour picker (see OpenColourPicker).
    void SetColourPickerHook(ColourPickerHook hook) { m_pickColour = std::move(hook); }

    // ---- lighting values ----------------------------------------------------------
    /// Selects mode i without notification, then ApplyLayout(type code, i).
    void SetMode(int i);
    int GetMode() const;  ///< −1 when none
    void SetCustomMode(int i);
    int GetCustomMode() const;  ///< −1 when none
    void SetBrightness(int value);
    int GetBrightness() const;  ///< 0 without the slider
    void SetSpeed(int value);
    int GetSpeed() const;  ///< 0 without the slider
    /// Channel 0, 1, 2: "deng_edit_R", "deng_edit_G", "deng_edit_B".
    void SetColorText(int channel, const std::string& text);
    std::string GetColorText(int channel) const;  ///< empty for a missing edit
    /// Reads channel's edit as a colour channel (tirk::ParseColourEdit: above
    /// 255 is 255, empty or not a number is 0), rewrites the edit when it does
    /// not show that value, and returns it; −1 when there is no such edit.
    int CommitColourEdit(int channel);
    void SetZzccMode(int i);
    int GetZzccMode() const;  ///< −1 when none
    /// Shows `argb` in the palette and on the colour button.
    void SetPaletteColor(uint32_t argb);
    uint32_t GetPaletteColor() const;  ///< 0xFF000000 without the palette
    void SetColorButton(uint32_t argb);
    uint32_t GetSlotColor(int n) const;  ///< background of "color_option_n"; 0 when none
    void SetMultiColor(int flag);
    int GetMultiColor() const;  ///< 0 or 1
    /// Non-zero selects "deng_FXL_check" and deselects "deng_FXR_check"; 0 the reverse.
    void SetDirection(int flag);
    /// "deng_same_mode" is visible when `flag` and the several-devices flag are set.
    void ShowSameMode(int flag);
    /// Stores the several-devices flag, then ApplyLayout(type code, GetMode()).
    void SetSyncAllowed(int flag);
    bool IsSyncAllowed() const { return m_severalDevices != 0; }
    /// Shows, hides, enables and disables the sections and sets the direction
    /// captions and the colour tab as tirk::LightLayoutFor(type, mode) says.
    void ApplyLayout(int type, int mode);
    /// Mode, brightness, speed, R/G/B texts, palette, colour button,
    /// seven-colour check, preset colour, direction, then ApplyLayout.
    void SetLightValues(const tirk::LightInfoRecord& values);

    // ---- music colours ------------------------------------------------------------
    /// Stores the values and shows them: audio mode, colour type options, the
    /// seven-colour check (usable only for the foreground colour), the current
    /// colour in the edits, palette and colour button, and the two colour
    /// areas (disabled in audio mode 3). Logs " SetAudioLightInfo control is
    /// NULL" when a music control is missing.
    void SetAudioLightInfo(const tirk::AudioLightRecord& values);
    /// The stored values updated from the controls: audio mode, seven-colour
    /// flag, colour type (unchanged when neither type option is selected) and,
    /// with `takeColour`, the colour button's colour as the current colour.
    /// Logs "GetAudioLightInfo control is NULL" when a music control is missing.
    tirk::AudioLightRecord GetAudioLightInfo(bool takeColour) const;
    /// Background of "audiocolor_option_n"; 0 when none (logged).
    uint32_t GetLightAudioColor(int n) const;
    uint32_t GetAudioPaletteColor() const;  ///< 0xFF000000 without the palette
    /// Text of "deng_audioedit_R", "…G", "…B" for i = 0, 1, 2; empty otherwise.
    std::string GetAudioEditText(int i) const;

    // ---- colour picker --------------------------------------------------------------
    /// Opens the picker through the hook at the colour button's colour; a
    /// chosen colour goes into the palette (SetPaletteColor) and the palette
    /// sends "colorchanged" as on a pick by the user. true when a colour was chosen.
    bool OpenColourPicker();
    /// The page acts on a click of its own "deng_colordp_btn" (opens the
    /// picker) and ignores everything else; the owner passes it the window's
    /// notifications.
    void Notify(TNotifyUI& msg) override;

private:
    template <typename T>
    T* Find(T*& cache, const char* name) const;
    CControlUI* Section(tirk::LightSection section) const;
    CEditUI* ColourEdit(int channel) const;
    CEditUI* AudioEdit(int channel) const;
    void ShowAudioColour(uint32_t argb);
    bool MusicControlsPresent(bool withColourButton) const;

    int32_t m_typeCode = 0;
    uint8_t m_severalDevices = 0;
    tirk::AudioLightRecord m_audio;
    ColourPickerHook m_pickColour;
    std::shared_ptr<char> m_alive;  // expires with the page (see OpenColourPicker)

    // Found on first use; a lookup that finds nothing is repeated next time.
    mutable CComboUI* m_modeCombo = nullptr;
    mutable CComboUI* m_customCombo = nullptr;
    mutable CComboUI* m_zzccCombo = nullptr;
    mutable CComboUI* m_audioCombo = nullptr;
    mutable CSliderUI* m_brightness = nullptr;
    mutable CSliderUI* m_speed = nullptr;
    mutable std::array<CEditUI*, 3> m_edits{};
    mutable CPalletUI* m_palette = nullptr;
    mutable CButtonUI* m_colourButton = nullptr;
    mutable COptionUI* m_sevenColour = nullptr;
    mutable COptionUI* m_fxl = nullptr;
    mutable COptionUI* m_fxr = nullptr;
    mutable CControlUI* m_sameMode = nullptr;
    mutable CTabLayoutUI* m_colourTab = nullptr;
    mutable std::array<CControlUI*, tirk::kLightSectionCount> m_sections{};
    mutable COptionUI* m_audioSeven = nullptr;
    mutable std::array<CEditUI*, 3> m_audioEdits{};
    mutable COptionUI* m_audioBk = nullptr;
    mutable COptionUI* m_audioFg = nullptr;
    mutable CPalletUI* m_audioPalette = nullptr;
    mutable CButtonUI* m_audioButton = nullptr;
    mutable CControlUI* m_audioColourArea = nullptr;
    mutable CControlUI* m_audioPaletteArea = nullptr;
};
