#include "device/device_table.h"
#include "core/json_text.h"

#include <json/json.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

#include "core/atomic_file.h"
#include "core/log.h"

namespace tirk {
namespace {

// Reads typed fields of one JSON object and remembers the first problem,
// named by the item's place in the file ("candidates[3].usagePage").
class FieldReader {
public:
    FieldReader(const Json::Value& object, std::string where, std::string* problem)
        : m_object(object), m_where(std::move(where)), m_problem(problem) {}

    bool IsObject() {
        if (!m_object.isObject()) Fail(m_where + " is not an object");
        return m_object.isObject();
    }

    // A number, or a string "0x…" / decimal, within [low, high].
    int64_t Integer(const char* key, int64_t low, int64_t high) {
        const Json::Value& v = m_object[key];
        int64_t value = 0;
        if (v.isInt64()) {
            value = v.asInt64();
        } else if (IsWholeNumber(v)) {
            // Beyond int64: asInt64() would throw on it.
            Fail(Name(key) + " is out of range");
            return low;
        } else if (v.isString() && ParseText(v.asString(), &value)) {
        } else {
            Fail(Name(key) + (v.isNull() ? " is missing" : " is not an integer"));
            return low;
        }
        if (value < low || value > high) {
            Fail(Name(key) + " is out of range (" + std::to_string(value) + ")");
            return low;
        }
        return value;
    }

    std::string Text(const char* key) {
        const Json::Value& v = m_object[key];
        if (!v.isString()) {
            Fail(Name(key) + (v.isNull() ? " is missing" : " is not a string"));
            return {};
        }
        return v.asString();
    }

    bool Flag(const char* key) {
        const Json::Value& v = m_object[key];
        if (!v.isBool()) Fail(Name(key) + (v.isNull() ? " is missing" : " is not true or false"));
        return v.isBool() && v.asBool();
    }

    bool Has(const char* key) const { return m_object.isMember(key); }
    const std::string& Where() const { return m_where; }

    bool IsNull(const char* key) const { return m_object.isMember(key) && m_object[key].isNull(); }

    void Fail(const std::string& what) {
        if (m_problem->empty()) *m_problem = what;
    }

private:
    static bool IsWholeNumber(const Json::Value& v) {
        return v.isNumeric() && v.asDouble() == std::trunc(v.asDouble());
    }

    static bool ParseText(const std::string& text, int64_t* value) {
        if (text.empty()) return false;
        char* end = nullptr;
        long long parsed = std::strtoll(text.c_str(), &end, 0);
        if (*end != '\0') return false;
        *value = parsed;
        return true;
    }

    std::string Name(const char* key) const {
        return m_where.empty() ? std::string(key) : m_where + "." + key;
    }

