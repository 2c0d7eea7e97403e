#include "ui/tray_icon.h"

#include <QCursor>
#include <QIcon>
#include <QSystemTrayIcon>

#include "core/log.h"
#include "ui/internal/attributes.h"
#include "ui/internal/image_draw.h"

using namespace tirk::ui;

CTrayIcon::CTrayIcon() = default;

CTrayIcon::~CTrayIcon() {
    DeleteTrayIcon();
}

bool CTrayIcon::CreateTrayIcon(const std::string& iconFile, const std::string& tooltip) {
    DeleteTrayIcon();
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        tirk::log::Line("UI: no system tray in this session; the tray icon is not shown");
        return false;
    }
    const QPixmap& pixmap = SkinPixmap(iconFile);
    if (pixmap.isNull()) return false;
    m_icon = std::make_unique<QSystemTrayIcon>(QIcon(pixmap));
    m_icon->setToolTip(ToQ(tooltip));
    QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, m_icon.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger && m_onLeft) m_onLeft();
                         if (reason == QSystemTrayIcon::Context && m_onRight) {
                             QPoint at = QCursor::pos();
                             m_onRight(TPointUI{at.x(), at.y()});
                         }
                     });
    m_icon->show();
    return true;
}

void CTrayIcon::DeleteTrayIcon() {
    if (!m_icon) return;
    m_icon->hide();
    m_icon.reset();
}

bool CTrayIcon::IsShown() const {
    return m_icon && m_icon->isVisible();
}

void CTrayIcon::SetTooltipText(const std::string& tooltip) {
    if (m_icon) m_icon->setToolTip(ToQ(tooltip));
}
