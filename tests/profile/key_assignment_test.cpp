// The key tables and the key assignment model: the rows that tell the tables
// apart from a look-alike, the panel's category and parameter rules, key
// capture, the key list text and the rules that keep assignments valid.
#include "profile/key_assignment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "profile/key_tables.h"

namespace tirk {

void PrintTo(const AssignmentCode& code, std::ostream* out) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", code.kind, code.p1, code.p2);
    *out << text;
}

namespace {

AssignmentCode Code(uint32_t value) {
    return AssignmentCode::FromValue(value);
}

int RowOfName(const std::string& nameKey) {
    const std::span<const KeyTableRow> table = MacroKeyTable();
    for (size_t row = 0; row < table.size(); ++row)
        if (nameKey == table[row].nameKey) return int(row);
    return -1;
}

// ---- the tables ----

TEST(KeyTablesTest, SizesOfTablesAndLists) {
    EXPECT_EQ(MacroKeyTable().size(), 143u);
    EXPECT_EQ(ScanCodeTable().size(), 113u);
    EXPECT_EQ(MacroMouseTable().size(), 14u);
    EXPECT_EQ(MouseButtonList().size(), 5u);
    EXPECT_EQ(DpiFunctionList().size(), 3u);
    EXPECT_EQ(MediaList().size(), 18u);
    EXPECT_EQ(SystemList().size(), 3u);
    EXPECT_EQ(ShortcutList().size(), 11u);
    EXPECT_EQ(GunKeyList().size(), 4u);
    EXPECT_EQ(NumberedShortcutList().size(), 9u);
    EXPECT_EQ(SpecialFunctionList().size(), 15u);
}

TEST(KeyTablesTest, ModifierRowsCarryTheirBitAndNoUsage) {
    for (int row = 0; row < kModifierRows; ++row) {
        const KeyTableRow& key = MacroKeyTable()[size_t(row)];
        EXPECT_EQ(key.kind, 0x20) << row;
        EXPECT_EQ(key.modifier, 1 << row) << row;
        EXPECT_EQ(key.usage, 0) << row;
    }
}

// Every keyboard key has its own usage, so a usage names one key.
TEST(KeyTablesTest, KeyboardRowsHaveDistinctUsagesAndNoModifier) {
    std::set<int> usages;
    for (int row = kModifierRows; row < kMacroKeyboardRows; ++row) {
        const KeyTableRow& key = MacroKeyTable()[size_t(row)];
        EXPECT_EQ(key.kind, 0x20) << row;
        EXPECT_EQ(key.modifier, 0) << row;
        EXPECT_NE(key.usage, 0) << row;
        EXPECT_TRUE(usages.insert(key.usage).second) << key.nameKey << " repeats a usage";
        EXPECT_EQ(FindKeyboardKeyRow(key.usage), row);
    }
    for (int row = kMacroKeyboardRows; row < kMacroKeyRows; ++row)
        EXPECT_NE(MacroKeyTable()[size_t(row)].kind, 0x20) << row;
}

struct KeyRowCase {
    int row;
    const char* nameKey;
    uint8_t kind, modifier, usage;
};

TEST(KeyTablesTest, TellingKeyRows) {
    const KeyRowCase cases[] = {
        {0, "keyboard_key_LCtrl", 0x20, 0x01, 0x00},
        {7, "keyboard_key_RWin", 0x20, 0x80, 0x00},
        {8, "keyboard_key_A", 0x20, 0, 0x04},
        {33, "keyboard_key_Z", 0x20, 0, 0x1D},
        {34, "keyboard_key_1", 0x20, 0, 0x1E},
        {43, "keyboard_key_0", 0x20, 0, 0x27},
        {44, "keyboard_key_Enter", 0x20, 0, 0x28},
        {53, "keyboard_key_xiegang", 0x20, 0, 0x31},
        {54, "keyboard_key_;", 0x20, 0, 0x33},
        {57, "keyboard_key_<", 0x20, 0, 0x36},
        {60, "keyboard_key_Caplk", 0x20, 0, 0x39},
        {72, "keyboard_key_F12", 0x20, 0, 0x45},
        {73, "keyboard_key_Print Scr", 0x20, 0, 0x46},
        {86, "keyboard_key_Num Lock", 0x20, 0, 0x53},
        {101, "keyboard_key_Num 0", 0x20, 0, 0x62},
        {102, "keyboard_key_Decimal", 0x20, 0, 0x63},
        {103, "keyboard_key_App", 0x20, 0, 0x65},
        {104, "keyboard_key_K45", 0x20, 0, 0x64},
        {105, "keyboard_key_K56", 0x20, 0, 0x87},
        {106, "keyboard_key_K14", 0x20, 0, 0x89},
        {107, "keyboard_key_K107", 0x20, 0, 0x85},
        {108, "keyboard_key_K131", 0x20, 0, 0x8B},
        {109, "keyboard_key_K132", 0x20, 0, 0x8A},
        {110, "keyboard_key_K133", 0x20, 0, 0x88},
        {111, "keyboard_key_K150", 0x20, 0, 0x91},
        {112, "keyboard_key_K151", 0x20, 0, 0x90},
        {113, "keyboard_key_K42", 0x20, 0, 0x32},
        {114, "keyboard_key_Launch App2", 0x30, 0x92, 0x01},
        {115, "keyboard_key_Browaer Home", 0x30, 0x23, 0x02},
        {116, "keyboard_key_Media Play Pause", 0x30, 0xCD, 0x00},
        {128, "keyboard_key_Computer", 0x30, 0x94, 0x01},
        {130, "wed_stop", 0x30, 0x26, 0x02},
        {131, "keyboard_key_Launch Media Select", 0x30, 0x83, 0x01},
        {132, "keyboard_key_Power", 0x40, 0x01, 0x00},
        {134, "keyboard_key_Wakeup", 0x40, 0x04, 0x00},
        {135, "keyboard_key_M1", 0xD0, 0xA2, 0x01},
        {139, "keyboard_key_M5", 0xD0, 0xA2, 0x05},
        {140, "keyboard_key_FN", 0xA0, 0x01, 0x00},
        {141, "keyboard_key_GM", 0xA0, 0x1B, 0x00},
        {142, "keyboard_key_COLOR", 0xA0, 0x11, 0x00},
    };
    for (const KeyRowCase& c : cases) {
        const KeyTableRow& key = MacroKeyTable()[size_t(c.row)];
        EXPECT_STREQ(key.nameKey, c.nameKey) << "row " << c.row;
        EXPECT_EQ(key.kind, c.kind) << c.nameKey;
        EXPECT_EQ(key.modifier, c.modifier) << c.nameKey;
        EXPECT_EQ(key.usage, c.usage) << c.nameKey;
    }
}

// The 18 consumer keys are the media list's 18 usages, each once.
TEST(KeyTablesTest, ConsumerRowsAreTheMediaUsages) {
    std::multiset<uint32_t> consumer, media;
    for (const KeyTableRow& key : MacroKeyTable())
        if (key.kind == 0x30)
            consumer.insert(AssignmentCode{key.kind, key.modifier, key.usage}.Value());
    for (const FunctionRow& row : MediaList()) media.insert(row.code.Value());
    EXPECT_EQ(consumer, media);
}

struct ScanCase {
    const char* nameKey;
    uint8_t scanCode, extended;
};

TEST(KeyTablesTest, TellingScanRows) {
    const ScanCase cases[] = {
        {"keyboard_key_LCtrl", 0x1D, 0},     {"keyboard_key_RCtrl", 0x1D, 1},
        {"keyboard_key_RShift", 0x36, 1},    {"keyboard_key_LWin", 0x5B, 1},
        {"keyboard_key_RWin", 0x5C, 1},      {"keyboard_key_A", 0x1E, 0},
        {"keyboard_key_Enter", 0x1C, 0},     {"keyboard_key_Num Enter", 0x1C, 1},
        {"keyboard_key_/", 0x35, 0},         {"keyboard_key_Num /", 0x35, 1},
        {"keyboard_key_Print Scr", 0x37, 1}, {"keyboard_key_Num *", 0x37, 0},
        {"keyboard_key_Num Lock", 0x45, 1},  {"keyboard_key_Pause", 0x45, 0},
        {"keyboard_key_Home", 0x47, 1},      {"keyboard_key_Num 7", 0x47, 0},
        {"keyboard_key_F11", 0x57, 0},       {"keyboard_key_App", 0x5D, 1},
        {"keyboard_key_K45", 0x56, 0},       {"keyboard_key_K56", 0x73, 0},
        {"keyboard_key_K14", 0x7D, 0},       {"keyboard_key_K107", 0x7E, 0},
        {"keyboard_key_K131", 0x7B, 0},      {"keyboard_key_K132", 0x79, 0},
        {"keyboard_key_K133", 0x70, 0},      {"keyboard_key_K150", 0x71, 0},
        {"keyboard_key_K151", 0x72, 0},
    };
    for (const ScanCase& c : cases) {
        const int row = RowOfName(c.nameKey);
        ASSERT_GE(row, 0) << c.nameKey;
        ASSERT_LT(row, kScanCodeRows) << c.nameKey;
        EXPECT_EQ(ScanCodeTable()[size_t(row)].scanCode, c.scanCode) << c.nameKey;
        EXPECT_EQ(ScanCodeTable()[size_t(row)].extended, c.extended) << c.nameKey;
        EXPECT_EQ(FindScanRow(c.scanCode, c.extended), row) << c.nameKey;
    }
}

// A recorded key finds its own row back; keys sharing a scan code (Print
// Screen and Num *, Num Lock and Pause, the number pad and the arrows) are
// told apart by the flag.
TEST(KeyTablesTest, EveryScanRowFindsItsKeyRow) {
    for (int row = 0; row < kScanCodeRows; ++row) {
        const ScanCodeRow& scan = ScanCodeTable()[size_t(row)];
        EXPECT_LE(scan.extended, 1) << row;
        EXPECT_EQ(FindScanRow(scan.scanCode, scan.extended), row)
            << MacroKeyTable()[size_t(row)].nameKey;
    }
    EXPECT_EQ(RowOfName("keyboard_key_K42"), kScanCodeRows);  // no scan row: cannot be recorded
}

TEST(KeyTablesTest, MouseTableRows) {
    const MacroMouseRow& forward = MacroMouseTable()[6];
    EXPECT_EQ(forward.message, 0x020B);
    EXPECT_EQ(forward.buttonBit, 0x10);
    EXPECT_EQ(forward.typeAction, 0x81);
    EXPECT_STREQ(forward.nameKey, "mouse_key_forward");
    const MacroMouseRow& back = MacroMouseTable()[9];
    EXPECT_EQ(back.message, 0x020C);
    EXPECT_EQ(back.buttonBit, 0x08);
    EXPECT_EQ(back.typeAction, 0x01);
    const MacroMouseRow& down = MacroMouseTable()[13];
    EXPECT_EQ(down.message, 0x0005);
    EXPECT_EQ(down.typeAction, 0x05);
    EXPECT_STREQ(down.nameKey, "mouse_move_to_down_text");
}

// Combo box index = row number, so the order is the contract.
TEST(KeyTablesTest, ListOrderAndTheReversedSpecialButtons) {
    EXPECT_EQ(FindFunctionRow(MouseButtonList(), 0x10, 0x04, 0), 1);  // middle second
    EXPECT_EQ(FindFunctionRow(MouseButtonList(), 0x10, 0x02, 0), 2);
    EXPECT_STREQ(SpecialFunctionList()[1].nameKey, "mouse_key_middle");
    EXPECT_EQ(SpecialFunctionList()[1].code, Code(0x100200));
    EXPECT_EQ(FindFunctionRow(MediaList(), 0x30, 0x8A, 0x01), 17);
    EXPECT_EQ(FindFunctionRow(ShortcutList(), 0x20, 0x10, 0x2E), 10);
    EXPECT_EQ(FindFunctionRow(ShortcutList(), 0x20, 0x01, 0x2E), -1);
    for (size_t i = 0; i < NumberedShortcutList().size(); ++i) {
        EXPECT_STREQ(NumberedShortcutList()[i].nameKey, ShortcutList()[i].nameKey);
        EXPECT_EQ(NumberedShortcutList()[i].code, (AssignmentCode{0x22, 0, uint8_t(i)}));
    }
    for (size_t i = 0; i < GunKeyList().size(); ++i)
        EXPECT_EQ(GunKeyList()[i].code, (AssignmentCode{0x72, uint8_t(i), 0}));
}

// ---- categories and modifier options ----

TEST(KeyAssignmentTest, CategoryOfEveryKind) {
    const AssignmentCode noDefault = Code(0xFFFFFF);
    const struct {
        uint32_t code;
        int category;
    } cases[] = {
        {0x000000, kCategoryDefault},     {0x100100, kCategoryMouseButton},
        {0x110385, kCategoryTilt},        {0x1200FD, kCategoryWheel},
        {0x130300, kCategoryDpi},         {0x145002, kCategoryFireKey},
        {0x200004, kCategoryKeyboardKey}, {0x201004, kCategoryShortcut},
        {0x201104, kCategoryKeyboardKey}, {0x300183, kCategoryMedia},
        {0x400100, kCategorySystem},      {0x700001, kCategoryMacro},
        {0x710305, kCategoryMacro},       {0x720200, kCategoryGunKey},
        {0xB00000, kCategoryShortcut},    {0x160000, kCategoryNone},
        {0x220000, kCategoryNone},        {0x230000, kCategoryNone},
        {0xA00100, kCategoryNone},        {0xD0A201, kCategoryNone},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CategoryOfCode(Code(c.code), noDefault), c.category) << std::hex << c.code;
}

TEST(KeyAssignmentTest, CodeEqualToTheDefaultIsCategoryZeroWhateverItsKind) {
    for (uint32_t value : {0x100100u, 0x130300u, 0xA00100u, 0xD0A203u, 0x720000u})
        EXPECT_EQ(CategoryOfCode(Code(value), Code(value)), kCategoryDefault) << std::hex << value;
}

TEST(KeyAssignmentTest, LeftAndRightModifiersShareAnOption) {
    const int options[kModifierRows] = {1, 2, 3, 4, 1, 2, 3, 4};
    for (int row = 0; row < kModifierRows; ++row)
        EXPECT_EQ(ModifierOptionOfRow(row), options[row]) << row;
    EXPECT_EQ(ModifierOptionOfRow(8), -1);
    const uint8_t bits[] = {0, 0, 0x01, 0x02, 0x04, 0x08, 0};
    for (int option = -1; option <= 5; ++option)
        EXPECT_EQ(ModifierBitOfOption(option), bits[option + 1]) << option;
}

TEST(KeyAssignmentTest, DescribeKeyboardKey) {
    const struct {
        uint8_t p1, p2;
        int option;
        const char* nameKey;
        bool clearCode;
        uint8_t p1Taken;
    } cases[] = {
        {0x00, 0x04, 0, "keyboard_key_A", false, 0x00},    // plain key
        {0x02, 0x04, 2, "keyboard_key_A", false, 0x02},    // Shift+A
        {0x10, 0x1D, 1, "keyboard_key_Z", false, 0x10},    // right Ctrl: option 1
        {0x80, 0x00, 4, "", false, 0x80},                  // right Win alone
        {0x03, 0x04, 0, "keyboard_key_A", false, 0x00},    // two bits: no single option
        {0x81, 0x04, 0, "keyboard_key_A", false, 0x00},    // above 0x80 likewise
        {0x00, 0x32, 0, "keyboard_key_K42", false, 0x00},  // loaded, never captured
        {0x00, 0x00, -1, "", true, 0x00},                  // nothing
        {0x00, 0xF0, -1, "", true, 0x00},                  // unknown usage
        {0x04, 0xF0, 3, "", false, 0x04},                  // modifier kept, key unknown
    };
    for (const auto& c : cases) {
        const KeyboardKeyView view = DescribeKeyboardKey(c.p1, c.p2);
        SCOPED_TRACE(testing::Message() << std::hex << int(c.p1) << " " << int(c.p2));
        EXPECT_EQ(view.option, c.option);
        EXPECT_STREQ(view.nameKey, c.nameKey);
        EXPECT_EQ(view.clearCode, c.clearCode);
        EXPECT_EQ(view.p1, c.p1Taken);
    }
}

// ---- parameters ----

struct RepeatCase {
    bool wheel;
    RepeatParams params;
    AssignmentCode code;
    RepeatParams shown;  // what decoding the code gives back
};

TEST(KeyAssignmentTest, TiltAndWheelPacking) {
    const RepeatCase cases[] = {
        {true, {1, 2, 3, true}, {0x12, 0x12, 0xFD}, {1, 2, 3, true}},      // down 3
        {true, {1, 2, 3, false}, {0x12, 0x12, 0x03}, {1, 2, 3, false}},    // up 3
        {true, {0, 0, 128, true}, {0x12, 0x00, 0x80}, {0, 0, 128, true}},  // down 128
        {true, {0, 0, 1, true}, {0x12, 0x00, 0xFF}, {0, 0, 1, true}},      // down 1
        {true, {15, 15, 127, false}, {0x12, 0xFF, 0x7F}, {15, 15, 127, false}},
        {false, {0, 0, 5, true}, {0x11, 0x00, 0x85}, {0, 0, 5, true}},    // right 5
        {false, {3, 4, 5, false}, {0x11, 0x34, 0x05}, {3, 4, 5, false}},  // left 5
        {false, {0, 0, 127, true}, {0x11, 0x00, 0xFF}, {0, 0, 127, true}},
        // Beyond a field: the nearest value it holds, never another count or direction.
        {true, {16, 20, 200, false}, {0x12, 0xFF, 0x7F}, {15, 15, 127, false}},
        {true, {0, 0, 0, true}, {0x12, 0x00, 0xFF}, {0, 0, 1, true}},
        {true, {0, 0, 200, true}, {0x12, 0x00, 0x80}, {0, 0, 128, true}},
        {false, {-1, 0, 200, false}, {0x11, 0x00, 0x7F}, {0, 0, 127, false}},
        {false, {0, 0, 130, true}, {0x11, 0x00, 0xFF}, {0, 0, 127, true}},
    };
    for (const RepeatCase& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.wheel ? "wheel " : "tilt ") << c.params.count
                                        << (c.params.second ? " second" : " first"));
        const AssignmentCode code = c.wheel ? EncodeWheel(c.params) : EncodeTilt(c.params);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(c.wheel ? DecodeWheel(code) : DecodeTilt(code), c.shown);
    }
}

