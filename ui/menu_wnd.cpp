#include "ui/menu_wnd.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QXmlStreamReader>

#include "core/log.h"
#include "ui/internal/attributes.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"
#include "ui/window_impl.h"

using namespace tirk::ui;

namespace {

CMenuWnd* g_openMenu = nullptr;

// Item attributes kept on each QAction for the command record.
struct ItemData {
    std::string name;
    std::string userData;
};

// Reads <Menu> with <MenuElement> (nested = sub-menu) and <MenuSeparator>.
class MenuParser {
public:
    MenuParser(std::string path, const std::map<std::string, bool>& checks)
        : m_path(std::move(path)), m_checks(checks) {}

    bool Parse(const QByteArray& xml, QMenu* menu) {
        m_reader.addData(xml);
        if (!m_reader.readNextStartElement()) return Fail(XmlProblem("the file holds no element"));
        if (m_reader.name() != QLatin1String("Menu"))
            return Fail("the root element must be <Menu>");
        if (!ParseItems(menu)) return false;
        while (!m_reader.atEnd()) m_reader.readNext();
        return m_reader.hasError() ? Fail(XmlProblem("")) : true;
    }

    const std::string& Error() const { return m_error; }

private:
    bool Fail(const std::string& what) {
        if (m_error.empty())
            m_error = m_path + ":" + std::to_string(m_reader.lineNumber()) + ": " + what;
        return false;
    }
    std::string XmlProblem(const std::string& otherwise) const {
        return m_reader.hasError() ? "XML error: " + FromQ(m_reader.errorString()) : otherwise;
    }
    std::string Attribute(const char* name) const {
        return FromQ(m_reader.attributes().value(QLatin1String(name)).toString());
    }

    bool ParseItems(QMenu* menu) {
        while (m_reader.readNextStartElement()) {
            if (m_reader.name() == QLatin1String("MenuSeparator")) {
                menu->addSeparator();
                m_reader.skipCurrentElement();
            } else if (m_reader.name() == QLatin1String("MenuElement")) {
                if (!ParseElement(menu)) return false;
            } else {
                return Fail("unknown element <" + FromQ(m_reader.name().toString()) +
                            "> in a menu");
            }
        }
        return !m_reader.hasError() || Fail(XmlProblem(""));
    }

    std::string ItemText() const {
        std::string key = Attribute("textkey");
        if (!key.empty()) return CResourceManager::GetInstance()->GetText(key);
        std::string text = Attribute("text");
        if (text.size() >= 3 && text.compare(0, 2, "%[") == 0 && text.back() == ']')
            return CResourceManager::GetInstance()->GetText(text.substr(2, text.size() - 3));
        return text;
    }

    bool ReadFlag(const char* name, bool fallback, bool* value) {
        std::string text = Attribute(name);
        *value = fallback;
        if (text.empty() || ParseBool(text, value)) return true;
        return Fail("bad value '" + text + "' for attribute '" + name + "' of <MenuElement>");
    }

    bool ParseElement(QMenu* menu) {
        ItemData data{Attribute("name"), Attribute("userdata")};
        QString text = ToQ(ItemText());
        std::string check = Attribute("check");
        bool enabled = true, visible = true, checked = false;
        if (!ReadFlag("enabled", true, &enabled) || !ReadFlag("visible", true, &visible) ||
            !ReadFlag("check", false, &checked))
            return false;
        if (auto found = m_checks.find(data.name); found != m_checks.end()) checked = found->second;
        if (m_reader.readNextStartElement()) {
            QMenu* sub = menu->addMenu(text);
            sub->menuAction()->setEnabled(enabled);
            sub->menuAction()->setVisible(visible);
            // The first child is already open: parse it, then the rest.
            if (!ParseChildAlreadyOpen(sub)) return false;
            return ParseItems(sub);
        }
        QAction* action = menu->addAction(text);
        action->setObjectName(ToQ(data.name));
        action->setData(ToQ(data.userData));
        action->setEnabled(enabled);
        action->setVisible(visible);
        if (!check.empty() || m_checks.count(data.name)) {
            action->setCheckable(true);
            action->setChecked(checked);
        }
        return !m_reader.hasError() || Fail(XmlProblem(""));
    }

