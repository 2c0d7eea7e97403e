#include "profile/colour_file.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

#include "core/log.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/profile_paths.h"

namespace tirk {
namespace {

constexpr char kRoot[] = "coloroptioninfo";
constexpr char kSlots[] = "palletDialogcoloroption";
constexpr char kSlotSelection[] = "palletDialogcoloroption_selectitem";
constexpr char kCollected[] = "palletDialogcollectcoloroption";
constexpr char kCollectedSelection[] = "palletDialogcollectcoloroption_selectitem";
constexpr char kColour[] = "color";
constexpr char kUserData[] = "UserData";

constexpr std::array<uint32_t, kColourSlotCount> kDefaultSlots = {
    0xFFFF0000, 0xFFFF6A00, 0xFFFFC800, 0xFFFFFF00, 0xFF9CFF00,  // red … lime
    0xFF00FF00, 0xFF00FFA0, 0xFF00FFFF, 0xFF0096FF, 0xFF0000FF,  // green … blue
    0xFF7800FF, 0xFFC000FF, 0xFFFF00FF, 0xFFFF0080, 0xFFFF80C0,  // violet … pink
    0xFFFFB080, 0xFFFFFFFF, 0xFFC0C0C0, 0xFF808080, 0xFF404040,  // peach, white, greys
};

using Problem = std::optional<std::string>;

Problem ReadColour(const Json::Value& slot, const std::string& where, uint32_t& colour) {
    const Json::Value* member = json::FindMember(slot, kColour);
    if (!member) return where + " has no \"color\"";
    if (!member->isString()) return where + " \"color\" is not a string";
    std::optional<uint32_t> parsed = ParseColour(member->asString());
    if (!parsed) return where + " \"color\" '" + member->asString() + "' is not 8 hex digits";
    colour = *parsed;
    return std::nullopt;
}

Problem ReadSelection(const Json::Value& info, const char* name, int& selection) {
    const Json::Value* member = json::FindMember(info, name);
    int64_t value = 0;
    if (!member) return std::string("no \"") + name + "\"";
    if (!json::AsInteger(*member, value)) return std::string("\"") + name + "\" is not an integer";
    if (value < -1 || value >= kColourSlotCount)
        return std::string("\"") + name + "\" " + std::to_string(value) + " is outside -1..19";
    selection = int(value);
    return std::nullopt;
}

// The slot array `name`: present, an array of exactly 20 objects.
Problem SlotArray(const Json::Value& info, const char* name, const Json::Value*& array) {
    array = json::FindMember(info, name);
    if (!array) return std::string("no \"") + name + "\"";
    if (!array->isArray()) return std::string("\"") + name + "\" is not an array";
    if (array->size() != kColourSlotCount)
        return std::string("\"") + name + "\" has " + std::to_string(array->size()) +
               " slots, not 20";
    for (Json::ArrayIndex i = 0; i < array->size(); ++i) {
        if (!(*array)[i].isObject())
            return std::string("\"") + name + "\"[" + std::to_string(i) + "] is not an object";
    }
    return std::nullopt;
}

Problem ReadSlots(const Json::Value& info, ColourOptions& options) {
    const Json::Value* array = nullptr;
    if (Problem p = SlotArray(info, kSlots, array)) return p;
    for (int i = 0; i < kColourSlotCount; ++i) {
        std::string where = std::string("\"") + kSlots + "\"[" + std::to_string(i) + "]";
        if (Problem p = ReadColour((*array)[i], where, options.colours[i])) return p;
    }
    return ReadSelection(info, kSlotSelection, options.slotSelection);
}

Problem ReadCollected(const Json::Value& info, ColourOptions& options) {
    const Json::Value* array = nullptr;
    if (Problem p = SlotArray(info, kCollected, array)) return p;
    for (int i = 0; i < kColourSlotCount; ++i) {
        const Json::Value& slot = (*array)[i];
        std::string where = std::string("\"") + kCollected + "\"[" + std::to_string(i) + "]";
        if (Problem p = ReadColour(slot, where, options.collected[i].colour)) return p;
        const Json::Value* data = json::FindMember(slot, kUserData);
        if (!data) return where + " has no \"UserData\"";
        if (!data->isString()) return where + " \"UserData\" is not a string";
        options.collected[i].userData = data->asString();
    }
    return ReadSelection(info, kCollectedSelection, options.collectedSelection);
}

}  // namespace

ColourOptions DefaultColourOptions() {
    ColourOptions options;
    options.colours = kDefaultSlots;
    return options;
}

std::string FormatColour(uint32_t argb) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(argb));
    return text;
}

