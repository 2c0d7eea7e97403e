#include "device/device_table.h"

#include <json/json.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "core/atomic_file.h"

namespace tirk {
namespace {

// Reads typed fields of one JSON object and remembers the first problem,
// named by the item's place in the file ("candidates[3].usagePage").
class FieldReader {
public:
    FieldReader(const Json::Value& object, std::string where, std::string* problem)
        : object_(object), where_(std::move(where)), problem_(problem) {}

    bool IsObject() {
        if (!object_.isObject()) Fail(where_ + " is not an object");
        return object_.isObject();
    }

    // A number, or a string "0x…" / decimal, within [low, high].
    int64_t Integer(const char* key, int64_t low, int64_t high) {
        const Json::Value& v = object_[key];
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
        const Json::Value& v = object_[key];
        if (!v.isString()) {
            Fail(Name(key) + (v.isNull() ? " is missing" : " is not a string"));
            return {};
        }
        return v.asString();
    }

    bool Flag(const char* key) {
        const Json::Value& v = object_[key];
        if (!v.isBool()) Fail(Name(key) + (v.isNull() ? " is missing" : " is not true or false"));
        return v.isBool() && v.asBool();
    }

    bool IsNull(const char* key) const { return object_.isMember(key) && object_[key].isNull(); }

    void Fail(const std::string& what) {
        if (problem_->empty()) *problem_ = what;
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

    std::string Name(const char* key) const { return where_ + "." + key; }

    const Json::Value& object_;
    std::string where_;
    std::string* problem_;
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

// Reads every element of the array `key` with `readOne(reader, index)`.
template <typename T, typename ReadOne>
std::vector<T> ReadArray(const Json::Value& root, const char* key, std::string* problem,
                         ReadOne readOne) {
    std::vector<T> items;
    const Json::Value& array = root[key];
    if (!array.isArray() || array.empty()) {
        if (problem->empty()) *problem = std::string("\"") + key + "\" is missing or empty";
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

std::string ExecutableDir() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

}  // namespace

bool ParseDeviceTables(std::string_view json, const std::string& sourceName, DeviceTables* tables,
                       std::string* error) {
    Json::CharReaderBuilder builder;
    Json::CharReaderBuilder::strictMode(&builder.settings_);
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string problem;
    if (!reader->parse(json.data(), json.data() + json.size(), &root, &problem)) {
        *error = sourceName + ": not valid JSON: " + problem;
        return false;
    }
    if (!root.isObject()) problem = "the top level is not an object";
    DeviceTables parsed;
    if (problem.empty()) {
        parsed.candidates =
            ReadArray<DeviceCandidate>(root, "candidates", &problem,
                                       [](FieldReader& r, unsigned) { return ReadCandidate(r); });
        CheckPartners(parsed.candidates, &problem);
        parsed.families = ReadArray<DeviceFamily>(
            root, "families", &problem, [](FieldReader& r, unsigned) { return ReadFamily(r); });
        parsed.models =
            ReadArray<DeviceModel>(root, "models", &problem, [&](FieldReader& r, unsigned i) {
                return ReadModel(r, i < parsed.families.size() ? &parsed.families[i] : nullptr);
            });
    }
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

int FindCandidate(const DeviceTables& tables, uint16_t typeCode, uint16_t secondaryCode) {
    for (size_t i = 0; i < tables.candidates.size(); ++i) {
        const DeviceCandidate& c = tables.candidates[i];
        if (c.typeCode == typeCode && c.secondaryCode == secondaryCode) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace tirk
