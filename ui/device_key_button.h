// CDeviceKeyButtonUI: one key or lighting zone on a device picture. Besides
// the button's own status images it shows the key's light (a picture tinted
// with the light colour) and its assignment marks; the device objects drive
// these, the selection panel its selected flag.
#pragma once

#include <QFont>
#include <QStaticText>
#include <QString>

#include <cstdint>
#include <string>

#include "ui/button.h"

class CDeviceKeyButtonUI : public CButtonUI {
public:
    std::string GetClass() const override { return "DeviceKeyButton"; }

    /// Stores the light mark without repainting (the caller repaints once
    /// for a whole page). `colour` is packed red | blue << 8 | green << 16
    /// (white 0xFFFFFF); `alpha` 0..255 is the light's opacity; `on` shows
    /// the light image at all.
    void SetLightMark(uint32_t colour, int alpha, bool on);
    uint32_t GetLightColor() const { return m_lightColor; }
    int GetLightAlpha() const { return m_lightAlpha; }
    bool IsLightOn() const { return m_lightOn != 0; }

    /// Assignment marks. Each setter stores the flag and repaints, only when
    /// the value changes. A set flag of 0 shows the key-set image, an unset
    /// flag of 0 the key-unset image; the mark flag is kept for the device
    /// pages.
    void SetSetFlag(int flag);
    void SetUnsetFlag(int flag);
    void SetMarkFlag(int flag);
    int GetSetFlag() const { return m_setFlag; }
    int GetUnsetFlag() const { return m_unsetFlag; }
    int GetMarkFlag() const { return m_markFlag; }

    /// The selection panel's mark; stored without repainting.
    void SetSelected(bool selected) { m_selected = selected ? 1 : 0; }
    bool IsSelected() const { return m_selected != 0; }

    void SetLightImage(const std::string& image);
    void SetKeySetImage(const std::string& image);
    void SetKeyUnsetImage(const std::string& image);
    const std::string& GetLightImage() const { return m_lightImage; }
    const std::string& GetKeySetImage() const { return m_keySetImage; }
    const std::string& GetKeyUnsetImage() const { return m_keyUnsetImage; }

    /// A legend wider than the button's text area is drawn smaller, one
    /// pixel at a time down to `minPixelSize` (96 DPI), on one line, and cut
    /// with "…" when even that is too wide. 0 (the default) draws the text as
    /// every button does. For pictures whose keys are too small for some
    /// languages' legends at the font's own size.
    void SetLegendShrinkLimit(int minPixelSize) {
        m_legendShrinkLimit = minPixelSize;
        update();
    }
    int GetLegendShrinkLimit() const { return m_legendShrinkLimit; }

    /// How many repaints the button itself asked for so far (the mark
    /// setters and the double-click); lets a caller check that unchanged
    /// values cost no repaint.
    int GetRepaintRequests() const { return m_repaintRequests; }

    /// Extra attributes: "lightimage", "keysetimage", "keyunsetimage".
    bool SetAttribute(const std::string& name, const std::string& value) override;

protected:
    /// The status images, then the tinted light image (light flag set), the
    /// key-unset image (unset flag 0) and the key-set image (set flag 0),
    /// each over the whole button.
    void PaintStatusImage(QPainter& painter) override;
    /// With a shrink limit: the legend shrunk to fit (see SetLegendShrinkLimit).
    void PaintText(QPainter& painter) override;
    /// A left double-click on the enabled button presses it as a button
    /// press does and sends "dbclick".
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Repaint();
    void SetFlag(int* field, int flag);

    std::string m_lightImage;
    std::string m_keySetImage;
    std::string m_keyUnsetImage;
    uint8_t m_lightOn = 0;
    uint32_t m_lightColor = 255;
    int m_lightAlpha = 200;
    int m_setFlag = 1;
    int m_unsetFlag = 1;
    int m_markFlag = 0;
    int m_selected = 0;
    int m_repaintRequests = 0;
    int m_legendShrinkLimit = 0;
    /// The legend as last fitted to the key: for the text, base font and
    /// width it was fitted to, the font it is drawn in and its shown text.
    struct FittedLegend {
        QString legend;
        QFont base;
        int width = -1;
        QFont font;
        QStaticText shown;  ///< laid out once, drawn at every paint
    };
    QPointF LegendOrigin(const QRect& area, const QSizeF& size) const;
    void FitLegend(const QString& legend, const QFont& base, int width);
    FittedLegend m_fitted;
};
