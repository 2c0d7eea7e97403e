// The custom page controls in a real window on the offscreen platform: the
// rubber-band selection driven by mouse events through the window, the key
// buttons' marks, repaints and double-click, the circle progress and key
// light as painted, the image buttons and the editable list row.
#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <QWindow>

#include "tests/ui/ui_test_support.h"

namespace tirk::ui::test {
namespace {

// The application registers these with the factory at start-up; the test
// registers the same classes itself.
void RegisterPageControls() {
    CControlFactory* factory = CControlFactory::GetInstance();
    factory->RegistControl("CSelectPanelUI", [] { return new CSelectPanelUI; });
    factory->RegistControl("CDeviceKeyButtonUI", [] { return new CDeviceKeyButtonUI; });
    factory->RegistControl("CCircleProgressUI", [] { return new CCircleProgressUI; });
    factory->RegistControl("CHandImgButtonUI", [] { return new CHandImgButtonUI; });
    factory->RegistControl("CHandImgSelectButtonUI", [] { return new CHandImgSelectButtonUI; });
    factory->RegistControl("CComboEditContainerElementUI",
                           [] { return new CComboEditContainerElementUI; });
}

// A picture of one colour, written as PNG; returns its path.
std::string WritePicture(const QTemporaryDir& dir, const char* name, QSize size, QColor colour) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path));
    return path.toStdString();
}

// What the control paints, on a transparent picture.
QImage Rendered(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

class PageControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The list row reads its layout from the program's own skin.
        CPaintManagerUI::SetResourcePath(std::string(TIRK_RESOURCE_DIR) + "/skin/");
        RegisterPageControls();
        ASSERT_TRUE(window.CreateShown()) << window.GetLoadError();
        panel = window.Find<CSelectPanelUI>("panel");
        ASSERT_NE(panel, nullptr);
        for (const char* name : {"k1", "k2", "k3", "nested"}) {
            keys[name] = window.Find<CDeviceKeyButtonUI>(name);
            ASSERT_NE(keys[name], nullptr) << name;
        }
    }
    void TearDown() override { CControlFactory::GetInstance()->RemoveAll(); }

    QWindow* Handle() { return window.GetWidget()->windowHandle(); }

    // A left-button drag through the window, as the mouse does it.
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(Handle(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Handle(), (from + to) / 2);
        QTest::mouseMove(Handle(), to);
        QTest::mouseRelease(Handle(), Qt::LeftButton, {}, to);
    }

    std::string Selected() {
        std::string names;
        for (const auto& [name, key] : keys) {
            if (key->IsSelected()) names += names.empty() ? name : " " + name;
        }
        return names;
    }

    RecordingWindow window{SkinDir() + "page_controls.xml"};
    CSelectPanelUI* panel = nullptr;
    std::map<std::string, CDeviceKeyButtonUI*> keys;
};

// ------------------------------------------------------------ selection panel

TEST_F(PageControlsTest, DragSelectsTheKeysUnderTheRectangleAndReportsOnce) {
    Drag({5, 5}, {45, 25});
    EXPECT_EQ(Selected(), "k1 k2");
    ASSERT_EQ(window.Of("click_select_end").size(), 1u);
    EXPECT_EQ(window.Of("click_select_end")[0].sender, "panel");
    EXPECT_EQ(panel->GetSelectionRect(), (TRectUI{5, 5, 45, 25}));
    EXPECT_EQ(panel->IsPressed(), 0);
    EXPECT_EQ(panel->IsDragging(), 0);
}

TEST_F(PageControlsTest, ReverseDragSelectsTheSameKeys) {
    Drag({65, 35}, {5, 5});
    EXPECT_EQ(Selected(), "k1 k2");
    EXPECT_EQ(panel->GetSelectionRect(), (TRectUI{5, 5, 65, 35}));
    EXPECT_EQ(window.Of("click_select_end").size(), 1u);
}

