// The languages of the program without Qt: the list in
// "DefaultData/Language.config", the choice of the start-up language (saved
// value, else the user's locale, else the first entry), the UI font each
// language wants and the font table built from it. docs/languages.md has the
// file format and the decisions behind the rules.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tirk {

/// One element of the "Language" array; its position is the language index.
struct LanguageEntry {
    int id = 0;                        ///< "Language_ID": what the settings store keeps
    std::string name;                  ///< "Language_name"
    std::string file;                  ///< "Language_file": the texts, in the skin folder
    std::string text;                  ///< "Language_text": shown in the language combo
    std::vector<std::string> locales;  ///< "Locale": locale name prefixes ("zh_TW", "de")
};

/// Font faces that stand in for a face the machine lacks, best first.
using FontFallbackTable = std::map<std::string, std::vector<std::string>>;

struct LanguageList {
    std::vector<LanguageEntry> entries;  ///< index 0 is the fallback language
    FontFallbackTable fontFallback;      ///< "Font_fallback"
};

/// "Language.config" below the installation folder.
std::string LanguageConfigPath(const std::string& installation_folder);

/// Parses the text of a language list. On failure returns false and sets
/// `error` to "<source>: <problem>" (the element index, member and what is
/// wrong with it); `list` is then unchanged.
bool ParseLanguageList(std::string_view json, const std::string& source, LanguageList* list,
                       std::string* error);
/// Reads and parses the file at `path` (errors as ParseLanguageList).
bool LoadLanguageList(const std::string& path, LanguageList* list, std::string* error);

/// What the program uses when Language.config cannot be read: Simplified
/// Chinese ("lan_cn.xml") alone, so that the window still has texts.
LanguageList FallbackLanguageList();

/// The index whose "Language_ID" is `id`; -1 when none.
int FindLanguageById(const LanguageList& list, long id);

/// The locale that decides the language of messages: the first non-empty of
/// LC_ALL, LC_MESSAGES and LANG, read through `get_env` (getenv for the
/// process). Empty when none is set.
std::string MessagesLocale(const std::function<const char*(const char*)>& get_env);

/// The index whose "Locale" list matches `locale` best, -1 when none does.
/// The encoding (".UTF-8") and modifier ("@euro") are ignored, case and "-"
/// against "_" do not matter; a prefix matches the whole name or the part
/// before a "_" ("zh" matches "zh_CN", not "zhx"), and the longest matching
/// prefix wins ("zh_TW" beats "zh").
int FindLanguageByLocale(const LanguageList& list, std::string_view locale);

/// What the settings store holds for the saved language.
struct SavedLanguage {
    enum class State {
        kNone,        ///< no file or no value: the user never chose
        kValue,       ///< `id` holds the saved "Language_ID"
        kUnreadable,  ///< a value that is not a number, or a file that cannot be read
    };
    State state = State::kNone;
    long id = 0;
};

/// The language index to apply at start-up. A saved id gives its index, or 0
/// when no entry has it; an unreadable value gives 0. With nothing saved the
/// entry matching `locale` is taken (what an installer would have saved),
/// else 0. An empty list gives 0 too.
int ChooseStartupLanguage(const LanguageList& list, const SavedLanguage& saved,
                          std::string_view locale);

// --- fonts ------------------------------------------------------------------

/// The current language index before any language was applied.
inline constexpr int kNoLanguage = -1;

/// The face names the font rule uses.
inline constexpr char kFaceThai[] = "Noto Sans Thai";
inline constexpr char kFaceSimplifiedChinese[] = "汉仪菱心体简";
inline constexpr char kFaceTraditionalChinese[] = "Noto Sans CJK TC Regular";
inline constexpr char kFaceLatin[] = "Verdana Unicode MS";

/// The face the UI takes when language `next` replaces `previous` (an index,
/// or kNoLanguage): 15 Thai, 0 Simplified Chinese, 2 Traditional Chinese;
/// any other index takes the Latin face after 15, 0, 2 or kNoLanguage and
/// otherwise keeps the fonts (nullopt).
std::optional<std::string> ChooseFontFace(int next, int previous);

/// One font of the UI's font table, all in the chosen face.
struct FontTableEntry {
    int id;
    int size;  ///< pixels at 96 DPI
    bool bold;
    bool underline;
};

/// The font ids every layout may use: 0:15, 1:14 underlined, 2:18, 3:30,
/// 4:16, 5:20, 6:22, 7:14, 8:12, 9:11, 10:10, 11:28, 50:18 bold.
const std::vector<FontTableEntry>& LanguageFontTable();
/// Size of the default font (controls without a font id).
inline constexpr int kDefaultFontSize = 14;

/// The face to give the UI for `face`: itself when `installed` says so, else
/// the first installed face of its fallback row, else `face` unchanged (the
/// system's own substitution then decides).
std::string ResolveFontFace(const std::string& face, const FontFallbackTable& fallback,
                            const std::function<bool(const std::string&)>& installed);

}  // namespace tirk
