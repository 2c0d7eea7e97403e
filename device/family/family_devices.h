// The device families as the device list builds them (the keyboard has its
// own header, device/family/keyboard_device.h). Each family class
// fixes its family code and layout class name and runs the steps every family
// shares at this stage (profile panel, status poll, link check); the family
// protocols (settings records, key tables, lighting) build on these classes.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/page/usb_device.h"
#include "profile/basic_profiledata.h"
#include "profile/lighting_files.h"
#include "profile/macro_store.h"

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
    /// The report rate option `index` was chosen: stored in the profile and
    /// saved; true when the device's settings must now be sent. Families
    /// without a report rate return false.
    virtual bool ChooseReportRate(int /*index*/) { return false; }
    /// Sends the recoil tables' download block to the device. Only mice
    /// carry recoil tables; the others log that nothing was sent.
    virtual void SendRecoilTables(std::vector<uint8_t> block);
    /// How many bytes of macros the device holds (what an import is checked
    /// against): the keyboard's fixed memory unless the family says more.
    virtual std::size_t MacroMemory() const;
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

    // ---- sends of the families with a protocol object ----
    /// Who checks the link before a send.
    enum class SendCheck { kHere, kByProtocol };
    /// Queues `send` on the worker with the family's protocol object; its
    /// result comes back to OnSendResult. The values a send carries travel
    /// with the job, so a reading queued before it cannot undo it. With
    /// kByProtocol the protocol checks the link itself (a receiver would be
    /// asked twice otherwise).
    template <typename Protocol>
    void QueueSend(std::shared_ptr<Protocol> protocol, const char* what,
                   std::function<int(Protocol&)> send, SendCheck check = SendCheck::kHere) {
        QueueExchange<int>(
            kExchangeAlways,
            [protocol = std::move(protocol), send = std::move(send),
             check](CCommandChannel& channel) {
                const bool usable = check == SendCheck::kByProtocol || channel.CanSend();
                return usable ? send(*protocol) : tirk::link::kNoAnswer;
            },
            [this, what](int result) { OnSendResult(what, result); });
    }
    /// Queues the download of the macros `macros` (list indices, device
    /// order) with the protocol's DownloadMacros; the size is judged here
    /// against `limit` bytes first, so the page can say at once that they do
    /// not fit. Returns the overflow (> 0: nothing queued) or 0. An empty
    /// list sends nothing unless `empty` says the family clears its macros
    /// with an empty block.
    enum class EmptyMacroList { kSendNothing, kSendEmptyBlock };
    template <typename Protocol>
    int QueueMacroDownload(std::shared_ptr<Protocol> protocol, const std::vector<int>& macros,
                           std::size_t limit, SendCheck check = SendCheck::kHere,
                           EmptyMacroList empty = EmptyMacroList::kSendNothing) {
        if (macros.empty() && empty == EmptyMacroList::kSendNothing) return 0;
        tirk::MacroStore store(UserFolder());
        const tirk::MacroDownload plan = store.PlanDownload(macros, limit);
        if (plan.overflow > 0) return plan.overflow;
        // An empty block only clears what the buttons no longer use: to the
        // user its failure is one of the key assignments.
        QueueSend<Protocol>(
            std::move(protocol), macros.empty() ? kKeysPart : kMacrosPart,
            [store, macros, state = m_macroState](Protocol& device) {
                const int result = device.DownloadMacros(store, macros).result;
                state->missing = result != tirk::link::kSuccess;
                return result;
            },
            check);
        return 0;
    }
    /// Queues the key table of the profile's key list: `write(protocol,
    /// list, macroCount)`. A table that uses macros is held back (result
    /// kMacrosNotOnDevice) while their last download failed, so the device
    /// never holds bindings to macros it lacks.
    template <typename Protocol>
    int QueueKeyTableWrite(
        std::shared_ptr<Protocol> protocol,
        std::function<int(Protocol&, const std::vector<tirk::KeyListEntry>&, int)> write,
        SendCheck check = SendCheck::kHere) {
        if (!Channel().IsOpen()) return 0;
        const tirk::MacroStore macros(UserFolder());
        const int macroCount = static_cast<int>(macros.ListNames().size());
        const bool usesMacros = !CollectUsedMacros().empty();
        QueueSend<Protocol>(
            std::move(protocol), kKeysPart,
            [list = Profile().KeyList(), macroCount, usesMacros, state = m_macroState,
             write = std::move(write)](Protocol& device) {
                if (usesMacros && state->missing) return kMacrosNotOnDevice;
                return write(device, list, macroCount);
            },
            check);
        return 1;
    }
    /// The text of an assignment as the key list shows it (language text).
    std::string AssignmentTextOf(const tirk::AssignmentCode& code) const;
    /// The key list's texts changed (RefreshKeyListText); families that show
    /// assignments elsewhere too follow here.
    virtual void OnKeyTextsChanged() {}

    /// A device's request to read its settings again waits this long, so a
    /// burst of notifications gives one read.
    static constexpr int kResyncDelayMs = 50;

    /// A key table that uses macros whose last download failed is not sent.
    static constexpr int kMacrosNotOnDevice = -304;

    /// A failed send is told to the user once ("device_send_failed_text" with
    /// the language text of `what`), and again only after a send succeeded.
    void OnSendResult(const char* what, int result);
    /// A change made on this side (a send queued, a profile loaded): a
    /// reading queued before it is stale.
    void CountChange() { ++m_changeCount; }
    unsigned ChangeCount() const { return m_changeCount; }

    /// Language keys of what a failed send did not deliver.
    static constexpr char kSettingsPart[] = "device_part_settings";
    static constexpr char kKeysPart[] = "device_part_keys";
    static constexpr char kMacrosPart[] = "device_part_macros";
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
    bool m_sendFailureTold = false;
    /// Set on the worker when a macro download failed, cleared when one
    /// succeeds; a key table that uses macros waits for a good download.
    struct MacroState {
        std::atomic<bool> missing{false};
    };
    std::shared_ptr<MacroState> m_macroState = std::make_shared<MacroState>();
    /// Counts the changes made on this side; see CountChange.
    unsigned m_changeCount = 0;
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
