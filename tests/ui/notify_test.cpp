// Notifications from simulated user actions: type, sender and parameters.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QLineEdit>

#include "tests/ui/ui_test_support.h"

namespace tirk::ui::test {
namespace {

class NotifyTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseTestSkin();
        ASSERT_TRUE(window.CreateShown()) << window.GetLoadError();
        QCoreApplication::processEvents();  // "windowinit"
        // The window takes the focus from its first edit, so that a click
        // on a control does not end with that edit's "killfocus".
        window.GetWidget()->setFocus();
        QCoreApplication::processEvents();
        window.notifications.clear();
    }
    // The types and senders received since the last clear, as "type:sender".
    std::vector<std::string> Sequence() const {
        std::vector<std::string> seq;
        for (const Recorded& r : window.notifications) {
            if (r.type != "windowsize") seq.push_back(r.type + ":" + r.sender);
        }
        return seq;
    }
    using Seq = std::vector<std::string>;

    RecordingWindow window{"controls.xml"};
};

TEST_F(NotifyTest, WindowInitComesFromTheRootAfterCreate) {
    RecordingWindow other("controls.xml");
    ASSERT_TRUE(other.Create(nullptr, "t"));
    EXPECT_TRUE(other.Of("windowinit").empty()) << "posted, not sent inside Create";
    QCoreApplication::processEvents();
    ASSERT_EQ(other.Of("windowinit").size(), 1u);
    EXPECT_EQ(other.Of("windowinit")[0].sender, "root");
}

TEST_F(NotifyTest, ResizingSendsWindowSizeFromTheRoot) {
    window.ResizeClient(300, 350);
    EXPECT_TRUE(WaitUntil([&] { return !window.Of("windowsize").empty(); }));
    Recorded last = window.Of("windowsize").back();
    EXPECT_EQ(last.sender, "root");
    EXPECT_EQ(last.wParam, 300);
    EXPECT_EQ(last.lParam, 350);
}

TEST_F(NotifyTest, ButtonClicksOnlyWhenReleasedInsideAndEnabled) {
    auto* btn = window.Find<CButtonUI>("btn");
    QTest::mouseClick(btn, Qt::LeftButton);
    EXPECT_EQ(Sequence(), Seq{"click:btn"});

    window.notifications.clear();
    QTest::mousePress(btn, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(btn, Qt::LeftButton, {}, QPoint(10, 200));
    EXPECT_EQ(Sequence(), Seq{}) << "released outside";

    btn->SetEnabled(false);
    QTest::mouseClick(btn, Qt::LeftButton);
    EXPECT_EQ(Sequence(), Seq{}) << "disabled";

    btn->SetEnabled(true);
    QTest::mouseClick(btn, Qt::LeftButton);   // what the mouse sends for a double-click:
    QTest::mouseDClick(btn, Qt::LeftButton);  // press, release, double-click, release
    QTest::mouseRelease(btn, Qt::LeftButton);
    EXPECT_EQ(Sequence(), (Seq{"click:btn", "click:btn"})) << "a double-click is two clicks";
}

TEST_F(NotifyTest, OptionsInAGroupAreExclusive) {
    auto* o1 = window.Find<COptionUI>("o1");
    auto* o2 = window.Find<COptionUI>("o2");
    auto* o3 = window.Find<COptionUI>("o3");
    o3->Selected(true, false);

    QTest::mouseClick(o1, Qt::LeftButton);
    EXPECT_EQ(Sequence(), (Seq{"click:o1", "selectchanged:o1"}));
    window.notifications.clear();
    QTest::mouseClick(o2, Qt::LeftButton);
    EXPECT_EQ(Sequence(), (Seq{"click:o2", "selectchanged:o2"})) << "the deselected mate is silent";
    EXPECT_FALSE(o1->IsSelected());
    EXPECT_TRUE(o2->IsSelected());
    EXPECT_TRUE(o3->IsSelected()) << "another group";

    window.notifications.clear();
    QTest::mouseClick(o2, Qt::LeftButton);
    EXPECT_EQ(Sequence(), Seq{"click:o2"}) << "clicking the selected option keeps it";
    EXPECT_TRUE(o2->IsSelected());

    window.notifications.clear();
    o1->Selected(true);
    EXPECT_EQ(Sequence(), Seq{"selectchanged:o1"});
    EXPECT_FALSE(o2->IsSelected());
    o2->Selected(true, false);
    EXPECT_EQ(Sequence(), Seq{"selectchanged:o1"}) << "no event when asked for none";
}

// Several device pages in one window use the same group names; a page that
// scopes its groups keeps its own selection.
TEST_F(NotifyTest, AGroupScopeKeepsItsOwnSelection) {
    CVerticalLayoutUI root;
    auto option = [](CContainerUI& box) {
        auto* made = new COptionUI;
        made->SetGroup("g");
        box.Add(made);
        return made;
    };
    auto* pageA = new CVerticalLayoutUI;
    auto* pageB = new CVerticalLayoutUI;
    pageA->SetGroupScope(true);
    pageB->SetGroupScope(true);
    root.Add(pageA);
    root.Add(pageB);
    COptionUI* a1 = option(*pageA);
    COptionUI* a2 = option(*pageA);
    COptionUI* b1 = option(*pageB);
    COptionUI* outside = option(root);

    a1->Selected(true, false);
    b1->Selected(true, false);
    outside->Selected(true, false);
    EXPECT_TRUE(a1->IsSelected() && b1->IsSelected() && outside->IsSelected());
    a2->Selected(true, false);
    EXPECT_FALSE(a1->IsSelected()) << "a mate in the same page";
    EXPECT_TRUE(b1->IsSelected()) << "another page";
    EXPECT_TRUE(outside->IsSelected()) << "outside the pages";
}

TEST_F(NotifyTest, CheckBoxTogglesOnEveryClick) {
    auto* cb = window.Find<CCheckBoxUI>("cb");
    QTest::mouseClick(cb, Qt::LeftButton);
    EXPECT_TRUE(cb->GetCheck());
    QTest::mouseClick(cb, Qt::LeftButton);
    EXPECT_FALSE(cb->GetCheck());
    EXPECT_EQ(Sequence(), (Seq{"click:cb", "selectchanged:cb", "click:cb", "selectchanged:cb"}));
}

TEST_F(NotifyTest, SliderReportsMovesWhileDraggingAndTheValueOnRelease) {
    auto* slider = window.Find<CSliderUI>("slider");
    ASSERT_EQ(slider->width(), 400);
    // Thumb 10 px wide: the track runs from x 5 to 395.
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(200, 10));
    EXPECT_EQ(slider->GetValue(), 50);
    EXPECT_EQ(Sequence(), Seq{"valuechanged:slider"});

    window.notifications.clear();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(slider->GetValue(), 0);
    QTest::mouseMove(slider, QPoint(122, 10));
    EXPECT_EQ(slider->GetValue(), 30);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(500, 10));
    EXPECT_EQ(slider->GetValue(), 100) << "clamped to the maximum";
    EXPECT_EQ(Sequence(), (Seq{"movevaluechanged:slider", "valuechanged:slider"}));

    window.notifications.clear();
    slider->SetValue(20);
    EXPECT_EQ(Sequence(), Seq{}) << "SetValue sends nothing";
    slider->SetValue(1000);
    EXPECT_EQ(slider->GetValue(), 100);
}

