#include "ui/slider.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "ui/internal/attributes.h"

using namespace tirk::ui;

CProgressUI::CProgressUI() {
    SetTextAlign(Qt::AlignHCenter | Qt::AlignVCenter);
}

void CProgressUI::SetMinValue(int min) {
    if (min > m_max) return;
    m_min = min;
    SetValue(m_value);
}

void CProgressUI::SetMaxValue(int max) {
    if (max < m_min) return;
    m_max = max;
    SetValue(m_value);
}

void CProgressUI::SetValue(int value) {
    m_value = std::clamp(value, m_min, m_max);
    update();
}

void CProgressUI::SetHorizontal(bool horizontal) {
    m_horizontal = horizontal;
    update();
}

void CProgressUI::SetForeColor(uint32_t argb) {
    m_foreColor = argb;
    update();
}

double CProgressUI::Fraction() const {
    return m_max > m_min ? double(m_value - m_min) / (m_max - m_min) : 0.0;
}

bool CProgressUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = ToLower(rawName);
    int number = 0;
    if (name == "min" || name == "max" || name == "value") {
        if (!ParseInt(value, &number)) return false;
        if (name == "min")
            SetMinValue(number);
        else if (name == "max")
            SetMaxValue(number);
        else
            SetValue(number);
    } else if (name == "hor") {
        bool on = true;
        if (!ParseBool(value, &on)) return false;
        SetHorizontal(on);
    } else if (name == "forecolor") {
        uint32_t colour = 0;
        if (!ParseColor(value, &colour)) return false;
        SetForeColor(colour);
    } else {
        return CLabelUI::SetAttribute(rawName, value);
    }
    return true;
}

void CProgressUI::PaintStatusImage(QPainter& painter) {
    QRect filled = rect();
    if (m_horizontal) {
        filled.setWidth(int(std::lround(width() * Fraction())));
    } else {
        int height = int(std::lround(this->height() * Fraction()));
        filled.setTop(rect().bottom() + 1 - height);
    }
    if (filled.isEmpty()) return;
    painter.save();
    painter.setClipRect(filled);
    if (!GetForeImage().empty())
        DrawImage(painter, GetForeImage());
    else if (m_foreColor >> 24)
        painter.fillRect(filled, ToQColor(m_foreColor));
    painter.restore();
}

CSliderUI::CSliderUI() {
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);  // the thumb's hot image follows the mouse
}

void CSliderUI::SetChangeStep(int step) {
    m_step = std::max(1, step);
}

void CSliderUI::SetThumbSize(TSizeUI size) {
    m_thumbSize = size;
    update();
}

bool CSliderUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = ToLower(rawName);
    if (name == "step") {
        int step = 0;
        if (!ParseInt(value, &step) || step < 1) return false;
        SetChangeStep(step);
    } else if (name == "thumbsize") {
        TSizeUI size;
        if (!ParseSize(value, &size) || size.cx < 0 || size.cy < 0) return false;
        SetThumbSize(size);
    } else if (name == "thumbimage")
        SetThumbImage(value);
    else if (name == "thumbhotimage")
        SetThumbHotImage(value);
    else if (name == "thumbpushedimage")
        SetThumbPushedImage(value);
    else if (name == "thumbcolor") {
        if (!ParseColor(value, &m_thumbColor)) return false;
    } else if (name == "sendmove") {
        bool on = true;
        if (!ParseBool(value, &on)) return false;
        SetCanSendMove(on);
    } else {
        return CProgressUI::SetAttribute(rawName, value);
    }
    return true;
}

QRect CSliderUI::ThumbRect() const {
    int thumbWidth = std::min(Scale(m_thumbSize.cx), width());
    int thumbHeight = std::min(Scale(m_thumbSize.cy), height());
    if (IsHorizontal()) {
        int x = int(std::lround((width() - thumbWidth) * Fraction()));
        return QRect(x, (height() - thumbHeight) / 2, thumbWidth, thumbHeight);
    }
    int y = height() - thumbHeight - int(std::lround((height() - thumbHeight) * Fraction()));
    return QRect((width() - thumbWidth) / 2, y, thumbWidth, thumbHeight);
}

int CSliderUI::ValueAt(const QPoint& point) const {
    double fraction = 0.0;
    if (IsHorizontal()) {
        int thumb = std::min(Scale(m_thumbSize.cx), width());
        int track = width() - thumb;
        fraction = track > 0 ? double(point.x() - thumb / 2) / track : 0.0;
    } else {
        int thumb = std::min(Scale(m_thumbSize.cy), height());
        int track = height() - thumb;
        fraction = track > 0 ? double(height() - thumb / 2 - point.y()) / track : 0.0;
    }
    fraction = std::clamp(fraction, 0.0, 1.0);
    return GetMinValue() + int(std::lround(fraction * (GetMaxValue() - GetMinValue())));
}

void CSliderUI::PaintStatusImage(QPainter& painter) {
    // A slider that cannot be used shows its value and thumb faded.
    painter.save();
    if (!isEnabled()) painter.setOpacity(painter.opacity() * 0.3);
    CProgressUI::PaintStatusImage(painter);
    QRect thumb = ThumbRect();
    TRectUI dest{thumb.left(), thumb.top(), thumb.right() + 1, thumb.bottom() + 1};
    const std::string* image = &m_thumbImage;
    if (m_dragging && !m_thumbPushedImage.empty())
        image = &m_thumbPushedImage;
    else if (underMouse() && !m_thumbHotImage.empty())
        image = &m_thumbHotImage;
    if (!image->empty())
        DrawImage(painter, *image, dest);
    else if (m_thumbColor >> 24)
        painter.fillRect(thumb, ToQColor(m_thumbColor));
    painter.restore();
}

void CSliderUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !IsEnabled()) {
        event->ignore();
        return;
    }
    m_dragging = true;
    SetValue(ValueAt(event->position().toPoint()));
    event->accept();
}

void CSliderUI::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging) {
        event->ignore();
        return;
    }
    int value = ValueAt(event->position().toPoint());
    if (value != GetValue()) {
        SetValue(value);
        if (m_sendMove) SendNotify(notify_type::kMoveValueChanged);
    }
    event->accept();
}

void CSliderUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_dragging) {
        event->ignore();
        return;
    }
    m_dragging = false;
    SetValue(ValueAt(event->position().toPoint()));
    event->accept();
    SendNotify(notify_type::kValueChanged);
}

void CSliderUI::wheelEvent(QWheelEvent* event) {
    int steps = event->angleDelta().y() / 120;
    if (!IsEnabled() || steps == 0) {
        event->ignore();
        return;
    }
    SetValue(GetValue() + steps * m_step);
    event->accept();
    SendNotify(notify_type::kValueChanged);
}
