// CTelvorinUSBDevice: the base of every device object. The object is at the
// same time the device's page (a horizontal layout of the UI layer holding
// the device's controls) and its protocol endpoint (a command channel and a
// notification channel). Families derive from it and override the numbered
// device operations; docs/device-object.md describes the base behaviour.
#pragma once

#include <json/value.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "device/device_table.h"
#include "device/link/command_channel.h"
#include "device/link/device_worker.h"
#include "device/page/device_tile.h"
#include "device/page/notification_listener.h"
#include "device/preview/preview_effects.h"
#include "device/preview/reactive_fade.h"
#include "ui/container.h"
#include "ui/ui_base.h"

class CDeviceKeyButtonUI;
class CSelectPanelUI;
class CTabLayoutUI;
class WindowImplBase;

/// The lighting page's audio-light values (three numbers), as the lighting
/// page shows them. Implemented by the lighting page.
class IAudioLightPage {
public:
    virtual ~IAudioLightPage() = default;
    virtual void ShowAudioLight(const std::array<int, 3>& values) = 0;
    virtual std::array<int, 3> ReadAudioLight() const = 0;
};

class CTelvorinUSBDevice : public CHorizontalLayoutUI, public INotifyUI {
public:
    /// Family codes of the device classes.
    enum FamilyCode : int32_t {
        kFamilyBase = 0,
        kFamilyKeyboard = 1,
        kFamilyMouse = 2,
        kFamilyMousePad = 3,
        kFamilyHeadset = 7,
    };

    /// The tile timers: ids of the life cycle that device discovery starts.
    enum TileTimer : int {
        kTimerPreview = 1000,
        kTimerFirstSync = 1001,
        kTimerResync = 1002,
        kTimerStatus = 1005,
        kTimerLinkWatch = 1007,
    };
    /// Not a tile timer: shows the busy mark when exchanges take longer than a moment.
    static constexpr int kTimerBusyMark = 1100;
    static constexpr int kBusyMarkDelayMs = 300;

    /// Keys of the exchanges the device queues on its worker: at most one
    /// exchange of each key waits at a time (a repeated poll is not queued twice).
    enum ExchangeKey : int {
        kExchangeAlways = CDeviceWorker::kAlwaysQueue,  ///< queued every time
        kExchangeStatus = 1,                            ///< the status poll (17)
        kExchangeLinkWatch = 2,                         ///< the link check of timer 1007
        kExchangeResume = 3,  ///< ResumeLighting when the light-control flag is set
    };
    /// What the link check (18) sends: runs on the worker thread with the
    /// device's channel and returns 1 when the wireless link is up.
    using LinkCheck = std::function<int(CCommandChannel&)>;

    static constexpr int kLedRecordSize = 14;
    static constexpr int kRetryCounterWrap = 20;
    /// Notification codes of the devices start here.
    static constexpr uint16_t kFirstNotificationCode = 1025;

    using LedRecord = std::array<uint8_t, kLedRecordSize>;
    using KeyMap = std::map<int, uint32_t>;  ///< key index → assignment code

    /// A device object on the product's channels (hidraw over $TIRK_HID_ROOT).
    CTelvorinUSBDevice();
    /// A device object whose channels use `backend` and `timeouts` (tests).
    CTelvorinUSBDevice(std::shared_ptr<tirk::hid::HidBackend> backend,
                       tirk::link::ChannelTimeouts timeouts);
    /// Stops the notification listeners, the exchanges and the tile timers.
    ~CTelvorinUSBDevice() override;

    std::string GetClass() const override { return "TelvorinUSBDevice"; }
    /// Page notifications; the base handles none.
    void Notify(TNotifyUI& msg) override;

    // --- channels ------------------------------------------------------------
    /// All protocol traffic. Owned by the object.
    CCommandChannel& Channel() { return m_channel; }
    /// Only read, by the notification listeners. Owned by the object.
    CCommandChannel& NotificationChannel() { return m_notifyChannel; }
    /// Guarded sending: wired → the command channel is open; wireless → open
    /// and the receiver reports its device linked.
    bool CanSend() { return m_channel.CanSend(); }

