// Any bytes as an effect step file named by a lighting configuration: the
// reader never crashes or throws, reads exactly one step per element of
// "LEDEffectList" when the file parses to such a list and none otherwise,
// and never lets the file's content name another file. Input: the file's bytes.
#include <json/reader.h>
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "profile/lighting_files.h"
#include "core/json_text.h"

namespace {

/// A folder of our own for the whole run, holding the step file "fuzz.light".
const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/tirk-fuzz-steps-XXXXXX";
        return ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }();
    return folder;
}

/// The number of steps the file must give: the elements of its list.
size_t ExpectedSteps(std::string_view bytes) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string error;
    if (bytes.empty() || !tirk::ParseJsonText(*reader, bytes, &root, &error))
        return 0;
    if (!root.isObject()) return 0;
    constexpr std::string_view kList = "LEDEffectList";
    const Json::Value* list = root.find(kList.data(), kList.data() + kList.size());
    return list && list->isArray() ? list->size() : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (Folder().empty()) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(Folder() + "fuzz.light", std::ios::binary | std::ios::trunc)
        .write(bytes.data(), std::streamsize(bytes.size()));

    Json::Value config;
    config["LightInfo"][0][0]["Guid"] = "fuzz";
    const auto steps = tirk::ReadEffectSteps(config, Folder() + "zintu_light.config", 0);
    if (steps.size() != ExpectedSteps(bytes)) __builtin_trap();

    // The same bytes as a Guid: whatever it holds, a Guid that passes the
    // check names a file of the configuration's folder and nothing else.
    const std::string_view guid = bytes.substr(0, 64);
    if (tirk::EffectGuidProblem(guid).empty() &&
        (guid.find('/') != guid.npos || guid.find("..") != guid.npos))
        __builtin_trap();
    return 0;
}
