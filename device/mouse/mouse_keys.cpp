#include "device/mouse/mouse_keys.h"

#include <algorithm>

#include "device/protocol/macro_download.h"
#include "profile/macro_store.h"

namespace tirk::mouse {
namespace {

using protocol::kKeyEntrySize;

// The functions in the profile's order; the mouse's own key order is its own.
constexpr std::array<AssignmentCode, kStandardFunctions> kEntries = {{
    {0x10, 0x01, 0x00},  // left button
    {0x10, 0x02, 0x00},  // right button
    {0x10, 0x04, 0x00},  // middle button
    {0x10, 0x10, 0x00},  // forward
    {0x10, 0x08, 0x00},  // back
    {0x13, 0x01, 0x00},  // DPI up
    {0x13, 0x02, 0x00},  // DPI down
    {0x13, 0x03, 0x00},  // DPI cycle
    {0xA0, 0x1B, 0x00},
    {0x16, 0x90, 0x01},
    {0x14, 0x78, 0x02},
}};

// UsedMacros walks a key table where 255 means "no key here".
constexpr uint8_t kNoKeyForMacros = 255;

}  // namespace

const std::array<AssignmentCode, kStandardFunctions>& StandardFunctionEntries() {
    return kEntries;
}

StandardFunctionMap BuildStandardFunctionMap(std::span<const uint8_t> table) {
    StandardFunctionMap map;
    map.fill(kNoPosition);
    const size_t keys = std::min<size_t>(table.size() / kKeyEntrySize, kNoPosition);
    for (int f = 0; f < kStandardFunctions; ++f) {
        const AssignmentCode& entry = kEntries[f];
        for (size_t k = 0; k < keys; ++k) {
            const uint8_t* at = &table[k * kKeyEntrySize];
            if (at[0] == entry.kind && at[1] == entry.p1 && at[2] == entry.p2) {
                map[f] = static_cast<uint8_t>(k);
                break;
            }
        }
    }
    return map;
}

std::vector<int> CollectUsedMacros(const StandardFunctionMap& map,
                                   std::span<const KeyListEntry> list, int macroCount) {
    std::array<uint8_t, kStandardFunctions> present;
    for (int f = 0; f < kStandardFunctions; ++f)
        present[f] = map[f] == kNoPosition ? kNoKeyForMacros : map[f];
    return UsedMacros(present, list, macroCount);
}

KeyTablePlan PlanKeyTable(const MouseKeys& keys, std::span<const KeyListEntry> list,
                          int macroCount) {
    KeyTablePlan plan;
    plan.table = keys.table;
    plan.usedMacros = CollectUsedMacros(keys.map, list, macroCount);
    const size_t functions = std::min<size_t>(list.size(), kStandardFunctions);
    for (size_t f = 0; f < functions; ++f) {
        const size_t at = size_t(keys.map[f]) * kKeyEntrySize;
        if (keys.map[f] == kNoPosition || at + kKeyEntrySize > plan.table.size()) continue;
        const AssignmentCode code =
            protocol::DeviceAssignmentCode(list[f], plan.usedMacros, macroCount);
        plan.table[at] = code.kind;
        plan.table[at + 1] = code.p1;
        plan.table[at + 2] = code.p2;
    }
    return plan;
}

}  // namespace tirk::mouse