    // --- identity ------------------------------------------------------------
    /// Copies the candidate's identity (type and secondary code included).
    void SetIdentity(const tirk::DeviceCandidate& candidate);
    const tirk::DeviceCandidate& Identity() const { return m_identity; }
    void SetTypeCodes(int32_t typeCode, int32_t secondaryCode);
    int32_t TypeCode() const { return m_typeCode; }
    int32_t SecondaryCode() const { return m_secondaryCode; }
    /// The interface path the command channel was opened with.
    void SetInterfacePath(const std::string& path) { m_interfacePath = path; }
    const std::string& InterfacePath() const { return m_interfacePath; }
    int32_t FamilyCode() const { return m_familyCode; }

    // --- model parameters ------------------------------------------------------
    /// Resizes the key control list (all unbound); negative counts read as 0.
    void SetKeyCount(int count);
    int KeyCount() const { return static_cast<int>(m_keyControls.size()); }
    /// Resizes the light control list, the colour buffer and the LED records
    /// and clears all three; negative counts read as 0.
    void SetLedCount(int count);
    int LedCount() const { return static_cast<int>(m_lightControls.size()); }
    /// The control bound to key / LED `index`; nullptr when unbound or out of
    /// range. Owned by the page's widget tree.
    CDeviceKeyButtonUI* KeyControl(int index) const;
    CDeviceKeyButtonUI* LightControl(int index) const;
    /// LED `index`'s 14-byte record (zero after SetLedCount); all zero out of range.
    LedRecord GetLedRecord(int index) const;
    void SetFamilyIndex(int index) { m_familyIndex = index; }
    int FamilyIndex() const { return m_familyIndex; }
    void SetHasPowerTile(bool has) { m_hasPowerTile = has; }
    bool HasPowerTile() const { return m_hasPowerTile; }

    // --- names (UTF-8) ---------------------------------------------------------
    void SetPageLayoutPath(const std::string& path) { m_pageLayoutPath = path; }
    const std::string& PageLayoutPath() const { return m_pageLayoutPath; }
    void SetProfileBaseName(const std::string& name) { m_profileBaseName = name; }
    const std::string& ProfileBaseName() const { return m_profileBaseName; }
    void SetConfigBaseName(const std::string& name) { m_configBaseName = name; }
    const std::string& ConfigBaseName() const { return m_configBaseName; }
    /// "mouse", "keyboard", "MousePad" or "HD".
    void SetDeviceFolderName(const std::string& name) { m_deviceFolderName = name; }
    const std::string& DeviceFolderName() const { return m_deviceFolderName; }

    // --- paths -----------------------------------------------------------------
    /// $XDG_DATA_HOME/Vorpaline TIRK/<device folder>/, created when missing.
    /// `result` (may be null) reports a folder that could not be made (also
    /// logged); the path is returned either way.
    std::string UserFolder(tirk::FileResult* result = nullptr) const;
    /// The installation folder; default: the UI layer's instance path (the
    /// executable's folder). A trailing '/' is added.
    void SetInstallFolder(const std::string& folder);
    std::string InstallFolder() const;
    /// Installation folder + "DefaultData/".
    std::string DefaultDataFolder() const;
    /// Default data folder + device folder name + ".Json".
    std::string DefaultProfilePath() const;
    /// User folder + profile base name + ".Json" (creates the user folder).
    std::string ProfileDocumentPath() const;
    /// User folder + configuration base name + ".config" (creates the user folder).
    std::string ConfigDocumentPath() const;

    // --- UI references (none owned) ---------------------------------------------
    /// The window whose PostTask carries the exchanges' results to the UI
    /// thread (without one, a queued invocation on the object does). The
    /// exchanges must be stopped (StopExchanges) before this window is
    /// destroyed; device discovery does that.
    void SetMainWindow(WindowImplBase* window) {
        m_mainWindow = window;
        m_resultWindow.store(window);
    }
    WindowImplBase* MainWindow() const { return m_mainWindow; }
    void SetTile(IDeviceTile* tile) { m_tile = tile; }
    IDeviceTile* Tile() const { return m_tile; }
    void SetPowerTile(CControlUI* powerTile) { m_powerTile = powerTile; }
    CControlUI* PowerTile() const { return m_powerTile; }
    void SetLightingPage(CControlUI* page) { m_lightingPage = page; }
    CControlUI* LightingPage() const { return m_lightingPage; }
    void SetAudioLightPage(IAudioLightPage* page) { m_audioLightPage = page; }
    /// The selection panel AttachToPage found; nullptr before or without one.
    CSelectPanelUI* SelectPanel() const { return m_selectPanel; }

