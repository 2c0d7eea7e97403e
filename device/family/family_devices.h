// The device families as the device list builds them (the keyboard has its
// own header, device/family/keyboard_device.h). Each family class
// fixes its family code and layout class name and runs the steps every family
// shares at this stage (profile panel, status poll, link check); the family
// protocols (settings records, key tables, lighting) build on these classes.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "device/page/usb_device.h"
#include "profile/basic_profiledata.h"
#include "profile/lighting_files.h"

class CKeySetControlUI;
class CLightControlUI;
class CListUI;
class CMacroControlUI;
class CShootControlUI;

/// Runs the steps the families share; the families differ in their codes only.
class CTelvorinFamilyDevice : public CTelvorinUSBDevice {
public:
    /// The layout element every family page's root derives from.
    static constexpr char kClassName[] = "TelvorinUSBDevice";
    /// The profile bar every page includes.
    static constexpr char kProfilePanelName[] = "device_profile";
    /// The lighting tab's number on the profile bar ("deng_Op_tab").
    static constexpr int kLightingTabNumber = 5;

    /// 13: the first synchronisation: the profile panel and the active
    /// profile, then a status poll.
    void StartDevice() override;
    /// 17: queues the status read on the device's worker (unless one waits
    /// already, the channel is closed or polling is paused); the status block
    /// is shown on the power indicator when it is back.
    void PollPowerStatus() override;
    /// The wired or wireless notification interface for candidate type `type`.
    bool OpenNotificationChannel(int type, const std::string& path);
    bool CloseNotificationChannel(int type);
    /// True for the types that reach the device through a receiver (6, 9).
    static bool IsReceiverType(int type);
    /// Synchronised lighting is offered only while more than one device is
    /// shown; withdrawing it also switches it off.
    void SetSyncOffered(bool offered);
    bool SyncOffered() const { return m_syncOffered; }
    /// True while the device follows the synchronised lighting. Any thread:
    /// the lighting synchronisation worker reads it.
    bool SyncOn() const { return m_syncOn.load(); }

    // ---- the active profile's document ----
    tirk::CBasicProfiledata& Profile() { return *m_profile; }
    /// 41: the profile, default profile and lighting configuration paths.
    void SetProfilePaths() override;
    /// 19: loads the active profile's document; 1 when it is in use (loaded,
    /// created or repaired), 0 when the file could not be read. A repaired
    /// or unreadable file is told to the user.
    int LoadActiveProfile() override;
    /// 43: writes the document; a failure is told to the user.
    void SaveProfile() override;
    /// 25: the active profile becomes the family's default profile (key
    /// assignments, lighting, settings), saved and shown.
    void RestoreDefaults() override;
    /// The result of the last SaveProfile.
    const tirk::FileResult& LastSave() const { return m_lastSave; }

    // ---- the page's panels (device/family/family_page.cpp) ----
    static constexpr char kLightPageName[] = "LightControlItem";
    static constexpr char kKeySetPanelName[] = "KeySetControlItem";
    static constexpr char kKeyListName[] = "device_setkeyinfo_list";
    static constexpr char kMacroPageName[] = "MacroControlItem";
    static constexpr char kShootPageName[] = "ShootControlItem";
    /// 1: binds the key and light controls, then the lighting page and the
    /// key-assignment panel (type code, name lists, slider maxima).
    void AttachToPage() override;
    /// 33: the lighting mode lists and custom effects of the family, and the
    /// macro names of the device type (keyboards and mice).
    void LoadNameLists() override;
    /// 21: the page shows the profile: lighting values, music colours (on
    /// keyboards) and the key list.
    void RefreshPage() override;
    /// 24: assignments to macros that no longer exist return to their
    /// defaults; a change is stored in the profile.
    void ValidateMacroRefs() override;
    CLightControlUI* LightPage() const;
    CKeySetControlUI* KeySetPanel() const;
    /// The macro page (keyboards and mice), nullptr when the layout has none.
    CMacroControlUI* MacroPage() const;
    /// The recoil editor (mice), nullptr when the layout has none.
    CShootControlUI* ShootPage() const;
    /// Sends the recoil tables' download block to the device. Only mice
    /// carry recoil tables; the others log that nothing was sent.
    virtual void SendRecoilTables(std::vector<uint8_t> block);
    const tirk::LightingNameLists& LightingNames() const { return m_lightingNames; }
    const std::vector<std::string>& MacroNames() const { return m_macroNames; }

