#include "ui/circle_progress.h"

#include <QPainter>

#include "ui/control_math.h"
#include "ui/internal/attributes.h"

namespace {

constexpr uint32_t kInnerDiscColour = 0xFFFFFFFF;
constexpr int kRingWidth = 10;  // 96 DPI

// Qt counts pie angles anticlockwise in 1/16 degree; the wedge is clockwise.
void FillPie(QPainter& painter, const QRect& rect, int startDegrees, int sweepDegrees,
             uint32_t argb) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tirk::ui::ToQColor(argb));
    painter.drawPie(rect, -startDegrees * 16, -sweepDegrees * 16);
    painter.restore();
}

}  // namespace

void CCircleProgressUI::PaintBkColor(QPainter& painter) {
    FillPie(painter, rect(), 0, 360, GetBkColor());
}

void CCircleProgressUI::PaintStatusImage(QPainter& painter) {
    const tirk::ui::TWedgeUI wedge =
        tirk::ui::CircleProgressWedge(GetMinValue(), GetMaxValue(), GetValue());
    FillPie(painter, rect(), wedge.startDegrees, wedge.sweepDegrees, GetForeColor());
    const int ring = Scale(kRingWidth);
    FillPie(painter, rect().adjusted(ring, ring, -ring, -ring), 0, 360, kInnerDiscColour);
}