    // --- flags -------------------------------------------------------------------
    /// Sets the light-control flag (this program drives the lighting). Setting
    /// it non-zero on a keyboard (type code 1) hands the lighting back to the
    /// device's own effect with ResumeLighting, through guarded sending, on
    /// the exchange worker. Returns 1 when the resume was queued (or one
    /// already waits) or nothing was to be sent, 0 when the channel is
    /// closed. The resume's own result is logged when it fails and kept in
    /// LastResumeResult once it is back.
    int SetLightControl(int value);
    /// ResumeLighting's result (or 0 when guarded sending refused); -1 before any.
    int LastResumeResult() const { return m_lastResume; }
    int LightControl() const { return m_lightControl; }
    void SetWindowActive(int value) { m_windowActive = value; }
    int WindowActive() const { return m_windowActive; }
    /// Set while the main window is hidden. The preview refresh (timer 1000)
    /// sleeps while it is set, so a hidden window costs no wake-ups; clearing
    /// it starts the refresh again on an open channel.
    void SetPollingPaused(int value);
    int PollingPaused() const { return m_pollingPaused; }
    /// The model's selection value (third selection value).
    void SetModelSelection(int value) { m_modelSelection = value; }
    int ModelSelection() const { return m_modelSelection; }
    int SelectedKey() const { return m_selectedKey; }
    int SecondSelection() const { return m_secondSelection; }

    // --- lighting values and preview ------------------------------------------------
    /// The current profile's lighting values read by the preview (any thread).
    void SetLightingParams(const tirk::preview::LightingParams& params);
    tirk::preview::LightingParams LightingParams() const;
    tirk::preview::PreviewState PreviewState() const;
    /// The clock of the blink effects; default the steady clock (tests inject one).
    void SetTickSource(tirk::preview::TickSource tick);
    /// Runs the preview step (operations 3 to 9) of the current lighting mode.
    /// Called by the families' lighting threads.
    void RunPreviewStep();
    /// The four values of SetLightInfo and the three audio-light values.
    const std::array<int, 4>& LightInfo() const { return m_lightInfo; }
    const KeyMap& GetKeyMap() const { return m_keyMap; }
    /// A copy of the reactive preview state.
    tirk::preview::ReactiveState ReactiveState() const;
    void SetReactiveRing(const std::array<uint8_t, tirk::preview::kRingLength>& ring);

    // --- notification listeners -------------------------------------------------------
    /// Opens the notification channel's wired or wireless interface at `path`
    /// for reading and starts its listener. False when the interface cannot be
    /// opened (logged) or its listener already runs.
    bool OpenNotificationInterface(const std::string& path, bool wireless);
    /// Stops that interface's listener, which closes the interface. Returns
    /// true when the listener ended within its wait (or did not run).
    bool CloseNotificationInterface(bool wireless);
    bool IsListening(bool wireless) const;

    // --- exchanges on the device's worker ---------------------------------------------
    /// Runs `exchange` on the device's exchange worker, after the exchanges
    /// queued before it, then `apply` with its result on the UI thread.
    /// `exchange` runs while the UI thread goes on: it may use nothing but
    /// the channel it is given and values it captured. `apply` does not run
    /// when the device is gone or StopTileTimers came in between. Returns
    /// false when nothing was queued: an exchange with the same non-zero
    /// `key` still waits (its result is applied instead), or the exchanges
    /// were stopped. UI thread.
    template <typename Result>
    bool QueueExchange(int key, std::function<Result(CCommandChannel&)> exchange,
                       std::function<void(Result)> apply);
    /// For an exchange that repeats (worker thread): waits `pause`, or less
    /// when the exchanges are stopped; false then.
    bool PauseExchanges(std::chrono::milliseconds pause) { return m_worker.Pause(pause); }
    /// Exchanges queued whose results have not been applied yet. UI thread.
    int ExchangesPending() const { return m_exchangesPending; }
    /// True while the page shows that it waits for its device: exchanges
    /// have been pending for longer than kBusyMarkDelayMs.
    bool IsBusyMarkShown() const { return m_busyMarkShown; }
    /// Drops the waiting exchanges and cuts a running one short by closing
    /// the channel's interfaces; no result is applied any more and nothing
    /// is queued afterwards. For a device that goes away. UI thread.
    void StopExchanges() { m_worker.Stop(); }

