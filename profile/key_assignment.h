// The key assignment model: the panel categories an assignment code falls
// in, the packing of the code's parameters from what the panel shows and
// back, key capture, the text a device page's key list shows for a code, and
// the rules that keep assignments valid. Plain code over AssignmentCode and
// KeyListEntry (profile_records.h); the panel (profile/panel/key_set_control)
// applies it to its controls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "profile/key_tables.h"
#include "profile/profile_records.h"

namespace tirk {

/// The categories of the panel's function chooser; a category's number is
/// also its page of "function_switch_tablayout".
enum KeyCategory : int {
    kCategoryNone = -1,
    kCategoryDefault = 0,
    kCategoryMouseButton = 1,
    kCategoryTilt = 2,
    kCategoryWheel = 3,
    kCategoryDpi = 4,
    kCategoryFireKey = 5,
    kCategoryKeyboardKey = 6,
    kCategoryMedia = 7,
    kCategorySystem = 8,
    kCategoryMacro = 9,
    kCategoryGunKey = 10,
    kCategoryShortcut = 11,
};

/// Assignment kinds.
namespace assign_kind {
inline constexpr uint8_t kDisabled = 0x00;
inline constexpr uint8_t kMouseButton = 0x10;
inline constexpr uint8_t kTilt = 0x11;
inline constexpr uint8_t kWheel = 0x12;
inline constexpr uint8_t kDpi = 0x13;
inline constexpr uint8_t kFireKey = 0x14;
inline constexpr uint8_t kDpiShift = 0x16;
inline constexpr uint8_t kKeyboardKey = 0x20;
inline constexpr uint8_t kNumberedShortcut = 0x22;
inline constexpr uint8_t kShowWindow = 0x23;
inline constexpr uint8_t kConsumer = 0x30;
inline constexpr uint8_t kSystem = 0x40;
inline constexpr uint8_t kMacro = 0x70;
inline constexpr uint8_t kMacroRepeat = 0x71;
inline constexpr uint8_t kGunKey = 0x72;
inline constexpr uint8_t kSpecial = 0xA0;
inline constexpr uint8_t kMKey = 0xD0;
}  // namespace assign_kind

/// True for the kinds that play a macro: 0x70 (once) and 0x71 (repeated).
inline constexpr bool IsMacroKind(uint8_t kind) {
    return kind == assign_kind::kMacro || kind == assign_kind::kMacroRepeat;
}

/// The left mouse button's code, which a mouse must always keep on one key.
inline constexpr AssignmentCode kLeftButtonCode{0x10, 0x01, 0x00};

/// The category in which the panel shows `code` when the key's default code
/// is `defaultCode` (a code equal to the default is category 0 whatever its
/// kind); kCategoryNone for a kind the panel has no page for.
int CategoryOfCode(const AssignmentCode& code, const AssignmentCode& defaultCode);

// ---- modifier options (0 none, 1 Ctrl, 2 Shift, 3 Alt, 4 Win) ----

/// The option of key table row `row` (0 to 7): left and right modifiers give
/// the same option 1 to 4; −1 for any other row.
int ModifierOptionOfRow(int row);
/// The modifier bit an option stands for: 0 for −1 and 0, left-hand bits
/// 0x01, 0x02, 0x04, 0x08 for 1 to 4; 0 for anything else.
uint8_t ModifierBitOfOption(int option);

/// What the keyboard-key page shows for a code of kind 0x20 (category 6).
struct KeyboardKeyView {
    int option = -1;           ///< modifier option to select; −1 selects none
    const char* nameKey = "";  ///< name key of the key edit; "" empties it
    bool clearCode = false;    ///< no row matched: the code's p1 and p2 become 0
    uint8_t p1 = 0;            ///< p1 as the page takes it (0 when not a modifier bit)
};
KeyboardKeyView DescribeKeyboardKey(uint8_t p1, uint8_t p2);

// ---- parameter packing ----

/// Repeated tilt or wheel: delay and speed (4 bits each), a count and a direction.
/// Encoding takes a value its field cannot hold as the nearest one it can:
/// delay and speed 0 to 15, tilt count 0 to 127, wheel up 0 to 127, wheel
/// down 1 to 128 (see docs/key-assignment.md).
struct RepeatParams {
    int delay = 0;
    int speed = 0;
    int count = 0;
    bool second = false;  ///< tilt: right (item 1); wheel: down (item 1)
    bool operator==(const RepeatParams&) const = default;
};
AssignmentCode EncodeTilt(const RepeatParams& params);
RepeatParams DecodeTilt(const AssignmentCode& code);
AssignmentCode EncodeWheel(const RepeatParams& params);
RepeatParams DecodeWheel(const AssignmentCode& code);

/// Fire key: an interval below 2 is taken as 2 (above 255 as 255); the
/// count is kept within 0 to 255.
inline constexpr int kMinFireInterval = 2;
AssignmentCode EncodeFireKey(int interval, int count);

/// Reads an edit's text as the panel does: a decimal integer (anything that
/// is not a number reads as 0), truncated to a byte. Leading blanks and a
/// '+' are allowed, reading stops at the first non-digit ("12ab" is 12); a
/// negative number is no count and reads as 0.
uint8_t EditByte(const std::string& text);

// ---- key capture ----

/// A key press reported by the input hook while the key edit has the focus.
struct KeyCapture {
    bool accepted = false;     ///< false: not in the scan table or not a keyboard row
    int row = -1;              ///< the key table row
    int option = -1;           ///< modifier option to select
    bool clearEdit = false;    ///< a modifier alone: the key edit is emptied
    const char* nameKey = "";  ///< otherwise the key edit shows this name
    AssignmentCode code;       ///< the new current code
};
/// `selectedOption` is the modifier option selected before the press (−1 none).
KeyCapture CaptureKey(uint8_t scanCode, uint8_t extended, int selectedOption);
/// The first scan table row with this scan code and flag; −1 when none.
int FindScanRow(uint8_t scanCode, uint8_t extended);

// ---- the key list text ----

/// What AssignmentText needs besides the code.
struct AssignmentTextContext {
    bool keyboard = false;                ///< keyboards: shortcuts, 0xD0 names; mice: gun keys
    std::vector<std::string> macroNames;  ///< in macro list order
    /// The shown text of a language key.
    std::function<std::string(const char*)> translate;
};
/// The text of `code` in a device page's key list; empty for "nothing".
/// A keyboard key code that is no single row is named by its parts joined
/// by "+": the modifiers whose bits are set, then the key (docs/key-assignment.md).
/// Macro names are shown as they are, not translated.
std::string AssignmentText(const AssignmentCode& code, const AssignmentTextContext& context);

// ---- validity ----

/// Whether key `key` of a mouse may not be opened for editing: it carries the
/// left button and no other key of `list` does.
bool IsLastLeftButton(const std::vector<KeyListEntry>& list, int key);
/// Returns every assignment of kind 0x70 or 0x71 whose macro number is not
/// below `macroCount` to its default half (the default code; the key index
/// stays). True when anything changed; a key whose default is that same code
/// is left alone and counts as no change.
bool RepairMacroReferences(std::vector<KeyListEntry>& list, int macroCount);

}  // namespace tirk
