// Malformed descriptors, and decoding input reports into data items.
#include "device/hid/hid_report_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "device/hid/hid_descriptor.h"

using namespace tirk::hid;
using Bytes = std::vector<uint8_t>;

namespace {

// Usage Page (Generic Desktop), Usage (Mouse), Collection (Application).
const Bytes kOpen = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01};

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Repeat(const Bytes& part, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) out.insert(out.end(), part.begin(), part.end());
    return out;
}

struct MalformedCase {
    const char* name;
    Bytes bytes;
    const char* errorPart;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const MalformedCase& c, std::ostream* out) { *out << c.name; }

class MalformedDescriptor : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedDescriptor, FailsWithAClearError) {
    const MalformedCase& c = GetParam();
    ReportDescriptor out;
    std::string error;
    EXPECT_FALSE(ParseReportDescriptor(c.bytes.data(), c.bytes.size(), out, error));
    EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
    EXPECT_TRUE(out.topLevel.empty());
    EXPECT_TRUE(out.fields.empty());
    HidReportLayout layout;
    EXPECT_FALSE(layout.Load(c.bytes.data(), c.bytes.size(), 0, error));
    EXPECT_FALSE(layout.Loaded());
}

const MalformedCase kMalformed[] = {
    {"Empty", {}, "empty"},
    {"TruncatedShortItem", {0x05}, "past the end"},
    {"TruncatedFourByteItem", Cat({kOpen, {0x27, 0x01, 0x00}}), "past the end"},
    {"TruncatedLongItem", Cat({kOpen, {0xFE, 0x05, 0x10, 0x01}}), "truncated long item"},
    {"LongItemHeaderOnly", {0xFE, 0x00}, "truncated long item"},
    {"ReportSizeAbsurd", Cat({kOpen, {0x76, 0x00, 0x10, 0x95, 0x01, 0x81, 0x02, 0xC0}}),
     "Report Size 4096"},
    {"ReportTooLong", Cat({kOpen, {0x75, 0x08, 0x96, 0xFF, 0xFF, 0x81, 0x02, 0xC0}}),
     "longer than 16384"},
    {"ReportCountHuge", Cat({kOpen, {0x75, 0x01, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0xC0}}),
     "Report Count"},
    {"SlotsAddUpPastLimit",
     Cat({kOpen,
          {0x85, 0x01, 0x75, 0x01, 0x96, 0x00, 0xF0, 0x81, 0x02, 0x85, 0x02, 0x81, 0x02, 0x85, 0x03,
           0x81, 0x02, 0xC0}}),
     "limit"},
    {"NestingTooDeep", Cat({Repeat({0xA1, 0x00}, 40), Repeat({0xC0}, 40)}), "nested deeper"},
    {"CollectionNotClosed", kOpen, "not closed"},
    {"EndWithoutCollection", {0xC0}, "End Collection without"},
    {"PopWithoutPush", Cat({kOpen, {0xB4, 0xC0}}), "Pop without"},
    {"PushTooDeep", Cat({kOpen, Repeat({0xA4}, 20), {0xC0}}), "Push nested deeper"},
    {"MainItemOutsideCollection", {0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, "outside any collection"},
    {"ReportIdZero", Cat({kOpen, {0x85, 0x00, 0xC0}}), "invalid Report ID 0"},
    {"NoCollectionAtAll", {0x05, 0x01}, "no top-level collection"},
};

INSTANTIATE_TEST_SUITE_P(Table, MalformedDescriptor, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

// A long item (none is defined, but they are legal) is skipped whole.
TEST(HidDescriptor, LongItemIsSkipped) {
    const Bytes plain = Cat({kOpen, {0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}});
    const Bytes withLong = Cat(
        {kOpen, {0xFE, 0x03, 0x42, 0x81, 0x02, 0x03}, {0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}});
    ReportDescriptor a, b;
    std::string error;
    ASSERT_TRUE(ParseReportDescriptor(plain.data(), plain.size(), a, error)) << error;
    ASSERT_TRUE(ParseReportDescriptor(withLong.data(), withLong.size(), b, error)) << error;
    ASSERT_EQ(b.reports.size(), 1u);
    EXPECT_EQ(b.reports[0].Bytes(ReportType::Input), a.reports[0].Bytes(ReportType::Input));
    EXPECT_EQ(b.fields.size(), 1u);
}

// Of a delimited set of alternative usages only the first one counts.
TEST(HidDescriptor, DelimiterKeepsFirstUsage) {
    const Bytes bytes = Cat({kOpen,
                             {0xA9, 0x01, 0x09, 0x30, 0x09, 0x31, 0xA9, 0x00, 0x09, 0x38, 0x75,
                              0x08, 0x95, 0x02, 0x81, 0x02, 0xC0}});
    ReportDescriptor d;
    std::string error;
    ASSERT_TRUE(ParseReportDescriptor(bytes.data(), bytes.size(), d, error)) << error;
    ASSERT_EQ(d.fields.size(), 1u);
    EXPECT_EQ(d.fields[0].UsageOfSlot(0), 0x10030u);
    EXPECT_EQ(d.fields[0].UsageOfSlot(1), 0x10038u);
}

// A 4-byte usage carries its own page; Push/Pop restore the page.
TEST(HidDescriptor, ExtendedUsageAndPushPop) {
    const Bytes bytes = Cat({kOpen,
                             {0xA4, 0x05, 0x09, 0x0B, 0x38, 0x02, 0x0C, 0x00, 0xB4, 0x09, 0x30,
                              0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0xC0}});
    ReportDescriptor d;
    std::string error;
    ASSERT_TRUE(ParseReportDescriptor(bytes.data(), bytes.size(), d, error)) << error;
    EXPECT_EQ(d.fields[0].UsageOfSlot(0), 0x000C0238u);
    EXPECT_EQ(d.fields[0].UsageOfSlot(1), 0x00010030u);
}

// Logical Minimum -127 makes the maximum 0xFF (-1) signed; with minimum 0 it is 255.
TEST(HidDescriptor, MaximumSignFollowsMinimum) {
    const Bytes negative =
        Cat({kOpen, {0x15, 0x81, 0x25, 0xFF, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}});
    const Bytes positive =
        Cat({kOpen, {0x15, 0x00, 0x25, 0xFF, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0}});
    ReportDescriptor d;
    std::string error;
    ASSERT_TRUE(ParseReportDescriptor(negative.data(), negative.size(), d, error));
    EXPECT_EQ(d.fields[0].logicalMin, -127);
    EXPECT_EQ(d.fields[0].logicalMax, -1);
    ASSERT_TRUE(ParseReportDescriptor(positive.data(), positive.size(), d, error));
    EXPECT_EQ(d.fields[0].logicalMax, 255);
}

// A gaming mouse: report 1 with five buttons, padding, X/Y/wheel (signed bytes,
// Y with a physical range); report 2 a consumer-control array.
const Bytes kMouse = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05,
                      0x09, 0x19, 0x01, 0x29, 0x05, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x05,
                      0x81, 0x02, 0x75, 0x03, 0x95, 0x01, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x15,
                      0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x01, 0x81, 0x06, 0x09, 0x31, 0x35, 0x00,
                      0x45, 0x64, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x81, 0x02,  // Y: 0..255 -> 0..100
                      0x35, 0x00, 0x45, 0x00, 0x09, 0x38, 0x15, 0x81, 0x25, 0x7F, 0x81, 0x06, 0xC0,
                      0xC0, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x19, 0x01, 0x2A, 0x8C,
                      0x02, 0x15, 0x01, 0x26, 0x8C, 0x02, 0x75, 0x10, 0x95, 0x02, 0x81, 0x00, 0xC0};

const HidDataItem* FindValue(const std::vector<HidDataItem>& items, uint16_t page, uint32_t usage) {
    for (const HidDataItem& item : items) {
        if (!item.isButton && item.usagePage == page && item.usage == usage) return &item;
    }
    return nullptr;
}

TEST(HidReportLayout, MouseLayoutAndLengths) {
    HidReportLayout layout;
    std::string error;
    ASSERT_TRUE(layout.Load(kMouse.data(), kMouse.size(), 0, error)) << error;
    EXPECT_EQ(layout.UsagePage(), 1);
    EXPECT_EQ(layout.Usage(), 2);
    EXPECT_EQ(layout.ReportBytes(ReportType::Input), 5u);
    EXPECT_EQ(layout.ReportBytes(ReportType::Output), 0u);
    EXPECT_TRUE(layout.OwnsInputReport(1));
    EXPECT_FALSE(layout.OwnsInputReport(2));
    ASSERT_EQ(layout.ButtonCaps(ReportType::Input).size(), 1u);
    EXPECT_EQ(layout.ValueCaps(ReportType::Input).size(), 3u);
    EXPECT_EQ(layout.MaxUsageListLength(ReportType::Input, 9), 5u);
    EXPECT_EQ(layout.ReportBuffer(ReportType::Input).size(), 5u);
}

TEST(HidReportLayout, DecodesButtonsAndValues) {
    HidReportLayout layout;
    std::string error;
    ASSERT_TRUE(layout.Load(kMouse.data(), kMouse.size(), 0, error)) << error;
    const uint8_t report[] = {0x01, 0x15, 0xFE, 0x80,
                              0x01};  // buttons 1, 3, 5; X -2; Y 128; wheel 1
    EXPECT_EQ(layout.ParseInputReport(report, sizeof report), kHidpStatusSuccess);
    const auto& items = layout.DataItems(ReportType::Input);
    ASSERT_TRUE(items[0].isButton);
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{1, 3, 5, 0, 0}));
    EXPECT_EQ(items[0].updated, 1u);
    const HidDataItem* x = FindValue(items, 1, 0x30);
    const HidDataItem* y = FindValue(items, 1, 0x31);
    const HidDataItem* wheel = FindValue(items, 1, 0x38);
    ASSERT_TRUE(x && y && wheel);
    EXPECT_EQ(x->rawValue, 0xFEu);
    EXPECT_EQ(x->scaledValue, -2);
    EXPECT_EQ(y->rawValue, 0x80u);
    EXPECT_EQ(y->scaledValue, 128 * 100 / 255);
    EXPECT_EQ(wheel->scaledValue, 1);
}

