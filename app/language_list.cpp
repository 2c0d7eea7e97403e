#include "app/language_list.h"
#include "core/json_text.h"

#include <json/reader.h>
#include <json/value.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <set>

#include "core/atomic_file.h"

namespace tirk {
namespace {

// "element 3: \"Language_file\" must be a non-empty string"
std::string MemberProblem(size_t index, const char* member, const char* what) {
    return "element " + std::to_string(index) + ": \"" + member + "\" " + what;
}

bool ReadString(const Json::Value& element, size_t index, const char* member, bool allow_empty,
                std::string* out, std::string* problem) {
    const Json::Value& value = element[member];
    if (!value.isString() || (!allow_empty && value.asString().empty())) {
        *problem = MemberProblem(index, member,
                                 allow_empty ? "must be a string" : "must be a non-empty string");
        return false;
    }
    *out = value.asString();
    return true;
}

bool ReadStringArray(const Json::Value& value, std::vector<std::string>* out) {
    if (value.isNull()) return true;
    if (!value.isArray()) return false;
    for (const Json::Value& item : value) {
        if (!item.isString() || item.asString().empty()) return false;
        out->push_back(item.asString());
    }
    return true;
}

bool ReadEntry(const Json::Value& element, size_t index, LanguageEntry* entry,
               std::string* problem) {
    if (!element.isObject()) {
        *problem = "element " + std::to_string(index) + ": not an object";
        return false;
    }
    const Json::Value& id = element["Language_ID"];
    if (!id.isInt()) {
        *problem = MemberProblem(index, "Language_ID", "must be an integer");
        return false;
    }
    entry->id = id.asInt();
    if (!ReadString(element, index, "Language_name", true, &entry->name, problem) ||
        !ReadString(element, index, "Language_file", false, &entry->file, problem) ||
        !ReadString(element, index, "Language_text", false, &entry->text, problem))
        return false;
    if (!ReadStringArray(element["Locale"], &entry->locales)) {
        *problem = MemberProblem(index, "Locale", "must be an array of non-empty strings");
        return false;
    }
    return true;
}

bool ReadFallback(const Json::Value& value, FontFallbackTable* table, std::string* problem) {
    if (value.isNull()) return true;
    if (!value.isObject()) {
        *problem = "\"Font_fallback\" must be an object";
        return false;
    }
    for (const std::string& face : value.getMemberNames()) {
        if (!ReadStringArray(value[face], &(*table)[face])) {
            *problem = "\"Font_fallback\": \"" + face + "\" must be an array of face names";
            return false;
        }
    }
    return true;
}

bool ReadList(const Json::Value& root, LanguageList* list, std::string* problem) {
    if (!root.isObject() || !root["Language"].isArray()) {
        *problem = "no \"Language\" array";
        return false;
    }
    const Json::Value& array = root["Language"];
    if (array.empty()) {
        *problem = "the \"Language\" array is empty";
        return false;
    }
    std::set<int> ids;
    for (Json::ArrayIndex i = 0; i < array.size(); ++i) {
        LanguageEntry entry;
        if (!ReadEntry(array[i], i, &entry, problem)) return false;
        // The store keeps the id: two entries with one id could not be told apart.
        if (!ids.insert(entry.id).second) {
            *problem = MemberProblem(i, "Language_ID", "repeats an earlier element's id");
            return false;
        }
        list->entries.push_back(std::move(entry));
    }
    return ReadFallback(root["Font_fallback"], &list->fontFallback, problem);
}

// "de_DE.UTF-8@euro" -> "de_de"; "zh-Hant" -> "zh_hant".
std::string NormaliseLocale(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    std::string out;
    for (char c : locale) out += c == '-' ? '_' : char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool PrefixMatches(const std::string& prefix, const std::string& locale) {
    if (prefix.empty() || locale.rfind(prefix, 0) != 0) return false;
    return locale.size() == prefix.size() || locale[prefix.size()] == '_';
}

}  // namespace

std::string LanguageConfigPath(const std::string& installation_folder) {
    return installation_folder + "/DefaultData/Language.config";
}

bool ParseLanguageList(std::string_view json, const std::string& source, LanguageList* list,
                       std::string* error) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string parse_error;
    if (!tirk::ParseJsonText(*reader, json, &root, &parse_error)) {
        *error = source + ": " + parse_error;
        while (!error->empty() && error->back() == '\n') error->pop_back();
        return false;
    }
    LanguageList parsed;
    std::string problem;
    if (!ReadList(root, &parsed, &problem)) {
        *error = source + ": " + problem;
        return false;
    }
    *list = std::move(parsed);
    return true;
}

bool LoadLanguageList(const std::string& path, LanguageList* list, std::string* error) {
    std::string content;
    FileResult read = ReadWholeFile(path, content);
    if (!read) {
        *error = read.error;
        return false;
    }
    return ParseLanguageList(content, path, list, error);
}

LanguageList FallbackLanguageList() {
    LanguageList list;
    list.entries.push_back({2052, "zh_CN", "lan_cn.xml", "简体中文", {"zh"}});
    return list;
}

int FindLanguageById(const LanguageList& list, long id) {
    for (size_t i = 0; i < list.entries.size(); ++i) {
        if (list.entries[i].id == id) return int(i);
    }
    return -1;
}

std::string MessagesLocale(const std::function<const char*(const char*)>& get_env) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = get_env(name);
        if (value && *value) return value;
    }
    return {};
}

