// The mouse's recoil page in the real main window offscreen over the virtual
// mouse: the page's own controls send their notifications through the main
// window and the page command router, and the result is read back from the
// recoil files. Import and export go through the router with services whose
// file dialog answers as a user would.

#include "page_fixture.h"
#include "profile/panel/shoot_control.h"
#include "profile/recoil_tables.h"

namespace tirk {
namespace {

using namespace page_test;

const std::string kDefaults = TIRK_RESOURCE_DIR "/DefaultData/";

std::string ReadBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("-");
}

/// What the main window offers the routes, with a file dialog that answers
/// `chosen` (empty: cancelled) and messages kept instead of shown.
class DialogServices : public IPageServices {
public:
    explicit DialogServices(CTelvorinFamilyDevice* device) : m_device(device) {}
    CTelvorinFamilyDevice* CurrentDevice() override { return m_device; }
    void ShowMessage(const std::string& textKey, const std::string& detail) override {
        messages.push_back({textKey, detail});
    }
    bool Ask(const std::string&) override { return true; }
    std::string ChooseFile(FileDialogKind kind, const std::string& filter,
                           const std::string& suffix) override {
        dialogs.push_back({kind == FileDialogKind::kOpen ? "open" : "save", filter + " " + suffix});
        return chosen;
    }

    std::string chosen;
    std::vector<std::pair<std::string, std::string>> dialogs;
    std::vector<std::pair<std::string, std::string>> messages;

private:
    CTelvorinFamilyDevice* m_device;
};

class RecoilRoutesTest : public PageRoutesTest {
protected:
    void SetUp() override {
        PageRoutesTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(Start({"mouse"}, "mouse"));
        ASSERT_TRUE(Press("cursor_Op_tab"));  // the pointer tab shows the recoil page
        ASSERT_NE(Device().ShootPage(), nullptr);
    }
    std::string Table(int gun) const { return DataFolder("mouse") + RecoilFileName(gun); }
    CShootControlUI& Page() { return *Device().ShootPage(); }
    /// Clicks an option or check box as a user does: it sends "click" and "selectchanged".
    bool Click(const std::string& name) {
        auto* option = Sub<COptionUI>(name);
        return option && option->Activate();
    }
    /// Routes `type` from the page's control `name` with `services`.
    void Route(DialogServices& services, const char* type, const char* name) {
        CPageRouter router;
        router.AddRoutes(RecoilRoutes());
        TNotifyUI msg;
        msg.sType = type;
        msg.pSender = Device().FindSubControl(name);
        ASSERT_NE(msg.pSender, nullptr) << name;
        ASSERT_TRUE(router.Route(msg, services)) << name;
    }
    std::string ShotNumber() { return Sub<CControlUI>("bullet_select_index")->GetText(); }
    RecoilShot Shown() {
        return {IsSelected("bullet_x_check"), IsSelected("bullet_y_check"),
                uint8_t(std::stoi(EditText("bullet_x_eidt"))),
                uint8_t(std::stoi(EditText("bullet_y_eidt"))),
                uint16_t(std::stoi(EditText("bullet_delay_eidt")))};
    }
    RecoilShot Stored(int gun, int shot) {
        return RecoilTables(DataFolder("mouse"), kDefaults).ReadShot(gun, shot);
    }
};

TEST_F(RecoilRoutesTest, TheFirstStartCopiesTheDefaultsAndTheShotButtonsStopAtTheEnds) {
    for (int gun = 0; gun < kRecoilGuns; ++gun)
        EXPECT_EQ(ReadBytes(Table(gun)), ReadBytes(kDefaults + RecoilFileName(gun))) << gun;
    EXPECT_EQ(ShotNumber(), "1");

    ASSERT_TRUE(Press("bullet_selected_prev"));
    EXPECT_EQ(Page().SelectedShot(), 0);
    ASSERT_TRUE(Press("bullet_selected_next"));
    EXPECT_EQ(Page().SelectedShot(), 1);
    EXPECT_TRUE(IsSelected("bullet_op_1"));

    ASSERT_TRUE(Click("bullet_op_29"));
    EXPECT_EQ(ShotNumber(), "30");
    ASSERT_TRUE(Press("bullet_selected_next"));
    EXPECT_EQ(Page().SelectedShot(), 29);
    EXPECT_EQ(ShotNumber(), "30");
    EXPECT_TRUE(IsSelected("bullet_op_29"));
    EXPECT_EQ(Shown(), Stored(0, 29));
}

TEST_F(RecoilRoutesTest, AGunShowsItsPictureAndTableAndALeftEditWritesTheShot) {
    ASSERT_TRUE(Click("shoot_gun_op_2"));
    EXPECT_EQ(TabPage("shoot_image_display_switch"), 2);
    ASSERT_TRUE(Click("bullet_op_5"));
    EXPECT_EQ(Shown(), Stored(2, 5));

    const bool wasLeft = IsSelected("bullet_x_check");
    ASSERT_TRUE(Click("bullet_x_check"));
    EXPECT_EQ(Sub<CControlUI>("bullet_x_check")->GetTextKey(),
              wasLeft ? "mouse_move_to_right_text" : "mouse_move_to_left_text");
    EXPECT_EQ(Stored(2, 5).left, wasLeft) << "a check alone changes only its text";

    ASSERT_TRUE(Type("bullet_x_eidt", "42"));
    const RecoilShot stored = Stored(2, 5);
    EXPECT_EQ(stored.left, !wasLeft);
    EXPECT_EQ(stored.x, 42);
    const QJsonArray events =
        QJsonDocument::fromJson(QByteArray::fromStdString(ReadBytes(Table(2))))
            .object()["Events"]
            .toArray();
    const QString direction = wasLeft ? "up" : "down";
    EXPECT_EQ(events[6 * 5 + 2].toObject()["Action"].toString(), direction);
    EXPECT_EQ(events[6 * 5 + 4].toObject()["Action"].toString(), direction);
    EXPECT_EQ(ReadBytes(Table(1)), ReadBytes(kDefaults + RecoilFileName(1)));
}

TEST_F(RecoilRoutesTest, AValueStillBeingTypedIsKeptWhenAnotherShotIsChosen) {
    Sub<CEditUI>("bullet_delay_eidt")->SetText("321");  // typed, the edit still has the focus
    ASSERT_TRUE(Click("bullet_op_3"));
    EXPECT_EQ(Stored(0, 0).delay, 321);
    EXPECT_EQ(Shown(), Stored(0, 3));
}

TEST_F(RecoilRoutesTest, RestoreDefaultBringsBackTheInstalledTable) {
    ASSERT_TRUE(Type("bullet_y_eidt", "99"));
    ASSERT_NE(ReadBytes(Table(0)), ReadBytes(kDefaults + RecoilFileName(0)));
    ASSERT_TRUE(Press("shootdate_reset_btn"));
    EXPECT_EQ(ReadBytes(Table(0)), ReadBytes(kDefaults + RecoilFileName(0)));
    EXPECT_EQ(Shown(), Stored(0, 0));
}

TEST_F(RecoilRoutesTest, ImportAndExportGoThroughTheFileDialog) {
    DialogServices services(&Device());
    ASSERT_TRUE(Click("shoot_gun_op_1"));

    // Cancelled dialogs end it.
    Route(services, "click", "shootdate_import_btn");
    Route(services, "click", "shootdate_export_btn");
    using Dialogs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(services.dialogs, (Dialogs{{"open", "Shoot Files(*.shoot) shoot"},
                                         {"save", "Shoot Files(*.shoot) shoot"}}));
    EXPECT_TRUE(services.messages.empty());

    const std::string exported = hid_root_.path().toStdString() + "/gun2.shoot";
    services.chosen = exported;
    Route(services, "click", "shootdate_export_btn");
    EXPECT_EQ(ReadBytes(exported), ReadBytes(Table(1)));

    ASSERT_TRUE(Click("shoot_gun_op_3"));
    Route(services, "click", "shootdate_import_btn");
    EXPECT_EQ(ReadBytes(Table(3)), ReadBytes(Table(1)));
    EXPECT_EQ(Shown(), Stored(1, 0));

    const std::string broken = hid_root_.path().toStdString() + "/broken.shoot";
    WriteBytes(broken, "{\"Events\": 7}");
    const std::string before = ReadBytes(Table(3));
    services.chosen = broken;
    Route(services, "click", "shootdate_import_btn");
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].first, recoil_text::kImportRefused);
    EXPECT_EQ(services.messages[0].second, broken + ": \"Events\" is an integer, not an array");
    EXPECT_EQ(ReadBytes(Table(3)), before);
}

