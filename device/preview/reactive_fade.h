// The fading of the reactive preview effects: a fade value per key that a key
// press sets to 255 and each step lowers, and a ring of flags that the
// effects rotate to light keys in turn.
#pragma once

#include <array>
#include <cstdint>

namespace tirk::preview {

inline constexpr int kFadeKeys = 170;
inline constexpr int kRingLength = 23;
/// Keys 0..8 start fading when their ring entry is set.
inline constexpr int kReactiveStartKeys = 9;
/// The mode whose fade steps are longer at the high bits (and bit 4).
inline constexpr int kSteepFadeMode = 29;

struct ReactiveState {
    std::array<uint8_t, kFadeKeys> fade{};
    std::array<uint8_t, kRingLength> ring{};
};

/// How much fade value `v` drops in one step of `mode`: the first matching
/// rule of the mode, by the bits of v, or 0 at v = 0.
///   mode 0:     bit 7 → 40, bit 6 → 30, bit 5 → 15, v > 16 → 8, v ≥ 1 → 1
///   mode 29:    bit 7 or 4 → 45, bit 5 or 6 → 35, v ≥ 1 → 1
///   other:      bit 7 → 40, bit 6 → 30, bit 5 → 10, v > 16 → 8, v ≥ 1 → 1
uint8_t FadeAmount(uint8_t v, int mode);

/// v lowered by FadeAmount(v, mode), never below 0.
uint8_t FadeStep(uint8_t v, int mode);

/// Fades key `key` of `state` by one step; keys outside 0..169 are ignored.
void FadeKey(ReactiveState& state, int key, int mode);

/// Sets the fade value of every key 0..8 whose ring entry is non-zero to 255.
void StartReactive(ReactiveState& state);

/// Rotates the ring by one entry: left (entry 1 becomes entry 0, entry 0 goes
/// to the end) or, with `right`, the other way.
void RotateRing(ReactiveState& state, bool right);

/// Zeroes all fade values and ring entries.
void ClearReactive(ReactiveState& state);

}  // namespace tirk::preview
