// The colour picker's remembered colours: 20 colour slots, 20 collected slots
// and the selection in each row, kept in "color_option_info.config" in the
// application data folder. Qt-free, so that reading and writing are tested
// without a window.
//
// On disk (a colour is 8 upper-case hex digits of 0xAARRGGBB):
//   { "coloroptioninfo" : {
//       "palletDialogcoloroption" : [ { "color" : "FFFF0000" }, … 20 ],
//       "palletDialogcoloroption_selectitem" : 0,
//       "palletDialogcollectcoloroption" : [ { "color" : "…", "UserData" : "1" }, … 20 ],
//       "palletDialogcollectcoloroption_selectitem" : 0 } }
#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/atomic_file.h"

namespace tirk {

/// Slots per row, in the file and in the dialog.
inline constexpr int kColourSlotCount = 20;
/// The file name inside the application data folder.
inline constexpr char kColourFileName[] = "color_option_info.config";
/// The user data of a collected slot that holds a colour.
inline constexpr char kCollectedMark[] = "1";

struct CollectedColour {
    uint32_t colour = 0;
    std::string userData;  ///< kCollectedMark when the slot holds a colour
    bool operator==(const CollectedColour&) const = default;
};

struct ColourOptions {
    std::array<uint32_t, kColourSlotCount> colours{};  ///< color_option_0 … 19
    int slotSelection = 0;                             ///< -1 (none) .. 19
    std::array<CollectedColour, kColourSlotCount> collected{};
    int collectedSelection = 0;  ///< -1 (none) .. 19
    bool operator==(const ColourOptions&) const = default;
};

/// The built-in slots: a hue circle of saturated colours (what LEDs show
/// best), pink and peach, white and three greys; empty collected slots;
/// the first slot of each row selected.
ColourOptions DefaultColourOptions();

/// "FFFF0000" for opaque red.
std::string FormatColour(uint32_t argb);
/// Exactly 8 hex digits (either case) → the colour; nothing for anything else.
std::optional<uint32_t> ParseColour(std::string_view text);

/// Reads and writes one colour file. Members the program does not know are
/// kept from the last successful Load and written back by Save.
class CColourFile {
public:
    /// `path`: the file (see DefaultColourFilePath).
    explicit CColourFile(std::string path);

    /// Reads the file. A missing file gives the defaults and no error. A file
    /// that is unreadable, not JSON, or has a member missing, of the wrong
    /// type, a bad colour, not 20 slots or a selection outside -1..19 gives
    /// the defaults and an error "<path>: <problem>" (also logged as a file
    /// fault); the file itself is left alone until the next Save, which first
    /// keeps it as "<path>.bad".
    ColourOptions Load(std::string* error = nullptr);

    /// Writes `options` atomically, together with the unknown members of the
    /// last good Load. A failure is logged and returned; the old file stays.
    FileResult Save(const ColourOptions& options);

    const std::string& GetPath() const { return m_path; }

private:
    std::string m_path;
    Json::Value m_document;      // the last good document, for its unknown members
    bool m_keepBadFile = false;  // the file on disk did not load: keep it aside once
};

/// The colour file in the user's application data folder.
std::string DefaultColourFilePath();

/// Parses a document (the root object). Returns the problem, or nothing when
/// `options` was filled.
std::optional<std::string> ColourOptionsFromJson(const Json::Value& root, ColourOptions& options);
/// Writes `options` into `root` (made an object), leaving other members alone.
void ColourOptionsToJson(const ColourOptions& options, Json::Value& root);

}  // namespace tirk
