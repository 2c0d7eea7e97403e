#include "app/main_window.h"

#include <algorithm>

#include <QCursor>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "app/app_globals.h"
#include "app/profile_commands.h"
#include "app/control_table.h"
#include "app/fit_to_monitor.h"
#include "app/game_flash.h"
#include "app/hook_bridge.h"
#include "app/routes/sync_lighting.h"
#include "app/shell/lighting_sync.h"
#include "app/skin_frame.h"
#include "app/sleep_watch.h"
#include "app/shell/status_block.h"
#include "core/log.h"
#include "device/family/family_devices.h"
#include "device/hid/hid_change_watch.h"
#include "device/hid/hid_interface.h"
#include "profile/panel/device_profile.h"
#include "profile/panel/macro_control.h"
#include "profile/profile_paths.h"
#include "ui/button.h"
#include "ui/colour_picker.h"
#include "ui/device_option.h"
#include "ui/container.h"
#include "ui/menu_wnd.h"
#include "ui/msg_wnd.h"
#include "ui/paint_manager.h"

using tirk::GameEvent;
using tirk::MainMessage;

namespace {

constexpr const char* kWindowButtonNames[] = {
    "closebtn",    "maxbtn",   "restorebtn",   "minbtn", "skinbtn",
    "gamemodebtn", "cloudbtn", "smarteyesbtn", "setbtn",
};
constexpr char kLightStatus[] = "control_light_status";
constexpr char kNoDeviceHint[] = "No_device_Link";
constexpr char kTextLightOn[] = "%[light_control_on]";
constexpr char kTextLightOff[] = "%[light_control_off]";
constexpr char kIconFile[] = "main/logo.png";
/// The key-assignment panel's key edit: while it has the focus, key presses
/// anywhere are captured for it.
constexpr char kKeyCaptureEdit[] = "keyset_keyboard_text_edit";

// The scan thread's events, handled on the UI thread while the scan waits,
// as sent window messages are.
class ScanEventsToWindow : public tirk::DeviceScanEvents {
public:
    ScanEventsToWindow(tirk::TaskGatePtr gate, CMainWnd* window)
        : m_gate(std::move(gate)), m_window(window) {}
    void OnCandidateArrived(int index, const std::string& path) override {
        m_gate->Send([w = m_window, index, path] { w->Discovery()->OnCandidateArrived(index, path); });
    }
    void OnCandidateRemoved(int index) override {
        m_gate->Send([w = m_window, index] { w->Discovery()->OnCandidateRemoved(index); });
    }
    void OnFirstScanDone() override { m_gate->Post([w = m_window] { w->OnFirstScanDone(); }); }
    void OnCandidateUnopenable(const std::string& path, const std::string& error) override {
        m_gate->Post([w = m_window, detail = path + ": " + error] {
            w->ShowNotice({"message_device_unopenable", detail});
        });
    }

private:
    tirk::TaskGatePtr m_gate;
    CMainWnd* m_window;
};
constexpr char kTitle[] = "Vorpaline TIRK";

}  // namespace

CMainWnd::CMainWnd(tirk::DeviceTables tables, std::unique_ptr<tirk::IpcService> ipc)
    : tables_(std::move(tables)),
      ipc_(std::move(ipc)),
      gate_(std::make_shared<tirk::TaskGate>(this)),
      sync_preview_(std::make_shared<tirk::SyncLightingPreview>()) {
    page_router_.AddRoutes(tirk::FeatureTabRoutes());
    page_router_.AddRoutes(tirk::LightingRoutes());
    page_router_.AddRoutes(tirk::KeyAssignmentRoutes());
    page_router_.AddRoutes(tirk::DeviceRoutes());
    page_router_.AddRoutes(tirk::KeyboardRoutes());
    page_router_.AddRoutes(tirk::SyncLightingRoutes());
    page_router_.AddRoutes(tirk::MacroRoutes());
    page_router_.AddRoutes(tirk::RecoilRoutes());
    page_router_.AddRoutes(tirk::MouseRoutes());
}

