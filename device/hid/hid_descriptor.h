// HID report-descriptor parser: turns the raw descriptor bytes of one hidraw node
// into its top-level collections, report ids with their byte lengths, and the
// button and value capabilities of each report type, the way the Windows HidP
// functions present them. Qt-free; bounded in time and memory for any input.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tirk::hid {

enum class ReportType : uint8_t { Input = 0, Output = 1, Feature = 2 };
inline constexpr int kReportTypeCount = 3;

/// Limits that keep a hostile or broken descriptor from costing unbounded
/// memory or time. Every real descriptor we know stays far below them.
inline constexpr size_t kMaxDescriptorBytes = 65536;
inline constexpr uint32_t kMaxReportBytes = 16384;   ///< per report id and type, id byte included
inline constexpr uint32_t kMaxReportSizeBits = 256;  ///< Report Size of one field
inline constexpr uint32_t kMaxTotalSlots = 131072;   ///< Report Count summed over all main items
inline constexpr uint32_t kMaxLocalUsages = 4096;    ///< Usage items before one main item
inline constexpr int kMaxCollectionDepth = 32;
inline constexpr int kMaxPushDepth = 16;

/// Main item flag bits (Input/Output/Feature data).
enum MainItemFlag : uint16_t {
    kFlagConstant = 0x001,
    kFlagVariable = 0x002,
    kFlagRelative = 0x004,
    kFlagWrap = 0x008,
    kFlagNonLinear = 0x010,
    kFlagNoPreferred = 0x020,
    kFlagNullState = 0x040,
    kFlagVolatile = 0x080,
    kFlagBufferedBytes = 0x100,
};

/// A usage or an inclusive usage range; values are extended usages
/// (usage page << 16 | usage id).
struct UsageRange {
    uint32_t min = 0;
    uint32_t max = 0;
    uint32_t Length() const { return max - min + 1; }
};

/// One collection of the descriptor, in descriptor order. `parent` is -1 for a
/// top-level collection.
struct CollectionInfo {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint8_t type = 0;   ///< 0 physical, 1 application, 2 logical, ...
    size_t offset = 0;  ///< byte offset of the Collection item
    int parent = -1;
    int topLevel = 0;  ///< index of the top-level collection this one belongs to
};

/// One top-level collection with the report ids whose main items it holds.
struct TopLevelCollection {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint8_t type = 0;
    size_t offset = 0;
    int collection = 0;              ///< index into ReportDescriptor::collections
    std::vector<uint8_t> reportIds;  ///< ascending; {0} when the descriptor has no ids
};

/// Bit length of one report id per type; the id byte is counted when ids are used.
struct ReportInfo {
    uint8_t id = 0;
    int topLevel = -1;  ///< top-level collection holding the id's first main item
    std::array<uint32_t, kReportTypeCount> bits{};
    uint32_t Bytes(ReportType type) const { return (bits[static_cast<int>(type)] + 7) / 8; }
};

/// One Input/Output/Feature main item as declared (one per main item).
struct ReportField {
    ReportType type = ReportType::Input;
    uint8_t reportId = 0;
    uint32_t bitOffset = 0;  ///< from the start of the report, id byte included when ids are used
    uint32_t bitSize = 0;
    uint32_t count = 0;
    uint16_t flags = 0;
    uint16_t usagePage = 0;          ///< the Usage Page in effect at the main item
    std::vector<UsageRange> usages;  ///< the local usages, in declaration order
    int32_t logicalMin = 0, logicalMax = 0, physicalMin = 0, physicalMax = 0;
    uint32_t unit = 0;
    int8_t unitExponent = 0;
    int topLevel = 0;
    int linkCollection =
        0;  ///< index of the innermost collection within its top-level one (0 = itself)

    bool IsConstant() const { return flags & kFlagConstant; }
    bool IsArray() const { return !(flags & kFlagVariable); }
    /// True for a field that gets no capability, as Windows lays it out: a
    /// constant field is padding unless it is a variable field with at least
    /// one usage other than the undefined usage 0 (docs/hid-transport.md).
    bool IsPadding() const;
    /// Extended usage of variable slot `slot`: usages are handed out in order,
    /// the last one repeats for the remaining slots; 0 when there are none.
    uint32_t UsageOfSlot(uint32_t slot) const;
};

/// A button or value capability, as HidP_GetButtonCaps / HidP_GetValueCaps give it.
/// A button capability is an array field or a 1-bit variable field; every other
/// field that is not padding is a value capability. A usage range covers
/// consecutive slots.
struct Capability {
    ReportType type = ReportType::Input;
    uint8_t reportId = 0;
    uint16_t usagePage = 0;
    bool isRange = false;
    uint16_t usageMin = 0;   ///< the usage when !isRange
    uint16_t usageMax = 0;   ///< equals usageMin when !isRange
    uint32_t bitOffset = 0;  ///< id byte counted when ids are used
    uint32_t bitSize = 0;
    uint32_t reportCount = 0;
    uint16_t flags = 0;
    bool isArray = false;
    bool isButton = false;
    int32_t logicalMin = 0, logicalMax = 0, physicalMin = 0, physicalMax = 0;
    uint32_t unit = 0;
    int8_t unitExponent = 0;
    int topLevel = 0;
    int linkCollection = 0;
};

/// The parse of one descriptor.
struct ReportDescriptor {
    bool reportIdsUsed = false;
    std::vector<CollectionInfo> collections;
    std::vector<TopLevelCollection> topLevel;
    std::vector<ReportInfo> reports;  ///< ascending id
    std::vector<ReportField> fields;  ///< data and constant fields in descriptor order
    std::vector<Capability> caps;     ///< per type in descriptor order

    /// The report info of `id`, or null when the id is not declared.
    const ReportInfo* FindReport(uint8_t id) const;
    /// Windows' report byte length of a top-level collection: the largest report
    /// of `type` among its ids, +1 when the descriptor uses no ids; 0 when none.
    uint32_t CollectionReportBytes(int topLevelIndex, ReportType type) const;
    /// The capabilities of one top-level collection and type, buttons or values.
    std::vector<Capability> CapsOf(int topLevelIndex, ReportType type, bool buttons) const;
};

/// Parses `size` bytes of `data`. Returns true and fills `out`; on malformed
/// input returns false, leaves `out` empty and sets `error` to a message naming
/// the byte offset and the problem. Never reads outside `data`.
bool ParseReportDescriptor(const uint8_t* data, size_t size, ReportDescriptor& out,
                           std::string& error);

}  // namespace tirk::hid