std::optional<uint32_t> ParseColour(std::string_view text) {
    if (text.size() != 8) return std::nullopt;
    uint32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::string> ColourOptionsFromJson(const Json::Value& root, ColourOptions& options) {
    if (!root.isObject()) return std::string("the file is not a JSON object");
    const Json::Value* info = json::FindMember(root, kRoot);
    if (!info) return std::string("no \"coloroptioninfo\"");
    if (!info->isObject()) return std::string("\"coloroptioninfo\" is not an object");
    ColourOptions read;
    if (Problem p = ReadSlots(*info, read)) return p;
    if (Problem p = ReadCollected(*info, read)) return p;
    options = read;
    return std::nullopt;
}

void ColourOptionsToJson(const ColourOptions& options, Json::Value& root) {
    Json::Value& info = json::ObjectMember(root, kRoot);
    Json::Value& colourArray = json::ArrayMember(info, kSlots);
    Json::Value& collected = json::ArrayMember(info, kCollected);
    colourArray.resize(kColourSlotCount);
    collected.resize(kColourSlotCount);
    for (int i = 0; i < kColourSlotCount; ++i) {
        json::SetMember(json::ObjectElement(colourArray, i), kColour,
                        FormatColour(options.colours[i]));
        Json::Value& slot = json::ObjectElement(collected, i);
        json::SetMember(slot, kColour, FormatColour(options.collected[i].colour));
        json::SetMember(slot, kUserData, options.collected[i].userData);
    }
    json::SetMember(info, kSlotSelection, options.slotSelection);
    json::SetMember(info, kCollectedSelection, options.collectedSelection);
}

CColourFile::CColourFile(std::string path) : m_path(std::move(path)) {}

ColourOptions CColourFile::Load(std::string* error) {
    if (error) error->clear();
    m_document = Json::Value(Json::objectValue);
    m_keepBadFile = false;
    std::error_code ec;
    if (!std::filesystem::exists(m_path, ec) && !ec) return DefaultColourOptions();
    JsonReadStatus status = JsonReadStatus::Ok;
    std::string problem;  // "<path>: <what>"
    Json::Value root = ReadJsonFile(m_path, status, problem);
    ColourOptions options = DefaultColourOptions();
    if (status == JsonReadStatus::Ok) {
        if (std::optional<std::string> bad = ColourOptionsFromJson(root, options))
            problem = m_path + ": " + *bad;
        else
            m_document = root;
    }
    if (problem.empty()) return options;
    log::FileFault(m_path, std::string_view(problem).substr(m_path.size() + 2));
    m_keepBadFile = true;
    if (error) *error = problem;
    return DefaultColourOptions();
}

FileResult CColourFile::Save(const ColourOptions& options) {
    if (m_keepBadFile) {
        // The user's broken file is theirs to repair; it must not vanish
        // under the first save of the defaults.
        std::error_code ec;
        std::filesystem::rename(m_path, m_path + ".bad", ec);
        if (ec)
            log::FileFault(m_path, "cannot keep the unreadable file as .bad: " + ec.message());
        else
            log::Printf("kept the unreadable %s as %s.bad", m_path.c_str(), m_path.c_str());
        m_keepBadFile = false;
    }
    ColourOptionsToJson(options, m_document);
    return WriteJson(m_path, m_document);
}

std::string DefaultColourFilePath() {
    return UserDataRoot() + kColourFileName;
}

}  // namespace tirk
