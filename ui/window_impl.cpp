#include "ui/window_impl.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QScreen>
#include <QTimerEvent>
#include <QWindow>

#include "core/log.h"
#include "ui/control.h"
#include "ui/internal/attributes.h"
#include "ui/internal/image_draw.h"
#include "ui/internal/window_host.h"

using namespace tirk::ui;

CWindowHost::CWindowHost(WindowImplBase* owner) : m_owner(owner) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    // A click on anything that takes no focus itself (a button, a label, the
    // background) takes it from the focused edit, as leaving an edit does:
    // its "killfocus" then runs (the value typed is kept; the key edit ends
    // its key capture).
    setFocusPolicy(Qt::ClickFocus);
}

bool CWindowHost::SetWindowTimer(int id, int ms) {
    if (ms <= 0) return false;
    KillWindowTimer(id);
    m_timers[id] = startTimer(ms);
    return true;
}

void CWindowHost::KillWindowTimer(int id) {
    auto found = m_timers.find(id);
    if (found == m_timers.end()) return;
    killTimer(found->second);
    m_timers.erase(found);
}

void CWindowHost::closeEvent(QCloseEvent* event) {
    // The window manager asked; the owner decides, the widget itself stays.
    event->ignore();
    m_owner->OnHostCloseRequest();
}

void CWindowHost::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_owner->OnHostResized(width(), height());
}

void CWindowHost::timerEvent(QTimerEvent* event) {
    for (const auto& [id, qtId] : m_timers) {
        if (qtId == event->timerId()) {
            m_owner->OnTimer(id);
            return;
        }
    }
    QWidget::timerEvent(event);
}

void CWindowHost::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) m_owner->OnActivateChanged(isActiveWindow());
    QWidget::changeEvent(event);
}

void CWindowHost::enterEvent(QEnterEvent* event) {
    m_owner->OnMouseHoverChanged(true);
    QWidget::enterEvent(event);
}

void CWindowHost::leaveEvent(QEvent* event) {
    m_owner->OnMouseHoverChanged(false);
    QWidget::leaveEvent(event);
}