    // --- tile timers ----------------------------------------------------------------
    /// The channel is connected: starts timer 1001 (first synchronisation).
    /// Link checks still under way from before are not applied to the tile.
    void StartFirstSync();
    /// Runs what tile timer `id`'s expiry runs, now, re-arming timers as the
    /// life cycle says. A step that needs the device queues its exchange and
    /// returns; the rest of the step (and the re-arming) follows on the UI
    /// thread when the result is back. Unknown ids do nothing.
    void RunTileTimer(int id);
    /// Starts tile timer `id` with `ms` (at most one run each start).
    void ArmTileTimer(int id, int ms);
    /// Stops every tile timer and drops the exchanges that wait (device gone);
    /// results of exchanges already under way are not applied.
    void StopTileTimers();
    /// The period tile timer `id` is armed with; 0 when it is not armed.
    int TileTimerPeriod(int id) const;
    /// First-synchronisation retries on a wireless link that is down (0..19).
    int LinkRetryCount() const { return m_linkRetries; }

    // ===== device operations 1 to 52 ===================================================

    /// 1: binds the key and light controls of the page (see docs/device-object.md).
    virtual void AttachToPage();
    /// 2: loads the profile into the working tables; base 0.
    virtual int ApplyProfileToState() { return 0; }
    /// 3–9: one preview step of effects 0 to 6, shown on every LED.
    virtual void PreviewBreathing();
    virtual void PreviewFourColourBreathing();
    virtual void PreviewStatic();
    virtual void PreviewSpectrum();
    virtual void PreviewBlink();
    virtual void PreviewFourColourBlink();
    virtual void PreviewOff();
    /// 10: shows the colour buffer on the visible light controls while this
    /// program drives the lighting.
    virtual void RenderLightFrame();
    /// 11: sets LED `index`'s colour and alpha; an index outside the buffer is ignored.
    virtual void SetLedColour(int index, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha);
    /// 12: LED `index`'s colour as red | green << 8 | blue << 16 | alpha << 24;
    /// 0 outside the buffer.
    virtual uint32_t GetLedColour(int index) const;
    /// 13: first synchronisation (read the device, load the profile, fill the page).
    virtual void StartDevice() {}
    /// 14: read the device again.
    virtual void ResyncFromDevice() {}
    /// 17: status poll.
    virtual void PollPowerStatus() {}
    /// 18: link check; 1 when the wireless link is up. Runs LinkCheckExchange
    /// on the calling thread; the tile timers run it on the worker. Base: 1.
    virtual int IsOnline() { return LinkCheckExchange()(m_channel); }
    /// 19: loads the profile document and applies it; base 0.
    virtual int LoadActiveProfile() { return 0; }
    /// 21: updates the page from the profile.
    virtual void RefreshPage() {}
    /// 24: resets assignments that point at deleted macros.
    virtual void ValidateMacroRefs() {}
    /// 25: loads the family's default profile, applies, saves and shows it.
    virtual void RestoreDefaults() {}
    /// 26: the macro numbers the key assignments use, in order; base empty.
    virtual std::vector<int> CollectUsedMacros() { return {}; }
    /// 27: builds and writes the key table; base 0.
    virtual int WriteKeyAssignments(int /*bank*/, const std::vector<uint32_t>& /*assignments*/) {
        return 0;
    }
    /// 28: WriteKeyAssignments with the object's current assignment list; base 0.
    virtual int WriteCurrentKeyAssignments(int /*bank*/) { return 0; }
    /// 31: builds and writes the macro block for `macros` (operation 26's list); base 0.
    virtual int DownloadMacros(const std::vector<int>& /*macros*/) { return 0; }
    /// 32: builds and writes the settings record; base 0.
    virtual int WriteDeviceSettings(int /*slot*/, int /*a*/, int /*b*/, int /*c*/, int /*d*/) {
        return 0;
    }
    /// 33: loads the macro names and the lighting mode lists.
    virtual void LoadNameLists() {}
    /// 34: replaces the key map.
    virtual void SetKeyMap(const KeyMap& map) { m_keyMap = map; }
    /// 35: one reactive fade step of key `key` in lighting mode `mode`.
    virtual void ReactiveFadeStep(int key, int mode);
    /// 36: every key 0..8 whose ring entry is set starts fading from 255.
    virtual void ReactiveStart();
    /// 37: rotates the ring by one entry, left, or right when `right` is non-zero.
    virtual void RotateReactiveRing(int right);
    /// 38: clears the fade values and the ring.
    virtual void ClearReactiveState();
    /// 39: shows the function-switch pages for tab type `type`.
    virtual void OnTabSelected(int type);
    /// 40: the function-switch type (initially 1).
    virtual int GetFunctionSwitchType() const { return m_functionSwitchType; }
    /// 41: sets the profile document paths.
    virtual void SetProfilePaths() {}
    /// 42: the profile's name; base empty.
    virtual std::string GetProfileName() const { return {}; }
    /// 43: saves the profile document.
    virtual void SaveProfile() {}
    /// 44, 45: the family's entry in the lighting defaults.
    virtual void SetLightingDefaultsIndex(int index) { m_lightingDefaultsIndex = index; }
    virtual int GetLightingDefaultsIndex() const { return m_lightingDefaultsIndex; }
    /// 46: stores the four lighting values.
    virtual void SetLightInfo(int a, int b, int c, int d) { m_lightInfo = {a, b, c, d}; }
    /// 47: stores the three audio-light values and shows them on the lighting page.
    virtual void SetAudioLightInfo(int a, int b, int c);
    /// 48: the audio-light values as the lighting page has them (the stored
    /// ones without a lighting page).
    virtual std::array<int, 3> GetAudioLightInfo() const;
    /// 49: a key was selected on the key page.
    virtual void SelectKey(int key) { m_selectedKey = key; }
    /// 50: the second selection value.
    virtual void SetSecondSelection(int value) { m_secondSelection = value; }
    /// 51: audio levels from the audio companion.
    virtual void OnAudioLevels(std::span<const int32_t> /*levels*/) {}