TEST_F(PageControlsTest, EdgeContactDoesNotSelectButOnePixelDoes) {
    Drag({30, 35}, {40, 5});  // between k1's right and k2's left edge
    EXPECT_EQ(Selected(), "");
    Drag({30, 35}, {41, 5});
    EXPECT_EQ(Selected(), "k2");
    EXPECT_EQ(window.Of("click_select_end").size(), 2u);
}

TEST_F(PageControlsTest, SecondDragReplacesTheSelection) {
    Drag({5, 5}, {75, 35});
    EXPECT_EQ(Selected(), "k1 k2 k3");
    Drag({95, 35}, {65, 5});
    EXPECT_EQ(Selected(), "k3");
    // A drag over nothing clears it.
    Drag({95, 35}, {99, 95});
    EXPECT_EQ(Selected(), "");
    EXPECT_EQ(window.Of("click_select_end").size(), 3u);
}

TEST_F(PageControlsTest, OnlyDirectKeyChildrenTakePart) {
    auto* other = window.Find<COptionUI>("other");
    Drag({5, 95}, {95, 5});             // over every child of the panel
    EXPECT_EQ(Selected(), "k1 k2 k3");  // not the nested key
    EXPECT_TRUE(other->IsSelected());   // other classes keep their state
    keys["nested"]->SetSelected(true);
    Drag({95, 35}, {65, 5});
    EXPECT_TRUE(keys["nested"]->IsSelected());
}

TEST_F(PageControlsTest, ClickWithoutMoveSelectsAndSendsNothing) {
    Drag({5, 5}, {45, 25});
    window.notifications.clear();
    QTest::mouseClick(Handle(), Qt::LeftButton, {}, QPoint(35, 35));
    EXPECT_TRUE(window.Of("click_select_end").empty());
    EXPECT_EQ(Selected(), "k1 k2");
    EXPECT_EQ(panel->IsPressed(), 0);
}

TEST_F(PageControlsTest, DisabledPanelDoesNotSelect) {
    panel->SetEnabled(false);
    Drag({5, 5}, {45, 25});
    EXPECT_EQ(Selected(), "");
    EXPECT_TRUE(window.Of("click_select_end").empty());
}

// ------------------------------------------------------------ key buttons

TEST_F(PageControlsTest, DoubleClickOnAKeySendsDbclick) {
    QTest::mouseDClick(Handle(), Qt::LeftButton, {}, QPoint(20, 20));
    ASSERT_EQ(window.Of("dbclick").size(), 1u);
    EXPECT_EQ(window.Of("dbclick")[0].sender, "k1");
    // It presses the key again, so the release after it clicks once more.
    EXPECT_EQ(window.Of("click").size(), 2u);

    window.notifications.clear();
    keys["k1"]->SetEnabled(false);
    QTest::mouseDClick(Handle(), Qt::LeftButton, {}, QPoint(20, 20));
    for (const Recorded& r : window.notifications) EXPECT_NE(r.sender, "k1") << r.type;
}

TEST(DeviceKeyButton, StartsWithTheDocumentedMarks) {
    CDeviceKeyButtonUI key;
    EXPECT_FALSE(key.IsLightOn());
    EXPECT_EQ(key.GetLightColor(), 255u);
    EXPECT_EQ(key.GetLightAlpha(), 200);
    EXPECT_EQ(key.GetSetFlag(), 1);
    EXPECT_EQ(key.GetUnsetFlag(), 1);
    EXPECT_EQ(key.GetMarkFlag(), 0);
    EXPECT_FALSE(key.IsSelected());
    EXPECT_EQ(key.GetClass(), "DeviceKeyButton");
}

