// Image buttons of the pages: CHandImgButtonUI draws an extra picture (the
// "hand image") over its status images and always reports the mouse entering
// and leaving; CHandImgSelectButtonUI shows a part of a larger picture that
// the user pans by dragging.
#pragma once

#include <cstdint>
#include <string>

#include "ui/button.h"

class CHandImgButtonUI : public CButtonUI {
public:
    std::string GetClass() const override { return "HandImgButton"; }

    /// The image string drawn over the whole button after its status images.
    void SetHandImage(const std::string& image);
    const std::string& GetHandImage() const { return m_handImage; }

    /// Extra attribute: "handimage" (an image string).
    bool SetAttribute(const std::string& name, const std::string& value) override;

protected:
    void PaintStatusImage(QPainter& painter) override;
    /// On the enabled button: hot, "msenter" (without needing notifyhover).
    void enterEvent(QEnterEvent* event) override;
    /// Clears hot; "msleave" when enabled.
    void leaveEvent(QEvent* event) override;

private:
    std::string m_handImage;
};

class CHandImgSelectButtonUI : public CHandImgButtonUI {
public:
    std::string GetClass() const override { return "HandImgSelectButton"; }

    /// Sets the picture (a file relative to the skin folder unless absolute).
    /// Reads its size; when it cannot be read nothing else changes and false
    /// is returned. Otherwise the shown part starts at the top-left with the
    /// control's size (its fixed width and height when the layout gives
    /// them, else its current size), and the whole picture is shown when it
    /// fits into the control.
    bool SetPicture(const std::string& path);
    const std::string& GetPicturePath() const { return m_path; }
    TSizeUI GetPictureSize() const { return m_picture; }
    /// The part of the picture shown (picture pixels).
    const TRectUI& GetSource() const { return m_source; }
    bool IsDragging() const { return m_dragging != 0; }

    /// "handimage" is a picture path here (see SetPicture); "cursor" is the
    /// control's cursor by name, as for every control.
    bool SetAttribute(const std::string& name, const std::string& value) override;

protected:
    /// Left button down or double-click: dragging; inside the enabled
    /// control it is also pressed and captured.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    /// Pans the shown part while dragging (tirk::ui::PanSource).
    void mouseMoveEvent(QMouseEvent* event) override;
    /// Ends the drag and the capture; the button is not activated.
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TSizeUI ControlSize() const;

    std::string m_path;
    TSizeUI m_picture;
    TRectUI m_source;
    TPointUI m_last;
    uint8_t m_dragging = 0;
    bool m_captured = false;
};
