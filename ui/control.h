// CControlUI: the base of every control of the UI layer. A control is a Qt
// widget that carries the state the pages work with (name, text
// or text key, colours, image strings, user data, layout sizes at 96 DPI) and
// sends notifications to its window's paint manager.
#pragma once

#include <QFont>
#include <QWidget>
#include <cstdint>
#include <map>
#include <string>

#include "ui/ui_base.h"

class QPainter;
class CContainerUI;
class CPaintManagerUI;

class CControlUI : public QWidget {
public:
    CControlUI();
    ~CControlUI() override;

    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    /// The class text of the control: the layout element name ("Button",
    /// "Label", …). Custom controls return their own ("DeviceKeyButton").
    virtual std::string GetClass() const { return "Control"; }

    // --- identity and text -------------------------------------------------
    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name);

    /// The shown text (for a keyed text: the current language's text).
    virtual std::string GetText() const;
    /// Sets the text. A text of the form "%[key]" makes the control keyed (as
    /// SetTextKey(key)); any other text is shown as it is and drops the key.
    virtual void SetText(const std::string& text);
    /// The language key of the text, empty when the text is plain.
    const std::string& GetTextKey() const { return m_textKey; }
    /// Shows CResourceManager::GetText(key) and keeps showing the current
    /// language's text for this key after every LoadLanguage. Empty key:
    /// the text becomes plain (unchanged).
    void SetTextKey(const std::string& key);
    /// Re-reads a keyed text and tooltip from the resource manager (called on
    /// language change; does nothing for plain texts).
    virtual void ReloadText();

    const std::string& GetToolTip() const { return m_toolTip; }
    /// Tooltip text; "%[key]" is keyed like SetText.
    void SetToolTip(const std::string& text);

    const std::string& GetUserData() const { return m_userData; }
    void SetUserData(const std::string& data) { m_userData = data; }

    // --- visibility and state ----------------------------------------------
    /// The control's own flag (a visible control inside a hidden parent is
    /// still "visible" here, as the pages expect).
    bool IsVisible() const;
    /// Shows or hides the control and re-lays out its parent container.
    void SetVisible(bool visible = true);
    /// The control's own flag, regardless of its parents.
    bool IsEnabled() const;
    virtual void SetEnabled(bool enabled = true);
    /// false: mouse events pass through to the control below / the parent.
    void SetMouseEnabled(bool enabled);
    bool IsMouseEnabled() const;
    /// true: the control sends "menu" on a context-menu request.
    void SetContextMenuUsed(bool used) { m_menuUsed = used; }
    /// true: the control sends "msenter" / "msleave" when the mouse enters or
    /// leaves it while enabled.
    void SetNotifyHover(bool on) { m_notifyHover = on; }
    /// true: option groups below this control are its own. Several device
    /// pages in one window each keep their own selection in groups of the
    /// same name. Layouts set it with groupscope="true".
    void SetGroupScope(bool on) { m_groupScope = on; }
    bool IsGroupScope() const { return m_groupScope; }

    // --- appearance ----------------------------------------------------------
    uint32_t GetBkColor() const { return m_bkColor; }
    /// 0xAARRGGBB; 0 (fully transparent) paints nothing.
    void SetBkColor(uint32_t argb);
    const std::string& GetBkImage() const { return m_bkImage; }
    /// An image string (see image_string.h), drawn over the background colour.
    void SetBkImage(const std::string& image);
    const std::string& GetForeImage() const { return m_foreImage; }
    /// An image string drawn over everything else the control paints.
    void SetForeImage(const std::string& image);
    uint32_t GetBorderColor() const { return m_borderColor; }
    void SetBorderColor(uint32_t argb);
    /// Border width in pixels at 96 DPI; 0 draws no border.
    void SetBorderSize(int size);
    /// Font id of the resource manager; -1 = the default font.
    int GetFont() const { return m_font; }
    void SetFont(int id);
    uint32_t GetTextColor() const { return m_textColor; }
    void SetTextColor(uint32_t argb);
    /// Text alignment as Qt::Alignment flags (the loader reads "align").
    int GetTextAlign() const { return m_textAlign; }
    void SetTextAlign(int qtAlignment);
    /// Inner margins of the text at 96 DPI.
    const TRectUI& GetTextPadding() const { return m_textPadding; }
    void SetTextPadding(const TRectUI& padding);

    // --- layout (all lengths at 96 DPI; the layout scales by the window DPI) --
    /// Fixed width/height; 0 = take the share the parent layout gives.
    int GetFixedWidth() const { return m_fixedWidth; }
    void SetFixedWidth(int width);
    int GetFixedHeight() const { return m_fixedHeight; }
    void SetFixedHeight(int height);
    int GetMinWidth() const { return m_minWidth; }
    void SetMinWidth(int width);
    int GetMaxWidth() const { return m_maxWidth; }
    void SetMaxWidth(int width);
    int GetMinHeight() const { return m_minHeight; }
    void SetMinHeight(int height);
    int GetMaxHeight() const { return m_maxHeight; }
    void SetMaxHeight(int height);
    /// Outer margins inside the parent layout.
    const TRectUI& GetPadding() const { return m_padding; }
    void SetPadding(const TRectUI& padding);
    /// A floating control is placed at GetFloatPos() inside its parent and
    /// takes no part in the parent's row/column layout.
    bool IsFloat() const { return m_float; }
    void SetFloat(bool isFloat);
    /// The "pos" rectangle relative to the parent's top-left (96 DPI).
    const TRectUI& GetFloatPos() const { return m_floatPos; }
    void SetFloatPos(const TRectUI& pos);
    /// The control's current rectangle in window client coordinates (pixels).
    TRectUI GetPos() const;
    /// The control's current rectangle on the screen (pixels), as the input
    /// hook reports cursor positions.
    TRectUI GetScreenRect() const;
    /// Asks the parent container to lay its children out again and repaints.
    void NeedParentUpdate();
    /// Lays this control's own children out again (containers) and repaints.
    virtual void NeedUpdate();
    /// Schedules a repaint.
    void Invalidate();

    // --- attributes --------------------------------------------------------
    /// Applies one layout attribute. Returns false when the value is
    /// malformed (the control is unchanged); unknown names are accepted and
    /// logged, so that a layout may carry attributes for a later version.
    /// Subclasses handle their own names and pass the rest to their base.
    virtual bool SetAttribute(const std::string& name, const std::string& value);
    /// Applies a list such as `text="A" width="20"` (single or double quotes).
    /// Returns false at the first malformed entry or value.
    bool ApplyAttributeList(const std::string& list);

    // --- timers and notifications ------------------------------------------
    /// Starts (or restarts) timer `id` with period `ms`; every period the
    /// control's OnTimer runs, which by default sends "timer" with wParam = id.
    /// Returns false for ms <= 0.
    bool SetTimer(int id, int ms);
    /// Stops timer `id`; unknown ids are ignored.
    void KillTimer(int id);
    /// Stops every timer of this control.
    void KillAllTimers();
    /// Sends a notification from this control through GetManager(); does
    /// nothing when the control is in no window.
    void SendNotify(const std::string& type, intptr_t wParam = 0, intptr_t lParam = 0);

    /// The paint manager of the window the control is in (found through the
    /// widget parents); nullptr while the control is in no window.
    CPaintManagerUI* GetManager() const;
    /// The nearest CControlUI above this one; nullptr for a window's root.
    CControlUI* GetParent() const;
    /// Scales a 96-DPI length by the window's DPI (unscaled outside a window).
    int Scale(int value) const;

    /// Called once, when the control first becomes part of a tree: the first
    /// Add/AddAt into a container, or when it becomes a window's root.
    /// Custom controls build their content here (GetManager() is set when
    /// the tree is already in a window).
    virtual void DoInit() {}
    /// Internal: runs DoInit once.
    void InitOnce();

    /// Called when the window DPI or the fonts change: re-applies fonts to
    /// embedded Qt widgets. Subclasses with such widgets extend it.
    virtual void OnDpiOrFontChanged();