TEST(KeyAssignmentTest, FireKeyIntervalIsAtLeastTwo) {
    EXPECT_EQ(EncodeFireKey(1, 5), (AssignmentCode{0x14, 2, 5}));
    EXPECT_EQ(EncodeFireKey(0, 2), (AssignmentCode{0x14, 2, 2}));
    EXPECT_EQ(EncodeFireKey(2, 0), (AssignmentCode{0x14, 2, 0}));
    EXPECT_EQ(EncodeFireKey(50, 2), (AssignmentCode{0x14, 50, 2}));
    EXPECT_EQ(EncodeFireKey(300, 300), (AssignmentCode{0x14, 255, 255}));
}

TEST(KeyAssignmentTest, EditTextsReadAsBytes) {
    const struct {
        const char* text;
        uint8_t value;
    } cases[] = {
        {"50", 50},  {"0", 0},    {"", 0},      {"abc", 0},
        {" 12", 12}, {"+7", 7},   {"12ab", 12}, {"255", 255},
        {"256", 0},  {"300", 44}, {"-3", 0},    {"99999999999999999999", 255},
    };
    for (const auto& c : cases) EXPECT_EQ(EditByte(c.text), c.value) << '"' << c.text << '"';
}

// ---- key capture ----

TEST(KeyAssignmentTest, CaptureKey) {
    const struct {
        const char* what;
        uint8_t scanCode, extended;
        int selectedOption;
        bool accepted;
        int option;
        bool clearEdit;
        const char* nameKey;
        AssignmentCode code;
    } cases[] = {
        {"left Ctrl alone", 0x1D, 0, -1, true, 1, true, "", {0x20, 0x01, 0}},
        {"right Ctrl alone", 0x1D, 1, 3, true, 1, true, "", {0x20, 0x10, 0}},
        {"right Win alone", 0x5C, 1, 0, true, 4, true, "", {0x20, 0x80, 0}},
        {"A, no option", 0x1E, 0, -1, true, 0, false, "keyboard_key_A", {0x20, 0, 0x04}},
        {"A with Shift", 0x1E, 0, 2, true, 2, false, "keyboard_key_A", {0x20, 0x02, 0x04}},
        {"Num * with Win", 0x37, 0, 4, true, 4, false, "keyboard_key_Num *", {0x20, 0x08, 0x55}},
        {"Print Screen", 0x37, 1, 0, true, 0, false, "keyboard_key_Print Scr", {0x20, 0, 0x46}},
        {"Pause", 0x45, 0, 1, true, 1, false, "keyboard_key_Pause", {0x20, 0x01, 0x48}},
        {"option out of range", 0x1E, 0, 7, true, 0, false, "keyboard_key_A", {0x20, 0, 0x04}},
        {"unknown key", 0x59, 0, 2, false, -1, false, "", {}},
        {"unknown flag", 0x1E, 1, 2, false, -1, false, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const KeyCapture capture = CaptureKey(c.scanCode, c.extended, c.selectedOption);
        EXPECT_EQ(capture.accepted, c.accepted);
        EXPECT_EQ(capture.option, c.option);
        EXPECT_EQ(capture.clearEdit, c.clearEdit);
        EXPECT_STREQ(capture.nameKey, c.nameKey);
        EXPECT_EQ(capture.code, c.code);
    }
}

// K42 has no scan code: no key press can ever reach its row.
TEST(KeyAssignmentTest, K42CannotBeCaptured) {
    const int k42 = RowOfName("keyboard_key_K42");
    for (int scan = 0; scan < 256; ++scan) {
        for (uint8_t flag : {0, 1}) {
            const KeyCapture capture = CaptureKey(uint8_t(scan), flag, 0);
            EXPECT_NE(capture.row, k42);
            EXPECT_LT(capture.row, kScanCodeRows);
        }
    }
}

// Saving rebuilds p1 from the option: either Ctrl is stored as left Ctrl.
TEST(KeyAssignmentTest, EitherCtrlSavesTheLeftBit) {
    for (uint8_t flag : {0, 1}) {
        const KeyCapture capture = CaptureKey(0x1D, flag, -1);
        EXPECT_EQ(capture.option, 1);
        EXPECT_EQ(ModifierBitOfOption(capture.option), 0x01);
        EXPECT_EQ(CaptureKey(0x1E, 0, capture.option).code, (AssignmentCode{0x20, 0x01, 0x04}));
    }
}

// ---- key list text ----

struct TextCase {
    uint32_t code;
    const char* keyboardText;
    const char* mouseText;
};

TEST(KeyAssignmentTest, AssignmentTextOfEveryKind) {
    const TextCase cases[] = {
        {0x000000, "close_text", "close_text"},
        {0x000104, "", ""},
        {0x200000, "close_text", "close_text"},
        {0x200004, "keyboard_key_A", "keyboard_key_A"},
        {0x200100, "keyboard_key_LCtrl", "keyboard_key_LCtrl"},
        {0x208000, "keyboard_key_RWin", "keyboard_key_RWin"},
        {0x200204, "keyboard_key_LShift+keyboard_key_A", "keyboard_key_LShift+keyboard_key_A"},
        {0x200304, "keyboard_key_LCtrl+keyboard_key_LShift+keyboard_key_A",
         "keyboard_key_LCtrl+keyboard_key_LShift+keyboard_key_A"},
        {0x201100, "keyboard_key_LCtrl+keyboard_key_RCtrl",
         "keyboard_key_LCtrl+keyboard_key_RCtrl"},
        {0x2000F0, "", ""},  // unknown usage, no modifier: nothing, not every key
        {0x2002F0, "keyboard_key_LShift", "keyboard_key_LShift"},
        {0x201004, "custem_select_all", "keyboard_key_RCtrl+keyboard_key_A"},
        {0x20102E, "custem_magnify", "keyboard_key_RCtrl+keyboard_key_="},
        {0x100100, "mouse_key_left", "mouse_key_left"},
        {0x100400, "mouse_key_middle", "mouse_key_middle"},
        {0x100200, "mouse_key_right", "mouse_key_right"},
        {0x102000, "", ""},
        {0x110385, "mouse_key_right_Swing", "mouse_key_right_Swing"},
        {0x110305, "mouse_key_left_Swing", "mouse_key_left_Swing"},
        {0x1200FD, "mouse_key_down_Swing", "mouse_key_down_Swing"},
        {0x120003, "mouse_key_up_Swing", "mouse_key_up_Swing"},
        {0x130300, "mouse_key_DPI_loop", "mouse_key_DPI_loop"},
        {0x145002, "mouse_key_fire_key", "mouse_key_fire_key"},
        {0x160502, "mouse_key_DPI_shift", "mouse_key_DPI_shift"},
        {0x210000, "", ""},
        {0x230000, "show_window", "show_window"},
        {0x230100, "", ""},
        {0x220008, "custem_select_all", "custem_select_all"},
        {0x220009, "", ""},
        {0x308301, "media_text", "media_text"},
        {0x302602, "wed_stop", "wed_stop"},
        {0x309201, "media_calc", "media_calc"},
        {0x30FF00, "", ""},
        {0x400200, "system_sleep", "system_sleep"},
        {0x700100, "second macro", "second macro"},
        {0x710003, "first macro", "first macro"},
        {0x700200, "", ""},  // beyond the macros
        {0x720300, "", "gun_4_txt"},
        {0x720400, "", ""},
        {0xA00200, "mouse_key_smart_key", "mouse_key_smart_key"},
        {0xA00000, "close_text", "close_text"},
        {0xA00100, "keyboard_key_FN", "keyboard_key_FN"},
        {0xA01B00, "keyboard_key_GM", "keyboard_key_GM"},
        {0xA01100, "keyboard_key_COLOR", "keyboard_key_COLOR"},
        {0xA07700, "", ""},
        {0xD0A203, "keyboard_key_M3", ""},
        {0xD0A206, "", ""},
        {0xB00000, "", ""},
        {0x500000, "", ""},
    };
    for (bool keyboard : {true, false}) {
        AssignmentTextContext context;
        context.keyboard = keyboard;
        context.macroNames = {"first macro", "second macro"};
        context.translate = [](const char* key) { return std::string(key); };
        for (const TextCase& c : cases)
            EXPECT_EQ(AssignmentText(Code(c.code), context),
                      keyboard ? c.keyboardText : c.mouseText)
                << std::hex << c.code << (keyboard ? " on a keyboard" : " on a mouse");
    }
}

TEST(KeyAssignmentTest, AssignmentTextTranslatesNamesButNotMacroNames) {
    AssignmentTextContext context;
    context.macroNames = {"Reload"};
    context.translate = [](const char* key) { return std::string("<") + key + ">"; };
    EXPECT_EQ(AssignmentText(Code(0x200204), context), "<keyboard_key_LShift>+<keyboard_key_A>");
    EXPECT_EQ(AssignmentText(Code(0x700000), context), "Reload");
    context.translate = nullptr;  // no translation at hand: the key itself
    EXPECT_EQ(AssignmentText(Code(0x400100), context), "system_power");
}

// ---- validity ----

KeyListEntry Entry(uint32_t current, uint32_t defaultCode, uint16_t key = 0) {
    KeyListEntry entry;
    entry.current.SetKeyIndex(key);
    entry.current.code = Code(current);
    entry.defaultHalf.SetKeyIndex(key);
    entry.defaultHalf.code = Code(defaultCode);
    return entry;
}

TEST(KeyAssignmentTest, TheLastLeftButtonCannotBeOpened) {
    std::vector<KeyListEntry> list = {Entry(0x100100, 0x100100), Entry(0x100200, 0x100200),
                                      Entry(0x100100, 0x100400)};
    EXPECT_FALSE(IsLastLeftButton(list, 0));
    EXPECT_FALSE(IsLastLeftButton(list, 2));
    list[2].current.code = Code(0x200004);  // one of the two is changed
    EXPECT_TRUE(IsLastLeftButton(list, 0));
    EXPECT_FALSE(IsLastLeftButton(list, 2));
    EXPECT_FALSE(IsLastLeftButton(list, 1));
    EXPECT_FALSE(IsLastLeftButton(list, -1));
    EXPECT_FALSE(IsLastLeftButton(list, 3));
}

TEST(KeyAssignmentTest, MacroReferencesBeyondTheListReturnToTheDefault) {
    std::vector<KeyListEntry> list = {
        Entry(0x700100, 0x200004, 1),  // macro 1 of 2: kept
        Entry(0x700200, 0x200005, 2),  // macro 2: gone
        Entry(0x710905, 0x100100, 3),  // repeated macro 9: gone
        Entry(0x720200, 0x100200, 4),  // gun key 2: not a macro
        Entry(0x300200, 0x100400, 5),  // consumer p1 2: not a macro
    };
    std::vector<KeyListEntry> expected = list;
    expected[1].current.code = Code(0x200005);
    expected[2].current.code = Code(0x100100);
    EXPECT_TRUE(RepairMacroReferences(list, 2));
    EXPECT_EQ(list, expected);
    EXPECT_FALSE(RepairMacroReferences(list, 2));
    EXPECT_EQ(list, expected);
}

TEST(KeyAssignmentTest, NoMacrosReturnsEveryMacroReference) {
    std::vector<KeyListEntry> list = {Entry(0x700000, 0x200004), Entry(0x700000, 0x700000)};
    EXPECT_TRUE(RepairMacroReferences(list, 0));
    EXPECT_EQ(list[0].current.code, Code(0x200004));
    EXPECT_EQ(list[1].current.code, Code(0x700000));  // its own default: nothing to return to
    EXPECT_FALSE(RepairMacroReferences(list, 0));
}

// ---- language texts ----

std::string XmlUnescape(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"},  {"&gt;", ">"},   {"&quot;", "\""}, {"&#x27;", "'"},
        {"&#39;", "'"}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, plain] : entities) {
        for (size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + std::strlen(plain)))
            text.replace(at, std::strlen(entity), plain);
    }
    return text;
}

