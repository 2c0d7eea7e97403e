// The macros of a device type: the list file "macro.config" and one file
// "<Guid>.mac" per macro in the device data folder; the checks a file passes
// before it is imported; the device form of an event; the macros that key
// bindings use and the size of their download; the renumbering of bindings
// when a macro is removed. No UI: the macro page shows what the results name.
// Every change is written whole or not at all (docs/macros.md).
#pragma once

#include <json/value.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "profile/file_batch.h"
#include "profile/profile_records.h"

namespace tirk {

class CBasicProfiledata;
class CProfileList;

/// Language keys of the messages the results name.
namespace macro_text {
inline constexpr char kLimit[] = "message_macro_limit";  ///< 50 macros exist
/// "%s" takes the detail: the file and what is wrong with it.
inline constexpr char kImportRefused[] = "message_macro_import_refused";
/// "%s" takes the detail: the file and why it could not be read or written.
inline constexpr char kFileError[] = "message_macro_file_error";
}  // namespace macro_text

/// The "Type" of a macro event.
enum class MacroEventType : uint8_t {
    MouseButton = 1,   ///< "Button": 0x01 left, 0x02 right, 0x04 middle, 0x08 back, 0x10 forward
    MouseMoveX = 4,    ///< "Button": distance; "down" moves left, "up" right
    MouseMoveY = 5,    ///< "Button": distance; "down" moves up, "up" down
    ModifierKey = 9,   ///< "Button": one HID modifier bit
    KeyboardKey = 10,  ///< "Button": HID keyboard usage
};

/// The device form of an event: delay (little-endian), type with bit 7 set
/// for "down", button.
struct PackedMacroEvent {
    uint8_t delayLow = 0;
    uint8_t delayHigh = 0;
    uint8_t typeAction = 0;
    uint8_t button = 0;

    uint16_t Delay() const { return uint16_t(delayLow | delayHigh << 8); }
    bool operator==(const PackedMacroEvent&) const = default;
};
static_assert(sizeof(PackedMacroEvent) == 4);

/// One entry of the macro list: the name shown and the macro file's stem.
struct MacroEntry {
    std::string name;
    std::string guid;  ///< empty when the list gives no usable file name
    bool operator==(const MacroEntry&) const = default;
};

/// How an operation ended.
enum class MacroStatus {
    kOk,
    kUnchanged,      ///< nothing to do (no such macro, no file chosen for export)
    kLimit,          ///< 50 macros: nothing added
    kImportRefused,  ///< the file is no usable macro; nothing changed
    kFileError,      ///< a file could not be read or written; nothing changed
};

/// The result of an operation: the status, the language key of the message
/// (empty: nothing to show) and, for refusals and file errors, the detail
/// "<file>: <problem>" that fills the message's "%s".
struct MacroResult {
    MacroStatus status = MacroStatus::kOk;
    std::string textKey;
    std::string detail;
    MacroEntry entry;  ///< AddMacro, ImportMacro: the new entry
    int index = -1;    ///< AddMacro, ImportMacro: its index in the list

