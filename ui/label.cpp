#include "ui/label.h"

#include <QPainter>

#include "ui/internal/attributes.h"

using namespace tirk::ui;

CLabelUI::CLabelUI() {
    SetTextAlign(Qt::AlignLeft | Qt::AlignVCenter);
}

bool CLabelUI::SetAttribute(const std::string& rawName, const std::string& value) {
    const std::string name = ToLower(rawName);
    if (name == "disabledtextcolor") {
        uint32_t colour = 0;
        if (!ParseColor(value, &colour)) return false;
        SetDisabledTextColor(colour);
    } else if (name == "endellipsis" || name == "wordbreak" || name == "multiline") {
        bool on = false;
        if (!ParseBool(value, &on)) return false;
        name == "endellipsis" ? SetEndEllipsis(on) : SetWordBreak(on);
    } else {
        return CControlUI::SetAttribute(rawName, value);
    }
    return true;
}

void CLabelUI::SetDisabledTextColor(uint32_t argb) {
    m_disabledTextColor = argb;
    update();
}

void CLabelUI::SetEndEllipsis(bool on) {
    m_endEllipsis = on;
    update();
}

void CLabelUI::SetWordBreak(bool on) {
    m_wordBreak = on;
    update();
}

void CLabelUI::PaintText(QPainter& painter) {
    DrawText(painter, GetText(), CurrentTextColor(), m_wordBreak, m_endEllipsis);
}

uint32_t CLabelUI::CurrentTextColor() const {
    if (!isEnabled() && m_disabledTextColor) return m_disabledTextColor;
    return GetTextColor();
}

CTextUI::CTextUI() {
    SetTextAlign(Qt::AlignLeft | Qt::AlignTop);
    SetWordBreak(true);
}
