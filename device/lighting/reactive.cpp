// Key presses the keyboard reports, by mode: the heat map of mode 25, the
// ripples of modes 8 and 9, the lit key of mode 7.
#include <algorithm>

#include "device/lighting/lighting_steps.h"

namespace tirk::lighting {
namespace {

constexpr int kHeatMapMode = 25;
constexpr int kHeatRise = 15;
constexpr int kHeatFall = 5;

// The neighbours of a key in the key matrix, what they rise by when it is
// pressed and what they fall by when it is released.
struct Neighbour {
    int8_t dc, dr;
    uint8_t rise, fall;
};
constexpr Neighbour kNeighbours[] = {
    {0, -1, 150, 15}, {0, 1, 150, 15}, {-1, 0, 150, 15}, {1, 0, 150, 15},  // direct
    {-1, -1, 90, 90}, {1, -1, 90, 90}, {-1, 1, 90, 90},  {1, 1, 90, 90},   // diagonal
    {0, -2, 90, 90},  {0, 2, 90, 90},                                      // two rows away
    {-2, 0, 60, 90},  {2, 0, 60, 90},                                      // two columns away
};

template <typename Fn>
void ForNeighbours(int position, Fn&& fn) {
    const MatrixCell cell = CellOfKey(position);
    if (!cell.Valid()) return;
    for (const Neighbour& n : kNeighbours) {
        const uint8_t key = MatrixKey(cell.column + n.dc, cell.row + n.dr);
        if (key != kNoKey) fn(key, n);
    }
}

bool HasPressedNeighbour(const ReactiveState& r, int position) {
    bool found = false;
    ForNeighbours(position,
                  [&](uint8_t key, const Neighbour&) { found = found || r.pressed[key]; });
    return found;
}

void Press(ReactiveState& r, int key) {
    r.level[key] = 255;
    r.direction[key] = 1;
    r.pressed[key] = 1;
    ForNeighbours(key, [&](uint8_t n, const Neighbour& how) {
        r.level[n] = uint8_t(std::min(255, r.level[n] + how.rise));
        r.direction[n] = 1;
    });
}

// A neighbour falls only when no pressed key is next to it any more; a key
// that is itself still held never falls.
void Release(ReactiveState& r, int key) {
    r.pressed[key] = 0;
    ForNeighbours(key, [&](uint8_t n, const Neighbour& how) {
        if (r.pressed[n] || HasPressedNeighbour(r, n)) return;
        r.direction[n] = 2;
        r.level[n] = uint8_t(std::max(0, r.level[n] - how.fall));
    });
    if (!HasPressedNeighbour(r, key)) r.direction[key] = 2;
}

}  // namespace

bool OnKeyEvent(EngineState& s, int position, int kind) {
    if (position < 0 || position >= kPositionCount) return false;
    if (kind != kKeyPress && kind != kKeyRelease) return false;
    switch (s.light.selectItem) {
        case kHeatMapMode:
            kind == kKeyPress ? Press(s.reactive, position) : Release(s.reactive, position);
            return true;
        case 8:
        case 9:
            if (kind == kKeyPress) SeedRippleAtKey(s.ripple, position);
            return false;
        case 7:
            if (kind == kKeyPress) {
                s.levels[position] = 255;
                s.hues[position] = uint8_t(NextRandom(s) % kHueCount);
            }
            return false;
        default:
            return false;
    }
}

void StepHeatMap(EngineState& s) {
    ReactiveState& r = s.reactive;
    const uint8_t bright = Bright(s);
    for (int p = 0; p < kPositionCount; ++p) {
        if (r.direction[p] == 1) r.level[p] = uint8_t(std::min(255, r.level[p] + kHeatRise));
        if (r.direction[p] == 2) r.level[p] = uint8_t(std::max(0, r.level[p] - kHeatFall));
        SetKey(s, p, KeyRgb(s, s.hues[p]), Scale(bright, r.level[p]));
    }
}

bool HeatMapMoving(const EngineState& s) {
    const ReactiveState& r = s.reactive;
    for (int p = 0; p < kPositionCount; ++p)
        if ((r.direction[p] == 1 && r.level[p] < 255) || (r.direction[p] == 2 && r.level[p] > 0))
            return true;
    return false;
}

}  // namespace tirk::lighting
