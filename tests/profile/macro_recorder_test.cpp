// The macro page's rules without its controls: the events recorded keys and
// buttons give, where recorded and inserted events go and which delays
// change, the delay of a recorded event, the auto-repeat filter, the
// fixed-delay edit and what a row shows.
#include "support/macro_events.h"
#include "profile/macro_recorder.h"

#include <gtest/gtest.h>
#include <json/writer.h>

#include <string>
#include <vector>

#include "profile/key_assignment.h"
#include "profile/key_tables.h"

namespace tirk {
namespace {

using test::CompactJson;
using test::MacroEvent;


using Op = MacroPlacement::Op;
constexpr auto kRecord = MacroDelayMode::kRecordTime;
constexpr auto kConstant = MacroDelayMode::kConstantTime;
constexpr auto kIgnore = MacroDelayMode::kIgnoreTime;

// ---- recorded events ------------------------------------------------------------------

TEST(MacroRecorderTest, RecordedKeysAreFoundByScanCodeAndFlag) {
    struct Case {
        uint8_t scan, extended;
        bool press;
        std::optional<Json::Value> event;
    } cases[] = {
        {0x1E, 0, true, MacroEvent("down", 0x04, {}, 10)},  // A
        {0x1E, 0, false, MacroEvent("up", 0x04, {}, 10)},
        {0x1D, 0, true, MacroEvent("down", 0x01, {}, 9)},   // left Ctrl: a modifier bit
        {0x1D, 1, true, MacroEvent("down", 0x10, {}, 9)},   // right Ctrl
        {0x36, 1, false, MacroEvent("up", 0x20, {}, 9)},    // right Shift as the table has it
        {0x5B, 1, true, MacroEvent("down", 0x08, {}, 9)},   // left Windows key
        {0x1C, 1, true, MacroEvent("down", 0x58, {}, 10)},  // keypad Enter
        {0x1C, 0, true, MacroEvent("down", 0x28, {}, 10)},  // Enter
        {0x37, 1, true, MacroEvent("down", 0x46, {}, 10)},  // Print Screen
        {0x37, 0, true, MacroEvent("down", 0x55, {}, 10)},  // keypad *
        {0x72, 0, true, MacroEvent("down", 0x90, {}, 10)},  // K151, the last scan row
        {0xFF, 1, true, std::nullopt},                 // in no row
        {0x1E, 1, true, std::nullopt},                 // A's code with the E0 flag
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.scan) << "/" << int(c.extended));
        const std::optional<Json::Value> event = RecordedKeyEvent(c.scan, c.extended, c.press);
        ASSERT_EQ(event.has_value(), c.event.has_value());
        if (event) {
            EXPECT_EQ(CompactJson(*event), CompactJson(*c.event));
        }
    }
}

TEST(MacroRecorderTest, EveryRecordableKeyIsNamedByItsOwnRow) {
    const auto scans = ScanCodeTable();
    for (size_t row = 0; row < scans.size(); ++row) {
        const std::optional<Json::Value> event =
            RecordedKeyEvent(scans[row].scanCode, scans[row].extended, true);
        ASSERT_TRUE(event) << row;
        // The first row with the same scan code and flag wins; the rows are unique.
        EXPECT_EQ(FindScanRow(scans[row].scanCode, scans[row].extended), int(row));
        EXPECT_STREQ(MacroEventNameKey(*event), MacroKeyTable()[row].nameKey) << row;
    }
}

