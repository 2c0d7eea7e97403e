// Per-key colours on the keyboard: a custom colour group as the keyboard
// stores it (a 512-byte bank, red, green, blue per LED index) and the live
// colour frame the host streams in modes 29 and 30.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "device/keyboard/keyboard_layout.h"
#include "profile/profile_records.h"

namespace tirk::keyboard {

/// Custom colour group g lives in the keyboard's banks at g × 512.
inline constexpr int kColourGroupStride = 512;
/// LED indices at or above this have no place in a bank.
inline constexpr int kMaxLedIndex = 170;

using ColourBank = std::array<uint8_t, kColourGroupStride>;

/// Whether each channel is scaled by the key's alpha before it goes out.
enum class AlphaScaling { kNone, kByAlpha };

/// (channel × alpha) >> 8: the high byte of the 16-bit product.
constexpr uint8_t ScaleByAlpha(uint8_t channel, uint8_t alpha) {
    return static_cast<uint8_t>((channel * alpha) >> 8);
}

/// A zeroed bank with, for every position i of `colours` (one per position)
/// whose LED index l is below 170, colour i's red, green, blue at l × 3.
ColourBank BuildColourBank(const PositionMaps& maps, std::span<const CustomLightColor> colours,
                           AlphaScaling scaling);

/// The reverse: colour i's red, green, blue from the bank bytes of its LED
/// index (positions without an LED below 170 and every alpha stay as they are).
void TakeColourBank(const PositionMaps& maps, const ColourBank& bank,
                    std::span<CustomLightColor> colours);

/// The live colour frame: the first `keyCount` × 3 bytes of the bank built
/// with alpha scaling.
std::vector<uint8_t> BuildLightFrame(const PositionMaps& maps, int keyCount,
                                     std::span<const CustomLightColor> colours);

}  // namespace tirk::keyboard
