// Any file offered for import must be accepted as a profile of the device
// type or refused with a reason, never crash, hang or accept a document the
// profile code cannot use. Input: one byte choosing the device type, then the
// file's bytes.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "profile/profile_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static constexpr int kTypeCodes[] = {1, 2, 3, 6, 7, 9};
    const int type = kTypeCodes[data[0] % std::size(kTypeCodes)];
    const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);

    const tirk::ImportCheck check = tirk::CheckImportedProfile(file, type);
    if (!check.ok) {
        if (check.problem.empty()) __builtin_trap();  // a refusal always says why
        return 0;
    }
    // An accepted profile has what the list and the loaders rely on.
    const Json::Value& root = check.root;
    if (!root.isObject() || !root["profilename"].isString() || !root["profileUUID"].isString())
        __builtin_trap();
    const Json::Value& device = root["Device"];
    if (!device.isArray() || device.empty() || !device[0].isObject()) __builtin_trap();
    std::string problem;
    if (tirk::RecogniseProfileFamily(device[0], problem) != tirk::FamilyOfDeviceType(type))
        __builtin_trap();
    return 0;
}
