#include "profile/macro_store.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <utility>

#include "core/log.h"
#include "profile/basic_profiledata.h"
#include "profile/file_names.h"
#include "profile/json_access.h"
#include "profile/json_file.h"
#include "profile/json_rewrite.h"
#include "profile/key_assignment.h"
#include "profile/profile_list.h"
#include "profile/profile_names.h"
#include "profile/utf8.h"

namespace tirk {
namespace {

constexpr uint8_t kNoKey = 255;
constexpr uint16_t kMaxDelay = 65535;
constexpr std::size_t kHeaderBytes = 16;
constexpr std::size_t kOffsetBytes = 2;        // per macro, in the header's offset table
constexpr std::size_t kRecordHeaderBytes = 4;  // per macro: event count and two spare bytes
constexpr std::size_t kEventBytes = sizeof(PackedMacroEvent);
constexpr std::size_t kShownTextBytes = 40;  // of a user's text quoted in a message

// ---- results ----

MacroResult Result(MacroStatus status, const char* textKey, std::string detail) {
    MacroResult result;
    result.status = status;
    result.textKey = textKey;
    result.detail = std::move(detail);
    return result;
}

MacroResult Unchanged(std::string why) {
    return Result(MacroStatus::kUnchanged, "", std::move(why));
}

MacroResult LimitReached() {
    return Result(MacroStatus::kLimit, macro_text::kLimit, {});
}

MacroResult FileError(std::string detail) {
    return Result(MacroStatus::kFileError, macro_text::kFileError, std::move(detail));
}

MacroResult Refused(std::string detail) {
    return Result(MacroStatus::kImportRefused, macro_text::kImportRefused, std::move(detail));
}

// ---- small helpers ----

std::string Quoted(std::string_view text) {
    if (text.size() > kShownTextBytes)
        return "\"" + std::string(text.substr(0, kShownTextBytes)) + "…\"";
    return "\"" + std::string(text) + "\"";
}

/// The value of a string of decimal digits, saturated above the largest
/// delay; −1 when the text is not such a string.
int64_t DigitsValue(const std::string& text) {
    if (text.empty()) return -1;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = std::min<int64_t>(value * 10 + (c - '0'), kMaxDelay + 1);
    }
    return value;
}

/// An integer JSON value; values above INT64_MAX saturate instead of wrapping
/// (all are out of range anyway), so a message never shows a negative number
/// the file does not hold.
bool IntegerOf(const Json::Value& value, int64_t& out) {
    if (!json::AsInteger(value, out)) return false;
    if (!value.isInt64()) out = INT64_MAX;
    return true;
}

std::vector<std::string> NamesOf(const std::vector<MacroEntry>& entries) {
    std::vector<std::string> names;
    for (const MacroEntry& entry : entries) names.push_back(entry.name);
    return names;
}

Json::Value EntryValue(const MacroEntry& entry) {
    Json::Value value(Json::objectValue);
    value["Guid"] = entry.guid;
    value["MacroName"] = entry.name;
    return value;
}

Json::Value MacroDocument(const MacroEntry& entry, Json::Value root, Json::Value events) {
    json::MakeObject(root);
    root["Events"] = std::move(events);
    root["Guid"] = entry.guid;
    root["MacroName"] = entry.name;
    root["Version"] = MacroStore::kVersion;
    return root;
}

// ---- events ----

enum class Strictness {
    kLoad,    ///< what a loaded event needs to be played; the rest reads leniently
    kImport,  ///< everything a file the program wrote has
};

bool IsEventType(int64_t type) {
    using T = MacroEventType;
    for (T known : {T::MouseButton, T::MouseMoveX, T::MouseMoveY, T::ModifierKey, T::KeyboardKey})
        if (type == int64_t(known)) return true;
    return false;
}

/// Reads integer member `name` into `value`; else why not.
std::string IntegerMemberProblem(const Json::Value& event, const char* name, int64_t& value) {
    const Json::Value* member = json::FindMember(event, name);
    if (!member) return std::string("has no \"") + name + "\"";
    if (!IntegerOf(*member, value))
        return std::string("has a \"") + name + "\" that is " + json::TypeText(member->type()) +
               ", not an integer";
    return {};
}

std::string CodeProblem(int64_t type, int64_t button) {
    const std::string shown = "has \"Button\" " + std::to_string(button);
    if (!IsEventType(type))
        return "has \"Type\" " + std::to_string(type) +
               ", which is not an event type (1, 4, 5, 9 or 10)";
    if (button < 0 || button > 255) return shown + ", which is not 0 to 255";
    if (type == int64_t(MacroEventType::MouseButton) && button != 0x01 && button != 0x02 &&
        button != 0x04 && button != 0x08 && button != 0x10)
        return shown + ", which is not a mouse button (1, 2, 4, 8 or 16)";
    if (type == int64_t(MacroEventType::ModifierKey) && (button == 0 || (button & (button - 1))))
        return shown + ", which is not one modifier bit";
    return {};
}

std::string DelayProblem(const Json::Value* delay) {
    if (!delay) return "has no \"Delay\"";
    int64_t value;
    if (IntegerOf(*delay, value)) {
        if (value < 0 || value > kMaxDelay)
            return "has \"Delay\" " + delay->asString() + ", which is not 0 to 65535";
        return {};
    }
    if (!delay->isString())
        return std::string("has a \"Delay\" that is ") + json::TypeText(delay->type()) +
               ", not an integer or a decimal string";
    const std::string text = delay->asString();
    value = DigitsValue(text);
    if (value < 0) return "has \"Delay\" " + Quoted(text) + ", which is not a decimal number";
    if (value > kMaxDelay) return "has \"Delay\" " + Quoted(text) + ", which is not 0 to 65535";
    return {};
}

/// Empty when the event is usable at `strictness`; else what is wrong with it.
std::string EventProblem(const Json::Value& event, Strictness strictness) {
    if (!event.isObject())
        return std::string("is ") + json::TypeText(event.type()) + ", not an object";
    int64_t type = 0;
    int64_t button = 0;
    if (std::string problem = IntegerMemberProblem(event, "Type", type); !problem.empty())
        return problem;
    if (std::string problem = IntegerMemberProblem(event, "Button", button); !problem.empty())
        return problem;
    if (std::string problem = CodeProblem(type, button); !problem.empty()) return problem;
    if (strictness == Strictness::kLoad) return {};
    const Json::Value* action = json::FindMember(event, "Action");
    if (!action) return "has no \"Action\"";
    if (!action->isString())
        return std::string("has an \"Action\" that is ") + json::TypeText(action->type()) +
               ", not a string";
    return DelayProblem(json::FindMember(event, "Delay"));
}

std::string EventPlace(Json::ArrayIndex index, Json::ArrayIndex count) {
    return "event " + std::to_string(index + 1) + " of " + std::to_string(count) + " ";
}

/// The events of a loaded "Events" array that can be played; `what` tells
/// how many others were skipped and why the first was.
std::vector<Json::Value> PlayableEvents(const Json::Value& list, std::string& what) {
    std::vector<Json::Value> events;
    std::size_t skipped = 0;
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        std::string problem = EventProblem(list[i], Strictness::kLoad);
        if (problem.empty())
            events.push_back(list[i]);
        else if (skipped++ == 0)
            what = EventPlace(i, list.size()) + problem;
    }
    if (skipped)
        what = std::to_string(skipped) + " event(s) cannot be played and are skipped; " + what;
    return events;
}

