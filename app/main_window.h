// CMainWnd: the main window. It owns the frame of the program: the tray icon
// and its menu, the worker slots, the light-control flag, the awake flag's
// effect, fitting the window to the monitor and the exit sequence. It starts
// hidden and shows itself once the first device scan has finished.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/device_discovery.h"
#include "app/device_hook.h"
#include "app/profile_commands.h"
#include "app/shell/device_scan.h"
#include "app/ipc.h"
#include "app/messages.h"
#include "app/page_router.h"
#include "app/secondary_windows.h"
#include "app/task_gate.h"
#include "app/shell/worker_slots.h"
#include "device/device_table.h"
#include "ui/resource_manager.h"
#include "ui/tray_icon.h"
#include "ui/window_impl.h"

class CButtonUI;
class CDeviceProfileUI;
class CTelvorinFamilyDevice;
class QObject;

namespace tirk {
class CGameFlash;
class CHookBridge;
class SleepWatch;
class SyncLightingPreview;
}

class CMainWnd : public WindowImplBase,
                 public tirk::IpcHandler,
                 public IQueryControlTextUI,
                 public tirk::IPageServices {
public:
    /// Worker slots with a thread.
    static constexpr int kScanSlot = 0;
    static constexpr int kAudioWatchdogSlot = 1;  // the audio companion's watchdog
    static constexpr int kLightingSyncSlot = 8;
    /// Satellite windows (settings and tool windows) closed with the main window.
    static constexpr int kSatelliteCount = 4;

    /// `tables`: the device tables; `ipc`: the IPC backend (owned; started
    /// when the window initialises).
    CMainWnd(tirk::DeviceTables tables, std::unique_ptr<tirk::IpcService> ipc);
    /// Stops the workers if the window was not closed through "exit".
    ~CMainWnd() override;

    /// Runs on the scan worker before its first enumeration; `tirk --emulate`
    /// waits there for the virtual bus, which starts while the window builds.
    void SetBeforeFirstScan(std::function<void()> wait) { before_first_scan_ = std::move(wait); }
    /// The input hook's backend (before the window is created); by default
    /// the desktop-wide one where the window system offers it
    /// (tirk::MakeProgramInputHook).
    void SetInputHookFactory(tirk::CDeviceHook::BackendFactory factory) {
        input_hook_factory_ = std::move(factory);
    }
    /// A problem found before the window existed (a malformed file of the
    /// user's, named with the problem); shown once the window first appears.
    void SetStartupNotice(std::string text);
    /// A message for the user: a language text filled with `detail` (a file
    /// or device and the problem). Shown once the window first appears.
    struct Notice {
        std::string textKey;
        std::string detail;
    };
    void ShowNotice(Notice notice);

    // --- WindowImplBase -----------------------------------------------------
    std::string GetSkinFile() override { return "main.xml"; }
    std::string GetWindowClassName() const override { return "MainWnd"; }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    /// The page controls by layout element name (app/control_table.h).
    CControlUI* CreateControl(const std::string& className) override;
    void OnMenuCommand(const TMenuCommandUI& command) override;
    /// The window manager's close hides the window, as the close button does.
    bool HandleCloseRequest() override;
    /// The window was closed ("exit"): removes the tray icon, stops the
    /// workers and ends the message loop.
    void OnFinalMessage() override;
    void OnTimer(int id) override;
    void OnActivateChanged(bool active) override;
    void OnMouseHoverChanged(bool inside) override;

    // --- IpcHandler (other programs) -------------------------------------------
    void OnLightControl(int w_param, int l_param) override;
    std::vector<std::uint8_t> OnQueryStatus() override;
    void OnGameEvent(tirk::GameEvent event, int w_param, int l_param) override;
    void OnActivate() override;
    void OnExit() override;

    // --- IQueryControlTextUI ------------------------------------------------------
    /// No texts beyond the language file's.
    std::string QueryControlText(const std::string& key) override;

    // --- operations used by other parts -----------------------------------------
    /// The instance message: a later start (wParam 0, lParam 1), the first
    /// scan (0, 0) or Activate. Logs it and brings the window to the front.
    void OnInstanceMessage(intptr_t w_param, intptr_t l_param);
    /// Sizes the window for its monitor (DPI 144 above 1500 × 960, else 96)
    /// and centres it; the window keeps its visibility.
    void FitToMonitor();
    /// The tray icon's left click: hides a shown window, shows a hidden one.
    void OnTrayLeftClick();
    /// The tray icon's right click at a screen point: opens the tray menu
    /// after 10 ms (timer 1032).
    void OnTrayRightClick(TPointUI screen_point);
    /// The system suspends (asleep true) or resumes.
    void OnSleepChanged(bool asleep);
    /// The display configuration changed.
    void OnDisplayChanged();
    /// "exit": closes the satellite windows and the main window, which ends
    /// the program (OnFinalMessage).
    void ExitProgram();

    /// The language, the settings and the about window (satellite slots
    /// tirk::kSettingsSatellite and tirk::kAboutSatellite). Null before InitWindow.
    tirk::SecondaryWindows* Secondary() { return secondary_.get(); }

    /// Whether this program drives the devices' lighting (initially 1).
    int GetLightControl() const { return light_control_; }
    /// The scan's first complete enumeration is delivered: shows the window.
    void OnFirstScanDone();
    /// True once the first device scan has finished.
    bool IsFirstScanDone() const { return first_scan_done_; }
    /// The window DPI chosen by the last fit to monitor.
    int GetWindowDpi() const { return window_dpi_; }
    /// The device list (tiles, device objects); null before the window init.
    tirk::DeviceDiscovery* Discovery() const { return discovery_.get(); }

    // --- tirk::IPageServices: what the page command routes use ---------------
    CTelvorinFamilyDevice* CurrentDevice() override { return std::as_const(*this).CurrentDevice(); }
    void ShowMessage(const std::string& textKey, const std::string& detail = {}) override;
    bool Ask(const std::string& textKey) override;
    std::vector<CTelvorinFamilyDevice*> ConnectedDevices() override;
    void AnimateSyncLighting(const std::vector<CTelvorinFamilyDevice*>& devices) override;
    std::string ChooseFile(tirk::FileDialogKind kind, const std::string& filter,
                           const std::string& suffix) override;
    void SetHook(int kind, bool enable) override;
    bool HookDesktopWide() const override;
    void OpenPopupMenu(const std::string& layoutFile) override;
    std::optional<uint32_t> PickColour(uint32_t start) override;
    bool OpenDesktopSettings(tirk::DesktopSettingsPage page) override;
    /// The input hook's side of the window (null before the window init).
    tirk::CHookBridge* HookBridge() const { return hook_bridge_.get(); }

private:
    void OnWindowInit();
    void OnFirstWindowSize(TNotifyUI& msg);
    void OnClick(TNotifyUI& msg);
    void OnCloseButton();
    void ToggleLightControl();
    void SetLightControl(int on);
    void ShowAndRaise();
    void UpdateNoDeviceHint();
    void CloseSatelliteWindows();
    /// After a language change: every device object refreshes its texts.
    void RefreshDeviceTexts();
    void StartWorkers();
    void StopWorkers();
    void WatchScreens();
    bool Admit(tirk::MainMessage message) const;
    int CountConnectedDevices() const;
    CTelvorinFamilyDevice* CurrentDevice() const;
    static CDeviceProfileUI* ProfilePanelOf(CTelvorinFamilyDevice& device);
    tirk::CUsbDeviceProfileHooks ProfileHooksOf(CTelvorinFamilyDevice& device) const;
    bool RouteProfileCommand(TNotifyUI& msg);
    void OnProfileSwitchTimer();
    void FlushProfileSwitch(CTelvorinFamilyDevice& leaving);
    void SetDevicesPaused(bool paused);
    /// Tells each macro page whether recording sees the whole desktop.
    void ShowCaptureScope();

    tirk::DeviceTables tables_;

    std::function<void()> before_first_scan_;
    tirk::CDeviceHook::BackendFactory input_hook_factory_;
    std::unique_ptr<tirk::CHookBridge> hook_bridge_;
    std::unique_ptr<tirk::CGameFlash> game_flash_;
    std::vector<Notice> pending_notices_;  // until the window first appears
    std::unique_ptr<tirk::IpcService> ipc_;
    std::unique_ptr<tirk::SleepWatch> sleep_watch_;
    std::unique_ptr<QObject> screen_watch_;  // owns the screen signal connections
    CTrayIcon tray_;
    std::array<CButtonUI*, 9> window_buttons_{};
    std::array<WindowImplBase*, kSatelliteCount> satellites_{};
    std::unique_ptr<tirk::SecondaryWindows> secondary_;

    tirk::TaskGatePtr gate_;
    std::shared_ptr<tirk::DeviceScanner> scanner_;  // shared with the scan worker
    std::unique_ptr<tirk::DeviceDiscovery> discovery_;
    std::unique_ptr<tirk::IProfileTimer> profile_timer_;
    std::unique_ptr<tirk::IProfileMessages> profile_messages_;
    std::unique_ptr<tirk::CProfileCommands> profile_commands_;
    tirk::CPageRouter page_router_;
    std::shared_ptr<tirk::DeviceScanEvents> scan_events_;  // shared with the scan worker
    tirk::WorkerSlots slots_;
    // The synchronised previews, shared with the lighting synchronisation worker.
    std::shared_ptr<tirk::SyncLightingPreview> sync_preview_;
    bool workers_stopped_ = false;

    int light_control_ = 1;
    int active_[2] = {0, 0};
    int display_changed_ = 0;
    int window_dpi_ = 96;
    bool first_size_ = false;
    bool first_scan_done_ = false;
    TPointUI tray_menu_point_;
};
