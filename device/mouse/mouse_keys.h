// The mouse's buttons: the eleven standard functions found in the key table
// it reports, the macros their assignments use, and the key table written
// from the profile's assignments.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "device/mouse/mouse_info.h"
#include "profile/profile_records.h"

namespace tirk::mouse {

/// The profile keeps one assignment per standard function, in this order.
inline constexpr int kStandardFunctions = 11;
/// "This function has no key on this mouse".
inline constexpr uint8_t kNoPosition = 170;

/// The key table entry that identifies each standard function.
const std::array<AssignmentCode, kStandardFunctions>& StandardFunctionEntries();

/// Function → key position (entry index of the key table); kNoPosition where
/// the table lacks the function's entry.
using StandardFunctionMap = std::array<uint8_t, kStandardFunctions>;

/// Each function takes the first entry of `table` (3 bytes per key) equal to
/// its identifying entry.
StandardFunctionMap BuildStandardFunctionMap(std::span<const uint8_t> table);

/// What the mouse's key table read taught: the information block, the table
/// as read (3 × N bytes) and the functions' positions in it.
struct MouseKeys {
    bool read = false;  ///< false until a read succeeded; the map is all kNoPosition then
    protocol::DeviceInfo block{};
    MouseInfo info;
    std::vector<uint8_t> table;
    StandardFunctionMap map;

    MouseKeys() { map.fill(kNoPosition); }
    bool operator==(const MouseKeys&) const = default;
};

/// The macros the assignments of the functions with a position use (`list`
/// holds one entry per function), in order of first use: macro kinds 0x70
/// and 0x71 with an index below `macroCount`. Their order is the device's
/// macro numbering.
std::vector<int> CollectUsedMacros(const StandardFunctionMap& map,
                                   std::span<const KeyListEntry> list, int macroCount);

/// The key table to write, and the macros it refers to.
struct KeyTablePlan {
    std::vector<uint8_t> table;   ///< `keys.table` with each function's code at its position
    std::vector<int> usedMacros;  ///< CollectUsedMacros: macro usedMacros[d] is device macro d
};

/// Starts from the table read and writes each function's device code
/// (protocol::DeviceAssignmentCode) at its position × 3. Functions without a
/// position, or without an entry in `list`, leave the table as read.
KeyTablePlan PlanKeyTable(const MouseKeys& keys, std::span<const KeyListEntry> list,
                          int macroCount);

}  // namespace tirk::mouse
