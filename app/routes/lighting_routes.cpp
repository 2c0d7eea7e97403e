// The lighting page's commands: the standard lighting update (one value of
// the lighting values changed), the colour update (a colour chosen from a
// slot, the palette or the R/G/B edits) and the music colour commands. Each
// stores the new values in the device's profile and saves it; the lighting
// values also go to the device.
#include <array>

#include "app/app_globals.h"
#include "app/page_router.h"
#include "device/family/family_devices.h"
#include "profile/audio_light.h"
#include "profile/panel/light_control.h"
#include "ui/button.h"
#include "ui/pallet.h"

namespace tirk {
namespace {

constexpr std::array<const char*, 3> kColourEdits = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};
constexpr std::array<const char*, 3> kAudioEdits = {"deng_audioedit_R", "deng_audioedit_G",
                                                    "deng_audioedit_B"};

/// A palette sends colours while it is dragged; the one it is let go at counts.
bool FinalPick(const RouteCall& call) {
    return call.msg.wParam == CPalletUI::kFinal;
}

int ChannelOf(const RouteCall& call, const std::array<const char*, 3>& names) {
    const std::string& name = call.msg.pSender->GetName();
    for (int channel = 0; channel < 3; ++channel)
        if (name == names[channel]) return channel;
    return -1;
}

/// The standard lighting update: `change` replaces the changed field.
template <typename Change>
void UpdateLighting(RouteCall& call, Change change) {
    CLightControlUI* page = call.device.LightPage();
    if (!page) return;
    call.device.LeaveSyncLighting();
    LightInfoRecord values = call.device.GetLightValues();
    change(*page, values);
    CommitLightValues(call.device, values);
}

/// The colour update: the colour becomes the lighting colour, single-coloured.
void UpdateColour(CTelvorinFamilyDevice& device, CLightControlUI& page, uint32_t colour) {
    LightInfoRecord values = device.GetLightValues();
    const RgbBytes rgb = ColourChannels(colour);
    values.red = rgb.red;
    values.green = rgb.green;
    values.blue = rgb.blue;
    values.multiColor = 0;
    device.StoreLightValues(values);
    device.SaveProfile();
    device.ApplyProfileToState();
    page.SetColorText(0, std::to_string(rgb.red));
    page.SetColorText(1, std::to_string(rgb.green));
    page.SetColorText(2, std::to_string(rgb.blue));
    page.SetMultiColor(0);
    page.SetPaletteColor(PageColour(rgb));
    SendDeviceSettings(device);
}

// ---- the lighting values ----

void OnModeChosen(RouteCall& call) {
    UpdateLighting(call, [](CLightControlUI& page, LightInfoRecord& values) {
        const int mode = page.GetMode();
        if (mode < 0) return;
        page.SetMode(mode);
        values.selectItem = static_cast<uint8_t>(mode);
    });
}

void OnPresetColourChosen(RouteCall& call) {
    if (call.device.FamilyCode() != CTelvorinUSBDevice::kFamilyKeyboard) return;
    UpdateLighting(call, [](CLightControlUI& page, LightInfoRecord& values) {
        if (page.GetZzccMode() >= 0) values.zzccLedMode = static_cast<uint8_t>(page.GetZzccMode());
    });
}

void OnCustomEffectChosen(RouteCall& call) {
    if (call.device.FamilyCode() != CTelvorinUSBDevice::kFamilyKeyboard) return;
    UpdateLighting(call, [](CLightControlUI& page, LightInfoRecord& values) {
        if (page.GetCustomMode() >= 0) values.customGroup = static_cast<uint8_t>(page.GetCustomMode());
    });
}

void OnBrightnessChanged(RouteCall& call) {
    UpdateLighting(call, [](CLightControlUI& page, LightInfoRecord& values) {
        values.light = static_cast<uint8_t>(page.GetBrightness());
    });
}

void OnSpeedChanged(RouteCall& call) {
    UpdateLighting(call, [](CLightControlUI& page, LightInfoRecord& values) {
        values.speed = static_cast<uint8_t>(page.GetSpeed());
    });
}

void OnDirectionChosen(RouteCall& call) {
    if (!BecameSelected(call)) return;
    const bool forward = call.msg.pSender->GetName() == "deng_FXL_check";
    UpdateLighting(call, [forward](CLightControlUI&, LightInfoRecord& values) {
        values.fx = forward ? 1 : 0;
    });
}

void OnMultiColourChanged(RouteCall& call) {
    UpdateLighting(call, [](CLightControlUI& page, LightInfoRecord& values) {
        values.multiColor = static_cast<uint8_t>(page.GetMultiColor());
    });
}

// ---- colours ----

void OnColourSlot(RouteCall& call) {
    CLightControlUI* page = call.device.LightPage();
    if (!page) return;
    const uint32_t colour = page->GetSlotColor(call.index);
    if (colour == 0) return;  // no such slot
    UpdateColour(call.device, *page, colour);
}

void OnPaletteColour(RouteCall& call) {
    CLightControlUI* page = call.device.LightPage();
    if (!page || !FinalPick(call)) return;
    call.device.LeaveSyncLighting();
    UpdateColour(call.device, *page, page->GetPaletteColor());
}

void OnColourEditDone(RouteCall& call) {
    CLightControlUI* page = call.device.LightPage();
    const int channel = ChannelOf(call, kColourEdits);
    if (!page || channel < 0) return;
    const int value = page->CommitColourEdit(channel);
    if (value < 0) return;
    call.device.LeaveSyncLighting();
    LightInfoRecord values =
        WithLightChannel(call.device.GetLightValues(), channel, static_cast<uint8_t>(value));
    UpdateColour(call.device, *page, PageColour({values.red, values.green, values.blue}));
}

void OnColourButton(RouteCall& call) {
    if (CLightControlUI* page = call.device.LightPage()) page->Notify(call.msg);
}

// ---- music colours: stored and saved; the host drives music mode ----

// The music colours are a keyboard's: no other profile keeps them.
void StoreMusic(CTelvorinFamilyDevice& device, const AudioLightRecord& values) {
    if (device.FamilyCode() != CTelvorinUSBDevice::kFamilyKeyboard) return;
    device.StoreAudioLight(values);
    device.SaveProfile();
    device.ApplyProfileToState();
}

void OnMusicChoice(RouteCall& call) {
    StoreMusic(call.device, call.device.ReadAudioLight(true));
}

void OnMusicColourType(RouteCall& call) {
    if (!BecameSelected(call)) return;
    StoreMusic(call.device, call.device.ReadAudioLight(false));
}

void OnMusicPalette(RouteCall& call) {
    CLightControlUI* page = call.device.LightPage();
    if (!page || !FinalPick(call)) return;
    const uint32_t colour = page->GetAudioPaletteColor();
    StoreMusic(call.device, ApplyAudioPaletteColour(call.device.ReadAudioLight(true), colour));
}

void OnMusicSlot(RouteCall& call) {
    CLightControlUI* page = call.device.LightPage();
    if (!page) return;
    const uint32_t colour = page->GetLightAudioColor(call.index);
    if (colour == 0) return;
    StoreMusic(call.device, ApplyAudioSlotColour(call.device.ReadAudioLight(true), colour));
}

void OnMusicEditDone(RouteCall& call) {
    CLightControlUI* page = call.device.LightPage();
    const int channel = ChannelOf(call, kAudioEdits);
    if (!page || channel < 0) return;
    StoreMusic(call.device, ApplyAudioEditText(call.device.ReadAudioLight(false), channel,
                                               page->GetAudioEditText(channel)));
}

void OnMusicBackgroundOff(RouteCall& call) {
    StoreMusic(call.device, ClearAudioBackground(call.device.ReadAudioLight(false)));
}

constexpr PageRoute kRoutes[] = {
    {notify_type::kItemSelect, "light_combo_modeSelect", false, OnModeChosen},
    {notify_type::kItemSelect, "light_combo_ZZCCmodeSelect", false, OnPresetColourChosen},
    {notify_type::kItemSelect, "light_combo_custommodeSelect", false, OnCustomEffectChosen},
    {notify_type::kValueChanged, "deng_light_slider", false, OnBrightnessChanged},
    {notify_type::kValueChanged, "deng_speed_slider", false, OnSpeedChanged},
    {notify_type::kSelectChanged, "deng_FXL_check", false, OnDirectionChosen},
    {notify_type::kSelectChanged, "deng_FXR_check", false, OnDirectionChosen},
    {notify_type::kSelectChanged, "deng_7color_check", false, OnMultiColourChanged},
    {notify_type::kClick, "color_option_", true, OnColourSlot},
    {CPalletUI::kNotifyColorChanged, "deng_Color_Pallet", false, OnPaletteColour},
    {notify_type::kKillFocus, "deng_edit_R", false, OnColourEditDone},
    {notify_type::kKillFocus, "deng_edit_G", false, OnColourEditDone},
    {notify_type::kKillFocus, "deng_edit_B", false, OnColourEditDone},
    {notify_type::kClick, "deng_colordp_btn", false, OnColourButton},
    {notify_type::kItemSelect, "light_combo_audiomodeSelect", false, OnMusicChoice},
    {notify_type::kSelectChanged, "deng_7audiocolor_check", false, OnMusicChoice},
    {notify_type::kSelectChanged, "audio_BkColor_check", false, OnMusicColourType},
    {notify_type::kSelectChanged, "audio_FgColor_check", false, OnMusicColourType},
    {CPalletUI::kNotifyColorChanged, "deng_audioColor_Pallet", false, OnMusicPalette},
    {notify_type::kClick, "audiocolor_option_", true, OnMusicSlot},
    {notify_type::kKillFocus, "deng_audioedit_R", false, OnMusicEditDone},
    {notify_type::kKillFocus, "deng_audioedit_G", false, OnMusicEditDone},
    {notify_type::kKillFocus, "deng_audioedit_B", false, OnMusicEditDone},
    {notify_type::kClick, "Close_bkColor_btn", false, OnMusicBackgroundOff},
};

}  // namespace

void CommitLightValues(CTelvorinFamilyDevice& device, const LightInfoRecord& values) {
    device.StoreLightValues(values);
    device.SaveProfile();
    device.ApplyProfileToState();
    SendDeviceSettings(device);
}

std::span<const PageRoute> LightingRoutes() {
    return kRoutes;
}

}  // namespace tirk