TEST(DeviceKeyButton, FlagsRepaintOnlyWhenTheyChange) {
    struct Flag {
        const char* name;
        void (CDeviceKeyButtonUI::*set)(int);
        int (CDeviceKeyButtonUI::*get)() const;
    };
    const Flag flags[] = {
        {"set", &CDeviceKeyButtonUI::SetSetFlag, &CDeviceKeyButtonUI::GetSetFlag},
        {"unset", &CDeviceKeyButtonUI::SetUnsetFlag, &CDeviceKeyButtonUI::GetUnsetFlag},
        {"mark", &CDeviceKeyButtonUI::SetMarkFlag, &CDeviceKeyButtonUI::GetMarkFlag},
    };
    for (const Flag& flag : flags) {
        CDeviceKeyButtonUI key;
        const int initial = (key.*flag.get)();
        (key.*flag.set)(initial);
        EXPECT_EQ(key.GetRepaintRequests(), 0) << flag.name << ": own value";
        (key.*flag.set)(1 - initial);
        EXPECT_EQ((key.*flag.get)(), 1 - initial) << flag.name;
        EXPECT_EQ(key.GetRepaintRequests(), 1) << flag.name << ": changed";
        (key.*flag.set)(1 - initial);
        EXPECT_EQ(key.GetRepaintRequests(), 1) << flag.name << ": same again";
    }
}

TEST(DeviceKeyButton, LightMarkAndSelectionAreStoredWithoutRepaint) {
    CDeviceKeyButtonUI key;
    key.SetLightMark(0xFFFFFF, 255, true);
    key.SetSelected(true);
    EXPECT_EQ(key.GetRepaintRequests(), 0);
    EXPECT_TRUE(key.IsLightOn());
    EXPECT_EQ(key.GetLightColor(), 0xFFFFFFu);
    EXPECT_EQ(key.GetLightAlpha(), 255);
    EXPECT_TRUE(key.IsSelected());
}

TEST(DeviceKeyButton, PaintsTheTintedLightUnderTheMarks) {
    QTemporaryDir dir;
    CDeviceKeyButtonUI key;
    key.resize(20, 20);
    ASSERT_TRUE(key.SetAttribute("lightimage", WritePicture(dir, "light.png", {8, 8}, Qt::white)));
    ASSERT_TRUE(key.SetAttribute("keysetimage", WritePicture(dir, "set.png", {8, 8}, Qt::red)));
    ASSERT_TRUE(
        key.SetAttribute("keyunsetimage", WritePicture(dir, "unset.png", {8, 8}, Qt::blue)));
    auto centre = [&key] { return Rendered(key).pixelColor(10, 10); };

    EXPECT_EQ(centre().alpha(), 0) << "light off, marks 1: nothing drawn";
    key.SetLightMark(0xFF0000, 255, true);  // packed: the third byte is green
    EXPECT_EQ(centre(), QColor(0, 255, 0));
    key.SetLightMark(0x00FF00, 255, true);  // the second byte is blue
    EXPECT_EQ(centre(), QColor(0, 0, 255));
    key.SetLightMark(0x0000FF, 128, true);  // half-transparent red
    EXPECT_EQ(centre().red(), 255);
    EXPECT_NEAR(centre().alpha(), 128, 2);
    key.SetUnsetFlag(0);
    EXPECT_EQ(centre(), QColor(Qt::blue));
    key.SetSetFlag(0);
    EXPECT_EQ(centre(), QColor(Qt::red)) << "the key-set image is drawn last";
}

// ------------------------------------------------------------ circle progress

TEST(CircleProgress, PaintsAQuarterRingClockwiseFromTheBottom) {
    CCircleProgressUI circle;
    circle.resize(100, 100);
    circle.SetBkColor(0xFF0000FF);
    circle.SetForeColor(0xFFFF0000);
    circle.SetValue(25);
    const QImage image = Rendered(circle);
    // Ring points (radius 45 around the centre) in each quarter.
    EXPECT_EQ(image.pixelColor(18, 82), QColor(Qt::red)) << "6 to 9 o'clock: filled";
    EXPECT_EQ(image.pixelColor(82, 82), QColor(Qt::blue)) << "3 to 6 o'clock";
    EXPECT_EQ(image.pixelColor(18, 18), QColor(Qt::blue)) << "9 to 12 o'clock";
    EXPECT_EQ(image.pixelColor(82, 18), QColor(Qt::blue)) << "12 to 3 o'clock";
    EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::white)) << "inside the ring";
    EXPECT_EQ(image.pixelColor(2, 2).alpha(), 0) << "outside the disc";
}

// ------------------------------------------------------------ image buttons

