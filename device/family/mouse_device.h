// The mouse's device object: the mouse's protocol over the command channel
// (cable or receiver, one object for both), the profile's DPI stages, report
// rate, pointer values, key assignments, macros and recoil tables, and the
// page that edits them. Exchanges run on the device's worker; what they read
// comes back to the UI thread. docs/mouse-page.md tells the page,
// docs/mouse-protocol.md the wire.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "device/family/family_devices.h"
#include "device/lighting/lighting_scheduler.h"
#include "device/mouse/mouse_protocol.h"
#include "device/preview/mouse_preview.h"

namespace tirk {
class CMouseProfiledata;
}

class CTelvorinMouseDevice : public CTelvorinFamilyDevice {
public:
    /// Names of the pointer page's controls (an indexed name is followed by
    /// the stage or option number).
    static constexpr char kDpiLayout[] = "DPI_layout_";
    static constexpr char kDpiSelect[] = "DPI_select_check_";
    static constexpr char kDpiEnable[] = "DPI_enable_check_";
    static constexpr char kDpiSlider[] = "DPI_slider_";
    static constexpr char kDpiEdit[] = "DPI_edit_";
    static constexpr char kDpiColour[] = "DPI_color_option_";
    static constexpr char kPollingRateOption[] = "polling_rate_option_";
    static constexpr char kPointerSpeedSlider[] = "pointer_speed_slider";
    static constexpr char kPointerPrecisionCheck[] = "pointer_precision_check";
    static constexpr char kScrollPageCheck[] = "scrolls_page_check";
    static constexpr char kScrollSpeedSlider[] = "scroll_speed_slider";
    static constexpr char kDoubleClickSlider[] = "double_click_slider";
    static constexpr char kSettingsTabs[] = "mouse_device_seting";
    static constexpr char kSettingsOptionLayout[] = "mouse_option_layout";
    static constexpr char kSettingsOption[] = "mouse_device_seting_option_";
    static constexpr int kDpiStages = tirk::mouse::kDpiStages;
    static constexpr int kReportRates = 5;

    CTelvorinMouseDevice();
    ~CTelvorinMouseDevice() override;
    std::string GetClass() const override { return "TelvorinMouseDevice"; }
    std::string ListenerExitText() const override { return "MS 设备同步线程设定退出"; }

    // ---- device operations ----
    /// 1: draws the picture of the mouse with its buttons, then binds the page.
    void AttachToPage() override;
    /// 2: the lighting mode codes go to the protocol for the next write; the
    /// profile's lighting to the preview.
    int ApplyProfileToState() override;
    /// 13: the profile and the page, then (on the worker) the information,
    /// the key table and the settings, which the profile takes; the lighting
    /// preview starts.
    void StartDevice() override;
    /// 14: reads the mouse's settings again, then shows them.
    void ResyncFromDevice() override;
    /// 21: the family's page, then the DPI stages, report rate and pointer.
    void RefreshPage() override;
    /// 26: the macros the standard functions use, in device order.
    std::vector<int> CollectUsedMacros() override;
    /// 28: queues the key table of the profile's key list (bank 0 only).
    int WriteCurrentKeyAssignments(int bank) override;
    /// 31: the block's overflow (> 0: nothing sent), else 0 and the block is
    /// queued.
    int DownloadMacros(const std::vector<int>& macros) override;
    /// 32: queues the settings record at slot × 128; always 1.
    int WriteDeviceSettings(int slot, int first, int third, int width, int height) override;
    /// The memory the mouse reported; before it did, the most a mouse can.
    std::size_t MacroMemory() const override;
    /// Sends the recoil tables' block (the recoil page's send button).
    void SendRecoilTables(std::vector<uint8_t> block) override;
    /// A notification of the mouse (resynchronisation, reactive press,
    /// profile slot and active stage).
    void OnNotification(uint16_t code, bool wireless) override;

