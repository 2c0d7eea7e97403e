#include "ui/control.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QPainter>
#include <QTimerEvent>

#include "core/log.h"
#include "ui/container.h"
#include "ui/internal/attributes.h"
#include "ui/internal/image_draw.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

using namespace tirk::ui;

namespace {

// "%[key]" → key; anything else → nullopt.
std::optional<std::string> KeyOf(const std::string& text) {
    if (text.size() >= 3 && text.compare(0, 2, "%[") == 0 && text.back() == ']')
        return text.substr(2, text.size() - 3);
    return std::nullopt;
}

bool CursorByName(const std::string& name, Qt::CursorShape* shape) {
    static const std::map<std::string, Qt::CursorShape> kCursors = {
        {"arrow", Qt::ArrowCursor},        {"ibeam", Qt::IBeamCursor},
        {"wait", Qt::WaitCursor},          {"cross", Qt::CrossCursor},
        {"uparrow", Qt::UpArrowCursor},    {"size", Qt::SizeAllCursor},
        {"icon", Qt::ArrowCursor},         {"sizenwse", Qt::SizeFDiagCursor},
        {"sizenesw", Qt::SizeBDiagCursor}, {"sizewe", Qt::SizeHorCursor},
        {"sizens", Qt::SizeVerCursor},     {"sizeall", Qt::SizeAllCursor},
        {"no", Qt::ForbiddenCursor},       {"hand", Qt::PointingHandCursor}};
    auto found = kCursors.find(ToLower(name));
    if (found == kCursors.end()) return false;
    *shape = found->second;
    return true;
}

}  // namespace

CControlUI::CControlUI() {
    m_textAlign = Qt::AlignLeft | Qt::AlignVCenter;
}

CControlUI::~CControlUI() {
    CResourceManager::GetInstance()->UnregisterKeyedControl(this);
}

void CControlUI::SetName(const std::string& name) {
    m_name = name;
    setObjectName(ToQ(name));
}

std::string CControlUI::GetText() const {
    return m_text;
}

void CControlUI::SetText(const std::string& text) {
    if (auto key = KeyOf(text)) {
        SetTextKey(*key);
        return;
    }
    m_textKey.clear();
    if (m_toolTipKey.empty()) CResourceManager::GetInstance()->UnregisterKeyedControl(this);
    m_text = text;
    OnTextChanged();
    update();
}

void CControlUI::SetTextKey(const std::string& key) {
    if (key.empty()) {
        m_textKey.clear();
        return;
    }
    m_textKey = key;
    CResourceManager::GetInstance()->RegisterKeyedControl(this);
    m_text = CResourceManager::GetInstance()->GetText(key);
    OnTextChanged();
    update();
}

void CControlUI::ReloadText() {
    if (!m_textKey.empty()) {
        m_text = CResourceManager::GetInstance()->GetText(m_textKey);
        OnTextChanged();
        update();
    }
    if (!m_toolTipKey.empty()) ApplyToolTip();
}

void CControlUI::SetToolTip(const std::string& text) {
    if (auto key = KeyOf(text)) {
        m_toolTipKey = *key;
        CResourceManager::GetInstance()->RegisterKeyedControl(this);
    } else {
        m_toolTipKey.clear();
        m_toolTip = text;
    }
    ApplyToolTip();
}

void CControlUI::ApplyToolTip() {
    if (!m_toolTipKey.empty()) m_toolTip = CResourceManager::GetInstance()->GetText(m_toolTipKey);
    setToolTip(ToQ(m_toolTip));
}

bool CControlUI::IsVisible() const {
    return m_visible;
}

void CControlUI::SetVisible(bool visible) {
    if (m_visible == visible && (!parentWidget() || isHidden() == !visible)) return;
    m_visible = visible;
    // A control without a parent would become a top-level window if shown;
    // it takes its flag into account when it is added to a container.
    if (parentWidget()) QWidget::setVisible(visible);
    NeedParentUpdate();
}

bool CControlUI::IsEnabled() const {
    return !testAttribute(Qt::WA_ForceDisabled);
}

void CControlUI::SetEnabled(bool enabled) {
    QWidget::setEnabled(enabled);
    update();
}

void CControlUI::SetMouseEnabled(bool enabled) {
    setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
}

bool CControlUI::IsMouseEnabled() const {
    return !testAttribute(Qt::WA_TransparentForMouseEvents);
}

