// Parsing of layout attribute values and conversions between the layer's
// std::string (UTF-8) API and Qt. Internal to ui/.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ui/ui_base.h"

namespace tirk::ui {

/// Property of a window widget that points at its CPaintManagerUI.
inline constexpr char kManagerProperty[] = "tirk_ui_manager";

using AttributeList = std::vector<std::pair<std::string, std::string>>;

inline QString ToQ(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}
inline std::string FromQ(const QString& text) {
    return text.toUtf8().toStdString();
}
inline QColor ToQColor(uint32_t argb) {
    return QColor(int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF),
                  int(argb >> 24));
}

std::string ToLower(std::string text);
bool EqualsNoCase(const std::string& a, const std::string& b);

/// Decimal integer, optional sign, surrounding blanks allowed.
bool ParseInt(const std::string& text, int* value);
/// "true"/"false", "1"/"0" (any case).
bool ParseBool(const std::string& text, bool* value);
/// "l,t,r,b": four integers.
bool ParseRect(const std::string& text, TRectUI* rect);
/// "w,h": two integers.
bool ParseSize(const std::string& text, TSizeUI* size);
/// "#AARRGGBB", "#RRGGBB" (opaque), "0xAARRGGBB" or a decimal number.
bool ParseColor(const std::string& text, uint32_t* argb);
/// Alignment words separated by blanks, commas or '|': left, center, right,
/// top, vcenter, bottom. Returns the horizontal and vertical Qt flags found
/// (0 for an axis not mentioned).
bool ParseAlign(const std::string& text, int* horizontal, int* vertical);
/// `a="x" b='y'` into pairs. false (with the problem in `error`) for a
/// malformed list.
bool ParseAttributeList(const std::string& text, AttributeList* list, std::string* error);

/// The rectangle scaled from 96 DPI by `dpi`.
QRect ScaledRect(const TRectUI& rect, int dpi);
int ScaleBy(int value, int dpi);

}  // namespace tirk::ui