TEST_F(PageControlsTest, HandButtonsReportEnterAndLeave) {
    for (const char* name : {"hand", "pan"}) {
        auto* button = window.Find<CHandImgButtonUI>(name);
        ASSERT_NE(button, nullptr) << name;
        window.notifications.clear();
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QCoreApplication::sendEvent(button, &enter);
        EXPECT_TRUE(button->IsHot()) << name;
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(button, &leave);
        EXPECT_FALSE(button->IsHot()) << name;
        ASSERT_EQ(window.notifications.size(), 2u) << name;
        EXPECT_EQ(window.notifications[0].type, "msenter") << name;
        EXPECT_EQ(window.notifications[1].type, "msleave") << name;

        window.notifications.clear();
        button->SetEnabled(false);
        QCoreApplication::sendEvent(button, &enter);
        EXPECT_FALSE(button->IsHot()) << name;
        EXPECT_TRUE(window.notifications.empty()) << name;
    }
}

TEST_F(PageControlsTest, HandButtonClicksAndDrawsItsImage) {
    QTemporaryDir dir;
    auto* hand = window.Find<CHandImgButtonUI>("hand");
    ASSERT_TRUE(hand->SetAttribute("handimage", WritePicture(dir, "hand.png", {4, 4}, Qt::green)));
    EXPECT_EQ(Rendered(*hand).pixelColor(25, 30), QColor(Qt::green));
    QTest::mouseClick(hand, Qt::LeftButton, {}, QPoint(25, 30));
    ASSERT_EQ(window.Of("click").size(), 1u);
    EXPECT_EQ(window.Of("click")[0].sender, "hand");
}

TEST_F(PageControlsTest, PanButtonShowsPartOfALargerPictureAndPansOnDrag) {
    QTemporaryDir dir;
    const std::string path = WritePicture(dir, "map.png", {200, 100}, Qt::darkCyan);
    auto* pan = window.Find<CHandImgSelectButtonUI>("pan");
    ASSERT_TRUE(pan->SetAttribute("handimage", path));
    EXPECT_EQ(pan->GetPictureSize(), (TSizeUI{200, 100}));
    EXPECT_EQ(pan->GetSource(), (TRectUI{0, 0, 50, 40}));
    EXPECT_EQ(pan->GetHandImage(), "file='" + path + "' source='0,0,50,40'");

    QTest::mousePress(pan, Qt::LeftButton, {}, QPoint(30, 20));
    EXPECT_TRUE(pan->IsDragging());
    EXPECT_TRUE(pan->IsPushed());
    QTest::mouseMove(pan, QPoint(20, 15));
    EXPECT_EQ(pan->GetSource(), (TRectUI{10, 5, 60, 45}));
    QTest::mouseMove(pan, QPoint(40, 35));  // back by more than the offset
    EXPECT_EQ(pan->GetSource(), (TRectUI{0, 0, 50, 40}));
    EXPECT_EQ(pan->GetHandImage(), "file='" + path + "' source='0,0,50,40'");
    QTest::mouseRelease(pan, Qt::LeftButton, {}, QPoint(40, 35));
    EXPECT_FALSE(pan->IsDragging());
    EXPECT_FALSE(pan->IsPushed());
    EXPECT_TRUE(window.Of("click").empty()) << "panning never clicks";
}

TEST_F(PageControlsTest, PanButtonShowsASmallPictureWhole) {
    QTemporaryDir dir;
    const std::string path = WritePicture(dir, "small.png", {50, 40}, Qt::darkCyan);
    auto* pan = window.Find<CHandImgSelectButtonUI>("pan");
    ASSERT_TRUE(pan->SetAttribute("handimage", path));
    EXPECT_EQ(pan->GetHandImage(), path);

    // An unreadable picture changes nothing but the path.
    ASSERT_TRUE(pan->SetAttribute("handimage", dir.filePath("missing.png").toStdString()));
    EXPECT_EQ(pan->GetHandImage(), path);
    EXPECT_EQ(pan->GetPictureSize(), (TSizeUI{50, 40}));
}