void CControlUI::SetBkColor(uint32_t argb) {
    m_bkColor = argb;
    update();
}

void CControlUI::SetBkImage(const std::string& image) {
    m_bkImage = image;
    update();
}

void CControlUI::SetForeImage(const std::string& image) {
    m_foreImage = image;
    update();
}

void CControlUI::SetBorderColor(uint32_t argb) {
    m_borderColor = argb;
    update();
}

void CControlUI::SetBorderSize(int size) {
    m_borderSize = std::max(0, size);
    update();
}

void CControlUI::SetFont(int id) {
    m_font = id;
    OnDpiOrFontChanged();
    update();
}

void CControlUI::SetTextColor(uint32_t argb) {
    m_textColor = argb;
    OnDpiOrFontChanged();
    update();
}

void CControlUI::SetTextAlign(int qtAlignment) {
    m_textAlign = qtAlignment;
    OnDpiOrFontChanged();
    update();
}

void CControlUI::SetTextPadding(const TRectUI& padding) {
    m_textPadding = padding;
    OnDpiOrFontChanged();
    update();
}

void CControlUI::SetFixedWidth(int width) {
    m_fixedWidth = std::max(0, width);
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int height) {
    m_fixedHeight = std::max(0, height);
    NeedParentUpdate();
}

void CControlUI::SetMinWidth(int width) {
    m_minWidth = std::max(0, width);
    NeedParentUpdate();
}

void CControlUI::SetMaxWidth(int width) {
    m_maxWidth = std::max(0, width);
    NeedParentUpdate();
}

void CControlUI::SetMinHeight(int height) {
    m_minHeight = std::max(0, height);
    NeedParentUpdate();
}

void CControlUI::SetMaxHeight(int height) {
    m_maxHeight = std::max(0, height);
    NeedParentUpdate();
}

void CControlUI::SetPadding(const TRectUI& padding) {
    m_padding = padding;
    NeedParentUpdate();
}

void CControlUI::SetFloat(bool isFloat) {
    m_float = isFloat;
    NeedParentUpdate();
}

void CControlUI::SetFloatPos(const TRectUI& pos) {
    m_floatPos = pos;
    NeedParentUpdate();
}

TRectUI CControlUI::GetPos() const {
    QPoint topLeft = mapTo(window(), QPoint(0, 0));
    return TRectUI{topLeft.x(), topLeft.y(), topLeft.x() + width(), topLeft.y() + height()};
}

TRectUI CControlUI::GetScreenRect() const {
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    return TRectUI{topLeft.x(), topLeft.y(), topLeft.x() + width(), topLeft.y() + height()};
}

void CControlUI::NeedParentUpdate() {
    if (auto* parent = dynamic_cast<CContainerUI*>(parentWidget())) parent->NeedUpdate();
    update();
}

void CControlUI::NeedUpdate() {
    update();
}

void CControlUI::Invalidate() {
    update();
}

bool CControlUI::ApplyAttributeList(const std::string& list) {
    AttributeList pairs;
    std::string error;
    if (!ParseAttributeList(list, &pairs, &error)) return false;
    for (const auto& [name, value] : pairs) {
        if (!SetAttribute(name, value)) return false;
    }
    return true;
}

