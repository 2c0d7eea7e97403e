// Any bytes as both the lighting defaults file and the lighting configuration
// file: the name lists either take the family's entry whole or stay exactly
// as they were, the three mode lists always keep one length, and reading the
// custom effect never crashes or throws. Input: the file's bytes.
#include <json/reader.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "profile/basic_profiledata.h"
#include "core/json_text.h"
#include "profile/lighting_files.h"

namespace {

/// A folder of our own for the whole run, holding both files.
const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/tirk-fuzz-config-XXXXXX";
        return ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }();
    return folder;
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), std::streamsize(bytes.size()));
}

Json::Value Parse(std::string_view bytes) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string error;
    if (bytes.empty() || !tirk::ParseJsonText(*reader, bytes, &root, &error))
        return Json::nullValue;
    return root;
}

/// root[list][index] when it is an array (what replaces the lists), else nullptr.
const Json::Value* Entry(const Json::Value& root, const char* list, int index) {
    if (!root.isObject()) return nullptr;
    const Json::Value* lists = root.find(list, list + std::char_traits<char>::length(list));
    if (!lists || !lists->isArray() || Json::ArrayIndex(index) >= lists->size()) return nullptr;
    const Json::Value& entry = (*lists)[Json::ArrayIndex(index)];
    return entry.isArray() ? &entry : nullptr;
}

tirk::LightingNameLists Previous() {
    tirk::LightingNameLists lists;
    lists.modeNames = {"previous"};
    lists.modeVisible = {1};
    lists.modeCodes = {7};
    lists.customEffectNames = {"previous", "custom"};
    return lists;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (Folder().empty()) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    WriteFile(Folder() + tirk::kLightDefaultsFileName, bytes);
    WriteFile(Folder() + tirk::kLightConfigFileName, bytes);
    const Json::Value root = Parse(bytes);

    for (int index = -1; index <= 4; ++index) {
        tirk::LightingNameLists lists = Previous();
        tirk::LoadLightingNameLists(Folder(), Folder() + tirk::kLightConfigFileName, index, lists);
        const tirk::LightingNameLists before = Previous();
        if (lists.modeVisible.size() != lists.modeNames.size() ||
            lists.modeCodes.size() != lists.modeNames.size())
            __builtin_trap();
        const Json::Value* modes = Entry(root, "DefaultLightName", index);
        if (modes ? lists.modeNames.size() != modes->size()
                  : lists.modeNames != before.modeNames || lists.modeCodes != before.modeCodes ||
                        lists.modeVisible != before.modeVisible)
            __builtin_trap();
        const Json::Value* customs = Entry(root, "LightInfo", index);
        if (customs ? lists.customEffectNames.size() != customs->size()
                    : lists.customEffectNames != before.customEffectNames)
            __builtin_trap();
    }

    // The same file as the profile object's configuration and its custom effect.
    tirk::CBasicProfiledata profile;
    profile.SetLightConfigPath(Folder() + tirk::kLightConfigFileName);
    profile.LoadLightConfig();
    if (profile.LightConfigSource() != Folder() + tirk::kLightConfigFileName) __builtin_trap();
    (void)profile.LoadEffectSteps();
    return 0;
}
