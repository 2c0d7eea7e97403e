// The lighting engine's tables that follow the on-screen keyboard's drawing,
// all derived once from the drawn rectangles of keyboard_geometry.h (see
// docs/lighting-engine.md for how each is made). Every entry is a key
// position; kNoKey fills the unused slots.
#pragma once

#include <array>
#include <cstdint>

#include "device/lighting/lighting_tables.h"

namespace tirk::lighting {

inline constexpr int kKeyOrderLength = 126;
inline constexpr int kRingCount = 12;
inline constexpr int kRingSlots = 12;
inline constexpr int kSweepFrames = 52;
inline constexpr int kSweepSlots = 12;
inline constexpr int kStaggerRows = 7;
inline constexpr int kRandomPicks = 104;
inline constexpr int kShowFrames = 20;
inline constexpr int kShowFrameKeys = 6;
inline constexpr int kShowPairs = 16;
/// The centre of the rings and the ripple of music mode 2.
inline constexpr uint8_t kRingCentreKey = 51;

struct LayoutTables {
    /// The drawn keys in drawing order (row by row, left to right), then
    /// kNoKey as the end mark.
    std::array<uint8_t, kKeyOrderLength + 1> keyOrder{};
    /// Twelve rings of keys around position 51, nearest first.
    std::array<std::array<uint8_t, kRingSlots>, kRingCount> rings{};
    /// The drawn rows in turn, left to right, then right to left, …; 170 steps.
    std::array<uint8_t, kPositionCount> chaseOrder{};
    /// A slanted line across the drawing, in 52 positions from left to right.
    std::array<std::array<uint8_t, kSweepSlots>, kSweepFrames> sweepFrames{};
    /// The drawn keys in 23 columns by their centre, top to bottom.
    std::array<std::array<uint8_t, kStaggerRows>, kMatrixColumns> staggerColumns{};
    /// Start level (even, 0..190) of the key in each matrix cell for mode 15.
    std::array<std::array<uint8_t, kMatrixRows>, kMatrixColumns> twinkleStart{};
    /// The keys that random picks choose from: every drawn key.
    std::array<uint8_t, kRandomPicks> randomPicks{};
    /// Mode 14: a bar of one key per drawn row, moving left to right.
    std::array<std::array<uint8_t, kShowFrameKeys>, kShowFrames> showFrames{};
    /// Mode 14: pairs of keys closing in on position 72, the last pair
    /// holding 72 itself.
    std::array<std::array<uint8_t, 2>, kShowPairs> showPairs{};
};

/// The tables, built on first use (thread-safe) and fixed from then on.
const LayoutTables& Layout();

}  // namespace tirk::lighting
