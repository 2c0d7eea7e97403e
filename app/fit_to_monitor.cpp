#include "app/fit_to_monitor.h"

namespace tirk {

int ChooseMonitorDpi(int monitor_width, int monitor_height) {
    return monitor_width > 1500 && monitor_height > 960 ? 144 : 96;
}

bool IsSupportedDpi(int dpi) {
    switch (dpi) {
        case 48:
        case 72:
        case 96:
        case 120:
        case 144:
        case 168:
        case 192:
            return true;
        default:
            return false;
    }
}

MonitorFit FitForDpi(int dpi) {
    MonitorFit fit;
    fit.dpi_error = !IsSupportedDpi(dpi);
    fit.dpi = fit.dpi_error ? 96 : dpi;
    fit.width = kMainWindowBaseWidth * fit.dpi / 96;
    fit.height = kMainWindowBaseHeight * fit.dpi / 96;
    return fit;
}

MonitorFit FitToMonitor(int monitor_width, int monitor_height) {
    return FitForDpi(ChooseMonitorDpi(monitor_width, monitor_height));
}

}  // namespace tirk
