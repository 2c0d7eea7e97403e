// The on-screen keyboard's table and the layout tables derived from it.
#include "device/lighting/keyboard_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "device/lighting/layout_tables.h"

namespace tirk::lighting {
namespace {

const KeyGeometry& Geo(int p) {
    return KeyboardGeometry()[p];
}

std::vector<int> DrawnPositions() {
    std::vector<int> drawn;
    for (int p = 0; p < kPositionCount; ++p)
        if (Geo(p).Drawn()) drawn.push_back(p);
    return drawn;
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#x27;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

TEST(KeyboardGeometry, A104KeyAnsiDrawingInsideItsBounds) {
    const std::vector<int> drawn = DrawnPositions();
    EXPECT_EQ(int(drawn.size()), kDrawnKeyCount);
    for (int p : drawn) {
        SCOPED_TRACE(p);
        EXPECT_LE(Geo(p).x + Geo(p).w, kDrawingWidth);
        EXPECT_LE(Geo(p).y + Geo(p).h, kDrawingHeight);
        EXPECT_GE(Geo(p).w, 4);
        EXPECT_NE(DrawnRow(p), -1) << "top edge on a drawn row";
    }
    for (size_t i = 0; i < drawn.size(); ++i)
        for (size_t j = i + 1; j < drawn.size(); ++j) {
            const KeyGeometry &a = Geo(drawn[i]), &b = Geo(drawn[j]);
            const bool apart =
                a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
            EXPECT_TRUE(apart) << drawn[i] << " overlaps " << drawn[j];
        }
}

// Rows 1..5 of the main block are each exactly 15 keys wide without gaps,
// as on every ANSI keyboard; a wrong width or x shows here.
TEST(KeyboardGeometry, MainBlockRowsAreFifteenKeysWide) {
    for (int row = 1; row < 6; ++row) {
        std::vector<std::pair<int, int>> spans;
        for (int p : DrawnPositions())
            if (DrawnRow(p) == row && Geo(p).x < 60)
                spans.push_back({Geo(p).x, Geo(p).x + Geo(p).w});
        std::sort(spans.begin(), spans.end());
        int edge = 0;
        for (auto [from, to] : spans) {
            EXPECT_EQ(from, edge) << "row " << row;
            edge = to;
        }
        EXPECT_EQ(edge, 60) << "row " << row;
    }
}

TEST(KeyboardGeometry, NamedKeys) {
    struct Case {
        int position;
        const char* legend;
        int x, y, w, h;
    };
    const Case cases[] = {
        {0, "keyboard_key_Esc", 0, 0, 4, 4},
        {12, "keyboard_key_F12", 56, 0, 4, 4},
        {34, "keyboard_key_BackSpace", 52, 6, 8, 4},
        {55, "keyboard_key_xiegang", 54, 10, 6, 4},
        {75, "keyboard_key_Enter", 51, 14, 9, 4},
        {95, "keyboard_key_RShift", 49, 18, 11, 4},
        {108, "keyboard_key_Space", 15, 22, 25, 4},
        {110, "keyboard_key_FN", 45, 22, 5, 4},
        {119, "keyboard_key_Num +", 86, 10, 4, 8},
        {118, "keyboard_key_Num Enter", 86, 18, 4, 8},
        {116, "keyboard_key_Num 0", 74, 22, 8, 4},
        {96, "keyboard_key_Up", 65, 18, 4, 4},
        {125, "keyboard_key_RWin", 0, 0, 0, 0},
        {120, "keyboard_key_M1", 0, 0, 0, 0},
        {18, "", 0, 0, 0, 0},
        {104, "", 0, 0, 0, 0},
        {126, "", 0, 0, 0, 0},
        {169, "", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        const KeyGeometry& g = Geo(c.position);
        EXPECT_STREQ(g.legend, c.legend);
        EXPECT_EQ(g.x, c.x);
        EXPECT_EQ(g.y, c.y);
        EXPECT_EQ(g.w, c.w);
        EXPECT_EQ(g.h, c.h);
    }
}

TEST(KeyboardGeometry, CellsAreTheKeyMatrixAndEveryDrawnKeyHasOne) {
    for (int p = 0; p < kPositionCount; ++p) {
        SCOPED_TRACE(p);
        const KeyGeometry& g = Geo(p);
        if (g.matrixColumn >= 0)
            EXPECT_EQ(MatrixKey(g.matrixColumn, g.matrixRow), p);
        else
            EXPECT_EQ(CellOfKey(p).Valid(), false);
        if (g.Drawn()) {
            EXPECT_GE(g.matrixColumn, 0);
        }
    }
    EXPECT_EQ(Geo(51).matrixColumn, 10);
    EXPECT_EQ(Geo(51).matrixRow, 2);
}

TEST(KeyboardGeometry, EveryLegendIsALanguageKey) {
    std::ifstream file(std::string(TIRK_RESOURCE_DIR) + "/skin/lan_en.xml");
    ASSERT_TRUE(file) << "no English language file";
    std::stringstream text;
    text << file.rdbuf();
    for (int p = 0; p < kPositionCount; ++p) {
        const std::string legend = Geo(p).legend;
        if (legend.empty()) continue;
        EXPECT_NE(text.str().find("key=\"" + XmlEscaped(legend) + "\""), std::string::npos)
            << p << " " << legend;
    }
}

// ---- the layout tables ----

std::vector<int> Present(const auto& slots) {
    std::vector<int> keys;
    for (uint8_t k : slots)
        if (k != kNoKey) keys.push_back(k);
    return keys;
}

std::multiset<int> DrawnSet() {
    const auto drawn = DrawnPositions();
    return {drawn.begin(), drawn.end()};
}

int Distance2(int a, int b) {
    const int dx = Geo(a).CentreX8() - Geo(b).CentreX8(),
              dy = Geo(a).CentreY8() - Geo(b).CentreY8();
    return dx * dx + dy * dy;
}

TEST(LayoutTables, KeyOrderIsTheDrawingRowByRow) {
    const auto& order = Layout().keyOrder;
    const std::vector<int> keys = Present(order);
    EXPECT_EQ(std::multiset<int>(keys.begin(), keys.end()), DrawnSet());
    for (int i = 0; i < kDrawnKeyCount; ++i)
        EXPECT_NE(order[i], kNoKey) << "gap before the end mark";
    EXPECT_EQ(order[kDrawnKeyCount], kNoKey);
    for (size_t i = 1; i < keys.size(); ++i) {
        const bool sameRow = DrawnRow(keys[i]) == DrawnRow(keys[i - 1]);
        EXPECT_TRUE(sameRow ? Geo(keys[i]).x > Geo(keys[i - 1]).x
                            : DrawnRow(keys[i]) == DrawnRow(keys[i - 1]) + 1)
            << keys[i];
    }
    EXPECT_EQ(std::multiset<int>(Layout().randomPicks.begin(), Layout().randomPicks.end()),
              DrawnSet());
}

TEST(LayoutTables, RingsGrowOutwardFromPosition51) {
    const auto& rings = Layout().rings;
    std::vector<int> all;
    int previousFarthest = 0;
    for (int ring = 0; ring < kRingCount; ++ring) {
        const std::vector<int> keys = Present(rings[ring]);
        ASSERT_FALSE(keys.empty()) << ring;
        int nearest = 1 << 30, farthest = 0;
        for (int k : keys) {
            nearest = std::min(nearest, Distance2(k, 51));
            farthest = std::max(farthest, Distance2(k, 51));
        }
        EXPECT_GE(nearest, previousFarthest) << "ring " << ring << " reaches inside the last";
        previousFarthest = farthest;
        all.insert(all.end(), keys.begin(), keys.end());
    }
    EXPECT_EQ(rings[0][0], 51);
    EXPECT_EQ(std::multiset<int>(all.begin(), all.end()), DrawnSet());
}

TEST(LayoutTables, ChaseRunsTheRowsInAlternatingDirections) {
    const auto& chase = Layout().chaseOrder;
    const std::vector<int> keys = Present(chase);
    EXPECT_EQ(std::multiset<int>(keys.begin(), keys.end()), DrawnSet());
    EXPECT_EQ(chase[0], 0);       // Esc, the F-row left to right
    EXPECT_EQ(chase[15], 15);     // Pause
    EXPECT_EQ(chase[16], 41);     // the number row from Num -
    EXPECT_EQ(keys.back(), 105);  // the bottom row ends at the left Ctrl
    for (size_t i = keys.size(); i < kPositionCount; ++i) EXPECT_EQ(chase[i], kNoKey);
}

TEST(LayoutTables, SweepFramesAreLinesThatMeetEveryKey) {
    std::set<int> met;
    for (int f = 0; f < kSweepFrames; ++f) {
        const std::vector<int> keys = Present(Layout().sweepFrames[f]);
        EXPECT_FALSE(keys.empty()) << f;
        std::set<int> rows;
        for (int k : keys) {
            EXPECT_TRUE(rows.insert(DrawnRow(k)).second) << "two keys of one row in frame " << f;
            met.insert(k);
        }
    }
    EXPECT_EQ(int(met.size()), kDrawnKeyCount);
    EXPECT_EQ(Layout().sweepFrames[0][0], 0);
    EXPECT_EQ(Present(Layout().sweepFrames[kSweepFrames - 1]), std::vector<int>{118});
}

TEST(LayoutTables, StaggerColumnsHoldEveryKeyTopToBottom) {
    std::vector<int> all;
    int previousX = -1;
    for (int c = 0; c < kMatrixColumns; ++c) {
        const std::vector<int> keys = Present(Layout().staggerColumns[c]);
        for (size_t i = 1; i < keys.size(); ++i) EXPECT_GT(Geo(keys[i]).y, Geo(keys[i - 1]).y);
        if (!keys.empty()) {
            EXPECT_GT(Geo(keys[0]).CentreX8(), previousX) << "column " << c;
            previousX = Geo(keys[0]).CentreX8();
        }
        all.insert(all.end(), keys.begin(), keys.end());
    }
    EXPECT_EQ(std::multiset<int>(all.begin(), all.end()), DrawnSet());
}

TEST(LayoutTables, TwinkleStartsAreEvenLevelsBelow192) {
    for (const auto& column : Layout().twinkleStart)
        for (uint8_t level : column) {
            EXPECT_LT(level, 192);
            EXPECT_EQ(level % 2, 0);
        }
}

TEST(LayoutTables, ShowFramesSweepOneKeyPerRowAndPairsCloseInOn72) {
    const auto& t = Layout();
    for (int f = 0; f < kShowFrames; ++f)
        for (int row = 0; row < kShowFrameKeys; ++row)
            EXPECT_EQ(DrawnRow(t.showFrames[f][row]), row) << "frame " << f;
    EXPECT_EQ(t.showFrames[0][0], 0);
    EXPECT_GE(Geo(t.showFrames[kShowFrames - 1][1]).x, 74) << "the bar ends on the number pad";
    std::vector<int> keys;
    for (const auto& pair : t.showPairs) keys.insert(keys.end(), pair.begin(), pair.end());
    EXPECT_EQ(keys.back(), 72);
    EXPECT_EQ(std::set<int>(keys.begin(), keys.end()).size(), keys.size());
    for (size_t i = 1; i < keys.size(); ++i)
        EXPECT_LE(Distance2(keys[i], 72), Distance2(keys[i - 1], 72));
}

}  // namespace
}  // namespace tirk::lighting
