// The colour picker on the program's own layout: slots, collected slots,
// edits, the colour field, the seven-colour choice, the close codes, and the
// colour file it keeps.
#include "ui/colour_picker.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "mouse_at.h"
#include "support/temp_folder.h"
#include "ui/pallet.h"
#include "ui_test_support.h"

namespace tirk::ui::test {
namespace {

class ColourPickerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.valid());
        CPaintManagerUI::SetResourcePath(TIRK_RESOURCE_DIR "/skin/");
    }

    std::string ColourFile() const { return m_folder.path() + "/color_option_info.config"; }

    /// A picker on the test's colour file, created and shown.
    std::unique_ptr<CColorSelectWnd> Open(uint32_t start = 0xFF336699, bool seven = true) {
        CColorSelectWnd::Options options;
        options.startColour = start;
        options.sevenColourAllowed = seven;
        options.colourFile = ColourFile();
        auto window = std::make_unique<CColorSelectWnd>(options);
        EXPECT_TRUE(window->Create(nullptr, "colour")) << window->GetLoadError();
        window->ShowWindow(true);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window->GetWidget()));
        return window;
    }

    template <typename T = CControlUI>
    static T* Find(CColorSelectWnd& window, const std::string& name) {
        return dynamic_cast<T*>(window.GetPaintManager().FindControl(name));
    }
    static void Click(CColorSelectWnd& window, const std::string& name) {
        auto* button = Find<CButtonUI>(window, name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->Activate()) << name;
    }
    /// The user typed `text` into the edit of channel `name` and left it.
    static void LeaveEdit(CColorSelectWnd& window, const std::string& name,
                          const std::string& text) {
        auto* edit = Find<CEditUI>(window, name);
        ASSERT_NE(edit, nullptr) << name;
        edit->SetText(text);
        window.GetPaintManager().SendNotify(edit, "killfocus");
    }
    static std::array<std::string, 3> Edits(CColorSelectWnd& window) {
        return {Find(window, "color_edit_r")->GetText(), Find(window, "color_edit_g")->GetText(),
                Find(window, "color_edit_b")->GetText()};
    }
    /// The colour shown by the field, the preview and the edits must agree.
    static void ExpectShown(CColorSelectWnd& window, uint32_t argb) {
        EXPECT_EQ(window.GetWorkingColour(), argb);
        EXPECT_EQ(Find<CPalletUI>(window, "Pallet")->GetColor(), argb);
        EXPECT_EQ(Find(window, "color_show_btn")->GetBkColor(), argb);
        const std::array<std::string, 3> expected = {std::to_string((argb >> 16) & 0xFF),
                                                     std::to_string((argb >> 8) & 0xFF),
                                                     std::to_string(argb & 0xFF)};
        EXPECT_EQ(Edits(window), expected);
    }
    ColourOptions Saved() const {
        std::string error;
        ColourOptions options = CColourFile(ColourFile()).Load(&error);
        EXPECT_EQ(error, "");
        return options;
    }
    bool FileExists() const { return QFile::exists(QString::fromStdString(ColourFile())); }

    tirk::test::TempFolder m_folder{{.prefix = "tirk-colour"}};
};

TEST_F(ColourPickerTest, OpensAtTheStartColourWithTheDefaultSlots) {
    auto window = Open(0xFF336699);
    ExpectShown(*window, 0xFF336699);
    const ColourOptions defaults = DefaultColourOptions();
    for (int i = 0; i < 20; ++i) {
        auto* slot = Find<COptionUI>(*window, "color_option_" + std::to_string(i));
        ASSERT_NE(slot, nullptr) << i;
        EXPECT_EQ(slot->GetBkColor(), defaults.colours[i]) << i;
        auto* collected = Find<COptionUI>(*window, "collect_color_option_" + std::to_string(i));
        ASSERT_NE(collected, nullptr) << i;
        EXPECT_EQ(collected->GetUserData(), "") << i;
    }
    EXPECT_TRUE(Find<COptionUI>(*window, "color_option_0")->IsSelected());
    EXPECT_EQ(window->GetColourFileError(), "");
    EXPECT_FALSE(FileExists()) << "opening alone must not write the file";
}

