// A user's own table of added device identities: what it may hold, how each
// mistake is named, how it joins the shipped table, and the udev rules made
// with it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "device/device_table.h"
#include "support/shipped_tables.h"
#include "vbus_test_support.h"

namespace tirk {
namespace {

using test::kShippedTablesPath;
using test::ShippedTables;

// One candidate object of a user's table: a mouse-like command interface,
// with members replaced by `changes` (raw JSON text; "" leaves the member out).
std::string Entry(const std::map<std::string, std::string>& changes = {}) {
    std::map<std::string, std::string> members = {
        {"vendor", "\"0x3A7D\""},
        {"product", "\"0x61F0\""},
        {"interface", "1"},
        {"collection", "4"},
        {"type", "2"},
        {"secondary", "0"},
        {"usagePage", "\"0xFF1C\""},
        {"usage", "\"0x92\""},
        {"partner", "null"},
    };
    for (const auto& [key, value] : changes) members[key] = value;
    std::string text;
    for (const auto& [key, value] : members)
        if (!value.empty()) text += (text.empty() ? "" : ", ") + ("\"" + key + "\": " + value);
    return "{ " + text + " }";
}

std::string Table(const std::vector<std::string>& entries, const std::string& more = "") {
    std::string list;
    for (const std::string& e : entries) list += (list.empty() ? "" : ",\n") + e;
    return "{ " + more + "\"candidates\": [\n" + list + "\n] }";
}

// A cabled mouse 0x61F0 and its receiver 0x61F1, command and notification
// interfaces, partners by index into this list.
std::string PairTable() {
    return Table({
        Entry({{"partner", "2"}}),
        Entry({{"collection", "3"},
               {"secondary", "255"},
               {"usagePage", "\"0x000C\""},
               {"usage", "\"0x01\""},
               {"partner", "3"}}),
        Entry({{"product", "\"0x61F1\""}, {"type", "6"}, {"partner", "0"}}),
        Entry({{"product", "\"0x61F1\""},
               {"type", "6"},
               {"collection", "3"},
               {"secondary", "255"},
               {"usagePage", "\"0x000C\""},
               {"usage", "\"0x01\""},
               {"partner", "1"}}),
    });
}

TEST(UserDeviceTable, EachMistakeIsNamedAndNothingIsAdded) {
    struct Case {
        const char* what;
        std::string content;
        const char* expectedProblem;
    };
    const Case cases[] = {
        {"not JSON", "{ \"candidates\": [", "not valid JSON"},
        {"not an object", "[]", "the top level is not an object"},
        {"no candidates", "{ \"format\": 1 }", "\"candidates\" is missing or not a list"},
        {"candidates not a list", "{ \"candidates\": {} }",
         "\"candidates\" is missing or not a list"},
        {"entry not an object", Table({"3"}), "candidates[0] is not an object"},
        {"member of the wrong type", Table({Entry({{"product", "true"}})}),
         "candidates[0].product is not an integer"},
        {"member out of range", Table({Entry({{"usagePage", "\"0x1FFFF\""}})}),
         "candidates[0].usagePage is out of range"},
        {"negative number", Table({Entry({{"interface", "-1"}})}),
         "candidates[0].interface is out of range"},
        {"member missing", Table({Entry({{"usage", ""}})}), "candidates[0].usage is missing"},
        {"second entry", Table({Entry(), Entry({{"collection", "\"four\""}})}),
         "candidates[1].collection is not an integer"},
        {"type no family serves", Table({Entry({{"type", "5"}})}),
         "candidates[0].type 5 is served by no device family (types: 1, 2, 3, 6, 7, 9)"},
        {"secondary code", Table({Entry({{"secondary", "7"}})}),
         "candidates[0].secondary 7 is neither 0"},
        {"vendor 0", Table({Entry({{"vendor", "0"}})}),
         "candidates[0].vendor 0 is no USB vendor id"},
        // 2 would be a shipped candidate; partners count within the user's list.
        {"partner outside the list", Table({Entry({{"partner", "2"}}), Entry()}),
         "candidates[0].partner 2 is not another candidate of this file"},
        {"partner itself", Table({Entry({{"partner", "0"}})}),
         "candidates[0].partner 0 is not another candidate of this file"},
        {"partner not mutual",
         Table({Entry({{"partner", "1"}}), Entry({{"type", "6"}, {"product", "\"0x61F1\""}})}),
         "candidates[0].partner 1 does not name candidates[0] as its partner"},
        {"partners of two cables",
         Table({Entry({{"partner", "1"}}), Entry({{"product", "\"0x61F1\""}, {"partner", "0"}})}),
         "candidates[0].partner 1: types 2 and 2 are not the cable and the receiver"},
        {"partners of two families",
         Table({Entry({{"partner", "1"}}), Entry({{"type", "9"}, {"partner", "0"}})}),
         "types 2 and 9 are not the cable and the receiver of one family"},
        {"partners of two roles",
         Table({Entry({{"partner", "1"}}),
                Entry({{"type", "6"}, {"secondary", "255"}, {"partner", "0"}})}),
         "candidates[0].partner 1 has another secondary code"},
        {"families", Table({Entry()}, "\"families\": [], "),
         "\"families\" cannot be added by a user table"},
        {"models", Table({Entry()}, "\"models\": [], "), "\"models\" cannot be added"},
        {"format", Table({Entry()}, "\"format\": 2, "), "format is out of range (2)"},
    };
    const DeviceTables shipped = ShippedTables();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceTables tables = shipped;
        std::string error;
        EXPECT_FALSE(
            AddUserCandidates(c.content, "/home/u/.config/TIRK/devices.json", &tables, &error));
        EXPECT_EQ(error.rfind("/home/u/.config/TIRK/devices.json: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.expectedProblem), std::string::npos) << error;
        EXPECT_EQ(tables.candidates, shipped.candidates) << "nothing added";
    }
}

TEST(UserDeviceTable, AddedCandidatesFollowTheShippedOnesWithPartnersMoved) {
    const DeviceTables shipped = ShippedTables();
    DeviceTables tables = shipped;
    std::string error;
    ASSERT_TRUE(AddUserCandidates(PairTable(), "user.json", &tables, &error)) << error;
    const size_t base = shipped.candidates.size();
    ASSERT_EQ(tables.candidates.size(), base + 4);
    EXPECT_EQ(
        std::vector<DeviceCandidate>(tables.candidates.begin(), tables.candidates.begin() + base),
        shipped.candidates)
        << "the shipped entries stay first and unchanged";
    EXPECT_EQ(tables.families.size(), shipped.families.size());

    const DeviceCandidate& cable = tables.candidates[base];
    EXPECT_EQ(cable.vendorId, 0x3A7D);
    EXPECT_EQ(cable.productId, 0x61F0);
    EXPECT_EQ(cable.interfaceNumber, 1);
    EXPECT_EQ(cable.collectionNumber, 4);
    EXPECT_EQ(cable.typeCode, kTypeMouse);
    EXPECT_EQ(cable.usagePage, 0xFF1C);
    EXPECT_EQ(cable.usage, 0x92);
    const size_t expectedPartner[] = {base + 2, base + 3, base, base + 1};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE("added candidate " + std::to_string(i));
        EXPECT_TRUE(tables.candidates[base + i].hasPartner);
        EXPECT_EQ(tables.candidates[base + i].partner, expectedPartner[i]);
    }
    EXPECT_EQ(tables.candidates[base + 1].secondaryCode, kRoleNotification);
    EXPECT_EQ(tables.candidates[base + 2].typeCode, kTypeMouseReceiver);

    // An empty list adds nothing and is no mistake.
    DeviceTables same = shipped;
    EXPECT_TRUE(
        AddUserCandidates("{ \"format\": 1, \"candidates\": [] }", "user.json", &same, &error))
        << error;
    EXPECT_EQ(same.candidates, shipped.candidates);
}

TEST(UserDeviceTable, WiredTypeOfReceivers) {
    EXPECT_EQ(WiredTypeOf(kTypeMouseReceiver), kTypeMouse);
    EXPECT_EQ(WiredTypeOf(kTypeKeyboardReceiver), kTypeKeyboard);
    for (uint16_t type : {kTypeKeyboard, kTypeMouse, kTypeMousePad, kTypeHeadset})
        EXPECT_EQ(WiredTypeOf(type), type);
}

class UserDeviceTableFile : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& content) {
        std::string path = m_folder.path() + "/" + name;
        std::ofstream(path) << content;
        return path;
    }
    // Loads the shipped table with the user file at `userPath`.
    bool Load(const std::string& userPath, DeviceTables* tables, std::string* userError,
              const std::string& shippedPath = kShippedTablesPath) {
        std::string error;
        bool ok =
            LoadDeviceTablesWithUserAdditions(shippedPath, userPath, tables, &error, userError);
        m_error = error;
        return ok;
    }
    vbus::test::TempRoot m_folder;
    std::string m_error;
};