    const Json::Value& m_object;
    std::string m_where;
    std::string* m_problem;
};

constexpr int64_t kU16 = 0xFFFF;

DeviceCandidate ReadCandidate(FieldReader& r) {
    DeviceCandidate c;
    c.vendorId = static_cast<uint16_t>(r.Integer("vendor", 0, kU16));
    c.productId = static_cast<uint16_t>(r.Integer("product", 0, kU16));
    c.interfaceNumber = static_cast<uint16_t>(r.Integer("interface", 0, kU16));
    c.collectionNumber = static_cast<uint16_t>(r.Integer("collection", 0, kU16));
    c.typeCode = static_cast<uint16_t>(r.Integer("type", 0, kU16));
    c.secondaryCode = static_cast<uint16_t>(r.Integer("secondary", 0, kU16));
    c.usagePage = static_cast<uint16_t>(r.Integer("usagePage", 0, kU16));
    c.usage = static_cast<uint16_t>(r.Integer("usage", 0, kU16));
    c.hasPartner = !r.IsNull("partner");
    if (c.hasPartner) c.partner = static_cast<uint16_t>(r.Integer("partner", 0, kU16));
    return c;
}

DeviceFamily ReadFamily(FieldReader& r) {
    DeviceFamily f;
    f.tileLayout = r.Text("tileLayout");
    f.optionGroup = r.Text("optionGroup");
    f.powerContainer = r.Text("powerContainer");
    f.name = r.Text("name");
    f.lightingIndex = static_cast<int32_t>(r.Integer("lightingIndex", 0, INT32_MAX));
    f.vendorId = static_cast<uint32_t>(r.Integer("vendor", 0, kU16));
    f.productId = static_cast<uint32_t>(r.Integer("product", 0, kU16));
    f.typeCode = static_cast<int32_t>(r.Integer("type", 0, INT32_MAX));
    f.variant = static_cast<int32_t>(r.Integer("variant", 0, INT32_MAX));
    return f;
}

DeviceModel ReadModel(FieldReader& r, const DeviceFamily* family) {
    DeviceModel m;
    std::string familyName = r.Text("family");
    if (family != nullptr && familyName != family->name)
        r.Fail("models must follow the family order: expected \"" + family->name + "\", found \"" +
               familyName + "\"");
    m.ledCount = static_cast<int32_t>(r.Integer("leds", 0, INT32_MAX));
    m.keyCount = static_cast<int32_t>(r.Integer("keys", 0, INT32_MAX));
    m.hasPowerTile = r.Flag("powerTile");
    m.selection = static_cast<int32_t>(r.Integer("selection", INT32_MIN, INT32_MAX));
    m.pageLayout = r.Text("pageLayout");
    m.lightingName = r.Text("lightingName");
    return m;
}

enum class EmptyList { kRefused, kAllowed };

// Reads every element of the array `key` with `readOne(reader, index)`.
template <typename T, typename ReadOne>
std::vector<T> ReadArray(const Json::Value& root, const char* key, std::string* problem,
                         ReadOne readOne, EmptyList empty = EmptyList::kRefused) {
    std::vector<T> items;
    const Json::Value& array = root[key];
    bool usable = array.isArray() && (empty == EmptyList::kAllowed || !array.empty());
    if (!usable) {
        if (problem->empty())
            *problem = std::string("\"") + key +
                       (empty == EmptyList::kAllowed ? "\" is missing or not a list"
                                                     : "\" is missing or empty");
        return items;
    }
    for (Json::ArrayIndex i = 0; i < array.size() && problem->empty(); ++i) {
        FieldReader reader(array[i], std::string(key) + "[" + std::to_string(i) + "]", problem);
        if (!reader.IsObject()) break;
        items.push_back(readOne(reader, i));
    }
    return items;
}

void CheckPartners(const std::vector<DeviceCandidate>& candidates, std::string* problem) {
    for (size_t i = 0; i < candidates.size() && problem->empty(); ++i) {
        const DeviceCandidate& c = candidates[i];
        if (c.hasPartner && (c.partner >= candidates.size() || c.partner == i))
            *problem = "candidates[" + std::to_string(i) + "].partner " +
                       std::to_string(c.partner) + " is not another candidate";
    }
}

// --- A user's table of added candidates ----------------------------------
// Nobody reviewed a user's file, so its entries are checked beyond the
// shipped ones: each must be able to match a device and reach a family.

constexpr uint16_t kReceiverTypes[] = {kTypeMouseReceiver, kTypeKeyboardReceiver};

bool IsReceiverType(uint16_t type) {
    return std::find(std::begin(kReceiverTypes), std::end(kReceiverTypes), type) !=
           std::end(kReceiverTypes);
}

// The type codes some family of `tables` serves, directly or through a receiver.
std::set<uint16_t> ServedTypes(const DeviceTables& tables) {
    std::set<uint16_t> served;
    for (const DeviceFamily& family : tables.families)
        if (family.typeCode >= 0 && family.typeCode <= kU16)
            served.insert(static_cast<uint16_t>(family.typeCode));
    for (uint16_t receiver : kReceiverTypes)
        if (served.count(WiredTypeOf(receiver)) != 0) served.insert(receiver);
    return served;
}

std::string JoinNumbers(const std::set<uint16_t>& numbers) {
    std::string text;
    for (uint16_t n : numbers) text += (text.empty() ? "" : ", ") + std::to_string(n);
    return text;
}

void CheckUserCandidate(FieldReader& r, const DeviceCandidate& c,
                        const std::set<uint16_t>& served) {
    if (c.vendorId == 0)
        r.Fail(r.Where() + ".vendor 0 is no USB vendor id; the entry would match no device");
    if (served.count(c.typeCode) == 0)
        r.Fail(r.Where() + ".type " + std::to_string(c.typeCode) +
               " is served by no device family (types: " + JoinNumbers(served) + ")");
    if (c.secondaryCode != kRoleCommand && c.secondaryCode != kRoleNotification)
        r.Fail(r.Where() + ".secondary " + std::to_string(c.secondaryCode) +
               " is neither 0 (command interface) nor 255 (notification interface)");
}

// Partners of a user's list point into that list, at each other, and join the
// cable and the receiver interface of the same role of one family.
void CheckUserPartners(const std::vector<DeviceCandidate>& list, std::string* problem) {
    for (size_t i = 0; i < list.size() && problem->empty(); ++i) {
        const DeviceCandidate& c = list[i];
        if (!c.hasPartner) continue;
        std::string where =
            "candidates[" + std::to_string(i) + "].partner " + std::to_string(c.partner);
        if (c.partner >= list.size() || c.partner == i) {
            *problem = where + " is not another candidate of this file";
            continue;
        }
        const DeviceCandidate& p = list[c.partner];
        if (!p.hasPartner || p.partner != i)
            *problem =
                where + " does not name candidates[" + std::to_string(i) + "] as its partner";
        else if (p.secondaryCode != c.secondaryCode)
            *problem = where + " has another secondary code";
        else if (WiredTypeOf(p.typeCode) != WiredTypeOf(c.typeCode) ||
                 IsReceiverType(p.typeCode) == IsReceiverType(c.typeCode))
            *problem = where + ": types " + std::to_string(c.typeCode) + " and " +
                       std::to_string(p.typeCode) +
                       " are not the cable and the receiver of one family";
    }
}

// Members a user's table may not have: it adds interfaces, never families.
void RefuseFamilyMembers(const Json::Value& root, std::string* problem) {
    for (const char* key : {"families", "models"})
        if (problem->empty() && root.isMember(key))
            *problem = std::string("\"") + key +
                       "\" cannot be added by a user table; it may hold only \"candidates\"";
}

// Parses `json` strictly into `root`; false with "<sourceName>: not valid JSON: …".
bool ParseJsonObject(std::string_view json, const std::string& sourceName, Json::Value* root,
                     std::string* error) {
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string problem;
    if (!ParseJsonText(*reader, json, root, &problem)) {
        *error = sourceName + ": not valid JSON: " + problem;
        return false;
    }
    if (!root->isObject()) {
        *error = sourceName + ": the top level is not an object";
        return false;
    }
    return true;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : ".";
}

// Adds the candidates of the user's file at `path`; an absent file adds
// nothing and is no error.
bool ReadUserAdditions(const std::string& path, DeviceTables* tables, std::string* error) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 && errno == ENOENT) return true;
    std::string content;
    FileResult read = ReadWholeFile(path, content);
    if (!read) {
        *error = read.error;
        return false;
    }
    return AddUserCandidates(content, path, tables, error);
}

