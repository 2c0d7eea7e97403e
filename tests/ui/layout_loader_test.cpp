// The layout loader: nesting, Include, Default attributes, DPI scaling of
// lengths, the custom-class hook and the errors it reports.
#include <gtest/gtest.h>

#include "tests/ui/ui_test_support.h"

namespace tirk::ui::test {
namespace {

class LayoutLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { UseTestSkin(); }
};

TEST_F(LayoutLoaderTest, IncludesNestAndLookupsFollowTheTree) {
    RecordingWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "t")) << window.GetLoadError();
    CPaintManagerUI& pm = window.GetPaintManager();

    CControlUI* deep = pm.FindControl("deep_label");
    ASSERT_NE(deep, nullptr) << "a file included by an included file is built";
    EXPECT_EQ(deep->GetParent(), pm.FindControl("part"));
    EXPECT_EQ(deep->GetParent()->GetParent(), pm.FindControl("root"));
    EXPECT_EQ(pm.GetRoot(), pm.FindControl("root"));

    auto* part = window.Find<CContainerUI>("part");
    auto* row = window.Find<CContainerUI>("row");
    ASSERT_TRUE(part && row);
    EXPECT_EQ(part->FindSubControl("deep_label"), deep);
    EXPECT_EQ(row->FindSubControl("opt_a"), nullptr) << "only below the given container";
    EXPECT_EQ(pm.FindSubControlByName(row, "row"), nullptr) << "the parent itself is excluded";
    EXPECT_EQ(pm.FindControl("no_such_control"), nullptr);
    EXPECT_EQ(pm.FindSubControlsByClass(part, "Option").size(), 2u)
        << "by class text: the check box has its own";
}

TEST_F(LayoutLoaderTest, DefaultsApplyBeforeTheElementsOwnAttributes) {
    RecordingWindow window("main.xml");
    ASSERT_TRUE(window.Create(nullptr, "t")) << window.GetLoadError();
    auto* ok = window.Find<CButtonUI>("ok_btn");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetFixedHeight(), 30);
    EXPECT_EQ(ok->GetTextColor(), 0xFF112233u);
    EXPECT_EQ(ok->GetFixedWidth(), 80) << "own attribute";
    EXPECT_EQ(window.Find<CLabelUI>("fixed_label")->GetFont(), 1);
    EXPECT_EQ(CResourceManager::GetInstance()->GetFont(1).size, 14);
    EXPECT_TRUE(CResourceManager::GetInstance()->GetFont(1).bold);
}

struct ExpectedRect {
    const char* name;
    TRectUI at96;  // window coordinates at 96 DPI
};

// main.xml: 400 x 300, inset 5, child padding 10; the filler takes the rest.
const ExpectedRect kLayout[] = {
    {"root", {0, 0, 400, 300}},       {"row", {5, 5, 395, 45}},
    {"fixed_label", {5, 5, 105, 45}}, {"stretch", {105, 5, 315, 45}},
    {"ok_btn", {315, 5, 395, 35}},    {"part", {5, 55, 395, 105}},
    {"tabs", {5, 115, 395, 175}},     {"page_1", {5, 115, 395, 175}},
    {"floating", {15, 135, 65, 155}}, {"filler", {5, 185, 395, 295}},
};

TEST_F(LayoutLoaderTest, LengthsAreLaidOutAt96Dpi) {
    RecordingWindow window("main.xml");
    ASSERT_TRUE(window.CreateShown()) << window.GetLoadError();
    for (const ExpectedRect& expected : kLayout) {
        CControlUI* control = window.GetPaintManager().FindControl(expected.name);
        ASSERT_NE(control, nullptr) << expected.name;
        EXPECT_EQ(control->GetPos(), expected.at96) << expected.name;
    }
}

TEST_F(LayoutLoaderTest, LengthsScaleWithTheWindowDpi) {
    RecordingWindow window("main.xml");
    ASSERT_TRUE(window.CreateShown()) << window.GetLoadError();
    CPaintManagerUI& pm = window.GetPaintManager();
    ASSERT_TRUE(pm.SetDPI(192));
    EXPECT_TRUE(WaitUntil([&] { return window.GetWidget()->width() == 800; }));
    for (const ExpectedRect& expected : kLayout) {
        const TRectUI& r = expected.at96;
        TRectUI doubled{r.left * 2, r.top * 2, r.right * 2, r.bottom * 2};
        EXPECT_EQ(pm.FindControl(expected.name)->GetPos(), doubled) << expected.name;
    }
}

TEST_F(LayoutLoaderTest, DpiOutsideTheRangeIsRefused) {
    CPaintManagerUI pm;
    for (int dpi : {0, 47, 193, 400}) {
        EXPECT_FALSE(pm.SetDPI(dpi)) << dpi;
        EXPECT_EQ(pm.GetDPI(), 96) << dpi;
    }
    for (int dpi : {48, 144, 192}) EXPECT_TRUE(pm.SetDPI(dpi)) << dpi;
    EXPECT_EQ(pm.ScaleValue(10), 20);
    ASSERT_TRUE(pm.SetDPI(144));
    EXPECT_EQ(pm.ScaleValue(10), 15);
    EXPECT_EQ(pm.ScaleValue(-4), -6);
}

