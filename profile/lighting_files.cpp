#include "profile/lighting_files.h"

#include <filesystem>
#include <limits>

#include "core/log.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/utf8.h"

namespace tirk {
namespace {

/// "<list>[<index>]" for the log.
std::string Indexed(const std::string& list, int64_t index) {
    return list + "[" + std::to_string(index) + "]";
}

/// The text as the UTF-8 the pages show: ill-formed sequences become U+FFFD.
std::string WellFormedUtf8(const std::string& text) {
    return WideToUtf8(Utf8ToWide(text));
}

/// Reads the members of one element of a lighting file. A member that is
/// missing or of the wrong type gives the neutral value and one log line
/// naming the file, the element and the member.
class ElementReader {
public:
    ElementReader(const std::string& file, std::string where)
        : m_file(file), m_where(std::move(where)) {}

    /// True when `element` is an object; reports it otherwise.
    bool IsObject(const Json::Value& element) const {
        if (element.isObject()) return true;
        log::FileFault(m_file, m_where + ": not an object; read as an entry of zeros");
        return false;
    }

    /// An integer, an integral real or a boolean (1 or 0).
    int64_t Integer(const Json::Value& object, const char* name) const {
        const Json::Value* member = json::FindMember(object, name);
        int64_t value = 0;
        if (member && member->isBool()) return member->asBool() ? 1 : 0;
        if (member && json::AsInteger(*member, value)) return value;
        Report(name, member ? "not an integer" : "missing", "0");
        return 0;
    }

    int32_t Integer32(const Json::Value& object, const char* name) const {
        const int64_t value = Integer(object, name);
        if (value >= std::numeric_limits<int32_t>::min() &&
            value <= std::numeric_limits<int32_t>::max())
            return int32_t(value);
        Report(name, "outside the 32-bit range", "0");
        return 0;
    }

    bool Flag(const Json::Value& object, const char* name) const {
        return Integer(object, name) != 0;
    }

    std::string Text(const Json::Value& object, const char* name) const {
        const Json::Value* member = json::FindMember(object, name);
        if (member && member->isString()) return WellFormedUtf8(member->asString());
        Report(name, member ? "not a string" : "missing", "an empty text");
        return {};
    }

private:
    void Report(const char* name, const char* problem, const char* neutral) const {
        log::FileFault(m_file, m_where + "." + name + ": " + problem + "; read as " + neutral);
    }

