#include "profile/audio_light.h"

#include <cctype>

namespace tirk {
namespace {

constexpr uint8_t kChannelMax = 255;

/// Channel `channel` (0 red, 1 green, 2 blue) of `colour`, nullptr for any other.
uint8_t* Channel(RgbBytes& colour, int channel) {
    switch (channel) {
        case 0:
            return &colour.red;
        case 1:
            return &colour.green;
        case 2:
            return &colour.blue;
        default:
            return nullptr;
    }
}

RgbBytes Foreground(const AudioLightRecord& values) {
    return {values.fgRed, values.fgGreen, values.fgBlue};
}

RgbBytes Background(const AudioLightRecord& values) {
    return {values.bkRed, values.bkGreen, values.bkBlue};
}

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

/// The value of an optional sign followed by digits, clamped to 0..255;
/// false when `text` is not of that form.
bool ClampedNumber(std::string_view text, uint8_t& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    unsigned magnitude = 0;  // stops growing past the maximum: no overflow
    for (char c : text) {
        if (!IsDigit(c)) return false;
        if (magnitude <= kChannelMax) magnitude = magnitude * 10 + unsigned(c - '0');
    }
    value = negative ? 0 : uint8_t(magnitude > kChannelMax ? kChannelMax : magnitude);
    return true;
}

}  // namespace

uint32_t PageColour(RgbBytes colour) {
    return 0xFF000000u | uint32_t(colour.red) << 16 | uint32_t(colour.green) << 8 | colour.blue;
}

RgbBytes ColourChannels(uint32_t pageColour) {
    return {uint8_t(pageColour >> 16), uint8_t(pageColour >> 8), uint8_t(pageColour)};
}

AudioLightWords ToAudioLightWords(const AudioLightRecord& values) {
    AudioLightWords words;
    words.word0 = uint32_t(values.audioMode) | uint32_t(values.bkRed) << 8 |
                  uint32_t(values.bkGreen) << 16 | uint32_t(values.bkBlue) << 24;
    words.word1 = uint32_t(values.fgRed) | uint32_t(values.fgGreen) << 8 |
                  uint32_t(values.fgBlue) << 16 | uint32_t(values.sevenColorFlag) << 24;
    words.colorType = values.colorTypeFlag;
    return words;
}

AudioLightRecord FromAudioLightWords(const AudioLightWords& words) {
    AudioLightRecord values;
    values.audioMode = uint8_t(words.word0);
    values.bkRed = uint8_t(words.word0 >> 8);
    values.bkGreen = uint8_t(words.word0 >> 16);
    values.bkBlue = uint8_t(words.word0 >> 24);
    values.fgRed = uint8_t(words.word1);
    values.fgGreen = uint8_t(words.word1 >> 8);
    values.fgBlue = uint8_t(words.word1 >> 16);
    values.sevenColorFlag = uint8_t(words.word1 >> 24);
    values.colorTypeFlag = words.colorType;
    return values;
}

ColourEdit ParseColourEdit(std::string_view text) {
    ColourEdit edit;
    if (!ClampedNumber(Trimmed(text), edit.value)) edit.value = 0;
    edit.text = std::to_string(edit.value);
    edit.rewrite = text != edit.text;
    return edit;
}

LightInfoRecord WithLightChannel(LightInfoRecord values, int channel, uint8_t value) {
    RgbBytes colour{values.red, values.green, values.blue};
    uint8_t* target = Channel(colour, channel);
    if (!target) return values;
    *target = value;
    values.red = colour.red;
    values.green = colour.green;
    values.blue = colour.blue;
    values.multiColor = 0;
    return values;
}

RgbBytes CurrentAudioColour(const AudioLightRecord& values) {
    return EditsForeground(values) ? Foreground(values) : Background(values);
}

AudioLightRecord WithCurrentAudioColour(AudioLightRecord values, RgbBytes colour) {
    if (EditsForeground(values)) {
        values.fgRed = colour.red;
        values.fgGreen = colour.green;
        values.fgBlue = colour.blue;
    } else {
        values.bkRed = colour.red;
        values.bkGreen = colour.green;
        values.bkBlue = colour.blue;
    }
    return values;
}

uint8_t AudioColourTypeFromOptions(uint8_t previous, bool backgroundSelected,
                                   bool foregroundSelected) {
    // Read in the order background, then foreground: were both selected (one
    // option group never allows it), the later one would stand.
    if (foregroundSelected) return 1;
    if (backgroundSelected) return 0;
    return previous;
}

AudioLightRecord ChooseAudioColourType(AudioLightRecord values, bool backgroundSelected,
                                       bool foregroundSelected) {
    values.colorTypeFlag =
        AudioColourTypeFromOptions(values.colorTypeFlag, backgroundSelected, foregroundSelected);
    return values;
}

AudioLightRecord ApplyAudioPaletteColour(AudioLightRecord values, uint32_t pageColour) {
    const RgbBytes previousForeground = Foreground(values);
    values = WithCurrentAudioColour(values, ColourChannels(pageColour));
    if (Foreground(values) != previousForeground) values.sevenColorFlag = 0;
    return values;
}

AudioLightRecord ApplyAudioSlotColour(AudioLightRecord values, uint32_t pageColour) {
    values = WithCurrentAudioColour(values, ColourChannels(pageColour));
    if (EditsForeground(values)) values.sevenColorFlag = 0;
    return values;
}

AudioLightRecord ApplyAudioEditText(AudioLightRecord values, int channel, std::string_view text) {
    RgbBytes colour = CurrentAudioColour(values);
    uint8_t* target = Channel(colour, channel);
    if (!target) return values;
    *target = ParseColourEdit(text).value;
    values = WithCurrentAudioColour(values, colour);
    if (EditsForeground(values)) values.sevenColorFlag = 0;
    return values;
}

AudioLightRecord ClearAudioBackground(AudioLightRecord values) {
    values.bkRed = values.bkGreen = values.bkBlue = 0;
    return values;
}

}  // namespace tirk