    bool ParseChildAlreadyOpen(QMenu* menu) {
        if (m_reader.name() == QLatin1String("MenuSeparator")) {
            menu->addSeparator();
            m_reader.skipCurrentElement();
            return true;
        }
        if (m_reader.name() == QLatin1String("MenuElement")) return ParseElement(menu);
        return Fail("unknown element <" + FromQ(m_reader.name().toString()) + "> in a menu");
    }

    std::string m_path;
    const std::map<std::string, bool>& m_checks;
    QXmlStreamReader m_reader;
    std::string m_error;
};

}  // namespace

struct CMenuWnd::Impl {
    QMenu menu;
    Callback onChoose;
    bool closed = false;
};

CMenuWnd::CMenuWnd() : m_impl(std::make_unique<Impl>()) {}

CMenuWnd::~CMenuWnd() {
    if (g_openMenu == this) g_openMenu = nullptr;
}

CMenuWnd* CMenuWnd::CreateMenu(const std::string& file, TPointUI screenPoint, Callback onChoose,
                               const std::map<std::string, bool>& checks, std::string* error) {
    std::string path = CPaintManagerUI::ResolveResourceFile(file);
    QFile input(ToQ(path));
    std::unique_ptr<CMenuWnd> created(new CMenuWnd);
    if (!input.open(QIODevice::ReadOnly)) {
        if (error) *error = path + ": cannot open file";
        tirk::log::FileFault(path, "cannot open menu layout");
        return nullptr;
    }
    MenuParser parser(path, checks);
    if (!parser.Parse(input.readAll(), &created->m_impl->menu)) {
        if (error) *error = parser.Error();
        tirk::log::FileFault(path, parser.Error());
        return nullptr;
    }
    CloseOpenMenu();
    CMenuWnd* menu = created.release();
    g_openMenu = menu;
    menu->m_impl->onChoose = std::move(onChoose);
    QMenu* qmenu = &menu->m_impl->menu;
    QObject::connect(qmenu, &QMenu::triggered, qmenu, [menu](QAction* action) {
        TMenuCommandUI command{FromQ(action->objectName()), FromQ(action->data().toString()),
                               FromQ(action->text()), action->isChecked()};
        // Delivered from the event loop, after the menu has gone, as a
        // posted window message would be.
        Callback callback = menu->m_impl->onChoose;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [callback, command] {
                if (callback) callback(command);
            },
            Qt::QueuedConnection);
    });
    QObject::connect(qmenu, &QMenu::aboutToHide, qmenu, [menu] { menu->Close(); });
    qmenu->popup(QPoint(screenPoint.x, screenPoint.y));
    return menu;
}

CMenuWnd* CMenuWnd::CreateMenu(const std::string& file, TPointUI screenPoint, WindowImplBase* owner,
                               const std::map<std::string, bool>& checks, std::string* error) {
    QPointer<QWidget> alive = owner ? owner->GetWidget() : nullptr;
    auto deliver = [owner, alive](const TMenuCommandUI& command) {
        if (alive) owner->OnMenuCommand(command);
    };
    return CreateMenu(file, screenPoint, deliver, checks, error);
}

CMenuWnd* CMenuWnd::GetOpenMenu() {
    return g_openMenu;
}

void CMenuWnd::CloseOpenMenu() {
    if (g_openMenu) g_openMenu->Close();
}

void CMenuWnd::Close() {
    if (m_impl->closed) return;
    m_impl->closed = true;
    if (g_openMenu == this) g_openMenu = nullptr;
    m_impl->menu.hide();
    // Deleted from the event loop: Close may run inside the menu's own signal.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [this] { delete this; }, Qt::QueuedConnection);
}

QMenu* CMenuWnd::GetQMenu() const {
    return &m_impl->menu;
}
