// Lists: the list (a scrolling column of items with one selection), its text
// row CListLabelElementUI and the container row CListContainerElementUI.
// The combo box (combo.h) is a list owner too.
#pragma once

#include <string>

#include "ui/container.h"
#include "ui/label.h"

class IListItemUI;

/// What a list item needs of the list or combo box that holds it.
class IListOwnerUI {
public:
    virtual ~IListOwnerUI() = default;
    /// Selects item `index`; see CListUI::SelectItem.
    virtual bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) = 0;
    virtual int GetCurSel() const = 0;
    /// An item's text changed (the owner refreshes what it shows).
    virtual void OnItemTextChanged(IListItemUI* item) = 0;
    /// Row colours shared by all items: 0 = not set.
    virtual uint32_t ItemBkColor(bool selected, bool hot) const = 0;
    virtual uint32_t ItemTextColor(bool selected) const = 0;
};

/// A row of a list or combo box.
class IListItemUI {
public:
    virtual ~IListItemUI() = default;
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int index) = 0;
    virtual IListOwnerUI* GetOwner() const = 0;
    virtual void SetOwner(IListOwnerUI* owner) = 0;
    virtual bool IsSelected() const = 0;
    /// Marks the row selected (painting only; the owner keeps the index).
    virtual void SetSelectedFlag(bool selected) = 0;
    /// The row as a control (the same object).
    virtual CControlUI* AsControl() = 0;
};

/// Shared row behaviour: pressing the left or right button sends "itemclick"
/// and then selects the row through its owner (which sends "itemselect");
/// a double-click sends "itemactivate".
class CListItemBehaviour : public IListItemUI {
public:
    int GetIndex() const override { return m_index; }
    void SetIndex(int index) override { m_index = index; }
    IListOwnerUI* GetOwner() const override { return m_owner; }
    void SetOwner(IListOwnerUI* owner) override { m_owner = owner; }
    bool IsSelected() const override { return m_selected; }
    void SetSelectedFlag(bool selected) override;
    /// Selects this row through the owner. false without an owner.
    bool Select(bool triggerEvent = true);
    /// Sends "itemactivate". false when the row is disabled.
    bool Activate();

protected:
    void HandlePress();
    bool IsHot() const { return m_hot; }
    void SetHotFlag(bool hot);

private:
    IListOwnerUI* m_owner = nullptr;
    int m_index = -1;
    bool m_selected = false;
    bool m_hot = false;
};

/// A text row.
class CListLabelElementUI : public CLabelUI, public CListItemBehaviour {
public:
    CListLabelElementUI();
    std::string GetClass() const override { return "ListLabelElement"; }
    CControlUI* AsControl() override { return this; }

protected:
    void OnTextChanged() override;
    void PaintBkColor(QPainter& painter) override;
    uint32_t CurrentTextColor() const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

/// A row that holds other controls (children fill it, as in a container).
class CListContainerElementUI : public CContainerUI, public CListItemBehaviour {
public:
    std::string GetClass() const override { return "ListContainerElement"; }
    CControlUI* AsControl() override { return this; }

protected:
    void PaintBkColor(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};

/// A vertical, scrolling list of rows with at most one selected. Add/AddAt
/// accept any control; rows that implement IListItemUI take part in the
/// selection. Row heights come from the rows' "height" (default: the
/// list's "itemheight", 24 at 96 DPI).
class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
public:
    CListUI();
    std::string GetClass() const override { return "List"; }

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    void RemoveAll() override;

    /// Selects row `index` (-1 clears the selection). When the selection
    /// changes and triggerEvent is true, sends "itemselect" (wParam new
    /// index, lParam old index). Returns false for an index out of range or
    /// a row that is not a list item.
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
    int GetCurSel() const override { return m_curSel; }
    /// Scrolls so that row `index` is fully visible; false when out of range.
    bool EnsureVisible(int index);
    void OnItemTextChanged(IListItemUI*) override {}
    uint32_t ItemBkColor(bool selected, bool hot) const override;
    uint32_t ItemTextColor(bool selected) const override;

    /// Extra attributes: "itembkcolor", "itemhotbkcolor",
    /// "itemselectedbkcolor", "itemtextcolor", "itemselectedtextcolor",
    /// "itemheight", "itemfont".
    bool SetAttribute(const std::string& name, const std::string& value) override;

private:
    void Reindex();
    void PrepareItem(CControlUI* control);

    int m_curSel = -1;
    int m_itemHeight = 24;
    int m_itemFont = -1;
    uint32_t m_itemBkColor = 0;
    uint32_t m_itemHotBkColor = 0;
    uint32_t m_itemSelectedBkColor = 0xFFCCE4F7;
    uint32_t m_itemTextColor = 0;
    uint32_t m_itemSelectedTextColor = 0;
};
