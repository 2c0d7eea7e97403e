#include "profile/utf8.h"

#include <cstdint>

namespace tirk {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

/// Sequence length announced by a lead byte, 0 for a byte that cannot start one.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

/// The second byte's range is narrower for some leads: this is what rules out
/// overlong forms, surrogates and values beyond U+10FFFF.
bool SecondByteFits(unsigned char lead, unsigned char byte) {
    unsigned char low = 0x80, high = 0xBF;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
    return byte >= low && byte <= high;
}

/// Decodes one code point at `pos`; advances `pos` past the sequence, or past
/// its maximal ill-formed part (then returns U+FFFD).
char32_t DecodeOne(std::string_view in, size_t& pos) {
    const auto lead = static_cast<unsigned char>(in[pos++]);
    const int length = SequenceLength(lead);
    if (length == 0) return kReplacement;
    if (length == 1) return lead;
    char32_t value = lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if (pos >= in.size()) return kReplacement;
        const auto byte = static_cast<unsigned char>(in[pos]);
        const bool fits = i == 1 ? SecondByteFits(lead, byte) : (byte & 0xC0) == 0x80;
        if (!fits) return kReplacement;
        value = (value << 6) | (byte & 0x3F);
        ++pos;
    }
    return value;
}

bool IsSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

void AppendWide(std::wstring& out, char32_t c) {
    if constexpr (sizeof(wchar_t) >= 4) {
        out.push_back(static_cast<wchar_t>(c));
    } else if (c < 0x10000) {
        out.push_back(static_cast<wchar_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
    }
}

/// Reads one code point from wide text; combines surrogate pairs of a 16-bit
/// wchar_t, and replaces anything that is not a Unicode scalar value.
char32_t NextWide(std::wstring_view in, size_t& pos) {
    auto c = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(in[pos++]));
    if (sizeof(wchar_t) == 2 && c >= 0xD800 && c <= 0xDBFF && pos < in.size()) {
        const auto low = static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(in[pos]));
        if (low >= 0xDC00 && low <= 0xDFFF) {
            ++pos;
            return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        }
    }
    if (IsSurrogate(c) || c > 0x10FFFF) return kReplacement;
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) AppendWide(out, DecodeOne(utf8, pos));
    return out;
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    size_t pos = 0;
    while (pos < wide.size()) AppendUtf8(out, NextWide(wide, pos));
    return out;
}

bool IsUtf8(std::string_view bytes) {
    // Decoding replaces every ill-formed sequence, so only valid text survives
    // the round trip unchanged.
    return WideToUtf8(Utf8ToWide(bytes)) == bytes;
}

}  // namespace tirk