TEST(MacroRecorderTest, RecordedMouseButtonsComeFromTheMouseTable) {
    struct Case {
        uint32_t message;
        uint16_t extra;
        std::optional<Json::Value> event;
    } cases[] = {
        {0x0201, 0, MacroEvent("down", 0x01, {}, 1)},
        {0x0202, 0, MacroEvent("up", 0x01, {}, 1)},
        {0x0204, 0, MacroEvent("down", 0x02, {}, 1)},
        {0x0205, 0, MacroEvent("up", 0x02, {}, 1)},
        {0x0207, 0, MacroEvent("down", 0x04, {}, 1)},
        {0x0208, 0, MacroEvent("up", 0x04, {}, 1)},
        {0x020B, 2, MacroEvent("down", 0x10, {}, 1)},  // forward
        {0x020C, 2, MacroEvent("up", 0x10, {}, 1)},
        {0x020B, 1, MacroEvent("down", 0x08, {}, 1)},  // back
        {0x020C, 1, MacroEvent("up", 0x08, {}, 1)},
        {0x0201, 2, MacroEvent("down", 0x01, {}, 1)},  // the number matters only for extra buttons
        {0x020B, 0, std::nullopt},                // an extra button without a number
        {0x020B, 3, std::nullopt},
        {0x0200, 0, std::nullopt},  // a move
        {0x020A, 0, std::nullopt},  // the wheel
        {0x0203, 0, std::nullopt},  // a double-click
        {0x0004, 0, std::nullopt},  // the table's movement rows are not messages
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.message << " " << c.extra);
        const std::optional<Json::Value> event = RecordedMouseEvent(c.message, c.extra);
        ASSERT_EQ(event.has_value(), c.event.has_value());
        if (event) {
            EXPECT_EQ(CompactJson(*event), CompactJson(*c.event));
        }
    }
}

TEST(MacroRecorderTest, AReplacementKeepsPressAndDelay) {
    const Json::Value old = MacroEvent("up", 0x01, "120", 1);
    const Json::Value replaced = ReplacedMacroEvent(old, MacroEvent("down", 0x04, {}, 10));
    EXPECT_EQ(CompactJson(replaced), CompactJson(MacroEvent("up", 0x04, "120", 10)));
}