CMainWnd::~CMainWnd() {
    StopWorkers();
    CResourceManager::GetInstance()->SetTextQueryInterface(nullptr);
    tirk::SkinReceivers::Instance().Remove(this);
    tirk::Globals().main_window = nullptr;
}

// ---------------------------------------------------------------- start-up

void CMainWnd::InitWindow() {
    tirk::log::Line("InitWindow");
    CResourceManager::GetInstance()->SetTextQueryInterface(this);
    // The texts come with the saved language at window init.
    secondary_ = std::make_unique<tirk::SecondaryWindows>(*this, satellites_,
                                                          [this] { RefreshDeviceTexts(); });
    for (size_t i = 0; i < window_buttons_.size(); ++i)
        window_buttons_[i] = dynamic_cast<CButtonUI*>(m_pm.FindControl(kWindowButtonNames[i]));
    profile_timer_ = std::make_unique<tirk::CWindowProfileTimer>(*this);
    profile_messages_ =
        std::make_unique<tirk::CMsgWndProfileMessages>(*this, [this] { return GetWindowDpi(); });
    tirk::CHookBridge::Environment hook_environment;
    hook_environment.pages = this;
    hook_environment.findControl = [this](const char* name) { return m_pm.FindControl(name); };
    hook_environment.awake = [] { return tirk::Globals().awake.load(); };
    hook_environment.post = [this](std::function<void()> task) { PostTask(std::move(task)); };
    hook_bridge_ = std::make_unique<tirk::CHookBridge>(
        std::move(hook_environment),
        input_hook_factory_ ? input_hook_factory_ : tirk::MakeProgramInputHook);
    game_flash_ = std::make_unique<tirk::CGameFlash>(*this, *profile_timer_);
    profile_commands_ = std::make_unique<tirk::CProfileCommands>(
        *profile_messages_, *profile_timer_, tirk::QtProfileFileDialog(GetWidget()),
        tirk::UserDataRoot());
    tirk::Globals().main_window = this;
    tirk::SkinReceivers::Instance().Add(
        this, [this](const tirk::SkinRecord& skin) { tirk::ApplySkin(m_pm, skin); });
    SetIcon(kIconFile);
    tray_.SetOnLeftClick([this] { OnTrayLeftClick(); });
    tray_.SetOnRightClick([this](TPointUI point) { OnTrayRightClick(point); });
    if (!tray_.CreateTrayIcon(kIconFile, kTitle)) tirk::log::Line("no tray icon (no system tray)");
    ipc_->Start(*this);
    sleep_watch_ = std::make_unique<tirk::SleepWatch>();
    QObject::connect(sleep_watch_.get(), &tirk::SleepWatch::SleepChanged,
                     [this](bool asleep) { OnSleepChanged(asleep); });
    sleep_watch_->Start();
}

void CMainWnd::OnWindowInit() {
    ipc_->AnnounceLightOwner(1, 1);
    secondary_->ApplySavedLanguage();
    tirk::log::Line("start-up: language applied");
    tirk::DeviceDiscovery::WindowHooks hooks;
    hooks.bringToFront = [this] {
        ShowCaptureScope();
        OnInstanceMessage(0, 0);
    };
    hooks.closeSatellites = [this] { CloseSatelliteWindows(); };
    hooks.stopMacroRecording = [this] { hook_bridge_->StopMacroRecording(); };
    hooks.selectionChanging = [this](CTelvorinFamilyDevice& leaving) { FlushProfileSwitch(leaving); };
    discovery_ = std::make_unique<tirk::DeviceDiscovery>(tables_, *this, std::move(hooks));
    discovery_->BuildInAdvance();
    ShowCaptureScope();
    tirk::log::Line("start-up: mouse and keyboard pages built");
    // The saved language, the family pages and the audio companion come with
    // their own parts; the window frame needs none of them.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        tirk::Globals().screen_width = screen->geometry().width();
        tirk::Globals().screen_height = screen->geometry().height();
    }
    ShowWindow(false);
    StartWorkers();
    WatchScreens();
    // Holding the keyboard on our own window keeps it active while the key
    // edit captures; only an X window can hold it.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        hook_bridge_->Hook().SetOwnWindow(uint64_t(GetWidget()->winId()));
    SetTimer(tirk::kTimerFitAfterInit, 100);
    first_size_ = true;
}

