// The keyboard's lighting: the profile's lighting goes to the engine, the
// engine's colours to the picture and (in modes 29 and 30) to the keyboard,
// and the custom colour sets painted on the picture to the profile and the
// keyboard.
#include "device/family/keyboard_device.h"

#include <algorithm>

#include "profile/keyboard_profiledata.h"
#include "profile/panel/light_control.h"
#include "ui/device_key_button.h"

namespace kb = tirk::keyboard;
namespace lighting = tirk::lighting;

namespace {

/// The function-switch type of the lighting page; of the key page.
constexpr int kLightingTab = 1;
constexpr int kKeyTab = 2;
/// Fn: the keyboard needs it to reach its own layer, so it is never
/// reassigned; on the key tab its button is disabled, on the lighting tab it
/// can be painted like any key.
constexpr int kLightingOnlyKey = 110;
/// The mode whose per-key level buffer a profile change clears.
constexpr int kLevelsMode = 24;
constexpr uint8_t kOpaque = 255;

}  // namespace

tirk::CKeyboardProfiledata& CTelvorinKeyboardDevice::KeyboardProfile() {
    return static_cast<tirk::CKeyboardProfiledata&>(Profile());
}

int CTelvorinKeyboardDevice::ApplyProfileToState() {
    tirk::CKeyboardProfiledata& profile = KeyboardProfile();
    const tirk::LightInfoRecord light = profile.GetLightInfo();
    const auto& codes = LightingNames().modeCodes;
    m_protocol->SetModeCodes(std::vector<uint8_t>(codes.begin(), codes.end()));
    m_protocol->SetLightValues(light);
    m_protocol->SetSystemSettings(SystemSettings());
    if (profile.LightConfig().isNull()) profile.LoadLightConfig();
    m_lighting.ApplyEffects(profile.GetLightList(), profile.LoadEffectSteps());
    m_customColours = CustomColoursOfGroup(light.customGroup);
    m_lighting.SetCustomColours(m_customColours);
    m_lighting.SetAudioValues(profile.GetAudioLightInfo());
    // The engine starts the mode again when its index changed or it is the
    // custom mode.
    m_lighting.SetLightValues(light);
    if (light.selectItem == kLevelsMode) m_lighting.ClearLevels();
    UpdateDriveState();
    return 1;
}

std::vector<tirk::CustomLightColor> CTelvorinKeyboardDevice::CustomColoursOfGroup(int group) {
    std::vector<tirk::CustomLightColor> colours =
        KeyboardProfile().GetCustomLightColors(group, lighting::kPositionCount);
    colours.resize(lighting::kPositionCount);
    return colours;
}

// ---- the picture -------------------------------------------------------------------

void CTelvorinKeyboardDevice::RenderLightFrame() {
    if (!LightControl()) return;
    // While the devices follow one synchronised effect, the colour buffer
    // holds its colours.
    if (SyncOn()) return CTelvorinFamilyDevice::RenderLightFrame();
    const auto colours = m_lighting.Colours();
    const bool lightingTab = GetFunctionSwitchType() == kLightingTab;
    std::vector<uint8_t> rgba(4 * static_cast<size_t>(LedCount()), 0);
    const int count = std::min(LedCount(), lighting::kPositionCount);
    for (int i = 0; lightingTab && i < count; ++i) {
        rgba[4 * i] = colours[i].red;
        rgba[4 * i + 1] = colours[i].green;
        rgba[4 * i + 2] = colours[i].blue;
        rgba[4 * i + 3] = colours[i].alpha;
    }
    PaintLightControls(rgba);
}

void CTelvorinKeyboardDevice::OnTabSelected(int type) {
    CTelvorinFamilyDevice::OnTabSelected(type);
    CDeviceKeyButtonUI* key = KeyControl(kLightingOnlyKey);
    if (!key) return;
    if (type == kLightingTab) key->SetEnabled(true);
    if (type == kKeyTab) key->SetEnabled(false);
}

