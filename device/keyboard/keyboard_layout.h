// The physical key layout of a connected keyboard and its mapping onto the
// on-screen keyboard: the 170 key positions with the factory code that
// identifies each, the tables the keyboard reports (default key codes and
// LED indices in the keyboard's own key order), and the position maps built
// from them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "profile/profile_records.h"

namespace tirk::keyboard {

/// Key positions of the on-screen keyboard.
inline constexpr int kPositionCount = 170;
/// Positions 0 … 125 carry key assignments and macros; the others are
/// placeholders.
inline constexpr int kAssignablePositions = 126;
/// "This position is not on this keyboard" in both maps.
inline constexpr uint8_t kNoKey = 255;
/// The key code table is at most this long (the command channel's limit).
inline constexpr size_t kMaxKeyTableBytes = 512;
/// Bytes of one key code: kind, modifier, usage.
inline constexpr size_t kKeyCodeSize = 3;
/// Byte of the device information block that gives the key count N.
inline constexpr size_t kInfoKeyCount = 5;

/// The factory code of each key position, position order.
const std::array<AssignmentCode, kPositionCount>& KeyPositionCodes();

/// Position → key index and position → LED index; kNoKey where the keyboard
/// has no key for the position.
struct PositionMaps {
    std::array<uint8_t, kPositionCount> key;
    std::array<uint8_t, kPositionCount> led;

    PositionMaps() {
        key.fill(kNoKey);
        led.fill(kNoKey);
    }
    bool operator==(const PositionMaps&) const = default;
};

/// Builds the maps: each position takes the first key index whose default
/// code (3 bytes at index × 3 of `defaultCodes`) equals the position's code,
/// and that key's entry of `ledIndices` (kNoKey when the table is shorter).
/// Positions sharing a code (the placeholders 20 00 00) map to the same key.
PositionMaps BuildPositionMaps(std::span<const uint8_t> defaultCodes,
                               std::span<const uint8_t> ledIndices);

/// The first position whose key index is `keyIndex`; −1 when none.
int PositionOfKey(const PositionMaps& maps, int keyIndex);

/// What ReadKeyTables learnt from the keyboard.
struct KeyTables {
    bool read = false;  ///< false until a read succeeded; the maps are all kNoKey then
    int keyCount = 0;   ///< N
    std::array<uint8_t, 34> deviceInfo{};
    std::vector<uint8_t> defaultCodes;  ///< N × 3 bytes, key index order
    std::vector<uint8_t> ledIndices;    ///< N bytes
    PositionMaps maps;

    /// Bytes of the key code table: N × 3.
    size_t TableBytes() const { return size_t(keyCount) * kKeyCodeSize; }
};

}  // namespace tirk::keyboard