std::string StringMemberProblem(const Json::Value& root, const char* name) {
    const Json::Value* member = json::FindPresent(root, name);
    if (member && !member->isString())
        return std::string("\"") + name + "\" is " + json::TypeText(member->type()) +
               ", not a string";
    return {};
}

std::string MacroNameProblem(const Json::Value& root) {
    if (std::string problem = StringMemberProblem(root, "MacroName"); !problem.empty())
        return problem;
    const Json::Value* name = json::FindPresent(root, "MacroName");
    if (!name) return {};
    const std::string text = name->asString();
    if (!IsUtf8(text)) return "\"MacroName\" is not UTF-8 text";
    if (text.find_first_of("/\\") != std::string::npos)
        return "\"MacroName\" " + Quoted(text) + " holds a path separator";
    return {};
}

std::string CapacityProblem(std::size_t eventCount, std::size_t capacity) {
    const std::size_t counts[] = {eventCount};
    if (MacroDownloadSize(counts) <= capacity) return {};
    const std::size_t fixed = MacroDownloadSize({});
    const std::size_t room =
        capacity >= fixed + kOffsetBytes + kRecordHeaderBytes
            ? (capacity - fixed - kOffsetBytes - kRecordHeaderBytes) / kEventBytes
            : 0;
    return "has " + std::to_string(eventCount) +
           " events; one macro of this device holds at most " + std::to_string(room) + " (" +
           std::to_string(capacity) + " bytes of macro memory)";
}

