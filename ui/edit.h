// Text entry: the one-line edit and the multi-line rich edit. Both embed a
// Qt editor that fills the control (inside the text padding).
#pragma once

#include <cstdint>
#include <functional>

#include "ui/label.h"

class QLineEdit;
class QPlainTextEdit;

/// One-line edit. Sends "textchanged" when the user changes the text (not
/// for SetText), "return" on Enter, "setfocus" / "killfocus" when it gains
/// or loses the keyboard focus.
class CEditUI : public CLabelUI {
public:
    CEditUI();
    std::string GetClass() const override { return "Edit"; }

    std::string GetText() const override;

    /// Maximum number of characters; 0 = no limit. Longer text is cut.
    void SetMaxChar(int maxChars);
    int GetMaxChar() const { return m_maxChar; }
    /// Accepts only the digits 0-9 from the user.
    void SetNumberOnly(bool on);
    bool IsNumberOnly() const { return m_numberOnly; }
    /// Numeric range for a number-only edit: when the edit loses the focus or
    /// Enter is pressed, a number outside [min, max] is replaced by the
    /// nearest bound (before "killfocus"/"return" is sent; "textchanged"
    /// follows when the text changed). min > max disables the range.
    void SetMinValue(int value);
    void SetMaxValue(int value);
    int GetMinValue() const { return m_minValue; }
    int GetMaxValue() const { return m_maxValue; }
    void SetReadOnly(bool on);
    bool IsReadOnly() const;
    void SetPasswordMode(bool on);
    /// Selects characters [start, end); end = -1 selects to the end.
    void SetSel(int start, int end);
    void SetSelAll();
    /// Gives the edit the keyboard focus.
    void SetFocus();
    /// Key capture: while a handler is set, each key pressed in the edit goes
    /// to it with the key's native scan code (on X11 the X keycode) and
    /// nowhere else: nothing is typed, Tab and Esc leave the focus where it
    /// is and no shortcut of the window fires. A held key is reported once.
    /// An empty handler ends capture.
    void SetKeyCapture(std::function<void(uint32_t nativeScanCode)> handler);

    /// Extra attributes: "maxchar", "numberonly", "minvalue", "maxvalue",
    /// "readonly", "password", "nativebkcolor".
    bool SetAttribute(const std::string& name, const std::string& value) override;
    void SetEnabled(bool enabled = true) override;
    void OnDpiOrFontChanged() override;

protected:
    void PaintText(QPainter&) override {}
    void OnTextChanged() override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyValidator();
    void ClampToRange();
    void ApplyStyle();
    bool CaptureKeyEvent(QEvent* event);

    QLineEdit* m_edit = nullptr;
    std::function<void(uint32_t)> m_keyCapture;
    int m_maxChar = 0;
    bool m_numberOnly = false;
    int m_minValue = 0;
    int m_maxValue = -1;
    bool m_settingText = false;
};

/// Multi-line plain-text edit; the same notifications as CEditUI except
/// "return" (Enter inserts a line unless "wantreturn" is false, then it
/// sends "return").
class CRichEditUI : public CLabelUI {
public:
    CRichEditUI();
    std::string GetClass() const override { return "RichEdit"; }

    std::string GetText() const override;
    void SetReadOnly(bool on);
    bool IsReadOnly() const;
    /// Maximum number of characters; 0 = no limit.
    void SetLimitText(int maxChars) { m_maxChar = maxChars; }
    /// Selects characters [start, end); end = -1 selects to the end.
    void SetSel(int start, int end);
    void SetFocus();
    /// Extra attributes: "readonly", "maxchar", "wantreturn".
    bool SetAttribute(const std::string& name, const std::string& value) override;
    void OnDpiOrFontChanged() override;

protected:
    void PaintText(QPainter&) override {}
    void OnTextChanged() override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyStyle();
    void OnUserEdit();

    QPlainTextEdit* m_edit = nullptr;
    int m_maxChar = 0;
    bool m_wantReturn = true;
    bool m_settingText = false;
};
