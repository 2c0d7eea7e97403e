#include "ui/dpi_follow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "core/log.h"
#include "ui/control.h"
#include "ui/window_impl.h"

namespace {

constexpr int kDpiStep = 24;
constexpr int kMinDpi = 48;
constexpr int kMaxDpi = 192;

DpiRuleUI& Rule() {
    static DpiRuleUI rule;
    return rule;
}

int DefaultRule(const TScreenMetricsUI& screen) {
    return int(std::lround(screen.logicalDpi));
}

}  // namespace

void SetScreenDpiRule(DpiRuleUI rule) {
    Rule() = std::move(rule);
}

int ScreenDpi(const TScreenMetricsUI& screen) {
    const int wanted = Rule() ? Rule()(screen) : DefaultRule(screen);
    const int rounded = int(std::lround(double(wanted) / kDpiStep)) * kDpiStep;
    return std::clamp(rounded, kMinDpi, kMaxDpi);
}

bool ApplyWindowDpi(WindowImplBase& window, int dpi) {
    if (dpi < kMinDpi || dpi > kMaxDpi || dpi % kDpiStep != 0) return false;
    QWidget* widget = window.GetWidget();
    const QPoint centre = widget->frameGeometry().center();
    CPaintManagerUI& pm = window.GetPaintManager();
    if (pm.GetDPI() == dpi) return true;
    pm.SetDPI(dpi);
    pm.ResetDPIAssets();
    // The window grows or shrinks around its centre, so it stays where the
    // user put it; it only moves to stay on the screen.
    QRect frame = widget->frameGeometry();
    frame.moveCenter(centre);
    if (QScreen* screen = widget->screen()) {
        const QRect area = screen->availableGeometry();
        frame.moveLeft(std::clamp(frame.left(), area.left(),
                                  std::max(area.left(), area.right() + 1 - frame.width())));
        frame.moveTop(std::clamp(frame.top(), area.top(),
                                 std::max(area.top(), area.bottom() + 1 - frame.height())));
    }
    widget->move(frame.topLeft());
    if (CControlUI* root = window.GetRoot()) root->NeedUpdate();
    return true;
}

CDpiFollower::CDpiFollower(WindowImplBase& window)
    : m_window(window), m_windowWatch(std::make_unique<QObject>()) {
    QWidget* widget = window.GetWidget();
    widget->winId();  // the native window, whose screen is watched
    if (QWindow* handle = widget->windowHandle()) {
        QObject::connect(handle, &QWindow::screenChanged, m_windowWatch.get(),
                         [this](QScreen* screen) {
                             WatchScreen(screen);
                             Refresh();
                         });
        WatchScreen(handle->screen());
    }
}

CDpiFollower::~CDpiFollower() = default;

void CDpiFollower::WatchScreen(QScreen* screen) {
    m_screenWatch = std::make_unique<QObject>();
    if (!screen) return;
    QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, m_screenWatch.get(),
                     [this] { Refresh(); });
    QObject::connect(screen, &QScreen::geometryChanged, m_screenWatch.get(), [this] { Refresh(); });
}

TScreenMetricsUI CDpiFollower::MetricsOf(const QScreen& screen) {
    const QRect geometry = screen.geometry();
    return TScreenMetricsUI{geometry.width(), geometry.height(), screen.logicalDotsPerInch()};
}

bool CDpiFollower::Refresh() {
    QScreen* screen = m_window.GetWidget()->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return false;
    const int dpi = ScreenDpi(MetricsOf(*screen));
    if (dpi == m_window.GetPaintManager().GetDPI()) return false;
    tirk::log::Printf("%s follows its screen to DPI %d", m_window.GetWindowClassName().c_str(),
                      dpi);
    return ApplyWindowDpi(m_window, dpi);
}