MacroImportCheck RefuseCheck(std::string problem) {
    return {false, std::move(problem), {}};
}

// ---- renumbering profiles ----

bool HasDeviceDocument(const Json::Value& root, int deviceIndex) {
    const Json::Value* devices = json::FindArray(root, "Device");
    return devices && json::ObjectAt(*devices, Json::ArrayIndex(deviceIndex));
}

/// Queues the renumbered profile files of `profiles` (the active one only
/// with `includeActive`). Every profile is read before any is changed.
MacroResult QueueRenumbering(CFileBatch& batch, CProfileList& profiles, CBasicProfiledata& data,
                             int removed, bool includeActive, std::vector<std::string>& changed) {
    profiles.Reload();
    struct Readable {
        std::string path;
        Json::Value root;
    };
    std::vector<Readable> readable;
    for (int i = 0; i < profiles.Count(); ++i) {
        const std::string path = profiles.ProfilePath(i);
        const bool active = profiles.Entries()[size_t(i)].id == profiles.ActiveId() ||
                            path == data.GetProfilePath();
        if (active && !includeActive) continue;
        JsonReadStatus status;
        std::string error;
        Json::Value root = ReadJsonFile(path, status, error);
        // Its bindings are unknown, so renumbering the others would leave it
        // pointing at the wrong macros.
        if (status == JsonReadStatus::Unreadable)
            return FileError(error + "; no profile and no macro was changed");
        // Missing or unusable: the profile loader makes it from the default
        // profile, so it has no bindings of its own to renumber.
        if (status == JsonReadStatus::Ok && HasDeviceDocument(root, data.GetDeviceIndex()))
            readable.push_back({path, std::move(root)});
    }
    for (Readable& profile : readable) {
        data.LoadScratchDocument(profile.path);
        if (data.LastLoad().outcome != ProfileLoad::kLoaded)
            return FileError(data.LastLoad().message.empty()
                                 ? profile.path + ": changed while it was read"
                                 : data.LastLoad().message);
        std::vector<KeyListEntry> keys = data.GetScratchKeyList();
        if (!RenumberMacroBindings(keys, removed)) continue;
        data.SetScratchKeyList(keys);
        json::ArrayMember(profile.root, "Device")[Json::ArrayIndex(data.GetDeviceIndex())] =
            data.ScratchDocument();
        batch.Write(profile.path, StyledJsonText(profile.root));
        changed.push_back(profile.path);
    }
    return {};
}

}  // namespace

// ---- events ----------------------------------------------------------------------

