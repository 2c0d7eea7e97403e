// What the keyboard stores for key assignments and macros: the key code table
// built from the assignment list (macro assignments renumbered to their slot
// in the macro download, assignments to macros that no longer exist reset to
// the key's default) and the macro data block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "device/keyboard/keyboard_layout.h"
#include "profile/macro_store.h"
#include "profile/profile_records.h"

namespace tirk::keyboard {

/// The keyboard's macro memory.
inline constexpr size_t kMacroMemory = MacroStore::kKeyboardMemory;

/// The macros the assignments of positions 0 … 125 use, in order of first use:
/// a position counts when the keyboard has a key there and its assignment
/// is of a macro kind with a macro index below `macroCount`. This order is the
/// macros' slot order in the download.
std::vector<int> CollectUsedMacros(const PositionMaps& maps, std::span<const KeyListEntry> list,
                                   int macroCount);

/// The key code table to write, and the macros it refers to.
struct KeyTablePlan {
    /// The default codes (N × 3 bytes; the rest 0) with every assignable
    /// position's code at its key index × 3.
    std::array<uint8_t, kMaxKeyTableBytes> table{};
    /// CollectUsedMacros of the same list: slot s of the download is macro usedMacros[s].
    std::vector<int> usedMacros;
};

/// Walks positions 0 … 125 with a key: a macro assignment below `macroCount`
/// carries its slot in `usedMacros` in its macro byte; one at or above it is
/// replaced by the key's default assignment. Keys without a position keep
/// their factory code. `list` is not changed.
KeyTablePlan PlanKeyTable(const KeyTables& tables, std::span<const KeyListEntry> list,
                          int macroCount);

/// The macro block for `macros` (packed events per macro, in slot order):
/// BuildDownloadBlock's layout, 16 + 6n + 4 × events bytes; the caller keeps
/// it within kMacroMemory (MacroStore::PlanDownload).
std::vector<uint8_t> BuildMacroBlock(const std::vector<std::vector<PackedMacroEvent>>& macros);

}  // namespace tirk::keyboard
