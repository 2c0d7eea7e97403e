#include <QtGlobal>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "ui/internal/attributes.h"

namespace tirk::ui {

namespace {

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return {};
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

bool ParseInts(const std::string& text, int* values, int count) {
    std::string rest = text;
    for (int i = 0; i < count; ++i) {
        size_t comma = rest.find(',');
        bool last = i == count - 1;
        if (last != (comma == std::string::npos)) return false;
        if (!ParseInt(last ? rest : rest.substr(0, comma), &values[i])) return false;
        if (!last) rest = rest.substr(comma + 1);
    }
    return true;
}

bool ParseHex(const std::string& digits, uint32_t* value) {
    if (digits.empty() || digits.size() > 8) return false;
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), *value, 16);
    return result.ec == std::errc() && result.ptr == digits.data() + digits.size();
}

}  // namespace

std::string ToLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool EqualsNoCase(const std::string& a, const std::string& b) {
    return ToLower(a) == ToLower(b);
}

bool ParseInt(const std::string& text, int* value) {
    std::string t = Trim(text);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    if (t.empty()) return false;
    auto result = std::from_chars(t.data(), t.data() + t.size(), *value);
    return result.ec == std::errc() && result.ptr == t.data() + t.size();
}

bool ParseBool(const std::string& text, bool* value) {
    std::string t = ToLower(Trim(text));
    if (t == "true" || t == "1") {
        *value = true;
        return true;
    }
    if (t == "false" || t == "0") {
        *value = false;
        return true;
    }
    return false;
}

bool ParseRect(const std::string& text, TRectUI* rect) {
    int v[4];
    if (!ParseInts(text, v, 4)) return false;
    *rect = TRectUI{v[0], v[1], v[2], v[3]};
    return true;
}

bool ParseSize(const std::string& text, TSizeUI* size) {
    int v[2];
    if (!ParseInts(text, v, 2)) return false;
    *size = TSizeUI{v[0], v[1]};
    return true;
}

bool ParseColor(const std::string& text, uint32_t* argb) {
    std::string t = Trim(text);
    if (t.size() > 1 && t[0] == '#') {
        std::string digits = t.substr(1);
        if (digits.size() != 6 && digits.size() != 8) return false;
        if (!ParseHex(digits, argb)) return false;
        if (digits.size() == 6) *argb |= 0xFF000000u;
        return true;
    }
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        return ParseHex(t.substr(2), argb);
    unsigned long long decimal = 0;
    auto result = std::from_chars(t.data(), t.data() + t.size(), decimal);
    if (t.empty() || result.ec != std::errc() || result.ptr != t.data() + t.size() ||
        decimal > 0xFFFFFFFFull)
        return false;
    *argb = uint32_t(decimal);
    return true;
}

bool ParseAlign(const std::string& text, int* horizontal, int* vertical) {
    *horizontal = 0;
    *vertical = 0;
    std::string word;
    std::string t = ToLower(text) + " ";
    for (char c : t) {
        if (c != ' ' && c != ',' && c != '|' && c != '\t') {
            word += c;
            continue;
        }
        if (word.empty()) continue;
        if (word == "left")
            *horizontal = Qt::AlignLeft;
        else if (word == "center")
            *horizontal = Qt::AlignHCenter;
        else if (word == "right")
            *horizontal = Qt::AlignRight;
        else if (word == "top")
            *vertical = Qt::AlignTop;
        else if (word == "vcenter")
            *vertical = Qt::AlignVCenter;
        else if (word == "bottom")
            *vertical = Qt::AlignBottom;
        else
            return false;
        word.clear();
    }
    return *horizontal != 0 || *vertical != 0;
}

bool ParseAttributeList(const std::string& text, AttributeList* list, std::string* error) {
    size_t i = 0;
    auto fail = [&](const std::string& what) {
        if (error) *error = what + " at offset " + std::to_string(i);
        return false;
    };
    while (true) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= text.size()) return true;
        size_t nameStart = i;
        while (i < text.size() && text[i] != '=' &&
               !std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        std::string name = text.substr(nameStart, i - nameStart);
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (name.empty() || i >= text.size() || text[i] != '=')
            return fail("expected name=\"value\"");
        ++i;
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i >= text.size() || (text[i] != '"' && text[i] != '\''))
            return fail("expected a quoted value");
        char quote = text[i++];
        size_t end = text.find(quote, i);
        if (end == std::string::npos) return fail("unclosed quote");
        list->emplace_back(name, text.substr(i, end - i));
        i = end + 1;
    }
}

int ScaleBy(int value, int dpi) {
    return int(std::lround(double(value) * dpi / 96.0));
}

QRect ScaledRect(const TRectUI& rect, int dpi) {
    int left = ScaleBy(rect.left, dpi);
    int top = ScaleBy(rect.top, dpi);
    return QRect(left, top, ScaleBy(rect.right, dpi) - left, ScaleBy(rect.bottom, dpi) - top);
}

}  // namespace tirk::ui