void CMainWnd::StartWorkers() {
    scanner_ = std::make_shared<tirk::DeviceScanner>(tables_.candidates,
                                                     std::make_unique<CHidInterface>());
    discovery_->SetScanner(scanner_);
    // The worker holds the events too: a worker that outlives its stop bound
    // (it is then detached) still finds them, and the closed gate drops its calls.
    scan_events_ = std::make_shared<ScanEventsToWindow>(gate_, this);
    slots_.Start(kScanSlot, [scanner = scanner_, events = scan_events_,
                             wait = before_first_scan_](tirk::StopEvent& stop) {
        if (wait) wait();
        // Made once the bus is up: the virtual bus's class folder exists only then.
        tirk::RunDeviceScanWorker(stop, *scanner, *events, tirk::hid::CreateDefaultHidChangeWatch());
    });
    // Slot kAudioWatchdogSlot runs the audio companion's watchdog once the
    // companion exists; until then the slot has only its event.
    tirk::LightingSyncHooks sync_hooks = tirk::SyncLightingPreview::HooksOf(sync_preview_);
    slots_.Start(kLightingSyncSlot, [sync_hooks](tirk::StopEvent& stop) {
        tirk::RunLightingSyncWorker(stop, sync_hooks);
    });
}

void CMainWnd::WatchScreens() {
    screen_watch_ = std::make_unique<QObject>();
    auto watch = [this](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, screen_watch_.get(),
                         [this] { OnDisplayChanged(); });
    };
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    auto* app = qobject_cast<QGuiApplication*>(QGuiApplication::instance());
    QObject::connect(app, &QGuiApplication::screenAdded, screen_watch_.get(),
                     [this, watch](QScreen* screen) {
                         watch(screen);
                         OnDisplayChanged();
                     });
    QObject::connect(app, &QGuiApplication::screenRemoved, screen_watch_.get(),
                     [this] { OnDisplayChanged(); });
    GetWidget()->winId();  // the native window, so that its screen can be watched while hidden
    if (QWindow* window = GetWidget()->windowHandle())
        QObject::connect(window, &QWindow::screenChanged, screen_watch_.get(),
                         [this] { OnDisplayChanged(); });
}

// ---------------------------------------------------------------- notifications

CControlUI* CMainWnd::CreateControl(const std::string& className) {
    return tirk::CreateLayoutElement(className);
}

void CMainWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != "timer")
        tirk::log::Printf("%s %s", msg.sType.c_str(),
                          msg.pSender ? msg.pSender->GetName().c_str() : "");
    if (msg.sType == "windowinit") {
        OnWindowInit();
    } else if (msg.sType == "windowsize") {
        OnFirstWindowSize(msg);
    } else if (msg.sType == "click") {
        OnClick(msg);
    } else if (msg.sType == "click_wpremove" || msg.sType == "click_wpedit") {
        return;
    } else if (msg.pSender && msg.pSender->GetName() == kKeyCaptureEdit &&
               (msg.sType == "setfocus" || msg.sType == "killfocus")) {
        hook_bridge_->OnHookOnOff(msg.sType == "setfocus");
    }
    if (discovery_ && discovery_->OnTileNotify(msg.pSender, msg.sType)) return;
    if (RouteProfileCommand(msg)) return;
    if (page_router_.Route(msg, *this)) return;
    // "colorchanged" and the page notifications go to the page routing.
    WindowImplBase::Notify(msg);
}

// ---------------------------------------------------------------- profiles

CTelvorinFamilyDevice* CMainWnd::CurrentDevice() const {
    const int selected = discovery_ ? discovery_->SelectedTile() : -1;
    return selected < 0 ? nullptr : discovery_->Sets()[selected].device;
}