uint16_t MacroDelay(const Json::Value& delay) {
    if (delay.isInt64()) return uint16_t(std::clamp<int64_t>(delay.asInt64(), 0, kMaxDelay));
    if (delay.isUInt64()) return kMaxDelay;
    if (delay.isDouble()) {
        const double value = delay.asDouble();
        return value >= kMaxDelay ? kMaxDelay : value >= 1.0 ? uint16_t(value) : 0;
    }
    if (delay.isString()) {
        const int64_t value = DigitsValue(delay.asString());
        return value < 0 ? 0 : uint16_t(std::min<int64_t>(value, kMaxDelay));
    }
    return 0;
}

PackedMacroEvent Pack(const Json::Value& event) {
    const Json::Value* object = event.isObject() ? &event : nullptr;
    const Json::Value* delay = object ? json::FindMember(event, "Delay") : nullptr;
    const uint16_t ms = delay ? MacroDelay(*delay) : 0;
    const bool down = json::StringOr(object, "Action") == "down";
    const auto type = uint8_t(json::IntOr(object, "Type"));
    const auto button = uint8_t(json::IntOr(object, "Button"));
    return {uint8_t(ms & 0xFF), uint8_t(ms >> 8), uint8_t(type | (down ? 0x80 : 0)), button};
}

MacroImportCheck CheckEventFile(std::string_view bytes, const EventFileRules& rules,
                                Json::Value* root) {
    const std::string kind = rules.kind;
    if (bytes.size() > MacroStore::kMaxFileBytes)
        return RefuseCheck("is larger than " + std::to_string(MacroStore::kMaxFileBytes) +
                           " bytes");
    if (bytes.empty()) return RefuseCheck("is empty");
    Json::Value document;
    // Which of two "Events" would a reader take? An event file repeats no member.
    if (std::string problem = ParseImportedJson(bytes, document, DuplicateMembers::kRefused);
        !problem.empty())
        return RefuseCheck(std::move(problem));
    if (!document.isObject())
        return RefuseCheck("is not a " + kind + " file: the top level is " +
                           json::TypeText(document.type()) + ", not an object");
    MacroImportCheck check{true, {}, {}};
    const Json::Value* events = json::FindPresent(document, "Events");
    if (!events && rules.eventsRequired)
        return RefuseCheck("is not a " + kind + " file: it has no \"Events\"");
    if (events) {
        if (!events->isArray())
            return RefuseCheck(std::string("\"Events\" is ") + json::TypeText(events->type()) +
                               ", not an array");
        if (events->size() > rules.maxEvents)
            return RefuseCheck("has " + std::to_string(events->size()) + " events; a " + kind +
                               " file holds at most " + std::to_string(rules.maxEvents));
        for (Json::ArrayIndex i = 0; i < events->size(); ++i) {
            const Json::Value& event = (*events)[i];
            const bool gap = rules.gapsAllowed && event.isNull();
            if (std::string problem =
                    gap ? std::string() : EventProblem(event, Strictness::kImport);
                !problem.empty())
                return RefuseCheck(EventPlace(i, events->size()) + problem);
            check.events.push_back(event);
        }
    }
    if (root) *root = std::move(document);
    return check;
}

MacroImportCheck CheckMacroFile(std::string_view bytes, std::string_view stem,
                                std::size_t capacity) {
    Json::Value root;
    MacroImportCheck check = CheckEventFile(bytes, EventFileRules{}, &root);
    if (!check.ok) return check;
    for (std::string problem : {StringMemberProblem(root, "Guid"), MacroNameProblem(root),
                                CapacityProblem(check.events.size(), capacity),
                                ImportedNameProblem(stem, "macro", Quoted(stem))}) {
        if (!problem.empty()) return RefuseCheck(std::move(problem));
    }
    return check;
}

// ---- names ---------------------------------------------------------------------------

std::string NewMacroName(const std::vector<std::string>& names) {
    for (int n = 1;; ++n) {
        std::string candidate = "macro_" + std::to_string(n);
        if (!ProfileNameTaken(names, candidate)) return candidate;
    }
}

std::string ImportedMacroName(const std::vector<std::string>& names, const std::string& stem) {
    std::string candidate = stem;
    for (int n = 1; ProfileNameTaken(names, candidate); ++n) candidate += "_" + std::to_string(n);
    return candidate;
}

