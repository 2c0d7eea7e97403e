#include "device/hid/hid_report_layout.h"

#include <algorithm>
#include <cstdint>
#include <map>

namespace tirk::hid {
namespace {

// Usage lists of all button items together; far above any real device, but it
// keeps a hostile descriptor from allocating gigabytes.
constexpr uint64_t kMaxUsageListEntries = 1u << 20;

__extension__ typedef __int128 Wide;

bool IsButtonField(const ReportField& field) {
    return !field.IsPadding() && field.bitSize > 0 && (field.IsArray() || field.bitSize == 1);
}

int32_t SignExtend(uint32_t raw, uint32_t bits) {
    if (bits == 0 || bits >= 32) return static_cast<int32_t>(raw);
    const uint32_t sign = 1u << (bits - 1);
    return static_cast<int32_t>((raw ^ sign) - sign);
}

// HidP_GetScaledUsageValue: the logical value mapped linearly onto the
// physical range (the logical range itself when no physical range is given).
uint32_t ScaleValue(const Capability& cap, uint32_t raw, int32_t& scaled) {
    scaled = 0;
    const int64_t value = cap.logicalMin < 0 ? SignExtend(raw, cap.bitSize) : int64_t(raw);
    if (cap.logicalMin >= cap.logicalMax) return kHidpStatusBadLogPhyValues;
    if (value < cap.logicalMin || value > cap.logicalMax) return kHidpStatusNull;
    if (cap.physicalMin == 0 && cap.physicalMax == 0) {
        scaled = static_cast<int32_t>(value);
        return kHidpStatusSuccess;
    }
    if (cap.physicalMin >= cap.physicalMax) return kHidpStatusBadLogPhyValues;
    // Both spans reach 2^32 - 1 for full 32-bit ranges, so their product needs
    // more than 64 bits.
    const Wide span = Wide(cap.physicalMax) - cap.physicalMin;
    const Wide mapped =
        (Wide(value) - cap.logicalMin) * span / (Wide(cap.logicalMax) - cap.logicalMin) +
        cap.physicalMin;
    scaled = static_cast<int32_t>(std::clamp<Wide>(mapped, INT32_MIN, INT32_MAX));
    return kHidpStatusSuccess;
}

}  // namespace

uint32_t ExtractBits(const uint8_t* data, size_t length, uint64_t bitOffset, uint32_t bitSize) {
    uint32_t value = 0;
    const uint32_t kept = std::min<uint32_t>(bitSize, 32);
    for (uint32_t i = 0; i < kept; ++i) {
        const uint64_t bit = bitOffset + i;
        const uint64_t byte = bit >> 3;
        if (byte < length && ((data[byte] >> (bit & 7)) & 1)) value |= 1u << i;
    }
    return value;
}

void HidReportLayout::Clear() {
    *this = HidReportLayout{};
}

bool HidReportLayout::Load(const uint8_t* descriptor, size_t size, int collectionIndex,
                           std::string& error) {
    Clear();
    if (!ParseReportDescriptor(descriptor, size, descriptor_, error)) return false;
    if (collectionIndex < 0 || collectionIndex >= static_cast<int>(descriptor_.topLevel.size())) {
        error =
            "report descriptor has no top-level collection " + std::to_string(collectionIndex + 1);
        Clear();
        return false;
    }
    collection_ = collectionIndex;
    usagePage_ = descriptor_.topLevel[collectionIndex].usagePage;
    usage_ = descriptor_.topLevel[collectionIndex].usage;
    for (const ReportInfo& info : descriptor_.reports) {
        largestInputOnWire_ = std::max(largestInputOnWire_, info.Bytes(ReportType::Input));
    }
    for (int t = 0; t < kReportTypeCount; ++t) {
        const auto type = static_cast<ReportType>(t);
        reportBytes_[t] = descriptor_.CollectionReportBytes(collectionIndex, type);
        buffers_[t].assign(reportBytes_[t], 0);
        buttonCaps_[t] = descriptor_.CapsOf(collectionIndex, type, true);
        valueCaps_[t] = descriptor_.CapsOf(collectionIndex, type, false);
    }
    uint64_t listEntries = 0;
    for (int t = 0; t < kReportTypeCount; ++t) {
        if (!BuildItems(static_cast<ReportType>(t), error)) {
            Clear();
            return false;
        }
        for (const HidDataItem& item : items_[t]) listEntries += item.usageList.size();
        if (listEntries > kMaxUsageListEntries) {
            error = "report descriptor declares too many button usages";
            Clear();
            return false;
        }
    }
    loaded_ = true;
    return true;
}

bool HidReportLayout::OwnsInputReport(uint8_t reportId) const {
    if (!loaded_) return false;
    const auto& ids = descriptor_.topLevel[collection_].reportIds;
    return std::binary_search(ids.begin(), ids.end(), reportId);
}

uint32_t HidReportLayout::MaxUsageListLength(ReportType type, uint16_t usagePage) const {
    uint32_t length = 0;
    for (const Capability& cap : buttonCaps_[Index(type)]) {
        if (cap.usagePage == usagePage) length += cap.reportCount;
    }
    return length;
}

bool HidReportLayout::BuildItems(ReportType type, std::string& error) {
    auto& items = items_[Index(type)];
    for (const Capability& cap : buttonCaps_[Index(type)]) {
        HidDataItem item;
        item.isButton = true;
        item.usagePage = cap.usagePage;
        item.reportId = cap.reportId;
        item.usageMin = cap.usageMin;
        item.usageMax = cap.usageMax;
        item.maxUsageListLength = MaxUsageListLength(type, cap.usagePage);
        // Usages outside the item's range are dropped after decoding, so the
        // list never needs more room than the range holds.
        const uint32_t range = uint32_t(cap.usageMax) - cap.usageMin + 1;
        item.usageList.assign(std::min(item.maxUsageListLength, range), 0);
        items.push_back(std::move(item));
    }
    const auto& values = valueCaps_[Index(type)];
    for (size_t c = 0; c < values.size(); ++c) {
        const Capability& cap = values[c];
        for (uint32_t u = cap.usageMin; u <= cap.usageMax; ++u) {
            if (items.size() >= kMaxTotalSlots * 2) {
                error = "report descriptor declares too many value usages";
                return false;
            }
            HidDataItem item;
            item.usagePage = cap.usagePage;
            item.reportId = cap.reportId;
            item.usage = u;
            item.capability = static_cast<int>(c);
            items.push_back(std::move(item));
        }
    }
    return true;
}

// HidP_GetUsages over every button field of the report: the usages of
// `page` that are on, variable bits and array entries alike.
std::vector<uint16_t> HidReportLayout::PressedUsages(uint16_t page, uint8_t reportId,
                                                     const uint8_t* report, size_t length) const {
    std::vector<uint16_t> pressed;
    const uint64_t base = descriptor_.reportIdsUsed ? 0 : 8;
    for (const ReportField& field : descriptor_.fields) {
        if (field.type != ReportType::Input || field.topLevel != collection_ ||
            field.reportId != reportId || !IsButtonField(field) || field.usages.empty()) {
            continue;
        }
        const uint64_t start = base + field.bitOffset;
        auto take = [&](uint32_t usage) {
            if ((usage >> 16) == page) pressed.push_back(static_cast<uint16_t>(usage));
        };
        if (!field.IsArray()) {
            uint32_t slot = 0;
            for (const UsageRange& u : field.usages) {
                for (uint32_t usage = u.min; usage <= u.max && slot < field.count;
                     ++usage, ++slot) {
                    if (ExtractBits(report, length, start + slot, 1)) take(usage);
                }
            }
            for (; slot < field.count; ++slot) {
                if (ExtractBits(report, length, start + slot, 1)) take(field.usages.back().max);
            }
            continue;
        }
        std::vector<uint64_t> ends;  // running usage count at the end of each entry
        uint64_t total = 0;
        for (const UsageRange& u : field.usages) ends.push_back(total += u.Length());
        for (uint32_t slot = 0; slot < field.count; ++slot) {
            const uint32_t raw =
                ExtractBits(report, length, start + uint64_t(slot) * field.bitSize, field.bitSize);
            const int64_t v = field.logicalMin < 0 ? SignExtend(raw, field.bitSize) : int64_t(raw);
            if (v < field.logicalMin || v > field.logicalMax) continue;
            const uint64_t index = static_cast<uint64_t>(v - field.logicalMin);
            if (index >= total) continue;
            const size_t entry = std::upper_bound(ends.begin(), ends.end(), index) - ends.begin();
            const uint64_t before = entry == 0 ? 0 : ends[entry - 1];
            take(field.usages[entry].min + static_cast<uint32_t>(index - before));
        }
    }
    return pressed;
}

void HidReportLayout::DecodeButton(HidDataItem& item, const std::vector<uint16_t>& pressed) {
    item.lastStatus =
        pressed.size() > item.maxUsageListLength ? kHidpStatusBufferTooSmall : kHidpStatusSuccess;
    size_t kept = 0;
    for (uint16_t usage : pressed) {
        if (usage < item.usageMin || usage > item.usageMax) continue;
        if (kept == item.usageList.size()) break;
        item.usageList[kept++] = usage;
    }
    if (kept < item.usageList.size()) item.usageList[kept] = 0;
}

uint32_t HidReportLayout::DecodeValue(HidDataItem& item, const uint8_t* report, size_t length) {
    const Capability& cap = valueCaps_[Index(ReportType::Input)][item.capability];
    const uint32_t index = std::min(item.usage - cap.usageMin, cap.reportCount - 1);
    const uint64_t bit = (descriptor_.reportIdsUsed ? 0 : 8) + uint64_t(cap.bitOffset) +
                         uint64_t(index) * cap.bitSize;
    item.rawValue = ExtractBits(report, length, bit, cap.bitSize);
    item.lastStatus = kHidpStatusSuccess;
    ScaleValue(cap, item.rawValue, item.scaledValue);
    return item.lastStatus;
}

uint32_t HidReportLayout::ParseInputReport(const uint8_t* report, size_t length) {
    if (!loaded_ || report == nullptr || length == 0) return kHidpStatusInvalidReportLength;
    const uint8_t reportId = report[0];
    const ReportInfo* info = descriptor_.FindReport(reportId);
    if (info == nullptr || info->bits[Index(ReportType::Input)] == 0) return kHidpStatusSuccess;
    const uint32_t needed = info->Bytes(ReportType::Input) + (descriptor_.reportIdsUsed ? 0 : 1);
    std::map<uint16_t, std::vector<uint16_t>> pressedByPage;  // one walk per page
    for (HidDataItem& item : items_[Index(ReportType::Input)]) {
        if (item.reportId != reportId) continue;
        if (length < needed) {
            item.lastStatus = kHidpStatusInvalidReportLength;
            return item.lastStatus;
        }
        if (item.isButton) {
            auto found = pressedByPage.find(item.usagePage);
            if (found == pressedByPage.end()) {
                found = pressedByPage
                            .emplace(item.usagePage,
                                     PressedUsages(item.usagePage, reportId, report, length))
                            .first;
            }
            DecodeButton(item, found->second);
        } else if (DecodeValue(item, report, length) != kHidpStatusSuccess) {
            return item.lastStatus;
        }
        item.updated = 1;
    }
    return kHidpStatusSuccess;
}

}  // namespace tirk::hid
