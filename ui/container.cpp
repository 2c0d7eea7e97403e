#include "ui/container.h"

#include <QChildEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "ui/internal/attributes.h"
#include "ui/internal/tree.h"
#include "ui/paint_manager.h"

using namespace tirk::ui;

namespace {

// Sizes of one child along the layout's main axis and across it, scaled.
struct Extent {
    int fixed = 0;  // 0 = share the rest
    int min = 0;
    int max = 0;  // 0 = no limit
    int before = 0;
    int after = 0;
};

int Clamp(int value, int min, int max) {
    value = std::max(value, min);
    return max > 0 ? std::min(value, max) : value;
}

// Lays `items` out in a row (vertical == false) or a column inside `area`,
// Our layout rule: fixed lengths first, the rest shared equally by the others.
// Returns the length the children need along the main axis.
int LayoutLine(const std::vector<CControlUI*>& items, const QRect& area, int childPadding,
               bool vertical, const CControlUI& owner) {
    std::vector<CControlUI*> placed;
    for (CControlUI* item : items) {
        if (item->IsVisible() && !item->IsFloat()) placed.push_back(item);
    }
    if (placed.empty()) return 0;
    auto main = [&](CControlUI* c) {
        const TRectUI& p = c->GetPadding();
        return Extent{owner.Scale(vertical ? c->GetFixedHeight() : c->GetFixedWidth()),
                      owner.Scale(vertical ? c->GetMinHeight() : c->GetMinWidth()),
                      owner.Scale(vertical ? c->GetMaxHeight() : c->GetMaxWidth()),
                      owner.Scale(vertical ? p.top : p.left),
                      owner.Scale(vertical ? p.bottom : p.right)};
    };
    const int available = vertical ? area.height() : area.width();
    int used = owner.Scale(childPadding) * int(placed.size() - 1);
    int sharing = 0;
    int minimumNeed = used;
    for (CControlUI* item : placed) {
        Extent e = main(item);
        used += e.before + e.after + e.fixed;
        minimumNeed += e.before + e.after + (e.fixed ? e.fixed : e.min);
        if (e.fixed == 0) ++sharing;
    }
    int rest = std::max(0, available - used);
    int position = vertical ? area.top() : area.left();
    for (CControlUI* item : placed) {
        Extent e = main(item);
        int length = e.fixed;
        if (length == 0) {
            length = Clamp(rest / sharing, e.min, e.max);
            rest -= length;
            --sharing;
        }
        position += e.before;
        const TRectUI& p = item->GetPadding();
        int crossBefore = owner.Scale(vertical ? p.left : p.top);
        int crossAfter = owner.Scale(vertical ? p.right : p.bottom);
        int crossFixed = owner.Scale(vertical ? item->GetFixedWidth() : item->GetFixedHeight());
        int crossSpace = (vertical ? area.width() : area.height()) - crossBefore - crossAfter;
        int cross = crossFixed ? crossFixed : std::max(0, crossSpace);
        int crossStart = (vertical ? area.left() : area.top()) + crossBefore;
        if (vertical)
            item->setGeometry(crossStart, position, cross, length);
        else
            item->setGeometry(position, crossStart, length, cross);
        position += length + e.after + owner.Scale(childPadding);
    }
    return std::max(minimumNeed, used);
}

}  // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    // Children are QWidget children and go with the widget; the list must
    // not be consulted while they are being deleted.
    m_items.clear();
}

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (!control || control == this || GetItemIndex(control) >= 0) return false;
    control->setParent(this);  // leaves any previous container (ChildRemoved)
    if (index < 0 || index > GetCount()) index = GetCount();
    m_items.insert(m_items.begin() + index, control);
    control->QWidget::setVisible(control->IsVisible());
    if (m_scrollBar) m_scrollBar->raise();
    control->InitOnce();
    NeedUpdate();
    return true;
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy) {
    int index = GetItemIndex(control);
    if (index < 0) return false;
    m_items.erase(m_items.begin() + index);
    if (doNotDestroy) {
        control->hide();
        control->setParent(nullptr);
    } else {
        delete control;
    }
    NeedUpdate();
    return true;
}

bool CContainerUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    return control && Remove(control);
}

void CContainerUI::RemoveAll() {
    std::vector<CControlUI*> items;
    items.swap(m_items);
    for (CControlUI* item : items) delete item;
    SetScrollPos(0);
    NeedUpdate();
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? m_items[size_t(index)] : nullptr;
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    auto found = std::find(m_items.begin(), m_items.end(), control);
    return found == m_items.end() ? -1 : int(found - m_items.begin());
}

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    int current = GetItemIndex(control);
    if (current < 0) return false;
    m_items.erase(m_items.begin() + current);
    index = std::clamp(index, 0, GetCount());
    m_items.insert(m_items.begin() + index, control);
    NeedUpdate();
    return true;
}

