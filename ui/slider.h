// Progress bar and slider.
#pragma once

#include "ui/label.h"

/// Shows value in [min, max]: the fore image (or fore colour) is revealed in
/// proportion, left to right ("hor", default) or bottom to top.
class CProgressUI : public CLabelUI {
public:
    CProgressUI();
    std::string GetClass() const override { return "Progress"; }

    int GetMinValue() const { return m_min; }
    int GetMaxValue() const { return m_max; }
    int GetValue() const { return m_value; }
    /// Sets the range; a value outside it is clamped. max < min is refused.
    void SetMinValue(int min);
    void SetMaxValue(int max);
    /// Sets the value clamped to [min, max]; sends nothing.
    virtual void SetValue(int value);
    bool IsHorizontal() const { return m_horizontal; }
    void SetHorizontal(bool horizontal);
    /// Colour of the filled part when there is no fore image (0 = none).
    uint32_t GetForeColor() const { return m_foreColor; }
    void SetForeColor(uint32_t argb);

    /// Extra attributes: "min", "max", "value", "hor", "forecolor",
    /// "foreimage" (the filled part, here not drawn over everything).
    bool SetAttribute(const std::string& name, const std::string& value) override;

protected:
    void PaintStatusImage(QPainter& painter) override;
    void PaintForeImage(QPainter&) override {}
    /// Fraction of the range covered by the value, 0..1.
    double Fraction() const;

private:
    int m_min = 0;
    int m_max = 100;
    int m_value = 0;
    bool m_horizontal = true;
    uint32_t m_foreColor = 0;
};

/// A progress bar with a thumb the user drags. Sends "movevaluechanged"
/// while dragging (each value change; off with sendmove="false") and
/// "valuechanged" when the button is released (also for a plain click on the
/// track, which moves the thumb there) and for each wheel step.
class CSliderUI : public CProgressUI {
public:
    CSliderUI();
    std::string GetClass() const override { return "Slider"; }

    /// Value change per wheel step (>= 1).
    void SetChangeStep(int step);
    int GetChangeStep() const { return m_step; }
    /// Thumb size at 96 DPI.
    void SetThumbSize(TSizeUI size);
    void SetThumbImage(const std::string& image) { m_thumbImage = image; }
    void SetThumbHotImage(const std::string& image) { m_thumbHotImage = image; }
    void SetThumbPushedImage(const std::string& image) { m_thumbPushedImage = image; }
    void SetCanSendMove(bool on) { m_sendMove = on; }

    /// Extra attributes: "step", "thumbsize", "thumbimage", "thumbhotimage",
    /// "thumbpushedimage", "thumbcolor", "sendmove".
    bool SetAttribute(const std::string& name, const std::string& value) override;

protected:
    void PaintStatusImage(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QRect ThumbRect() const;
    int ValueAt(const QPoint& point) const;

    int m_step = 1;
    TSizeUI m_thumbSize{10, 10};
    std::string m_thumbImage;
    std::string m_thumbHotImage;
    std::string m_thumbPushedImage;
    uint32_t m_thumbColor = 0xFF808080;
    bool m_sendMove = true;
    bool m_dragging = false;
};
