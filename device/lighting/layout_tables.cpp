#include "device/lighting/layout_tables.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "device/lighting/keyboard_geometry.h"

namespace tirk::lighting {
namespace {

constexpr uint8_t kShowTarget = 72;

const KeyGeometry& Geo(int position) {
    return KeyboardGeometry()[position];
}

// The drawn keys in drawing order: by row (top edge), then left to right.
std::vector<uint8_t> DrawnKeys() {
    std::vector<uint8_t> keys;
    for (int p = 0; p < kPositionCount; ++p)
        if (Geo(p).Drawn()) keys.push_back(uint8_t(p));
    std::sort(keys.begin(), keys.end(), [](uint8_t a, uint8_t b) {
        if (Geo(a).y != Geo(b).y) return Geo(a).y < Geo(b).y;
        return Geo(a).x < Geo(b).x;
    });
    return keys;
}

int DistanceSquared(int a, int b) {
    const int dx = Geo(a).CentreX8() - Geo(b).CentreX8();
    const int dy = Geo(a).CentreY8() - Geo(b).CentreY8();
    return dx * dx + dy * dy;
}

// `keys` ordered by distance from `centre`, nearest first (position breaks ties).
std::vector<uint8_t> ByDistance(std::vector<uint8_t> keys, int centre) {
    std::sort(keys.begin(), keys.end(), [centre](uint8_t a, uint8_t b) {
        const int da = DistanceSquared(a, centre), db = DistanceSquared(b, centre);
        return da != db ? da < db : a < b;
    });
    return keys;
}

template <size_t N>
void Fill(std::array<uint8_t, N>& slots, const std::vector<uint8_t>& keys) {
    slots.fill(kNoKey);
    std::copy_n(keys.begin(), std::min(keys.size(), N), slots.begin());
}

std::vector<uint8_t> RowKeys(const std::vector<uint8_t>& drawn, int row) {
    std::vector<uint8_t> keys;
    for (uint8_t k : drawn)
        if (DrawnRow(k) == row) keys.push_back(k);
    return keys;  // already left to right
}

// Equal shares of the keys by distance from position 51: concentric bands.
void MakeRings(LayoutTables& t, const std::vector<uint8_t>& drawn) {
    const std::vector<uint8_t> near = ByDistance(drawn, kRingCentreKey);
    const size_t n = near.size();
    for (size_t ring = 0; ring < kRingCount; ++ring) {
        const size_t from = ring * n / kRingCount, to = (ring + 1) * n / kRingCount;
        Fill(t.rings[ring], std::vector<uint8_t>(near.begin() + from, near.begin() + to));
    }
}

void MakeChase(LayoutTables& t, const std::vector<uint8_t>& drawn) {
    std::vector<uint8_t> order;
    for (size_t row = 0; row < kDrawnRowTops.size(); ++row) {
        std::vector<uint8_t> keys = RowKeys(drawn, int(row));
        if (row % 2 == 1) std::reverse(keys.begin(), keys.end());
        order.insert(order.end(), keys.begin(), keys.end());
    }
    Fill(t.chaseOrder, order);
}

// The sweep line leans: it meets a row half a row's height lower one eighth
// of a key later. Its start and end, in eighths of a key, are where it first
// and last touches the key's rectangle.
int LeanOf(int p) {
    return Geo(p).CentreY8() / 2;
}
int SweepStart(int p) {
    return 2 * Geo(p).x + LeanOf(p);
}
int SweepEnd(int p) {
    return 2 * (Geo(p).x + Geo(p).w) + LeanOf(p);
}

// Frame f holds the keys the line crosses at its f-th of 52 places, evenly
// spread over the drawing: one key per drawn row at most, so a frame is a
// line, and every key is met by one frame or more.
void MakeSweeps(LayoutTables& t, const std::vector<uint8_t>& drawn) {
    int low = 1 << 30, high = -1;
    for (uint8_t k : drawn) {
        low = std::min(low, SweepStart(k));
        high = std::max(high, SweepEnd(k));
    }
    for (int f = 0; f < kSweepFrames; ++f) {
        const int line = low + (2 * f + 1) * (high - low) / (2 * kSweepFrames);
        std::vector<uint8_t> frame;
        for (uint8_t k : drawn)
            if (SweepStart(k) <= line && line < SweepEnd(k)) frame.push_back(k);
        Fill(t.sweepFrames[f], frame);
    }
}

void MakeStagger(LayoutTables& t, const std::vector<uint8_t>& drawn) {
    std::array<std::vector<uint8_t>, kMatrixColumns> columns;
    for (uint8_t k : drawn)  // drawing order is top to bottom already
        columns[Geo(k).CentreX8() * kMatrixColumns / (2 * kDrawingWidth)].push_back(k);
    for (int c = 0; c < kMatrixColumns; ++c) Fill(t.staggerColumns[c], columns[c]);
}

// Scattered even start levels, so neighbouring keys twinkle out of step.
void MakeTwinkleStart(LayoutTables& t) {
    for (int c = 0; c < kMatrixColumns; ++c)
        for (int r = 0; r < kMatrixRows; ++r)
            t.twinkleStart[c][r] = uint8_t((c * 53 + r * 97) % 96 * 2);
}

// The key of drawn row `row` under x (eighths of a key), or the nearest one.
uint8_t KeyUnder(const std::vector<uint8_t>& rowKeys, int x8) {
    uint8_t best = kNoKey;
    int bestDistance = 1 << 30;
    for (uint8_t k : rowKeys) {
        if (x8 >= 2 * Geo(k).x && x8 < 2 * (Geo(k).x + Geo(k).w)) return k;
        const int d = std::abs(Geo(k).CentreX8() - x8);
        if (d < bestDistance) bestDistance = d, best = k;
    }
    return best;
}

void MakeShow(LayoutTables& t, const std::vector<uint8_t>& drawn) {
    for (int f = 0; f < kShowFrames; ++f) {
        const int x8 = (2 * f + 1) * 2 * kDrawingWidth / (2 * kShowFrames);
        for (int row = 0; row < kShowFrameKeys; ++row)
            t.showFrames[f][row] = KeyUnder(RowKeys(drawn, row), x8);
    }
    // The 31 keys nearest to 72, farthest first, then 72: pairs close in on it.
    std::vector<uint8_t> near = ByDistance(drawn, kShowTarget);
    near.resize(2 * kShowPairs);  // near[0] is 72 itself
    std::reverse(near.begin(), near.end());
    for (int j = 0; j < kShowPairs; ++j) t.showPairs[j] = {near[2 * j], near[2 * j + 1]};
}

LayoutTables Build() {
    LayoutTables t;
    const std::vector<uint8_t> drawn = DrawnKeys();
    Fill(t.keyOrder, drawn);
    Fill(t.randomPicks, drawn);
    MakeRings(t, drawn);
    MakeChase(t, drawn);
    MakeSweeps(t, drawn);
    MakeStagger(t, drawn);
    MakeTwinkleStart(t);
    MakeShow(t, drawn);
    return t;
}

}  // namespace

const LayoutTables& Layout() {
    static const LayoutTables tables = Build();
    return tables;
}

}  // namespace tirk::lighting
