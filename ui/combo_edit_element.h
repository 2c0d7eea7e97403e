// CComboEditContainerElementUI: a list row with two texts and an editable
// delay, built from its own layout file. Selection follows the mouse button
// going down (Ctrl toggles), "itemclick" its release, and Enter activates
// the row and sends "return".
#pragma once

#include "ui/list.h"

class CComboEditContainerElementUI : public CListContainerElementUI, public INotifyUI {
public:
    /// The row's layout, below the skin folder.
    static constexpr char kLayoutFile[] = "XML\\CustomControlXML\\ComboEditElementItem.xml";

    CComboEditContainerElementUI();
    std::string GetClass() const override { return "ComboEditContainerElement"; }

    /// Builds the row from kLayoutFile (with the window's paint manager when
    /// the row is in one) and looks up "text1", "text2" and "delay_edit".
    /// A layout that cannot be built is logged and leaves the row empty.
    void DoInit() override;
    /// The sub-controls of the layout; nullptr before DoInit or when the
    /// layout lacks them. Owned by the row.
    CControlUI* GetText1() const { return m_text1; }
    CControlUI* GetText2() const { return m_text2; }
    CControlUI* GetDelayEdit() const { return m_delayEdit; }

    /// The row reacts to nothing of its sub-controls itself; pages that
    /// register it as a receiver get the same notifications as the window.
    void Notify(TNotifyUI&) override {}

    /// "normalimage", "hotimage" and "selectedimage" are accepted and not
    /// used; everything else is the container's.
    bool SetAttribute(const std::string& name, const std::string& value) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    /// Ctrl held: selected rows are deselected, others selected.
    void ToggleSelection();

    CControlUI* m_text1 = nullptr;
    CControlUI* m_text2 = nullptr;
    CControlUI* m_delayEdit = nullptr;
};
