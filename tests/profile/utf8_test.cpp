#include "profile/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;
constexpr wchar_t R = 0xFFFD;

struct DecodeCase {
    const char* what;
    std::string utf8;
    std::wstring wide;
};

void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.what; }

class Utf8Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decode, GivesTheExpectedCodePoints) {
    EXPECT_EQ(tirk::Utf8ToWide(GetParam().utf8), GetParam().wide) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf8Decode,
    ::testing::Values(
        DecodeCase{"empty", "", L""}, DecodeCase{"ascii", "Profile1", L"Profile1"},
        DecodeCase{"two bytes", "\xC3\xBC", L"\u00FC"},
        DecodeCase{"three bytes", "\xE9\xBC\xA0\xE6\xA0\x87", L"\u9F20\u6807"},
        DecodeCase{"four bytes", "\xF0\x9F\x8E\xAE", std::wstring(1, wchar_t(0x1F3AE))},
        DecodeCase{"embedded NUL kept", "a\0b"s, L"a\0b"s},
        DecodeCase{"stray continuation", "a\x80z", {L'a', R, L'z'}},
        DecodeCase{"invalid lead C0 and its tail", "\xC0\xAF", {R, R}},
        DecodeCase{"byte FF", "\xFF", {R}},
        DecodeCase{"overlong three-byte form", "\xE0\x80\xAF", {R, R, R}},
        DecodeCase{"encoded surrogate", "\xED\xA0\x80", {R, R, R}},
        DecodeCase{"beyond U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}},
        DecodeCase{"truncated at the end", "ok\xE4\xB8", {L'o', L'k', R}},
        DecodeCase{"truncated before ASCII",
                   "\xE4\xB8"
                   "A",
                   {R, L'A'}},
        DecodeCase{
            "truncated four-byte before valid two-byte", "\xF0\x9F\x8E\xC3\xBC", {R, L'\u00FC'}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Utf8Encode, RoundTripsValidText) {
    const std::string text = "Profil \xC3\xBC \xE9\xBC\xA0 \xF0\x9F\x8E\xAE end";
    EXPECT_EQ(tirk::WideToUtf8(tirk::Utf8ToWide(text)), text);
}

TEST(Utf8Encode, ReplacesValuesThatAreNotCharacters) {
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(tirk::WideToUtf8(std::wstring{L'a', wchar_t(0xD800), L'b'}), "a" + replacement + "b");
    if constexpr (sizeof(wchar_t) == 4) {
        EXPECT_EQ(tirk::WideToUtf8(std::wstring(1, wchar_t(0x110000))), replacement);
        EXPECT_EQ(tirk::WideToUtf8(std::wstring(1, wchar_t(-1))), replacement);
    }
}

TEST(Utf8Decode, SurvivesEveryByteValueAndEveryTruncation) {
    // No input may crash or yield a non-character: decode every single byte and
    // every prefix of a mixed text, then encode the result again.
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(char(b));
    const std::string mixed = all + "\xF0\x9F\x8E\xAE\xE9\xBC\xA0";
    for (size_t n = 0; n <= mixed.size(); ++n) {
        const std::wstring wide = tirk::Utf8ToWide(std::string_view(mixed).substr(0, n));
        for (wchar_t c : wide) ASSERT_FALSE(c >= 0xD800 && c <= 0xDFFF);
        const std::string again = tirk::WideToUtf8(wide);
        ASSERT_EQ(tirk::Utf8ToWide(again), wide) << "prefix " << n;
    }
}

}  // namespace
