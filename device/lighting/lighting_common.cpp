#include "device/lighting/lighting_steps.h"

namespace tirk::lighting {

uint8_t Bright(const EngineState& s) {
    return BrightnessAlpha(s.light.light);
}

Rgb LightColour(const EngineState& s) {
    return {s.light.red, s.light.green, s.light.blue};
}

Rgb KeyRgb(const EngineState& s, uint8_t hue) {
    return s.light.multiColor ? ColourWheel()[hue] : LightColour(s);
}

void SetKey(EngineState& s, int position, Rgb colour, uint8_t alpha) {
    if (position < 0 || position >= kPositionCount) return;
    s.colours[position] = {colour.red, colour.green, colour.blue, alpha};
}

void SetAll(EngineState& s, Rgb colour, uint8_t alpha) {
    for (int p = 0; p < kPositionCount; ++p) SetKey(s, p, colour, alpha);
}

void SetColumn(EngineState& s, int column, Rgb colour, uint8_t alpha) {
    for (int row = 0; row < kMatrixRows; ++row) {
        const uint8_t key = MatrixKey(column, row);
        if (key != kNoKey) SetKey(s, key, colour, alpha);
    }
}

void AllOff(EngineState& s) {
    s.colours.fill(KeyColour{});
}

uint32_t NextRandom(EngineState& s) {
    uint32_t x = s.random ? s.random : 1;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    s.random = x;
    return x;
}

void FadeAll(EngineState& s, FadeSchedule schedule) {
    for (uint8_t& level : s.levels) level = Fade(level, schedule);
}

void ShowLevels(EngineState& s, int positions) {
    const uint8_t bright = Bright(s);
    for (int p = 0; p < positions; ++p)
        SetKey(s, p, KeyRgb(s, s.hues[p]), Scale(bright, s.levels[p]));
}

}  // namespace tirk::lighting
