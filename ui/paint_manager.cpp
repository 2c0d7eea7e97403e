#include "ui/paint_manager.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <algorithm>

#include "ui/container.h"
#include "ui/control.h"
#include "ui/internal/attributes.h"
#include "ui/internal/tree.h"

using namespace tirk::ui;

namespace tirk::ui {

void ForEachControl(QWidget* root, const std::function<void(CControlUI*)>& visit) {
    if (!root) return;
    if (auto* control = dynamic_cast<CControlUI*>(root)) visit(control);
    for (QObject* child : root->children()) {
        if (auto* widget = qobject_cast<QWidget*>(child)) ForEachControl(widget, visit);
    }
}

CControlUI* FindControlByName(QWidget* root, const std::string& name, bool includeRoot) {
    if (!root) return nullptr;
    if (includeRoot) {
        auto* control = dynamic_cast<CControlUI*>(root);
        if (control && control->GetName() == name) return control;
    }
    for (QObject* child : root->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (CControlUI* found = FindControlByName(widget, name, true)) return found;
    }
    return nullptr;
}

}  // namespace tirk::ui

namespace {

struct AppSettings {
    std::string resourcePath;
    std::string instancePath;
    std::vector<CPaintManagerUI*> managers;
};

AppSettings& Settings() {
    static AppSettings settings;
    return settings;
}

std::string WithSlash(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() {
    Settings().managers.push_back(this);
}

namespace {
uint64_t g_bindingEpoch = 1;
}  // namespace

uint64_t CPaintManagerUI::BindingEpoch() {
    return g_bindingEpoch;
}

void CPaintManagerUI::BumpBindingEpoch() {
    ++g_bindingEpoch;
}

CPaintManagerUI::~CPaintManagerUI() {
    BumpBindingEpoch();
    auto& managers = Settings().managers;
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
    if (m_window) m_window->setProperty(kManagerProperty, QVariant());
}

void CPaintManagerUI::SetResourcePath(const std::string& path) {
    Settings().resourcePath = WithSlash(path);
}

const std::string& CPaintManagerUI::GetResourcePath() {
    return Settings().resourcePath;
}

void CPaintManagerUI::SetInstancePath(const std::string& path) {
    Settings().instancePath = WithSlash(path);
}

std::string CPaintManagerUI::GetInstancePath() {
    if (Settings().instancePath.empty() && QCoreApplication::instance())
        return WithSlash(FromQ(QCoreApplication::applicationDirPath()));
    return Settings().instancePath;
}

std::string CPaintManagerUI::ResolveResourceFile(const std::string& file) {
    std::string path = file;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || QDir::isAbsolutePath(ToQ(path))) return path;
    return GetResourcePath() + path;
}

int CPaintManagerUI::MessageLoop() {
    return QApplication::exec();
}

void CPaintManagerUI::QuitMessageLoop(int code) {
    QCoreApplication::exit(code);
}

std::vector<CPaintManagerUI*> CPaintManagerUI::GetAllManagers() {
    return Settings().managers;
}

bool CPaintManagerUI::SetAllDPI(int dpi) {
    if (dpi < 48 || dpi > 192) return false;
    for (CPaintManagerUI* manager : GetAllManagers()) manager->SetDPI(dpi);
    return true;
}

void CPaintManagerUI::Init(QWidget* window) {
    BumpBindingEpoch();
    if (m_window) m_window->setProperty(kManagerProperty, QVariant());
    m_window = window;
    if (window)
        window->setProperty(kManagerProperty, QVariant::fromValue(static_cast<void*>(this)));
}

void CPaintManagerUI::AttachRoot(CControlUI* root) {
    if (!m_window || !root) return;
    root->setParent(m_window);
    root->setGeometry(m_window->rect());
    root->QWidget::setVisible(root->IsVisible());
    root->InitOnce();
}

CControlUI* CPaintManagerUI::GetRoot() const {
    if (!m_window) return nullptr;
    for (QObject* child : m_window->children()) {
        if (auto* control = dynamic_cast<CControlUI*>(child)) return control;
    }
    return nullptr;
}

CControlUI* CPaintManagerUI::FindControl(const std::string& name) const {
    return FindControlByName(GetRoot(), name, true);
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent,
                                                  const std::string& name) const {
    return FindControlByName(parent, name, false);
}

std::vector<CControlUI*> CPaintManagerUI::FindSubControlsByClass(
    CControlUI* parent, const std::string& className) const {
    std::vector<CControlUI*> found;
    ForEachControl(parent, [&](CControlUI* control) {
        if (control != parent && control->GetClass() == className) found.push_back(control);
    });
    return found;
}

CControlUI* CPaintManagerUI::FindControlAt(TPointUI point) const {
    if (!m_window) return nullptr;
    for (QWidget* widget = m_window->childAt(point.x, point.y); widget;
         widget = widget->parentWidget()) {
        if (auto* control = dynamic_cast<CControlUI*>(widget)) return control;
    }
    return nullptr;
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (notifier &&
        std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end())
        m_notifiers.push_back(notifier);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    m_notifiers.erase(std::remove(m_notifiers.begin(), m_notifiers.end(), notifier),
                      m_notifiers.end());
}

void CPaintManagerUI::SendNotify(CControlUI* control, const std::string& type, intptr_t wParam,
                                 intptr_t lParam, bool async) {
    TNotifyUI msg{type, control, wParam, lParam};
    SendNotify(msg, async);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async) {
    if (async && msg.pSender) {
        // Re-sent from the event loop through the sender's manager at that time.
        CControlUI* sender = msg.pSender;
        QMetaObject::invokeMethod(
            sender,
            [sender, msg]() mutable {
                if (CPaintManagerUI* manager = sender->GetManager())
                    manager->SendNotify(msg, false);
            },
            Qt::QueuedConnection);
        return;
    }
    std::vector<INotifyUI*> receivers = m_notifiers;  // a receiver may unregister
    for (INotifyUI* receiver : receivers) {
        if (std::find(m_notifiers.begin(), m_notifiers.end(), receiver) != m_notifiers.end())
            receiver->Notify(msg);
    }
}

bool CPaintManagerUI::SetTimer(CControlUI* control, int id, int ms) {
    return control && control->SetTimer(id, ms);
}

void CPaintManagerUI::KillTimer(CControlUI* control, int id) {
    if (control) control->KillTimer(id);
}

bool CPaintManagerUI::SetDPI(int dpi) {
    if (dpi < 48 || dpi > 192) return false;
    if (dpi == m_dpi) return true;
    const int old = m_dpi;
    m_dpi = dpi;
    if (m_window && m_window->isWindow()) {
        auto rescale = [&](int value) { return int(int64_t(value) * dpi / old); };
        auto limit = [&](int value) { return value >= QWIDGETSIZE_MAX ? value : rescale(value); };
        // Read the size before touching the bounds: a larger minimum makes Qt
        // enlarge the window at once, and that size must not be rescaled.
        const QSize size = m_window->size();
        const QSize minimum = m_window->minimumSize();
        const QSize maximum = m_window->maximumSize();
        // Open the bounds first so that neither refuses the other or the size.
        m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_window->setMinimumSize(rescale(minimum.width()), rescale(minimum.height()));
        m_window->setMaximumSize(limit(maximum.width()), limit(maximum.height()));
        m_window->resize(rescale(size.width()), rescale(size.height()));
    }
    ResetDPIAssets();
    return true;
}

int CPaintManagerUI::ScaleValue(int value) const {
    return ScaleBy(value, m_dpi);
}

TRectUI CPaintManagerUI::ScaleRect(const TRectUI& rect) const {
    return TRectUI{ScaleValue(rect.left), ScaleValue(rect.top), ScaleValue(rect.right),
                   ScaleValue(rect.bottom)};
}

void CPaintManagerUI::ResetDPIAssets() {
    CControlUI* root = GetRoot();
    if (!root) return;
    root->setGeometry(m_window->rect());
    ForEachControl(root, [](CControlUI* control) { control->OnDpiOrFontChanged(); });
    ForEachControl(root, [](CControlUI* control) { control->NeedUpdate(); });
}

void CPaintManagerUI::AddDefaultAttributes(
    const std::string& className, const std::vector<std::pair<std::string, std::string>>& attrs) {
    auto& list = m_defaults[ToLower(className)];
    list.insert(list.end(), attrs.begin(), attrs.end());
}

const std::vector<std::pair<std::string, std::string>>* CPaintManagerUI::GetDefaultAttributes(
    const std::string& className) const {
    auto found = m_defaults.find(ToLower(className));
    return found == m_defaults.end() ? nullptr : &found->second;
}
