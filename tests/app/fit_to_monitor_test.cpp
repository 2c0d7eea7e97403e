#include "app/fit_to_monitor.h"

#include <gtest/gtest.h>

namespace tirk {
namespace {

TEST(FitToMonitorTest, DpiAndSizePerMonitor) {
    struct Case {
        int width, height;
        int dpi, window_width, window_height;
    };
    const Case cases[] = {
        {1920, 1080, 144, 1500, 960},  // the usual desktop: large layout
        {2560, 1440, 144, 1500, 960}, {1501, 961, 144, 1500, 960},  // just above both limits
        {1500, 1080, 96, 1000, 640},                                // width must be above 1500
        {1920, 960, 96, 1000, 640},                                 // height must be above 960
        {1366, 768, 96, 1000, 640},                                 // laptop
        {1024, 600, 96, 1000, 640},  // smaller than the window: still 96
        {0, 0, 96, 1000, 640},       // no monitor known
        {-1, -1, 96, 1000, 640},
    };
    for (const Case& c : cases) {
        const MonitorFit fit = FitToMonitor(c.width, c.height);
        EXPECT_EQ(fit.dpi, c.dpi) << c.width << "x" << c.height;
        EXPECT_FALSE(fit.dpi_error) << c.width << "x" << c.height;
        EXPECT_EQ(fit.width, c.window_width) << c.width << "x" << c.height;
        EXPECT_EQ(fit.height, c.window_height) << c.width << "x" << c.height;
    }
}

TEST(FitToMonitorTest, UnsupportedDpiFallsBackTo96) {
    struct Case {
        int dpi;
        bool error;
        int used;
    };
    const Case cases[] = {{48, false, 48},   {72, false, 72},   {120, false, 120},
                          {168, false, 168}, {192, false, 192}, {0, true, 96},
                          {100, true, 96},   {240, true, 96},   {-96, true, 96}};
    for (const Case& c : cases) {
        const MonitorFit fit = FitForDpi(c.dpi);
        EXPECT_EQ(fit.dpi_error, c.error) << c.dpi;
        EXPECT_EQ(fit.dpi, c.used) << c.dpi;
        EXPECT_EQ(fit.width, 1000 * c.used / 96) << c.dpi;
    }
}

}  // namespace
}  // namespace tirk