void CWindowHost::mousePressEvent(QMouseEvent* event) {
    // Presses that no control took land here; in the caption they move the window.
    int caption = m_owner->GetPaintManager().ScaleValue(m_captionHeight);
    if (event->button() == Qt::LeftButton && event->position().y() < caption && windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

WindowImplBase::WindowImplBase() : m_host(std::make_unique<CWindowHost>(this)) {
    m_pm.Init(m_host.get());
    m_pm.AddNotifier(this);
}

WindowImplBase::~WindowImplBase() {
    if (m_modalLoop) static_cast<QEventLoop*>(m_modalLoop)->exit(-1);
    m_pm.RemoveNotifier(this);
    m_host.reset();  // controls go first, while the manager still exists
    m_pm.Init(nullptr);
}

void WindowImplBase::Notify(TNotifyUI&) {}

CControlUI* WindowImplBase::CreateControl(const std::string&) {
    return nullptr;
}

void WindowImplBase::OnMenuCommand(const TMenuCommandUI&) {}

bool WindowImplBase::Create(WindowImplBase* parent, const std::string& title) {
    if (m_created) return false;
    CDialogBuilder builder;
    CControlUI* root = builder.Create(GetSkinFile(), this, &m_pm);
    if (!root) {
        m_loadError = builder.GetError();
        return false;
    }
    m_loadError.clear();
    const TWindowInfoUI& info = builder.GetWindowInfo();
    Qt::WindowFlags flags = parent ? Qt::Dialog : Qt::Window;
    if (info.frameless) flags |= Qt::FramelessWindowHint;
    m_host->setWindowFlags(flags);
    m_host->SetCaptionHeight(info.captionHeight);
    m_host->setWindowTitle(ToQ(title));
    if (info.minWidth || info.minHeight)
        m_host->setMinimumSize(m_pm.ScaleValue(info.minWidth), m_pm.ScaleValue(info.minHeight));
    if (info.maxWidth || info.maxHeight)
        m_host->setMaximumSize(info.maxWidth ? m_pm.ScaleValue(info.maxWidth) : QWIDGETSIZE_MAX,
                               info.maxHeight ? m_pm.ScaleValue(info.maxHeight) : QWIDGETSIZE_MAX);
    if (info.width && info.height) {
        QSize size(m_pm.ScaleValue(info.width), m_pm.ScaleValue(info.height));
        if (info.resizable)
            m_host->resize(size);
        else
            m_host->setFixedSize(size);
    }
    if (parent) {
        m_host->winId();
        parent->GetWidget()->winId();
        m_host->windowHandle()->setTransientParent(parent->GetWidget()->windowHandle());
    }
    m_pm.AttachRoot(root);
    m_created = true;
    InitWindow();
    QMetaObject::invokeMethod(
        m_host.get(), [this] { DeliverWindowInit(); }, Qt::QueuedConnection);
    return true;
}

void WindowImplBase::DeliverWindowInit() {
    if (CControlUI* root = GetRoot()) m_pm.SendNotify(root, notify_type::kWindowInit);
}

void WindowImplBase::ShowWindow(bool show, bool takeFocus) {
    if (!show) {
        m_host->hide();
        return;
    }
    m_closing = false;
    if (!takeFocus) m_host->setAttribute(Qt::WA_ShowWithoutActivating, true);
    m_host->show();
    m_host->setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (takeFocus) m_host->activateWindow();
}

int WindowImplBase::ShowModal() {
    if (!m_created || m_modalLoop) return -1;
    QEventLoop loop;
    m_modalLoop = &loop;
    m_host->setWindowModality(Qt::ApplicationModal);
    ShowWindow(true);
    // Close() clears m_modalLoop before ending the loop; OnFinalMessage may
    // have deleted this object by the time exec returns, so nothing here
    // touches members afterwards.
    return loop.exec();
}

void WindowImplBase::Close(int code) {
    if (!m_created || m_closing) return;
    m_closing = true;
    m_host->hide();
    m_host->setWindowModality(Qt::NonModal);
    if (auto* loop = static_cast<QEventLoop*>(m_modalLoop)) {
        m_modalLoop = nullptr;
        loop->exit(code);
    }
    QMetaObject::invokeMethod(
        m_host.get(), [this] { OnFinalMessage(); }, Qt::QueuedConnection);
}

void WindowImplBase::OnHostCloseRequest() {
    if (!HandleCloseRequest()) Close(0);
}

void WindowImplBase::OnHostResized(int width, int height) {
    CControlUI* root = GetRoot();
    if (!root) return;
    root->setGeometry(0, 0, width, height);
    m_pm.SendNotify(root, notify_type::kWindowSize, width, height);
}

void WindowImplBase::CenterWindow() {
    QRect area;
    if (QWindow* handle = m_host->windowHandle(); handle && handle->transientParent())
        area = handle->transientParent()->frameGeometry();
    if (area.isEmpty()) {
        QScreen* screen = m_host->screen() ? m_host->screen() : QGuiApplication::primaryScreen();
        if (screen) area = screen->availableGeometry();
    }
    if (area.isEmpty()) return;
    QSize size = m_host->frameGeometry().size();
    m_host->move(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2);
}

bool WindowImplBase::SetIcon(const std::string& file) {
    const QPixmap& pixmap = SkinPixmap(file);
    if (pixmap.isNull()) return false;
    m_host->setWindowIcon(QIcon(pixmap));
    return true;
}

void WindowImplBase::SetTitle(const std::string& title) {
    m_host->setWindowTitle(ToQ(title));
}

bool WindowImplBase::IsVisible() const {
    return m_host->isVisible();
}

bool WindowImplBase::IsMinimized() const {
    return m_host->isMinimized();
}

void WindowImplBase::Minimize() {
    m_host->showMinimized();
}

void WindowImplBase::Maximize() {
    m_host->showMaximized();
}

void WindowImplBase::Restore() {
    m_closing = false;
    m_host->showNormal();
}

void WindowImplBase::BringToFront() {
    m_host->raise();
    m_host->activateWindow();
}

void WindowImplBase::ResizeClient(int width, int height) {
    m_host->resize(width, height);
}

TRectUI WindowImplBase::GetWindowRect() const {
    QRect frame = m_host->frameGeometry();
    return TRectUI{frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1};
}

TRectUI WindowImplBase::GetMonitorRect() const {
    QScreen* screen = m_host->screen() ? m_host->screen() : QGuiApplication::primaryScreen();
    if (!screen) return {};
    QRect area = screen->geometry();
    return TRectUI{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
}

void WindowImplBase::PostTask(std::function<void()> task) {
    QMetaObject::invokeMethod(m_host.get(), std::move(task), Qt::QueuedConnection);
}

bool WindowImplBase::SetTimer(int id, int ms) {
    return m_host->SetWindowTimer(id, ms);
}

void WindowImplBase::KillTimer(int id) {
    m_host->KillWindowTimer(id);
}

QWidget* WindowImplBase::GetWidget() const {
    return m_host.get();
}
