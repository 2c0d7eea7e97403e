// The in-memory records as the device protocols send them: exact widths,
// field order, little-endian 16-bit values, truncation to the field width.
#include <gtest/gtest.h>

#include "profile/hs6533_profiledata.h"
#include "profile/keyboard_profiledata.h"
#include "profile/mouse_profiledata.h"
#include "test_folder.h"

namespace {

using tirk::test::Bytes;
using tirk::test::LoadDeviceDocument;
using Raw = std::vector<uint8_t>;

class RecordsTest : public tirk::test::TestFolder {};

TEST_F(RecordsTest, ReadersFillTheRecordsByteForByte) {
    struct Case {
        const char* section;
        std::string json;
        Raw bytes;
    };
    const Case cases[] = {
        {"LightInfo",
         R"({"SelectItem":12,"Light":4,"Speed":2,"Fx":1,"MultiColor":5,"Red":255,"Green":256,
             "Blue":-1,"ZZCCLedMode":3,"CustomGroup":2,"OldLedmode":7})",
         {12, 4, 2, 1, 1, 255, 0, 255, 0, 0, 0, 3, 2, 7}},
        {"LightInfo",
         R"({"MultiColor":true,"Red":4294967297})",
         {0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"AudioLightInfo",
         R"({"AudioMode":6,"BkColorR":1,"BkColorG":2,"BkColorB":3,"FgColorR":4,"FgColorG":5,
             "FgColorB":6,"7ColorFlags":true,"ColorTypeFlags":2})",
         {6, 1, 2, 3, 4, 5, 6, 1, 1}},
        {"LightList",
         R"([{"LEDREGMode":3,"LEDBrightness":4,"LEDSpeed":5,"LEDMultiColor":1,"LEDDirection":1,
              "red":10,"green":20,"blue":300}])",
         {3, 4, 5, 1, 1, 10, 20, 44, 0, 0, 1, 0, 0, 0}},
        {"LightList", "[null]", Raw(14, 0)},
    };
    for (const Case& c : cases) {
        tirk::CBasicProfiledata profile;
        LoadDeviceDocument(profile, Path("p.Json"),
                           std::string("{\"") + c.section + "\":" + c.json + "}");
        Raw bytes;
        if (std::string(c.section) == "LightInfo") bytes = Bytes(profile.GetLightInfo());
        if (std::string(c.section) == "AudioLightInfo") bytes = Bytes(profile.GetAudioLightInfo());
        if (std::string(c.section) == "LightList") bytes = Bytes(profile.GetLightList().at(0));
        EXPECT_EQ(bytes, c.bytes) << c.section << " " << c.json;
    }
}

TEST_F(RecordsTest, DpiStagesAreLittleEndianAndTruncated) {
    struct Case {
        std::string stage;
        Raw bytes;
    } cases[] = {
        {R"({"StageActive":1,"StageXY":0,"StageDPIX":1600,"StageDPIY":4660,
             "StageColorR":255,"StageColorG":511,"StageColorB":-1})",
         {1, 0, 0x40, 0x06, 0x34, 0x12, 255, 255, 255}},
        {R"({"StageDPIX":70000,"StageDPIY":-2,"StageXY":true})",
         {0, 0, 0x70, 0x11, 0xFE, 0xFF, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        tirk::CMouseProfiledata profile;
        LoadDeviceDocument(profile, Path("p.Json"),
                           R"({"DPIStages":{"StageDPIs":[)" + c.stage + "]}}");
        const auto stages = profile.GetDpiStages();
        ASSERT_EQ(stages.size(), 1u);
        EXPECT_EQ(Bytes(stages[0]), c.bytes) << c.stage;
    }
}

