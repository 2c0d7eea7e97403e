#include "device/hid/hid_descriptor.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <utility>

namespace tirk::hid {
namespace {

// A signed item value keeps its raw bytes until the main item, because whether
// a maximum is signed depends on the minimum, which may come later.
struct RawValue {
    uint32_t bits = 0;
    int size = 0;  // payload bytes: 0, 1, 2 or 4

    int32_t Signed() const {
        if (size == 1) return static_cast<int8_t>(bits);
        if (size == 2) return static_cast<int16_t>(bits);
        return static_cast<int32_t>(bits);
    }
    int32_t Unsigned() const { return static_cast<int32_t>(bits); }
};

// Minimum sign-extended; maximum sign-extended only when the minimum is
// negative (the Linux hid-core rule, which matches what devices mean).
std::pair<int32_t, int32_t> Range(const RawValue& min, const RawValue& max) {
    const int32_t lo = min.Signed();
    return {lo, lo < 0 ? max.Signed() : max.Unsigned()};
}

struct GlobalState {
    uint16_t usagePage = 0;
    RawValue logicalMin, logicalMax, physicalMin, physicalMax;
    uint32_t unit = 0;
    int8_t unitExponent = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

struct LocalUsage {
    UsageRange range;
    bool explicitPage = false;  // a 4-byte item carried its own page
};

struct LocalState {
    std::vector<LocalUsage> usages;
    bool haveMin = false;
    uint32_t pendingMin = 0;
    bool pendingMinExplicit = false;
    int delimiterDepth = 0;
    int usagesInDelimiter = 0;
};

struct Item {
    size_t offset = 0;
    uint8_t tag = 0;  // header byte without the size bits
    RawValue value;
    bool isLong = false;
};

const char* TypeName(ReportType type) {
    static const char* const kNames[] = {"input", "output", "feature"};
    return kNames[static_cast<int>(type)];
}

class Parser {
public:
    Parser(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Run(ReportDescriptor& out, std::string& error);

private:
    bool NextItem(Item& item);
    bool HandleItem(const Item& item);
    bool HandleMain(const Item& item);
    bool HandleGlobal(const Item& item);
    bool HandleLocal(const Item& item);
    bool OpenCollection(const Item& item);
    bool CloseCollection(const Item& item);
    bool AddField(const Item& item, ReportType type);
    void AddUsage(uint32_t min, uint32_t max, bool explicitPage);
    void ApplyPageToShortUsages();
    void ResetLocals() { local_ = LocalState{}; }
    bool Fail(size_t offset, const std::string& what);
    bool Finish();
    void AssignReports();
    void BuildCaps();

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    GlobalState global_;
    std::vector<GlobalState> pushed_;
    LocalState local_;
    std::vector<int> open_;  // indices of the open collections, innermost last
    bool idSeen_ = false;
    uint32_t totalSlots_ = 0;
    std::map<std::pair<int, uint8_t>, uint32_t> reportBits_;  // (type, id) -> bits
    ReportDescriptor result_;
    std::string error_;
};

bool Parser::Fail(size_t offset, const std::string& what) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "report descriptor byte %zu: ", offset);
    error_ = prefix + what;
    return false;
}

bool Parser::NextItem(Item& item) {
    item = Item{};
    item.offset = pos_;
    const uint8_t header = data_[pos_];
    if (header == 0xFE) {  // long item: size, tag, data; no defined long items exist
        if (size_ - pos_ < 3) return Fail(pos_, "truncated long item");
        const size_t length = data_[pos_ + 1];
        if (size_ - pos_ - 3 < length) return Fail(pos_, "truncated long item");
        item.isLong = true;
        pos_ += 3 + length;
        return true;
    }
    static const int kPayload[] = {0, 1, 2, 4};
    const int payload = kPayload[header & 0x03];
    if (size_ - pos_ - 1 < static_cast<size_t>(payload)) {
        return Fail(pos_, "item runs past the end of the descriptor");
    }
    item.tag = header & 0xFC;
    item.value.size = payload;
    for (int i = 0; i < payload; ++i) {
        item.value.bits |= static_cast<uint32_t>(data_[pos_ + 1 + i]) << (8 * i);
    }
    pos_ += 1 + payload;
    return true;
}

bool Parser::Run(ReportDescriptor& out, std::string& error) {
    out = ReportDescriptor{};
    bool ok = size_ <= kMaxDescriptorBytes ||
              Fail(0, "descriptor longer than " + std::to_string(kMaxDescriptorBytes) + " bytes");
    if (ok && size_ == 0) ok = Fail(0, "empty descriptor");
    Item item;
    while (ok && pos_ < size_) {
        ok = NextItem(item) && (item.isLong || HandleItem(item));
    }
    if (ok) ok = Finish();
    if (!ok) {
        error = error_;
        return false;
    }
    out = std::move(result_);
    return true;
}

bool Parser::HandleItem(const Item& item) {
    switch ((item.tag >> 2) & 0x03) {
        case 0:
            return HandleMain(item);
        case 1:
            return HandleGlobal(item);
        case 2:
            return HandleLocal(item);
        default:
            return true;  // reserved item types carry nothing we use
    }
}

bool Parser::HandleMain(const Item& item) {
    bool ok = true;
    switch (item.tag) {
        case 0x80:
            ok = AddField(item, ReportType::Input);
            break;
        case 0x90:
            ok = AddField(item, ReportType::Output);
            break;
        case 0xB0:
            ok = AddField(item, ReportType::Feature);
            break;
        case 0xA0:
            ok = OpenCollection(item);
            break;
        case 0xC0:
            ok = CloseCollection(item);
            break;
        default:
            break;  // reserved main tags are skipped
    }
    ResetLocals();
    return ok;
}

bool Parser::HandleGlobal(const Item& item) {
    const RawValue& v = item.value;
    switch (item.tag) {
        case 0x04:
            global_.usagePage = static_cast<uint16_t>(v.bits);
            break;
        case 0x14:
            global_.logicalMin = v;
            break;
        case 0x24:
            global_.logicalMax = v;
            break;
        case 0x34:
            global_.physicalMin = v;
            break;
        case 0x44:
            global_.physicalMax = v;
            break;
        case 0x54: {
            // Many devices send the exponent as a 4-bit two's complement nibble.
            const int32_t raw = v.Signed();
            const int32_t e = (v.bits & ~0x0Fu) == 0
                                  ? ((v.bits & 0x08) ? int32_t(v.bits) - 16 : int32_t(v.bits))
                                  : raw;
            global_.unitExponent = static_cast<int8_t>(std::clamp(e, -128, 127));
            break;
        }
        case 0x64:
            global_.unit = v.bits;
            break;
        case 0x74:
            global_.reportSize = v.bits;
            break;
        case 0x94:
            global_.reportCount = v.bits;
            break;
        case 0x84:
            if (v.bits == 0 || v.bits > 255) {
                return Fail(item.offset, "invalid Report ID " + std::to_string(v.bits));
            }
            global_.reportId = static_cast<uint8_t>(v.bits);
            idSeen_ = true;
            break;
        case 0xA4:
            if (static_cast<int>(pushed_.size()) >= kMaxPushDepth) {
                return Fail(item.offset,
                            "Push nested deeper than " + std::to_string(kMaxPushDepth));
            }
            pushed_.push_back(global_);
            break;
        case 0xB4:
            if (pushed_.empty()) return Fail(item.offset, "Pop without a matching Push");
            global_ = pushed_.back();
            pushed_.pop_back();
            break;
        default:
            break;
    }
    return true;
}

void Parser::AddUsage(uint32_t min, uint32_t max, bool explicitPage) {
    if (local_.delimiterDepth > 0 && local_.usagesInDelimiter++ > 0) {
        return;  // of alternative usages only the first one is used
    }
    if (local_.usages.size() >= kMaxLocalUsages) return;
    local_.usages.push_back({{min, max}, explicitPage});
}

bool Parser::HandleLocal(const Item& item) {
    const RawValue& v = item.value;
    const bool explicitPage = v.size == 4;
    const uint32_t usage =
        explicitPage ? v.bits : (uint32_t(global_.usagePage) << 16) | (v.bits & 0xFFFF);
    switch (item.tag) {
        case 0x08:
            AddUsage(usage, usage, explicitPage);
            break;
        case 0x18:
            local_.haveMin = true;
            local_.pendingMin = usage;
            local_.pendingMinExplicit = explicitPage;
            break;
        case 0x28:
            if (local_.haveMin) {
                // A range stays within the minimum's page.
                const uint32_t max = (local_.pendingMin & 0xFFFF0000u) | (usage & 0xFFFF);
                if (max >= local_.pendingMin)
                    AddUsage(local_.pendingMin, max, local_.pendingMinExplicit);
                local_.haveMin = false;
            }
            break;
        case 0xA8:
            if (v.bits == 1) {
                ++local_.delimiterDepth;
                local_.usagesInDelimiter = 0;
            } else if (local_.delimiterDepth > 0) {
                --local_.delimiterDepth;
            }
            break;
        default:
            break;  // designators and strings are not used here
    }
    return true;
}

// Usages given with 1 or 2 bytes take the Usage Page in effect at the main item
// when the page changed after them (hid-core's rule, which real descriptors
// rely on when they put Usage Page between Usage and Input).
void Parser::ApplyPageToShortUsages() {
    const uint32_t page = uint32_t(global_.usagePage) << 16;
    for (auto it = local_.usages.rbegin(); it != local_.usages.rend(); ++it) {
        if (it->explicitPage) continue;
        if ((it->range.min & 0xFFFF0000u) == page) break;
        it->range.min = page | (it->range.min & 0xFFFF);
        it->range.max = page | (it->range.max & 0xFFFF);
    }
}

bool Parser::OpenCollection(const Item& item) {
    if (static_cast<int>(open_.size()) >= kMaxCollectionDepth) {
        return Fail(item.offset,
                    "collections nested deeper than " + std::to_string(kMaxCollectionDepth));
    }
    ApplyPageToShortUsages();
    CollectionInfo info;
    uint32_t usage = uint32_t(global_.usagePage) << 16;
    if (!local_.usages.empty()) usage = local_.usages.back().range.min;
    info.usagePage = static_cast<uint16_t>(usage >> 16);
    info.usage = static_cast<uint16_t>(usage);
    info.type = static_cast<uint8_t>(item.value.bits);
    info.offset = item.offset;
    const int index = static_cast<int>(result_.collections.size());
    if (open_.empty()) {
        info.topLevel = static_cast<int>(result_.topLevel.size());
        TopLevelCollection top;
        top.usagePage = info.usagePage;
        top.usage = info.usage;
        top.type = info.type;
        top.offset = info.offset;
        top.collection = index;
        result_.topLevel.push_back(top);
    } else {
        info.parent = open_.back();
        info.topLevel = result_.collections[open_.back()].topLevel;
    }
    result_.collections.push_back(info);
    open_.push_back(index);
    return true;
}

bool Parser::CloseCollection(const Item& item) {
    if (open_.empty()) return Fail(item.offset, "End Collection without an open collection");
    open_.pop_back();
    return true;
}

bool Parser::AddField(const Item& item, ReportType type) {
    if (open_.empty()) {
        return Fail(item.offset, std::string(TypeName(type)) + " item outside any collection");
    }
    if (global_.reportSize > kMaxReportSizeBits) {
        return Fail(item.offset, "Report Size " + std::to_string(global_.reportSize) + " exceeds " +
                                     std::to_string(kMaxReportSizeBits) + " bits");
    }
    if (global_.reportCount > kMaxTotalSlots - totalSlots_) {
        return Fail(item.offset, "Report Count " + std::to_string(global_.reportCount) +
                                     " exceeds the descriptor's limit of " +
                                     std::to_string(kMaxTotalSlots) + " fields");
    }
    totalSlots_ += global_.reportCount;
    const uint8_t id = global_.reportId;
    auto slot = reportBits_.try_emplace({static_cast<int>(type), id}, id != 0 ? 8u : 0u).first;
    const uint64_t end =
        uint64_t(slot->second) + uint64_t(global_.reportSize) * global_.reportCount;
    if (end > uint64_t(kMaxReportBytes) * 8) {
        return Fail(item.offset, std::string(TypeName(type)) + " report " + std::to_string(id) +
                                     " longer than " + std::to_string(kMaxReportBytes) + " bytes");
    }
    ApplyPageToShortUsages();
    ReportField field;
    field.type = type;
    field.reportId = id;
    field.bitOffset = slot->second;
    field.bitSize = global_.reportSize;
    field.count = global_.reportCount;
    field.flags = static_cast<uint16_t>(item.value.bits & 0x1FF);
    field.usagePage = global_.usagePage;
    for (const LocalUsage& u : local_.usages) field.usages.push_back(u.range);
    std::tie(field.logicalMin, field.logicalMax) = Range(global_.logicalMin, global_.logicalMax);
    std::tie(field.physicalMin, field.physicalMax) =
        Range(global_.physicalMin, global_.physicalMax);
    field.unit = global_.unit;
    field.unitExponent = global_.unitExponent;
    const int inner = open_.back();
    field.topLevel = result_.collections[inner].topLevel;
    field.linkCollection = inner - result_.topLevel[field.topLevel].collection;
    slot->second = static_cast<uint32_t>(end);
    result_.fields.push_back(std::move(field));
    return true;
}

bool Parser::Finish() {
    if (!open_.empty()) {
        return Fail(size_, std::to_string(open_.size()) + " collection(s) not closed");
    }
    if (result_.topLevel.empty()) return Fail(size_, "no top-level collection");
    result_.reportIdsUsed = idSeen_;
    AssignReports();
    BuildCaps();
    return true;
}

void Parser::AssignReports() {
    std::map<uint8_t, ReportInfo> reports;
    for (const auto& [key, bits] : reportBits_) {
        ReportInfo& info = reports[key.second];
        info.id = key.second;
        info.bits[key.first] = bits;
    }
    for (const ReportField& field : result_.fields) {
        ReportInfo& info = reports[field.reportId];
        if (info.topLevel < 0) info.topLevel = field.topLevel;
    }
    for (auto& [id, info] : reports) {
        result_.reports.push_back(info);
        if (info.topLevel >= 0) result_.topLevel[info.topLevel].reportIds.push_back(id);
    }
}

Capability CapFor(const ReportField& field, UsageRange usages, uint32_t firstSlot, uint32_t slots) {
    Capability cap;
    cap.type = field.type;
    cap.reportId = field.reportId;
    cap.usagePage = static_cast<uint16_t>(usages.min >> 16);
    cap.usageMin = static_cast<uint16_t>(usages.min);
    cap.usageMax = static_cast<uint16_t>(usages.max);
    cap.isRange = usages.max != usages.min;
    cap.isArray = field.IsArray();
    cap.isButton = cap.isArray || field.bitSize == 1;
    cap.bitOffset = field.IsArray() ? field.bitOffset : field.bitOffset + firstSlot * field.bitSize;
    cap.bitSize = field.bitSize;
    cap.reportCount = slots;
    cap.flags = field.flags;
    cap.logicalMin = field.logicalMin;
    cap.logicalMax = field.logicalMax;
    cap.physicalMin = field.physicalMin;
    cap.physicalMax = field.physicalMax;
    cap.unit = field.unit;
    cap.unitExponent = field.unitExponent;
    cap.topLevel = field.topLevel;
    cap.linkCollection = field.linkCollection;
    return cap;
}

// Capabilities of one field: an array gets one per usage entry, all over the
// same slots; a variable field hands its slots to the usages in order, the
// last capability keeping any slots left over.
void AppendCaps(const ReportField& field, std::vector<Capability>& caps) {
    if (field.bitSize == 0 || field.count == 0) return;
    if (field.IsPadding()) return;
    const UsageRange none{uint32_t(field.usagePage) << 16, uint32_t(field.usagePage) << 16};
    if (field.IsArray()) {
        if (field.usages.empty()) caps.push_back(CapFor(field, none, 0, field.count));
        for (const UsageRange& u : field.usages) caps.push_back(CapFor(field, u, 0, field.count));
        return;
    }
    uint32_t slot = 0;
    for (const UsageRange& u : field.usages) {
        if (slot >= field.count) break;
        const uint32_t n = std::min(u.Length(), field.count - slot);
        caps.push_back(CapFor(field, {u.min, u.min + n - 1}, slot, n));
        slot += n;
    }
    if (field.usages.empty()) caps.push_back(CapFor(field, none, 0, 0));
    caps.back().reportCount += field.count - slot;
}

void Parser::BuildCaps() {
    for (int type = 0; type < kReportTypeCount; ++type) {
        for (const ReportField& field : result_.fields) {
            if (static_cast<int>(field.type) == type) AppendCaps(field, result_.caps);
        }
    }
}

}  // namespace

// Windows keeps a constant field only when it names something: a variable
// field with a real usage (a read-only status bit or value). The undefined
// usage 0 and constant array slots carry nothing.
bool ReportField::IsPadding() const {
    if (!IsConstant()) return false;
    if (IsArray()) return true;
    return std::none_of(usages.begin(), usages.end(), [](const UsageRange& u) {
        return u.min != u.max || (u.min & 0xFFFF) != 0;
    });
}

uint32_t ReportField::UsageOfSlot(uint32_t slot) const {
    uint32_t last = 0;
    for (const UsageRange& u : usages) {
        if (slot < u.Length()) return u.min + slot;
        slot -= u.Length();
        last = u.max;
    }
    return last;
}

const ReportInfo* ReportDescriptor::FindReport(uint8_t id) const {
    for (const ReportInfo& info : reports) {
        if (info.id == id) return &info;
    }
    return nullptr;
}

uint32_t ReportDescriptor::CollectionReportBytes(int topLevelIndex, ReportType type) const {
    uint32_t bytes = 0;
    for (const ReportInfo& info : reports) {
        if (info.topLevel == topLevelIndex) bytes = std::max(bytes, info.Bytes(type));
    }
    return bytes == 0 ? 0 : bytes + (reportIdsUsed ? 0 : 1);
}

std::vector<Capability> ReportDescriptor::CapsOf(int topLevelIndex, ReportType type,
                                                 bool buttons) const {
    std::vector<Capability> out;
    for (const Capability& cap : caps) {
        if (cap.topLevel == topLevelIndex && cap.type == type && cap.isButton == buttons) {
            out.push_back(cap);
        }
    }
    return out;
}

bool ParseReportDescriptor(const uint8_t* data, size_t size, ReportDescriptor& out,
                           std::string& error) {
    if (data == nullptr && size != 0) {
        error = "report descriptor: no data";
        out = ReportDescriptor{};
        return false;
    }
    return Parser(data, size).Run(out, error);
}

}  // namespace tirk::hid
