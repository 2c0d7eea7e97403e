// The ripples: a diamond of keys at the same distance (steps across plus
// steps down) from where it started, growing by one key per move. It is kept
// as four fronts, one per quadrant; a front's cell moves either sideways or
// up/down, so the four masks always hold exactly the diamond's edge.
#include "device/lighting/layout_tables.h"
#include "device/lighting/lighting_steps.h"

namespace tirk::lighting {
namespace {

enum Front { kUpLeft, kUpRight, kDownLeft, kDownRight };
constexpr uint8_t kRowsMask = 0x7F;  // the six rows and the row below the bottom
constexpr uint8_t kTopRow = 0x01;
constexpr uint8_t kBelowBottom = 1 << kMatrixRows;
constexpr int kShowRippleKey = 52;
constexpr int kShowWaitKey = 72;
constexpr int kShowLastKey = 124;
constexpr int kShowPairFrames = 31;

uint8_t At(const std::array<uint8_t, kMatrixColumns>& front, int column) {
    return column >= 0 && column < kMatrixColumns ? front[column] : 0;
}

void LightKey(EngineState& s, int key, bool randomHue) {
    if (key == kNoKey) return;
    s.levels[key] = 255;
    if (randomHue) s.hues[key] = uint8_t(NextRandom(s) % kHueCount);
}

// Starts the ripple again at (column, row) when that column holds only `row`.
void Reseed(RippleState& r, int column, uint8_t onlyRow) {
    if (RippleColumn(r, column) != onlyRow) return;
    SeedRipple(r, column, onlyRow == kTopRow ? 0 : kMatrixRows);
}

void RestartShow(EngineState& s) {
    s.showStage = ShowStage::kFrames;
    s.frame = 0;
    s.ripple = {};
    s.showLastLit = false;
}

void StepShowRipple(EngineState& s) {
    MoveRipple(s.ripple);
    LightRipple(s, s.light.multiColor != 0);
    if (s.levels[kShowLastKey] == 255) {
        s.showLastLit = true;
    } else if (s.showLastLit ? s.levels[kShowLastKey] == 0 : RippleEmpty(s.ripple)) {
        RestartShow(s);
    }
}

}  // namespace

void SeedRipple(RippleState& r, int column, int row) {
    if (column < 0 || column >= kMatrixColumns || row < 0 || row > kMatrixRows) return;
    for (auto& front : r.fronts) front[column] |= uint8_t(1 << row);
}

void SeedRippleAtKey(RippleState& r, int position) {
    const MatrixCell cell = CellOfKey(position);
    if (cell.Valid()) SeedRipple(r, cell.column, cell.row);
}

void MoveRipple(RippleState& r) {
    const auto old = r.fronts;
    for (int c = 0; c < kMatrixColumns; ++c) {
        r.fronts[kUpLeft][c] = uint8_t((old[kUpLeft][c] >> 1) | At(old[kUpLeft], c + 1));
        r.fronts[kUpRight][c] = uint8_t((old[kUpRight][c] >> 1) | At(old[kUpRight], c - 1));
        r.fronts[kDownLeft][c] =
            uint8_t(((old[kDownLeft][c] << 1) | At(old[kDownLeft], c + 1)) & kRowsMask);
        r.fronts[kDownRight][c] =
            uint8_t(((old[kDownRight][c] << 1) | At(old[kDownRight], c - 1)) & kRowsMask);
    }
}

uint8_t RippleColumn(const RippleState& r, int column) {
    uint8_t rows = 0;
    for (const auto& front : r.fronts) rows |= At(front, column);
    return rows;
}

bool RippleEmpty(const RippleState& r) {
    for (int c = 0; c < kMatrixColumns; ++c)
        if (RippleColumn(r, c) != 0) return false;
    return true;
}

void LightRipple(EngineState& s, bool randomHue) {
    for (int c = 0; c < kMatrixColumns; ++c) {
        const uint8_t rows = RippleColumn(s.ripple, c);
        for (int row = 0; row < kMatrixRows; ++row)
            if (rows & (1 << row)) LightKey(s, MatrixKey(c, row), randomHue);
    }
}

// Mode 13: the ripple bounces between the top row and the row below the
// bottom at column 9, moving every second step.
void StepRipple13(EngineState& s) {
    FadeAll(s, FadeSchedule::kOther);
    if (++s.ripple.stepCounter % 2 == 0) {
        MoveRipple(s.ripple);
        Reseed(s.ripple, 9, kTopRow);
        Reseed(s.ripple, 9, kBelowBottom);
        if (RippleEmpty(s.ripple)) SeedRipple(s.ripple, 9, kMatrixRows);
        LightRipple(s, s.light.multiColor != 0);
    }
    ShowLevels(s);
}

// Mode 16: the ripple runs corner to corner, from the top of column 1 to
// below the bottom of column 22 and back, moving every step.
void StepRipple16(EngineState& s) {
    FadeAll(s, FadeSchedule::kOther);
    MoveRipple(s.ripple);
    Reseed(s.ripple, 1, kTopRow);
    Reseed(s.ripple, 22, kBelowBottom);
    if (RippleEmpty(s.ripple)) SeedRipple(s.ripple, 1, 0);
    LightRipple(s, s.light.multiColor != 0);
    ShowLevels(s);
}

// Mode 14: a bar sweeps across, pairs close in on position 72, and once it
// has faded a ripple leaves position 52; when it has lit and faded position
// 124 the show starts again.
void StepShow14(EngineState& s) {
    FadeAll(s, FadeSchedule::kOther);
    const bool randomHue = s.light.multiColor != 0;
    const LayoutTables& t = Layout();
    switch (s.showStage) {
        case ShowStage::kFrames:
            for (uint8_t key : t.showFrames[s.frame % kShowFrames]) LightKey(s, key, randomHue);
            if (++s.frame >= kShowFrames) s.showStage = ShowStage::kPairs, s.frame = 0;
            break;
        case ShowStage::kPairs:
            if (s.frame % 2 == 0)
                for (uint8_t key : t.showPairs[(s.frame / 2) % kShowPairs])
                    LightKey(s, key, randomHue);
            if (++s.frame >= kShowPairFrames) s.showStage = ShowStage::kWaitForPair;
            break;
        case ShowStage::kWaitForPair:
            if (s.levels[kShowWaitKey] == 0) {
                SeedRippleAtKey(s.ripple, kShowRippleKey);
                s.showStage = ShowStage::kRipple;
                s.showLastLit = false;
            }
            break;
        case ShowStage::kRipple:
            StepShowRipple(s);
            break;
    }
    ShowLevels(s);
}

}  // namespace tirk::lighting
