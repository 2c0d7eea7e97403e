// The recoil tables of a mouse: four files "ShootData_<g>.Shoot" in the
// device data folder, one per gun, each a list of macro events in which shot
// b of 30 is the six events 6b … 6b+5 (a left click, the horizontal and
// vertical pull, and the delay to the next shot). Defaults are installed in
// the default data folder and never written. Nothing is cached: every read
// reads the file, every change rewrites it whole and atomically. No UI: the
// recoil page shows what the results name (docs/recoil.md).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "profile/file_batch.h"
#include "profile/macro_store.h"

namespace tirk {

/// Language keys of the messages the results name; "%s" takes the detail.
namespace recoil_text {
inline constexpr char kImportRefused[] = "message_recoil_import_refused";
inline constexpr char kFileError[] = "message_recoil_file_error";
}  // namespace recoil_text

inline constexpr int kRecoilGuns = 4;
inline constexpr int kRecoilShots = 30;
inline constexpr int kEventsPerShot = 6;
/// A full table: 30 shots of six events.
inline constexpr int kRecoilTableEvents = kRecoilShots * kEventsPerShot;
/// The most events one recoil file may hold: four files that large still fit
/// the download block's 16-bit size field ((65535 − 40) / 16).
inline constexpr std::size_t kMaxRecoilFileEvents =
    (kMaxDownloadBlockBytes - (16 + 6 * kRecoilGuns)) / (4 * kRecoilGuns);
inline constexpr char kRecoilFilePrefix[] = "ShootData_";
inline constexpr char kRecoilFileExtension[] = ".Shoot";

/// One shot as the page edits it.
struct RecoilShot {
    bool left = false;   ///< horizontal "Action" is "down" (pull to the left)
    bool up = false;     ///< vertical "Action" is "down" (pull upwards)
    uint8_t x = 0;       ///< horizontal distance
    uint8_t y = 0;       ///< vertical distance
    uint16_t delay = 0;  ///< milliseconds until the next shot
    bool operator==(const RecoilShot&) const = default;
};

enum class RecoilStatus {
    kOk,
    kUnchanged,      ///< nothing to do (no such gun, no folder yet, no file chosen)
    kImportRefused,  ///< the chosen file is no usable recoil table; nothing changed
    kFileError,      ///< a file could not be read or written; nothing changed
};

/// How an operation ended: the status, the language key of the message
/// (empty: nothing to show) and the detail "<file>: <problem>" for its "%s".
struct RecoilResult {
    RecoilStatus status = RecoilStatus::kOk;
    std::string textKey;
    std::string detail;

    bool Ok() const { return status == RecoilStatus::kOk; }
    explicit operator bool() const { return Ok(); }
};

/// The block that sends the four tables, or why there is none.
struct RecoilBlock {
    RecoilResult result;
    std::vector<uint8_t> bytes;  ///< empty unless the result is ok
};

/// "ShootData_<gun>.Shoot".
std::string RecoilFileName(int gun);

/// Why `bytes` are no recoil file: the checks of every macro event file
/// (CheckEventFile) with "Events" required, null gaps allowed and at most
/// kMaxRecoilFileEvents events; `root`, when given, receives the document of
/// a usable file. No I/O; never throws.
MacroImportCheck CheckRecoilFile(std::string_view bytes, Json::Value* root = nullptr);

class RecoilTables {
public:
    /// No tables: until the folders are known, reads give nothing and
    /// changes do nothing (kUnchanged).
    RecoilTables() = default;
    /// The tables of `deviceFolder` with the defaults of `defaultFolder` (a
    /// '/' is added to either when missing).
    RecoilTables(std::string deviceFolder, std::string defaultFolder);

    /// The writer of every file (tests inject failures). Default: atomic,
    /// failures logged.
    void SetFileWriter(FileWriter writer) { m_writer = std::move(writer); }

    /// Device folder + "ShootData_<gun>.Shoot".
    std::string TablePath(int gun) const;
    /// Default folder + "ShootData_<gun>.Shoot".
    std::string DefaultPath(int gun) const;

    /// True when gun's file is missing or is no recoil file (CheckRecoilFile):
    /// page start resets it. A file that is there but cannot be read (or is
    /// over 1 MB) is left alone (false).
    bool NeedsReset(int gun) const;
    /// Shot `shot` of `gun`: directions from elements 6b+2 and 6b+3 ("down"
    /// in any case), distances and delay as packing reads them. Missing
    /// elements, files and members read as nothing: right, down, 0, 0, 0.
    RecoilShot ReadShot(int gun, int shot) const;
    /// Writes the six elements of the shot (members of an element other than
    /// the four are kept, so are the file's other members); a shorter "Events"
    /// grows, with nulls before the shot. A file that does not parse (or
    /// whose top level or "Events" has the wrong type) is kept as
    /// "<file>.broken" first; one that cannot be read is not replaced.
    RecoilResult WriteShot(int gun, int shot, const RecoilShot& values);
    /// Replaces gun's file with the default file's bytes (a damaged file is
    /// kept as "<file>.broken"). A default that is missing, unreadable or no
    /// recoil file changes nothing (kFileError).
    RecoilResult Reset(int gun);
    /// Replaces gun's file with the file at `path`, byte for byte, when it
    /// passes CheckRecoilFile; else kImportRefused and nothing changes.
    RecoilResult Import(int gun, const std::string& path);
    /// Writes gun's file, byte for byte, to `path` (atomically). A missing
    /// file is exported as a table without events; one that is no recoil file
    /// is not exported (kFileError), since it would not import again.
    RecoilResult Export(int gun, const std::string& path) const;
    /// The download block of the four tables in gun order, each with all its
    /// events packed (null gaps as zero bytes). A missing file is a table
    /// without events; one that cannot be read or is no recoil file refuses
    /// the block, and so do tables too large for its 16-bit size.
    RecoilBlock BuildBlock() const;

private:
    /// A gun of 0 … 3 with a device data folder to hold its table.
    bool HasTable(int gun) const;
    /// Replaces gun's file with `bytes`; a file there that is no recoil file
    /// is kept as "<file>.broken" first, one that cannot be read is not replaced.
    RecoilResult ReplaceTable(int gun, std::string bytes);

    std::string m_deviceFolder;
    std::string m_defaultFolder;
    FileWriter m_writer = WriteFileLogged;
};

}  // namespace tirk