std::string MacroStemOf(const std::string& path) {
    return FileStem(path);
}

// ---- download ------------------------------------------------------------------------

std::size_t MacroDownloadSize(std::span<const std::size_t> eventCounts) {
    std::size_t events = 0;
    for (std::size_t count : eventCounts) events += count;
    return kHeaderBytes + (kOffsetBytes + kRecordHeaderBytes) * eventCounts.size() +
           kEventBytes * events;
}

int MacroOverflowCount(std::size_t size, std::size_t limit) {
    if (size <= limit) return 0;
    const std::size_t over = ((size - limit) >> 2) + 1;
    return over > std::size_t(INT_MAX) ? INT_MAX : int(over);
}

std::vector<uint8_t> BuildDownloadBlock(const std::vector<std::vector<PackedMacroEvent>>& records) {
    std::vector<std::size_t> counts;
    for (const auto& events : records) counts.push_back(events.size());
    std::vector<uint8_t> block(MacroDownloadSize(counts), 0);
    const auto put16 = [&block](std::size_t at, std::size_t value) {
        block[at] = uint8_t(value & 0xFF);
        block[at + 1] = uint8_t((value >> 8) & 0xFF);
    };
    block[0] = kDownloadSignature[0];
    block[1] = kDownloadSignature[1];
    put16(2, block.size());
    put16(4, records.size());
    std::size_t record = kHeaderBytes + kOffsetBytes * records.size();
    for (std::size_t i = 0; i < records.size(); ++i) {
        put16(kHeaderBytes + kOffsetBytes * i, record);
        put16(record, records[i].size());
        std::size_t at = record + kRecordHeaderBytes;
        for (const PackedMacroEvent& event : records[i]) {
            block[at++] = event.delayLow;
            block[at++] = event.delayHigh;
            block[at++] = event.typeAction;
            block[at++] = event.button;
        }
        record = at;
    }
    return block;
}

std::vector<int> UsedMacros(std::span<const uint8_t> keyTable,
                            std::span<const KeyListEntry> bindings, int macroCount) {
    std::vector<int> used;
    const std::size_t positions = std::min(keyTable.size(), bindings.size());
    for (std::size_t p = 0; p < positions; ++p) {
        const AssignmentCode& code = bindings[p].current.code;
        if (keyTable[p] == kNoKey || !IsMacroKind(code.kind) || code.p1 >= macroCount) continue;
        if (std::find(used.begin(), used.end(), code.p1) == used.end()) used.push_back(code.p1);
    }
    return used;
}

// ---- removal --------------------------------------------------------------------------

bool RenumberMacroBindings(std::vector<KeyListEntry>& list, int removed) {
    bool changed = false;
    for (KeyListEntry& entry : list) {
        AssignmentCode& code = entry.current.code;
        if (!IsMacroKind(code.kind) || code.p1 < removed) continue;
        if (code.p1 == removed)
            code = entry.defaultHalf.code;
        else
            --code.p1;
        changed = true;
    }
    return changed;
}

bool UsesMacro(std::span<const KeyListEntry> list, int macro) {
    return std::any_of(list.begin(), list.end(), [macro](const KeyListEntry& entry) {
        return IsMacroKind(entry.current.code.kind) && entry.current.code.p1 == macro;
    });
}

RenumberResult RenumberOtherProfiles(CProfileList& profiles, CBasicProfiledata& data, int removed,
                                     const FileWriter& writer) {
    RenumberResult out;
    CFileBatch batch;
    out.result = QueueRenumbering(batch, profiles, data, removed, false, out.changedFiles);
    if (out.result) {
        if (FileResult written = batch.Commit(writer); !written)
            out.result = FileError(written.error);
    }
    if (!out.result) out.changedFiles.clear();
    return out;
}

// ---- the store ------------------------------------------------------------------------

