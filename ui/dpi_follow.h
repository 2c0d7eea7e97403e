// Secondary windows follow the DPI of the screen they are on: when the window
// moves to another screen, or its screen's DPI or size changes, the window
// takes the DPI the screen rule gives, rescales its assets and lays itself out
// again, keeping its centre where it was (inside the screen).
#pragma once

#include <functional>
#include <memory>

class QObject;
class QScreen;
class WindowImplBase;

/// What the DPI rule knows of a screen.
struct TScreenMetricsUI {
    int width = 0;   ///< pixels
    int height = 0;  ///< pixels
    double logicalDpi = 96.0;
};

/// The window DPI for a screen. The answer is clamped to a supported value.
using DpiRuleUI = std::function<int(const TScreenMetricsUI&)>;

/// Sets the rule for every window (the application's own, so that secondary
/// windows agree with the main window). nullptr restores the default: the
/// screen's logical DPI rounded to a multiple of 24.
void SetScreenDpiRule(DpiRuleUI rule);

/// The rule's answer for `screen`, made a supported DPI (48, 72, … 192; a value
/// between two is rounded to the nearer, outside the range to its end).
int ScreenDpi(const TScreenMetricsUI& screen);

/// Gives `window` the DPI `dpi`: the window is rescaled, its fonts and images
/// follow, its content is laid out again, and it is moved so that its centre
/// stays put (inside the screen's available area). false for an unsupported
/// DPI (nothing changes).
bool ApplyWindowDpi(WindowImplBase& window, int dpi);

/// Watches the screen of one window for as long as it lives. Create it after
/// the window (WindowImplBase::Create); destroy it before the window.
class CDpiFollower {
public:
    explicit CDpiFollower(WindowImplBase& window);
    ~CDpiFollower();
    CDpiFollower(const CDpiFollower&) = delete;
    CDpiFollower& operator=(const CDpiFollower&) = delete;

    /// Applies the DPI of the window's current screen when it differs from the
    /// window's. Returns true when the DPI changed. Runs by itself on every
    /// screen change; callable directly (tests, after a move).
    bool Refresh();

    /// The metrics of `screen`, as the rule sees them.
    static TScreenMetricsUI MetricsOf(const QScreen& screen);

private:
    void WatchScreen(QScreen* screen);

    WindowImplBase& m_window;
    std::unique_ptr<QObject> m_windowWatch;  // the window's screen-changed connection
    std::unique_ptr<QObject> m_screenWatch;  // the current screen's signals
};