    // ===== not numbered =========================================================
    /// A notification code from the listener of the cable's (`wireless`
    /// false) or the receiver's interface, on the UI thread. Base: logged.
    virtual void OnNotification(uint16_t code, bool wireless);
    /// The text the listeners log when they end.
    virtual std::string ListenerExitText() const;

protected:
    /// Family classes pass their code.
    CTelvorinUSBDevice(int32_t familyCode, std::shared_ptr<tirk::hid::HidBackend> backend,
                       tirk::link::ChannelTimeouts timeouts);

    /// What the link check (18) sends, asked on the UI thread when a check
    /// is made; the function returned runs on the worker thread (or in
    /// IsOnline). Base: the link is up, nothing is sent.
    virtual LinkCheck LinkCheckExchange() const;

    /// Tile timers run their step, the busy-mark timer its check; other ids
    /// go to the base.
    void OnTimer(int id) override;

    /// The light-control flag or the polling pause changed, or the device's
    /// tile timers stopped (the device went). Base: nothing.
    virtual void OnDriveFlagsChanged() {}

    /// Shows `rgba` (four bytes per LED) on the visible light controls and
    /// repaints the picture when a mark changed. True when one did.
    bool PaintLightControls(std::span<const uint8_t> rgba);
    /// A second, smaller picture of the same lights (a family's own): its
    /// marks, by LED number, show the colours the picture's light controls
    /// show, and `panel` is redrawn with them. A null panel removes it.
    void SetLightMirror(CControlUI* panel, std::vector<CDeviceKeyButtonUI*> marks);
    /// Fills every LED of the colour buffer with one preview result.
    void ShowOnAllLeds(const tirk::preview::PreviewFrame& frame);

    // Working tables copied from the profile, for the families.
    std::mutex m_keyTableLock;
    std::vector<uint32_t> m_keyEntries;  ///< guarded by m_keyTableLock
    mutable std::mutex m_lightTableLock;
    std::array<Json::Value, 3> m_documents;  ///< the families' JSON documents

private:
    void BindKeyButtons();
    void RunFirstSyncTimer();
    void RunPreviewTimer();
    void FinishFirstSync();
    void RetryFirstSync();
    void RunStatusTimer();
    void RunLinkWatchTimer();
    void ApplyLinkWatch(bool online);
    /// Queues the link check with `key`; `then` gets "link up" on the UI thread.
    void QueueLinkCheck(int key, std::function<void(bool online)> then);
    // The exchanges' bookkeeping (usb_device_exchanges.cpp).
    void PostExchangeResult(std::function<void()> apply);
    void ApplyExchangeResult(unsigned epoch, const std::function<void()>& apply);
    void OnExchangeQueued();
    void OnExchangesEnded(size_t count);
    void OnBusyMarkTimer();
    void ShowBusyMark(bool show);
    CControlUI* BusyMarkControl();
    void PostNotification(uint16_t code, bool wireless);
    CNotificationListener& ListenerFor(bool wireless);
    template <typename StepFn>
    void RunPreview(StepFn step);