protected:
    /// Timer hook; the default sends "timer" with wParam = id.
    virtual void OnTimer(int id);

    /// Painting in fixed steps (the Paint* hooks below); subclasses override
    /// the steps they change.
    virtual void DoPaint(QPainter& painter);
    virtual void PaintBkColor(QPainter& painter);
    virtual void PaintBkImage(QPainter& painter);
    virtual void PaintStatusImage(QPainter& painter);
    virtual void PaintText(QPainter& painter);
    virtual void PaintBorder(QPainter& painter);
    virtual void PaintForeImage(QPainter& painter);

    /// Draws an image string into `dest` (control coordinates; the whole
    /// control when dest is empty, or the string's own dest='…' inside it).
    /// Returns false when the string is malformed or the file cannot be read.
    bool DrawImage(QPainter& painter, const std::string& image, const TRectUI& dest = {});
    /// As DrawImage, with the picture's colour replaced by `rgb` (0xRRGGBB)
    /// and drawn at opacity alpha/255 — a tinted light mark.
    bool DrawImageTinted(QPainter& painter, const std::string& image, uint32_t rgb, int alpha,
                         const TRectUI& dest = {});
    /// Draws `text` with the control's font, colour, alignment and padding;
    /// `wordBreak` wraps lines, `endEllipsis` cuts a too long line with "…".
    void DrawText(QPainter& painter, const std::string& text, uint32_t argb, bool wordBreak = false,
                  bool endEllipsis = false);
    /// The control's font (resource manager id, scaled to the window DPI).
    QFont ControlFont() const;

    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

    /// Re-applies the (keyed) tooltip to the widget.
    void ApplyToolTip();
    /// Subclasses that show the text in an embedded widget mirror it here.
    virtual void OnTextChanged() {}

private:
    /// GetManager's last answer and the binding epoch it holds for: painting
    /// asks for the manager many times a frame, and the walk up the parents
    /// reads a dynamic property at every level.
    mutable CPaintManagerUI* m_cachedManager = nullptr;
    mutable uint64_t m_cachedManagerEpoch = 0;
    std::string m_name;
    std::string m_text;
    std::string m_textKey;
    std::string m_toolTip;
    std::string m_toolTipKey;
    std::string m_userData;
    std::string m_bkImage;
    std::string m_foreImage;
    uint32_t m_bkColor = 0;
    uint32_t m_borderColor = 0;
    int m_borderSize = 0;
    int m_font = -1;
    uint32_t m_textColor = 0xFF000000;
    int m_textAlign = 0;
    TRectUI m_textPadding;
    int m_fixedWidth = 0;
    int m_fixedHeight = 0;
    int m_minWidth = 0;
    int m_maxWidth = 0;
    int m_minHeight = 0;
    int m_maxHeight = 0;
    TRectUI m_padding;
    TRectUI m_floatPos;
    bool m_float = false;
    bool m_menuUsed = false;
    bool m_groupScope = false;
    bool m_notifyHover = false;
    bool m_initialised = false;
    bool m_visible = true;
    std::map<int, int> m_timers;  // our id -> Qt timer id
};
