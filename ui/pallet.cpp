#include "ui/pallet.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "ui/internal/attributes.h"

using namespace tirk::ui;

namespace {

constexpr int kMarkerRadius = 6;  // 96 DPI
constexpr uint32_t kFrameColour = 0xFF3A3F4B;

double Fraction(int offset, int length) {
    return length <= 1 ? 0.0 : std::clamp(double(offset) / double(length - 1), 0.0, 1.0);
}

}  // namespace

CPalletUI::CPalletUI() {
    setCursor(Qt::CrossCursor);
}

void CPalletUI::SetColor(uint32_t argb) {
    m_color = argb;
    const QColor colour = ToQColor(argb | 0xFF000000u);
    float hue = 0, saturation = 0, value = 0;
    colour.getHsvF(&hue, &saturation, &value);
    m_value = value;
    if (value > 0) m_saturation = saturation;
    if (value > 0 && saturation > 0 && hue >= 0) m_hue = hue * 360.0;
    update();
}

QRect CPalletUI::SquareRect() const {
    const int strip = Scale(m_hueWidth) + Scale(m_hueGap);
    return QRect(0, 0, std::max(0, width() - strip), height());
}

QRect CPalletUI::HueStripRect() const {
    const int strip = Scale(m_hueWidth);
    return QRect(std::max(0, width() - strip), 0, std::min(strip, width()), height());
}

bool CPalletUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = ToLower(rawName);
    if (name != "huewidth" && name != "huegap") return CControlUI::SetAttribute(rawName, value);
    int number = 0;
    if (!ParseInt(value, &number) || number < 0) return false;
    (name == "huewidth" ? m_hueWidth : m_hueGap) = number;
    update();
    return true;
}

void CPalletUI::PaintStatusImage(QPainter& painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // A field that cannot be used is drawn faded.
    if (!isEnabled()) painter.setOpacity(painter.opacity() * 0.3);
    PaintSquare(painter);
    PaintHueStrip(painter);
    painter.restore();
}

void CPalletUI::PaintSquare(QPainter& painter) const {
    const QRect square = SquareRect();
    if (square.isEmpty()) return;
    painter.fillRect(square, QColor::fromHsvF(float(m_hue / 360.0), 1.0f, 1.0f));
    QLinearGradient white(square.topLeft(), square.topRight());
    white.setColorAt(0, QColor(255, 255, 255, 255));
    white.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillRect(square, white);
    QLinearGradient black(square.topLeft(), square.bottomLeft());
    black.setColorAt(0, QColor(0, 0, 0, 0));
    black.setColorAt(1, QColor(0, 0, 0, 255));
    painter.fillRect(square, black);
    painter.setPen(ToQColor(kFrameColour));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(square).adjusted(0.5, 0.5, -0.5, -0.5));

    const QPointF centre(square.left() + m_saturation * (square.width() - 1),
                         square.top() + (1.0 - m_value) * (square.height() - 1));
    const double radius = Scale(kMarkerRadius);
    painter.setPen(QPen(QColor(0, 0, 0, 160), 3.0));
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(centre, radius, radius);
}

void CPalletUI::PaintHueStrip(QPainter& painter) const {
    const QRect strip = HueStripRect();
    if (strip.isEmpty()) return;
    QLinearGradient hues(strip.topLeft(), strip.bottomLeft());
    for (int i = 0; i <= 6; ++i) hues.setColorAt(i / 6.0, QColor::fromHsvF(i % 6 / 6.0f, 1, 1));
    painter.fillRect(strip, hues);
    painter.setPen(ToQColor(kFrameColour));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(strip).adjusted(0.5, 0.5, -0.5, -0.5));

    const double y = strip.top() + m_hue / 360.0 * (strip.height() - 1);
    const QRectF bar(strip.left() - 1, y - 2.5, strip.width() + 2, 5);
    painter.setPen(QPen(QColor(0, 0, 0, 160), 1.0));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(bar, 2, 2);
}

void CPalletUI::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() != Qt::LeftButton || !IsEnabled()) {
        event->ignore();
        return;
    }
    if (HueStripRect().contains(point))
        m_drag = Drag::kHue;
    else if (SquareRect().contains(point))
        m_drag = Drag::kSquare;
    else
        m_drag = Drag::kNone;
    if (m_drag != Drag::kNone) PickAt(point, kDragging);
    event->accept();
}

void CPalletUI::mouseMoveEvent(QMouseEvent* event) {
    if (m_drag != Drag::kNone) PickAt(event->position().toPoint(), kDragging);
    event->accept();
}

void CPalletUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_drag == Drag::kNone) {
        event->ignore();
        return;
    }
    PickAt(event->position().toPoint(), kFinal);
    m_drag = Drag::kNone;
    event->accept();
}

void CPalletUI::PickAt(const QPoint& point, intptr_t phase) {
    // Positions outside the field while dragging stick to its edge.
    if (m_drag == Drag::kHue) {
        const QRect strip = HueStripRect();
        m_hue = 360.0 * Fraction(point.y() - strip.top(), strip.height());
    } else {
        const QRect square = SquareRect();
        m_saturation = Fraction(point.x() - square.left(), square.width());
        m_value = 1.0 - Fraction(point.y() - square.top(), square.height());
    }
    // The strip's bottom end is red again; the marker stays at the bottom.
    const QColor picked = QColor::fromHsvF(float(std::fmod(m_hue, 360.0) / 360.0),
                                           float(m_saturation), float(m_value));
    m_color = 0xFF000000u | (uint32_t(picked.rgb()) & 0x00FFFFFFu);
    update();
    SendNotify(kNotifyColorChanged, phase);
}