std::string ExecutableDir() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

}  // namespace

bool ParseDeviceTables(std::string_view json, const std::string& sourceName, DeviceTables* tables,
                       std::string* error) {
    Json::Value root;
    if (!ParseJsonObject(json, sourceName, &root, error)) return false;
    std::string problem;
    DeviceTables parsed;
    parsed.candidates = ReadArray<DeviceCandidate>(
        root, "candidates", &problem, [](FieldReader& r, unsigned) { return ReadCandidate(r); });
    CheckPartners(parsed.candidates, &problem);
    parsed.families = ReadArray<DeviceFamily>(
        root, "families", &problem, [](FieldReader& r, unsigned) { return ReadFamily(r); });
    parsed.models =
        ReadArray<DeviceModel>(root, "models", &problem, [&](FieldReader& r, unsigned i) {
            return ReadModel(r, i < parsed.families.size() ? &parsed.families[i] : nullptr);
        });
    if (problem.empty() && parsed.models.size() != parsed.families.size())
        problem = "there are " + std::to_string(parsed.families.size()) + " families but " +
                  std::to_string(parsed.models.size()) + " models";
    if (!problem.empty()) {
        *error = sourceName + ": " + problem;
        return false;
    }
    *tables = std::move(parsed);
    return true;
}

bool LoadDeviceTables(const std::string& path, DeviceTables* tables, std::string* error) {
    std::string content;
    FileResult read = ReadWholeFile(path, content);
    if (!read) {
        *error = read.error;
        return false;
    }
    return ParseDeviceTables(content, path, tables, error);
}