TEST_F(ColourPickerTest, StartColourIsShownOpaque) {
    auto window = Open(0x00102030);
    ExpectShown(*window, 0xFF102030);
}

TEST_F(ColourPickerTest, SevenColourOnlyWhenAllowed) {
    for (bool allowed : {false, true}) {
        auto window = Open(0xFF000000, allowed);
        EXPECT_EQ(Find(*window, "7color")->IsVisible(), allowed);
        EXPECT_EQ(Find(*window, "7color_layout")->IsVisible(), allowed);
    }
}

TEST_F(ColourPickerTest, SlotClickCopiesItsColourEverywhereAndRemembersTheSlot) {
    auto window = Open();
    Click(*window, "color_option_3");
    ExpectShown(*window, DefaultColourOptions().colours[3]);
    EXPECT_TRUE(Find<COptionUI>(*window, "color_option_3")->IsSelected());
    EXPECT_EQ(Saved().slotSelection, 3);
}

TEST_F(ColourPickerTest, LeavingAnEditComposesTheColour) {
    struct Case {
        const char* edit;
        const char* text;
        uint32_t expected;  // from 0xFF336699
    };
    const Case cases[] = {
        {"color_edit_r", "10", 0xFF0A6699},  {"color_edit_g", "0", 0xFF330099},
        {"color_edit_b", "255", 0xFF3366FF}, {"color_edit_r", "300", 0xFFFF6699},  // clamped
        {"color_edit_g", "007", 0xFF330799}, {"color_edit_b", "", 0xFF336699},     // refused
        {"color_edit_r", "1x", 0xFF336699},  {"color_edit_g", "-5", 0xFF336699},   // refused
    };
    for (const Case& c : cases) {
        auto window = Open(0xFF336699);
        LeaveEdit(*window, c.edit, c.text);
        ExpectShown(*window, c.expected);
    }
}

TEST_F(ColourPickerTest, EnterInAnEditComposesToo) {
    auto window = Open(0xFF000000);
    auto* edit = Find<CEditUI>(*window, "color_edit_g");
    edit->SetText("128");
    window->GetPaintManager().SendNotify(edit, "return");
    ExpectShown(*window, 0xFF008000);
}

TEST_F(ColourPickerTest, TypingAndTabbingAwayFromAnEdit) {
    auto window = Open(0xFF000000);
    window->BringToFront();
    auto* line = Find(*window, "color_edit_r")->findChild<QLineEdit*>();
    ASSERT_NE(line, nullptr);
    line->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return line->hasFocus(); }));
    line->selectAll();
    QTest::keyClicks(line, "2a00");  // the letter is refused by the edit, 200 clamps to 200
    EXPECT_EQ(line->text(), "200");
    Find(*window, "color_edit_g")->findChild<QLineEdit*>()->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return window->GetWorkingColour() == 0xFFC80000; }));
    ExpectShown(*window, 0xFFC80000);
}

TEST_F(ColourPickerTest, ThePalletCopiesItsColourToPreviewAndEdits) {
    auto window = Open(0xFFFF0000);
    auto* pallet = Find<CPalletUI>(*window, "Pallet");
    const QRect square = pallet->SquareRect();
    ClickAt(pallet, square.topLeft());  // white
    ExpectShown(*window, 0xFFFFFFFF);
}

TEST_F(ColourPickerTest, AnEmptyCollectedSlotTakesTheNextColourAndIsSaved) {
    auto window = Open(0xFF336699);
    Click(*window, "collect_color_option_2");
    ExpectShown(*window, 0xFF336699);  // an empty slot gives nothing
    EXPECT_EQ(Saved().collectedSelection, 2);

    LeaveEdit(*window, "color_edit_r", "0");
    auto* slot = Find<COptionUI>(*window, "collect_color_option_2");
    EXPECT_EQ(slot->GetBkColor(), 0xFF006699u);
    EXPECT_EQ(slot->GetUserData(), "1");
    const ColourOptions saved = Saved();
    EXPECT_EQ(saved.collected[2], (tirk::CollectedColour{0xFF006699, "1"}));
    EXPECT_EQ(saved.collected[1].userData, "");
}

