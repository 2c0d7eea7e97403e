#include "device/keyboard/keyboard_assignments.h"

#include <algorithm>

#include "device/protocol/macro_download.h"

namespace tirk::keyboard {
namespace {

// The assignable part of the position → key map.
std::span<const uint8_t> AssignablePositions(const PositionMaps& maps) {
    return std::span<const uint8_t>(maps.key).first(kAssignablePositions);
}

}  // namespace

std::vector<int> CollectUsedMacros(const PositionMaps& maps, std::span<const KeyListEntry> list,
                                   int macroCount) {
    return UsedMacros(AssignablePositions(maps), list, macroCount);
}

KeyTablePlan PlanKeyTable(const KeyTables& tables, std::span<const KeyListEntry> list,
                          int macroCount) {
    KeyTablePlan plan;
    size_t factory = std::min(tables.defaultCodes.size(), plan.table.size());
    std::copy_n(tables.defaultCodes.begin(), factory, plan.table.begin());
    plan.usedMacros = CollectUsedMacros(tables.maps, list, macroCount);
    size_t positions = std::min<size_t>(list.size(), kAssignablePositions);
    for (size_t p = 0; p < positions; ++p) {
        uint8_t key = tables.maps.key[p];
        if (key == kNoKey || (key + 1) * kKeyCodeSize > factory) continue;
        const AssignmentCode code =
            protocol::DeviceAssignmentCode(list[p], plan.usedMacros, macroCount);
        uint8_t* at = &plan.table[key * kKeyCodeSize];
        at[0] = code.kind;
        at[1] = code.p1;
        at[2] = code.p2;
    }
    return plan;
}

std::vector<uint8_t> BuildMacroBlock(const std::vector<std::vector<PackedMacroEvent>>& macros) {
    return BuildDownloadBlock(macros);
}

}  // namespace tirk::keyboard
