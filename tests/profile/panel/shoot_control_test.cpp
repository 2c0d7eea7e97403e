// The recoil page over its real layout and the program's skin and installed
// defaults: page start, clamped selections, what the checks and edits show,
// what leaving an edit writes, and what the page shows after a reset or an
// import.
#include "profile/panel/shoot_control.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QWidget>
#include <cstdlib>
#include <filesystem>

#include "profile_panel_fixture.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/label.h"
#include "ui/ui_test_support.h"

namespace tirk::test {
namespace {

namespace fs = std::filesystem;

constexpr char kPageLayout[] = "XML/CustomControlXML/ShootControl.xml";
const std::string kDefaults = TIRK_RESOURCE_DIR "/DefaultData/";

std::unique_ptr<CShootControlUI> BuildPage() {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(kPageLayout));
    EXPECT_NE(root, nullptr) << builder.GetError();
    auto* page = dynamic_cast<CShootControlUI*>(root.get());
    EXPECT_NE(page, nullptr) << "the layout's root is the recoil page";
    if (page) root.release();
    return std::unique_ptr<CShootControlUI>(page);
}

/// The pulls and delay of shot b of a default table, as the file has them.
RecoilShot DefaultShot(int gun, int shot) {
    const Json::Value events = Parse(ReadText(kDefaults + RecoilFileName(gun)))["Events"];
    const Json::Value& x = events[6 * shot + 2];
    const Json::Value& y = events[6 * shot + 3];
    return {x["Action"] == "down", y["Action"] == "down", uint8_t(x["Button"].asInt()),
            uint8_t(y["Button"].asInt()), uint16_t(y["Delay"].asInt())};
}

class ShootControlTest : public TestFolder {
protected:
    static void SetUpTestSuite() {
        UseProgramSkin();
        CControlFactory::GetInstance()->RegistControl("ShootControl",
                                                      [] { return new CShootControlUI; });
    }
    void SetUp() override {
        TestFolder::SetUp();
        page_ = BuildPage();
        ASSERT_NE(page_, nullptr);
    }
    void Start() { page_->InitShootPage(Path("data"), kDefaults); }
    std::string Table(int gun) const { return Path("data/" + RecoilFileName(gun)); }