TEST_F(ColourPickerTest, ACollectedSlotTakesADraggedColourOnlyInTheFileWhenReleased) {
    auto window = Open(0xFF336699);
    Click(*window, "collect_color_option_0");
    const ColourOptions before = Saved();
    auto* pallet = Find<CPalletUI>(*window, "Pallet");
    const QRect square = pallet->SquareRect();
    PressAt(pallet, square.topLeft());
    EXPECT_EQ(Find(*window, "collect_color_option_0")->GetBkColor(), 0xFFFFFFFFu);
    EXPECT_EQ(Saved(), before) << "a drag in progress must not write the file";
    ReleaseAt(pallet, square.bottomLeft());
    EXPECT_EQ(Saved().collected[0], (tirk::CollectedColour{0xFF000000, "1"}));
}

TEST_F(ColourPickerTest, ClickingAColourSlotLeavesTheCollectedSlotAlone) {
    auto window = Open(0xFF336699);
    Click(*window, "collect_color_option_4");
    LeaveEdit(*window, "color_edit_b", "0");  // the collected slot takes 0xFF336600
    Click(*window, "color_option_9");
    EXPECT_FALSE(Find<COptionUI>(*window, "collect_color_option_4")->IsSelected());
    EXPECT_EQ(Find(*window, "collect_color_option_4")->GetBkColor(), 0xFF336600u);
    EXPECT_EQ(Saved().collected[4].colour, 0xFF336600u);
}

TEST_F(ColourPickerTest, AFilledCollectedSlotGivesItsColourAndClearsSevenColour) {
    auto window = Open(0xFF336699);
    Click(*window, "collect_color_option_1");
    LeaveEdit(*window, "color_edit_r", "255");  // slot 1 holds 0xFFFF6699
    Click(*window, "color_option_5");
    Click(*window, "7color");
    ASSERT_TRUE(window->IsSevenColour());
    Click(*window, "collect_color_option_1");
    ExpectShown(*window, 0xFFFF6699);
    EXPECT_FALSE(window->IsSevenColour());
    EXPECT_FALSE(Find<COptionUI>(*window, "7color")->IsSelected());
    EXPECT_EQ(Find(*window, "color_show_btn")->GetBkImage(), "");
}

TEST_F(ColourPickerTest, SevenColourShowsItsPictureInThePreview) {
    auto window = Open();
    Click(*window, "7color");
    EXPECT_TRUE(window->IsSevenColour());
    EXPECT_EQ(Find(*window, "color_show_btn")->GetBkImage(), "common/base1.png");
    TSizeUI size;
    EXPECT_TRUE(GetImageSize("common/base1.png", &size));
    Click(*window, "7color");
    EXPECT_FALSE(window->IsSevenColour());
    EXPECT_EQ(Find(*window, "color_show_btn")->GetBkImage(), "");
}

TEST_F(ColourPickerTest, SlotsAndSelectionsAreRestoredWhenTheDialogOpensAgain) {
    {
        auto window = Open(0xFF336699);
        Click(*window, "collect_color_option_7");
        LeaveEdit(*window, "color_edit_g", "255");
        Click(*window, "color_option_12");
        window->Close(0);
    }
    auto window = Open(0xFF000000);
    auto* collected = Find<COptionUI>(*window, "collect_color_option_7");
    EXPECT_EQ(collected->GetBkColor(), 0xFF33FF99u);
    EXPECT_EQ(collected->GetUserData(), "1");
    EXPECT_TRUE(Find<COptionUI>(*window, "color_option_12")->IsSelected());
    ExpectShown(*window, 0xFF000000);  // the start colour wins over the remembered slot
    // The slot that holds a colour gives it back.
    Click(*window, "collect_color_option_7");
    ExpectShown(*window, 0xFF33FF99);
}