struct MacroStore::ListFile {
    ExistingJson file;
    std::vector<MacroEntry> entries;

    bool ValidIndex(int index) const { return index >= 0 && size_t(index) < entries.size(); }
    /// The refusal of every write while the file cannot be read.
    MacroResult Protected() const {
        return FileError(file.unreadable + "; the macro list is left as it is");
    }
};

MacroStore::MacroStore(std::string folder)
    : m_folder(std::move(folder)), m_writer(WriteFileLogged) {
    if (!m_folder.empty() && m_folder.back() != '/') m_folder += '/';
}

MacroStore::ListFile MacroStore::ReadListFile() const {
    ListFile list{ReadForRewrite(ListPath(), "MacroInfo"), {}};
    const Json::Value* info = json::FindPresent(list.file.root, "MacroInfo");
    for (Json::ArrayIndex i = 0; info && i < info->size(); ++i) {
        const Json::Value& element = (*info)[i];
        const Json::Value* object = element.isObject() ? &element : nullptr;
        MacroEntry entry{json::StringOr(object, "MacroName"), json::StringOr(object, "Guid")};
        if (!IsPlainFileName(entry.guid)) {
            log::FileFault(ListPath(), "macro " + std::to_string(i) +
                                           " has no \"Guid\" that is a plain file name");
            entry.guid.clear();
        }
        list.entries.push_back(std::move(entry));
    }
    return list;
}

MacroResult MacroStore::Commit(CFileBatch& batch) const {
    if (FileResult written = batch.Commit(m_writer); !written) return FileError(written.error);
    return {};
}

std::string MacroStore::NewGuid(const std::vector<MacroEntry>& entries) const {
    // Guids are times to the millisecond; one already listed, or whose file
    // exists, moves on to the next millisecond so that no two macros share a file.
    const auto now = m_clock ? m_clock() : std::chrono::system_clock::now();
    std::string guid;
    for (int step = 0; step < 100000; ++step) {
        guid = MakeTimestampId(now + std::chrono::milliseconds(step));
        const bool listed = std::any_of(entries.begin(), entries.end(),
                                        [&guid](const MacroEntry& e) { return e.guid == guid; });
        std::error_code ec;
        if (!listed &&
            !std::filesystem::exists(std::filesystem::symlink_status(MacroPath(guid), ec)))
            break;
    }
    return guid;
}

std::vector<MacroEntry> MacroStore::LoadList() const {
    return ReadListFile().entries;
}

bool MacroStore::ListUsable() const {
    const ListFile list = ReadListFile();
    return list.file.unreadable.empty() && !list.file.keepCopy;
}

std::vector<std::string> MacroStore::ListNames() const {
    return NamesOf(LoadList());
}

MacroResult MacroStore::AddMacro() {
    ListFile list = ReadListFile();
    if (!list.file.unreadable.empty()) return list.Protected();
    if (list.entries.size() >= size_t(kMaxMacros)) return LimitReached();
    const MacroEntry entry{NewMacroName(NamesOf(list.entries)), NewGuid(list.entries)};
    Json::Value next = list.file.root;
    json::ArrayMember(next, "MacroInfo").append(EntryValue(entry));
    CFileBatch batch;
    QueueRewrite(batch, ListPath(), list.file, next);
    MacroResult result = Commit(batch);
    if (result) {
        result.entry = entry;
        result.index = int(list.entries.size());
    }
    return result;
}

MacroResult MacroStore::RenameMacro(int index, const std::string& name) {
    ListFile list = ReadListFile();
    if (!list.file.unreadable.empty()) return list.Protected();
    if (!list.ValidIndex(index)) return Unchanged("no macro " + std::to_string(index));
    Json::Value next = list.file.root;
    json::ObjectElement(next["MacroInfo"], Json::ArrayIndex(index))["MacroName"] = name;
    CFileBatch batch;
    QueueRewrite(batch, ListPath(), list.file, next);
    return Commit(batch);
}