TEST_F(NotifyTest, EditFiltersDigitsLimitsLengthAndClampsOnReturn) {
    auto* edit = window.Find<CEditUI>("edit");
    auto* line = edit->findChild<QLineEdit*>();
    ASSERT_NE(line, nullptr);
    edit->SetText("7");
    EXPECT_TRUE(window.Of("textchanged").empty()) << "SetText is not a user change";

    edit->SetText("");
    QTest::keyClicks(line, "1a2");
    EXPECT_EQ(edit->GetText(), "12");
    EXPECT_EQ(window.Of("textchanged").size(), 2u) << "the refused letter changes nothing";
    QTest::keyClicks(line, "345");
    EXPECT_EQ(edit->GetText(), "1234") << "maxchar 4";

    window.notifications.clear();
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(edit->GetText(), "50") << "maxvalue 50";
    EXPECT_EQ(Sequence(), (Seq{"textchanged:edit", "return:edit"}));

    window.notifications.clear();
    edit->SetText("0");
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(edit->GetText(), "1") << "minvalue 1";

    edit->SetText("abcdef");
    edit->SetSel(1, 3);
    EXPECT_EQ(line->selectedText().toStdString(), "bc");
}

TEST_F(NotifyTest, EditReportsFocusChanges) {
    auto* edit = window.Find<CEditUI>("edit");
    auto* combo = window.Find<CComboUI>("combo");
    window.GetWidget()->activateWindow();
    if (!QTest::qWaitForWindowActive(window.GetWidget())) GTEST_SKIP() << "no window activation";
    combo->SelectItem(0, true, false);  // the focus starts elsewhere
    ASSERT_TRUE(WaitUntil([&] { return !edit->isAncestorOf(QApplication::focusWidget()); }));
    window.notifications.clear();

    edit->SetFocus();
    EXPECT_TRUE(WaitUntil([&] { return window.Of("setfocus").size() == 1u; }));
    combo->SelectItem(1, true, false);
    EXPECT_TRUE(WaitUntil([&] { return window.Of("killfocus").size() == 1u; }));
    EXPECT_EQ(Sequence(), (Seq{"setfocus:edit", "killfocus:edit"}));
}

