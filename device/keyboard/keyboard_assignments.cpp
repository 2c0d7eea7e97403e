#include "device/keyboard/keyboard_assignments.h"

#include <algorithm>

#include "profile/key_assignment.h"

namespace tirk::keyboard {
namespace {

void Put16(std::vector<uint8_t>& bytes, size_t at, size_t value) {
    bytes[at] = static_cast<uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

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
        AssignmentCode code = list[p].current.code;
        if (IsMacroKind(code.kind)) {
            auto slot = std::find(plan.usedMacros.begin(), plan.usedMacros.end(), int(code.p1));
            if (code.p1 < macroCount && slot != plan.usedMacros.end())
                code.p1 = static_cast<uint8_t>(slot - plan.usedMacros.begin());
            else
                code = list[p].defaultHalf.code;
        }
        uint8_t* at = &plan.table[key * kKeyCodeSize];
        at[0] = code.kind;
        at[1] = code.p1;
        at[2] = code.p2;
    }
    return plan;
}

std::vector<uint8_t> BuildMacroBlock(const std::vector<std::vector<PackedMacroEvent>>& macros) {
    std::vector<size_t> counts;
    for (const auto& events : macros) counts.push_back(events.size());
    std::vector<uint8_t> block(MacroDownloadSize(counts), 0);
    block[0] = kMacroSignature[0];
    block[1] = kMacroSignature[1];
    Put16(block, 2, block.size());
    Put16(block, 4, macros.size());
    size_t record = kMacroHeaderSize + 2 * macros.size();
    for (size_t i = 0; i < macros.size(); ++i) {
        Put16(block, kMacroHeaderSize + 2 * i, record);
        Put16(block, record, macros[i].size());
        size_t at = record + 4;
        for (const PackedMacroEvent& event : macros[i]) {
            block[at++] = event.delayLow;
            block[at++] = event.delayHigh;
            block[at++] = event.typeAction;
            block[at++] = event.button;
        }
        record = at;
    }
    return block;
}

}  // namespace tirk::keyboard