MacroResult MacroStore::RemoveMacro(int index) {
    return Remove(index, nullptr, nullptr).result;
}

RenumberResult MacroStore::RemoveMacroEverywhere(int index, CProfileList& profiles,
                                                 CBasicProfiledata& data) {
    return Remove(index, &profiles, &data);
}

RenumberResult MacroStore::Remove(int index, CProfileList* profiles, CBasicProfiledata* data) {
    RenumberResult out;
    ListFile list = ReadListFile();
    if (!list.file.unreadable.empty()) {
        out.result = list.Protected();
        return out;
    }
    if (!list.ValidIndex(index)) {
        out.result = Unchanged("no macro " + std::to_string(index));
        return out;
    }
    CFileBatch batch;
    if (profiles) {
        out.result = QueueRenumbering(batch, *profiles, *data, index, true, out.changedFiles);
        if (!out.result) return out;
    }
    Json::Value next = list.file.root;
    next["MacroInfo"].removeIndex(Json::ArrayIndex(index), nullptr);
    QueueRewrite(batch, ListPath(), list.file, next);
    // The file goes only after the list no longer names it, and not while a
    // hand-edited list still gives another entry the same Guid.
    const std::string& guid = list.entries[size_t(index)].guid;
    const auto sharing = std::count_if(list.entries.begin(), list.entries.end(),
                                       [&guid](const MacroEntry& e) { return e.guid == guid; });
    if (!guid.empty() && sharing == 1) batch.RemoveAfterwards(MacroPath(guid));
    out.result = Commit(batch);
    if (!out.result) {
        out.changedFiles.clear();
        return out;
    }
    if (data) {
        std::vector<KeyListEntry> keys = data->GetKeyList();
        out.activeChanged = RenumberMacroBindings(keys, index);
        if (out.activeChanged) data->SetKeyList(keys);
    }
    return out;
}

std::vector<Json::Value> MacroStore::LoadEvents(const std::string& guid,
                                                std::string* problem) const {
    std::vector<Json::Value> events;
    std::string what;
    const std::string path = MacroPath(guid);
    JsonReadStatus status = JsonReadStatus::Missing;
    std::string error;
    Json::Value root;
    if (!IsPlainFileName(guid)) {
        if (!guid.empty()) what = Quoted(guid) + " is no plain file name; the macro has no events";
    } else {
        root = ReadJsonFile(path, status, error);
    }
    const Json::Value* list = json::FindPresent(root, "Events");
    if (status == JsonReadStatus::Unreadable || status == JsonReadStatus::Unparsable) {
        what = ReadProblem(path, error) + "; the macro shows no events";
    } else if (status == JsonReadStatus::Ok && !root.isObject()) {
        what = "the top level is not an object; the macro shows no events";
    } else if (list && !list->isArray()) {
        what = std::string("\"Events\" is ") + json::TypeText(list->type()) +
               "; the macro shows no events";
    } else if (list) {
        events = PlayableEvents(*list, what);
    }
    if (!what.empty()) log::FileFault(path, what);
    if (problem) *problem = what.empty() ? std::string() : path + ": " + what;
    return events;
}

MacroResult MacroStore::SaveEvents(int index, const std::vector<Json::Value>& events) {
    ListFile list = ReadListFile();
    if (!list.file.unreadable.empty()) return list.Protected();
    if (!list.ValidIndex(index)) return Unchanged("no macro " + std::to_string(index));
    const MacroEntry& entry = list.entries[size_t(index)];
    if (entry.guid.empty())
        return FileError(ListPath() + ": macro " + std::to_string(index) +
                         " has no \"Guid\" that is a plain file name");
    const std::string path = MacroPath(entry.guid);
    ExistingJson existing = ReadForRewrite(path, "Events");
    if (!existing.unreadable.empty())
        return FileError(existing.unreadable + "; the macro file is left as it is");
    Json::Value saved(Json::arrayValue);
    for (const Json::Value& event : events) {
        if (!event.isObject()) {
            log::Bug("SaveEvents: an event that is not an object is not saved");
            continue;
        }
        // Written as packing reads them, so that an exported file imports again.
        Json::Value copy = event;
        const Json::Value* delay = json::FindMember(event, "Delay");
        copy["Delay"] = std::to_string(delay ? MacroDelay(*delay) : 0);
        copy["Action"] = json::StringOr(&event, "Action") == "down" ? "down" : "up";
        saved.append(std::move(copy));
    }
    CFileBatch batch;
    QueueRewrite(batch, path, existing, MacroDocument(entry, existing.root, std::move(saved)));
    return Commit(batch);
}