TEST_F(RecordsTest, KeyListEntriesCarryIndexAndBothCodes) {
    std::string keys;
    for (int i = 0; i < 258; ++i) {
        keys += std::string(i ? "," : "") + R"({"Assignment":1245697,"DefaultAssignment":)" +
                std::to_string(0x100100 + i) + "}";
    }
    keys += R"(,{"Assignment":16777216,"DefaultAssignment":-1})";
    tirk::CBasicProfiledata profile;
    LoadDeviceDocument(profile, Path("p.Json"), "{\"KeyList\":[" + keys + "]}");
    const auto list = profile.GetKeyList();
    ASSERT_EQ(list.size(), 259u);
    // Code 1245697 = 0x130201; key 257 = 0x0101; default 0x100100 + 257 = 0x100201.
    EXPECT_EQ(Bytes(list[257]),
              (Raw{0x01, 0x01, 0x13, 0x02, 0x01, 0, 0x01, 0x01, 0x10, 0x02, 0x01, 0}));
    EXPECT_EQ(Bytes(list[258]), (Raw{0x02, 0x01, 0, 0, 0, 0, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0}))
        << "codes keep their low 24 bits";
}

TEST_F(RecordsTest, SettingsWordsPairTheValuesLowHalfFirst) {
    tirk::CMouseProfiledata mouse;
    LoadDeviceDocument(
        mouse, Path("m.Json"),
        R"({"SystemStages":{"DoubleClickTime":500,"MouseSpeed":10,"PointerPrecision":1,
                           "ScorllPage":0,"WheelScorlllinse":70000},"ReportStages":{"StageActive":3}})");
    EXPECT_EQ(mouse.GetPointerSettings(),
              (tirk::PointerSettings{{500u | 10u << 16, 1u, 0x1170u | 3u << 16}}));

    tirk::CKeyboardProfiledata keyboard;
    LoadDeviceDocument(keyboard, Path("k.Json"),
                       R"({"SystemStages":{"Repeat":31,"RepeatDelay":1,"Key6Flag":1,"PollingRate":3,
                           "WFlag":0,"WinFlag":1}})");
    EXPECT_EQ(keyboard.GetKeyboardSettings(),
              (tirk::KeyboardSettings{{31u | 1u << 16, 1u | 3u << 16, 1u << 16}}));

    tirk::CMouseProfiledata noSystem;
    LoadDeviceDocument(noSystem, Path("n.Json"), R"({"ReportStages":{"StageActive":3}})");
    EXPECT_EQ(noSystem.GetPointerSettings(), tirk::PointerSettings{})
        << "report rate alone gives nothing";
}

TEST_F(RecordsTest, WritersStoreRecordFieldsAsIntegers) {
    tirk::CMouseProfiledata profile;
    LoadDeviceDocument(profile, Path("p.Json"), "{}");
    tirk::DpiStage stage;
    stage.enabled = 1;
    stage.SetDpiX(0x1234);
    stage.SetDpiY(800);
    stage.red = 9;
    profile.SetDpiStages({stage});
    tirk::LightInfoRecord light;
    light.multiColor = 7;
    light.oldLedmode = 200;
    profile.SetLightInfo(light);
    profile.SetPointerSettings(500u | 10u << 16, 1u, 3u | 4u << 16);
    const Json::Value& doc = profile.Document();
    const Json::Value& s = doc["DPIStages"]["StageDPIs"][0];
    EXPECT_EQ(s["StageDPIX"].asInt(), 0x1234);
    EXPECT_EQ(s["StageDPIY"].asInt(), 800);
    EXPECT_EQ(s["StageColorR"].asInt(), 9);
    EXPECT_FALSE(doc["DPIStages"].isMember("StageActive"))
        << "SetDpiStages leaves the active stage";
    EXPECT_EQ(doc["LightInfo"]["MultiColor"].asInt(), 1) << "flags are written as 0 or 1";
    EXPECT_EQ(doc["LightInfo"]["OldLedmode"].asInt(), 200);
    EXPECT_EQ(doc["LightInfo"].size(), 11u);
    EXPECT_EQ(doc["SystemStages"]["MouseSpeed"].asInt(), 10);
    EXPECT_EQ(doc["SystemStages"]["WheelScorlllinse"].asInt(), 3);
    EXPECT_EQ(doc["ReportStages"]["StageActive"].asInt(), 4);
}

TEST(AssignmentCodeTest, PacksKindAndParameters) {
    const auto code = tirk::AssignmentCode::FromValue(0x7F120D0C);
    EXPECT_EQ(code, (tirk::AssignmentCode{0x12, 0x0D, 0x0C}));
    EXPECT_EQ(code.Value(), 0x120D0Cu);
}

}  // namespace
