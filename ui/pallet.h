// CPalletUI ("Pallet" in layouts): the colour field of the colour picker. A
// saturation/brightness square for the current hue, with a hue strip beside
// it; the user clicks or drags in either. Every change by the user sends
// "colorchanged" (wParam 1 while the button is held, 0 when it is released:
// listeners that store the colour do so on 0).
#pragma once

#include <cstdint>

#include "ui/control.h"

class CPalletUI : public CControlUI {
public:
    /// The notification type of a colour picked by the user.
    static constexpr char kNotifyColorChanged[] = "colorchanged";
    /// wParam of kNotifyColorChanged.
    enum : intptr_t { kFinal = 0, kDragging = 1 };

    CPalletUI();
    std::string GetClass() const override { return "Pallet"; }

    /// The colour shown (0xAARRGGBB). Picked colours are opaque.
    uint32_t GetColor() const { return m_color; }
    /// Shows `argb` without notifying. A grey keeps the hue the strip shows,
    /// black also keeps the saturation, so the field does not jump.
    void SetColor(uint32_t argb);

    /// Hue 0..360, saturation and value 0..1 of the shown colour.
    double GetHue() const { return m_hue; }
    double GetSaturation() const { return m_saturation; }
    double GetValue() const { return m_value; }

    /// The square and the strip in control coordinates (pixels).
    QRect SquareRect() const;
    QRect HueStripRect() const;

    /// Extra attributes: "huewidth" (strip width, 96 DPI, default 20),
    /// "huegap" (gap before the strip, default 10).
    bool SetAttribute(const std::string& name, const std::string& value) override;

protected:
    /// The field and its markers, between the background and the border.
    void PaintStatusImage(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    enum class Drag { kNone, kSquare, kHue };
    void PickAt(const QPoint& point, intptr_t phase);
    void PaintSquare(QPainter& painter) const;
    void PaintHueStrip(QPainter& painter) const;

    uint32_t m_color = 0xFFFF0000;
    double m_hue = 0;
    double m_saturation = 1;
    double m_value = 1;
    int m_hueWidth = 20;
    int m_hueGap = 10;
    Drag m_drag = Drag::kNone;
};