TEST(MacroRecorderTest, MenuItemsInsertAPressAReleaseOrBoth) {
    struct Case {
        const char* item;
        std::vector<Json::Value> events;
    } cases[] = {
        {"left_down", {MacroEvent("down", 0x01, "50", 1)}},
        {"left_up", {MacroEvent("up", 0x01, "50", 1)}},
        {"left_click", {MacroEvent("down", 0x01, "50", 1), MacroEvent("up", 0x01, "50", 1)}},
        {"right_click", {MacroEvent("down", 0x02, "50", 1), MacroEvent("up", 0x02, "50", 1)}},
        {"middle_down", {MacroEvent("down", 0x04, "50", 1)}},
        {"forward_up", {MacroEvent("up", 0x10, "50", 1)}},
        {"back_click", {MacroEvent("down", 0x08, "50", 1), MacroEvent("up", 0x08, "50", 1)}},
        {"left_double", {}},
        {"leftdown", {}},
        {"macro_action_edit", {}},
        {"redio_later_record_time", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        const std::vector<Json::Value> events = MenuButtonEvents(c.item, 50);
        ASSERT_EQ(events.size(), c.events.size());
        for (size_t i = 0; i < events.size(); ++i) EXPECT_EQ(CompactJson(events[i]), CompactJson(c.events[i]));
    }
}

TEST(MacroRecorderTest, MovementsAreTypesFourAndFive) {
    EXPECT_EQ(CompactJson(MovementEvent(MacroMove::kLeft, 10, 7)), CompactJson(MacroEvent("down", 10, "7", 4)));
    EXPECT_EQ(CompactJson(MovementEvent(MacroMove::kRight, 255, 7)), CompactJson(MacroEvent("up", 255, "7", 4)));
    EXPECT_EQ(CompactJson(MovementEvent(MacroMove::kUp, 0, 7)), CompactJson(MacroEvent("down", 0, "7", 5)));
    EXPECT_EQ(CompactJson(MovementEvent(MacroMove::kDown, 3, 7)), CompactJson(MacroEvent("up", 3, "7", 5)));
}

// ---- what a row shows ------------------------------------------------------------------

TEST(MacroRecorderTest, RowsShowNameStyleActionAndDelay) {
    struct Case {
        Json::Value event;
        const char* name;
        bool mouse, movement, press;
        const char* delay;
    } cases[] = {
        {MacroEvent("down", 0x04, 0, 10), "keyboard_key_A", false, false, true, "0"},
        {MacroEvent("up", 0x31, "120", 10), "keyboard_key_xiegang", false, false, false, "120"},
        {MacroEvent("up", 0x32, "1", 10), "keyboard_key_K42", false, false, false,
         "1"},  // loads, not recordable
        {MacroEvent("down", 0x40, 5, 9), "keyboard_key_RAlt", false, false, true, "5"},
        {MacroEvent("down", 0x03, 5, 9), "", false, false, true, "5"},  // two modifier bits
        {MacroEvent("down", 0x08, 5, 1), "mouse_key_back", true, false, true, "5"},
        {MacroEvent("up", 0x20, 5, 1), "", true, false, false, "5"},
        {MacroEvent("down", 12, "70000", 4), "mouse_move_to_left_text", true, true, true, "65535"},
        {MacroEvent("up", 12, "3", 4), "mouse_move_to_right_text", true, true, false, "3"},
        {MacroEvent("down", 12, "3", 5), "mouse_move_to_up_text", true, true, true, "3"},
        {MacroEvent("up", 12, "x", 5), "mouse_move_to_down_text", true, true, false, "0"},
        {MacroEvent("DOWN", 0x04, 1, 10), "keyboard_key_A", false, false, false,
         "1"},  // only "down" presses
        {MacroEvent("down", 0x04, 1, 7), "", false, false, true, "1"},
        {Json::Value("not an event"), "", false, false, false, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(CompactJson(c.event));
        const MacroRowView view = ViewOfMacroEvent(c.event);
        EXPECT_STREQ(view.nameKey, c.name);
        EXPECT_EQ(view.mouse, c.mouse);
        EXPECT_EQ(view.movement, c.movement);
        EXPECT_EQ(view.press, c.press);
        EXPECT_EQ(view.delayText, c.delay);
    }
    EXPECT_EQ(ViewOfMacroEvent(MacroEvent("up", 12, "3", 5)).distance, 12);
}

TEST(MacroRecorderTest, SavedDelaysAreTheEditsReadAsIntegers) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "0"},      {"0", "0"},
        {"120", "120"}, {"0012", "12"},
        {"12ab", "12"}, {"abc", "0"},
        {" 7", "7"},    {"65535", "65535"},
        {"-5", "-5"},   {"99999999999999", "2147483647"},
    };
    for (const auto& [edit, saved] : cases) EXPECT_EQ(SavedDelayText(edit), saved) << edit;
}

// ---- placement -------------------------------------------------------------------------

