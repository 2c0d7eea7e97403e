// Music mode (29): the visualisers of audio modes 0..6 over the 25 levels
// last delivered. Each marks the keys it lights; the bar visualisers then
// share one pass that lights, lets the rest fall from the top and colours.
#include <algorithm>
#include <numeric>

#include "device/lighting/layout_tables.h"
#include "device/lighting/lighting_steps.h"

namespace tirk::lighting {
namespace {

using Mapped = std::array<int, kAudioBands>;
using LitKeys = std::array<bool, kPositionCount>;

constexpr int kFullScale = 2000;
constexpr int kRange = 600;
constexpr uint8_t kShowsForeground = 10;  // levels from here show the foreground colour
constexpr int kStartMoveSteps = 31;
constexpr int kRippleSum = 71;
constexpr int kLeftColumns = 9;  // music mode 1: columns 0..8 take the left level

Mapped MapAll(const EngineState& s) {
    Mapped mapped{};
    for (int i = 0; i < kAudioBands; ++i) mapped[i] = MappedLevel(s.audioLevels[i]);
    return mapped;
}

int Average(const Mapped& mapped) {
    return std::accumulate(mapped.begin(), mapped.end(), 0) / kAudioBands;
}

void Light(LitKeys& lit, int column, int row) {
    const uint8_t key = MatrixKey(column, row);
    if (key != kNoKey) lit[key] = true;
}

void LightColumns(LitKeys& lit, int row, int from, int to) {
    for (int c = std::max(from, 0); c <= std::min(to, kMatrixColumns - 1); ++c) Light(lit, c, row);
}

// Rows from (v' + 100) × 6 / 600 down to the bottom; true when any lit.
bool LightColumnBar(LitKeys& lit, int column, int mapped) {
    const int first = (mapped + 100) * kMatrixRows / kRange;
    for (int row = first; row < kMatrixRows; ++row) Light(lit, column, row);
    return first < kMatrixRows;
}

void Columns(EngineState& s, const Mapped& mapped, LitKeys& lit) {  // 0
    if (++s.frame >= kStartMoveSteps) {
        s.frame = 0;
        s.audioStart = uint8_t((s.audioStart + 1) % kAudioBands);
    }
    for (int c = 0; c < kMatrixColumns; ++c)
        LightColumnBar(lit, c, mapped[(s.audioStart + c) % kAudioBands]);
}

void Rows(const Mapped& mapped, LitKeys& lit) {  // 1
    for (int row = 0; row < kMatrixRows; ++row) {
        const int left = (mapped[3 * row] * 12 + 1200) / kRange;
        const int right = (mapped[3 * row + 1] * 12 + 1200) / kRange;
        LightColumns(lit, row, left, kLeftColumns - 1);
        LightColumns(lit, row, kLeftColumns, 21 - right);
    }
}

void ColumnsWithHold(EngineState& s, const Mapped& mapped, LitKeys& lit) {  // 4
    for (int c = 0; c < kMatrixColumns; ++c) {
        const uint8_t bottom = MatrixKey(c, kMatrixRows - 1);
        if (bottom == kNoKey || s.levels[bottom] < kShowsForeground) s.columnReady[c] = 1;
        if (s.columnReady[c] && LightColumnBar(lit, c, mapped[c])) s.columnReady[c] = 0;
    }
}

// Six bands of consecutive levels, each sum divided by 3, then mapped.
template <size_t N>
std::array<int, kMatrixRows> Bands(const EngineState& s, const std::array<int, N>& sizes) {
    std::array<int, kMatrixRows> bands{};
    int next = 0;
    for (int b = 0; b < kMatrixRows; ++b) {
        int32_t sum = 0;
        for (int i = 0; i < sizes[b]; ++i) sum += s.audioLevels[next++];
        bands[b] = MappedLevel(sum / 3);
    }
    return bands;
}

// "Columns 0 to 23 − n" is read as the first 23 − n columns, so that a row's
// bar is as long in mode 5 as in mode 6 and nothing lights in silence.
void BandsFromLeft(const EngineState& s, LitKeys& lit) {  // 5
    const auto bands = Bands(s, std::array<int, 6>{2, 3, 3, 4, 5, 7});
    for (int row = 0; row < kMatrixRows; ++row) {
        const int count = kMatrixColumns - (bands[5 - row] * 23 + 2300) / kRange;
        LightColumns(lit, row, 0, count - 1);
    }
}

void BandsBothWays(const EngineState& s, LitKeys& lit) {  // 6
    const auto bands = Bands(s, std::array<int, 6>{2, 2, 3, 4, 5, 5});
    for (int row = 0; row < kMatrixRows; ++row) {
        const int cut = bands[5 - row] * 23 / kRange;
        if (row % 2 == 0)
            LightColumns(lit, row, cut, kMatrixColumns - 1);
        else
            LightColumns(lit, row, 0, kMatrixColumns - cut - 1);
    }
}

void ShowMusicKey(EngineState& s, int key, uint8_t bright) {
    const AudioLightRecord& a = s.audio;
    if (s.levels[key] >= kShowsForeground) {
        const Rgb fg =
            a.sevenColorFlag ? ColourWheel()[s.hues[key]] : Rgb{a.fgRed, a.fgGreen, a.fgBlue};
        SetKey(s, key, fg, Scale(bright, s.levels[key]));
    } else {
        SetKey(s, key, {a.bkRed, a.bkGreen, a.bkBlue}, bright);
    }
}

template <typename Fn>
void ForMatrixKeys(Fn&& fn) {
    for (int c = 0; c < kMatrixColumns; ++c)
        for (int row = 0; row < kMatrixRows; ++row) {
            const uint8_t key = MatrixKey(c, row);
            if (key != kNoKey) fn(c, row, key);
        }
}

// Lit keys take 255; the others fall once the key above has faded below 10.
void ApplyBars(EngineState& s, const LitKeys& lit) {
    const uint8_t bright = Bright(s);
    for (int c = 0; c < kMatrixColumns; ++c) {
        uint8_t above = 0;
        for (int row = 0; row < kMatrixRows; ++row) {
            const uint8_t key = MatrixKey(c, row);
            if (key == kNoKey) {
                above = 0;
                continue;
            }
            if (lit[key])
                s.levels[key] = 255;
            else if (above < kShowsForeground)
                s.levels[key] = Fade(s.levels[key], FadeSchedule::kMusic);
            above = s.levels[key];
            ShowMusicKey(s, key, bright);
        }
    }
}

void HueRipple(EngineState& s) {  // 2
    for (uint8_t& hue : s.hues) hue = uint8_t((hue + 9) % kHueCount);
    FadeAll(s, FadeSchedule::kMusic);
    MoveRipple(s.ripple);
    LightRipple(s, false);
    const uint8_t bright = Bright(s);
    ForMatrixKeys([&](int, int, uint8_t key) { ShowMusicKey(s, key, bright); });
}

void Rings(EngineState& s, const Mapped& mapped) {  // 3
    const int loud = Average(mapped) * 20 / kRange;
    s.phase = uint8_t((s.phase + loud) % kHueCount);
    const uint8_t bright = Bright(s);
    for (int ring = 0; ring < kRingCount; ++ring)
        for (uint8_t key : Layout().rings[ring]) {
            if (key == kNoKey) continue;
            if (ring <= 19 - loud) {
                s.levels[key] = 255;
                s.hues[key] = uint8_t((s.phase + 9 * ring) % kHueCount);
            } else {
                s.levels[key] = Fade(s.levels[key], FadeSchedule::kZero);
            }
            ShowMusicKey(s, key, bright);
        }
}

}  // namespace

// Louder than full scale counts as full scale: the mapping saturates at 0
// instead of jumping back to a quiet 500, so a loud band never shows short.
int MappedLevel(int32_t level) {
    const int64_t scaled = int64_t(std::max(level, 0)) * kRange / kFullScale;
    return scaled > kRange ? 0 : int(kRange - scaled);
}

void StepMusic(EngineState& s) {
    const Mapped mapped = MapAll(s);
    LitKeys lit{};
    switch (s.audio.audioMode) {
        case 0:
            Columns(s, mapped, lit);
            break;
        case 1:
            Rows(mapped, lit);
            break;
        case 2:
            HueRipple(s);
            break;
        case 3:
            Rings(s, mapped);
            break;
        case 4:
            ColumnsWithHold(s, mapped, lit);
            break;
        case 5:
            BandsFromLeft(s, lit);
            break;
        case 6:
            BandsBothWays(s, lit);
            break;
        default:
            break;  // an unknown visualiser lights nothing; the bars fall
    }
    if (s.audio.audioMode != 2 && s.audio.audioMode != 3) ApplyBars(s, lit);
    s.audioLevels.fill(0);
}

void OnAudioLevels(EngineState& s, std::span<const int32_t> levels) {
    // Far beyond full scale already saturates; the bound keeps band sums in range.
    constexpr int32_t kLevelBound = 1000 * kFullScale;
    for (int i = 0; i < kAudioBands; ++i)
        s.audioLevels[i] = i < int(levels.size()) ? std::clamp(levels[i], 0, kLevelBound) : 0;
    if (s.light.selectItem != 29 || s.audio.audioMode != 2) return;
    s.audioSum += kAudioBands - Average(MapAll(s)) * kAudioBands / kRange;
    if (s.audioSum < kRippleSum) return;
    s.audioSum = 0;
    SeedRippleAtKey(s.ripple, kRingCentreKey);
}

}  // namespace tirk::lighting
