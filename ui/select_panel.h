// CSelectPanelUI: the device picture's key area. It lays its key buttons out
// as a vertical layout and lets the user select several of them by dragging
// a rectangle over the panel's free area.
#pragma once

#include <cstdint>

#include "ui/container.h"

class CSelectPanelUI : public CVerticalLayoutUI {
public:
    std::string GetClass() const override { return "SelectPanel"; }

    /// 1 while the left button is down after going down inside the panel.
    int IsPressed() const { return m_pressed; }
    /// 1 once the mouse moved while pressed, until the button goes up.
    uint8_t IsDragging() const { return m_dragging; }
    /// The rectangle of the latest drag in panel coordinates, normalised
    /// (left <= right, top <= bottom).
    const TRectUI& GetSelectionRect() const { return m_selection; }

    /// Sets the selected flag of every direct child of class "DeviceKeyButton"
    /// from its rectangle (panel coordinates): selected when it shares area
    /// with `selection`. Other children are left alone.
    void SelectKeysIn(const TRectUI& selection);

protected:
    /// Left button down on the enabled panel: pressed, anchor = the point.
    void mousePressEvent(QMouseEvent* event) override;
    /// While pressed: dragging; the selection follows the point.
    void mouseMoveEvent(QMouseEvent* event) override;
    /// After a drag: selects the key buttons under the rectangle, lays the
    /// panel out again and sends "click_select_end". A click without a move
    /// changes nothing and sends nothing.
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_pressed = 0;
    uint8_t m_dragging = 0;
    TPointUI m_anchor;
    TPointUI m_current;
    TRectUI m_selection;
};
