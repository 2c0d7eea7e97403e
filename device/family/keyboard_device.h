// The keyboard's device object: the page with the picture of the keyboard,
// the keyboard's protocol over the command channel and the lighting engine
// that animates the picture and, in the host modes 29 and 30, the keyboard
// itself. Exchanges run on the device's worker; their results come back to
// the UI thread. docs/keyboard-page.md tells the flow.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "device/family/family_devices.h"
#include "device/keyboard/keyboard_protocol.h"
#include "device/keyboard/live_frame_streamer.h"
#include "device/lighting/lighting_runner.h"

namespace tirk {
class CKeyboardProfiledata;
}

class CTelvorinKeyboardDevice : public CTelvorinFamilyDevice {
public:
    /// Names of the system page's controls.
    static constexpr char kWinLockOption[] = "winlockflag_option";
    static constexpr char kWFlagOption[] = "wflag_option";
    static constexpr char kKey6FlagOption[] = "6flag_option";
    static constexpr char kRepeatRateSlider[] = "repeat_rate_slider";
    static constexpr char kRepeatDelayOption[] = "repeat_delay_check_";
    static constexpr char kRepeatDelayLabel[] = "repeat_delay_time_label1";
    static constexpr char kRepeatTestBox[] = "repeat_input_richedit";
    static constexpr char kPollingRateOption[] = "polling_rate_option_";
    /// The steps of "RepeatDelay" and "PollingRate" (options 0 … 3).
    static constexpr int kOptionSteps = 4;

    CTelvorinKeyboardDevice();
    ~CTelvorinKeyboardDevice() override;
    std::string GetClass() const override { return "TelvorinKeyboardDevice"; }

    // ---- device operations ----
    /// 1: draws the keyboard's keys into its picture, then binds the page.
    void AttachToPage() override;
    /// 2: the profile's lighting, music values, per-key effects, timeline and
    /// the custom colour group go to the lighting engine; the lighting values
    /// and system settings to the protocol for the next settings write.
    int ApplyProfileToState() override;
    /// 19: the family's load, then the profile goes to the engine and the
    /// protocol (ApplyProfileToState).
    int LoadActiveProfile() override;
    /// 10: the light buttons show the engine's colours on the lighting tab.
    void RenderLightFrame() override;
    /// 13: the profile and the page, then (on the worker) the key tables and
    /// the keyboard's settings, which the profile takes; the lighting starts.
    void StartDevice() override;
    /// 14: reads the keyboard's settings again (and, after report 0x0402,
    /// the profile list and the active profile first).
    void ResyncFromDevice() override;
    /// 21: the family's page, then the system page.
    void RefreshPage() override;
    /// 26: the macros the key assignments use, in slot order.
    std::vector<int> CollectUsedMacros() override;
    /// 28: queues the key table of the profile's key list (bank 0 only).
    int WriteCurrentKeyAssignments(int bank) override;
    /// 31: the block's overflow (> 0: nothing sent), else 0 and the block is
    /// queued.
    int DownloadMacros(const std::vector<int>& macros) override;
    /// 32: queues the settings record (slot, active byte); always 1.
    int WriteDeviceSettings(int slot, int active, int, int, int) override;
    /// 39: the Esc key's light button (position 110) paints only on the
    /// lighting tab.
    void OnTabSelected(int type) override;
    /// 51: 25 audio levels for music mode.
    void OnAudioLevels(std::span<const int32_t> levels) override;
    /// A report of the keyboard (key events, resynchronisation, profile).
    void OnNotification(uint16_t code, bool wireless) override;

    // ---- keyboard only ----
    /// 106: in the custom mode, key `position` takes the lighting colour; with
    /// a colour set chosen on the lighting page the set is stored, saved and
    /// sent.
    void PaintCustomKey(int position);
    /// Every key of the custom map takes the lighting colour (`bright`) or
    /// black; stored, saved and sent as PaintCustomKey does.
    void FillCustomColours(bool bright);
    /// A key report from the cable's listener: key index `keyIndex` pressed
    /// (kind 1) or released (kind 2) drives the reactive effects.
    void OnDeviceKeyEvent(int keyIndex, int kind);
    /// The external colour of mode 30 (the audio companion's six values).
    void SetExternalColour(std::span<const int32_t> values);

    /// Report rate option `index` (0 … 3; another index changes nothing).
    bool ChooseReportRate(int index) override;
    /// The profile's system settings ("SystemStages").
    tirk::keyboard::SystemSettings SystemSettings();
    /// Stores them in the profile and saves it; the system page shows them.
    void StoreSystemSettings(const tirk::keyboard::SystemSettings& settings);
    /// Sets the system page's controls from the profile.
    void RefreshSystemPage();

    tirk::keyboard::KeyboardProtocol& Protocol() { return *m_protocol; }
    tirk::lighting::LightingRunner& Lighting() { return m_lighting; }
    const tirk::keyboard::LiveFrameStreamer& Streamer() const { return m_streamer; }

protected:
    /// The light-control flag or the window's pause changed: the streaming
    /// and the lighting thread follow.
    void OnDriveFlagsChanged() override;

private:
    /// Language key of the colour sets, when a send of them failed.
    static constexpr char kColoursPart[] = "device_part_colours";

    tirk::CKeyboardProfiledata& KeyboardProfile();
    /// Puts the system settings into the profile document (not saved).
    void PutSystemSettings(const tirk::keyboard::SystemSettings& settings);
    /// What the worker read at the first contact or a resynchronisation.
    struct DeviceReading {
        int tables = 0;    ///< ReadKeyTables' result
        int settings = 0;  ///< ReadDeviceSettings' result
        unsigned changeCount = 0;  ///< m_changeCount when the read was queued
        tirk::keyboard::KeyboardSettingsState state;
    };
    /// Queues the read of the keyboard's settings (and its key tables).
    void QueueDeviceRead(bool tables);
    static DeviceReading ReadDevice(tirk::keyboard::KeyboardProtocol& protocol, bool tables);
    void TakeDeviceReading(const DeviceReading& reading);
    /// Queues `send` with the keyboard's protocol (QueueSend of the family).
    void QueueSend(const char* what, std::function<int(tirk::keyboard::KeyboardProtocol&)> send);
    /// The custom colour set chosen on the lighting page; −1 when none.
    int ChosenCustomGroup() const;
    /// The engine's custom colours become colour set `group` of the profile,
    /// which is saved; the set goes to the keyboard.
    void StoreCustomColours(int group);
    std::vector<tirk::CustomLightColor> CustomColoursOfGroup(int group);
    /// Mode 20 after a read: the keyboard's colour set becomes the profile's.
    void ReadCustomColoursFromDevice();
    void UpdateDriveState();

    std::shared_ptr<tirk::keyboard::KeyboardProtocol> m_protocol;
    tirk::lighting::LightingRunner m_lighting;
    tirk::keyboard::LiveFrameStreamer m_streamer;
    /// The custom map (mode 20) of the current colour set, by position.
    std::vector<tirk::CustomLightColor> m_customColours;
    bool m_profileResyncAsked = false;
    /// Set by StartDevice: a resynchronisation before it has no profile yet.
    bool m_started = false;
};
