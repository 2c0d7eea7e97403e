#include "device/keyboard/keyboard_colours.h"

#include <algorithm>

namespace tirk::keyboard {
namespace {

// The bank offset of position p's colour, or -1 when it has none.
int BankOffset(const PositionMaps& maps, size_t position) {
    if (position >= maps.led.size()) return -1;
    uint8_t led = maps.led[position];
    return led < kMaxLedIndex ? led * 3 : -1;
}

}  // namespace

ColourBank BuildColourBank(const PositionMaps& maps, std::span<const CustomLightColor> colours,
                           AlphaScaling scaling) {
    ColourBank bank{};
    for (size_t i = 0; i < colours.size(); ++i) {
        int at = BankOffset(maps, i);
        if (at < 0) continue;
        const CustomLightColor& c = colours[i];
        bool scale = scaling == AlphaScaling::kByAlpha;
        bank[at] = scale ? ScaleByAlpha(c.red, c.alpha) : c.red;
        bank[at + 1] = scale ? ScaleByAlpha(c.green, c.alpha) : c.green;
        bank[at + 2] = scale ? ScaleByAlpha(c.blue, c.alpha) : c.blue;
    }
    return bank;
}

void TakeColourBank(const PositionMaps& maps, const ColourBank& bank,
                    std::span<CustomLightColor> colours) {
    for (size_t i = 0; i < colours.size(); ++i) {
        int at = BankOffset(maps, i);
        if (at < 0) continue;
        colours[i].red = bank[at];
        colours[i].green = bank[at + 1];
        colours[i].blue = bank[at + 2];
    }
}

std::vector<uint8_t> BuildLightFrame(const PositionMaps& maps, int keyCount,
                                     std::span<const CustomLightColor> colours) {
    ColourBank bank = BuildColourBank(maps, colours, AlphaScaling::kByAlpha);
    size_t length = std::min<size_t>(size_t(std::max(keyCount, 0)) * 3, bank.size());
    return std::vector<uint8_t>(bank.begin(), bank.begin() + length);
}

}  // namespace tirk::keyboard
