#include "ui/hand_img_button.h"

#include <QMouseEvent>

#include "ui/control_math.h"
#include "ui/image_string.h"
#include "ui/internal/attributes.h"

namespace {

TPointUI PointOf(const QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    return TPointUI{at.x(), at.y()};
}

}  // namespace

void CHandImgButtonUI::SetHandImage(const std::string& image) {
    m_handImage = image;
    update();
}

bool CHandImgButtonUI::SetAttribute(const std::string& rawName, const std::string& value) {
    if (tirk::ui::ToLower(rawName) == "handimage") {
        SetHandImage(value);
        return true;
    }
    return CButtonUI::SetAttribute(rawName, value);
}

void CHandImgButtonUI::PaintStatusImage(QPainter& painter) {
    CButtonUI::PaintStatusImage(painter);
    if (!m_handImage.empty()) DrawImage(painter, m_handImage);
}

void CHandImgButtonUI::enterEvent(QEnterEvent* event) {
    // The base button's hover handling is replaced, not extended, so that a
    // layout's notifyhover cannot send the notification twice.
    if (IsEnabled()) {
        SetHot(true);
        SendNotify(notify_type::kMouseEnter);
    }
    QWidget::enterEvent(event);
}

void CHandImgButtonUI::leaveEvent(QEvent* event) {
    SetHot(false);
    if (IsEnabled()) SendNotify(notify_type::kMouseLeave);
    QWidget::leaveEvent(event);
}

TSizeUI CHandImgSelectButtonUI::ControlSize() const {
    return TSizeUI{GetFixedWidth() > 0 ? GetFixedWidth() : width(),
                   GetFixedHeight() > 0 ? GetFixedHeight() : height()};
}

bool CHandImgSelectButtonUI::SetPicture(const std::string& path) {
    m_path = path;
    TSizeUI picture;
    if (!GetImageSize(path, &picture)) return false;
    m_picture = picture;
    const TSizeUI control = ControlSize();
    m_source = TRectUI{0, 0, control.cx, control.cy};
    SetHandImage(tirk::ui::InitialPanImageString(path, picture, control));
    return true;
}

bool CHandImgSelectButtonUI::SetAttribute(const std::string& rawName, const std::string& value) {
    if (tirk::ui::ToLower(rawName) == "handimage") {
        // An unreadable picture is logged by the image cache; the layout
        // still loads, as with any missing skin image.
        SetPicture(value);
        return true;
    }
    return CHandImgButtonUI::SetAttribute(rawName, value);
}

void CHandImgSelectButtonUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = 1;
    if (IsEnabled() && rect().contains(event->position().toPoint())) {
        m_captured = true;
        SetPushed(true);
        m_last = PointOf(event);
    }
    event->accept();
}

void CHandImgSelectButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void CHandImgSelectButtonUI::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && !m_path.empty() && m_picture.cx > 0) {
        const TPointUI now = PointOf(event);
        m_source = tirk::ui::PanSource(m_source, m_picture, m_last, now);
        m_last = now;
        SetHandImage(tirk::ui::SourceImageString(m_path, m_source));
    }
    if (m_captured) SetPushed(rect().contains(event->position().toPoint()));
    event->accept();
}

void CHandImgSelectButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    if (m_captured) {
        m_captured = false;
        SetPushed(false);
    }
    m_dragging = 0;
    event->accept();
}
