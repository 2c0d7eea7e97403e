// The language rules without a window: the shipped list, malformed lists, the
// start-up language (saved value, locale, fallback), the font rule, the font
// table and the face fallback.
#include "app/language_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

namespace tirk {
namespace {

LanguageList Shipped() {
    LanguageList list;
    std::string error;
    EXPECT_TRUE(LoadLanguageList(LanguageConfigPath(TIRK_RESOURCE_DIR), &list, &error)) << error;
    return list;
}

TEST(LanguageListTest, ShippedListHasTheLanguagesInIndexOrder) {
    const LanguageList list = Shipped();
    std::vector<std::string> files;
    for (const LanguageEntry& entry : list.entries) files.push_back(entry.file);
    // Index 0 is the fallback; index 2 is the Traditional Chinese of the font rule.
    EXPECT_EQ(files, (std::vector<std::string>{"lan_cn.xml", "lan_en.xml", "lan_tw.xml",
                                               "lan_de.xml", "lan_es.xml", "lan_ru.xml"}));
    std::set<int> ids;
    for (const LanguageEntry& entry : list.entries) {
        EXPECT_TRUE(ids.insert(entry.id).second) << "id " << entry.id << " repeats";
        EXPECT_FALSE(entry.text.empty()) << entry.file;
        EXPECT_FALSE(entry.locales.empty()) << entry.file;
        EXPECT_TRUE(std::filesystem::exists(std::string(TIRK_RESOURCE_DIR) + "/skin/" + entry.file))
            << entry.file;
    }
    for (const char* face :
         {kFaceSimplifiedChinese, kFaceTraditionalChinese, kFaceLatin, kFaceThai})
        EXPECT_TRUE(list.fontFallback.count(face)) << face << " has no fallback row";
}

TEST(LanguageListTest, MalformedListsAreRefusedNamingTheProblem) {
    const std::string good_entry =
        R"({"Language_ID":1,"Language_name":"a","Language_file":"a.xml","Language_text":"A"})";
    struct Case {
        std::string json;
        std::string problem;  // expected inside the error
    };
    const Case cases[] = {
        {"", "Language.config: "},
        {"{ not json", "Language.config: "},
        {"[]", "no \"Language\" array"},
        {R"({"Language":{}})", "no \"Language\" array"},
        {R"({"Language":[]})", "array is empty"},
        {R"({"Language":[1]})", "element 0: not an object"},
        {R"({"Language":[{"Language_ID":"1","Language_name":"a","Language_file":"a","Language_text":"A"}]})",
         "element 0: \"Language_ID\" must be an integer"},
        {R"({"Language":[)" + good_entry +
             R"(,{"Language_ID":2,"Language_name":"b","Language_text":"B"}]})",
         "element 1: \"Language_file\" must be a non-empty string"},
        {R"({"Language":[{"Language_ID":1,"Language_name":"a","Language_file":"a","Language_text":""}]})",
         "element 0: \"Language_text\" must be a non-empty string"},
        {R"({"Language":[)" + good_entry + "," + good_entry + "]}",
         "element 1: \"Language_ID\" repeats"},
        {R"({"Language":[{"Language_ID":1,"Language_name":"a","Language_file":"a","Language_text":"A","Locale":"de"}]})",
         "element 0: \"Locale\" must be an array"},
        {R"({"Language":[)" + good_entry + R"(],"Font_fallback":{"X":"Y"}})",
         "\"Font_fallback\": \"X\" must be an array"},
    };
    for (const Case& c : cases) {
        LanguageList list = FallbackLanguageList();
        std::string error;
        EXPECT_FALSE(ParseLanguageList(c.json, "Language.config", &list, &error)) << c.json;
        EXPECT_NE(error.find(c.problem), std::string::npos) << c.json << " -> " << error;
        EXPECT_EQ(list.entries.size(), 1u) << "a refused list must leave the old one";
    }
}

TEST(LanguageListTest, MissingFileIsReportedWithItsPath) {
    LanguageList list;
    std::string error;
    EXPECT_FALSE(LoadLanguageList("/nonexistent/Language.config", &list, &error));
    EXPECT_NE(error.find("/nonexistent/Language.config"), std::string::npos) << error;
}

TEST(LanguageListTest, MessagesLocaleTakesTheFirstNonEmptyOfLcAllLcMessagesLang) {
    struct Case {
        std::map<std::string, std::string> env;
        std::string expected;
    };
    const Case cases[] = {
        {{{"LC_ALL", "de_DE.UTF-8"}, {"LC_MESSAGES", "ru_RU"}, {"LANG", "en_US"}}, "de_DE.UTF-8"},
        {{{"LC_ALL", ""}, {"LC_MESSAGES", "ru_RU"}, {"LANG", "en_US"}}, "ru_RU"},
        {{{"LANG", "zh_TW.UTF-8"}}, "zh_TW.UTF-8"},
        // LC_ALL=C is set: it decides (no language matches it), LANG does not.
        {{{"LC_ALL", "C"}, {"LANG", "de_DE"}}, "C"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        auto get_env = [&](const char* name) -> const char* {
            auto found = c.env.find(name);
            return found == c.env.end() ? nullptr : found->second.c_str();
        };
        EXPECT_EQ(MessagesLocale(get_env), c.expected);
    }
}

// The start-up language: a saved value wins; with nothing saved the locale
// decides (what an installer would have saved); otherwise index 0.
TEST(LanguageListTest, StartupLanguageFromSavedValueLocaleOrFallback) {
    const LanguageList list = Shipped();
    using State = SavedLanguage::State;
    struct Case {
        SavedLanguage saved;
        std::string locale;
        int expected;
    };
    const Case cases[] = {
        // nothing saved: the locale
        {{State::kNone, 0}, "de_DE.UTF-8", 3},
        {{State::kNone, 0}, "de_AT@euro", 3},
        {{State::kNone, 0}, "zh_TW.UTF-8", 2},
        {{State::kNone, 0}, "zh_HK", 2},
        {{State::kNone, 0}, "zh_CN.GB18030", 0},
        {{State::kNone, 0}, "zh", 0},
        {{State::kNone, 0}, "ru_RU.UTF-8", 5},
        {{State::kNone, 0}, "es_MX", 4},
        {{State::kNone, 0}, "en_GB.UTF-8", 1},
        {{State::kNone, 0}, "EN-us", 1},
        {{State::kNone, 0}, "fr_FR.UTF-8", 0},
        {{State::kNone, 0}, "C", 0},
        {{State::kNone, 0}, "POSIX", 0},
        {{State::kNone, 0}, "", 0},
        {{State::kNone, 0}, "esperanto", 0},  // "es" is a prefix of the text only
        // a saved value wins over the locale
        {{State::kValue, 1049}, "de_DE.UTF-8", 5},
        {{State::kValue, 1033}, "", 1},
        {{State::kValue, 2052}, "en_US", 0},
        // a saved value no entry has, or one that cannot be read: index 0
        {{State::kValue, 4242}, "de_DE", 0},
        {{State::kUnreadable, 0}, "de_DE", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseStartupLanguage(list, c.saved, c.locale), c.expected)
            << "state " << int(c.saved.state) << " id " << c.saved.id << " locale '" << c.locale
            << "'";
    EXPECT_EQ(ChooseStartupLanguage(LanguageList{}, {State::kNone, 0}, "de_DE"), 0);
}

TEST(LanguageListTest, FontRuleByNewAndPreviousIndex) {
    struct Case {
        int next;
        int previous;
        std::optional<std::string> face;
    };
    const Case cases[] = {
        {15, 1, kFaceThai},
        {0, kNoLanguage, kFaceSimplifiedChinese},
        {0, 3, kFaceSimplifiedChinese},
        {2, 0, kFaceTraditionalChinese},
        {1, 15, kFaceLatin},  // Thai -> English
        {1, 0, kFaceLatin},
        {3, 2, kFaceLatin},
        {1, kNoLanguage, kFaceLatin},  // the first language applied
        {6, 1, std::nullopt},          // English -> French: the fonts stay
        {5, 3, std::nullopt},
        {4, 5, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseFontFace(c.next, c.previous), c.face) << c.previous << " -> " << c.next;
}

TEST(LanguageListTest, FontTableHasTheSizesOfEveryId) {
    std::map<int, std::tuple<int, bool, bool>> table;
    for (const FontTableEntry& font : LanguageFontTable())
        table[font.id] = {font.size, font.bold, font.underline};
    const std::map<int, std::tuple<int, bool, bool>> expected = {
        {0, {15, false, false}}, {1, {14, false, true}},   {2, {18, false, false}},
        {3, {30, false, false}}, {4, {16, false, false}},  {5, {20, false, false}},
        {6, {22, false, false}}, {7, {14, false, false}},  {8, {12, false, false}},
        {9, {11, false, false}}, {10, {10, false, false}}, {11, {28, false, false}},
        {50, {18, true, false}},
    };
    EXPECT_EQ(table, expected);
    EXPECT_EQ(kDefaultFontSize, 14);
}

TEST(LanguageListTest, FaceFallbackTakesTheFirstInstalledStandIn) {
    const FontFallbackTable fallback = {
        {"汉仪菱心体简", {"Noto Sans CJK SC", "WenQuanYi Micro Hei"}},
        {"Verdana Unicode MS", {"Noto Sans", "DejaVu Sans"}},
    };
    struct Case {
        std::string face;
        std::set<std::string> installed;
        std::string expected;
    };
    const Case cases[] = {
        {"汉仪菱心体简",
         {"汉仪菱心体简", "Noto Sans CJK SC"},
         "汉仪菱心体简"},  // the program's own font
        {"汉仪菱心体简", {"Noto Sans CJK SC", "WenQuanYi Micro Hei"}, "Noto Sans CJK SC"},
        {"汉仪菱心体简", {"WenQuanYi Micro Hei"}, "WenQuanYi Micro Hei"},
        {"Verdana Unicode MS", {"DejaVu Sans"}, "DejaVu Sans"},
        {"Verdana Unicode MS", {}, "Verdana Unicode MS"},  // left to the system
        {"No Row", {"Noto Sans"}, "No Row"},
    };
    for (const Case& c : cases) {
        auto installed = [&](const std::string& face) { return c.installed.count(face) != 0; };
        EXPECT_EQ(ResolveFontFace(c.face, fallback, installed), c.expected) << c.face;
    }
}

}  // namespace
}  // namespace tirk
