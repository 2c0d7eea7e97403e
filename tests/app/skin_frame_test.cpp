// The skin picker on the program's own skin, over a stand-in main window that
// receives the skins as the real one does: every button, the custom picture
// (chosen, cancelled, unreadable), "main.ini", placement and closing.
#include "app/skin_frame.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/temp_folder.h"
#include "test_application.h"
#include "ui/button.h"
#include "ui/container.h"
#include "ui/image_string.h"
#include "ui/paint_manager.h"

namespace tirk {
namespace {

constexpr char kOwnerLayout[] = R"(<Window size="600,400" frameless="true">
  <VerticalLayout name="root" bkcolor="#FF14161B">
    <HorizontalLayout height="48">
      <Control/>
      <Button name="skinbtn" width="40"/>
      <Button name="setbtn" width="40"/>
    </HorizontalLayout>
    <Button name="elsewhere"/>
  </VerticalLayout>
</Window>)";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class OwnerWindow : public WindowImplBase {
public:
    explicit OwnerWindow(std::string layout) : m_layout(std::move(layout)) {}
    std::string GetSkinFile() override { return m_layout; }

private:
    std::string m_layout;
};

class SkinFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication<QApplication>("skin_frame_test");
        ASSERT_TRUE(m_folder.valid());
        CPaintManagerUI::SetResourcePath(TIRK_RESOURCE_DIR "/skin/");
        WriteText(m_folder.path() + "/owner.xml", kOwnerLayout);
        m_owner = std::make_unique<OwnerWindow>(m_folder.path() + "/owner.xml");
        ASSERT_TRUE(m_owner->Create(nullptr, "owner")) << m_owner->GetLoadError();
        m_owner->GetWidget()->move(100, 80);
        m_owner->ShowWindow(true);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_owner->GetWidget()));
        SkinReceivers::Instance().Add(this, [this](const SkinRecord& skin) {
            m_received.push_back(skin);
            ApplySkin(m_owner->GetPaintManager(), skin);
        });
    }
    void TearDown() override {
        CSkinFrame::CloseOpen();
        QTest::qWait(0);  // the closed frame deletes itself from the event loop
        SkinReceivers::Instance().Remove(this);
    }

    std::string IniPath() const { return m_folder.path() + "/data/main.ini"; }

    CSkinFrame* Open() {
        CSkinFrame::Hooks hooks;
        hooks.iniPath = IniPath();
        hooks.chooseFile = [this](QWidget*) {
            ++m_dialogs;
            return m_choice;
        };
        hooks.tellUser = [this](const std::string& key, const std::string& detail) {
            m_told.push_back(key + " | " + detail);
        };
        CSkinFrame* frame = CSkinFrame::Toggle(
            *m_owner, m_owner->GetPaintManager().FindControl("skinbtn"), std::move(hooks));
        EXPECT_NE(frame, nullptr);
        return frame;
    }
    CControlUI* Root() { return m_owner->GetPaintManager().FindControl("root"); }
    static std::vector<CButtonUI*> Buttons(CSkinFrame& frame, const std::string& name) {
        std::vector<CButtonUI*> found;
        for (QWidget* widget :
             frame.GetWidget()->findChildren<QWidget*>(QString::fromStdString(name)))
            if (auto* button = dynamic_cast<CButtonUI*>(widget)) found.push_back(button);
        return found;
    }
    static void Click(CSkinFrame& frame, const std::string& name) {
        std::vector<CButtonUI*> buttons = Buttons(frame, name);
        ASSERT_FALSE(buttons.empty()) << name;
        ASSERT_TRUE(buttons.front()->Activate()) << name;
    }
    /// A copy of a skin picture under a name the image strings must quote.
    std::string AwkwardPicture() {
        const std::string path = m_folder.path() + "/my pictures=new/it's mine.png";
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::filesystem::copy_file(TIRK_RESOURCE_DIR "/skin/common/skin/dusk.png", path);
        return path;
    }

    test::TempFolder m_folder{{.prefix = "tirk-skin"}};
    std::unique_ptr<OwnerWindow> m_owner;
    std::vector<SkinRecord> m_received;
    std::optional<std::string> m_choice;
    int m_dialogs = 0;
    std::vector<std::string> m_told;
};

TEST_F(SkinFrameTest, OpensAsATopmostToolWindowUnderTheSkinButton) {
    CSkinFrame* frame = Open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame->GetWidget()));
    EXPECT_EQ(frame->GetWindowClassName(), "UISkinFrame");
    EXPECT_EQ(frame->GetWidget()->windowTitle(), "skinframe");
    const Qt::WindowFlags flags = frame->GetWidget()->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::Tool));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));

    QWidget* button = m_owner->GetPaintManager().FindControl("skinbtn");
    const QPoint corner = button->mapToGlobal(QPoint(button->width(), button->height()));
    const QRect placed = frame->GetWidget()->frameGeometry();
    EXPECT_EQ(placed.right() + 1, corner.x());
    EXPECT_EQ(placed.top(), corner.y());
    EXPECT_EQ(CSkinFrame::GetOpen(), frame);
}