    bool Ok() const { return status == MacroStatus::kOk; }
    explicit operator bool() const { return Ok(); }
};

/// The outcome of checking the bytes of a file offered for import.
struct MacroImportCheck {
    bool ok = false;
    std::string problem;              ///< what is wrong, without the file name
    std::vector<Json::Value> events;  ///< the events, in order, when ok
};

/// The macros that key bindings use, packed for the device.
struct MacroDownload {
    std::size_t size = 0;  ///< bytes of the block: 16 + 6n + 4 × events
    int overflow = 0;      ///< 0 when it fits, else ((size − limit) >> 2) + 1
    /// One list of packed events per macro, in download order; empty when
    /// the block does not fit (nothing is downloaded then).
    std::vector<std::vector<PackedMacroEvent>> macros;
};

/// What a renumbering after a removal did.
struct RenumberResult {
    MacroResult result;
    std::vector<std::string> changedFiles;  ///< profile files written, in list order
    bool activeChanged = false;             ///< the active profile's bindings in memory changed
};

// ---- events ----

/// The delay of an event's "Delay" value as packing and saving read it: an
/// integer, a real (truncated) or a string of decimal digits, kept within 0 to
/// 65535; anything else (another text, a boolean, null) is 0.
uint16_t MacroDelay(const Json::Value& delay);

/// The device form of an event. "Action" exactly "down" sets bit 7; "Type"
/// and "Button" are integers truncated to a byte (0 when missing or not
/// integers); "Delay" as MacroDelay reads it. Never throws.
PackedMacroEvent Pack(const Json::Value& event);

/// What a file of macro events must be beyond the rules every such file
/// follows (docs/macros.md, "Import checks").
struct EventFileRules {
    const char* kind = "macro";   ///< what the file is called in refusals
    bool eventsRequired = false;  ///< a file without "Events" is refused
    bool gapsAllowed = false;     ///< null events (gaps a short table left) are accepted
    std::size_t maxEvents = SIZE_MAX;
};

/// Why a file's bytes are no file of playable macro events: its size, JSON
/// form, top-level object, "Events" array and each event as import demands
/// them, plus `rules`; ok with the events (and, when `root` is given, the
/// parsed document) when nothing is wrong. No I/O; never throws.
MacroImportCheck CheckEventFile(std::string_view bytes, const EventFileRules& rules,
                                Json::Value* root = nullptr);

/// Why a file's bytes cannot be imported as a macro into a device whose
/// macro memory holds `capacity` bytes, with `stem` (the file's name without
/// folder and extension) as the new macro's name; ok with the events when
/// nothing is wrong. The rules are listed in docs/macros.md. No I/O; never
/// throws.
MacroImportCheck CheckMacroFile(std::string_view bytes, std::string_view stem,
                                std::size_t capacity);

// ---- names ----

/// The first "macro_%d" (n = 1, 2, …) that no name of `names` equals without
/// regard to case.
std::string NewMacroName(const std::vector<std::string>& names);
/// `stem`, then "<stem>_1", "<stem>_1_2", … until no name of `names` equals it
/// without regard to case.
std::string ImportedMacroName(const std::vector<std::string>& names, const std::string& stem);
/// The name a file gives an imported macro: its name without folder and
/// without what follows the last dot.
std::string MacroStemOf(const std::string& path);

// ---- download ----

/// 16 + 2n + 4n + 4 × (sum of the counts) for n macros with these event counts.
std::size_t MacroDownloadSize(std::span<const std::size_t> eventCounts);
/// The first bytes of every download block: 0x55AA, low byte first.
inline constexpr uint8_t kDownloadSignature[] = {0xAA, 0x55};
/// The block's size field has 16 bits.
inline constexpr std::size_t kMaxDownloadBlockBytes = 0xFFFF;
/// The download block of `records` (packed events per record, in order),
/// as macros and recoil tables are sent: AA 55, total size, record count, 10
/// reserved zero bytes, each record's offset from the block's start, then per
/// record its event count, 2 reserved zero bytes and its events; all values
/// little-endian. MacroDownloadSize bytes; the caller keeps it within
/// kMaxDownloadBlockBytes and within the device's memory.
std::vector<uint8_t> BuildDownloadBlock(const std::vector<std::vector<PackedMacroEvent>>& records);
/// 0 when `size` fits `limit`, else ((size − limit) >> 2) + 1: how many events
/// too many, plus one.
int MacroOverflowCount(std::size_t size, std::size_t limit);

/// The macros that bindings use, in order of first use: position p counts when
/// keyTable[p] is not 255 (the device has a key there) and bindings[p]'s
/// current code is of kind 0x70 or 0x71 with a macro index below `macroCount`.
/// The walk covers the positions both spans have.
std::vector<int> UsedMacros(std::span<const uint8_t> keyTable,
                            std::span<const KeyListEntry> bindings, int macroCount);

// ---- removal ----

/// Renumbers bindings for the removal of macro `removed`: a binding of kind
/// 0x70 or 0x71 to it gets its default half's code, one to a larger index has
/// that index lowered by one. Default halves are left alone. True when
/// anything changed.
bool RenumberMacroBindings(std::vector<KeyListEntry>& list, int removed);
/// True when some current code of `list` is of kind 0x70 or 0x71 with macro
/// index `macro` (the removal then asks for confirmation).
bool UsesMacro(std::span<const KeyListEntry> list, int macro);

/// Renumbers the bindings of every profile in `profiles` except the active one
/// (the list's active profile and the file `data` has as its profile path) for
/// the removal of macro `removed`, reading each profile's "KeyList" through
/// the scratch document of `data`. Every profile is read before anything is
/// written; one that cannot be read refuses the whole operation. The changed
/// profiles are written in one batch through `writer`: all of them or none.
RenumberResult RenumberOtherProfiles(CProfileList& profiles, CBasicProfiledata& data, int removed,
                                     const FileWriter& writer = WriteFileLogged);

// ---- the store ----

class MacroStore {
public:
    static constexpr int kMaxMacros = 50;
    static constexpr char kListFileName[] = "macro.config";
    static constexpr char kMacroExtension[] = ".mac";
    static constexpr int kVersion = 64;
    /// The macro memory of every keyboard, in bytes.
    static constexpr std::size_t kKeyboardMemory = 1024;
    /// Keyboards walk key positions 0 to 125 for their macros.
    static constexpr std::size_t kKeyboardPositions = 126;
    /// Largest macro file read or imported: far above 4000 recorded events.
    static constexpr std::size_t kMaxFileBytes = std::size_t(1) << 20;