// A power device's status report: two read-only (constant) status bits with
// usages, then constant bits with the undefined usage 0. The named bits decode
// like any button; the padding bits give no item and are never reported.
TEST(HidReportLayout, NamedConstantBitsDecodeAndPaddingDoesNot) {
    const Bytes status = {0x05, 0x84, 0x09, 0x04, 0xA1, 0x01, 0x85, 0x01, 0x05, 0x85, 0x09,
                          0x44, 0x09, 0x45, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x02,
                          0x81, 0x83, 0x09, 0x00, 0x95, 0x06, 0x81, 0x03, 0xC0};
    HidReportLayout layout;
    std::string error;
    ASSERT_TRUE(layout.Load(status.data(), status.size(), 0, error)) << error;
    ASSERT_EQ(layout.ButtonCaps(ReportType::Input).size(), 2u);
    EXPECT_EQ(layout.MaxUsageListLength(ReportType::Input, 0x85), 2u);
    const uint8_t report[] = {0x01, 0xFE};  // Discharging on, every padding bit on
    EXPECT_EQ(layout.ParseInputReport(report, sizeof report), kHidpStatusSuccess);
    const auto& items = layout.DataItems(ReportType::Input);
    ASSERT_EQ(items.size(), 2u);
    // One item per listed usage: Charging (0x44) is off, Discharging (0x45) on.
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{0}));
    EXPECT_EQ(items[1].usageList, (std::vector<uint16_t>{0x45}));
}

