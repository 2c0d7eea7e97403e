// Music mode (29): the level mapping and the visualisers of audio modes 0..6.
#include <vector>

#include "engine_fixture.h"

namespace tirk::lighting {
namespace {

constexpr Rgb kBackground{0, 0, 50};
constexpr Rgb kForeground{0, 200, 0};

class MusicTest : public EngineTest {
protected:
    void Visualiser(int audioMode, bool sevenColours = false) {
        AudioLightRecord a;
        a.audioMode = uint8_t(audioMode);
        a.bkBlue = kBackground.blue;
        a.fgGreen = kForeground.green;
        a.sevenColorFlag = sevenColours ? 1 : 0;
        engine.SetAudioValues(a);
        Select(Values(29));
    }
    void Levels(std::vector<int32_t> levels) { engine.OnAudioLevels(levels); }
    void AllLevels(int32_t v) { Levels(std::vector<int32_t>(kAudioBands, v)); }
    /// One band loud, the others silent.
    void Band(int band, int32_t v) {
        std::vector<int32_t> levels(kAudioBands, 0);
        levels[band] = v;
        Levels(levels);
    }
    bool Lit(int column, int row) const { return S().levels[MatrixKey(column, row)] == 255; }
    int LitCount() const {
        int n = 0;
        for (uint8_t level : S().levels) n += level == 255;
        return n;
    }
};

TEST(MusicLevels, LouderMapsSmallerAndSaturatesAtFullScale) {
    const int cases[][2] = {{0, 600},  {1000, 300}, {1999, 1}, {2000, 0},
                            {2001, 0}, {5000, 0},   {-5, 600}, {2'000'000'000, 0}};
    for (const auto& c : cases) EXPECT_EQ(MappedLevel(c[0]), c[1]) << c[0];
}

TEST_F(MusicTest, Mode0InSilenceLightsNothingAndShowsTheBackground) {
    Visualiser(0);
    AllLevels(0);
    Step(3);
    EXPECT_EQ(LitCount(), 0);
    for (int c = 0; c < kMatrixColumns; ++c)
        for (int r = 0; r < kMatrixRows; ++r)
            if (MatrixKey(c, r) != kNoKey) {
                EXPECT_EQ(Key(MatrixKey(c, r)), Colour(kBackground, 255)) << c << "/" << r;
            }
}

TEST_F(MusicTest, Mode0AtFullLevelLightsRows1To5AndBarsFallFromTheTop) {
    Visualiser(0);
    AllLevels(2000);
    Step();
    for (int c = 2; c < kMatrixColumns; ++c) {
        EXPECT_FALSE(Lit(c, 0)) << c;
        for (int r = 1; r < kMatrixRows; ++r)
            if (MatrixKey(c, r) != kNoKey) {
                EXPECT_TRUE(Lit(c, r)) << c << "/" << r;
            }
    }
    EXPECT_EQ(Key(22), Colour(kForeground, 254));
    EXPECT_EQ(Key(0), Colour(kBackground, 255));
    for (int32_t level : S().audioLevels) EXPECT_EQ(level, 0) << "cleared after use";
    Step();  // silence: the top of each bar falls first
    EXPECT_EQ(S().levels[22], 210);
    EXPECT_EQ(S().levels[43], 255) << "waits until the key above is below 10";
}

TEST_F(MusicTest, Mode0StartMovesEvery31Steps) {
    Visualiser(0);
    Step(30);
    Band(1, 2000);
    Step();  // the 31st step: column 0 now takes band 1
    EXPECT_TRUE(Lit(0, 1));
    EXPECT_FALSE(Lit(1, 1));
}

TEST_F(MusicTest, SevenColoursShowEachKeysHue) {
    Visualiser(0, true);
    AllLevels(2000);
    Step();
    EXPECT_EQ(Key(22), Colour(Wheel(S().hues[22]), 254));
}

TEST_F(MusicTest, Mode1MirrorsBarsFromTheMiddle) {
    Visualiser(1);
    Band(0, 2000);  // row 0, left half
    Step();
    for (int c = 2; c <= 8; ++c) EXPECT_TRUE(Lit(c, 0)) << c;
    EXPECT_FALSE(Lit(9, 0)) << "the right half takes band 1";
    EXPECT_EQ(LitCount(), 7);
    Band(4, 2000);  // row 1, right half
    Step();
    for (int c = 9; c <= 19; ++c) EXPECT_TRUE(Lit(c, 1)) << c;
    EXPECT_FALSE(Lit(20, 1));
}

TEST_F(MusicTest, Mode5LoudBandsLightTheWholeBar) {
    Visualiser(5);
    Levels({6000, 6000});  // band 0, far beyond full scale, on the bottom row
    Step();
    for (int c = 0; c < 20; ++c) EXPECT_TRUE(Lit(c, 5)) << c;
    EXPECT_FALSE(Lit(20, 5));
    EXPECT_FALSE(Lit(0, 4));
}

TEST_F(MusicTest, Mode6EvenRowsFromTheRightOddRowsFromTheLeft) {
    Visualiser(6);
    AllLevels(0);
    Step();
    EXPECT_EQ(LitCount(), 0) << "silence lights nothing, odd rows included";
    AllLevels(2000);  // bands 0 and 1 (two levels each) map to 200, cut 7
    Step();
    EXPECT_TRUE(Lit(15, 5));
    EXPECT_FALSE(Lit(16, 5));
    EXPECT_FALSE(Lit(6, 4));
    EXPECT_TRUE(Lit(7, 4));
    EXPECT_TRUE(Lit(22, 4));
    for (int c = 0; c < kMatrixColumns; ++c)
        if (MatrixKey(c, 0) != kNoKey) {
            EXPECT_TRUE(Lit(c, 0)) << c;
        }
}

TEST_F(MusicTest, Mode3RingsFollowTheAverage) {
    Visualiser(3, true);
    AllLevels(0);
    Step();
    EXPECT_EQ(S().phase, 20);
    EXPECT_EQ(LitCount(), 0);
    AllLevels(2000);
    Step();
    EXPECT_EQ(S().phase, 20);
    EXPECT_EQ(Key(51), Colour(Wheel(20), 254));
    EXPECT_EQ(Key(Layout().rings[1][0]), Colour(Wheel(29), 254));
    EXPECT_EQ(Key(Layout().rings[11][0]), Colour(Wheel(119), 254));
}

TEST_F(MusicTest, Mode4HoldsAColumnUntilItsBottomKeyFaded) {
    Visualiser(4);
    AllLevels(2000);
    Step();
    EXPECT_TRUE(Lit(5, 1));
    EXPECT_EQ(S().columnReady[5], 0);
    AllLevels(2000);
    Step();
    EXPECT_EQ(S().levels[MatrixKey(5, 1)], 210) << "not lit again: it falls";
    Step(120);  // each key falls only after the one above it
    EXPECT_EQ(S().columnReady[5], 1);
    AllLevels(2000);
    Step();
    EXPECT_TRUE(Lit(5, 1));
}

TEST_F(MusicTest, Mode2LoudnessAddsUpToARippleFrom51) {
    Visualiser(2);
    AllLevels(2000);
    AllLevels(2000);
    EXPECT_EQ(S().audioSum, 50);
    AllLevels(0);
    EXPECT_EQ(S().audioSum, 50) << "silence adds nothing";
    AllLevels(2000);
    EXPECT_EQ(S().audioSum, 0);
    EXPECT_EQ(RippleColumn(S().ripple, 10), 1 << 2);
    const uint8_t hue = S().hues[30];
    Step();
    EXPECT_EQ(S().levels[30], 255) << "one key up from 51";
    EXPECT_EQ(S().hues[30], (hue + 9) % 192);
    EXPECT_EQ(Key(30), Colour(kForeground, 254));
}

}  // namespace
}  // namespace tirk::lighting