void CMainWnd::ShowMessage(const std::string& textKey, const std::string& detail) {
    if (detail.empty())
        CMsgWnd::ShowMessage(this, "", textKey, window_dpi_, MsgButtons::kConfirm);
    else
        CMsgWnd::ShowMessageFilled(this, "", textKey, detail, window_dpi_, MsgButtons::kConfirm);
}

bool CMainWnd::Ask(const std::string& textKey) {
    return CMsgWnd::ShowMessage(this, "", textKey, window_dpi_, MsgButtons::kConfirmCancel) == 1;
}

std::vector<CTelvorinFamilyDevice*> CMainWnd::ConnectedDevices() {
    std::vector<CTelvorinFamilyDevice*> devices;
    if (!discovery_) return devices;
    for (const tirk::DeviceDiscovery::FamilySet& set : discovery_->Sets())
        if (set.tile->IsShown()) devices.push_back(set.device);
    // The family codes run keyboard (1), mouse (2), mouse pad (3), headset (7).
    std::stable_sort(devices.begin(), devices.end(), [](auto* a, auto* b) {
        return a->FamilyCode() < b->FamilyCode();
    });
    return devices;
}

void CMainWnd::AnimateSyncLighting(const std::vector<CTelvorinFamilyDevice*>& devices) {
    sync_preview_->Add(devices);
}

std::string CMainWnd::ChooseFile(tirk::FileDialogKind kind, const std::string& filter,
                                 const std::string& suffix) {
    return tirk::RunFileDialog(GetWidget(), kind == tirk::FileDialogKind::kOpen, filter, suffix);
}

void CMainWnd::SetHook(int kind, bool enable) {
    hook_bridge_->SetHook(uint32_t(kind), enable);
}

bool CMainWnd::HookDesktopWide() const {
    return hook_bridge_ && hook_bridge_->DesktopWide();
}

void CMainWnd::OpenPopupMenu(const std::string& layoutFile) {
    const QPoint cursor = QCursor::pos();
    std::string error;
    if (!CMenuWnd::CreateMenu(layoutFile, TPointUI{cursor.x(), cursor.y()}, this, {}, &error))
        tirk::log::FileFault(layoutFile, error);
}

std::optional<uint32_t> CMainWnd::PickColour(uint32_t start) {
    uint32_t chosen = 0;
    if (ShowColourPicker(this, start, false, &chosen, nullptr) != 1) return std::nullopt;
    return chosen | 0xFF000000u;
}

bool CMainWnd::OpenDesktopSettings(tirk::DesktopSettingsPage page) {
    return tirk::OpenDesktopSettings(page);
}

void CMainWnd::ShowCaptureScope() {
    if (!discovery_ || !hook_bridge_) return;
    for (const tirk::DeviceDiscovery::FamilySet& set : discovery_->Sets())
        if (CMacroControlUI* page = set.device->MacroPage()) page->ShowCaptureScope(HookDesktopWide());
}

CDeviceProfileUI* CMainWnd::ProfilePanelOf(CTelvorinFamilyDevice& device) {
    return dynamic_cast<CDeviceProfileUI*>(
        device.FindSubControl(CTelvorinFamilyDevice::kProfilePanelName));
}

tirk::CUsbDeviceProfileHooks CMainWnd::ProfileHooksOf(CTelvorinFamilyDevice& device) const {
    return tirk::CUsbDeviceProfileHooks(device, tirk::Globals().screen_width,
                                        tirk::Globals().screen_height);
}

bool CMainWnd::RouteProfileCommand(TNotifyUI& msg) {
    if (!profile_commands_ || !msg.pSender) return false;
    const std::string& name = msg.pSender->GetName();
    if (msg.sType == "itemselect") return profile_commands_->OnItemSelect(name);
    if (msg.sType != "click") return false;
    CTelvorinFamilyDevice* device = CurrentDevice();
    CDeviceProfileUI* panel = device ? ProfilePanelOf(*device) : nullptr;
    if (!panel) return false;
    tirk::CUsbDeviceProfileHooks hooks = ProfileHooksOf(*device);
    return profile_commands_->OnClick(name, *panel, hooks);
}