    template <typename T>
    T* Sub(const std::string& name) const {
        auto* control = dynamic_cast<T*>(page_->FindSubControl(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    std::string Text(const std::string& name) const { return Sub<CControlUI>(name)->GetText(); }
    std::string TextKey(const std::string& name) const {
        return Sub<CControlUI>(name)->GetTextKey();
    }
    bool Selected(const std::string& name) const { return Sub<COptionUI>(name)->IsSelected(); }
    /// The options of `prefix` 0 … count − 1 that are selected.
    std::vector<int> SelectedOptions(const std::string& prefix, int count) const {
        std::vector<int> selected;
        for (int i = 0; i < count; ++i)
            if (Selected(prefix + std::to_string(i))) selected.push_back(i);
        return selected;
    }
    /// What the checks and the edits show.
    RecoilShot Shown() const {
        return {Selected("bullet_x_check"), Selected("bullet_y_check"),
                uint8_t(std::stoi(Text("bullet_x_eidt"))),
                uint8_t(std::stoi(Text("bullet_y_eidt"))),
                uint16_t(std::stoi(Text("bullet_delay_eidt")))};
    }
    void Type(const std::string& edit, const std::string& text) {
        Sub<CEditUI>(edit)->SetText(text);
    }
    void Tick(const std::string& check, bool ticked) {
        Sub<CCheckBoxUI>(check)->SetCheck(ticked);
        page_->ShowDirectionTexts();  // what the router does on "selectchanged"
    }

    std::unique_ptr<CShootControlUI> page_;
};

TEST_F(ShootControlTest, AFreshInstallationGetsTheDefaultsAndShowsGun1Shot1) {
    Start();
    for (int gun = 0; gun < kRecoilGuns; ++gun)
        EXPECT_EQ(ReadText(Table(gun)), ReadText(kDefaults + RecoilFileName(gun))) << gun;
    EXPECT_EQ(SelectedOptions("shoot_gun_op_", kRecoilGuns), std::vector<int>{0});
    EXPECT_EQ(SelectedOptions("bullet_op_", kRecoilShots), std::vector<int>{0});
    EXPECT_EQ(Sub<CTabLayoutUI>("shoot_image_display_switch")->GetCurSel(), 0);
    EXPECT_EQ(Text("bullet_select_index"), "1");
    EXPECT_EQ(Shown(), DefaultShot(0, 0));
}

TEST_F(ShootControlTest, PageStartReplacesOnlyTablesThatAreMissingOrBroken) {
    fs::create_directories(Path("data"));
    WriteText(Table(1), "{ broken");
    const std::string mine =
        "{\"Events\":[null,null,{\"Action\":\"down\",\"Button\":7,"
        "\"Delay\":5,\"Type\":4}]}";
    WriteText(Table(2), mine);
    Start();
    EXPECT_EQ(ReadText(Table(1)), ReadText(kDefaults + RecoilFileName(1)));
    EXPECT_EQ(ReadText(Table(1) + ".broken"), "{ broken");
    EXPECT_EQ(ReadText(Table(2)), mine);
}

TEST_F(ShootControlTest, SelectionsAreClampedAndShowTheChosenShotOfTheChosenGun) {
    Start();
    const struct {
        int gun, shot;  // asked for
        int shownGun, shownShot;
    } cases[] = {{2, 11, 2, 11}, {3, 29, 3, 29}, {3, 30, 3, 29}, {-1, -1, 0, 0}, {9, 99, 3, 29}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.gun) + ", " + std::to_string(c.shot));
        page_->SelectGun(c.gun);
        page_->SelectShot(c.shot);
        EXPECT_EQ(page_->SelectedGun(), c.shownGun);
        EXPECT_EQ(page_->SelectedShot(), c.shownShot);
        EXPECT_EQ(SelectedOptions("shoot_gun_op_", kRecoilGuns), std::vector<int>{c.shownGun});
        EXPECT_EQ(SelectedOptions("bullet_op_", kRecoilShots), std::vector<int>{c.shownShot});
        EXPECT_EQ(Sub<CTabLayoutUI>("shoot_image_display_switch")->GetCurSel(), c.shownGun);
        EXPECT_EQ(Text("bullet_select_index"), std::to_string(c.shownShot + 1));
        EXPECT_EQ(Shown(), DefaultShot(c.shownGun, c.shownShot));
    }
}

TEST_F(ShootControlTest, TheCheckTextsFollowTheChecksAndTheFile) {
    fs::create_directories(Path("data"));
    WriteText(Table(0),
              "{\"Events\":[null,null,{\"Action\":\"Down\",\"Button\":3,\"Delay\":5,"
              "\"Type\":4},{\"Action\":\"up\",\"Button\":4,\"Delay\":80,\"Type\":5}]}");
    Start();
    EXPECT_EQ(Shown(), (RecoilShot{true, false, 3, 4, 80}));
    EXPECT_EQ(TextKey("bullet_x_check"), "mouse_move_to_left_text");
    EXPECT_EQ(TextKey("bullet_y_check"), "mouse_move_to_down_text");
    Tick("bullet_x_check", false);
    Tick("bullet_y_check", true);
    EXPECT_EQ(TextKey("bullet_x_check"), "mouse_move_to_right_text");
    EXPECT_EQ(TextKey("bullet_y_check"), "mouse_move_to_up_text");
    EXPECT_EQ(Text("bullet_x_check"), "Move right");
    // Only the texts: the file keeps the shot until an edit is left.
    EXPECT_EQ(page_->Tables().ReadShot(0, 0), (RecoilShot{true, false, 3, 4, 80}));
}

TEST_F(ShootControlTest, LeavingAnEditWritesTheWholeShotWithTheChecksAsTheyAre) {
    Start();
    page_->SelectShot(7);
    Tick("bullet_x_check", true);
    Type("bullet_x_eidt", "999");  // the edit clamps when left; the page too
    Type("bullet_y_eidt", "12");
    Type("bullet_delay_eidt", "abc");
    ASSERT_TRUE(page_->SaveShot());
    const Json::Value events = Parse(ReadText(Table(0)))["Events"];
    EXPECT_EQ(events[6 * 7 + 2]["Action"], "down");
    EXPECT_EQ(events[6 * 7 + 4]["Action"], "down");
    EXPECT_EQ(events[6 * 7 + 2]["Button"], 255);
    EXPECT_EQ(events[6 * 7 + 3]["Button"], 12);
    EXPECT_EQ(events[6 * 7 + 3]["Delay"], 0);
    page_->SelectShot(8);
    page_->SelectShot(7);
    EXPECT_EQ(Shown(), (RecoilShot{true, DefaultShot(0, 7).up, 255, 12, 0}));
}

TEST_F(ShootControlTest, TypedValuesAreKeptWhenTheShotChangesButChecksAloneAreNot) {
    Start();
    Tick("bullet_y_check", true);
    ASSERT_TRUE(page_->SaveTypedValues());
    EXPECT_EQ(page_->Tables().ReadShot(0, 0), DefaultShot(0, 0)) << "a check alone writes nothing";
    Type("bullet_delay_eidt", "250");
    ASSERT_TRUE(page_->SaveTypedValues());
    RecoilShot expected = DefaultShot(0, 0);
    expected.up = true;
    expected.delay = 250;
    EXPECT_EQ(page_->Tables().ReadShot(0, 0), expected);
}

TEST_F(ShootControlTest, ResetAndImportShowTheNewTableAndTellWhatWentWrong) {
    Start();
    page_->SelectGun(2);
    page_->SelectShot(4);
    Type("bullet_x_eidt", "77");
    ASSERT_TRUE(page_->SaveShot());
    ASSERT_TRUE(page_->ResetGun(2));
    EXPECT_EQ(Shown(), DefaultShot(2, 4));

    WriteText(Path("mine.shoot"), ReadText(kDefaults + RecoilFileName(3)));
    ASSERT_TRUE(page_->ImportGun(Path("mine.shoot")));
    EXPECT_EQ(Shown(), DefaultShot(3, 4));
    EXPECT_EQ(ReadText(Table(2)), ReadText(Path("mine.shoot")));
    EXPECT_EQ(ReadText(Table(3)), ReadText(kDefaults + RecoilFileName(3)));

    WriteText(Path("bad.shoot"), "[]");
    const RecoilResult refused = page_->ImportGun(Path("bad.shoot"));
    EXPECT_EQ(refused.textKey, recoil_text::kImportRefused);
    EXPECT_EQ(refused.detail.rfind(Path("bad.shoot") + ": ", 0), 0u) << refused.detail;
    EXPECT_EQ(Shown(), DefaultShot(3, 4));

    ASSERT_TRUE(page_->ExportGun(Path("out.shoot")));
    EXPECT_EQ(ReadText(Path("out.shoot")), ReadText(Table(2)));
}

// Not a check: with TIRK_RECOIL_SHOTS=<folder> it saves pictures of the page
// in every language (fonts as the main window has them), to look at.
TEST_F(ShootControlTest, Screenshots) {
    const char* folder = std::getenv("TIRK_RECOIL_SHOTS");
    if (!folder) GTEST_SKIP() << "set TIRK_RECOIL_SHOTS to a folder to get pictures";
    const std::string window = Path("window.xml");
    WriteText(window, std::string(R"(<Window size="559,372">
        <Font id="4" name="Noto Sans CJK SC" size="16"/>
        <Font id="5" name="Noto Sans CJK SC" size="20"/>
        <Font id="7" name="Noto Sans CJK SC" size="14"/>
        <Font id="8" name="Noto Sans CJK SC" size="12"/>
        <Font id="9" name="Noto Sans CJK SC" size="11"/>
        <Font name="Noto Sans CJK SC" size="14" default="true"/>
        <VerticalLayout bkcolor="#FF14161B"><Include source=")") +
                          kPageLayout + R"("/></VerticalLayout></Window>)");
    ui::test::RecordingWindow host(window);
    ASSERT_TRUE(host.CreateShown()) << host.GetLoadError();
    auto* page = host.Find<CShootControlUI>("ShootControlItem");
    ASSERT_NE(page, nullptr);
    page->InitShootPage(Path("data"), kDefaults);
    page->SelectGun(2);
    page->SelectShot(8);
    for (const char* language : {"en", "cn", "tw", "de", "es", "ru"}) {
        CResourceManager::GetInstance()->LoadLanguage(std::string("lan_") + language + ".xml");
        QCoreApplication::processEvents();
        host.GetWidget()->grab().save(
            QString::fromStdString(std::string(folder) + "/recoil-" + language + ".png"));
    }
    CResourceManager::GetInstance()->LoadLanguage("lan_en.xml");
}

}  // namespace
}  // namespace tirk::test
