// Members of an unexpected JSON type read as missing: no exception, no
// assertion, the reader's empty or zero result; writers replace them.
#include <gtest/gtest.h>

#include <functional>

#include "profile/hs6533_profiledata.h"
#include "profile/json_access.h"
#include "profile/keyboard_profiledata.h"
#include "profile/mouse_profiledata.h"
#include "test_folder.h"

namespace {

using tirk::test::LoadDeviceDocument;
using tirk::test::Parse;

class WrongTypeTest : public tirk::test::TestFolder {
public:
    template <typename Profile>
    void Load(Profile& profile, const std::string& document) {
        LoadDeviceDocument(profile, Path("p.Json"), document);
    }
};

TEST_F(WrongTypeTest, ReadersTreatMistypedMembersAsMissing) {
    struct Case {
        const char* document;
        std::function<void(WrongTypeTest&, const std::string&)> check;
    };
    const std::vector<Case> cases = {
        {R"({"KeyList":{"Assignment":1}})",
         [](WrongTypeTest& t, const std::string& doc) {
             tirk::CMouseProfiledata p;
             t.Load(p, doc);
             EXPECT_TRUE(p.GetKeyList().empty());
         }},
        {R"({"KeyList":[5,{"Assignment":"x","DefaultAssignment":1048832},[]]})",
         [](WrongTypeTest& t, const std::string& doc) {
             tirk::CMouseProfiledata p;
             t.Load(p, doc);
             const auto list = p.GetKeyList();
             ASSERT_EQ(list.size(), 3u);
             EXPECT_EQ(list[0].current.code.Value(), 0u);
             EXPECT_EQ(list[1].current.code.Value(), 0u);
             EXPECT_EQ(list[1].defaultHalf.code.Value(), 0x100100u);
             EXPECT_EQ(list[2].defaultHalf.KeyIndex(), 2);
         }},
        {R"({"LightInfo":"red","AudioLightInfo":[1,2]})",
         [](WrongTypeTest& t, const std::string& doc) {
             tirk::CKeyboardProfiledata p;
             t.Load(p, doc);
             EXPECT_EQ(p.GetLightInfo(), tirk::LightInfoRecord{});
             EXPECT_EQ(p.GetAudioLightInfo(), tirk::AudioLightRecord{});
         }},
        {R"({"LightInfo":{"Red":"255","Green":3.0,"Blue":3.5,"MultiColor":"yes","Fx":null,"Light":{}}})",
         [](WrongTypeTest& t, const std::string& doc) {
             tirk::CBasicProfiledata p;
             t.Load(p, doc);
             const auto light = p.GetLightInfo();
             EXPECT_EQ(light.red, 0);
             EXPECT_EQ(light.green, 3) << "an integral real is an integer";
             EXPECT_EQ(light.blue, 0);
             EXPECT_EQ(light.multiColor, 0);
             EXPECT_EQ(light.light, 0);
         }},
        {R"({"LightList":[null,3,"x",{"LEDREGMode":"1","red":200}]})",
         [](WrongTypeTest& t, const std::string& doc) {
             tirk::CBasicProfiledata p;
             t.Load(p, doc);
             const auto list = p.GetLightList();
             ASSERT_EQ(list.size(), 4u);
             EXPECT_EQ(list[1], tirk::LedEffect{});
             EXPECT_EQ(list[3].present, 1);
             EXPECT_EQ(list[3].mode, 0);
             EXPECT_EQ(list[3].red, 200);
         }},
        {R"({"DPIStages":{"StageActive":"2","StageDPIs":{"0":{}}}})",
         [](WrongTypeTest& t, const std::string& doc) {
             tirk::CMouseProfiledata p;
             t.Load(p, doc);
             EXPECT_TRUE(p.GetDpiStages().empty());
             EXPECT_EQ(p.GetActiveDpiStage(), 0);
         }},
        {R"({"DPIStages":[1],"SystemStages":[],"ReportStages":5,"CorrectInfo":{}})",
         [](WrongTypeTest& t, const std::string& doc) {
             tirk::CMouseProfiledata p;
             t.Load(p, doc);
             EXPECT_TRUE(p.GetDpiStages().empty());
             EXPECT_EQ(p.GetPointerSettings(), tirk::PointerSettings{});
             EXPECT_TRUE(p.GetCorrectPresets().empty());
         }},
        {R"({"SystemStages":{"Repeat":"fast","RepeatDelay":1},"CustomLightMode":7})",
         [](WrongTypeTest& t, const std::string& doc) {
             tirk::CKeyboardProfiledata p;
             t.Load(p, doc);
             EXPECT_EQ(p.GetKeyboardSettings().words[0], 1u << 16);
             EXPECT_EQ(p.GetCustomLightGroup(), 0);
             EXPECT_EQ(p.GetCustomLightColors(0, 2).size(), 2u);
             EXPECT_EQ(p.Document()["CustomLightMode"]["LightColorInfo"][0].size(), 2u)
                 << "the mistyped section is replaced when written";
         }},
        {R"({"SystemSetStages":"on","EQHzValueInfo":"x","CustomEQNameInfo":[{"Name":5},"x"]})",
         [](WrongTypeTest& t, const std::string& doc) {
             tirk::CHs6533Profiledata p;
             t.Load(p, doc);
             EXPECT_EQ(p.GetHeadsetSettings(), tirk::HeadsetSettings{});
             EXPECT_EQ(p.GetEqBands(2), std::vector<int32_t>(10, 0));
             EXPECT_TRUE(p.Document()["EQHzValueInfo"].isArray());
             EXPECT_EQ(p.GetCustomEqNames(), (std::vector<std::wstring>{L"", L""}));
         }},
        {R"({"EQHzValueInfo":[0,{"a":1},[{"value":"5"},7,{"value":4}]]})",
         [](WrongTypeTest& t, const std::string& doc) {
             tirk::CHs6533Profiledata p;
             t.Load(p, doc);
             EXPECT_EQ(p.GetEqBands(1), std::vector<int32_t>(10, 0));
             EXPECT_EQ(p.GetEqBands(2), (std::vector<int32_t>{0, 0, 4, 0, 0, 0, 0, 0, 0, 0}));
             EXPECT_EQ(p.Document()["EQHzValueInfo"][2][1], Parse(R"({"value":0})"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        c.check(*this, c.document);
    }
}

TEST_F(WrongTypeTest, WritersReplaceMistypedSections) {
    tirk::CMouseProfiledata p;
    Load(p,
         R"({"KeyList":"none","DPIStages":[],"SystemStages":3,"ReportStages":"x","LightInfo":[]})");
    p.SetKeyList(std::vector<tirk::KeyListEntry>(2));
    p.SetDpiStages(std::vector<tirk::DpiStage>(1));
    p.SetActiveDpiStage(0);
    p.SetPointerSettings(1, 2, 3);
    p.SetLightInfo({});
    ASSERT_TRUE(p.SaveProfile());
    tirk::CMouseProfiledata reloaded;
    reloaded.LoadDocument(Path("p.Json"));
    EXPECT_EQ(reloaded.GetKeyList().size(), 2u);
    EXPECT_EQ(reloaded.GetDpiStages().size(), 1u);
    EXPECT_EQ(reloaded.GetPointerSettings(), (tirk::PointerSettings{{1, 2, 3}}));
}

TEST(JsonAccess, LargeUnsignedValuesWrapInsteadOfThrowing) {
    const Json::Value object =
        Parse(R"({"big":18446744073709551615,"neg":-5,"real":1e300,"str":"1"})");
    EXPECT_EQ(tirk::json::IntOr(&object, "big"), -1);
    EXPECT_EQ(tirk::json::IntOr(&object, "neg"), -5);
    EXPECT_EQ(tirk::json::IntOr(&object, "real", 7), 7);
    EXPECT_EQ(tirk::json::IntOr(&object, "str", 7), 7);
    EXPECT_EQ(tirk::json::IntOr(nullptr, "str", 7), 7);
    const Json::Value notObject(3);
    EXPECT_EQ(tirk::json::IntOr(&notObject, "x", 7), 7);
    EXPECT_EQ(tirk::json::FindArray(notObject, "x"), nullptr);
}

// Every caller relies on these finders to hand back nothing, not throw, for a
// value of the wrong shape: jsoncpp's own find() throws on a number.
TEST(JsonAccess, FindersGiveNothingForTheWrongShape) {
    const Json::Value object = Parse(R"({"gone":null,"n":0,"list":[1,null]})");
    const Json::Value number(3);
    EXPECT_EQ(tirk::json::FindMember(number, "n"), nullptr);
    EXPECT_EQ(tirk::json::FindPresent(number, "n"), nullptr);
    ASSERT_NE(tirk::json::FindMember(object, "gone"), nullptr);
    EXPECT_EQ(tirk::json::FindPresent(object, "gone"), nullptr) << "null reads as missing";
    EXPECT_EQ(tirk::json::FindPresent(object, "missing"), nullptr);
    EXPECT_EQ(tirk::json::FindPresent(object, "n"), &object["n"]) << "zero is present";

    const Json::Value& list = object["list"];
    EXPECT_EQ(tirk::json::FindElement(list, 1), &list[1]) << "a null element is still there";
    for (int64_t index : {int64_t(-1), int64_t(2), int64_t(1) << 32})
        EXPECT_EQ(tirk::json::FindElement(list, index), nullptr) << index;
    EXPECT_EQ(tirk::json::FindElement(object, 0), nullptr);
    EXPECT_EQ(tirk::json::FindElement(number, 0), nullptr);
}

}  // namespace
