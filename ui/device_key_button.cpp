#include "ui/device_key_button.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/control_math.h"
#include "ui/internal/attributes.h"

void CDeviceKeyButtonUI::SetLightMark(uint32_t colour, int alpha, bool on) {
    m_lightColor = colour;
    m_lightAlpha = alpha;
    m_lightOn = on ? 1 : 0;
}

void CDeviceKeyButtonUI::SetFlag(int* field, int flag) {
    if (*field == flag) return;
    *field = flag;
    Repaint();
}

void CDeviceKeyButtonUI::SetSetFlag(int flag) {
    SetFlag(&m_setFlag, flag);
}

void CDeviceKeyButtonUI::SetUnsetFlag(int flag) {
    SetFlag(&m_unsetFlag, flag);
}

void CDeviceKeyButtonUI::SetMarkFlag(int flag) {
    SetFlag(&m_markFlag, flag);
}

void CDeviceKeyButtonUI::SetLightImage(const std::string& image) {
    m_lightImage = image;
    update();
}

void CDeviceKeyButtonUI::SetKeySetImage(const std::string& image) {
    m_keySetImage = image;
    update();
}

void CDeviceKeyButtonUI::SetKeyUnsetImage(const std::string& image) {
    m_keyUnsetImage = image;
    update();
}

void CDeviceKeyButtonUI::Repaint() {
    ++m_repaintRequests;
    Invalidate();
}

bool CDeviceKeyButtonUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = tirk::ui::ToLower(rawName);
    if (name == "lightimage")
        SetLightImage(value);
    else if (name == "keysetimage")
        SetKeySetImage(value);
    else if (name == "keyunsetimage")
        SetKeyUnsetImage(value);
    else
        return CButtonUI::SetAttribute(rawName, value);
    return true;
}

void CDeviceKeyButtonUI::PaintStatusImage(QPainter& painter) {
    CButtonUI::PaintStatusImage(painter);
    if (m_lightOn && !m_lightImage.empty())
        DrawImageTinted(painter, m_lightImage, tirk::ui::LightColourToRgb(m_lightColor),
                        m_lightAlpha);
    if (m_unsetFlag == 0 && !m_keyUnsetImage.empty()) DrawImage(painter, m_keyUnsetImage);
    if (m_setFlag == 0 && !m_keySetImage.empty()) DrawImage(painter, m_keySetImage);
}

void CDeviceKeyButtonUI::PaintText(QPainter& painter) {
    if (m_legendShrinkLimit <= 0) {
        CButtonUI::PaintText(painter);
        return;
    }
    const QString legend = tirk::ui::ToQ(GetText());
    if (legend.isEmpty()) return;
    const TRectUI& padding = GetTextPadding();
    const QRect area = rect().adjusted(Scale(padding.left), Scale(padding.top),
                                       -Scale(padding.right), -Scale(padding.bottom));
    const QFont font = ControlFont();
    // A lit picture is drawn many times a second: the fitted legend is
    // measured once per text, font and width.
    if (legend != m_fitted.legend || font != m_fitted.base || area.width() != m_fitted.width)
        FitLegend(legend, font, area.width());
    painter.setFont(m_fitted.font);
    painter.setPen(tirk::ui::ToQColor(CurrentTextColor()));
    painter.drawStaticText(LegendOrigin(area, m_fitted.shown.size()), m_fitted.shown);
}

// Where the laid-out legend of `size` starts in `area`, by the text alignment.
QPointF CDeviceKeyButtonUI::LegendOrigin(const QRect& area, const QSizeF& size) const {
    const int align = GetTextAlign();
    qreal x = area.left();
    if (align & Qt::AlignHCenter) x += (area.width() - size.width()) / 2;
    if (align & Qt::AlignRight) x += area.width() - size.width();
    qreal y = area.top();
    if (align & Qt::AlignVCenter) y += (area.height() - size.height()) / 2;
    if (align & Qt::AlignBottom) y += area.height() - size.height();
    return {x, y};
}

void CDeviceKeyButtonUI::FitLegend(const QString& legend, const QFont& base, int width) {
    QFont font = base;
    const int smallest = std::max(1, Scale(m_legendShrinkLimit));
    // Fractional widths: the eliding measures them, and a legend rounded
    // down to fit would still be cut.
    while (font.pixelSize() > smallest && QFontMetricsF(font).horizontalAdvance(legend) > width)
        font.setPixelSize(font.pixelSize() - 1);
    QStaticText shown(QFontMetricsF(font).elidedText(legend, Qt::ElideRight, width));
    shown.setTextFormat(Qt::PlainText);
    shown.prepare(QTransform(), font);
    m_fitted = {legend, base, width, font, shown};
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !IsEnabled() ||
        !rect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    mousePressEvent(event);
    SendNotify(notify_type::kDoubleClick);
    Repaint();
}