TEST_F(RecoilRoutesTest, SendingWithABrokenTableSaysWhichAndSendsNothing) {
    WriteBytes(Table(3), "{\"Events\": [");
    ASSERT_TRUE(Press("shootdate_save_btn"));
    const std::vector<std::string> shown = messages_->WaitAndTake();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find(Table(3)), std::string::npos) << shown[0];
    EXPECT_NE(shown[0].find("nothing was sent to the mouse"), std::string::npos) << shown[0];
}

TEST_F(PageRoutesTest, PagesWithoutRecoilTablesIgnoreTheRecoilCommands) {
    Start({"keyboard"}, "keyboard");
    DialogServices services(&Device());
    services.chosen = hid_root_.path().toStdString() + "/any.shoot";
    CPageRouter router;
    router.AddRoutes(RecoilRoutes());
    for (const char* name : {"shootdate_import_btn", "shootdate_export_btn", "shootdate_save_btn",
                             "shootdate_reset_btn", "bullet_selected_next"}) {
        CButtonUI sender;
        sender.SetName(name);
        TNotifyUI msg{"click", &sender};
        EXPECT_TRUE(router.Route(msg, services)) << name;
    }
    EXPECT_TRUE(services.dialogs.empty());
    EXPECT_TRUE(services.messages.empty());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(DataFolder("keyboard") + RecoilFileName(0))));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(services.chosen)));
}

}  // namespace
}  // namespace tirk
