#include "ui/select_panel.h"

#include <QMouseEvent>

#include "ui/device_key_button.h"
#include "ui/selection_math.h"

namespace {

constexpr char kSelectEnd[] = "click_select_end";

TPointUI PointOf(const QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    return TPointUI{at.x(), at.y()};
}

TRectUI RectOf(const QRect& rect) {
    return TRectUI{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

}  // namespace

void CSelectPanelUI::SelectKeysIn(const TRectUI& selection) {
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (child->GetClass() != "DeviceKeyButton") continue;
        if (auto* key = dynamic_cast<CDeviceKeyButtonUI*>(child))
            key->SetSelected(tirk::ui::SelectsKey(RectOf(key->geometry()), selection));
    }
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event) {
    CVerticalLayoutUI::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !IsEnabled()) return;
    m_pressed = 1;
    m_anchor = PointOf(event);
    // Accepting keeps the following moves and the release with the panel.
    event->accept();
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event) {
    CVerticalLayoutUI::mouseMoveEvent(event);
    if (m_pressed) m_dragging = 1;
    if (!m_dragging) return;
    m_current = PointOf(event);
    m_selection = tirk::ui::SelectionRect(m_anchor, m_current);
    NeedUpdate();
    event->accept();
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event) {
    CVerticalLayoutUI::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    m_pressed = 0;
    if (!m_dragging) return;
    m_dragging = 0;
    m_anchor = m_current;
    SelectKeysIn(m_selection);
    NeedUpdate();
    event->accept();
    SendNotify(kSelectEnd);
}
