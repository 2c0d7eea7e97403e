#include "profile/recoil_tables.h"

#include <strings.h>

#include <utility>

#include "core/log.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/json_rewrite.h"

namespace tirk {
namespace {

constexpr int kHorizontalPull = 2;  // of a shot's six events
constexpr int kVerticalPull = 3;
constexpr int kClickDelay = 10;  // the left button is held this long
constexpr int kPullDelay = 5;    // between the horizontal and the vertical pull

// ---- results ----

RecoilResult Result(RecoilStatus status, const char* textKey, std::string detail) {
    return {status, textKey, std::move(detail)};
}

RecoilResult Unchanged(std::string why) {
    return Result(RecoilStatus::kUnchanged, "", std::move(why));
}

RecoilResult FileError(std::string detail) {
    return Result(RecoilStatus::kFileError, recoil_text::kFileError, std::move(detail));
}

RecoilResult Refused(std::string detail) {
    return Result(RecoilStatus::kImportRefused, recoil_text::kImportRefused, std::move(detail));
}

// ---- small helpers ----

bool ValidGun(int gun) {
    return gun >= 0 && gun < kRecoilGuns;
}

bool ValidShot(int shot) {
    return shot >= 0 && shot < kRecoilShots;
}

std::string NoGun(int gun) {
    return "no recoil table " + std::to_string(gun);
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

const char* Direction(bool down) {
    return down ? "down" : "up";
}

Json::Value Event(const char* action, int button, int delay, MacroEventType type) {
    Json::Value event(Json::objectValue);
    event["Action"] = action;
    event["Button"] = button;
    event["Delay"] = delay;
    event["Type"] = int(type);
    return event;
}

/// The six events of a shot, as the file stores them: press and release of
/// the left button, the two pulls (the vertical one carrying the shot's
/// delay), and the two pulls back to rest at distance 0.
std::vector<Json::Value> ShotEvents(const RecoilShot& shot) {
    using T = MacroEventType;
    const char* horizontal = Direction(shot.left);
    const char* vertical = Direction(shot.up);
    return {Event("down", 1, kClickDelay, T::MouseButton),
            Event("up", 1, 0, T::MouseButton),
            Event(horizontal, shot.x, kPullDelay, T::MouseMoveX),
            Event(vertical, shot.y, shot.delay, T::MouseMoveY),
            Event(horizontal, 0, 0, T::MouseMoveX),
            Event(vertical, 0, 0, T::MouseMoveY)};
}

const Json::Value& ElementOr(const Json::Value* events, int index) {
    static const Json::Value kNothing;
    const Json::Value* element = events ? json::FindElement(*events, index) : nullptr;
    return element ? *element : kNothing;
}

bool ActionIsDown(const Json::Value& event) {
    const Json::Value* object = event.isObject() ? &event : nullptr;
    return strcasecmp(json::StringOr(object, "Action").c_str(), "down") == 0;
}

std::string EmptyTableText() {
    Json::Value root(Json::objectValue);
    root["Events"] = Json::Value(Json::arrayValue);
    return StyledJsonText(root);
}

/// A table file as an operation finds it.
struct TableFile {
    FileRead read;           ///< kMissing, kOk or why it could not be read
    MacroImportCheck check;  ///< when read: whether it is a recoil file
    Json::Value root;        ///< when it is one: its document
    bool Usable() const { return read && check.ok; }
    /// "<file>: <problem>" when the file is there but unusable; empty otherwise.
    std::string Problem(const std::string& path) const {
        if (read.status == ReadStatus::kMissing || Usable()) return {};
        return read ? path + ": " + check.problem : read.error;
    }
};

TableFile ReadTable(const std::string& path) {
    TableFile table;
    table.read = ReadFile(path, MacroStore::kMaxFileBytes);
    if (table.read) table.check = CheckRecoilFile(table.read.content, &table.root);
    if (!table.read && table.read.status != ReadStatus::kMissing)
        log::FileFault(path, ReadProblem(path, table.read.error));
    else if (table.read && !table.check.ok)
        log::FileFault(path, table.check.problem);
    return table;
}

}  // namespace

std::string RecoilFileName(int gun) {
    return kRecoilFilePrefix + std::to_string(gun) + kRecoilFileExtension;
}

MacroImportCheck CheckRecoilFile(std::string_view bytes, Json::Value* root) {
    EventFileRules rules;
    rules.kind = "recoil";
    rules.eventsRequired = true;
    rules.gapsAllowed = true;  // a short table grows with nulls when a later shot is saved
    rules.maxEvents = kMaxRecoilFileEvents;
    return CheckEventFile(bytes, rules, root);
}

RecoilTables::RecoilTables(std::string deviceFolder, std::string defaultFolder)
    : m_deviceFolder(WithSlash(std::move(deviceFolder))),
      m_defaultFolder(WithSlash(std::move(defaultFolder))) {}

bool RecoilTables::HasTable(int gun) const {
    // Without a folder the tables would be looked for in the working directory.
    return !m_deviceFolder.empty() && ValidGun(gun);
}

std::string RecoilTables::TablePath(int gun) const {
    return m_deviceFolder + RecoilFileName(gun);
}

std::string RecoilTables::DefaultPath(int gun) const {
    return m_defaultFolder + RecoilFileName(gun);
}

bool RecoilTables::NeedsReset(int gun) const {
    if (!HasTable(gun)) return false;
    const TableFile table = ReadTable(TablePath(gun));
    // One that cannot be read is left alone: what it holds is unknown.
    return table.read.status == ReadStatus::kMissing || (table.read && !table.check.ok);
}

RecoilShot RecoilTables::ReadShot(int gun, int shot) const {
    RecoilShot values;
    if (!HasTable(gun) || !ValidShot(shot)) return values;
    const Json::Value root = ReadJson(TablePath(gun));
    const Json::Value* events = json::FindArray(root, "Events");
    const Json::Value& horizontal = ElementOr(events, kEventsPerShot * shot + kHorizontalPull);
    const Json::Value& vertical = ElementOr(events, kEventsPerShot * shot + kVerticalPull);
    // Distances and the delay as the mouse will get them.
    const PackedMacroEvent x = Pack(horizontal);
    const PackedMacroEvent y = Pack(vertical);
    values.left = ActionIsDown(horizontal);
    values.up = ActionIsDown(vertical);
    values.x = x.button;
    values.y = y.button;
    values.delay = y.Delay();
    return values;
}

RecoilResult RecoilTables::WriteShot(int gun, int shot, const RecoilShot& values) {
    if (!HasTable(gun)) return Unchanged(NoGun(gun));
    if (!ValidShot(shot)) return Unchanged("no shot " + std::to_string(shot));
    const std::string path = TablePath(gun);
    const ExistingJson existing = ReadForRewrite(path, "Events");
    if (!existing.unreadable.empty())
        return FileError(existing.unreadable + "; the recoil table is left as it is");
    Json::Value root = existing.root;
    Json::Value& events = json::ArrayMember(root, "Events");
    const std::vector<Json::Value> six = ShotEvents(values);
    for (int i = 0; i < kEventsPerShot; ++i) {
        Json::Value& element =
            json::ObjectElement(events, Json::ArrayIndex(shot * kEventsPerShot + i));
        for (const std::string& name : six[size_t(i)].getMemberNames())
            element[name] = six[size_t(i)][name];
    }
    CFileBatch batch;
    QueueRewrite(batch, path, existing, root);
    if (FileResult written = batch.Commit(m_writer); !written) return FileError(written.error);
    return {};
}

RecoilResult RecoilTables::Reset(int gun) {
    if (!HasTable(gun)) return Unchanged(NoGun(gun));
    const std::string path = DefaultPath(gun);
    const std::string kept =
        "; the recoil table of gun " + std::to_string(gun + 1) + " is left as it is";
    FileRead read = ReadFile(path, MacroStore::kMaxFileBytes);
    if (!read) return FileError(read.error + kept);
    MacroImportCheck check = CheckRecoilFile(read.content);
    if (!check.ok) {
        log::FileFault(path, check.problem);
        return FileError(path + ": " + check.problem + kept);
    }
    return ReplaceTable(gun, std::move(read.content));
}

RecoilResult RecoilTables::Import(int gun, const std::string& path) {
    if (!HasTable(gun)) return Unchanged(NoGun(gun));
    if (path.empty()) return Unchanged("no file chosen");
    FileRead read = ReadFile(path, MacroStore::kMaxFileBytes);
    if (!read) return Refused(path + ": cannot be read: " + ReadProblem(path, read.error));
    MacroImportCheck check = CheckRecoilFile(read.content);
    if (!check.ok) return Refused(path + ": " + check.problem);
    return ReplaceTable(gun, std::move(read.content));
}

RecoilResult RecoilTables::Export(int gun, const std::string& path) const {
    if (!HasTable(gun)) return Unchanged(NoGun(gun));
    if (path.empty()) return Unchanged("no file chosen");
    const std::string table = TablePath(gun);
    const TableFile file = ReadTable(table);
    if (std::string problem = file.Problem(table); !problem.empty())
        return FileError(problem + "; nothing was exported");
    const std::string bytes = file.Usable() ? file.read.content : EmptyTableText();
    if (FileResult written = m_writer(path, bytes); !written) return FileError(written.error);
    return {};
}

RecoilResult RecoilTables::ReplaceTable(int gun, std::string bytes) {
    const std::string path = TablePath(gun);
    const TableFile old = ReadTable(path);
    if (!old.read && old.read.status != ReadStatus::kMissing)
        return FileError(old.read.error + "; the recoil table is left as it is");
    CFileBatch batch;
    // What a user wrote into the file by hand is not lost with it.
    if (old.read && !old.check.ok && !old.read.content.empty())
        batch.Write(path + ".broken", old.read.content);
    batch.Write(path, std::move(bytes));
    if (FileResult written = batch.Commit(m_writer); !written) return FileError(written.error);
    return {};
}

RecoilBlock RecoilTables::BuildBlock() const {
    RecoilBlock block;
    if (m_deviceFolder.empty()) {
        block.result = Unchanged("no device data folder");
        return block;
    }
    std::vector<std::vector<PackedMacroEvent>> tables;
    for (int gun = 0; gun < kRecoilGuns; ++gun) {
        const std::string path = TablePath(gun);
        const TableFile table = ReadTable(path);
        if (std::string problem = table.Problem(path); !problem.empty()) {
            block.result = FileError(problem + "; nothing was sent to the mouse");
            return block;
        }
        std::vector<PackedMacroEvent> packed;
        if (const Json::Value* events = json::FindArray(table.root, "Events"))
            for (const Json::Value& event : *events) packed.push_back(Pack(event));
        tables.push_back(std::move(packed));
    }
    // Every usable file holds at most kMaxRecoilFileEvents events, so the
    // four always fit the block's 16-bit size.
    block.bytes = BuildDownloadBlock(tables);
    return block;
}

}  // namespace tirk
