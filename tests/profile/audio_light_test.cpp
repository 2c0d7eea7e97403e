// The music colour values in their word and page-colour forms, the colour
// edit rule and the music colour commands.
#include "profile/audio_light.h"

#include <gtest/gtest.h>

namespace {

using tirk::AudioLightRecord;
using tirk::RgbBytes;

/// Audio mode 2, background (10, 20, 30), foreground (200, 100, 50),
/// seven-colour flag set, colour type `type`.
AudioLightRecord Values(uint8_t type) {
    return {2, 10, 20, 30, 200, 100, 50, 1, type};
}

AudioLightRecord WithForeground(AudioLightRecord values, RgbBytes c, uint8_t seven) {
    values.fgRed = c.red, values.fgGreen = c.green, values.fgBlue = c.blue;
    values.sevenColorFlag = seven;
    return values;
}

AudioLightRecord WithBackground(AudioLightRecord values, RgbBytes c) {
    values.bkRed = c.red, values.bkGreen = c.green, values.bkBlue = c.blue;
    return values;
}

TEST(AudioLightWords, PackEveryFieldInItsByteBothWays) {
    struct Case {
        AudioLightRecord values;
        uint32_t word0;
        uint32_t word1;
    };
    const std::vector<Case> cases = {
        {{}, 0, 0},
        {{6, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 1, 1}, 0x33221106, 0x01665544},
        {{255, 255, 255, 255, 255, 255, 255, 255, 255}, 0xFFFFFFFF, 0xFFFFFFFF},
        {Values(0), 0x1E140A02, 0x013264C8},
    };
    for (const Case& c : cases) {
        const tirk::AudioLightWords words = tirk::ToAudioLightWords(c.values);
        EXPECT_EQ(words.word0, c.word0);
        EXPECT_EQ(words.word1, c.word1);
        EXPECT_EQ(words.colorType, c.values.colorTypeFlag);
        EXPECT_EQ(tirk::FromAudioLightWords(words), c.values);
    }
}

TEST(PageColour, IsOpaqueRgbAndItsAlphaIsIgnoredBack) {
    struct Case {
        RgbBytes rgb;
        uint32_t colour;
    };
    const std::vector<Case> cases = {
        {{0, 0, 0}, 0xFF000000},
        {{255, 0, 0}, 0xFFFF0000},
        {{0x12, 0x34, 0x56}, 0xFF123456},
        {{255, 255, 255}, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tirk::PageColour(c.rgb), c.colour);
        EXPECT_EQ(tirk::ColourChannels(c.colour), c.rgb);
        EXPECT_EQ(tirk::ColourChannels(c.colour & 0x00FFFFFF), c.rgb);
    }
}

TEST(ColourEdit, TakesADecimalByteAndSaysWhatToShow) {
    struct Case {
        const char* text;
        uint8_t value;
        bool rewrite;
    };
    const std::vector<Case> cases = {
        {"0", 0, false},     {"128", 128, false},
        {"255", 255, false}, {"256", 255, true},
        {"300", 255, true},  {"99999999999999999999", 255, true},  // no overflow
        {"", 0, true},       {"abc", 0, true},
        {"12abc", 0, true},                    // all or nothing: not the 12 in front
        {"1 2", 0, true},    {"-5", 0, true},  // below the range, not the byte 251
        {"-", 0, true},      {"+7", 7, true},
        {" 7", 7, true},     {"7 ", 7, true},
        {"007", 7, true},    {"\xEF\xBC\x97", 0, true},  // a full-width 7 is not a digit here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        const tirk::ColourEdit edit = tirk::ParseColourEdit(c.text);
        EXPECT_EQ(edit.value, c.value);
        EXPECT_EQ(edit.text, std::to_string(c.value));
        EXPECT_EQ(edit.rewrite, c.rewrite);
    }
}

TEST(ColourEdit, ReplacesOneLightingChannelAndClearsMultiColour) {
    tirk::LightInfoRecord values;
    values.red = 1, values.green = 2, values.blue = 3, values.multiColor = 1, values.selectItem = 6;
    for (int channel = -1; channel <= 3; ++channel) {
        SCOPED_TRACE(channel);
        const tirk::LightInfoRecord edited = tirk::WithLightChannel(values, channel, 255);
        if (channel < 0 || channel > 2) {
            EXPECT_EQ(edited, values);
            continue;
        }
        EXPECT_EQ(edited.red, channel == 0 ? 255 : 1);
        EXPECT_EQ(edited.green, channel == 1 ? 255 : 2);
        EXPECT_EQ(edited.blue, channel == 2 ? 255 : 3);
        EXPECT_EQ(edited.multiColor, 0);
        EXPECT_EQ(edited.selectItem, 6);
    }
}

TEST(MusicColourCommands, PaletteClearsSevenColourOnlyForAChangedForeground) {
    const RgbBytes same{200, 100, 50};
    const RgbBytes other{1, 2, 3};
    struct Case {
        const char* name;
        AudioLightRecord before;
        RgbBytes colour;
        AudioLightRecord after;
    };
    const std::vector<Case> cases = {
        {"foreground, other colour", Values(1), other, WithForeground(Values(1), other, 0)},
        {"foreground, same colour", Values(1), same, Values(1)},
        {"background, other colour", Values(0), other, WithBackground(Values(0), other)},
        {"background, the foreground's colour", Values(0), same, WithBackground(Values(0), same)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tirk::ApplyAudioPaletteColour(c.before, tirk::PageColour(c.colour)), c.after);
    }
}

TEST(MusicColourCommands, SlotSetsTheCurrentColourAndAForegroundAlwaysClearsSevenColour) {
    const RgbBytes same{200, 100, 50};
    const RgbBytes other{9, 8, 7};
    struct Case {
        const char* name;
        AudioLightRecord before;
        RgbBytes colour;
        AudioLightRecord after;
    };
    const std::vector<Case> cases = {
        {"foreground", Values(1), other, WithForeground(Values(1), other, 0)},
        {"foreground, same colour", Values(1), same, WithForeground(Values(1), same, 0)},
        {"background", Values(0), other, WithBackground(Values(0), other)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tirk::ApplyAudioSlotColour(c.before, tirk::PageColour(c.colour)), c.after);
    }
}

TEST(MusicColourCommands, EditSetsOneChannelOfTheCurrentColour) {
    struct Case {
        uint8_t type;
        int channel;
        const char* text;
        AudioLightRecord after;
    };
    const std::vector<Case> cases = {
        {1, 0, "7", WithForeground(Values(1), {7, 100, 50}, 0)},
        {1, 1, "300", WithForeground(Values(1), {200, 255, 50}, 0)},
        {1, 2, "", WithForeground(Values(1), {200, 100, 0}, 0)},
        {1, 0, "200", WithForeground(Values(1), {200, 100, 50}, 0)},  // same value, still cleared
        {0, 0, "abc", WithBackground(Values(0), {0, 20, 30})},
        {0, 2, "255", WithBackground(Values(0), {10, 20, 255})},  // seven-colour kept
        {1, 3, "9", Values(1)},                                   // no such edit
        {0, -1, "9", Values(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.channel) + "/" + c.text);
        EXPECT_EQ(tirk::ApplyAudioEditText(Values(c.type), c.channel, c.text), c.after);
    }
}

TEST(MusicColourCommands, ColourTypeFollowsTheOptionsAndNeitherKeepsIt) {
    struct Case {
        uint8_t before;
        bool background;
        bool foreground;
        uint8_t after;
    };
    const std::vector<Case> cases = {
        {1, true, false, 0},
        {0, false, true, 1},
        {1, false, false, 1},  // neither selected: the foreground type stays
        {0, false, false, 0},
        {0, true, true, 1},  // not possible in one option group: the later rule wins
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.before) + (c.background ? " bk" : "") +
                     (c.foreground ? " fg" : ""));
        const AudioLightRecord after =
            tirk::ChooseAudioColourType(Values(c.before), c.background, c.foreground);
        AudioLightRecord expected = Values(c.before);
        expected.colorTypeFlag = c.after;
        EXPECT_EQ(after, expected) << "only the type changes";
        const RgbBytes current = c.after ? RgbBytes{200, 100, 50} : RgbBytes{10, 20, 30};
        EXPECT_EQ(tirk::CurrentAudioColour(after), current);
    }
}

TEST(MusicColourCommands, CloseBackgroundMakesItBlackOnly) {
    for (const uint8_t type : {0, 1})
        EXPECT_EQ(tirk::ClearAudioBackground(Values(type)), WithBackground(Values(type), {}));
}

}  // namespace
