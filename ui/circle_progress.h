// CCircleProgressUI: a progress shown as a ring that fills clockwise from
// the bottom. The disc is drawn in the background colour, the filled wedge
// in the fore colour, and a white disc 10 pixels (96 DPI) inside the edge
// leaves the ring; the control's text, if any, sits in the middle.
#pragma once

#include "ui/slider.h"

class CCircleProgressUI : public CProgressUI {
public:
    std::string GetClass() const override { return "CircleProgress"; }

protected:
    /// The full disc in the background colour (instead of a rectangle).
    void PaintBkColor(QPainter& painter) override;
    /// The wedge of the value (see tirk::ui::CircleProgressWedge) and the
    /// white inner disc.
    void PaintStatusImage(QPainter& painter) override;
};
