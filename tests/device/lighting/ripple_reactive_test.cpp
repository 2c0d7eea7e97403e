// The ripples (modes 13, 14, 16, and the key ripples of 8 and 9) and the
// heat map of mode 25.
#include <cstdlib>

#include "engine_fixture.h"

namespace tirk::lighting {
namespace {

TEST(Ripple, IsTheDiamondOfKeysAtTheSameDistance) {
    struct Case {
        int column, row, moves;
    };
    const Case cases[] = {{9, 2, 3}, {0, 0, 4}, {22, 6, 5}, {11, 3, 0}, {5, 1, 9}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.column << "/" << c.row << " after " << c.moves);
        RippleState r;
        SeedRipple(r, c.column, c.row);
        for (int i = 0; i < c.moves; ++i) MoveRipple(r);
        for (int col = 0; col < kMatrixColumns; ++col) {
            uint8_t expected = 0;
            for (int row = 0; row <= kMatrixRows; ++row)
                if (std::abs(col - c.column) + std::abs(row - c.row) == c.moves)
                    expected |= 1 << row;
            EXPECT_EQ(RippleColumn(r, col), expected) << "column " << col;
        }
    }
}

TEST(Ripple, LeavesTheMatrixAndEnds) {
    RippleState r;
    SeedRipple(r, 11, 3);
    for (int i = 0; i < 40; ++i) MoveRipple(r);
    EXPECT_TRUE(RippleEmpty(r));
    SeedRipple(r, 23, 0);  // outside: ignored
    SeedRipple(r, 3, 7);
    EXPECT_TRUE(RippleEmpty(r));
}

TEST_F(EngineTest, Mode13BouncesAtColumn9EverySecondStep) {
    Select(Values(13));
    Step();
    EXPECT_EQ(S().levels[129], 0) << "no move on the first step";
    Step();
    EXPECT_EQ(S().levels[129], 255) << "one key up from below the bottom";
    Step(10);  // six moves: the front reaches the top row
    EXPECT_EQ(S().levels[6], 255);
    EXPECT_EQ(S().ripple.fronts[2][9] & 0x01, 0x01) << "reseeded at the top";
    Step(10);  // five more: down to the bottom row
    EXPECT_EQ(S().levels[129], 255);
    Step(2);  // and below it
    EXPECT_EQ(S().ripple.fronts[0][9] & 0x40, 0x40) << "reseeded below the bottom";
}

TEST_F(EngineTest, Mode16RunsCornerToCornerAndBack) {
    Select(Values(16));
    Step(27);
    EXPECT_EQ(S().ripple.fronts[0][22] & 0x40, 0x40) << "reseeded below column 22";
    Step(27);
    EXPECT_EQ(S().ripple.fronts[3][1] & 0x01, 0x01) << "reseeded at the top of column 1";
    Step();
    EXPECT_EQ(S().levels[MatrixKey(1, 1)], 255);
}

TEST_F(EngineTest, Mode14PlaysItsShowAndStartsAgain) {
    Select(Values(14));
    Step();
    for (uint8_t key : Layout().showFrames[0]) EXPECT_EQ(S().levels[key], 255) << int(key);
    Step(19);
    EXPECT_EQ(S().showStage, ShowStage::kPairs);
    Step(31);
    EXPECT_EQ(S().showStage, ShowStage::kWaitForPair);
    EXPECT_EQ(S().levels[72], 255) << "the last pair holds 72";
    bool rippled = false;
    int steps = 0;
    for (; steps < 500 && !(rippled && S().showStage == ShowStage::kFrames); ++steps) {
        const bool waiting = S().showStage == ShowStage::kWaitForPair;
        Step();
        if (waiting && S().showStage == ShowStage::kRipple) {
            rippled = true;
            EXPECT_EQ(S().levels[72], 0);
            EXPECT_EQ(S().ripple.fronts[0][11], 1 << 2) << "from position 52";
        }
    }
    EXPECT_TRUE(rippled);
    EXPECT_EQ(S().showStage, ShowStage::kFrames) << "the show starts again";
    EXPECT_EQ(S().levels[124], 0);
}

TEST_F(EngineTest, KeyRipplesOfModes8And9AndTheLitKeyOf7) {
    for (int mode : {8, 9}) {
        Select(Values(mode));
        EXPECT_FALSE(engine.OnKeyEvent(72, kKeyPress));
        EXPECT_EQ(RippleColumn(S().ripple, 10), 1 << 3) << mode;
        engine.OnKeyEvent(50, kKeyRelease);
        EXPECT_EQ(RippleColumn(S().ripple, 9), 0) << "a release starts nothing";
        Step();
        EXPECT_TRUE(AllDark());
    }
    Select(Values(7));
    engine.OnKeyEvent(30, kKeyPress);
    EXPECT_EQ(S().levels[30], 255);
    EXPECT_FALSE(engine.OnKeyEvent(170, kKeyPress));
    EXPECT_FALSE(engine.OnKeyEvent(30, 3));
}

// ---- mode 25 ----

class HeatMapTest : public EngineTest {
protected:
    void SetUp() override { Select(Values(25)); }
    uint8_t Level(int p) const { return S().reactive.level[p]; }
    uint8_t Direction(int p) const { return S().reactive.direction[p]; }
};

TEST_F(HeatMapTest, PressRaisesTheKeyAndItsNeighbours) {
    EXPECT_TRUE(engine.OnKeyEvent(51, kKeyPress));  // O: column 10, row 2
    struct Case {
        int key, level;
    };
    const Case cases[] = {
        {51, 255},                                   // the key
        {30, 150}, {72, 150}, {50, 150}, {52, 150},  // above, below, left, right
        {29, 90},  {31, 90},  {71, 90},  {73, 90},   // diagonals
        {7, 90},   {92, 90},                         // two rows up and down
        {49, 60},  {53, 60},                         // two columns left and right
        {28, 0},   {8, 0},    {109, 0},              // further away
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Level(c.key), c.level) << c.key;
        EXPECT_EQ(Direction(c.key), c.level ? 1 : 0) << c.key;
    }
    EXPECT_EQ(S().reactive.pressed[51], 1);
    Step();
    EXPECT_EQ(Level(30), 165) << "rising by 15 per step";
    EXPECT_EQ(Key(30).alpha, 255 * 165 >> 8);
    EXPECT_EQ(Level(51), 255);
}