// One 32-bit value with the given logical and physical ranges (4-byte items).
Bytes ThirtyTwoBitValue(uint32_t logicalMin, uint32_t logicalMax, uint32_t physicalMin,
                        uint32_t physicalMax) {
    auto item = [](uint8_t tag, uint32_t v) {
        return Bytes{tag, uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    };
    return Cat({kOpen,
                {0x09, 0x30},
                item(0x17, logicalMin),
                item(0x27, logicalMax),
                item(0x37, physicalMin),
                item(0x47, physicalMax),
                {0x75, 0x20, 0x95, 0x01, 0x81, 0x02, 0xC0}});
}

// Scaling maps the logical range onto the physical one; with full 32-bit
// ranges on both sides the intermediate product needs more than 64 bits.
TEST(HidReportLayout, ScalesExtremeRangesExactly) {
    constexpr uint32_t kMin = 0x80000000u, kMax = 0x7FFFFFFFu;
    struct Case {
        const char* what;
        Bytes descriptor;
        uint32_t raw;
        int32_t scaled;
    };
    const Case cases[] = {
        {"full ranges, top", ThirtyTwoBitValue(kMin, kMax, kMin, kMax), kMax, INT32_MAX},
        {"full ranges, bottom", ThirtyTwoBitValue(kMin, kMax, kMin, kMax), kMin, INT32_MIN},
        {"full ranges, middle", ThirtyTwoBitValue(kMin, kMax, kMin, kMax), 0, 0},
        {"full ranges, one below the top", ThirtyTwoBitValue(kMin, kMax, kMin, kMax), kMax - 1,
         INT32_MAX - 1},
        {"full logical onto 0..1000", ThirtyTwoBitValue(kMin, kMax, 0, 1000), kMax, 1000},
        {"0..1 onto the full range", ThirtyTwoBitValue(0, 1, kMin, kMax), 1, INT32_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HidReportLayout layout;
        std::string error;
        ASSERT_TRUE(layout.Load(c.descriptor.data(), c.descriptor.size(), 0, error)) << error;
        const uint8_t report[] = {0x00, uint8_t(c.raw), uint8_t(c.raw >> 8), uint8_t(c.raw >> 16),
                                  uint8_t(c.raw >> 24)};
        EXPECT_EQ(layout.ParseInputReport(report, sizeof report), kHidpStatusSuccess);
        const HidDataItem* value = FindValue(layout.DataItems(ReportType::Input), 1, 0x30);
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->rawValue, c.raw);
        EXPECT_EQ(value->scaledValue, c.scaled);
    }
}

TEST(HidReportLayout, ArrayUsagesAndForeignReports) {
    HidReportLayout consumer;
    std::string error;
    ASSERT_TRUE(consumer.Load(kMouse.data(), kMouse.size(), 1, error)) << error;
    const uint8_t volumeUp[] = {0x02, 0xE9, 0x00, 0x00, 0x00};
    EXPECT_EQ(consumer.ParseInputReport(volumeUp, sizeof volumeUp), kHidpStatusSuccess);
    const auto& items = consumer.DataItems(ReportType::Input);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{0xE9, 0}));

    // A report of an id no item has leaves every item as it was.
    HidReportLayout mouse;
    ASSERT_TRUE(mouse.Load(kMouse.data(), kMouse.size(), 0, error));
    const uint8_t foreign[] = {0x07, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(mouse.ParseInputReport(foreign, sizeof foreign), kHidpStatusSuccess);
    for (const HidDataItem& item : mouse.DataItems(ReportType::Input)) {
        EXPECT_EQ(item.updated, 0u);
        EXPECT_EQ(item.rawValue, 0u);
    }
    // Too short for its id: refused, nothing read.
    const uint8_t shortReport[] = {0x01, 0x01};
    EXPECT_EQ(mouse.ParseInputReport(shortReport, sizeof shortReport),
              kHidpStatusInvalidReportLength);
}