void CMainWnd::OnProfileSwitchTimer() {
    CTelvorinFamilyDevice* device = CurrentDevice();
    CDeviceProfileUI* panel = device ? ProfilePanelOf(*device) : nullptr;
    if (!panel) return;  // the timer is already stopped
    tirk::CUsbDeviceProfileHooks hooks = ProfileHooksOf(*device);
    profile_commands_->OnTimer(tirk::CProfileCommands::kSwitchTimer, *panel, hooks);
}

// A pick still waiting for its timer belongs to the page being left.
void CMainWnd::FlushProfileSwitch(CTelvorinFamilyDevice& leaving) {
    CDeviceProfileUI* panel = ProfilePanelOf(leaving);
    if (!panel || !profile_commands_) return;
    tirk::CUsbDeviceProfileHooks hooks = ProfileHooksOf(leaving);
    profile_commands_->FlushPendingSwitch(*panel, hooks);
}

void CMainWnd::OnFirstWindowSize(TNotifyUI& msg) {
    if (!first_size_ || !msg.pSender || msg.pSender->GetName() != "root") return;
    first_size_ = false;
    // The first size may arrive from inside the first show; fitting (which may
    // hide) must wait until that show is complete.
    PostTask([this] { FitToMonitor(); });
}

void CMainWnd::OnClick(TNotifyUI& msg) {
    if (!msg.pSender) return;
    const std::string& name = msg.pSender->GetName();
    if (name == "closebtn") {
        OnCloseButton();
    } else if (name == "nodevice_ok_btn") {
        ShowWindow(false);
    } else if (name == "minbtn") {
        Minimize();
    } else if (name == "maxbtn") {
        Maximize();
    } else if (name == "restorebtn") {
        Restore();
    } else if (name == kLightStatus) {
        ToggleLightControl();
    } else if (name == "setbtn") {
        secondary_->OpenSettings(SetWndPlacement::kBesideSetButton);
    } else if (name == "skinbtn") {
        CSkinFrame::Toggle(*this, msg.pSender);
    } else if (name == "device_select_prev") {
        if (discovery_) discovery_->SelectPrevious();
    } else if (name == "device_select_next") {
        if (discovery_) discovery_->SelectNext();
    }
}

void CMainWnd::OnCloseButton() {
    CloseSatelliteWindows();
    ShowWindow(false);
    SetDevicesPaused(true);
}

void CMainWnd::SetDevicesPaused(bool paused) {
    if (discovery_) discovery_->SetPollingPaused(paused);
}

void CMainWnd::OnFirstScanDone() {
    first_scan_done_ = true;
    OnInstanceMessage(0, 0);
    for (Notice& notice : pending_notices_) ShowNotice(std::move(notice));
    pending_notices_.clear();
}

void CMainWnd::SetStartupNotice(std::string text) {
    if (!text.empty()) pending_notices_.push_back({"message_device_table_refused", std::move(text)});
}

// Shown once the window is up, so the message has an owner to sit on, and
// from the event loop, so no caller waits inside it.
void CMainWnd::ShowNotice(Notice notice) {
    if (!first_scan_done_) {
        pending_notices_.push_back(std::move(notice));
        return;
    }
    PostTask([this, notice = std::move(notice)] {
        CMsgWnd::ShowMessageFilled(this, "", notice.textKey, notice.detail, GetWindowDpi(),
                                   MsgButtons::kConfirm);
    });
}

bool CMainWnd::HandleCloseRequest() {
    OnCloseButton();
    return true;
}

// ---------------------------------------------------------------- light control

void CMainWnd::ToggleLightControl() {
    SetLightControl(light_control_ ? 0 : 1);
    ipc_->AnnounceLightOwner(1, light_control_);
}

// Every device object takes the flag; a keyboard's ResumeLighting goes to
// its device's worker, so neither the button nor another program's command
// waits for a device here.
void CMainWnd::SetLightControl(int on) {
    light_control_ = on;
    if (CControlUI* status = m_pm.FindControl(kLightStatus))
        status->SetText(on ? kTextLightOn : kTextLightOff);
    tirk::log::Printf("light control %d", on);
    if (!discovery_) return;
    for (const tirk::DeviceDiscovery::FamilySet& set : discovery_->Sets())
        set.device->SetLightControl(on);
}

