#include "ui/button.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/internal/attributes.h"
#include "ui/internal/tree.h"
#include "ui/paint_manager.h"

using namespace tirk::ui;

namespace {

// The first non-empty image string of the candidates.
const std::string& FirstSet(std::initializer_list<const std::string*> candidates) {
    static const std::string kNone;
    for (const std::string* image : candidates) {
        if (!image->empty()) return *image;
    }
    return kNone;
}

// Where an option's group mates are: below the nearest control above it
// that scopes groups, else in the whole tree (its window's root, or the root
// of the tree it is in while it is in no window).
CControlUI* GroupScopeOf(CControlUI* control) {
    CControlUI* top = control;
    while (CControlUI* parent = top->GetParent()) {
        top = parent;
        if (top->IsGroupScope()) break;
    }
    return top;
}

}  // namespace

CButtonUI::CButtonUI() {
    SetTextAlign(Qt::AlignHCenter | Qt::AlignVCenter);
    setMouseTracking(false);
}

void CButtonUI::SetNormalImage(const std::string& image) {
    m_normalImage = image;
    update();
}

void CButtonUI::SetHotImage(const std::string& image) {
    m_hotImage = image;
    update();
}

void CButtonUI::SetPushedImage(const std::string& image) {
    m_pushedImage = image;
    update();
}

void CButtonUI::SetFocusedImage(const std::string& image) {
    m_focusedImage = image;
    update();
}

void CButtonUI::SetDisabledImage(const std::string& image) {
    m_disabledImage = image;
    update();
}

bool CButtonUI::Activate() {
    if (!IsEnabled() || !IsVisible()) return false;
    SendNotify(notify_type::kClick);
    return true;
}

bool CButtonUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = ToLower(rawName);
    uint32_t colour = 0;
    if (name == "normalimage")
        SetNormalImage(value);
    else if (name == "hotimage")
        SetHotImage(value);
    else if (name == "pushedimage")
        SetPushedImage(value);
    else if (name == "focusedimage")
        SetFocusedImage(value);
    else if (name == "disabledimage")
        SetDisabledImage(value);
    else if (name == "hottextcolor" || name == "pushedtextcolor" || name == "hotbkcolor") {
        if (!ParseColor(value, &colour)) return false;
        if (name == "hottextcolor")
            SetHotTextColor(colour);
        else if (name == "pushedtextcolor")
            SetPushedTextColor(colour);
        else
            SetHotBkColor(colour);
    } else {
        return CLabelUI::SetAttribute(rawName, value);
    }
    return true;
}

void CButtonUI::PaintStatusImage(QPainter& painter) {
    const std::string* image = &m_normalImage;
    if (!isEnabled())
        image = &FirstSet({&m_disabledImage, &m_normalImage});
    else if (m_pushed)
        image = &FirstSet({&m_pushedImage, &m_hotImage, &m_normalImage});
    else if (m_hot)
        image = &FirstSet({&m_hotImage, &m_normalImage});
    else if (hasFocus())
        image = &FirstSet({&m_focusedImage, &m_normalImage});
    if (!image->empty()) DrawImage(painter, *image);
}

void CButtonUI::PaintBkColor(QPainter& painter) {
    if ((m_hot || m_pushed) && isEnabled() && (m_hotBkColor >> 24)) {
        painter.fillRect(rect(), ToQColor(m_hotBkColor));
        return;
    }
    CLabelUI::PaintBkColor(painter);
}

uint32_t CButtonUI::CurrentTextColor() const {
    if (isEnabled() && m_pushed && m_pushedTextColor) return m_pushedTextColor;
    if (isEnabled() && m_hot && m_hotTextColor) return m_hotTextColor;
    return CLabelUI::CurrentTextColor();
}

void CButtonUI::SetHot(bool hot) {
    if (m_hot == hot) return;
    m_hot = hot;
    update();
}

void CButtonUI::SetPushed(bool pushed) {
    if (m_pushed == pushed) return;
    m_pushed = pushed;
    update();
}

void CButtonUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !IsEnabled()) {
        event->ignore();
        return;
    }
    m_captured = true;
    SetPushed(true);
    event->accept();
}

