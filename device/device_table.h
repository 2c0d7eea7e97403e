// The device identity tables: which HID interfaces the program drives (the
// candidates), the device families and their models. They are data, read from
// resources/devices.json, so a compatible product needs no code change; the
// udev rules are generated from the same file (device/udev_rules.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tirk {

/// Device type codes of the candidates and families.
enum DeviceTypeCode : uint16_t {
    kTypeKeyboard = 1,
    kTypeMouse = 2,
    kTypeMousePad = 3,
    kTypeMouseReceiver = 6,
    kTypeHeadset = 7,
    kTypeKeyboardReceiver = 9,
};

/// Secondary codes of a candidate: which role the interface plays.
enum CandidateRole : uint16_t {
    kRoleCommand = 0,
    kRoleNotification = 255,
};

/// One HID interface (top-level collection) the program can drive.
struct DeviceCandidate {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;   ///< the "&mi_" value of the interface path
    uint16_t collectionNumber = 0;  ///< the "&col" value; 0 for a single-collection node
    uint16_t typeCode = 0;          ///< DeviceTypeCode
    uint16_t secondaryCode = 0;     ///< CandidateRole
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    bool hasPartner = false;  ///< the same device is also reachable through `partner`
    uint16_t partner = 0;     ///< index into DeviceTables::candidates when hasPartner

    bool operator==(const DeviceCandidate&) const = default;
};

/// One device family: how its tile looks and which device represents it.
struct DeviceFamily {
    std::string tileLayout;
    std::string optionGroup;
    std::string powerContainer;
    std::string name;  ///< also the device folder name: "mouse", "keyboard", "MousePad", "HD"
    int32_t lightingIndex = 0;
    uint32_t vendorId = 0;
    uint32_t productId = 0;
    int32_t typeCode = 0;
    int32_t variant = 0;
};

/// The model parameters of one family (same index as the family).
struct DeviceModel {
    int32_t ledCount = 0;
    int32_t keyCount = 0;
    bool hasPowerTile = false;
    int32_t selection = -1;
    std::string pageLayout;
    std::string lightingName;
};

/// All three tables, in file order.
struct DeviceTables {
    std::vector<DeviceCandidate> candidates;
    std::vector<DeviceFamily> families;
    std::vector<DeviceModel> models;  ///< models[i] belongs to families[i]
};

/// Parses the tables from JSON text. `sourceName` names the text in errors
/// (normally the file path). Returns true and fills `tables` on success; on
/// failure returns false, leaves `tables` unchanged and sets `error` to
/// "<sourceName>: <what is wrong and where>".
bool ParseDeviceTables(std::string_view json, const std::string& sourceName, DeviceTables* tables,
                       std::string* error);

/// Reads and parses the file at `path`; errors as ParseDeviceTables, naming `path`.
bool LoadDeviceTables(const std::string& path, DeviceTables* tables, std::string* error);

/// Where the program finds its devices.json: $TIRK_DEVICE_TABLE when set, else
/// "devices.json" beside the running executable when present, else
/// "<executable dir>/../share/vorpaline-tirk/devices.json".
std::string DefaultDeviceTablesPath();

/// Index of the first candidate with this type code and secondary code, or -1.
int FindCandidate(const DeviceTables& tables, uint16_t typeCode, uint16_t secondaryCode);

/// The type code of the cabled device behind a receiver type (6 → 2, 9 → 1);
/// any other code is returned as it is.
uint16_t WiredTypeOf(uint16_t typeCode);

/// Where a user keeps the identities of compatible devices they added:
/// "$XDG_CONFIG_HOME/TIRK/devices.json", or "~/.config/TIRK/devices.json" when
/// XDG_CONFIG_HOME is unset or not an absolute path.
std::string DefaultUserDeviceTablePath();

/// Parses a user's table (docs/device-identities.md: a "candidates" list in the
/// shipped format, partners given as indexes into that list) and appends its
/// candidates to `tables` after the ones already there, moving their partner
/// indexes by as much. Every added candidate must name a vendor and product, a
/// type some family of `tables` serves (directly or through a receiver) and
/// the secondary code 0 or 255; partners must be mutual, of the same role, and
/// the cable and receiver types of one family. On failure returns false,
/// leaves `tables` unchanged and sets `error` to "<sourceName>: <member and
/// problem>" (for example "…: candidates[1].partner 4 is not another candidate
/// of this file").
bool AddUserCandidates(std::string_view json, const std::string& sourceName, DeviceTables* tables,
                       std::string* error);

/// The shipped tables from `shippedPath` with the user's additions from
/// `userPath`. Returns false with `error` (as LoadDeviceTables) when the shipped
/// file is unusable; `tables` is then unchanged. Otherwise returns true and
/// fills `tables`: when the user file is absent it adds nothing and
/// `userError` is empty; when it cannot be read or is malformed, it adds
/// nothing, the problem goes to the debug log and to `userError` ("<userPath>:
/// <member and problem>") for the program to show, and the shipped tables are
/// used alone.
bool LoadDeviceTablesWithUserAdditions(const std::string& shippedPath, const std::string& userPath,
                                       DeviceTables* tables, std::string* error,
                                       std::string* userError);

}  // namespace tirk