TEST_F(ColourPickerTest, ABrokenColourFileOpensWithTheDefaults) {
    QFile file(QString::fromStdString(ColourFile()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("{ \"coloroptioninfo\" : { \"palletDialogcoloroption\" : 7 } }");
    file.close();
    auto window = Open();
    EXPECT_NE(window->GetColourFileError().find(ColourFile()), std::string::npos);
    EXPECT_EQ(Find(*window, "color_option_0")->GetBkColor(), DefaultColourOptions().colours[0]);
    Click(*window, "color_option_1");
    EXPECT_EQ(Saved().slotSelection, 1);
}

// ShowModal runs its own loop; the press comes from inside it.
int RunAndPress(CColorSelectWnd& window, const std::string& button,
                std::function<void()> before = {}) {
    QTimer::singleShot(0, [&window, button, before] {
        if (before) before();
        dynamic_cast<CButtonUI*>(window.GetPaintManager().FindControl(button))->Activate();
    });
    return window.ShowModal();
}

TEST_F(ColourPickerTest, OkReturnsOneWithThePreviewColourAndTheSevenColourChoice) {
    auto window = Open(0xFF123456);
    Click(*window, "7color");
    EXPECT_EQ(RunAndPress(*window, "okbtn"), CColorSelectWnd::kChosen);
    EXPECT_EQ(window->GetChosenColour(), 0xFF123456u);
    EXPECT_TRUE(window->GetChosenSevenColour());
}

TEST_F(ColourPickerTest, OkTakesAnEntryThatWasNotLeftYet) {
    auto window = Open(0xFF000000);
    const int code = RunAndPress(*window, "okbtn",
                                 [&] { Find<CEditUI>(*window, "color_edit_b")->SetText("64"); });
    EXPECT_EQ(code, CColorSelectWnd::kChosen);
    EXPECT_EQ(window->GetChosenColour(), 0xFF000040u);
}

TEST_F(ColourPickerTest, CloseReturnsZero) {
    auto window = Open();
    EXPECT_EQ(RunAndPress(*window, "closebtn"), CColorSelectWnd::kClosed);
}

TEST_F(ColourPickerTest, OkWithoutAColourFieldReturnsTwo) {
    const std::string layout = m_folder.path() + "/no_pallet.xml";
    QFile file(QString::fromStdString(layout));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<Window size="200,100"><VerticalLayout name="root">
      <Button name="color_show_btn"/><Button name="okbtn"/></VerticalLayout></Window>)");
    file.close();
    CColorSelectWnd::Options options;
    options.colourFile = ColourFile();
    options.skinFile = layout;
    CColorSelectWnd window(options);
    ASSERT_TRUE(window.Create(nullptr, "colour")) << window.GetLoadError();
    EXPECT_EQ(RunAndPress(window, "okbtn"), CColorSelectWnd::kNoPallet);
}

TEST_F(ColourPickerTest, ShowColourPickerUsesTheApplicationDataFolder) {
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_folder.path()));
    uint32_t chosen = 0;
    bool seven = true;
    QTimer::singleShot(0, [] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        auto* slot = dynamic_cast<COptionUI*>(modal->findChild<QWidget*>("color_option_2"));
        auto* ok = dynamic_cast<CButtonUI*>(modal->findChild<QWidget*>("okbtn"));
        ASSERT_TRUE(slot && ok);
        slot->Activate();
        ok->Activate();
    });
    EXPECT_EQ(ShowColourPicker(nullptr, 0xFF000000, false, &chosen, &seven), 1);
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(chosen, DefaultColourOptions().colours[2]);
    EXPECT_FALSE(seven);
    EXPECT_EQ(CColourFile(m_folder.path() + "/Vorpaline TIRK/color_option_info.config")
                  .Load()
                  .slotSelection,
              2);
}

}  // namespace
}  // namespace tirk::ui::test