void CMainWnd::OnLightControl(int w_param, int l_param) {
    if (!Admit(MainMessage::kLightControl)) return;
    if (w_param != 1 || (l_param != 0 && l_param != 1)) return;
    SetLightControl(l_param);
}

// ---------------------------------------------------------------- other programs

std::vector<std::uint8_t> CMainWnd::OnQueryStatus() {
    std::vector<tirk::FamilyIdentity> families;
    for (const tirk::DeviceFamily& f : tables_.families)
        families.push_back({f.vendorId, f.productId, static_cast<std::uint32_t>(f.typeCode)});
    return tirk::BuildStatusBlock(families);
}

void CMainWnd::OnGameEvent(GameEvent event, int w_param, int l_param) {
    if (!Admit(MainMessage::kInputHook)) return;
    tirk::log::Printf("%s %d %d", tirk::GameEventName(event), w_param, l_param);
    game_flash_->OnGameEvent(w_param, l_param);
}

void CMainWnd::OnActivate() {
    OnInstanceMessage(0, 1);
}

void CMainWnd::OnExit() {
    // Answer the caller first; the window closes from the event loop.
    PostTask([this] { ExitProgram(); });
}

std::string CMainWnd::QueryControlText(const std::string& /*key*/) {
    return {};
}

// ---------------------------------------------------------------- bring to front

void CMainWnd::OnInstanceMessage(intptr_t w_param, intptr_t l_param) {
    tirk::log::Printf("软件标示 %d，%xd%xd", tirk::Globals().instance_message.load(),
                      static_cast<unsigned>(w_param), static_cast<unsigned>(l_param));
    UpdateNoDeviceHint();
    ShowAndRaise();
}

int CMainWnd::CountConnectedDevices() const {
    if (!discovery_) return 0;
    int connected = 0;
    for (const tirk::DeviceDiscovery::FamilySet& set : discovery_->Sets())
        connected += set.device->Channel().IsOpen() && set.tile->IsShown();
    return connected;
}

void CMainWnd::UpdateNoDeviceHint() {
    if (CControlUI* hint = m_pm.FindControl(kNoDeviceHint))
        hint->SetVisible(CountConnectedDevices() == 0);
}

void CMainWnd::ShowAndRaise() {
    SetDevicesPaused(false);
    if (IsMinimized()) Restore();
    ShowWindow(true);
    BringToFront();
    tirk::log::Line("main window brought to the front");
}

// ---------------------------------------------------------------- monitor

void CMainWnd::FitToMonitor() {
    const bool was_shown = IsVisible() && !IsMinimized();
    if (IsMinimized()) Restore();
    const TRectUI monitor = GetMonitorRect();
    const tirk::MonitorFit fit = tirk::FitToMonitor(monitor.Width(), monitor.Height());
    if (fit.dpi_error) tirk::log::Line("MAIN_WND DPI SET ERROR");
    CPaintManagerUI::SetAllDPI(96);
    ResizeClient(tirk::kMainWindowBaseWidth, tirk::kMainWindowBaseHeight);
    CPaintManagerUI::SetAllDPI(fit.dpi);
    // The DPI change scales the window too; sizing it again keeps the result
    // exact whatever the window's minimum size did meanwhile.
    ResizeClient(fit.width, fit.height);
    window_dpi_ = fit.dpi;
    CenterWindow();
    if (was_shown)
        ShowWindow(true, false);
    else if (IsVisible())
        ShowWindow(false);
}

void CMainWnd::OnDisplayChanged() {
    if (!Admit(MainMessage::kDisplayChange)) return;
    tirk::log::Line("显示器分辨率发生变化");
    display_changed_ = 1;
    FitToMonitor();
}

// ---------------------------------------------------------------- tray

