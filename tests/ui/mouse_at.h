// Mouse events at exact widget positions. QTest's helpers read the point
// (0, 0) as "the widget's centre", but a colour field's corner is a real
// place to click.
#pragma once

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace tirk::ui::test {

inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint point,
                      Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent event(type, point, widget->mapToGlobal(point),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
inline void PressAt(QWidget* widget, QPoint point) {
    SendMouse(widget, QEvent::MouseButtonPress, point);
}
inline void MoveTo(QWidget* widget, QPoint point) {
    SendMouse(widget, QEvent::MouseMove, point);
}
inline void ReleaseAt(QWidget* widget, QPoint point) {
    SendMouse(widget, QEvent::MouseButtonRelease, point);
}
inline void ClickAt(QWidget* widget, QPoint point) {
    PressAt(widget, point);
    ReleaseAt(widget, point);
}

}  // namespace tirk::ui::test