    using Clock = std::function<std::chrono::system_clock::time_point()>;

    /// The store of the device data folder `folder` (a '/' is added when
    /// missing; the first write creates the folder).
    explicit MacroStore(std::string folder);

    /// The writer of every file (tests inject failures). Default: atomic,
    /// failures logged.
    void SetFileWriter(FileWriter writer) { m_writer = std::move(writer); }
    /// The clock new Guids are made from (tests fix it).
    void SetClock(Clock clock) { m_clock = std::move(clock); }

    const std::string& Folder() const { return m_folder; }
    /// Folder + "macro.config".
    std::string ListPath() const { return m_folder + kListFileName; }
    /// Folder + guid + ".mac".
    std::string MacroPath(const std::string& guid) const {
        return m_folder + guid + kMacroExtension;
    }

    // ---- the list: every call reads the list file anew ----

    /// The entries in index order. A missing, empty, unreadable or unusable
    /// list file is an empty list (docs/macros.md tells which of them are
    /// replaced by the next write and which protect the file).
    std::vector<MacroEntry> LoadList() const;
    /// The names in index order (the key-binding chooser).
    std::vector<std::string> ListNames() const;
    /// False when the list file is there but cannot be read or is damaged:
    /// its entries are unknown, so bindings must not be judged against it.
    bool ListUsable() const;

    /// Appends "macro_<n>" with a new Guid and writes the list; no macro file
    /// yet. kLimit when 50 macros exist.
    MacroResult AddMacro();
    /// Writes `name` into entry `index` (the caller has checked the name).
    MacroResult RenameMacro(int index, const std::string& name);
    /// Removes entry `index` from the list, then deletes its macro file (not
    /// when another entry names the same file). Bindings are the caller's:
    /// see RemoveMacroEverywhere.
    MacroResult RemoveMacro(int index);
    /// RemoveMacro together with the renumbering of every profile's bindings:
    /// the files of all profiles in `profiles` (the active one's too) and the
    /// list file are written in one batch, all or nothing; then the active
    /// profile's bindings in `data` are renumbered in memory.
    RenumberResult RemoveMacroEverywhere(int index, CProfileList& profiles,
                                         CBasicProfiledata& data);

    // ---- macro files ----

    /// The events of the macro file of `guid`, in order, each as the file has
    /// it. A missing file, or a Guid that is no plain file name, has no
    /// events. Events that cannot be played (not an object, an unknown
    /// "Type", a "Button" the type cannot have) are skipped; `problem`, when
    /// given, then receives "<file>: <what>" (also logged).
    std::vector<Json::Value> LoadEvents(const std::string& guid,
                                        std::string* problem = nullptr) const;
    /// Writes the macro file of entry `index`: "Events" (each object as given,
    /// its "Delay" as a decimal string), "Guid", "MacroName" (the entry's
    /// current name) and "Version" 64; other members of the old file are kept.
    MacroResult SaveEvents(int index, const std::vector<Json::Value>& events);
    /// Copies entry `index`'s macro file byte for byte to `path` (atomically).
    /// A macro never saved is exported as a macro file without events.
    MacroResult ExportMacro(int index, const std::string& path);
    /// Adds the macro file at `path` under the name its file name gives, when
    /// it passes CheckMacroFile for a device with `capacity` bytes of macro
    /// memory: the list is written, then the file copied byte for byte.
    MacroResult ImportMacro(const std::string& path, std::size_t capacity);

    // ---- the device ----

    /// UsedMacros with the number of entries of the list file.
    std::vector<int> UsedMacros(std::span<const uint8_t> keyTable,
                                std::span<const KeyListEntry> bindings) const;
    /// Packs the macros `used` (list indices, in download order) for a device
    /// with `limit` bytes of macro memory; an index without an entry or a
    /// file counts as a macro without events.
    MacroDownload PlanDownload(const std::vector<int>& used, std::size_t limit) const;

private:
    struct ListFile;
    ListFile ReadListFile() const;
    std::string NewGuid(const std::vector<MacroEntry>& entries) const;
    MacroResult Commit(CFileBatch& batch) const;
    /// RemoveMacro, with the renumbering of every profile when `profiles` is given.
    RenumberResult Remove(int index, CProfileList* profiles, CBasicProfiledata* data);

    std::string m_folder;
    FileWriter m_writer;
    Clock m_clock;
};

}  // namespace tirk