void CMainWnd::OnTrayLeftClick() {
    if (!Admit(MainMessage::kTray)) return;
    UpdateNoDeviceHint();
    const bool was_shown = IsVisible() && !IsMinimized();
    CloseSatelliteWindows();
    if (was_shown) {
        ShowWindow(false);
        SetDevicesPaused(true);
        return;
    }
    FitToMonitor();
    ShowAndRaise();
    if (CControlUI* root = GetRoot()) root->NeedUpdate();
}

void CMainWnd::OnTrayRightClick(TPointUI screen_point) {
    if (!Admit(MainMessage::kTray)) return;
    tray_menu_point_ = screen_point;
    SetTimer(tirk::kTimerTrayMenu, 10);
}

void CMainWnd::OnTimer(int id) {
    if (!Admit(MainMessage::kTimer)) return;
    KillTimer(id);
    if (id == tirk::kTimerFitAfterInit) {
        FitToMonitor();
        if (CControlUI* root = GetRoot()) root->Invalidate();
    } else if (id == tirk::CProfileCommands::kSwitchTimer) {
        OnProfileSwitchTimer();
    } else if (id == tirk::CGameFlash::kRestoreTimer) {
        game_flash_->OnRestoreTimer();
    } else if (id == tirk::kTimerTrayMenu) {
        std::string error;
        if (!CMenuWnd::CreateMenu("menu.xml", tray_menu_point_, this, {}, &error))
            tirk::log::FileFault("menu.xml", error);
    }
}

void CMainWnd::OnMenuCommand(const TMenuCommandUI& command) {
    if (!Admit(MainMessage::kMenuCommand)) return;
    tirk::log::Printf("menu %s", command.name.c_str());
    if (command.name == "exit")
        ExitProgram();
    else if (command.name == "about_menu")
        secondary_->OpenAbout();
    else if (command.name == "setwnd_menu")
        secondary_->OpenSettings(SetWndPlacement::kCentred);
    else
        tirk::RouteMacroMenuItem(command.name, *this);
}

// ---------------------------------------------------------------- activation, power

void CMainWnd::OnActivateChanged(bool active) {
    active_[0] = active_[1] = active ? 1 : 0;
}

void CMainWnd::OnMouseHoverChanged(bool inside) {
    tirk::log::Line(inside ? "鼠标移入" : "鼠标移出");
}

void CMainWnd::OnSleepChanged(bool asleep) {
    tirk::Globals().awake = !asleep;
    tirk::log::Line(asleep
                        ? "system suspends: only activation, lighting control and exit are handled"
                        : "system resumed");
    // The device objects get the flag 0 while asleep and light_control_ after.
}

bool CMainWnd::Admit(MainMessage message) const {
    return tirk::Globals().awake || tirk::HandledWhileAsleep(message);
}

// ---------------------------------------------------------------- exit

void CMainWnd::CloseSatelliteWindows() {
    CSkinFrame::CloseOpen();
    for (WindowImplBase*& window : satellites_) {
        if (window) window->Close(0);
        window = nullptr;
    }
}

void CMainWnd::RefreshDeviceTexts() {
    // Keyed texts follow the language by themselves; the pages also show
    // texts made from values (assignments, units), which they make again.
    if (!discovery_) return;
    for (const tirk::DeviceDiscovery::FamilySet& set : discovery_->Sets()) set.device->RefreshPage();
}

void CMainWnd::ExitProgram() {
    CloseSatelliteWindows();
    CMenuWnd::CloseOpenMenu();
    Close(0);
}

void CMainWnd::OnFinalMessage() {
    tray_.DeleteTrayIcon();
    tirk::log::Line("退出测试");
    StopWorkers();
    CPaintManagerUI::QuitMessageLoop(0);
}

void CMainWnd::StopWorkers() {
    if (workers_stopped_) return;
    workers_stopped_ = true;
    ShowWindow(false);
    // Closed first: a scan waiting for this window to handle an arrival is
    // released, so it can see its stop event.
    gate_->Close();
    slots_.Stop();
    screen_watch_.reset();
    // The audio companion is told to stop here once it exists.
}