// Without report ids the report carries a 0 in byte 0 and lengths count it.
TEST(HidReportLayout, NoReportIds) {
    const Bytes bytes = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x05, 0x09, 0x19, 0x01, 0x29, 0x03,
                         0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0xC0};
    HidReportLayout layout;
    std::string error;
    ASSERT_TRUE(layout.Load(bytes.data(), bytes.size(), 0, error)) << error;
    EXPECT_FALSE(layout.ReportIdsUsed());
    EXPECT_EQ(layout.ReportBytes(ReportType::Input), 2u);
    EXPECT_EQ(layout.LargestInputOnWire(), 1u);
    const uint8_t report[] = {0x00, 0x82};  // button 2, and bit 7 beyond the range
    EXPECT_EQ(layout.ParseInputReport(report, sizeof report), kHidpStatusSuccess);
    const auto& items = layout.DataItems(ReportType::Input);
    ASSERT_EQ(items.size(), 1u);
    // The last usage repeats over the slots left over, so bit 7 reports usage 3.
    EXPECT_EQ(items[0].usageList, (std::vector<uint16_t>{2, 3, 0}));
}

TEST(HidReportLayout, MissingCollectionIsAnError) {
    HidReportLayout layout;
    std::string error;
    EXPECT_FALSE(layout.Load(kMouse.data(), kMouse.size(), 2, error));
    EXPECT_NE(error.find("no top-level collection 3"), std::string::npos) << error;
}

}  // namespace