int CContainerUI::GetCount() const {
    return int(m_items.size());
}

CControlUI* CContainerUI::FindSubControl(const std::string& name) const {
    return FindControlByName(const_cast<CContainerUI*>(this), name, false);
}

void CContainerUI::SetInset(const TRectUI& inset) {
    m_inset = inset;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
    m_childPadding = padding;
    NeedUpdate();
}

void CContainerUI::EnableScrollBar(bool vertical, bool) {
    m_vscroll = vertical;
    if (vertical && !m_scrollBar) {
        m_scrollBar = new QScrollBar(Qt::Vertical, this);
        // A slim bar in the skin's dark colours rather than the platform's.
        m_scrollBar->setStyleSheet(
            "QScrollBar:vertical { background: #1B1E25; width: 8px; margin: 0; border: none; }"
            "QScrollBar::handle:vertical { background: #3A3F4B; min-height: 24px; border-radius: 4px; }"
            "QScrollBar::handle:vertical:hover { background: #545B6A; }"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }");
        m_scrollBar->hide();
        QObject::connect(m_scrollBar, &QScrollBar::valueChanged, this, [this] { DoLayout(); });
    }
    if (!vertical && m_scrollBar) {
        m_scrollBar->setValue(0);
        m_scrollBar->hide();
    }
    NeedUpdate();
}

int CContainerUI::GetScrollPos() const {
    return m_scrollBar ? m_scrollBar->value() : 0;
}

void CContainerUI::SetScrollPos(int pos) {
    if (m_scrollBar) m_scrollBar->setValue(pos);
}

void CContainerUI::EnsureChildVisible(CControlUI* control) {
    if (!m_vscroll || GetItemIndex(control) < 0) return;
    DoLayout();
    QRect view = ChildArea();
    int top = control->geometry().top();
    int bottom = control->geometry().bottom() + 1;
    if (top < view.top())
        SetScrollPos(GetScrollPos() - (view.top() - top));
    else if (bottom > view.bottom() + 1)
        SetScrollPos(GetScrollPos() + bottom - view.bottom() - 1);
}

bool CContainerUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = ToLower(rawName);
    if (name == "inset") {
        TRectUI rect;
        if (!ParseRect(value, &rect)) return false;
        SetInset(rect);
    } else if (name == "childpadding") {
        int padding = 0;
        if (!ParseInt(value, &padding)) return false;
        SetChildPadding(padding);
    } else if (name == "vscrollbar" || name == "hscrollbar") {
        bool on = false;
        if (!ParseBool(value, &on)) return false;
        if (name == "vscrollbar") EnableScrollBar(on);
    } else {
        return CControlUI::SetAttribute(rawName, value);
    }
    return true;
}

void CContainerUI::NeedUpdate() {
    if (m_layoutHolds > 0) {
        m_layoutPending = true;
        return;
    }
    DoLayout();
    update();
}

void CContainerUI::HoldLayout(bool hold) {
    m_layoutHolds += hold ? 1 : (m_layoutHolds > 0 ? -1 : 0);
    if (m_layoutHolds > 0 || !m_layoutPending) return;
    m_layoutPending = false;
    NeedUpdate();
}

void CContainerUI::OnDpiOrFontChanged() {
    CControlUI::OnDpiOrFontChanged();
    DoLayout();
}

QRect CContainerUI::ChildArea() const {
    QRect area = rect().adjusted(Scale(m_inset.left), Scale(m_inset.top), -Scale(m_inset.right),
                                 -Scale(m_inset.bottom));
    if (m_scrollBar && m_scrollBar->isVisible()) area.setRight(area.right() - m_scrollBar->width());
    return area;
}

int CContainerUI::LayoutChildren(const QRect& area) {
    for (CControlUI* item : m_items) {
        if (!item->IsVisible() || item->IsFloat()) continue;
        const TRectUI& p = item->GetPadding();
        QRect placed =
            area.adjusted(Scale(p.left), Scale(p.top), -Scale(p.right), -Scale(p.bottom));
        if (item->GetFixedWidth()) placed.setWidth(Scale(item->GetFixedWidth()));
        if (item->GetFixedHeight()) placed.setHeight(Scale(item->GetFixedHeight()));
        item->setGeometry(placed);
    }
    return 0;
}

void CContainerUI::PlaceFloatChildren() {
    for (CControlUI* item : m_items) {
        if (!item->IsVisible() || !item->IsFloat()) continue;
        const TRectUI& pos = item->GetFloatPos();
        int width = item->GetFixedWidth() ? item->GetFixedWidth() : pos.Width();
        int height = item->GetFixedHeight() ? item->GetFixedHeight() : pos.Height();
        item->setGeometry(Scale(pos.left), Scale(pos.top), Scale(width), Scale(height));
    }
}

