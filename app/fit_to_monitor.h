// The rule that sizes the main window for the monitor it is on. Pure, so it is
// tested without a window; CMainWnd applies the result.
#pragma once

namespace tirk {

/// What fit-to-monitor decided for one monitor.
struct MonitorFit {
    int dpi = 96;            ///< the window DPI to apply (always a supported value)
    bool dpi_error = false;  ///< the chosen DPI was unsupported and replaced by 96
    int width = 1000;        ///< window width in device pixels at `dpi`
    int height = 640;        ///< window height in device pixels at `dpi`
};

/// The layout size of the main window at DPI 96, before scaling.
inline constexpr int kMainWindowBaseWidth = 1000;
inline constexpr int kMainWindowBaseHeight = 640;

/// DPI for a monitor of the given size in pixels: 144 on monitors wider than
/// 1500 and taller than 960 pixels, 96 otherwise.
int ChooseMonitorDpi(int monitor_width, int monitor_height);

/// True for the DPI values the UI layer supports: 48, 72, 96, 120, 144, 168, 192.
bool IsSupportedDpi(int dpi);

/// Chooses the DPI for the monitor, replaces an unsupported value by 96 (and
/// says so in dpi_error), and scales the 1000 × 640 layout to it.
MonitorFit FitToMonitor(int monitor_width, int monitor_height);

/// Same as FitToMonitor, for a DPI that was already chosen.
MonitorFit FitForDpi(int dpi);

}  // namespace tirk
