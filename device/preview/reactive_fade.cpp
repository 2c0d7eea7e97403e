#include "device/preview/reactive_fade.h"

#include <algorithm>

namespace tirk::preview {
namespace {

constexpr uint8_t kBit7 = 0x80, kBit6 = 0x40, kBit5 = 0x20, kBit4 = 0x10;
constexpr uint8_t kSlowFadeAbove = 16;

uint8_t SteepAmount(uint8_t v) {
    if (v & (kBit7 | kBit4)) return 45;
    if (v & (kBit5 | kBit6)) return 35;
    return v >= 1 ? 1 : 0;
}

// Modes 0 and "other" differ only in the step at bit 5.
uint8_t GentleAmount(uint8_t v, uint8_t bit5Amount) {
    if (v & kBit7) return 40;
    if (v & kBit6) return 30;
    if (v & kBit5) return bit5Amount;
    if (v > kSlowFadeAbove) return 8;
    return v >= 1 ? 1 : 0;
}

}  // namespace

uint8_t FadeAmount(uint8_t v, int mode) {
    if (mode == 0) return GentleAmount(v, 15);
    if (mode == kSteepFadeMode) return SteepAmount(v);
    return GentleAmount(v, 10);
}

uint8_t FadeStep(uint8_t v, int mode) {
    const uint8_t amount = FadeAmount(v, mode);
    return amount >= v ? 0 : static_cast<uint8_t>(v - amount);
}

void FadeKey(ReactiveState& state, int key, int mode) {
    if (key < 0 || key >= kFadeKeys) return;
    state.fade[key] = FadeStep(state.fade[key], mode);
}

void StartReactive(ReactiveState& state) {
    for (int i = 0; i < kReactiveStartKeys; ++i)
        if (state.ring[i] != 0) state.fade[i] = 255;
}

void RotateRing(ReactiveState& state, bool right) {
    if (right)
        std::rotate(state.ring.rbegin(), state.ring.rbegin() + 1, state.ring.rend());
    else
        std::rotate(state.ring.begin(), state.ring.begin() + 1, state.ring.end());
}

void ClearReactive(ReactiveState& state) {
    state.fade.fill(0);
    state.ring.fill(0);
}

}  // namespace tirk::preview
