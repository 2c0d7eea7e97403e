#include "ui/list.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/internal/attributes.h"

using namespace tirk::ui;

void CListItemBehaviour::SetSelectedFlag(bool selected) {
    m_selected = selected;
    AsControl()->Invalidate();
}

void CListItemBehaviour::SetHotFlag(bool hot) {
    m_hot = hot;
    AsControl()->Invalidate();
}

bool CListItemBehaviour::Select(bool triggerEvent) {
    return m_owner && m_owner->SelectItem(m_index, false, triggerEvent);
}

bool CListItemBehaviour::Activate() {
    CControlUI* self = AsControl();
    if (!self->IsEnabled()) return false;
    self->SendNotify(notify_type::kItemActivate);
    return true;
}

void CListItemBehaviour::HandlePress() {
    CControlUI* self = AsControl();
    if (!self->IsEnabled()) return;
    self->SendNotify(notify_type::kItemClick);
    Select();
}

namespace {

// Row painting shared by both row kinds: the owner's colour for the state,
// else the row's own background.
bool PaintRowBackground(QPainter& painter, const IListItemUI& item, bool hot, const QRect& rect) {
    IListOwnerUI* owner = item.GetOwner();
    uint32_t colour = owner ? owner->ItemBkColor(item.IsSelected(), hot) : 0;
    if (!(colour >> 24)) return false;
    painter.fillRect(rect, ToQColor(colour));
    return true;
}

}  // namespace

CListLabelElementUI::CListLabelElementUI() = default;

void CListLabelElementUI::OnTextChanged() {
    if (GetOwner()) GetOwner()->OnItemTextChanged(this);
}

void CListLabelElementUI::PaintBkColor(QPainter& painter) {
    if (!PaintRowBackground(painter, *this, IsHot(), rect())) CLabelUI::PaintBkColor(painter);
}

uint32_t CListLabelElementUI::CurrentTextColor() const {
    uint32_t colour = GetOwner() ? GetOwner()->ItemTextColor(IsSelected()) : 0;
    return colour ? colour : CLabelUI::CurrentTextColor();
}

void CListLabelElementUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) {
        event->ignore();
        return;
    }
    HandlePress();
    event->accept();
}

void CListLabelElementUI::mouseDoubleClickEvent(QMouseEvent* event) {
    Activate();
    event->accept();
}

void CListLabelElementUI::enterEvent(QEnterEvent* event) {
    if (IsEnabled()) SetHotFlag(true);
    CLabelUI::enterEvent(event);
}

void CListLabelElementUI::leaveEvent(QEvent* event) {
    SetHotFlag(false);
    CLabelUI::leaveEvent(event);
}

void CListContainerElementUI::PaintBkColor(QPainter& painter) {
    if (!PaintRowBackground(painter, *this, IsHot(), rect())) CContainerUI::PaintBkColor(painter);
}

void CListContainerElementUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) {
        event->ignore();
        return;
    }
    HandlePress();
    event->accept();
}

void CListContainerElementUI::mouseDoubleClickEvent(QMouseEvent* event) {
    Activate();
    event->accept();
}

void CListContainerElementUI::enterEvent(QEnterEvent* event) {
    if (IsEnabled()) SetHotFlag(true);
    CContainerUI::enterEvent(event);
}

void CListContainerElementUI::leaveEvent(QEvent* event) {
    SetHotFlag(false);
    CContainerUI::leaveEvent(event);
}

CListUI::CListUI() {
    EnableScrollBar(true);
}

void CListUI::PrepareItem(CControlUI* control) {
    if (auto* item = dynamic_cast<IListItemUI*>(control)) item->SetOwner(this);
    if (control->GetFixedHeight() == 0) control->SetFixedHeight(m_itemHeight);
    if (control->GetFont() < 0 && m_itemFont >= 0) control->SetFont(m_itemFont);
}

bool CListUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CListUI::AddAt(CControlUI* control, int index) {
    if (!control) return false;
    PrepareItem(control);
    if (!CVerticalLayoutUI::AddAt(control, index)) return false;
    int added = GetItemIndex(control);
    if (m_curSel >= added) ++m_curSel;
    Reindex();
    return true;
}

bool CListUI::Remove(CControlUI* control, bool doNotDestroy) {
    int index = GetItemIndex(control);
    if (index < 0) return false;
    if (auto* item = dynamic_cast<IListItemUI*>(control)) {
        item->SetOwner(nullptr);
        item->SetSelectedFlag(false);
    }
    if (index == m_curSel)
        m_curSel = -1;
    else if (index < m_curSel)
        --m_curSel;
    CVerticalLayoutUI::Remove(control, doNotDestroy);
    Reindex();
    return true;
}

void CListUI::RemoveAll() {
    m_curSel = -1;
    CVerticalLayoutUI::RemoveAll();
}

void CListUI::Reindex() {
    for (int i = 0; i < GetCount(); ++i) {
        if (auto* item = dynamic_cast<IListItemUI*>(GetItemAt(i))) item->SetIndex(i);
    }
}

bool CListUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
    if (index == m_curSel) return index == -1 || GetItemAt(index) != nullptr;
    IListItemUI* next = nullptr;
    if (index != -1) {
        next = dynamic_cast<IListItemUI*>(GetItemAt(index));
        if (!next) return false;
    }
    if (auto* previous = dynamic_cast<IListItemUI*>(GetItemAt(m_curSel)))
        previous->SetSelectedFlag(false);
    int old = m_curSel;
    m_curSel = index;
    if (next) {
        next->SetSelectedFlag(true);
        EnsureVisible(index);
        if (takeFocus) next->AsControl()->setFocus();
    }
    if (triggerEvent) SendNotify(notify_type::kItemSelect, index, old);
    return true;
}

bool CListUI::EnsureVisible(int index) {
    CControlUI* item = GetItemAt(index);
    if (!item) return false;
    EnsureChildVisible(item);
    return true;
}

uint32_t CListUI::ItemBkColor(bool selected, bool hot) const {
    if (selected) return m_itemSelectedBkColor;
    if (hot && m_itemHotBkColor) return m_itemHotBkColor;
    return m_itemBkColor;
}

uint32_t CListUI::ItemTextColor(bool selected) const {
    return selected && m_itemSelectedTextColor ? m_itemSelectedTextColor : m_itemTextColor;
}

bool CListUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = ToLower(rawName);
    uint32_t* colour = nullptr;
    if (name == "itembkcolor")
        colour = &m_itemBkColor;
    else if (name == "itemhotbkcolor")
        colour = &m_itemHotBkColor;
    else if (name == "itemselectedbkcolor")
        colour = &m_itemSelectedBkColor;
    else if (name == "itemtextcolor")
        colour = &m_itemTextColor;
    else if (name == "itemselectedtextcolor")
        colour = &m_itemSelectedTextColor;
    if (colour) {
        if (!ParseColor(value, colour)) return false;
        update();
        return true;
    }
    if (name == "itemheight" || name == "itemfont") {
        int number = 0;
        if (!ParseInt(value, &number)) return false;
        if (name == "itemheight" && number <= 0) return false;
        name == "itemheight" ? void(m_itemHeight = number) : void(m_itemFont = number);
        return true;
    }
    return CVerticalLayoutUI::SetAttribute(rawName, value);
}