MacroResult MacroStore::ExportMacro(int index, const std::string& path) {
    if (path.empty()) return Unchanged("no file chosen");
    ListFile list = ReadListFile();
    if (!list.file.unreadable.empty()) return list.Protected();
    if (!list.ValidIndex(index)) return Unchanged("no macro " + std::to_string(index));
    const MacroEntry& entry = list.entries[size_t(index)];
    // A macro never saved has no file; it leaves as a file without events,
    // which imports again.
    std::string bytes = StyledJsonText(MacroDocument(entry, {}, Json::Value(Json::arrayValue)));
    if (!entry.guid.empty()) {
        FileRead read = ReadFile(MacroPath(entry.guid), kMaxFileBytes);
        if (read)
            bytes = std::move(read.content);
        else if (read.status != ReadStatus::kMissing)
            return FileError(read.error);
    }
    if (FileResult written = m_writer(path, bytes); !written) return FileError(written.error);
    return {};
}

MacroResult MacroStore::ImportMacro(const std::string& path, std::size_t capacity) {
    if (path.empty()) return Refused("no file was chosen (the path is empty)");
    ListFile list = ReadListFile();
    if (!list.file.unreadable.empty()) return list.Protected();
    if (list.entries.size() >= size_t(kMaxMacros)) return LimitReached();
    FileRead read = ReadFile(path, kMaxFileBytes);
    if (!read) return Refused(path + ": cannot be read: " + ReadProblem(path, read.error));
    const std::string stem = MacroStemOf(path);
    MacroImportCheck check = CheckMacroFile(read.content, stem, capacity);
    if (!check.ok) return Refused(path + ": " + check.problem);

    const MacroEntry entry{ImportedMacroName(NamesOf(list.entries), stem), NewGuid(list.entries)};
    Json::Value next = list.file.root;
    json::ArrayMember(next, "MacroInfo").append(EntryValue(entry));
    CFileBatch batch;
    QueueRewrite(batch, ListPath(), list.file, next);
    batch.Write(MacroPath(entry.guid), std::move(read.content));
    MacroResult result = Commit(batch);
    if (result) {
        result.entry = entry;
        result.index = int(list.entries.size());
    }
    return result;
}

std::vector<int> MacroStore::UsedMacros(std::span<const uint8_t> keyTable,
                                        std::span<const KeyListEntry> bindings) const {
    return tirk::UsedMacros(keyTable, bindings, int(LoadList().size()));
}

MacroDownload MacroStore::PlanDownload(const std::vector<int>& used, std::size_t limit) const {
    const std::vector<MacroEntry> entries = LoadList();
    std::vector<std::vector<PackedMacroEvent>> macros;
    std::vector<std::size_t> counts;
    for (int index : used) {
        std::vector<PackedMacroEvent> packed;
        if (index >= 0 && size_t(index) < entries.size()) {
            for (const Json::Value& event : LoadEvents(entries[size_t(index)].guid))
                packed.push_back(Pack(event));
        }
        counts.push_back(packed.size());
        macros.push_back(std::move(packed));
    }
    MacroDownload plan;
    plan.size = MacroDownloadSize(counts);
    plan.overflow = MacroOverflowCount(plan.size, limit);
    if (plan.overflow == 0) plan.macros = std::move(macros);
    return plan;
}

}  // namespace tirk
