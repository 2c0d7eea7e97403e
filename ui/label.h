// Text controls: a one-line label and a multi-line text block.
#pragma once

#include "ui/control.h"

/// Paints its text with the control's font, colour, alignment and padding
/// (default alignment: left, vertically centred, one line).
class CLabelUI : public CControlUI {
public:
    CLabelUI();
    std::string GetClass() const override { return "Label"; }
    /// Extra attributes: "disabledtextcolor", "endellipsis", "wordbreak".
    bool SetAttribute(const std::string& name, const std::string& value) override;
    void SetDisabledTextColor(uint32_t argb);
    /// true: text that does not fit ends in "…".
    void SetEndEllipsis(bool on);
    /// true: the text wraps at word boundaries.
    void SetWordBreak(bool on);

protected:
    void PaintText(QPainter& painter) override;
    /// The colour for the current state (disabled colour when disabled).
    virtual uint32_t CurrentTextColor() const;

private:
    uint32_t m_disabledTextColor = 0;
    bool m_endEllipsis = false;
    bool m_wordBreak = false;
};

/// A label whose text wraps over several lines, aligned top-left.
class CTextUI : public CLabelUI {
public:
    CTextUI();
    std::string GetClass() const override { return "Text"; }
};