int FindLanguageByLocale(const LanguageList& list, std::string_view locale) {
    const std::string wanted = NormaliseLocale(locale);
    int best = -1;
    size_t best_length = 0;
    for (size_t i = 0; i < list.entries.size(); ++i) {
        for (const std::string& prefix : list.entries[i].locales) {
            std::string normal = NormaliseLocale(prefix);
            if (PrefixMatches(normal, wanted) && normal.size() > best_length) {
                best = int(i);
                best_length = normal.size();
            }
        }
    }
    return best;
}

int ChooseStartupLanguage(const LanguageList& list, const SavedLanguage& saved,
                          std::string_view locale) {
    int index = -1;
    switch (saved.state) {
        case SavedLanguage::State::kValue:
            index = FindLanguageById(list, saved.id);
            break;
        case SavedLanguage::State::kNone:
            index = FindLanguageByLocale(list, locale);
            break;
        case SavedLanguage::State::kUnreadable:
            break;
    }
    return std::max(index, 0);
}

std::optional<std::string> ChooseFontFace(int next, int previous) {
    switch (next) {
        case 15:
            return std::string(kFaceThai);
        case 0:
            return std::string(kFaceSimplifiedChinese);
        case 2:
            return std::string(kFaceTraditionalChinese);
        default:
            break;
    }
    // Leaving a script-specific face: back to the Latin one. Between two
    // Latin-script languages the fonts stay.
    if (previous == 15 || previous == 0 || previous == 2 || previous == kNoLanguage)
        return std::string(kFaceLatin);
    return std::nullopt;
}

const std::vector<FontTableEntry>& LanguageFontTable() {
    static const std::vector<FontTableEntry> table = {
        {0, 15, false, false}, {1, 14, false, true},   {2, 18, false, false},
        {3, 30, false, false}, {4, 16, false, false},  {5, 20, false, false},
        {6, 22, false, false}, {7, 14, false, false},  {8, 12, false, false},
        {9, 11, false, false}, {10, 10, false, false}, {11, 28, false, false},
        {50, 18, true, false},
    };
    return table;
}

std::string ResolveFontFace(const std::string& face, const FontFallbackTable& fallback,
                            const std::function<bool(const std::string&)>& installed) {
    if (installed(face)) return face;
    auto row = fallback.find(face);
    if (row != fallback.end()) {
        for (const std::string& stand_in : row->second) {
            if (installed(stand_in)) return stand_in;
        }
    }
    return face;
}

}  // namespace tirk
