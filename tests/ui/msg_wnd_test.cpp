// The message window with the program's own layout (resources/skin/msgwnd.xml)
// and English texts: which button gives which answer, what the button modes
// show, the title rule, the DPI list and the formatted and detailed texts.
#include "ui/msg_wnd.h"

#include <gtest/gtest.h>

#include <QTimer>
#include <QWidget>
#include <functional>

#include "ui/button.h"
#include "ui_test_support.h"

namespace tirk::ui::test {
namespace {

struct Seen {
    bool shown = false;
    std::string title;
    std::string text;
    std::string detail;
    bool detailVisible = false;
    bool cancelVisible = false;
    bool confirmVisible = false;
    int dpi = 0;
    bool pressed = false;
};

// Runs `show` (which opens a message window modally) and, once the window is
// up, records what it shows and then runs `answer` on it.
Seen WhileShown(const std::function<int()>& show, int* result,
                const std::function<void(CMsgWnd&)>& answer) {
    Seen seen;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        CMsgWnd* window = CMsgWnd::GetShown();
        if (!window || !window->IsVisible()) return;
        timer.stop();
        CPaintManagerUI& pm = window->GetPaintManager();
        seen.shown = true;
        seen.title = pm.FindControl("MessageTitle")->GetText();
        seen.text = pm.FindControl("MessageText")->GetText();
        seen.detail = pm.FindControl("MessageDetail")->GetText();
        seen.detailVisible = pm.FindControl("MessageDetail")->IsVisible();
        seen.cancelVisible = pm.FindControl("cancel_btn")->IsVisible();
        seen.confirmVisible = pm.FindControl("confirm_btn")->IsVisible();
        seen.dpi = pm.GetDPI();
        answer(*window);
    });
    timer.start(5);
    *result = show();
    return seen;
}

std::function<void(CMsgWnd&)> Press(const char* button) {
    return [button](CMsgWnd& window) {
        auto* control = dynamic_cast<CButtonUI*>(window.GetPaintManager().FindControl(button));
        ASSERT_NE(control, nullptr) << button;
        EXPECT_TRUE(control->Activate()) << button << " cannot be pressed";
    };
}

class MsgWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::SetResourcePath(TIRK_RESOURCE_DIR "/skin/");
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage("lan_en.xml"));
    }
    void TearDown() override { UseTestSkin(); }
};

TEST_F(MsgWndTest, EachButtonGivesItsAnswer) {
    struct Case {
        const char* button;  // nullptr: closed by the window manager
        MsgButtons mode;
        int expected;
    };
    const Case cases[] = {
        {"confirm_btn", MsgButtons::kConfirmCancel, 1},
        {"cancel_btn", MsgButtons::kConfirmCancel, 0},
        {"closebtn", MsgButtons::kConfirmCancel, 0},
        {"confirm_btn", MsgButtons::kConfirm, 1},
        {"closebtn", MsgButtons::kConfirm, 0},
        {nullptr, MsgButtons::kConfirmCancel, 0},
    };
    for (const Case& c : cases) {
        int result = -1;
        auto answer =
            c.button ? Press(c.button) : [](CMsgWnd& window) { window.GetWidget()->close(); };
        Seen seen = WhileShown(
            [&] { return CMsgWnd::ShowMessage(nullptr, "", "tip_settings", 96, c.mode); }, &result,
            answer);
        EXPECT_TRUE(seen.shown);
        EXPECT_EQ(result, c.expected) << (c.button ? c.button : "window manager close");
        EXPECT_EQ(CMsgWnd::GetShown(), nullptr);
    }
}

TEST_F(MsgWndTest, ButtonModeDecidesWhetherCancelIsShown) {
    int result = -1;
    Seen question = WhileShown(
        [&] {
            return CMsgWnd::ShowMessage(nullptr, "", "tip_settings", 96,
                                        MsgButtons::kConfirmCancel);
        },
        &result, Press("confirm_btn"));
    EXPECT_TRUE(question.cancelVisible);
    EXPECT_TRUE(question.confirmVisible);

    Seen notice = WhileShown(
        [&] { return CMsgWnd::ShowMessage(nullptr, "", "tip_settings", 96, MsgButtons::kConfirm); },
        &result,
        [](CMsgWnd& window) {
            auto* cancel =
                dynamic_cast<CButtonUI*>(window.GetPaintManager().FindControl("cancel_btn"));
            EXPECT_FALSE(cancel->Activate()) << "a hidden cancel button answered";
            Press("confirm_btn")(window);
        });
    EXPECT_FALSE(notice.cancelVisible);
    EXPECT_TRUE(notice.confirmVisible);
    EXPECT_EQ(result, 1);
}