void CButtonUI::mouseMoveEvent(QMouseEvent* event) {
    if (m_captured) SetPushed(rect().contains(event->position().toPoint()));
    event->accept();
}

void CButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_captured) {
        event->ignore();
        return;
    }
    m_captured = false;
    SetPushed(false);
    event->accept();
    if (rect().contains(event->position().toPoint())) Activate();
}

void CButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double-click presses the button again, so it clicks twice.
    mousePressEvent(event);
}

void CButtonUI::enterEvent(QEnterEvent* event) {
    if (IsEnabled()) SetHot(true);
    CLabelUI::enterEvent(event);
}

void CButtonUI::leaveEvent(QEvent* event) {
    SetHot(false);
    CLabelUI::leaveEvent(event);
}

void CButtonUI::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return) {
        Activate();
        event->accept();
        return;
    }
    CLabelUI::keyPressEvent(event);
}

void COptionUI::Selected(bool selected, bool triggerEvent) {
    if (m_selected == selected) return;
    m_selected = selected;
    update();
    if (!m_group.empty()) {
        if (!selected) return;
        DeselectGroupMates();
    }
    if (triggerEvent) SendNotify(notify_type::kSelectChanged);
}

void COptionUI::DeselectGroupMates() {
    CControlUI* scope = GroupScopeOf(this);
    ForEachControl(scope, [this, scope](CControlUI* control) {
        auto* mate = dynamic_cast<COptionUI*>(control);
        if (mate && mate != this && mate->m_group == m_group && GroupScopeOf(mate) == scope)
            mate->Selected(false, false);
    });
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    Selected(m_group.empty() ? !m_selected : true);
    return true;
}

void COptionUI::SetSelectedImage(const std::string& image) {
    m_selectedImage = image;
    update();
}

void COptionUI::SetSelectedHotImage(const std::string& image) {
    m_selectedHotImage = image;
    update();
}

void COptionUI::SetSelectedBkColor(uint32_t argb) {
    m_selectedBkColor = argb;
    update();
}

bool COptionUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = ToLower(rawName);
    uint32_t colour = 0;
    if (name == "group")
        SetGroup(value);
    else if (name == "selected") {
        bool on = false;
        if (!ParseBool(value, &on)) return false;
        Selected(on, false);
    } else if (name == "selectedimage")
        SetSelectedImage(value);
    else if (name == "selectedhotimage")
        SetSelectedHotImage(value);
    else if (name == "selectedpushedimage")
        m_selectedPushedImage = value;
    else if (name == "selecteddisabledimage")
        m_selectedDisabledImage = value;
    else if (name == "selectedtextcolor" || name == "selectedbkcolor") {
        if (!ParseColor(value, &colour)) return false;
        name == "selectedtextcolor" ? SetSelectedTextColor(colour) : SetSelectedBkColor(colour);
    } else {
        return CButtonUI::SetAttribute(rawName, value);
    }
    return true;
}

void COptionUI::PaintStatusImage(QPainter& painter) {
    if (!m_selected) {
        CButtonUI::PaintStatusImage(painter);
        return;
    }
    const std::string* image = &m_selectedImage;
    if (!isEnabled())
        image = &FirstSet({&m_selectedDisabledImage, &m_selectedImage});
    else if (IsPushed())
        image = &FirstSet({&m_selectedPushedImage, &m_selectedHotImage, &m_selectedImage});
    else if (IsHot())
        image = &FirstSet({&m_selectedHotImage, &m_selectedImage});
    if (image->empty())
        CButtonUI::PaintStatusImage(painter);
    else
        DrawImage(painter, *image);
}

void COptionUI::PaintBkColor(QPainter& painter) {
    if (m_selected && (m_selectedBkColor >> 24)) {
        painter.fillRect(rect(), ToQColor(m_selectedBkColor));
        return;
    }
    CButtonUI::PaintBkColor(painter);
}

uint32_t COptionUI::CurrentTextColor() const {
    if (m_selected && isEnabled() && m_selectedTextColor) return m_selectedTextColor;
    return CButtonUI::CurrentTextColor();
}