std::set<std::string> EnglishKeys() {
    std::ifstream file(TIRK_RESOURCE_DIR "/skin/lan_en.xml");
    std::stringstream content;
    content << file.rdbuf();
    const std::string text = content.str();
    static const std::regex keyed(R"re(<Text key="([^"]*)">)re");
    std::set<std::string> keys;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), keyed);
         it != std::sregex_iterator(); ++it)
        keys.insert(XmlUnescape((*it)[1].str()));
    return keys;
}

// The language file test finds keys in calls; the keys held in these tables
// and the fixed texts of the key list are checked here.
TEST(KeyAssignmentTest, EveryNameKeyIsInTheEnglishLanguageFile) {
    const std::set<std::string> keys = EnglishKeys();
    ASSERT_TRUE(keys.count("main_title")) << "lan_en.xml was not read";
    std::set<std::string> used = {"close_text",           "mouse_key_right_Swing",
                                  "mouse_key_left_Swing", "mouse_key_down_Swing",
                                  "mouse_key_up_Swing",   "mouse_key_fire_key"};
    for (const KeyTableRow& row : MacroKeyTable()) used.insert(row.nameKey);
    for (const MacroMouseRow& row : MacroMouseTable()) used.insert(row.nameKey);
    for (auto list : {MouseButtonList(), DpiFunctionList(), MediaList(), SystemList(),
                      ShortcutList(), GunKeyList(), NumberedShortcutList(), SpecialFunctionList()})
        for (const FunctionRow& row : list) used.insert(row.nameKey);
    for (const std::string& key : used) {
        EXPECT_FALSE(key.empty());
        EXPECT_TRUE(keys.count(key)) << "lan_en.xml lacks \"" << key << "\"";
    }
}

}  // namespace
}  // namespace tirk