TEST_F(PageControlsTest, PanButtonCursorByName) {
    auto* pan = window.Find<CHandImgSelectButtonUI>("pan");
    EXPECT_EQ(pan->cursor().shape(), Qt::PointingHandCursor) << "from the layout";
    const std::pair<const char*, Qt::CursorShape> cursors[] = {
        {"arrow", Qt::ArrowCursor},        {"ibeam", Qt::IBeamCursor},
        {"wait", Qt::WaitCursor},          {"cross", Qt::CrossCursor},
        {"uparrow", Qt::UpArrowCursor},    {"size", Qt::SizeAllCursor},
        {"icon", Qt::ArrowCursor},         {"sizenwse", Qt::SizeFDiagCursor},
        {"sizenesw", Qt::SizeBDiagCursor}, {"sizewe", Qt::SizeHorCursor},
        {"sizens", Qt::SizeVerCursor},     {"sizeall", Qt::SizeAllCursor},
        {"no", Qt::ForbiddenCursor},       {"hand", Qt::PointingHandCursor},
    };
    for (const auto& [name, shape] : cursors) {
        pan->SetAttribute("cursor", "wait");
        pan->SetAttribute("cursor", name);
        EXPECT_EQ(pan->cursor().shape(), shape) << name;
    }
    pan->SetAttribute("cursor", "sizens");
    EXPECT_TRUE(pan->SetAttribute("cursor", "pointer"));
    EXPECT_EQ(pan->cursor().shape(), Qt::SizeVerCursor) << "an unknown name changes nothing";
}

// ------------------------------------------------------------ editable list row

TEST_F(PageControlsTest, ListRowBuildsItsContentFromItsLayout) {
    auto* row = window.Find<CComboEditContainerElementUI>("row0");
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->GetCount(), 1);
    EXPECT_EQ(row->GetText1(), window.Find<CControlUI>("text1"));
    ASSERT_NE(row->GetText1(), nullptr);
    ASSERT_NE(row->GetText2(), nullptr);
    ASSERT_NE(dynamic_cast<CEditUI*>(row->GetDelayEdit()), nullptr);
    EXPECT_EQ(row->GetText1()->GetParent()->GetParent(), row);
}

TEST_F(PageControlsTest, ListRowSelectsOnPressAndReportsOnRelease) {
    auto* list = window.Find<CListUI>("list");
    auto* row0 = window.Find<CComboEditContainerElementUI>("row0");
    auto* row1 = window.Find<CComboEditContainerElementUI>("row1");
    const QPoint inText(20, row0->height() / 2);  // over text1, which passes the mouse on

    QTest::mousePress(row1, Qt::LeftButton, {}, inText);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_TRUE(window.Of("itemclick").empty()) << "not before the release";
    QTest::mouseRelease(row1, Qt::LeftButton, {}, inText);
    ASSERT_EQ(window.Of("itemclick").size(), 1u);
    EXPECT_EQ(window.Of("itemclick")[0].sender, "row1");

    QTest::mouseClick(row1, Qt::LeftButton, Qt::ControlModifier, inText);
    EXPECT_EQ(list->GetCurSel(), -1) << "Ctrl toggles a selected row off";
    QTest::mouseClick(row0, Qt::LeftButton, Qt::ControlModifier, inText);
    EXPECT_EQ(list->GetCurSel(), 0) << "and an unselected one on";
    EXPECT_TRUE(row0->IsSelected());
}

TEST_F(PageControlsTest, ListRowEnterActivatesAndSendsReturn) {
    auto* row0 = window.Find<CComboEditContainerElementUI>("row0");
    QTest::keyClick(row0, Qt::Key_Return);
    ASSERT_EQ(window.Of("return").size(), 1u);
    EXPECT_EQ(window.Of("return")[0].sender, "row0");
    EXPECT_EQ(window.Of("itemactivate").size(), 1u);

    row0->SetEnabled(false);
    window.notifications.clear();
    QTest::keyClick(row0, Qt::Key_Return);
    EXPECT_TRUE(window.Of("return").empty());
}

}  // namespace
}  // namespace tirk::ui::test