TEST_F(LayoutLoaderTest, TabLayoutShowsTheSelectedPageOnly) {
    RecordingWindow window("main.xml");
    ASSERT_TRUE(window.CreateShown());
    auto* tabs = window.Find<CTabLayoutUI>("tabs");
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->GetCurSel(), 1) << "selectedid";
    EXPECT_FALSE(window.Find<CControlUI>("page_0")->IsVisible());
    EXPECT_TRUE(window.Find<CControlUI>("page_1")->IsVisible());

    EXPECT_TRUE(tabs->SelectItem(0));
    EXPECT_TRUE(window.Find<CControlUI>("page_0")->IsVisible());
    EXPECT_FALSE(window.Find<CControlUI>("page_1")->IsVisible());
    ASSERT_EQ(window.Of("tabselect").size(), 1u);
    EXPECT_EQ(window.Of("tabselect")[0].wParam, 0);
    EXPECT_EQ(window.Of("tabselect")[0].lParam, 1);
    EXPECT_FALSE(tabs->SelectItem(2)) << "out of range";
    EXPECT_EQ(tabs->GetCurSel(), 0);
}

// A control class the loader does not know, answered by the window.
class CGaugeUI : public CControlUI {
public:
    std::string GetClass() const override { return "Gauge"; }
    bool SetAttribute(const std::string& name, const std::string& value) override {
        if (name == "level") return (level = std::stoi(value)), true;
        return CControlUI::SetAttribute(name, value);
    }
    int level = 0;
};

class CustomWindow : public RecordingWindow {
public:
    CustomWindow(bool answer) : RecordingWindow("custom.xml"), m_answer(answer) {}
    void InitWindow() override { ++initCalls; }
    CControlUI* CreateControl(const std::string& className) override {
        asked.push_back(className);
        return m_answer && className == "Gauge" ? new CGaugeUI : nullptr;
    }
    std::vector<std::string> asked;
    int initCalls = 0;

private:
    bool m_answer;
};

TEST_F(LayoutLoaderTest, UnknownClassesGoToTheFactoryThenToTheWindow) {
    CControlFactory::GetInstance()->RegistControl("CFactoryThingUI", [] { return new CLabelUI; });
    CustomWindow window(true);
    ASSERT_TRUE(window.Create(nullptr, "t")) << window.GetLoadError();
    EXPECT_EQ(window.initCalls, 1);
    EXPECT_EQ(window.asked, std::vector<std::string>{"Gauge"})
        << "the factory answered FactoryThing";
    auto* gauge = window.Find<CGaugeUI>("gauge");
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->level, 7) << "the custom control reads its own attributes";
    EXPECT_NE(window.Find<CLabelUI>("from_factory"), nullptr);
    CControlFactory::GetInstance()->RemoveAll();
}

TEST_F(LayoutLoaderTest, AnUnansweredClassFailsTheWindowWithFileAndLine) {
    CustomWindow window(false);
    EXPECT_FALSE(window.Create(nullptr, "t"));
    EXPECT_NE(window.GetLoadError().find("custom.xml:4: unknown element <Gauge>"),
              std::string::npos)
        << window.GetLoadError();
    EXPECT_EQ(window.initCalls, 0);
    EXPECT_EQ(window.GetRoot(), nullptr);
}

struct ErrorCase {
    const char* file;
    std::vector<std::string> parts;  // every part appears in the message
};

TEST_F(LayoutLoaderTest, ErrorsNameTheFileAndTheProblem) {
    const ErrorCase cases[] = {
        {"no_such.xml", {"no_such.xml: cannot open file"}},
        {"broken.xml", {"broken.xml:5: XML error"}},
        {"unknown.xml", {"unknown.xml:3: unknown element <Buton>"}},
        {"bad_value.xml", {"bad_value.xml:4: bad value 'wide' for attribute 'width' of <Label>"}},
        {"cycle.xml", {"cycle.xml:2:", "nested too deeply"}},
        {"bad_child.xml", {"bad_child.xml:", "<Label> (line 2) cannot hold <Button>"}},
        {"include_missing.xml", {"include_missing.xml:2:", "not_there.xml: cannot open file"}},
    };
    for (const ErrorCase& c : cases) {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(c.file);
        EXPECT_EQ(root, nullptr) << c.file;
        delete root;
        for (const std::string& part : c.parts)
            EXPECT_NE(builder.GetError().find(part), std::string::npos)
                << c.file << ": '" << builder.GetError() << "' lacks '" << part << "'";
    }
}

TEST_F(LayoutLoaderTest, TextLayoutsBuildWithoutAFile) {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.CreateFromText(
        "<HorizontalLayout name='h'><Label name='a' width='5'/><Include source='nested_part.xml'/>"
        "</HorizontalLayout>",
        "inline"));
    ASSERT_NE(root, nullptr) << builder.GetError();
    EXPECT_NE(dynamic_cast<CContainerUI*>(root.get())->FindSubControl("deep_label"), nullptr);

    std::unique_ptr<CControlUI> none(builder.CreateFromText("<Label", "inline"));
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(builder.GetError().rfind("inline:1: XML error", 0), 0u) << builder.GetError();
}

}  // namespace
}  // namespace tirk::ui::test
