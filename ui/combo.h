// Combo box: a drop-down choice among text items.
#pragma once

#include <string>
#include <vector>

#include "ui/list.h"

class QComboBox;

/// The items are CListLabelElementUI rows (from the layout: child elements
/// <ListLabelElement text="…"/>; from code: Add or AddItem). Sends
/// "itemselect" (wParam new index, lParam old index) when the user picks a
/// different item, and for SelectItem with triggerEvent.
class CComboUI : public CLabelUI, public IListOwnerUI {
public:
    CComboUI();
    ~CComboUI() override;
    std::string GetClass() const override { return "Combo"; }

    /// Adds a row (the combo takes ownership). Only CListLabelElementUI rows
    /// are accepted; others are refused (false, not owned). A row hidden
    /// before it is added (SetVisible(false)) keeps its index but is not
    /// listed in the drop-down and cannot be picked by the user.
    bool Add(CControlUI* control);
    /// Adds a text item; "%[key]" makes it a keyed text. Returns its index.
    int AddItem(const std::string& text, const std::string& userData = {});
    /// Removes and deletes every item; the selection becomes -1 (no event).
    void RemoveAll();
    int GetCount() const { return static_cast<int>(m_items.size()); }
    /// The row at `index`, nullptr when out of range. Not owning.
    CListLabelElementUI* GetItemAt(int index) const;
    /// Text of item `index`, empty when out of range.
    std::string GetItemText(int index) const;

    /// Selects item `index` (-1 clears). See the class comment for the
    /// event. Returns false for an index out of range.
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
    int GetCurSel() const override { return m_curSel; }
    /// The selected item's text (empty when none).
    std::string GetText() const override;

    void OnItemTextChanged(IListItemUI* item) override;
    uint32_t ItemBkColor(bool, bool) const override { return 0; }
    uint32_t ItemTextColor(bool) const override { return 0; }
    void SetEnabled(bool enabled = true) override;
    void ReloadText() override;
    void OnDpiOrFontChanged() override;
    /// Styles the box in the skin's colours at the window's DPI.
    void ApplySkinStyle();
    /// Extra attribute: "cursel" (initial selection, applied once the items
    /// exist; sends nothing). "font" also applies to the drop-down.
    bool SetAttribute(const std::string& name, const std::string& value) override;

protected:
    void PaintText(QPainter&) override {}
    void resizeEvent(QResizeEvent* event) override;
    void DoInit() override;

private:
    void OnUserPick(int index);

    QComboBox* m_box = nullptr;

    int m_styledScale = 0;  // Scale(100) the style sheet was made for
    std::vector<CListLabelElementUI*> m_items;
    int m_curSel = -1;
    int m_pendingSel = -1;
};