bool CControlUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = ToLower(rawName);
    int number = 0;
    bool flag = false;
    uint32_t colour = 0;
    TRectUI rect;
    if (name == "name")
        SetName(value);
    else if (name == "text")
        SetText(value);
    else if (name == "textkey")
        SetTextKey(value);
    else if (name == "tooltip")
        SetToolTip(value);
    else if (name == "userdata")
        SetUserData(value);
    else if (name == "bkimage")
        SetBkImage(value);
    else if (name == "foreimage")
        SetForeImage(value);
    else if (name == "pos") {
        if (!ParseRect(value, &rect)) return false;
        m_floatPos = rect;
        if (rect.Width() > 0) m_fixedWidth = rect.Width();
        if (rect.Height() > 0) m_fixedHeight = rect.Height();
        NeedParentUpdate();
    } else if (name == "padding" || name == "textpadding") {
        if (!ParseRect(value, &rect)) return false;
        name == "padding" ? SetPadding(rect) : SetTextPadding(rect);
    } else if (name == "width" || name == "height" || name == "minwidth" || name == "maxwidth" ||
               name == "minheight" || name == "maxheight" || name == "font" ||
               name == "bordersize") {
        if (!ParseInt(value, &number)) return false;
        if (name == "width")
            SetFixedWidth(number);
        else if (name == "height")
            SetFixedHeight(number);
        else if (name == "minwidth")
            SetMinWidth(number);
        else if (name == "maxwidth")
            SetMaxWidth(number);
        else if (name == "minheight")
            SetMinHeight(number);
        else if (name == "maxheight")
            SetMaxHeight(number);
        else if (name == "font")
            SetFont(number);
        else
            SetBorderSize(number);
    } else if (name == "float" || name == "visible" || name == "enabled" || name == "mouse" ||
               name == "menu" || name == "notifyhover" || name == "groupscope") {
        if (!ParseBool(value, &flag)) return false;
        if (name == "float")
            SetFloat(flag);
        else if (name == "visible")
            SetVisible(flag);
        else if (name == "enabled")
            SetEnabled(flag);
        else if (name == "mouse")
            SetMouseEnabled(flag);
        else if (name == "menu")
            SetContextMenuUsed(flag);
        else if (name == "groupscope")
            SetGroupScope(flag);
        else
            SetNotifyHover(flag);
    } else if (name == "bkcolor" || name == "textcolor" || name == "bordercolor") {
        if (!ParseColor(value, &colour)) return false;
        if (name == "bkcolor")
            SetBkColor(colour);
        else if (name == "textcolor")
            SetTextColor(colour);
        else
            SetBorderColor(colour);
    } else if (name == "align" || name == "valign") {
        int horizontal = 0;
        int vertical = 0;
        if (!ParseAlign(value, &horizontal, &vertical)) return false;
        int align = m_textAlign;
        if (horizontal) align = (align & ~int(Qt::AlignHorizontal_Mask)) | horizontal;
        if (vertical) align = (align & ~int(Qt::AlignVertical_Mask)) | vertical;
        SetTextAlign(align);
    } else if (name == "cursor") {
        Qt::CursorShape shape;
        if (CursorByName(value, &shape)) setCursor(shape);
    } else {
        tirk::log::Printf("UI: %s ignores unknown attribute '%s'", GetClass().c_str(),
                          rawName.c_str());
    }
    return true;
}

bool CControlUI::SetTimer(int id, int ms) {
    if (ms <= 0) return false;
    KillTimer(id);
    m_timers[id] = startTimer(ms);
    return true;
}

void CControlUI::KillTimer(int id) {
    auto found = m_timers.find(id);
    if (found == m_timers.end()) return;
    killTimer(found->second);
    m_timers.erase(found);
}

void CControlUI::KillAllTimers() {
    for (const auto& [id, qtId] : m_timers) killTimer(qtId);
    m_timers.clear();
}

void CControlUI::timerEvent(QTimerEvent* event) {
    for (const auto& [id, qtId] : m_timers) {
        if (qtId == event->timerId()) {
            OnTimer(id);
            return;
        }
    }
    QWidget::timerEvent(event);
}

void CControlUI::OnTimer(int id) {
    SendNotify(notify_type::kTimer, id);
}

void CControlUI::SendNotify(const std::string& type, intptr_t wParam, intptr_t lParam) {
    if (CPaintManagerUI* manager = GetManager()) manager->SendNotify(this, type, wParam, lParam);
}

CPaintManagerUI* CControlUI::GetManager() const {
    const uint64_t epoch = CPaintManagerUI::BindingEpoch();
    if (m_cachedManager && m_cachedManagerEpoch == epoch) return m_cachedManager;
    m_cachedManager = nullptr;
    for (const QWidget* widget = this; widget; widget = widget->parentWidget()) {
        QVariant bound = widget->property(kManagerProperty);
        if (bound.isValid()) {
            m_cachedManager = static_cast<CPaintManagerUI*>(bound.value<void*>());
            m_cachedManagerEpoch = epoch;
            break;
        }
    }
    return m_cachedManager;
}

bool CControlUI::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange) CPaintManagerUI::BumpBindingEpoch();
    return QWidget::event(event);
}

CControlUI* CControlUI::GetParent() const {
    for (QWidget* widget = parentWidget(); widget; widget = widget->parentWidget()) {
        if (auto* control = dynamic_cast<CControlUI*>(widget)) return control;
    }
    return nullptr;
}

int CControlUI::Scale(int value) const {
    CPaintManagerUI* manager = GetManager();
    return manager ? manager->ScaleValue(value) : value;
}

