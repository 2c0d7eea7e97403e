#include "profile/profile_import.h"

#include <filesystem>
#include <span>
#include <string>
#include <utility>

#include "core/atomic_file.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/utf8.h"

namespace tirk {
namespace {

/// Bit of a family in a set of families.
constexpr unsigned Bit(ProfileFamily family) {
    return 1u << static_cast<unsigned>(family);
}

/// A section of the device document, its JSON type and the families that
/// read it (0: every family).
struct SectionRule {
    const char* name;
    Json::ValueType type;
    unsigned families;
};

constexpr unsigned kKeyedFamilies = Bit(ProfileFamily::kMouse) | Bit(ProfileFamily::kKeyboard);

constexpr SectionRule kSections[] = {
    {"LightInfo", Json::objectValue, 0},
    {"LightList", Json::arrayValue, 0},
    {"KeyList", Json::arrayValue, kKeyedFamilies},
    {"SystemStages", Json::objectValue, kKeyedFamilies},  // the form tells which (below)
    {"AudioLightInfo", Json::objectValue, Bit(ProfileFamily::kKeyboard)},
    {"CustomLightMode", Json::objectValue, Bit(ProfileFamily::kKeyboard)},
    {"DPIStages", Json::objectValue, Bit(ProfileFamily::kMouse)},
    {"ReportStages", Json::objectValue, Bit(ProfileFamily::kMouse)},
    {"CorrectInfo", Json::arrayValue, Bit(ProfileFamily::kMouse)},
    {"SystemSetStages", Json::objectValue, Bit(ProfileFamily::kHeadset)},
    {"EQHzValueInfo", Json::arrayValue, Bit(ProfileFamily::kHeadset)},
    {"CustomEQHzValueInfo", Json::arrayValue, Bit(ProfileFamily::kHeadset)},
    {"CustomEQNameInfo", Json::arrayValue, Bit(ProfileFamily::kHeadset)},
};

constexpr const char* kMouseSystemMembers[] = {"DoubleClickTime", "MouseSpeed", "PointerPrecision",
                                               "ScorllPage", "WheelScorlllinse"};
constexpr const char* kKeyboardSystemMembers[] = {"Repeat",      "RepeatDelay", "Key6Flag",
                                                  "PollingRate", "WFlag",       "WinFlag"};

constexpr ProfileFamily kFamilies[] = {ProfileFamily::kKeyboard, ProfileFamily::kMouse,
                                       ProfileFamily::kMousePad, ProfileFamily::kHeadset};

std::string Quoted(const std::string& name) {
    return "\"" + name + "\"";
}

bool HasAnyMember(const Json::Value& object, std::span<const char* const> names) {
    for (const char* name : names) {
        if (json::FindPresent(object, name)) return true;
    }
    return false;
}

/// The families "SystemStages" points at: its mouse form, its keyboard form.
unsigned SystemStagesFamilies(const Json::Value& section) {
    unsigned families = 0;
    if (HasAnyMember(section, kMouseSystemMembers)) families |= Bit(ProfileFamily::kMouse);
    if (HasAnyMember(section, kKeyboardSystemMembers)) families |= Bit(ProfileFamily::kKeyboard);
    return families;
}

/// The families whose own sections the document has; "KeyList" alone names
/// no family, it only rules out the two without keys.
unsigned EvidenceOf(const Json::Value& document) {
    unsigned families = 0;
    for (const SectionRule& rule : kSections) {
        const Json::Value* section = json::FindPresent(document, rule.name);
        if (!section || rule.families == 0 || rule.families == kKeyedFamilies) continue;
        families |= rule.families;
    }
    if (const Json::Value* system = json::FindPresent(document, "SystemStages"))
        families |= SystemStagesFamilies(*system);
    return families;
}

std::string FamilyList(unsigned families) {
    std::string text;
    for (ProfileFamily family : kFamilies) {
        if (!(families & Bit(family))) continue;
        text += text.empty() ? "a " : " and a ";
        text += FamilyName(family);
    }
    return text;
}

/// Empty when every known section present has its JSON type.
std::string SectionTypeProblem(const Json::Value& document) {
    for (const SectionRule& rule : kSections) {
        const Json::Value* section = json::FindPresent(document, rule.name);
        if (section && section->type() != rule.type)
            return "section " + Quoted(rule.name) + " is " + json::TypeText(section->type()) +
                   ", not " + json::TypeText(rule.type);
    }
    return {};
}

std::string StringMemberProblem(const Json::Value& root, const char* name) {
    const Json::Value* member = json::FindPresent(root, name);
    if (!member) return "has no " + Quoted(name);
    if (!member->isString())
        return Quoted(name) + " is " + json::TypeText(member->type()) + ", not a string";
    return {};
}

/// Empty when the root has the members of a profile; else what is wrong.
std::string RootProblem(const Json::Value& root) {
    if (!root.isObject())
        return "is not a profile: the top level is " + std::string(json::TypeText(root.type())) +
               ", not an object";
    for (const char* name : {"profilename", "profileUUID"}) {
        std::string problem = StringMemberProblem(root, name);
        if (!problem.empty()) return problem;
    }
    const Json::Value* device = json::FindPresent(root, "Device");
    if (!device) return "has no \"Device\" array";
    if (!device->isArray())
        return "\"Device\" is " + std::string(json::TypeText(device->type())) + ", not an array";
    if (device->empty()) return "\"Device\" is empty";
    const Json::Value& element = (*device)[0];
    if (!element.isObject())
        return "\"Device\"[0] is " + std::string(json::TypeText(element.type())) +
               ", not an object";
    return SectionTypeProblem(element);
}

ImportCheck Refuse(std::string problem) {
    return {false, Json::Value(), std::move(problem)};
}

}  // namespace

ProfileFamily FamilyOfDeviceType(int deviceTypeCode) {
    switch (deviceTypeCode) {
        case 1:
        case 9:
            return ProfileFamily::kKeyboard;
        case 2:
        case 6:
            return ProfileFamily::kMouse;
        case 3:
            return ProfileFamily::kMousePad;
        case 7:
            return ProfileFamily::kHeadset;
        default:
            return ProfileFamily::kUnknown;
    }
}

const char* FamilyName(ProfileFamily family) {
    switch (family) {
        case ProfileFamily::kKeyboard:
            return "keyboard";
        case ProfileFamily::kMouse:
            return "mouse";
        case ProfileFamily::kMousePad:
            return "mouse pad";
        case ProfileFamily::kHeadset:
            return "headset";
        case ProfileFamily::kUnknown:
            break;
    }
    return "unknown device";
}

ProfileFamily RecogniseProfileFamily(const Json::Value& document, std::string& problem) {
    problem.clear();
    if (!document.isObject()) {
        problem = "the device document is not an object";
        return ProfileFamily::kUnknown;
    }
    const unsigned evidence = EvidenceOf(document);
    const bool hasKeys = json::FindPresent(document, "KeyList") != nullptr;
    for (ProfileFamily family : kFamilies) {
        if (evidence != Bit(family)) continue;
        if (hasKeys && !(kKeyedFamilies & Bit(family))) break;
        return family;
    }
    if (evidence == 0 && !hasKeys) return ProfileFamily::kMousePad;
    if (evidence == 0)
        problem = "it has a key list but no section that tells a mouse from a keyboard profile";
    else if (hasKeys && !(evidence & kKeyedFamilies))
        problem = "it has a key list, which " + FamilyList(evidence) + " profile never has";
    else
        problem = "it mixes the sections of " + FamilyList(evidence) + " profile";
    return ProfileFamily::kUnknown;
}

ImportCheck CheckImportedProfile(std::string_view bytes, int deviceTypeCode) {
    if (bytes.size() > kMaxImportBytes)
        return Refuse("is larger than 1 MB (" + std::to_string(bytes.size()) + " bytes)");
    if (bytes.empty()) return Refuse("is empty");
    if (!IsUtf8(bytes)) return Refuse("is not UTF-8 text");
    Json::Value root;
    if (std::string problem = ParseImportedJson(bytes, root, DuplicateMembers::kAllowed);
        !problem.empty())
        return Refuse(std::move(problem));
    if (std::string problem = RootProblem(root); !problem.empty()) return Refuse(problem);

    std::string problem;
    const Json::Value& document = std::as_const(root)["Device"][0];
    const ProfileFamily family = RecogniseProfileFamily(document, problem);
    if (family == ProfileFamily::kUnknown)
        return Refuse("does not tell which device it is for: " + problem);
    const ProfileFamily wanted = FamilyOfDeviceType(deviceTypeCode);
    if (family != wanted)
        return Refuse(std::string("is a ") + FamilyName(family) + " profile, not a " +
                      FamilyName(wanted) + " profile");
    return {true, std::move(root), {}};
}

ImportCheck ReadImportedProfile(const std::string& path, int deviceTypeCode) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    ImportCheck check;
    std::string bytes;
    if (ec) {
        check = Refuse("cannot be read: " + ec.message());
    } else if (size > kMaxImportBytes) {
        check = Refuse("is larger than 1 MB (" + std::to_string(size) + " bytes)");
    } else if (FileResult read = ReadWholeFile(path, bytes); !read) {
        check = Refuse("cannot be read: " + read.error.substr(path.size() + 2));
    } else {
        check = CheckImportedProfile(bytes, deviceTypeCode);
    }
    if (!check.ok) check.problem = path + ": " + check.problem;
    return check;
}

}  // namespace tirk
