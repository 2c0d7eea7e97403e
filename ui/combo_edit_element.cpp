#include "ui/combo_edit_element.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "core/log.h"
#include "ui/dialog_builder.h"
#include "ui/internal/attributes.h"

CComboEditContainerElementUI::CComboEditContainerElementUI() {
    // Enter reaches the row only when it can hold the focus.
    setFocusPolicy(Qt::ClickFocus);
}

void CComboEditContainerElementUI::DoInit() {
    CDialogBuilder builder;
    CControlUI* root = builder.Create(kLayoutFile, nullptr, GetManager());
    if (!root) {
        tirk::log::Printf("UI: ComboEditContainerElement: %s", builder.GetError().c_str());
        return;
    }
    Add(root);
    m_text1 = FindSubControl("text1");
    m_text2 = FindSubControl("text2");
    m_delayEdit = FindSubControl("delay_edit");
}

bool CComboEditContainerElementUI::SetAttribute(const std::string& rawName,
                                                const std::string& value) {
    const std::string name = tirk::ui::ToLower(rawName);
    if (name == "normalimage" || name == "hotimage" || name == "selectedimage") return true;
    return CListContainerElementUI::SetAttribute(rawName, value);
}

void CComboEditContainerElementUI::ToggleSelection() {
    IListOwnerUI* owner = GetOwner();
    if (!owner) return;
    if (IsSelected() && owner->GetCurSel() == GetIndex())
        owner->SelectItem(-1);
    else
        Select();
}

void CComboEditContainerElementUI::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || !IsEnabled()) {
        CListContainerElementUI::keyPressEvent(event);
        return;
    }
    Activate();
    SendNotify(notify_type::kReturn);
    event->accept();
}

void CComboEditContainerElementUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !IsEnabled()) {
        event->ignore();
        return;
    }
    if (event->modifiers() & Qt::ControlModifier)
        ToggleSelection();
    else
        Select();
    event->accept();
}

void CComboEditContainerElementUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !IsEnabled()) {
        event->ignore();
        return;
    }
    SendNotify(notify_type::kItemClick);
    event->accept();
}

void CComboEditContainerElementUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!IsEnabled()) {
        event->ignore();
        return;
    }
    Activate();
    event->accept();
}

void CComboEditContainerElementUI::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}