TEST(MacroRecorderTest, RecordedEventsArePlacedByKind) {
    const Json::Value number0(0), text0("0"), fixed(40);
    struct Case {
        const char* what;
        int kind, rows, selected;
        MacroDelayMode mode;
        Op op;
        int row, previous, select;
        Json::Value delay;
    } cases[] = {
        {"append to an empty list", 4, 0, -1, kRecord, Op::kInsert, 0, -1, 0, number0},
        {"append after rows", 4, 3, 0, kRecord, Op::kInsert, 3, 2, 3, text0},
        {"append, constant time", 4, 3, -1, kConstant, Op::kInsert, 3, 2, 3, fixed},
        {"append, no time", 4, 3, -1, kIgnore, Op::kInsert, 3, 2, 3, text0},
        {"append, first row, constant time", 4, 0, -1, kConstant, Op::kInsert, 0, -1, 0, number0},
        {"append at 3999 rows", 4, 3999, -1, kRecord, Op::kInsert, 3999, 3998, 3999, text0},
        {"append at 4000 rows", 4, 4000, -1, kRecord, Op::kDrop, -1, -1, -1, {}},
        {"before the first row", 8, 2, 0, kRecord, Op::kInsert, 0, -1, 1, number0},
        {"before row 1", 8, 2, 1, kRecord, Op::kInsert, 1, 0, 2, text0},
        {"before row 1, constant time", 8, 2, 1, kConstant, Op::kInsert, 1, 0, 2, fixed},
        {"before nothing chosen", 8, 2, -1, kRecord, Op::kDrop, -1, -1, -1, {}},
        {"before, 4000 rows", 8, 4000, 5, kRecord, Op::kDrop, -1, -1, -1, {}},
        {"after the first row", 16, 2, 0, kRecord, Op::kInsert, 1, 0, 1, text0},
        {"after the last row", 16, 2, 1, kConstant, Op::kInsert, 2, 1, 2, fixed},
        {"after nothing chosen", 16, 2, -1, kRecord, Op::kDrop, -1, -1, -1, {}},
        {"after, 4000 rows", 16, 4000, 0, kRecord, Op::kDrop, -1, -1, -1, {}},
        {"after in an empty list", 16, 0, -1, kRecord, Op::kDrop, -1, -1, -1, {}},
        {"replace", 32, 2, 1, kIgnore, Op::kReplace, 1, -1, 1, {}},
        {"replace at 4000 rows", 32, 4000, 7, kIgnore, Op::kReplace, 7, -1, 7, {}},
        {"replace nothing chosen", 32, 2, -1, kIgnore, Op::kDrop, -1, -1, -1, {}},
        {"a chosen row beyond the list", 16, 2, 2, kRecord, Op::kDrop, -1, -1, -1, {}},
        {"another kind", 1, 2, 0, kRecord, Op::kDrop, -1, -1, -1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const MacroPlacement place = PlaceRecordedEvent(c.kind, c.rows, c.selected, c.mode, 40);
        EXPECT_EQ(place.op, c.op);
        EXPECT_EQ(place.row, c.row);
        EXPECT_EQ(place.previousRow, c.previous);
        EXPECT_EQ(place.select, c.select);
        if (c.op == Op::kInsert) {
            EXPECT_EQ(CompactJson(place.delay), CompactJson(c.delay));
        }
    }
}

TEST(MacroRecorderTest, InsertedEventsFollowTheChosenRowOrTheFirst) {
    struct Case {
        int rows, selected, row, select;
    } cases[] = {
        {0, -1, 0, -1},  // an empty list: nothing chosen afterwards
        {2, -1, 1, 1},   // after the first row
        {2, 0, 1, 1},   {2, 1, 2, 2},
        {5, 2, 3, 3},   {2, 9, 1, 1},  // a choice beyond the list counts as none
    };
    for (const Case& c : cases) {
        const ManualPlacement place = PlaceManualEvent(c.rows, c.selected);
        EXPECT_EQ(place.row, c.row) << c.rows << " " << c.selected;
        EXPECT_EQ(place.select, c.select) << c.rows << " " << c.selected;
    }
}

// ---- the fixed delay ---------------------------------------------------------------------

TEST(MacroRecorderTest, TheFixedDelayEditIsKeptWithin2And65535) {
    struct Case {
        const char* text;
        int stored;
        int value;
        bool changed, raised;
    } cases[] = {
        {"50", 50, 50, false, false},      {"1", 50, 2, true, true},
        {"0", 50, 2, true, true},          {"", 50, 2, true, true},
        {"abc", 50, 2, true, true},        {"-7", 50, 2, true, true},
        {"2", 50, 2, true, false},         {"65535", 50, 65535, true, false},
        {"70000", 50, 65535, true, false}, {"99999999999999999", 50, 65535, true, false},
        {"120ms", 50, 120, true, false},   {" 30", 50, 30, true, false},
        {"1", 2, 2, true, true},  // 1 differs from the stored 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const FixedDelayReading reading = ReadFixedDelay(c.text, c.stored);
        EXPECT_EQ(reading.value, c.value);
        EXPECT_EQ(reading.changed, c.changed);
        EXPECT_EQ(reading.raised, c.raised);
    }
}

// ---- the recorder ------------------------------------------------------------------------

TEST(MacroRecorderTest, RecordedTimeIsMeasuredFromTheLastEvent) {
    MacroRecorder recorder;
    recorder.Start(kRecord, 1000);
    EXPECT_EQ(recorder.TakeDelay(1300), 300) << "from the start";
    EXPECT_EQ(recorder.TakeDelay(1420), 120);
    EXPECT_EQ(recorder.TakeDelay(1420), 0);
    EXPECT_EQ(recorder.TakeDelay(1400), 0) << "an event stamped before the last one";
    EXPECT_EQ(recorder.TakeDelay(1400 + 65534), 65534);
    EXPECT_EQ(recorder.TakeDelay(1400 + 65534 + 65535), 65535);
    EXPECT_EQ(recorder.TakeDelay(1000000000), 65535);
}

TEST(MacroRecorderTest, ConstantAndIgnoredTimeDoNotMeasure) {
    MacroRecorder recorder;
    EXPECT_EQ(recorder.FixedDelay(), 50);
    EXPECT_TRUE(recorder.TakeFixedDelay("1").raised);
    recorder.Start(kConstant, 0);
    EXPECT_EQ(recorder.TakeDelay(5000), 2);
    recorder.Start(kIgnore, 0);
    EXPECT_EQ(recorder.TakeDelay(5000), 0);
    EXPECT_FALSE(recorder.TakeFixedDelay("2").changed);
    EXPECT_EQ(recorder.TakeFixedDelay("900").value, 900);
    EXPECT_EQ(recorder.FixedDelay(), 900);
}

TEST(MacroRecorderTest, AHeldKeyIsRecordedOnce) {
    MacroRecorder recorder;
    recorder.Start(kRecord, 0);
    struct Step {
        int kind;
        uint8_t scan;
        bool press, passes;
    } steps[] = {
        {4, 0x1E, true, true},                           // A
        {4, 0x1E, true, false},                          // repeats while held
        {4, 0x1E, true, false}, {8, 0x1E, true, true},   // each kind has its own memory
        {4, 0x30, true, true},                           // B
        {4, 0x1E, true, true},                           // only the last press is remembered
        {4, 0x30, false, true},                          // B released: A stays remembered
        {4, 0x1E, true, false}, {4, 0x1E, false, true},  // releases are always recorded
        {4, 0x1E, false, true}, {4, 0x1E, true, true},   // A again after its release
        {1, 0x1E, true, false},                          // no recording kind
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Step& s = steps[i];
        EXPECT_EQ(recorder.PassKey(s.kind, s.scan, 0, s.press), s.passes) << "step " << i;
    }
    EXPECT_TRUE(recorder.PassKey(4, 0x1E, 1, true)) << "the E0 flag makes another key";
    recorder.Start(kRecord, 0);
    EXPECT_TRUE(recorder.PassKey(4, 0x1E, 1, true)) << "a new recording remembers nothing";
}

TEST(MacroRecorderTest, TheSameMouseMessageTwiceIsDropped) {
    MacroRecorder recorder;
    recorder.Start(kRecord, 0);
    EXPECT_TRUE(recorder.PassMouse(4, 0x0201));
    EXPECT_FALSE(recorder.PassMouse(4, 0x0201));
    EXPECT_TRUE(recorder.PassMouse(16, 0x0201));
    EXPECT_TRUE(recorder.PassMouse(4, 0x0202));
    EXPECT_TRUE(recorder.PassMouse(4, 0x0201));
    EXPECT_FALSE(recorder.PassMouse(2, 0x0204));
    recorder.Start(kRecord, 0);
    EXPECT_TRUE(recorder.PassMouse(4, 0x0201));
}

}  // namespace
}  // namespace tirk