TEST_F(HeatMapTest, ReleaseLetsTheNeighboursFall) {
    engine.OnKeyEvent(51, kKeyPress);
    engine.OnKeyEvent(51, kKeyRelease);
    EXPECT_EQ(Level(30), 135) << "direct neighbours fall by 15";
    EXPECT_EQ(Level(29), 0) << "the others by 90";
    EXPECT_EQ(Level(49), 0);
    for (int key : {51, 30, 29, 49}) EXPECT_EQ(Direction(key), 2) << key;
    Step();
    EXPECT_EQ(Level(51), 250) << "falling by 5 per step";
    EXPECT_EQ(Level(30), 130);
}

TEST_F(HeatMapTest, ReleasingOneOfTwoAdjacentKeysLeavesTheOthersNeighbours) {
    engine.OnKeyEvent(51, kKeyPress);
    engine.OnKeyEvent(52, kKeyPress);  // P, right next to O
    Step(3);
    const ReactiveState before = S().reactive;
    engine.OnKeyEvent(51, kKeyRelease);
    const MatrixCell p = CellOfKey(52);
    const int offsets[][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}, {-1, -1}, {1, -1},
                              {-1, 1}, {1, 1}, {0, -2}, {0, 2}, {-2, 0},  {2, 0}};
    for (const auto& o : offsets) {
        const uint8_t n = MatrixKey(p.column + o[0], p.row + o[1]);
        if (n == kNoKey) continue;
        EXPECT_EQ(Level(n), before.level[n]) << int(n);
        EXPECT_EQ(Direction(n), before.direction[n]) << int(n);
    }
    EXPECT_EQ(Direction(52), 1) << "the key still held never falls";
    EXPECT_EQ(Level(52), before.level[52]);
    EXPECT_EQ(Direction(51), 1) << "a pressed key is still next to it";
    EXPECT_EQ(S().reactive.pressed[51], 0);
    EXPECT_EQ(Direction(49), 2) << "O's neighbour that P does not reach falls";
}

TEST_F(HeatMapTest, WakesOnlyWhileLevelsMove) {
    Step();
    EXPECT_EQ(engine.NextDue(), kNever);
    engine.OnKeyEvent(51, kKeyPress);
    EXPECT_NE(engine.NextDue(), kNever);
    Step(20);  // everything around the held key reaches 255
    EXPECT_EQ(engine.NextDue(), kNever) << "held: nothing moves";
    engine.OnKeyEvent(51, kKeyRelease);
    EXPECT_NE(engine.NextDue(), kNever);
    Step(60);
    EXPECT_EQ(engine.NextDue(), kNever);
    EXPECT_TRUE(AllDark());
}

}  // namespace
}  // namespace tirk::lighting
