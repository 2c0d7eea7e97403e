#include "ui/edit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>

#include "ui/internal/attributes.h"

using namespace tirk::ui;

namespace {

// The embedded editor draws no frame or background of its own: the skin
// (bkcolor, bkimage) shows through. Disabled, its text is faded.
QString EditorStyle(const char* type, uint32_t textColor) {
    QColor faded = ToQColor(textColor);
    faded.setAlphaF(faded.alphaF() * 0.35f);
    return QStringLiteral("%1 { border: none; background: transparent; color: %2; }"
                          " %1:disabled { color: %3; }")
        .arg(QLatin1String(type), ToQColor(textColor).name(QColor::HexArgb),
             faded.name(QColor::HexArgb));
}

QRect PaddedRect(const CControlUI& control) {
    const TRectUI& p = control.GetTextPadding();
    return control.rect().adjusted(control.Scale(p.left), control.Scale(p.top),
                                   -control.Scale(p.right), -control.Scale(p.bottom));
}

}  // namespace

CEditUI::CEditUI() {
    m_edit = new QLineEdit(this);
    m_edit->installEventFilter(this);
    setFocusProxy(m_edit);
    QObject::connect(m_edit, &QLineEdit::textEdited, this, [this] {
        if (!m_settingText) SendNotify(notify_type::kTextChanged);
    });
    QObject::connect(m_edit, &QLineEdit::returnPressed, this, [this] {
        ClampToRange();
        SendNotify(notify_type::kReturn);
    });
    ApplyStyle();
}

std::string CEditUI::GetText() const {
    return FromQ(m_edit->text());
}

void CEditUI::OnTextChanged() {
    m_settingText = true;
    m_edit->setText(ToQ(CLabelUI::GetText()));
    m_settingText = false;
}

void CEditUI::SetMaxChar(int maxChars) {
    m_maxChar = std::max(0, maxChars);
    m_edit->setMaxLength(m_maxChar > 0 ? m_maxChar : 32767);
}

void CEditUI::SetNumberOnly(bool on) {
    m_numberOnly = on;
    ApplyValidator();
}

void CEditUI::SetMinValue(int value) {
    m_minValue = value;
}
void CEditUI::SetMaxValue(int value) {
    m_maxValue = value;
}

void CEditUI::SetReadOnly(bool on) {
    m_edit->setReadOnly(on);
}
bool CEditUI::IsReadOnly() const {
    return m_edit->isReadOnly();
}

void CEditUI::SetPasswordMode(bool on) {
    m_edit->setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
}

void CEditUI::SetSel(int start, int end) {
    int length = int(m_edit->text().size());
    start = std::clamp(start, 0, length);
    end = end < 0 ? length : std::clamp(end, start, length);
    m_edit->setSelection(start, end - start);
}

void CEditUI::SetSelAll() {
    m_edit->selectAll();
}

void CEditUI::SetFocus() {
    m_edit->setFocus(Qt::OtherFocusReason);
}

void CEditUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    ApplyStyle();
}

bool CEditUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = ToLower(rawName);
    int number = 0;
    bool on = false;
    if (name == "maxchar" || name == "minvalue" || name == "maxvalue") {
        if (!ParseInt(value, &number)) return false;
        if (name == "maxchar")
            SetMaxChar(number);
        else if (name == "minvalue")
            SetMinValue(number);
        else
            SetMaxValue(number);
    } else if (name == "numberonly" || name == "readonly" || name == "password") {
        if (!ParseBool(value, &on)) return false;
        if (name == "numberonly")
            SetNumberOnly(on);
        else if (name == "readonly")
            SetReadOnly(on);
        else
            SetPasswordMode(on);
    } else if (name == "nativebkcolor") {
        uint32_t colour = 0;
        if (!ParseColor(value, &colour)) return false;
        SetBkColor(colour);
    } else {
        return CLabelUI::SetAttribute(rawName, value);
    }
    return true;
}

void CEditUI::OnDpiOrFontChanged() {
    CLabelUI::OnDpiOrFontChanged();
    ApplyStyle();
    m_edit->setGeometry(PaddedRect(*this));
}

void CEditUI::ApplyStyle() {
    m_edit->setFont(ControlFont());
    m_edit->setStyleSheet(EditorStyle("QLineEdit", GetTextColor()));
    m_edit->setAlignment(Qt::Alignment(GetTextAlign()));
}

void CEditUI::ApplyValidator() {
    static const QRegularExpression kDigits(QStringLiteral("[0-9]*"));
    m_edit->setValidator(m_numberOnly ? new QRegularExpressionValidator(kDigits, m_edit) : nullptr);
}

