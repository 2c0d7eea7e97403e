// The music-mode colour values in the forms the pages and the devices use,
// the colour edit rule, and the music colour commands as pure functions:
// each takes the audio-light values the page gave (device operation 48) and
// the new input, and returns the values to store (device operation 47). The
// page-side halves that read the controls are the lighting page's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "profile/profile_records.h"

namespace tirk {

/// One colour as three bytes.
struct RgbBytes {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const RgbBytes&) const = default;
};

/// A colour as the pages hold it: 0xFF000000 | red << 16 | green << 8 | blue.
uint32_t PageColour(RgbBytes colour);
/// The channels of a page colour; the alpha byte is ignored.
RgbBytes ColourChannels(uint32_t pageColour);

/// The audio-light values as three words: word 0 = audio mode | background
/// red << 8 | background green << 16 | background blue << 24; word 1 =
/// foreground red | green << 8 | blue << 16 | seven-colour flag << 24; then
/// the colour type byte.
struct AudioLightWords {
    uint32_t word0 = 0;
    uint32_t word1 = 0;
    uint8_t colorType = 0;
    bool operator==(const AudioLightWords&) const = default;
};
AudioLightWords ToAudioLightWords(const AudioLightRecord& values);
AudioLightRecord FromAudioLightWords(const AudioLightWords& words);

// ---- colour edits ----

/// What a colour edit's text means, and what the edit should then show.
struct ColourEdit {
    uint8_t value = 0;
    std::string text;      ///< the decimal text of `value`
    bool rewrite = false;  ///< the edit's text differs from `text` and is replaced
};

/// Reads a colour edit's text: an optional sign and decimal digits, with
/// spaces around them allowed. Above 255 gives 255, below 0 gives 0, and an
/// empty text or one that is not such a number gives 0. Whenever the text is
/// not the plain decimal of the value ("300", "", "abc", " 7", "007") the edit
/// is to be rewritten with it, so what it shows is what is stored.
ColourEdit ParseColourEdit(std::string_view text);

/// The lighting values after a colour edit of `channel` (0 red, 1 green,
/// 2 blue): that channel becomes `value` and the multi-colour flag 0. Any
/// other channel leaves the values as they are.
LightInfoRecord WithLightChannel(LightInfoRecord values, int channel, uint8_t value);

// ---- music colours ----

/// True when the page edits the foreground colour (colour type non-zero).
inline bool EditsForeground(const AudioLightRecord& values) {
    return values.colorTypeFlag != 0;
}
/// The colour being edited: the foreground colour (type 1) or the background one (type 0).
RgbBytes CurrentAudioColour(const AudioLightRecord& values);
/// Stores `colour` as the colour being edited; nothing else changes.
AudioLightRecord WithCurrentAudioColour(AudioLightRecord values, RgbBytes colour);

/// The colour type from the two options: 1 when the foreground option is
/// selected, 0 when the background option is, `previous` when neither is.
/// Both selected gives 1.
uint8_t AudioColourTypeFromOptions(uint8_t previous, bool backgroundSelected,
                                   bool foregroundSelected);

/// "audio_BkColor_check" / "audio_FgColor_check" changed: the values with the
/// colour type the options now give.
AudioLightRecord ChooseAudioColourType(AudioLightRecord values, bool backgroundSelected,
                                       bool foregroundSelected);

/// "deng_audioColor_Pallet" changed to `pageColour`: it becomes the colour
/// being edited; the seven-colour flag is cleared only when the foreground
/// colour thereby changed (a background colour never clears it).
AudioLightRecord ApplyAudioPaletteColour(AudioLightRecord values, uint32_t pageColour);

/// A click on the music colour slot showing `pageColour`: type 1 makes it the
/// foreground colour and clears the seven-colour flag (even when the colour
/// is the same); type 0 makes it the background colour.
AudioLightRecord ApplyAudioSlotColour(AudioLightRecord values, uint32_t pageColour);

/// Music colour edit `channel` (0 red, 1 green, 2 blue) lost the focus with
/// `text` (read by ParseColourEdit): type 1 sets that channel of the
/// foreground colour and clears the seven-colour flag; type 0 sets it in the
/// background colour. Any other channel leaves the values as they are.
AudioLightRecord ApplyAudioEditText(AudioLightRecord values, int channel, std::string_view text);

/// "Close_bkColor_btn": the background colour becomes black.
AudioLightRecord ClearAudioBackground(AudioLightRecord values);

}  // namespace tirk