void CControlUI::InitOnce() {
    if (m_initialised) return;
    m_initialised = true;
    DoInit();
}

void CControlUI::OnDpiOrFontChanged() {}

QFont CControlUI::ControlFont() const {
    const TFontInfoUI& info = CResourceManager::GetInstance()->GetFont(m_font);
    QFont font = QWidget::font();
    if (!info.face.empty()) font.setFamily(ToQ(info.face));
    font.setPixelSize(std::max(1, Scale(info.size)));
    font.setBold(info.bold);
    font.setUnderline(info.underline);
    font.setItalic(info.italic);
    return font;
}

void CControlUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DoPaint(painter);
}

void CControlUI::DoPaint(QPainter& painter) {
    PaintBkColor(painter);
    PaintBkImage(painter);
    PaintStatusImage(painter);
    PaintText(painter);
    PaintBorder(painter);
    PaintForeImage(painter);
}

void CControlUI::PaintBkColor(QPainter& painter) {
    if (m_bkColor >> 24) painter.fillRect(rect(), ToQColor(m_bkColor));
}

void CControlUI::PaintBkImage(QPainter& painter) {
    if (!m_bkImage.empty()) DrawImage(painter, m_bkImage);
}

void CControlUI::PaintStatusImage(QPainter&) {}

void CControlUI::PaintText(QPainter&) {}

void CControlUI::PaintBorder(QPainter& painter) {
    int size = Scale(m_borderSize);
    if (size <= 0 || !(m_borderColor >> 24)) return;
    QPen pen(ToQColor(m_borderColor));
    pen.setWidth(size);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    int half = size / 2;
    painter.drawRect(rect().adjusted(half, half, -(size - half), -(size - half)));
}

void CControlUI::PaintForeImage(QPainter& painter) {
    if (!m_foreImage.empty()) DrawImage(painter, m_foreImage);
}

namespace {
QRect TargetRect(const QWidget& widget, const TRectUI& dest) {
    return dest.IsEmpty() ? widget.rect() : QRect(dest.left, dest.top, dest.Width(), dest.Height());
}
}  // namespace

bool CControlUI::DrawImage(QPainter& painter, const std::string& image, const TRectUI& dest) {
    CPaintManagerUI* manager = GetManager();
    return DrawImageString(painter, image, TargetRect(*this, dest),
                           manager ? manager->GetDPI() : 96);
}

bool CControlUI::DrawImageTinted(QPainter& painter, const std::string& image, uint32_t rgb,
                                 int alpha, const TRectUI& dest) {
    CPaintManagerUI* manager = GetManager();
    return DrawImageString(painter, image, TargetRect(*this, dest),
                           manager ? manager->GetDPI() : 96, rgb & 0xFFFFFF, alpha);
}

void CControlUI::DrawText(QPainter& painter, const std::string& text, uint32_t argb, bool wordBreak,
                          bool endEllipsis) {
    if (text.empty()) return;
    QRect area = rect().adjusted(Scale(m_textPadding.left), Scale(m_textPadding.top),
                                 -Scale(m_textPadding.right), -Scale(m_textPadding.bottom));
    QFont font = ControlFont();
    painter.setFont(font);
    painter.setPen(ToQColor(argb));
    QString shown = ToQ(text);
    if (endEllipsis && !wordBreak)
        shown = QFontMetrics(font).elidedText(shown, Qt::ElideRight, area.width());
    painter.drawText(area, m_textAlign | (wordBreak ? int(Qt::TextWordWrap) : 0), shown);
}

void CControlUI::enterEvent(QEnterEvent* event) {
    if (m_notifyHover && IsEnabled()) SendNotify(notify_type::kMouseEnter);
    QWidget::enterEvent(event);
}

void CControlUI::leaveEvent(QEvent* event) {
    if (m_notifyHover && IsEnabled()) SendNotify(notify_type::kMouseLeave);
    QWidget::leaveEvent(event);
}

void CControlUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!IsEnabled()) {
        event->ignore();
        return;
    }
    SendNotify(notify_type::kDoubleClick);
    event->accept();
}

void CControlUI::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_menuUsed || !IsEnabled()) {
        event->ignore();
        return;
    }
    QPoint at = mapTo(window(), event->pos());
    SendNotify(notify_type::kMenu, at.x(), at.y());
    event->accept();
}