void CEditUI::ClampToRange() {
    if (!m_numberOnly || m_minValue > m_maxValue || m_edit->text().isEmpty()) return;
    bool ok = false;
    qlonglong number = m_edit->text().toLongLong(&ok);
    qlonglong clamped = ok ? std::clamp<qlonglong>(number, m_minValue, m_maxValue) : m_maxValue;
    if (ok && clamped == number) return;
    m_edit->setText(QString::number(clamped));
    SendNotify(notify_type::kTextChanged);
}

void CEditUI::resizeEvent(QResizeEvent* event) {
    CLabelUI::resizeEvent(event);
    m_edit->setGeometry(PaddedRect(*this));
}

void CEditUI::SetKeyCapture(std::function<void(uint32_t nativeScanCode)> handler) {
    m_keyCapture = std::move(handler);
}

// While capturing, the editor's key events are the handler's alone: a
// shortcut would otherwise take its key before the press arrives, and the
// editor would type it or move the focus (Tab, Backtab).
bool CEditUI::CaptureKeyEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            event->accept();  // the key comes to the edit as a press
            return true;
        case QEvent::KeyPress:
            if (!static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
                // A copy: the handler may end capture while it runs.
                const auto handler = m_keyCapture;
                handler(static_cast<QKeyEvent*>(event)->nativeScanCode());
            }
            return true;
        case QEvent::KeyRelease:
            return true;
        default:
            return false;
    }
}

bool CEditUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && m_keyCapture && CaptureKeyEvent(event)) return true;
    if (watched == m_edit && event->type() == QEvent::FocusIn) SendNotify(notify_type::kSetFocus);
    if (watched == m_edit && event->type() == QEvent::FocusOut) {
        ClampToRange();
        SendNotify(notify_type::kKillFocus);
    }
    return CLabelUI::eventFilter(watched, event);
}

CRichEditUI::CRichEditUI() {
    m_edit = new QPlainTextEdit(this);
    m_edit->installEventFilter(this);
    m_edit->setFrameShape(QFrame::NoFrame);
    setFocusProxy(m_edit);
    QObject::connect(m_edit, &QPlainTextEdit::textChanged, this, [this] { OnUserEdit(); });
    ApplyStyle();
}

std::string CRichEditUI::GetText() const {
    return FromQ(m_edit->toPlainText());
}

void CRichEditUI::OnTextChanged() {
    m_settingText = true;
    m_edit->setPlainText(ToQ(CLabelUI::GetText()));
    m_settingText = false;
}

void CRichEditUI::OnUserEdit() {
    if (m_settingText) return;
    QString text = m_edit->toPlainText();
    if (m_maxChar > 0 && text.size() > m_maxChar) {
        m_settingText = true;
        m_edit->setPlainText(text.left(m_maxChar));
        m_edit->moveCursor(QTextCursor::End);
        m_settingText = false;
    }
    SendNotify(notify_type::kTextChanged);
}

void CRichEditUI::SetReadOnly(bool on) {
    m_edit->setReadOnly(on);
}
bool CRichEditUI::IsReadOnly() const {
    return m_edit->isReadOnly();
}

void CRichEditUI::SetSel(int start, int end) {
    QTextCursor cursor = m_edit->textCursor();
    int length = int(m_edit->toPlainText().size());
    start = std::clamp(start, 0, length);
    end = end < 0 ? length : std::clamp(end, start, length);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    m_edit->setTextCursor(cursor);
}

void CRichEditUI::SetFocus() {
    m_edit->setFocus(Qt::OtherFocusReason);
}

bool CRichEditUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = ToLower(rawName);
    bool on = false;
    if (name == "readonly" || name == "wantreturn") {
        if (!ParseBool(value, &on)) return false;
        name == "readonly" ? SetReadOnly(on) : void(m_wantReturn = on);
    } else if (name == "maxchar") {
        int number = 0;
        if (!ParseInt(value, &number)) return false;
        SetLimitText(number);
    } else {
        return CLabelUI::SetAttribute(rawName, value);
    }
    return true;
}

void CRichEditUI::OnDpiOrFontChanged() {
    CLabelUI::OnDpiOrFontChanged();
    ApplyStyle();
    m_edit->setGeometry(PaddedRect(*this));
}

void CRichEditUI::ApplyStyle() {
    m_edit->setFont(ControlFont());
    m_edit->setStyleSheet(EditorStyle("QPlainTextEdit", GetTextColor()));
}

void CRichEditUI::resizeEvent(QResizeEvent* event) {
    CLabelUI::resizeEvent(event);
    m_edit->setGeometry(PaddedRect(*this));
}

bool CRichEditUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit) {
        if (event->type() == QEvent::FocusIn) SendNotify(notify_type::kSetFocus);
        if (event->type() == QEvent::FocusOut) SendNotify(notify_type::kKillFocus);
        if (event->type() == QEvent::KeyPress && !m_wantReturn) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                SendNotify(notify_type::kReturn);
                return true;
            }
        }
    }
    return CLabelUI::eventFilter(watched, event);
}