    // ---- the pointer page (device/family/mouse_page.cpp) ----
    // Each change is stored in the profile, saved and shown; true when the
    // mouse's settings changed (the caller then sends them), false when the
    // change was refused and the page shows the profile again.
    /// Stage `stage` becomes the active one; a stage that is off cannot.
    bool SelectDpiStage(int stage);
    /// Stage `stage` is switched on or off; the active stage and the last
    /// stage that is on cannot be switched off.
    bool EnableDpiStage(int stage, bool enabled);
    /// Stage `stage` takes the DPI of slider value `value` (X and Y).
    bool SetDpiStageSlider(int stage, int value);
    /// Stage `stage` takes the DPI typed into its edit.
    bool SetDpiStageText(int stage, const std::string& text);
    /// Stage `stage`'s colour (0xAARRGGBB).
    bool SetDpiStageColour(int stage, uint32_t argb);
    /// The report rate option `index` (0 … 4; another index is 0).
    bool ChooseReportRate(int index) override;
    /// The pointer values as the page's controls show them (stored and
    /// saved; never applied to the desktop).
    void StorePointerValues();
    /// Shows settings tab `n` of "mouse_device_seting".
    void SelectSettingsTab(int n);

    /// The DPI a stage slider value stands for on this mouse.
    int DpiOfSlider(int value) const;

    tirk::mouse::MouseProtocol& Protocol() { return *m_protocol; }

    /// One preview tick: the step periods of the lighting modes count these.
    static constexpr std::chrono::milliseconds kPreviewTick{16};
    /// Preview steps run so far (any thread).
    uint64_t PreviewSteps() const { return m_previewSteps.load(); }

protected:
    /// Each button's callout on the picture shows its assignment.
    void OnKeyTextsChanged() override;
    /// 18: the receiver's link to the mouse is up (the mouse's own check).
    LinkCheck LinkCheckExchange() const override;
    /// The preview runs only while somebody can see it and the mouse is there.
    void OnDriveFlagsChanged() override;

private:
    static constexpr char kRecoilPart[] = "device_part_recoil";
    /// The mouse's protocol checks the link (the receiver's QueryOnline) itself.
    static constexpr SendCheck kByProtocol = SendCheck::kByProtocol;

    tirk::CMouseProfiledata& MouseProfile();
    /// The stages become the profile's, which is saved and shown.
    bool CommitStages(const std::vector<tirk::DpiStage>& stages);

    /// What the worker read at the first contact or a resynchronisation.
    struct DeviceReading {
        int keys = 0;      ///< ReadKeyTable's result (the first contact)
        int settings = 0;  ///< ReadSettings' result
        unsigned changeCount = 0;
        tirk::mouse::MouseSettingsState state;
        tirk::mouse::MouseInfo info;
    };
    void QueueDeviceRead(bool keys);
    void TakeDeviceReading(const DeviceReading& reading);

    // The page's parts (mouse_page.cpp).
    void SetUpDpiControls();
    void RefreshDpiStages();
    void ShowDpiStage(int stage, const tirk::DpiStage& values, bool active);
    void RefreshReportRate();
    void RefreshPointerValues();

    // The lighting preview (mouse_lighting.cpp).
    using PreviewTime = tirk::lighting::LightingScheduler::TimePoint;
    void UpdatePreviewParams();
    /// Runs the step of the current mode when the preview may run; returns
    /// when the next one is due.
    PreviewTime RunPreviewPass(PreviewTime now);
    void RunMouseStep(tirk::preview::MouseStepKind kind,
                      const tirk::preview::LightingParams& params, int mode);
    /// A button press starts the reactive preview.
    void TriggerReactivePreview();
    /// Ends the preview's thread (logged when one ran).
    void StopPreview();

    std::shared_ptr<tirk::mouse::MouseProtocol> m_protocol;
    tirk::mouse::MouseInfo m_info;
    bool m_started = false;
    /// The lighting mode index the preview shows (the profile's); the base's
    /// lighting values carry the shared effect that mode runs.
    std::atomic<int> m_previewMode{0};
    /// The light-control flag is set and polling is not paused.
    std::atomic<bool> m_previewWanted{false};
    std::atomic<uint64_t> m_previewSteps{0};
    std::mutex m_mousePreviewLock;
    tirk::preview::MousePreviewState m_mousePreview;  ///< guarded by m_mousePreviewLock
    std::minstd_rand m_reactiveHues{std::random_device{}()};
    /// Declared last: its thread uses the members above and stops first.
    tirk::lighting::LightingScheduler m_previewThread;
};