TEST_F(SkinFrameTest, EveryPictureButtonPaintsTheRootAndNotesMainIni) {
    CSkinFrame* frame = Open();
    const std::vector<CButtonUI*> buttons = Buttons(*frame, "skin_image_btn");
    ASSERT_GE(buttons.size(), 5u);
    for (CButtonUI* button : buttons) {
        const std::string image = button->GetUserData();
        TSizeUI size;
        ASSERT_TRUE(GetImageSize(image, &size)) << image << " is not in the skin";
        Root()->SetBkColor(0xFF112233);
        ASSERT_TRUE(button->Activate());
        EXPECT_EQ(Root()->GetBkImage(), image);
        EXPECT_EQ(Root()->GetBkColor(), 0u);
        EXPECT_EQ(ReadText(IniPath()), "[SKINIMAGE]\nFLAGS=1\nIMAGE=" + image + "\n");
    }
    EXPECT_EQ(m_received.size(), buttons.size());
    EXPECT_EQ(frame->GetIniError(), "");
}

TEST_F(SkinFrameTest, EveryColourButtonPaintsTheRootWithoutPicture) {
    CSkinFrame* frame = Open();
    const std::vector<CButtonUI*> buttons = Buttons(*frame, "skin_color_btn");
    ASSERT_GE(buttons.size(), 8u);
    for (CButtonUI* button : buttons) {
        Root()->SetBkImage("common/background.png");
        ASSERT_TRUE(button->Activate());
        EXPECT_EQ(Root()->GetBkColor(), button->GetBkColor());
        EXPECT_EQ(Root()->GetBkColor() >> 24, 0xFFu);
        EXPECT_EQ(Root()->GetBkImage(), "");
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(IniPath()))) << "colours are not noted";
}

TEST_F(SkinFrameTest, TheTabsSelectPictureAndColourPages) {
    CSkinFrame* frame = Open();
    auto* tab = dynamic_cast<CTabLayoutUI*>(frame->GetPaintManager().FindControl("skin_tab"));
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->GetCurSel(), 0);
    Click(*frame, "skin_color");
    EXPECT_EQ(tab->GetCurSel(), 1);
    Click(*frame, "skin_image");
    EXPECT_EQ(tab->GetCurSel(), 0);
}

TEST_F(SkinFrameTest, ResetPaintsTheDefaultPictureAndNotesFlagsZero) {
    CSkinFrame* frame = Open();
    Click(*frame, "skin_color_btn");
    Click(*frame, "skin_reset");
    EXPECT_EQ(Root()->GetBkImage(), "common/background.png");
    EXPECT_EQ(Root()->GetBkColor(), 0u);
    EXPECT_EQ(ReadText(IniPath()), "[SKINIMAGE]\nFLAGS=0\nIMAGE=common/background.png\n");
}

TEST_F(SkinFrameTest, MainIniKeepsWhatElseItHolds) {
    std::filesystem::create_directories(m_folder.path() + "/data");
    WriteText(IniPath(), "; notes\n[OTHER]\nA=b\n[SKINIMAGE]\nFLAGS=0\nIMAGE=old.png\n");
    CSkinFrame* frame = Open();
    Buttons(*frame, "skin_image_btn").front()->Activate();
    const std::string image = Buttons(*frame, "skin_image_btn").front()->GetUserData();
    EXPECT_EQ(ReadText(IniPath()),
              "; notes\n[OTHER]\nA=b\n[SKINIMAGE]\nFLAGS=1\nIMAGE=" + image + "\n");
}

TEST_F(SkinFrameTest, AMainIniThatCannotBeWrittenIsReportedAndTheSkinStillChanges) {
    WriteText(m_folder.path() + "/data", "a file where the folder belongs");
    CSkinFrame* frame = Open();
    Click(*frame, "skin_reset");
    EXPECT_EQ(Root()->GetBkImage(), "common/background.png");
    EXPECT_NE(frame->GetIniError().find(IniPath()), std::string::npos) << frame->GetIniError();
}

TEST_F(SkinFrameTest, CancellingTheCustomPictureChangesNothing) {
    CSkinFrame* frame = Open();
    Root()->SetBkColor(0xFF445566);
    m_choice = std::nullopt;
    Click(*frame, "skin_Custom");
    EXPECT_EQ(m_dialogs, 1);
    EXPECT_TRUE(m_received.empty());
    EXPECT_EQ(Root()->GetBkColor(), 0xFF445566u);
    EXPECT_EQ(Root()->GetBkImage(), "");
    EXPECT_TRUE(m_told.empty());
    EXPECT_EQ(CSkinFrame::GetOpen(), frame) << "the dialog must not close the frame";
}

TEST_F(SkinFrameTest, ACustomPictureIsBroadcastOnceAsItsPath) {
    CSkinFrame* frame = Open();
    m_choice = AwkwardPicture();
    Click(*frame, "skin_Custom");
    ASSERT_EQ(m_received.size(), 1u);
    EXPECT_TRUE(m_received[0].isImage);
    EXPECT_EQ(m_received[0].image, *m_choice);
    EXPECT_EQ(Root()->GetBkImage(), "file=\"" + *m_choice + "\"");
    EXPECT_EQ(Root()->GetBkColor(), 0u);
    std::optional<TImageStringUI> parsed = ParseImageString(Root()->GetBkImage());
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->file, *m_choice);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(IniPath())));
}

