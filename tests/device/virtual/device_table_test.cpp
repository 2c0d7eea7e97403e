// The identity tables as shipped, the loader's errors for bad files, and the
// udev rules made from the tables.
#include "device/device_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "device/udev_rules.h"
#include "support/shipped_tables.h"
#include "vbus_test_support.h"

namespace tirk {
namespace {

using test::kShippedTablesPath;
using test::ShippedTables;

TEST(DeviceTables, ShippedCandidatesAreTheElevenInterfacesInOrder) {
    struct Row {
        uint16_t vendor, product, mi, col, type, secondary, page, usage;
        int partner;  // -1: none
    };
    const Row expected[] = {
        {0x3A7D, 0x61E4, 1, 4, 1, 0, 0xFF1C, 0x92, 2},
        {0x3A7D, 0x61E4, 1, 3, 1, 255, 0x000C, 0x01, 3},
        {0x3A7D, 0x61E6, 1, 4, 9, 0, 0xFF1C, 0x92, 0},
        {0x3A7D, 0x61E6, 1, 3, 9, 255, 0x000C, 0x01, 1},
        {0x3A7D, 0x61E8, 1, 4, 2, 0, 0xFF1C, 0x92, 6},
        {0x3A7D, 0x61E8, 1, 3, 2, 255, 0x000C, 0x01, 7},
        {0x3A7D, 0x61E9, 1, 4, 6, 0, 0xFF1C, 0x92, 4},
        {0x3A7D, 0x61E9, 1, 3, 6, 255, 0x000C, 0x01, 5},
        {0x3A7D, 0x61EA, 1, 4, 3, 0, 0xFF1C, 0x92, -1},
        {0x3A7D, 0x61EA, 1, 3, 3, 255, 0x000C, 0x01, -1},
        {0x0C76, 0x1630, 3, 0, 7, 0, 0x000C, 0x01, -1},
    };
    DeviceTables tables = ShippedTables();
    ASSERT_EQ(tables.candidates.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE("candidate " + std::to_string(i));
        const DeviceCandidate& c = tables.candidates[i];
        const Row& r = expected[i];
        EXPECT_EQ(c.vendorId, r.vendor);
        EXPECT_EQ(c.productId, r.product);
        EXPECT_EQ(c.interfaceNumber, r.mi);
        EXPECT_EQ(c.collectionNumber, r.col);
        EXPECT_EQ(c.typeCode, r.type);
        EXPECT_EQ(c.secondaryCode, r.secondary);
        EXPECT_EQ(c.usagePage, r.page);
        EXPECT_EQ(c.usage, r.usage);
        EXPECT_EQ(c.hasPartner, r.partner >= 0);
        if (r.partner >= 0) {
            EXPECT_EQ(c.partner, r.partner);
            // Partners point at each other.
            EXPECT_EQ(tables.candidates[c.partner].partner, i);
        }
    }
}

TEST(DeviceTables, ShippedFamiliesAndModelsMatchTheirCandidates) {
    DeviceTables tables = ShippedTables();
    ASSERT_EQ(tables.families.size(), 4u);
    ASSERT_EQ(tables.models.size(), 4u);
    const char* names[] = {"mouse", "keyboard", "MousePad", "HD"};
    const int leds[] = {15, 170, 15, 13};
    const int keys[] = {11, 170, 0, 0};
    const int lightingIndex[] = {1, 0, 2, 3};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(names[i]);
        const DeviceFamily& f = tables.families[i];
        EXPECT_EQ(f.name, names[i]);
        EXPECT_EQ(f.tileLayout, "XML\\CustomControlXML\\DeviceOption.xml");
        EXPECT_EQ(f.lightingIndex, lightingIndex[i]);
        EXPECT_EQ(tables.models[i].ledCount, leds[i]);
        EXPECT_EQ(tables.models[i].keyCount, keys[i]);
        EXPECT_EQ(tables.models[i].hasPowerTile, i == 0);
        EXPECT_EQ(tables.models[i].lightingName, "zintu_light");
        // The family's device is its wired command candidate.
        int candidate = FindCandidate(tables, f.typeCode, kRoleCommand);
        ASSERT_GE(candidate, 0);
        EXPECT_EQ(f.vendorId, tables.candidates[candidate].vendorId);
        EXPECT_EQ(f.productId, tables.candidates[candidate].productId);
    }
    EXPECT_EQ(tables.models[3].pageLayout, "XML\\DeviceXml\\hs6533device.xml");
}

class BadTables : public ::testing::Test {
protected:
    std::string Write(const std::string& content) {
        std::string path = root_.path() + "/devices.json";
        std::ofstream(path) << content;
        return path;
    }
    static std::string Shipped() {
        std::ifstream in(kShippedTablesPath);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::string Replace(std::string text, const std::string& from, const std::string& to) {
        size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
        return text;
    }
    vbus::test::TempRoot root_;
};

TEST_F(BadTables, ErrorNamesTheFileAndTheProblem) {
    struct Case {
        const char* what;
        std::string content;
        const char* expectedProblem;
    };
    const std::string shipped = Shipped();
    const Case cases[] = {
        {"not JSON", "{ \"candidates\": [", "not valid JSON"},
        {"not an object", "[1, 2]", "top level is not an object"},
        {"no candidates", Replace(shipped, "\"candidates\"", "\"candidatez\""),
         "\"candidates\" is missing"},
        {"id not hex", Replace(shipped, "\"0x61E4\"", "\"61E4h\""),
         "candidates[0].product is not an integer"},
        {"id too wide", Replace(shipped, "\"0x61E4\"", "\"0x161E4\""),
         "candidates[0].product is out of range"},
        {"number beyond int64",
         Replace(shipped, "\"interface\": 1,", "\"interface\": 18446744073709551615,"),
         "candidates[0].interface is out of range"},
        {"real beyond int64", Replace(shipped, "\"interface\": 1,", "\"interface\": 1.8e19,"),
         "candidates[0].interface is out of range"},
        {"missing field", Replace(shipped, "\"usage\": \"0x92\", \"partner\": 2", "\"partner\": 2"),
         "candidates[0].usage is missing"},
        {"partner outside", Replace(shipped, "\"partner\": 2 }", "\"partner\": 11 }"),
         "candidates[0].partner 11 is not another candidate"},
        {"model order", Replace(shipped, "\"family\": \"mouse\"", "\"family\": \"keyboard\""),
         "models must follow the family order"},
        {"flag not bool", Replace(shipped, "\"powerTile\": true", "\"powerTile\": 1"),
         "models[0].powerTile is not true or false"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string path = Write(c.content);
        DeviceTables tables;
        tables.families.resize(7);  // must stay untouched on failure
        std::string error;
        EXPECT_FALSE(LoadDeviceTables(path, &tables, &error));
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << error;
        EXPECT_NE(error.find(c.expectedProblem), std::string::npos) << error;
        EXPECT_EQ(tables.families.size(), 7u);
    }
}

TEST_F(BadTables, MissingFileIsNamed) {
    DeviceTables tables;
    std::string error;
    std::string path = root_.path() + "/absent.json";
    EXPECT_FALSE(LoadDeviceTables(path, &tables, &error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
}

TEST(UdevRules, PackagedRulesAreGeneratedFromTheShippedTables) {
    std::ifstream in(std::string(TIRK_RESOURCE_DIR) + "/../packaging/70-vorpaline-tirk.rules");
    std::stringstream packaged;
    packaged << in.rdbuf();
    EXPECT_EQ(packaged.str(), MakeUdevRules(ShippedTables()))
        << "run scripts/gen-udev-rules.sh after editing resources/devices.json";
}

TEST(UdevRules, OneUaccessRulePerProduct) {
    std::string rules = MakeUdevRules(ShippedTables());
    for (const char* product : {"61e4", "61e6", "61e8", "61e9", "61ea", "1630"}) {
        std::string match = std::string("ATTRS{idProduct}==\"") + product + "\"";
        size_t first = rules.find(match);
        ASSERT_NE(first, std::string::npos) << product;
        EXPECT_EQ(rules.find(match, first + 1), std::string::npos) << product << " twice";
    }
    EXPECT_NE(rules.find("ATTRS{idVendor}==\"0c76\", ATTRS{idProduct}==\"1630\", "
                         "TAG+=\"uaccess\""),
              std::string::npos);
}

}  // namespace
}  // namespace tirk