void CTelvorinKeyboardDevice::OnAudioLevels(std::span<const int32_t> levels) {
    m_lighting.OnAudioLevels(levels);
}

void CTelvorinKeyboardDevice::SetExternalColour(std::span<const int32_t> values) {
    m_lighting.SetExternalColour(values);
}

// ---- streaming and the lighting thread ------------------------------------------

void CTelvorinKeyboardDevice::OnDriveFlagsChanged() {
    UpdateDriveState();
}

// The keyboard shows the host's frames in modes 29 and 30 even while the
// window is hidden; in the other modes the engine only feeds the picture, so
// it rests while nobody can see it.
void CTelvorinKeyboardDevice::UpdateDriveState() {
    const bool hostMode = kb::IsHostLightingMode(m_lighting.LightValues().selectItem);
    m_streamer.SetKeepAlive(Channel().IsWireless() ? kb::LiveFrameStreamer::kWirelessKeepAlive
                                                   : kb::LiveFrameStreamer::kWiredKeepAlive);
    m_streamer.SetEnabled(hostMode && LightControl() != 0 && Channel().IsOpen());
    m_lighting.SetPaused(!hostMode && PollingPaused() != 0);
}

// ---- custom colour sets ------------------------------------------------------------

int CTelvorinKeyboardDevice::ChosenCustomGroup() const {
    CLightControlUI* page = LightPage();
    return page ? page->GetCustomMode() : -1;
}

void CTelvorinKeyboardDevice::PaintCustomKey(int position) {
    const tirk::LightInfoRecord light = Profile().GetLightInfo();
    if (light.selectItem != kb::kCustomMode) return;
    if (position < 0 || position >= static_cast<int>(m_customColours.size())) return;
    m_customColours[position] = {light.red, light.green, light.blue, kOpaque};
    m_lighting.SetCustomColour(position, {light.red, light.green, light.blue});
    if (const int group = ChosenCustomGroup(); group >= 0) StoreCustomColours(group);
}

void CTelvorinKeyboardDevice::FillCustomColours(bool bright) {
    const tirk::LightInfoRecord light = Profile().GetLightInfo();
    const tirk::CustomLightColor colour =
        bright ? tirk::CustomLightColor{light.red, light.green, light.blue, kOpaque}
               : tirk::CustomLightColor{0, 0, 0, kOpaque};
    m_customColours.assign(lighting::kPositionCount, colour);
    m_lighting.SetCustomColours(m_customColours);
    RenderLightFrame();
    if (const int group = ChosenCustomGroup(); group >= 0) StoreCustomColours(group);
}

void CTelvorinKeyboardDevice::StoreCustomColours(int group) {
    CountChange();
    KeyboardProfile().SetCustomLightColors(group, m_customColours);
    SaveProfile();
    if (Profile().GetLightInfo().selectItem != kb::kCustomMode) return;
    QueueSend(kColoursPart, [group, colours = m_customColours](kb::KeyboardProtocol& protocol) {
        return protocol.WriteCustomColours(group, colours, kb::AlphaScaling::kNone);
    });
}

// The keyboard's own copy of the set is what it shows; the profile takes it.
void CTelvorinKeyboardDevice::ReadCustomColoursFromDevice() {
    const int group = Profile().GetLightInfo().customGroup;
    auto protocol = m_protocol;
    QueueExchange<std::pair<int, std::vector<tirk::CustomLightColor>>>(
        kExchangeAlways,
        [protocol, group, colours = m_customColours](CCommandChannel&) mutable {
            const int result = protocol->ReadCustomColours(group, colours);
            return std::make_pair(result, std::move(colours));
        },
        [this, group, count = ChangeCount()](
            const std::pair<int, std::vector<tirk::CustomLightColor>>& read) {
            if (read.first != tirk::link::kSuccess || count != ChangeCount()) return;
            KeyboardProfile().SetCustomLightColors(group, read.second);
            SaveProfile();
            m_customColours = CustomColoursOfGroup(group);
            m_lighting.SetCustomColours(m_customColours);
        });
}