TEST_F(SkinFrameTest, AnUnreadableCustomPictureKeepsTheBackgroundAndTellsTheUser) {
    CSkinFrame* frame = Open();
    Click(*frame, "skin_image_btn");
    const std::string before = Root()->GetBkImage();
    for (const std::string& name :
         {std::string("/not-a-picture.png"), std::string("/missing.png")}) {
        if (name == "/not-a-picture.png") WriteText(m_folder.path() + name, "plain text");
        m_choice = m_folder.path() + name;
        Click(*frame, "skin_Custom");
        EXPECT_EQ(Root()->GetBkImage(), before);
    }
    EXPECT_EQ(m_received.size(), 1u);
    ASSERT_EQ(m_told.size(), 2u);
    EXPECT_EQ(
        m_told[0].rfind("skin_custom_unreadable | " + m_folder.path() + "/not-a-picture.png", 0),
        0u)
        << m_told[0];
}

TEST_F(SkinFrameTest, ThePickerClosesOnAPressElsewhereAndTheSkinButtonToggles) {
    Open();
    QWidget* elsewhere = m_owner->GetPaintManager().FindControl("elsewhere");
    QTest::mousePress(elsewhere, Qt::LeftButton);
    QTest::mouseRelease(elsewhere, Qt::LeftButton);
    EXPECT_EQ(CSkinFrame::GetOpen(), nullptr);

    CSkinFrame* frame = Open();
    QTest::mousePress(frame->GetPaintManager().FindControl("skin_tab"), Qt::LeftButton);
    EXPECT_EQ(CSkinFrame::GetOpen(), frame) << "a press inside keeps it";
    EXPECT_EQ(CSkinFrame::Toggle(*m_owner, m_owner->GetPaintManager().FindControl("skinbtn")),
              nullptr);
    EXPECT_EQ(CSkinFrame::GetOpen(), nullptr) << "the skin button closes an open picker";
}

TEST_F(SkinFrameTest, ThePickerClosesWhenItLosesTheFocus) {
    CSkinFrame* frame = Open();
    frame->OnActivateChanged(false);
    EXPECT_EQ(CSkinFrame::GetOpen(), nullptr);
}

TEST(SkinReceiverTest, RefusesWhatCannotBeShownAndKeepsTheBackground) {
    test::TestApplication<QApplication>("skin_frame_test");
    CPaintManagerUI::SetResourcePath(TIRK_RESOURCE_DIR "/skin/");
    test::TempFolder folder;
    WriteText(folder.path() + "/owner.xml", kOwnerLayout);
    OwnerWindow owner(folder.path() + "/owner.xml");
    ASSERT_TRUE(owner.Create(nullptr, "owner"));
    CControlUI* root = owner.GetPaintManager().FindControl("root");
    std::string error;
    EXPECT_FALSE(
        ApplySkin(owner.GetPaintManager(), {true, 0, folder.path() + "/none.png"}, &error));
    EXPECT_NE(error.find("none.png"), std::string::npos);
    EXPECT_EQ(root->GetBkColor(), 0xFF14161Bu);
    EXPECT_EQ(root->GetBkImage(), "");

    root->SetName("renamed");
    EXPECT_FALSE(ApplySkin(owner.GetPaintManager(), {false, 0xFF000000, {}}, &error));
    EXPECT_NE(error.find("root"), std::string::npos);
}

TEST(SkinImageStringTest, QuotesNamesThatWouldReadAsAttributes) {
    struct Case {
        std::string path, expected;
    };
    const Case cases[] = {
        {"common/skin/dusk.png", "common/skin/dusk.png"},
        {"/home/me/My Pictures/a.png", "/home/me/My Pictures/a.png"},
        {"/home/me/a=b.png", "file='/home/me/a=b.png'"},
        {"/home/me/it's=1.png", "file=\"/home/me/it's=1.png\""},
        {" lead.png", "file=' lead.png'"},
        {"/x/'=\".png", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ImageStringForFile(c.path), c.expected) << c.path;
}

TEST(SkinReceiversTest, BroadcastReachesEveryReceiverOnceInOrder) {
    std::vector<int> calls;
    int a = 0, b = 0;
    SkinReceivers::Instance().Add(&a, [&](const SkinRecord&) { calls.push_back(1); });
    SkinReceivers::Instance().Add(&b, [&](const SkinRecord&) { calls.push_back(2); });
    SkinReceivers::Instance().Add(&a, [&](const SkinRecord&) { calls.push_back(3); });  // replaces
    SkinReceivers::Instance().Broadcast({});
    SkinReceivers::Instance().Remove(&a);
    SkinReceivers::Instance().Remove(&b);
    EXPECT_EQ(calls, (std::vector<int>{2, 3}));
}

}  // namespace
}  // namespace tirk