    const std::string& m_file;
    std::string m_where;
};

/// root[listName][index] when it is an array. Otherwise nullptr: quietly
/// when there is no document (the reader has said why), else logged.
const Json::Value* FamilyEntry(const Json::Value& root, const char* listName, int index,
                               const std::string& file) {
    if (root.isNull()) return nullptr;
    const Json::Value* lists = json::FindArray(root, listName);
    if (!lists) {
        log::FileFault(file, std::string("no \"") + listName + "\" array; the lists are kept");
        return nullptr;
    }
    const Json::Value* entry = json::FindElement(*lists, index);
    const std::string where = Indexed(listName, index);
    if (!entry || entry->isNull()) {
        log::Printf("%s: no entry %s; the lists are kept", file.c_str(), where.c_str());
        return nullptr;
    }
    if (!entry->isArray()) {
        log::FileFault(file, where + ": not an array; the lists are kept");
        return nullptr;
    }
    return entry;
}

struct ByteField {
    const char* name;
    uint8_t EffectStep::*member;
};

struct WordField {
    const char* name;
    int32_t EffectStep::*member;
};

constexpr ByteField kStepBytes[] = {
    {"LEDREGMode", &EffectStep::mode},
    {"LEDBrightness", &EffectStep::brightness},
    {"LEDSpeed", &EffectStep::speed},
    {"LEDDirection", &EffectStep::direction},
    {"LEDMultiColor", &EffectStep::multiColor},
    {"red", &EffectStep::red},
    {"green", &EffectStep::green},
    {"blue", &EffectStep::blue},
};

constexpr WordField kStepWords[] = {
    {"Time", &EffectStep::time},
    {"Cyle", &EffectStep::cycle},
};

EffectStep StepOf(const Json::Value& element, const ElementReader& reader) {
    EffectStep step;
    if (!reader.IsObject(element)) return step;
    // No range is checked: a byte field keeps the low 8 bits of the integer.
    for (const ByteField& field : kStepBytes)
        step.*field.member = uint8_t(reader.Integer(element, field.name));
    for (const WordField& field : kStepWords)
        step.*field.member = reader.Integer32(element, field.name);
    return step;
}

/// The folder that holds `file`, with a trailing slash ("" for a bare name).
std::string FolderOf(const std::string& file) {
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    return folder.empty() ? std::string() : folder.string() + "/";
}

}  // namespace

bool UpdateModeLists(const Json::Value& defaults, int index, const std::string& file,
                     LightingNameLists& lists) {
    const Json::Value* entry = FamilyEntry(defaults, "DefaultLightName", index, file);
    if (!entry) return false;
    const std::string list = Indexed("DefaultLightName", index);
    LightingNameLists fresh;
    for (Json::ArrayIndex i = 0; i < entry->size(); ++i) {
        const Json::Value& element = (*entry)[i];
        const ElementReader reader(file, Indexed(list, i));
        const bool usable = reader.IsObject(element);
        fresh.modeNames.push_back(usable ? reader.Text(element, "LightName") : std::string());
        fresh.modeVisible.push_back(usable && reader.Flag(element, "visible") ? 1 : 0);
        fresh.modeCodes.push_back(usable ? reader.Integer32(element, "value") : 0);
    }
    lists.modeNames = std::move(fresh.modeNames);
    lists.modeVisible = std::move(fresh.modeVisible);
    lists.modeCodes = std::move(fresh.modeCodes);
    return true;
}

bool UpdateCustomEffectNames(const Json::Value& config, int index, const std::string& file,
                             LightingNameLists& lists) {
    const Json::Value* entry = FamilyEntry(config, "LightInfo", index, file);
    if (!entry) return false;
    const std::string list = Indexed("LightInfo", index);
    std::vector<std::string> names;
    for (Json::ArrayIndex i = 0; i < entry->size(); ++i) {
        const Json::Value& element = (*entry)[i];
        const ElementReader reader(file, Indexed(list, i));
        names.push_back(reader.IsObject(element) ? reader.Text(element, "LightName") : "");
    }
    lists.customEffectNames = std::move(names);
    return true;
}

Json::Value ReadLightConfig(const std::string& userPath, const std::string& installedPath,
                            std::string& source) {
    for (const std::string* path : {&userPath, &installedPath}) {
        if (path->empty()) continue;
        JsonReadStatus status;
        std::string error;
        Json::Value root = ReadJsonFile(*path, status, error);
        if (status == JsonReadStatus::Missing) continue;
        source = *path;
        if (status != JsonReadStatus::Ok)
            log::FileFault(*path,
                           ReadProblem(*path, error) + "; no custom lighting effects are read");
        return root;
    }
    source.clear();
    log::Printf("no lighting configuration at %s or %s", userPath.c_str(), installedPath.c_str());
    return Json::nullValue;
}

std::string InstalledLightConfigPath(const std::string& defaultDataFolder,
                                     const std::string& userConfigPath) {
    const std::string name = std::filesystem::path(userConfigPath).filename().string();
    const std::string folder = defaultDataFolder.empty() || defaultDataFolder.back() == '/'
                                   ? defaultDataFolder
                                   : defaultDataFolder + "/";
    return folder + (name.empty() ? kLightConfigFileName : name);
}

void LoadLightingNameLists(const std::string& defaultDataFolder, const std::string& userConfigPath,
                           int index, LightingNameLists& lists) {
    const std::string defaultsPath = defaultDataFolder + kLightDefaultsFileName;
    UpdateModeLists(ReadJson(defaultsPath), index, defaultsPath, lists);
    std::string source;
    const Json::Value config = ReadLightConfig(
        userConfigPath, InstalledLightConfigPath(defaultDataFolder, userConfigPath), source);
    UpdateCustomEffectNames(config, index, source, lists);
}

std::string EffectGuidProblem(std::string_view guid) {
    if (guid.empty()) return "the Guid is empty";
    if (guid.find_first_of("/\\") != std::string_view::npos)
        return "the Guid holds a path separator";
    if (guid.find("..") != std::string_view::npos) return "the Guid holds \"..\"";
    if (guid.find('\0') != std::string_view::npos) return "the Guid holds a NUL character";
    if (!IsUtf8(guid)) return "the Guid is not valid UTF-8";
    return {};
}

std::vector<EffectStep> EffectStepsOf(const Json::Value& root, const std::string& file) {
    const Json::Value* list = json::FindArray(root, "LEDEffectList");
    if (!list) {
        log::FileFault(file, "no \"LEDEffectList\" array; the effect has no steps");
        return {};
    }
    std::vector<EffectStep> steps;
    steps.reserve(list->size());
    for (Json::ArrayIndex i = 0; i < list->size(); ++i)
        steps.push_back(StepOf((*list)[i], ElementReader(file, Indexed("LEDEffectList", i))));
    return steps;
}

std::vector<EffectStep> ReadEffectSteps(const Json::Value& config, const std::string& configPath,
                                        int modeIndex) {
    if (config.isNull()) return {};
    if (configPath.empty()) {
        // Never the current directory: the step files live beside their configuration.
        log::Bug("ReadEffectSteps: a lighting configuration without a file");
        return {};
    }
    const Json::Value* lists = json::FindArray(config, "LightInfo");
    const Json::Value* first = lists ? json::ArrayAt(*lists, 0) : nullptr;
    const Json::Value* entry = first ? json::FindElement(*first, modeIndex) : nullptr;
    const std::string where = Indexed("LightInfo[0]", modeIndex);
    if (!entry || entry->isNull()) {
        log::Printf("%s: no custom effect at %s", configPath.c_str(), where.c_str());
        return {};
    }
    const ElementReader reader(configPath, where);
    if (!reader.IsObject(*entry)) return {};
    const Json::Value* guidMember = json::FindMember(*entry, "Guid");
    const bool isText = guidMember && guidMember->isString();
    const std::string guid = isText ? guidMember->asString() : std::string();
    const std::string problem =
        guidMember && !isText ? "the Guid is not a string" : EffectGuidProblem(guid);
    if (!problem.empty()) {
        log::FileFault(configPath, where + ".Guid: " + problem + "; the effect has no steps");
        return {};
    }
    const std::string path = FolderOf(configPath) + guid + kEffectStepFileSuffix;
    JsonReadStatus status;
    std::string error;
    const Json::Value root = ReadJsonFile(path, status, error);
    if (status != JsonReadStatus::Ok) {
        log::FileFault(path, ReadProblem(path, error) + " (the effect step file of " + configPath +
                                 " " + where + "); the effect has no steps");
        return {};
    }
    return EffectStepsOf(root, path);
}

}  // namespace tirk
