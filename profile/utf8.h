// Conversions between the UTF-8 of every file and the wide strings that the
// pages show. Our own small converter: std::wstring_convert is deprecated, and
// iconv depends on the process locale; these never throw and never fail.
#pragma once

#include <string>
#include <string_view>

namespace tirk {

/// Decodes UTF-8. Each ill-formed sequence (stray continuation byte, truncated,
/// overlong, surrogate or beyond U+10FFFF) becomes one U+FFFD per maximal
/// ill-formed part, as Unicode recommends. Never throws.
std::wstring Utf8ToWide(std::string_view utf8);

/// Encodes to UTF-8. Lone surrogates and values beyond U+10FFFF become U+FFFD;
/// with a 16-bit wchar_t, surrogate pairs are combined. Never throws.
std::string WideToUtf8(std::wstring_view wide);

/// True when `bytes` is well-formed UTF-8 (no sequence Utf8ToWide replaces).
bool IsUtf8(std::string_view bytes);

}  // namespace tirk