std::string DefaultDeviceTablesPath() {
    if (const char* env = std::getenv("TIRK_DEVICE_TABLE"); env != nullptr && *env != '\0')
        return env;
    std::string dir = ExecutableDir();
    std::string beside = dir + "/devices.json";
    if (access(beside.c_str(), R_OK) == 0) return beside;
    return dir + "/../share/vorpaline-tirk/devices.json";
}

uint16_t WiredTypeOf(uint16_t typeCode) {
    switch (typeCode) {
        case kTypeMouseReceiver:
            return kTypeMouse;
        case kTypeKeyboardReceiver:
            return kTypeKeyboard;
        default:
            return typeCode;
    }
}

std::string DefaultUserDeviceTablePath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    // The XDG base directory rules say to ignore a relative value.
    std::string base = xdg != nullptr && xdg[0] == '/' ? xdg : HomeFolder() + "/.config";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/TIRK/devices.json";
}

bool AddUserCandidates(std::string_view json, const std::string& sourceName, DeviceTables* tables,
                       std::string* error) {
    Json::Value root;
    if (!ParseJsonObject(json, sourceName, &root, error)) return false;
    std::string problem;
    FieldReader top(root, "", &problem);
    if (top.Has("format")) top.Integer("format", 1, 1);
    RefuseFamilyMembers(root, &problem);
    const std::set<uint16_t> served = ServedTypes(*tables);
    std::vector<DeviceCandidate> added;
    if (problem.empty())
        added = ReadArray<DeviceCandidate>(
            root, "candidates", &problem,
            [&](FieldReader& r, unsigned) {
                DeviceCandidate c = ReadCandidate(r);
                CheckUserCandidate(r, c, served);
                return c;
            },
            EmptyList::kAllowed);
    CheckUserPartners(added, &problem);
    const size_t base = tables->candidates.size();
    if (problem.empty() && base + added.size() > kU16)
        problem = "too many candidates: the tables hold at most 65535";
    if (!problem.empty()) {
        *error = sourceName + ": " + problem;
        return false;
    }
    for (DeviceCandidate& c : added) {
        if (c.hasPartner) c.partner = static_cast<uint16_t>(c.partner + base);
        tables->candidates.push_back(c);
    }
    return true;
}

bool LoadDeviceTablesWithUserAdditions(const std::string& shippedPath, const std::string& userPath,
                                       DeviceTables* tables, std::string* error,
                                       std::string* userError) {
    DeviceTables loaded;
    if (!LoadDeviceTables(shippedPath, &loaded, error)) return false;
    userError->clear();
    const size_t shipped = loaded.candidates.size();
    if (!ReadUserAdditions(userPath, &loaded, userError)) {
        // The error names the file already; the fault line names it once.
        std::string_view what = *userError;
        if (what.substr(0, userPath.size() + 2) == userPath + ": ")
            what.remove_prefix(userPath.size() + 2);
        log::FileFault(userPath, std::string(what) + "; the shipped device table is used alone");
    } else if (loaded.candidates.size() > shipped) {
        log::Printf("device table: %zu interfaces added from %s",
                    loaded.candidates.size() - shipped, userPath.c_str());
    }
    *tables = std::move(loaded);
    return true;
}

int FindCandidate(const DeviceTables& tables, uint16_t typeCode, uint16_t secondaryCode) {
    for (size_t i = 0; i < tables.candidates.size(); ++i) {
        const DeviceCandidate& c = tables.candidates[i];
        if (c.typeCode == typeCode && c.secondaryCode == secondaryCode) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace tirk