void CContainerUI::DoLayout() {
    if (m_inLayout) return;
    m_inLayout = true;
    if (m_scrollBar) {
        QRect full = rect().adjusted(Scale(m_inset.left), Scale(m_inset.top), -Scale(m_inset.right),
                                     -Scale(m_inset.bottom));
        int needed = LayoutChildren(full);
        UpdateScrollBar(needed, full.height());
    }
    QRect area = ChildArea();
    if (m_scrollBar && m_scrollBar->isVisible()) {
        int needed = LayoutChildren(area);
        UpdateScrollBar(needed, area.height());
        LayoutChildren(QRect(area.left(), area.top() - GetScrollPos(), area.width(),
                             std::max(needed, area.height())));
    } else {
        LayoutChildren(area);
    }
    PlaceFloatChildren();
    m_inLayout = false;
}

void CContainerUI::UpdateScrollBar(int contentLength, int viewLength) {
    bool needed = m_vscroll && contentLength > viewLength && viewLength > 0;
    if (!needed) {
        m_scrollBar->setValue(0);
        m_scrollBar->hide();
        return;
    }
    int barWidth = m_scrollBar->sizeHint().width();
    m_scrollBar->setGeometry(width() - Scale(m_inset.right) - barWidth, Scale(m_inset.top),
                             barWidth, viewLength);
    m_scrollBar->setRange(0, contentLength - viewLength);
    m_scrollBar->setPageStep(viewLength);
    m_scrollBar->setSingleStep(std::max(1, Scale(20)));
    m_scrollBar->show();
    m_scrollBar->raise();
}

void CContainerUI::resizeEvent(QResizeEvent* event) {
    CControlUI::resizeEvent(event);
    DoLayout();
}

void CContainerUI::wheelEvent(QWheelEvent* event) {
    if (!m_scrollBar || !m_scrollBar->isVisible()) {
        event->ignore();
        return;
    }
    int steps = event->angleDelta().y() / 120;
    SetScrollPos(GetScrollPos() - steps * m_scrollBar->singleStep() * 3);
    event->accept();
}

void CContainerUI::childEvent(QChildEvent* event) {
    if (event->type() == QEvent::ChildRemoved) {
        // A child deleted directly or moved to another container leaves the list.
        QObject* child = event->child();
        auto found = std::find_if(m_items.begin(), m_items.end(), [child](CControlUI* item) {
            return static_cast<QObject*>(item) == child;
        });
        if (found != m_items.end()) {
            m_items.erase(found);
            if (m_layoutHolds > 0)
                m_layoutPending = true;
            else if (!m_inLayout && isVisible())
                DoLayout();
        }
    }
    CControlUI::childEvent(event);
}

int CVerticalLayoutUI::LayoutChildren(const QRect& area) {
    return LayoutLine(Items(), area, GetChildPadding(), true, *this);
}

int CHorizontalLayoutUI::LayoutChildren(const QRect& area) {
    LayoutLine(Items(), area, GetChildPadding(), false, *this);
    return 0;  // only columns scroll
}

bool CTabLayoutUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    int added = GetItemIndex(control);
    if (m_curSel < 0 || added == m_initialSel) {
        ShowOnly(added);
    } else {
        if (added <= m_curSel) ++m_curSel;
        control->SetVisible(false);
    }
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control, bool doNotDestroy) {
    int index = GetItemIndex(control);
    if (!CContainerUI::Remove(control, doNotDestroy)) return false;
    if (index < m_curSel) {
        --m_curSel;
    } else if (index == m_curSel) {
        m_curSel = -1;
        if (GetCount() > 0) ShowOnly(std::min(index, GetCount() - 1));
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    CContainerUI::RemoveAll();
    m_curSel = -1;
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == m_curSel) return true;
    int old = m_curSel;
    ShowOnly(index);
    SendNotify(notify_type::kTabSelect, index, old);
    return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control) {
    int index = GetItemIndex(control);
    return index >= 0 && SelectItem(index);
}

bool CTabLayoutUI::SetAttribute(const std::string& name, const std::string& value) {
    if (ToLower(name) != "selectedid") return CContainerUI::SetAttribute(name, value);
    int index = 0;
    if (!ParseInt(value, &index) || index < 0) return false;
    m_initialSel = index;
    if (index < GetCount()) ShowOnly(index);
    return true;
}

void CTabLayoutUI::ShowOnly(int index) {
    m_curSel = index;
    for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == index);
    NeedUpdate();
}
