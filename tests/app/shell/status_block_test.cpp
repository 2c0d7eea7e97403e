#include "app/shell/status_block.h"

#include <gtest/gtest.h>

#include "device/device_table.h"

namespace tirk {
namespace {

std::uint32_t IntAt(const std::vector<std::uint8_t>& block, std::size_t index) {
    const std::uint8_t* p = &block[index * 4];
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::vector<FamilyIdentity> FamiliesOf(const DeviceTables& tables) {
    std::vector<FamilyIdentity> families;
    for (const DeviceFamily& f : tables.families)
        families.push_back({f.vendorId, f.productId, static_cast<std::uint32_t>(f.typeCode)});
    return families;
}

// The block other programs receive for the shipped device table.
TEST(StatusBlockTest, ShippedTableGivesTheDocumentedBlock) {
    DeviceTables tables;
    std::string error;
    ASSERT_TRUE(LoadDeviceTables(TIRK_RESOURCE_DIR "/devices.json", &tables, &error)) << error;

    const std::vector<std::uint8_t> block = BuildStatusBlock(FamiliesOf(tables));
    ASSERT_EQ(block.size(), 1024u);
    const std::uint32_t expected[] = {2,      3, 0,      2,      4, 0x3A7D, 0x61E8, 2, 0x3A7D,
                                      0x61E4, 1, 0x3A7D, 0x61EA, 3, 0x0C76, 0x1630, 7};
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(IntAt(block, i), expected[i]) << i;
    for (std::size_t i = std::size(expected) * 4; i < block.size(); ++i)
        ASSERT_EQ(block[i], 0) << "byte " << i;
    // Little-endian on the wire, whatever the host.
    EXPECT_EQ(block[5 * 4], 0x7D);
    EXPECT_EQ(block[5 * 4 + 1], 0x3A);
}

TEST(StatusBlockTest, TooManyFamiliesAreCutAtTheBlockEnd) {
    const std::vector<FamilyIdentity> families(500, FamilyIdentity{1, 2, 3});
    const std::vector<std::uint8_t> block = BuildStatusBlock(families);
    ASSERT_EQ(block.size(), 1024u);
    const std::uint32_t fitting = (256 - 5) / 3;
    EXPECT_EQ(IntAt(block, 4), fitting);
    EXPECT_EQ(IntAt(block, 5 + 3 * (fitting - 1) + 2), 3u);
}

}  // namespace
}  // namespace tirk