TEST_F(NotifyTest, ListSelectsOnPressAndActivatesOnDoubleClick) {
    auto* list = window.Find<CListUI>("list");
    auto* row1 = window.Find<CListLabelElementUI>("row1");
    ASSERT_EQ(list->GetCount(), 6);
    QTest::mouseClick(row1, Qt::LeftButton);
    EXPECT_EQ(Sequence(), (Seq{"itemclick:row1", "itemselect:list"}));
    EXPECT_EQ(window.Of("itemselect")[0].wParam, 1);
    EXPECT_EQ(window.Of("itemselect")[0].lParam, -1);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_TRUE(row1->IsSelected());

    window.notifications.clear();
    QTest::mouseDClick(row1, Qt::LeftButton);
    QTest::mouseRelease(row1, Qt::LeftButton);
    EXPECT_EQ(window.Of("itemactivate").size(), 1u);
    EXPECT_EQ(window.Of("itemactivate")[0].sender, "row1");
    EXPECT_EQ(window.Of("itemselect").size(), 0u) << "already selected";

    EXPECT_FALSE(list->SelectItem(6));
    EXPECT_EQ(list->GetCurSel(), 1);
}

TEST_F(NotifyTest, ListScrollsToShowTheSelectedRow) {
    auto* list = window.Find<CListUI>("list");
    auto* row5 = window.Find<CListLabelElementUI>("row5");
    EXPECT_EQ(list->GetScrollPos(), 0);
    ASSERT_TRUE(list->SelectItem(5, false, false));
    EXPECT_GT(list->GetScrollPos(), 0);
    QRect visible = list->rect();
    EXPECT_TRUE(visible.contains(row5->geometry())) << "row 5 lies inside the list";
    EXPECT_TRUE(window.Of("itemselect").empty());

    list->RemoveAll();
    EXPECT_EQ(list->GetCount(), 0);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_EQ(window.GetPaintManager().FindControl("row5"), nullptr);
}

TEST_F(NotifyTest, ComboSelectionReportsNewAndOldIndex) {
    auto* combo = window.Find<CComboUI>("combo");
    EXPECT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetCurSel(), 1) << "cursel";
    EXPECT_EQ(combo->GetText(), "Hello") << "keyed item text";
    EXPECT_TRUE(combo->SelectItem(2));
    emit combo->findChild<QComboBox*>()->activated(0);  // the user picks item 0
    auto selects = window.Of("itemselect");
    ASSERT_EQ(selects.size(), 2u);
    EXPECT_EQ(selects[0].wParam, 2);
    EXPECT_EQ(selects[0].lParam, 1);
    EXPECT_EQ(selects[1].wParam, 0);
    EXPECT_EQ(selects[1].lParam, 2);
    EXPECT_FALSE(combo->SelectItem(3));

    combo->RemoveAll();
    EXPECT_EQ(combo->GetCurSel(), -1);
    EXPECT_EQ(combo->AddItem("x"), 0);
    EXPECT_EQ(combo->GetCurSel(), -1) << "adding selects nothing";
}

TEST_F(NotifyTest, DoubleClickHoverAndContextMenu) {
    auto* lbl = window.Find<CLabelUI>("lbl");
    auto* hover = window.Find<CLabelUI>("hover");
    QTest::mouseDClick(lbl, Qt::LeftButton);
    QTest::mouseRelease(lbl, Qt::LeftButton);
    EXPECT_EQ(Sequence(), Seq{"dbclick:lbl"});

    window.notifications.clear();
    for (CLabelUI* target : {lbl, hover}) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(target, &enter);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(target, &leave);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(3, 4), QPoint(3, 4));
        QApplication::sendEvent(target, &menu);
    }
    EXPECT_EQ(Sequence(), (Seq{"msenter:hover", "msleave:hover", "menu:hover"}))
        << "only with notifyhover / menu";
    Recorded menu = window.Of("menu")[0];
    TRectUI at = hover->GetPos();
    EXPECT_EQ(menu.wParam, at.left + 3);
    EXPECT_EQ(menu.lParam, at.top + 4);
}

TEST_F(NotifyTest, ControlTimersCarryTheirIdUntilKilled) {
    auto* lbl = window.Find<CLabelUI>("lbl");
    EXPECT_FALSE(lbl->SetTimer(1, 0));
    ASSERT_TRUE(lbl->SetTimer(7, 5));
    ASSERT_TRUE(lbl->SetTimer(8, 5));
    auto countOf = [&](intptr_t id) {
        size_t n = 0;
        for (const Recorded& r : window.Of("timer")) n += r.sender == "lbl" && r.wParam == id;
        return n;
    };
    EXPECT_TRUE(WaitUntil([&] { return countOf(7) >= 2 && countOf(8) >= 2; }, 5000));
    lbl->KillTimer(7);
    QCoreApplication::processEvents();
    size_t killedAt = countOf(7);
    size_t other = countOf(8);
    EXPECT_TRUE(WaitUntil([&] { return countOf(8) >= other + 3; }, 5000));
    EXPECT_EQ(countOf(7), killedAt) << "KillTimer stops only that timer";
    lbl->KillTimer(99);  // unknown ids are ignored
}

}  // namespace
}  // namespace tirk::ui::test
