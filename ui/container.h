// Containers: the plain container (children fill it, or float at their
// "pos"), the vertical and horizontal layouts (fixed sizes
// first, the rest shared equally, paddings outside each child, inset inside
// the container, optional scroll bar) and the tab layout (one child shown).
#pragma once

#include <string>
#include <vector>

#include "ui/control.h"

class QScrollBar;

class CContainerUI : public CControlUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    std::string GetClass() const override { return "Container"; }

    /// Appends `control` (the container takes ownership). Returns false for
    /// nullptr or a control that is already a child here.
    virtual bool Add(CControlUI* control);
    /// Inserts at `index` (0..GetCount()); out of range appends.
    virtual bool AddAt(CControlUI* control, int index);
    /// Removes `control`; deletes it unless doNotDestroy. Returns false when
    /// it is not a child of this container.
    virtual bool Remove(CControlUI* control, bool doNotDestroy = false);
    /// Removes the child at `index` (deleted). false when out of range.
    virtual bool RemoveAt(int index);
    /// Removes and deletes every child.
    virtual void RemoveAll();
    /// The child at `index`, nullptr when out of range. Not owning.
    virtual CControlUI* GetItemAt(int index) const;
    /// Index of a direct child, -1 when it is not one.
    virtual int GetItemIndex(CControlUI* control) const;
    /// Moves a direct child to `index`. false when not a child.
    virtual bool SetItemIndex(CControlUI* control, int index);
    virtual int GetCount() const;
    /// The first control named `name` below this container (depth first, in
    /// child order); nullptr when none.
    CControlUI* FindSubControl(const std::string& name) const;

    /// Inner margins (96 DPI) between the container's edge and its children.
    const TRectUI& GetInset() const { return m_inset; }
    void SetInset(const TRectUI& inset);
    /// Gap (96 DPI) between consecutive children of a row/column layout.
    int GetChildPadding() const { return m_childPadding; }
    void SetChildPadding(int padding);
    /// Shows a vertical (row/column layouts) scroll bar when the children do
    /// not fit.
    void EnableScrollBar(bool vertical, bool horizontal = false);
    /// Scroll offset in pixels (0 without scroll bar).
    int GetScrollPos() const;
    void SetScrollPos(int pos);
    /// Scrolls so that child `control` is fully visible.
    void EnsureChildVisible(CControlUI* control);

    bool SetAttribute(const std::string& name, const std::string& value) override;
    void NeedUpdate() override;
    /// While held, adding, removing and re-laying out children do not lay
    /// the container out; releasing the last hold lays it out once. For
    /// filling a long list, which would otherwise be laid out per row.
    void HoldLayout(bool hold);
    void OnDpiOrFontChanged() override;

protected:
    /// Places the children inside `area` (container coordinates, inset
    /// already applied). The plain container gives every non-float child
    /// the whole area minus its padding. Returns the content length along
    /// the scroll direction (0 when the layout does not scroll).
    virtual int LayoutChildren(const QRect& area);
    /// Floating children at their scaled "pos"; used by every layout.
    void PlaceFloatChildren();
    /// The area left for children: rect minus inset and scroll bar.
    QRect ChildArea() const;
    const std::vector<CControlUI*>& Items() const { return m_items; }
    bool HasVerticalScroll() const { return m_vscroll; }
    /// Lays the children out now (as NeedUpdate, without the repaint).
    void DoLayout();

    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void childEvent(QChildEvent* event) override;

private:
    void UpdateScrollBar(int contentLength, int viewLength);

    std::vector<CControlUI*> m_items;
    TRectUI m_inset;
    int m_childPadding = 0;
    bool m_vscroll = false;
    QScrollBar* m_scrollBar = nullptr;
    bool m_inLayout = false;
    int m_layoutHolds = 0;
    bool m_layoutPending = false;
};

/// Children stacked top to bottom.
class CVerticalLayoutUI : public CContainerUI {
public:
    std::string GetClass() const override { return "VerticalLayout"; }

protected:
    int LayoutChildren(const QRect& area) override;
};

/// Children side by side, left to right.
class CHorizontalLayoutUI : public CContainerUI {
public:
    std::string GetClass() const override { return "HorizontalLayout"; }

protected:
    int LayoutChildren(const QRect& area) override;
};

/// Shows one child at a time; attribute "selectedid" picks the first one.
class CTabLayoutUI : public CContainerUI {
public:
    std::string GetClass() const override { return "TabLayout"; }

    /// Shows child `index` and hides the others; sends "tabselect" (wParam
    /// new index, lParam old index) when the selection changes. Returns false
    /// for an index out of range (the selection is unchanged).
    bool SelectItem(int index);
    /// Selects the given direct child. false when it is not a child.
    bool SelectItem(CControlUI* control);
    /// Index of the shown child; -1 when the layout is empty.
    int GetCurSel() const { return m_curSel; }

    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control, bool doNotDestroy = false) override;
    void RemoveAll() override;
    bool SetAttribute(const std::string& name, const std::string& value) override;

private:
    void ShowOnly(int index);
    int m_curSel = -1;
    int m_initialSel = -1;  // "selectedid" before the children exist
};
