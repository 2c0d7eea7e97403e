// Buttons: the push button ("click"), the option with groups
// ("selectchanged") and the check box.
#pragma once

#include "ui/label.h"

/// A label that reacts to the mouse: status images for normal, hot, pushed,
/// focused and disabled, text colours per state, and "click" when the left
/// button is released inside the enabled button.
class CButtonUI : public CLabelUI {
public:
    CButtonUI();
    std::string GetClass() const override { return "Button"; }

    void SetNormalImage(const std::string& image);
    void SetHotImage(const std::string& image);
    void SetPushedImage(const std::string& image);
    void SetFocusedImage(const std::string& image);
    void SetDisabledImage(const std::string& image);
    const std::string& GetNormalImage() const { return m_normalImage; }
    const std::string& GetHotImage() const { return m_hotImage; }
    const std::string& GetPushedImage() const { return m_pushedImage; }
    void SetHotTextColor(uint32_t argb) { m_hotTextColor = argb; }
    void SetPushedTextColor(uint32_t argb) { m_pushedTextColor = argb; }
    void SetHotBkColor(uint32_t argb) { m_hotBkColor = argb; }

    /// Performs the button's action as a click would: sends "click". Returns
    /// false (and does nothing) when the button is disabled or hidden.
    virtual bool Activate();

    /// State of the mouse over the button, for custom painting.
    bool IsHot() const { return m_hot; }
    bool IsPushed() const { return m_pushed; }

    /// Extra attributes: "normalimage", "hotimage", "pushedimage",
    /// "focusedimage", "disabledimage", "hottextcolor", "pushedtextcolor",
    /// "hotbkcolor".
    bool SetAttribute(const std::string& name, const std::string& value) override;

protected:
    void PaintStatusImage(QPainter& painter) override;
    void PaintBkColor(QPainter& painter) override;
    uint32_t CurrentTextColor() const override;
    /// Marks the pushed/hot state; custom buttons use these from their own
    /// mouse handling.
    void SetHot(bool hot);
    void SetPushed(bool pushed);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::string m_normalImage;
    std::string m_hotImage;
    std::string m_pushedImage;
    std::string m_focusedImage;
    std::string m_disabledImage;
    uint32_t m_hotTextColor = 0;
    uint32_t m_pushedTextColor = 0;
    uint32_t m_hotBkColor = 0;
    bool m_hot = false;
    bool m_pushed = false;
    bool m_captured = false;
};

/// A button with a selected state. Options in the same non-empty group
/// within one window are exclusive: selecting one deselects the others.
/// Clicking an option sends "click", then selects it (in a group) or
/// toggles it (no group).
class COptionUI : public CButtonUI {
public:
    std::string GetClass() const override { return "Option"; }

    bool IsSelected() const { return m_selected; }
    /// Changes the selected state. When it changes and triggerEvent is true:
    /// "selectchanged" is sent — in a group only by the option that becomes
    /// selected (the others are deselected silently), without a group on
    /// every change.
    void Selected(bool selected, bool triggerEvent = true);
    const std::string& GetGroup() const { return m_group; }
    void SetGroup(const std::string& group) { m_group = group; }

    void SetSelectedImage(const std::string& image);
    const std::string& GetSelectedImage() const { return m_selectedImage; }
    void SetSelectedHotImage(const std::string& image);
    void SetSelectedTextColor(uint32_t argb) { m_selectedTextColor = argb; }
    void SetSelectedBkColor(uint32_t argb);

    bool Activate() override;
    /// Extra attributes: "group", "selected", "selectedimage",
    /// "selectedhotimage", "selectedpushedimage", "selecteddisabledimage",
    /// "selectedtextcolor", "selectedbkcolor".
    bool SetAttribute(const std::string& name, const std::string& value) override;

protected:
    void PaintStatusImage(QPainter& painter) override;
    void PaintBkColor(QPainter& painter) override;
    uint32_t CurrentTextColor() const override;

private:
    void DeselectGroupMates();

    std::string m_group;
    std::string m_selectedImage;
    std::string m_selectedHotImage;
    std::string m_selectedPushedImage;
    std::string m_selectedDisabledImage;
    uint32_t m_selectedTextColor = 0;
    uint32_t m_selectedBkColor = 0;
    bool m_selected = false;
};

/// An option without a group: each click toggles it.
class CCheckBoxUI : public COptionUI {
public:
    std::string GetClass() const override { return "CheckBox"; }
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool triggerEvent = true) { Selected(check, triggerEvent); }
};