    // ---- lighting values ----
    /// 54: the profile's lighting values.
    tirk::LightInfoRecord GetLightValues() const { return m_profile->LastLightInfo(); }
    /// 46: stores the lighting values in the profile document.
    void StoreLightValues(const tirk::LightInfoRecord& values);
    /// 47 with music-colour values: stores them and shows them on the page.
    void StoreAudioLight(const tirk::AudioLightRecord& values);
    /// 48: the music-colour values as the lighting page has them; with
    /// `takeColour` the page's colour button is the current colour.
    tirk::AudioLightRecord ReadAudioLight(bool takeColour) const;
    /// Joins the synchronised lighting ("deng_same_mode").
    void JoinSyncLighting() { m_syncOn = true; }
    /// Leaves the synchronised lighting (a change made on this device alone).
    void LeaveSyncLighting() { m_syncOn = false; }

    // ---- key assignments ----
    /// 49: key `key` of the profile's key list is edited in the panel.
    void SelectKey(int key) override;
    /// Stores `entry` at the selected key in the profile's key list.
    void StoreAtSelectedKey(const tirk::KeyListEntry& entry);
    /// Fills "device_setkeyinfo_list": one row per key with a default, its
    /// name (the text of its default) and its assignment.
    void RefreshKeyListText();
    /// Marks on the picture the keys whose assignment differs from their
    /// default, and frames the key being edited.
    void MarkKeyButtons();

protected:
    CTelvorinFamilyDevice(int32_t familyCode, std::unique_ptr<tirk::CBasicProfiledata> profile);
    /// 18 asks the receiver (QueryOnline); 1 without an exchange on the cable.
    LinkCheck LinkCheckExchange() const override;
    /// Sets up the page's profile panel for the device type and takes its
    /// active profile as the profile file base name.
    void SetUpProfilePanel();
    /// Shows a message about a file (language text `textKey`, "%s" filled
    /// with `detail`) once the step that found the problem has finished: a
    /// modal window inside it would let a device removal run in its middle.
    void TellUser(const std::string& textKey, const std::string& detail);

private:
    /// A status read on the worker: whether the receiver reported its device
    /// linked, the read's result and the block (byte 3: 1 receiver, 0 cable).
    struct StatusReading {
        bool linked = false;
        int result = 0;
        std::array<uint8_t, 6> status{};
    };
    static StatusReading ReadStatusBlock(CCommandChannel& channel);
    void ShowPowerStatus(const StatusReading& reading);
    std::string AssignmentTextOf(const tirk::AssignmentCode& code) const;
    void ChooseKeyRow(CListUI& rows) const;
    /// The names of the keyboard's sets of key colours, for the custom chooser.
    std::vector<std::string> CustomGroupNames() const;

    std::unique_ptr<tirk::CBasicProfiledata> m_profile;
    tirk::LightingNameLists m_lightingNames;
    std::vector<std::string> m_macroNames;
    bool m_macroListUsable = true;
    tirk::FileResult m_lastSave;
    bool m_syncOffered = false;
    std::atomic<bool> m_syncOn{false};
};

class CTelvorinMouseDevice : public CTelvorinFamilyDevice {
public:
    CTelvorinMouseDevice();
    std::string GetClass() const override { return "TelvorinMouseDevice"; }
    std::string ListenerExitText() const override { return "MS 设备同步线程设定退出"; }
};

class CTelvorinMousePadDevice : public CTelvorinFamilyDevice {
public:
    CTelvorinMousePadDevice();
    std::string GetClass() const override { return "TelvorinMousePadDevice"; }
};

class CTelvorinHS6533Device : public CTelvorinFamilyDevice {
public:
    CTelvorinHS6533Device();
    std::string GetClass() const override { return "TelvorinHS6533Device"; }
};