TEST_F(UserDeviceTableFile, MissingUserFileIsNormal) {
    DeviceTables tables;
    std::string userError = "stale";
    ASSERT_TRUE(Load(m_folder.path() + "/TIRK/devices.json", &tables, &userError)) << m_error;
    EXPECT_EQ(userError, "");
    EXPECT_EQ(tables.candidates, ShippedTables().candidates);
}

TEST_F(UserDeviceTableFile, GoodUserFileAddsItsCandidates) {
    DeviceTables tables;
    std::string userError;
    ASSERT_TRUE(Load(Write("devices.json", PairTable()), &tables, &userError)) << m_error;
    EXPECT_EQ(userError, "");
    EXPECT_EQ(tables.candidates.size(), ShippedTables().candidates.size() + 4);
}

TEST_F(UserDeviceTableFile, BadUserFileIsReportedAndTheShippedTableIsUsedAlone) {
    struct Case {
        const char* what;
        std::string path;
        const char* expectedProblem;
    };
    const Case cases[] = {
        {"malformed", Write("bad.json", Table({Entry({{"partner", "9"}})})),
         "candidates[0].partner 9 is not another candidate of this file"},
        {"a folder", m_folder.path(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeviceTables tables;
        std::string userError;
        ASSERT_TRUE(Load(c.path, &tables, &userError)) << m_error;
        EXPECT_EQ(userError.rfind(c.path + ": ", 0), 0u) << userError;
        EXPECT_NE(userError.find(c.expectedProblem), std::string::npos) << userError;
        EXPECT_EQ(tables.candidates, ShippedTables().candidates);
    }
}

TEST_F(UserDeviceTableFile, BrokenShippedTableFailsWhateverTheUserFile) {
    DeviceTables tables;
    tables.families.resize(7);
    std::string userError;
    std::string shipped = Write("shipped.json", "{");
    EXPECT_FALSE(Load(Write("devices.json", PairTable()), &tables, &userError, shipped));
    EXPECT_EQ(m_error.rfind(shipped + ": not valid JSON", 0), 0u) << m_error;
    EXPECT_EQ(tables.families.size(), 7u) << "untouched";
}

TEST(UserDeviceTablePath, FollowsTheConfigFolder) {
    auto saved = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    auto restore = [](const char* name, const std::optional<std::string>& value) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    };
    const auto home = saved("HOME"), config = saved("XDG_CONFIG_HOME");
    setenv("HOME", "/home/ada", 1);
    setenv("XDG_CONFIG_HOME", "/srv/cfg/", 1);
    EXPECT_EQ(DefaultUserDeviceTablePath(), "/srv/cfg/TIRK/devices.json");
    setenv("XDG_CONFIG_HOME", "cfg", 1);  // relative: ignored
    EXPECT_EQ(DefaultUserDeviceTablePath(), "/home/ada/.config/TIRK/devices.json");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(DefaultUserDeviceTablePath(), "/home/ada/.config/TIRK/devices.json");
    restore("HOME", home);
    restore("XDG_CONFIG_HOME", config);
}

// The rules generator with a user's table: the added product gets its rule,
// the header names the file; a bad table fails with the member named.
TEST_F(UserDeviceTableFile, UdevRulesCoverTheUserTable) {
    std::string rules = m_folder.path() + "/70-vorpaline-tirk.rules";
    std::string user = Write("devices.json", PairTable());
    auto Run = [](const std::string& arguments) {
        return vbus::test::RunTool("tirk-udev-rules", arguments);
    };
    vbus::test::ToolResult result =
        Run("--user-table " + user + " " + kShippedTablesPath + " " + rules);
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::ifstream in(rules);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("# With the devices added in " + user), std::string::npos);
    for (const char* product : {"61e8", "61f0", "61f1"})
        EXPECT_NE(text.str().find(std::string("ATTRS{idVendor}==\"3a7d\", ATTRS{idProduct}==\"") +
                                  product + "\""),
                  std::string::npos)
            << product;

    std::string bad = Write("bad.json", Table({Entry({{"type", "5"}})}));
    result = Run("--user-table " + bad + " " + kShippedTablesPath + " " + rules);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find(bad + ": candidates[0].type 5"), std::string::npos)
        << result.output;
    result =
        Run("--user-table " + m_folder.path() + "/absent.json " + kShippedTablesPath + " " + rules);
    EXPECT_EQ(result.exitCode, 1) << "a user table named on the command line must exist";
    EXPECT_EQ(Run("--user-table").exitCode, 2);
}

}  // namespace
}  // namespace tirk