TEST_F(MsgWndTest, EmptyTitleKeepsTheLayoutsTitleAndTheTextIsTranslated) {
    int result = -1;
    Seen untitled = WhileShown(
        [&] { return CMsgWnd::ShowMessage(nullptr, "", "tip_settings", 96, MsgButtons::kConfirm); },
        &result, Press("confirm_btn"));
    EXPECT_EQ(untitled.title, "Notice");  // msgwnd_title of the layout
    EXPECT_EQ(untitled.text, "Settings");
    EXPECT_FALSE(untitled.detailVisible);

    Seen titled = WhileShown(
        [&] {
            return CMsgWnd::ShowMessage(nullptr, "%[menu_about]", "tip_skin", 96,
                                        MsgButtons::kConfirm);
        },
        &result, Press("confirm_btn"));
    EXPECT_EQ(titled.title, "About");
    EXPECT_EQ(titled.text, "Skin");

    Seen plain = WhileShown(
        [&] { return CMsgWnd::ShowMessage(nullptr, "Import", "", 96, MsgButtons::kConfirm); },
        &result, Press("confirm_btn"));
    EXPECT_EQ(plain.title, "Import");
    EXPECT_EQ(plain.text, "") << "an empty text key keeps the layout's (empty) text";
}

TEST_F(MsgWndTest, DpiOutsideTheListFallsBackTo96) {
    struct Case {
        int dpi;
        int expected;
    };
    const Case cases[] = {{144, 144}, {48, 48},  {192, 192}, {100, 96},
                          {0, 96},    {-96, 96}, {240, 96}};
    for (const Case& c : cases) {
        int result = -1;
        Seen seen = WhileShown(
            [&] {
                return CMsgWnd::ShowMessage(nullptr, "", "tip_skin", c.dpi, MsgButtons::kConfirm);
            },
            &result, Press("confirm_btn"));
        EXPECT_EQ(seen.dpi, c.expected) << c.dpi;
    }
}

TEST_F(MsgWndTest, DetailIsShownLiterallyBelowTheText) {
    const std::string detail = "/home/u/p.json: line 3: %[tip_skin] is not a number";
    int result = -1;
    Seen seen = WhileShown(
        [&] {
            return CMsgWnd::ShowMessageWithDetail(nullptr, "", "tip_settings", detail, 96,
                                                  MsgButtons::kConfirm);
        },
        &result, Press("confirm_btn"));
    EXPECT_EQ(seen.text, "Settings");
    EXPECT_EQ(seen.detail, detail) << "a detail is never translated";
    EXPECT_TRUE(seen.detailVisible);
}

TEST_F(MsgWndTest, FormatVariantPutsTheNumberIntoTheTranslatedText) {
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage(std::string(TIRK_TEST_DATA_DIR) +
                                                              "/ui/msgwnd_format_texts.xml"));
    int result = -1;
    Seen seen = WhileShown(
        [&] {
            return CMsgWnd::ShowMessageFormat(nullptr, "", "format_text", 37, 96,
                                              MsgButtons::kConfirm);
        },
        &result, Press("confirm_btn"));
    EXPECT_EQ(seen.text, "The macros exceed the memory by 37 events (100%).");
}

// Translated format strings are data: only the first integer conversion is
// filled, nothing else reads an argument.
TEST(FormatMessageTextTest, OnlyTheFirstIntegerConversionIsFilled) {
    struct Case {
        std::string format;
        long long value;
        std::string expected;
    };
    const Case cases[] = {
        {"%d events too many", 5, "5 events too many"},
        {"超出 %ld 个事件", 12, "超出 12 个事件"},
        {"%i/%u", 7, "7/%u"},
        {"100%% of %d", 3, "100% of 3"},
        {"%s and %n and %x then %d", 9, "%s and %n and %x then 9"},
        {"width %5d", 42, "width 42"},
        {"no number", 1, "no number"},
        {"trailing %", 1, "trailing %"},
        {"%lld", -4, "-4"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatMessageText(c.format, c.value), c.expected) << c.format;
}

}  // namespace
}  // namespace tirk::ui::test
