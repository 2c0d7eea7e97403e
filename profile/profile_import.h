// What a file must be to become a profile of a device type: the checks an
// imported profile passes before anything in the device data folder is
// touched, and how a profile document tells which device family it is for
// (docs/profile-list.md, "Family recognition").
#pragma once

#include <json/value.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace tirk {

/// The device families whose profiles differ in content.
enum class ProfileFamily { kUnknown, kKeyboard, kMouse, kMousePad, kHeadset };

/// 1 and 9 keyboard, 2 and 6 mouse, 3 mouse pad, 7 headset; kUnknown else.
ProfileFamily FamilyOfDeviceType(int deviceTypeCode);

/// "keyboard", "mouse", "mouse pad", "headset", "unknown device".
const char* FamilyName(ProfileFamily family);

/// The family a device document (element 0 of "Device") belongs to, from the
/// sections only one family uses; kUnknown with `problem` set when the
/// sections contradict each other or do not tell.
ProfileFamily RecogniseProfileFamily(const Json::Value& deviceDocument, std::string& problem);

/// Largest file accepted for import. The biggest real profile (a keyboard's,
/// with four custom colour groups of 170 keys) is about 150 kB.
inline constexpr std::size_t kMaxImportBytes = 1024 * 1024;

/// The outcome of checking a file offered for import.
struct ImportCheck {
    bool ok = false;
    Json::Value root;     ///< the parsed document when ok
    std::string problem;  ///< what is wrong, without the file name ("is not JSON: …")
};

/// Checks the bytes of a file offered as a profile of `deviceTypeCode`: at most
/// kMaxImportBytes, UTF-8, one complete JSON document (comments allowed, nothing
/// after it), an object with string "profilename" and "profileUUID", a
/// non-empty "Device" array whose element 0 is an object, the known sections of
/// that object of their JSON type (or null), and the family those sections
/// show equal to the device type's. Never throws.
ImportCheck CheckImportedProfile(std::string_view bytes, int deviceTypeCode);

/// Reads the file at `path` (refusing one over kMaxImportBytes before reading
/// it) and checks it as CheckImportedProfile does. `problem` then starts with
/// the path: "<path>: <problem>".
ImportCheck ReadImportedProfile(const std::string& path, int deviceTypeCode);

}  // namespace tirk