    const int32_t m_familyCode;
    CCommandChannel m_channel;
    CCommandChannel m_notifyChannel;
    CNotificationListener m_wiredListener;
    CNotificationListener m_wirelessListener;

    tirk::DeviceCandidate m_identity;
    std::string m_interfacePath;
    int32_t m_typeCode = 0;
    int32_t m_secondaryCode = 0;

    std::vector<CDeviceKeyButtonUI*> m_keyControls;
    std::vector<CDeviceKeyButtonUI*> m_lightControls;
    std::vector<uint8_t> m_ledColours;    ///< RGBA per LED; guarded by m_previewLock
    std::vector<LedRecord> m_ledRecords;  ///< guarded by m_lightTableLock
    int m_familyIndex = 0;
    bool m_hasPowerTile = false;

    std::string m_pageLayoutPath;
    std::string m_profileBaseName;
    std::string m_configBaseName;
    std::string m_deviceFolderName;
    std::string m_installFolder;

    WindowImplBase* m_mainWindow = nullptr;
    IDeviceTile* m_tile = nullptr;
    CControlUI* m_powerTile = nullptr;
    CControlUI* m_lightingPage = nullptr;
    IAudioLightPage* m_audioLightPage = nullptr;
    CSelectPanelUI* m_selectPanel = nullptr;
    /// The picture's light marks changed since it was last drawn.
    bool m_pictureDirty = false;
    bool m_mirrorDirty = false;
    CControlUI* m_mirrorPanel = nullptr;
    std::vector<CDeviceKeyButtonUI*> m_mirrorMarks;
    std::chrono::steady_clock::time_point m_lastPictureFrame{};
    /// The shortest time between two drawings of an animated picture (30 a second).
    static constexpr std::chrono::milliseconds kPictureFrame{33};

    /// Lighting values, preview state, colour buffer and reactive state. Never
    /// held while calling out, so the families' locks cannot nest with it.
    mutable std::mutex m_previewLock;
    tirk::preview::LightingParams m_lighting;
    tirk::preview::PreviewState m_preview;
    tirk::preview::TickSource m_tick;

    int m_lightControl = 1;  // the main window starts driving the lighting
    int m_windowActive = 0;
    int m_pollingPaused = 0;
    int m_functionSwitchType = 1;
    int m_selectedKey = -1;
    int m_secondSelection = -1;
    int m_modelSelection = -1;
    int m_lightingDefaultsIndex = 0;
    std::array<int, 4> m_lightInfo{};
    std::array<int, 3> m_audioLight{};
    KeyMap m_keyMap;

    tirk::preview::ReactiveState m_reactive;  ///< guarded by m_previewLock

    std::map<int, int> m_tileTimers;  ///< armed tile timers: id → period
    int m_linkRetries = 0;
    /// Counts StartFirstSync calls: a link check from before a start does not
    /// change the tile (it may have been made over the other link).
    unsigned m_linkCycle = 0;

    // Exchanges (UI thread, but the worker and m_resultWindow).
    std::atomic<WindowImplBase*> m_resultWindow{nullptr};  ///< read by the worker thread
    unsigned m_exchangeEpoch = 0;  ///< counts StopTileTimers; older results are not applied
    int m_exchangesPending = 0;
    bool m_busyMarkShown = false;
    CControlUI* m_busyMark = nullptr;  ///< made on first use; owned by the page
    int m_lastResume = -1;
    /// Declared after the channel, which its jobs use: it is stopped (in the
    /// destructor) and destroyed before the channel.
    CDeviceWorker m_worker;
};

template <typename Result>
bool CTelvorinUSBDevice::QueueExchange(int key, std::function<Result(CCommandChannel&)> exchange,
                                       std::function<void(Result)> apply) {
    CCommandChannel& channel = m_channel;
    const bool queued = m_worker.Queue<Result>(
        key, [&channel, exchange = std::move(exchange)] { return exchange(channel); },
        [this, epoch = m_exchangeEpoch, apply = std::move(apply)](Result result) {
            ApplyExchangeResult(epoch, [&] { apply(std::move(result)); });
        });
    if (queued) OnExchangeQueued();
    return queued;
}
