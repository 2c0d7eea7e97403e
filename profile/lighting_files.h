// The three lighting files: the lighting defaults file (the modes of every
// family: names, visibility, the codes the devices receive), the lighting
// configuration file (the custom effects of every family) and the effect step
// files (one custom effect each). All are installed data that this program
// only reads; every reader here takes whatever a file holds without throwing,
// reads a member of the wrong type as its neutral value and names the file
// and the member in the debug log. docs/lighting-files.md has the formats and
// the decisions.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tirk {

inline constexpr const char* kLightDefaultsFileName = "default_light.json";
inline constexpr const char* kLightConfigFileName = "zintu_light.config";
inline constexpr const char* kEffectStepFileSuffix = ".light";

/// Position of each family in both lighting files.
inline constexpr int kLightingIndexKeyboard = 0;
inline constexpr int kLightingIndexMouse = 1;
inline constexpr int kLightingIndexMousePad = 2;
inline constexpr int kLightingIndexHeadset = 3;

/// One step of a custom lighting effect, as the lighting timeline plays it.
struct EffectStep {
    uint8_t mode = 0;  ///< "LEDREGMode": 0 breathing, 1 static, 2 flash, 4 wave, 5 colour cycle
    uint8_t brightness = 0;  ///< "LEDBrightness", level 0..4
    uint8_t speed = 0;       ///< "LEDSpeed"
    uint8_t direction = 0;   ///< "LEDDirection"
    uint8_t multiColor = 0;  ///< "LEDMultiColor"
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    int32_t time = 0;   ///< "Time": how long the step plays, in milliseconds
    int32_t cycle = 0;  ///< "Cyle": carried with the step
    bool operator==(const EffectStep&) const = default;
};

/// The lists a device object keeps from the lighting files. The names are
/// UTF-8 (ill-formed sequences already replaced by U+FFFD), like every text
/// the UI layer takes; they are language keys, resolved when shown.
struct LightingNameLists {
    std::vector<std::string> modeNames;
    std::vector<uint8_t> modeVisible;  ///< 1: the mode is listed in the chooser
    std::vector<int32_t> modeCodes;    ///< the code the device receives per mode index
    std::vector<std::string> customEffectNames;
    bool operator==(const LightingNameLists&) const = default;
};

// ---- the lighting defaults file and the custom effect names ----

/// Takes the modes of lighting-defaults index `index` from the lighting
/// defaults root `defaults` into the three mode lists of `lists`. Only an
/// array at root["DefaultLightName"][index] replaces them (an empty array
/// empties them); anything else — no such entry, null, another type, a root
/// that is not an object — leaves all three as they were. Elements that are
/// not objects, and members of the wrong type, give the neutral entry (empty
/// name, hidden, code 0) in their place, so every later mode keeps its index.
/// `file` names the file in the log. Returns true when the lists were replaced.
bool UpdateModeLists(const Json::Value& defaults, int index, const std::string& file,
                     LightingNameLists& lists);

/// The same for the custom effect names: root["LightInfo"][index] of the
/// lighting configuration root `config`, one name per element ("LightName").
bool UpdateCustomEffectNames(const Json::Value& config, int index, const std::string& file,
                             LightingNameLists& lists);

/// Reads the lighting configuration: the file at `userPath` (the device data
/// folder's) when something is there, else the installed copy at
/// `installedPath`. `source` receives the path that was read (the effect step
/// files are looked up beside it), empty when neither exists. A file that is
/// there but cannot be read or parsed is not replaced by the installed copy:
/// it reads as null and is logged.
Json::Value ReadLightConfig(const std::string& userPath, const std::string& installedPath,
                            std::string& source);

/// Fills `lists` for lighting-defaults index `index` from both files:
/// defaultDataFolder + "default_light.json" (the folder ends in a slash), and
/// the lighting configuration at `userConfigPath` (the device data folder's
/// "zintu_light.config") or, when nothing is there, the file of the same name
/// in the default data folder. Lists whose file or entry is missing keep
/// their contents.
void LoadLightingNameLists(const std::string& defaultDataFolder, const std::string& userConfigPath,
                           int index, LightingNameLists& lists);

/// The installed copy of the lighting configuration `userConfigPath`: the
/// file of the same name in `defaultDataFolder` ("zintu_light.config" when
/// the path names no file).
std::string InstalledLightConfigPath(const std::string& defaultDataFolder,
                                     const std::string& userConfigPath);

// ---- effect steps ----

/// Empty when `guid` may name an effect step file in the configuration's own
/// folder; otherwise why not: empty, holding a path separator ('/' or '\'),
/// "..", a NUL byte, or text that is not well-formed UTF-8.
std::string EffectGuidProblem(std::string_view guid);

/// The steps of an effect step file's root: one step per element of
/// "LEDEffectList" (elements that are not objects give zero steps). Every
/// member is read as an integer; the byte fields keep the low 8 bits, "Time"
/// and "Cyle" must fit 32 bits. Missing or mistyped members read as 0 and
/// are logged with `file`. A root without the list gives no steps.
std::vector<EffectStep> EffectStepsOf(const Json::Value& root, const std::string& file);

/// The custom effect of mode index `modeIndex`: entry `modeIndex` of
/// config["LightInfo"][0]; its "Guid" + ".light" is read from the folder of
/// `configPath` (the file the configuration came from). No entry, an empty or
/// unsafe Guid (see EffectGuidProblem) or a step file that is missing or does
/// not parse gives an empty list; all but a missing entry are logged.
std::vector<EffectStep> ReadEffectSteps(const Json::Value& config, const std::string& configPath,
                                        int modeIndex);

}  // namespace tirk
