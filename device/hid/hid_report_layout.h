// The report layout of one opened top-level collection: its identity values,
// the report byte lengths as Windows counts them, the capabilities, and the data
// item tables that input reports are decoded into. Independent of any device,
// so it can be built from descriptor bytes alone (tests, fuzzing).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "device/hid/hid_descriptor.h"

namespace tirk::hid {

/// Status values of report decoding; the numbers are those of the HidP API.
enum HidpStatus : uint32_t {
    kHidpStatusSuccess = 0x00110000,
    kHidpStatusNull = 0x80110001,
    kHidpStatusInvalidReportLength = 0xC0110003,
    kHidpStatusUsageNotFound = 0xC0110004,
    kHidpStatusBadLogPhyValues = 0xC0110006,
    kHidpStatusBufferTooSmall = 0xC0110007,
    kHidpStatusIncompatibleReportId = 0xC0110010,
};

/// One entry of a data item table. A button capability gives one button item;
/// a value capability gives one value item per usage of its range.
struct HidDataItem {
    bool isButton = false;
    uint16_t usagePage = 0;
    uint32_t lastStatus = kHidpStatusSuccess;
    uint32_t reportId = 0;
    uint32_t updated = 0;  ///< set to 1 each time a report decodes this item
    // Button item: the capability's usage range and the usages found pressed,
    // kept to that range, 0-terminated when shorter than the list.
    uint32_t usageMin = 0;
    uint32_t usageMax = 0;
    uint32_t maxUsageListLength = 0;  ///< HidP_MaxUsageListLength for the item's page
    std::vector<uint16_t> usageList;
    // Value item: the usage, its raw bits (low 32) and the scaled value.
    uint32_t usage = 0;
    uint32_t rawValue = 0;
    int32_t scaledValue = 0;
    int capability = -1;  ///< index into HidReportLayout::Caps(type)
};

/// Everything CHidInterface knows about one collection after opening it.
class HidReportLayout {
public:
    /// Parses `descriptor` and lays out top-level collection `collectionIndex`
    /// (0-based). Returns false with `error` set when the descriptor is
    /// malformed or has no such collection; the layout is then empty.
    bool Load(const uint8_t* descriptor, size_t size, int collectionIndex, std::string& error);
    /// Forgets everything (Loaded() becomes false).
    void Clear();
    bool Loaded() const { return loaded_; }

    uint16_t UsagePage() const { return usagePage_; }
    uint16_t Usage() const { return usage_; }
    bool ReportIdsUsed() const { return descriptor_.reportIdsUsed; }
    /// Report byte length as Windows gives it: id byte included, +1 without ids.
    uint32_t ReportBytes(ReportType type) const { return reportBytes_[Index(type)]; }
    /// Largest input report of the whole descriptor, as a read delivers it
    /// (id byte included when ids are used, no id byte otherwise).
    uint32_t LargestInputOnWire() const { return largestInputOnWire_; }
    /// True when input reports with this id belong to this collection.
    bool OwnsInputReport(uint8_t reportId) const;

    const std::vector<Capability>& ButtonCaps(ReportType type) const {
        return buttonCaps_[Index(type)];
    }
    const std::vector<Capability>& ValueCaps(ReportType type) const {
        return valueCaps_[Index(type)];
    }
    std::vector<HidDataItem>& DataItems(ReportType type) { return items_[Index(type)]; }
    const std::vector<HidDataItem>& DataItems(ReportType type) const { return items_[Index(type)]; }
    /// Zeroed buffer of the type's report byte length.
    std::vector<uint8_t>& ReportBuffer(ReportType type) { return buffers_[Index(type)]; }
    const ReportDescriptor& Descriptor() const { return descriptor_; }

    /// HidP_MaxUsageListLength: how many button usages of `usagePage` one report
    /// of `type` can carry at most.
    uint32_t MaxUsageListLength(ReportType type, uint16_t usagePage) const;

    /// Decodes an input report (report id in byte 0, Windows layout) into the
    /// input data items whose report id equals byte 0; other items stay as they
    /// were. Returns kHidpStatusSuccess when every matching item decoded, else
    /// the first failing value item's status (button failures are kept in the
    /// item's lastStatus). Never reads past `length`.
    uint32_t ParseInputReport(const uint8_t* report, size_t length);

private:
    static int Index(ReportType type) { return static_cast<int>(type); }
    bool BuildItems(ReportType type, std::string& error);
    void DecodeButton(HidDataItem& item, const std::vector<uint16_t>& pressed);
    uint32_t DecodeValue(HidDataItem& item, const uint8_t* report, size_t length);
    std::vector<uint16_t> PressedUsages(uint16_t page, uint8_t reportId, const uint8_t* report,
                                        size_t length) const;

    bool loaded_ = false;
    ReportDescriptor descriptor_;
    int collection_ = 0;
    uint16_t usagePage_ = 0;
    uint16_t usage_ = 0;
    uint32_t largestInputOnWire_ = 0;
    std::array<uint32_t, kReportTypeCount> reportBytes_{};
    std::array<std::vector<Capability>, kReportTypeCount> buttonCaps_;
    std::array<std::vector<Capability>, kReportTypeCount> valueCaps_;
    std::array<std::vector<HidDataItem>, kReportTypeCount> items_;
    std::array<std::vector<uint8_t>, kReportTypeCount> buffers_;
};

/// Reads `bitSize` bits (at most 32 are kept) starting `bitOffset` bits into
/// `data`; bits beyond `length` read as 0.
uint32_t ExtractBits(const uint8_t* data, size_t length, uint64_t bitOffset, uint32_t bitSize);

}  // namespace tirk::hid
