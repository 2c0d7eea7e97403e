// The mouse page in its real layout with the program's skin, offscreen: the
// controls the device object and the routes look up, every tab inside the
// page area, and the picture: one key button per button at its place, a
// light mark per LED, callouts that neither overlap nor hide the mouse, and
// leader lines that never cross.
#include "device/family/mouse_picture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFontMetricsF>
#include <QPixmap>
#include <QRegularExpression>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/control_table.h"
#include "device/family/family_devices.h"
#include "ui/control_factory.h"
#include "ui/device_key_button.h"
#include "ui/edit.h"
#include "ui/select_panel.h"
#include "ui/slider.h"
#include "page_window_fixture.h"
#include "ui/ui_test_support.h"

namespace tirk {
namespace {

constexpr char kPageLayout[] = "XML/DeviceXml/mousedevice.xml";
using test::kPageHeight;
using test::kPageWidth;
constexpr auto& kLanguages = test::kLanguageFiles;
constexpr const char* kLayouts[] = {
    "XML/DeviceXml/mousedevice.xml", "XML/CustomControlXML/MouseDpi.xml",
    "XML/CustomControlXML/MousePointer.xml", "XML/CustomControlXML/MouseSystem.xml"};


std::string Indexed(const char* prefix, int n) {
    return prefix + std::to_string(n);
}

class MousePictureTest : public test::DevicePageFixture<CTelvorinFamilyDevice> {
protected:
    void SetUp() override { ShowPage(kPageLayout, "mousedevice_page", kMousePictureName); }

    template <typename T>
    T* Sub(const std::string& name) const {
        return dynamic_cast<T*>(page_->FindSubControl(name));
    }
    CDeviceKeyButtonUI* Key(int key) const {
        return dynamic_cast<CDeviceKeyButtonUI*>(panel_->FindSubControl(Indexed("key_", key)));
    }
    /// The panel's direct children named `name`.
    std::vector<CControlUI*> Named(const std::string& name) const {
        std::vector<CControlUI*> found;
        for (int i = 0; i < panel_->GetCount(); ++i)
            if (panel_->GetItemAt(i)->GetName() == name) found.push_back(panel_->GetItemAt(i));
        return found;
    }
    void ShowTab(const char* tabs, int page) const {
        auto* layout = Sub<CTabLayoutUI>(tabs);
        ASSERT_NE(layout, nullptr) << tabs;
        layout->SelectItem(page);
        Settle();
    }
    static void Settle() { QApplication::processEvents(); }
    static QRect InWindow(const CControlUI& control) {
        return QRect(control.mapTo(control.window(), QPoint(0, 0)), control.size());
    }
    static QRect Drawing() {
        const QPoint at((kMousePanelWidth - kMouseDrawingWidth) / 2,
                        (kMousePanelHeight - kMouseDrawingHeight) / 2);
        return QRect(at, QSize(kMouseDrawingWidth, kMouseDrawingHeight));
    }
    static QRect OnPanel(const TRectUI& area) {
        return QRect(area.left, area.top, area.Width(), area.Height())
            .translated(Drawing().topLeft());
    }

};

// ---- the layout -------------------------------------------------------------------------

TEST_F(MousePictureTest, TheLayoutHasEveryControlTheDeviceObjectAndTheRoutesLookUp) {
    for (const char* name :
         {"device_profile", "device_page_name", "device_link_text", "device_function_switch",
          "device_key_function_switch", CTelvorinFamilyDevice::kLightPageName,
          CTelvorinFamilyDevice::kKeySetPanelName, CTelvorinFamilyDevice::kKeyListName,
          CTelvorinFamilyDevice::kMacroPageName, CTelvorinFamilyDevice::kShootPageName,
          "mouse_device_seting", "mouse_option_layout"})
        EXPECT_NE(page_->FindSubControl(name), nullptr) << name;
    EXPECT_EQ(panel_->GetCount(), 0) << "the picture is built in code";

    // The settings tabs: options of class "Option" in their layout, one per page.
    auto* options = Sub<CContainerUI>("mouse_option_layout");
    auto* settings = Sub<CTabLayoutUI>("mouse_device_seting");
    ASSERT_TRUE(options && settings);
    EXPECT_EQ(settings->GetCount(), 3);
    for (int n = 0; n < 3; ++n) {
        auto* option = dynamic_cast<COptionUI*>(
            options->FindSubControl(Indexed("mouse_device_seting_option_", n)));
        ASSERT_NE(option, nullptr) << n;
        EXPECT_EQ(option->GetClass(), "Option");
    }
    const auto onPage = [&](int page) {
        return dynamic_cast<CContainerUI*>(settings->GetItemAt(page));
    };
    ASSERT_TRUE(onPage(0) && onPage(1) && onPage(2));
    EXPECT_NE(onPage(0)->FindSubControl("DPI_layout_0"), nullptr) << "page 0: DPI";
    EXPECT_NE(onPage(1)->FindSubControl("pointer_speed_slider"), nullptr) << "page 1: pointer";
    EXPECT_EQ(onPage(2)->GetName(), CTelvorinFamilyDevice::kShootPageName) << "page 2: recoil";

    for (int stage = 0; stage < 5; ++stage) {
        SCOPED_TRACE(stage);
        auto* row = Sub<CContainerUI>(Indexed("DPI_layout_", stage));
        ASSERT_NE(row, nullptr);
        auto* select =
            dynamic_cast<COptionUI*>(row->FindSubControl(Indexed("DPI_select_check_", stage)));
        ASSERT_NE(select, nullptr);
        EXPECT_EQ(select->GetClass(), "Option");
        EXPECT_NE(dynamic_cast<CSliderUI*>(row->FindSubControl(Indexed("DPI_slider_", stage))),
                  nullptr);
        EXPECT_NE(
            dynamic_cast<COptionUI*>(row->FindSubControl(Indexed("DPI_color_option_", stage))),
            nullptr);
        auto* edit = dynamic_cast<CEditUI*>(row->FindSubControl(Indexed("DPI_edit_", stage)));
        ASSERT_NE(edit, nullptr);
        EXPECT_TRUE(edit->IsNumberOnly());
        EXPECT_EQ(edit->GetMaxChar(), 5);
        // A stage that is off has its layout disabled; its check box must
        // stay outside it to switch it on again.
        EXPECT_NE(Sub<COptionUI>(Indexed("DPI_enable_check_", stage)), nullptr);
        EXPECT_EQ(row->FindSubControl(Indexed("DPI_enable_check_", stage)), nullptr);
    }
    for (int rate = 0; rate < 5; ++rate)
        EXPECT_NE(Sub<COptionUI>(Indexed("polling_rate_option_", rate)), nullptr) << rate;
    for (const char* slider :
         {"pointer_speed_slider", "scroll_speed_slider", "double_click_slider"})
        EXPECT_NE(Sub<CSliderUI>(slider), nullptr) << slider;
    for (const char* check : {"pointer_precision_check", "scrolls_page_check"})
        EXPECT_NE(Sub<COptionUI>(check), nullptr) << check;
}

// The device object binds the key buttons of the page's first selection panel.
TEST_F(MousePictureTest, ThePictureIsThePagesOnlySelectionPanel) {
    const std::vector<CControlUI*> panels =
        window_->GetPaintManager().FindSubControlsByClass(page_, "SelectPanel");
    ASSERT_EQ(panels.size(), 1u);
    EXPECT_EQ(panels.front(), panel_);
}

TEST_F(MousePictureTest, EveryTabFitsThePageArea) {
    BuildMousePicture(*panel_);
    const QRect page(0, 0, kPageWidth, kPageHeight);
    const auto expectInside = [&](std::initializer_list<const char*> names) {
        for (const char* name : names) {
            CControlUI* control = page_->FindSubControl(name);
            ASSERT_NE(control, nullptr) << name;
            EXPECT_TRUE(control->isVisibleTo(window_->GetWidget())) << name;
            const QRect shown = InWindow(*control);
            EXPECT_TRUE(page.contains(shown)) << name << " at " << shown.x() << "," << shown.y()
                                              << " " << shown.width() << "x" << shown.height();
            EXPECT_GT(shown.height(), 0) << name;
        }
    };
    ShowTab("device_function_switch", 0);
    ShowTab("device_key_function_switch", 1);
    expectInside({kMousePictureName, CTelvorinFamilyDevice::kKeySetPanelName, "keyset_hint_text"});
    EXPECT_EQ(InWindow(*panel_).size(), QSize(kMousePanelWidth, kMousePanelHeight));
    EXPECT_EQ(InWindow(*Sub<CControlUI>(CTelvorinFamilyDevice::kKeySetPanelName)).height(), 220);
    EXPECT_GT(InWindow(*Sub<CControlUI>(CTelvorinFamilyDevice::kKeySetPanelName)).top(),
              InWindow(*panel_).bottom());
    ShowTab("device_key_function_switch", 0);
    expectInside({CTelvorinFamilyDevice::kLightPageName});
    ShowTab("device_function_switch", 1);
    expectInside({CTelvorinFamilyDevice::kMacroPageName, "macro_btn_cancel"});
    ShowTab("device_function_switch", 2);
    expectInside({"mouse_device_seting_option_2", "DPI_edit_4", "DPI_color_option_4"});
    ShowTab("mouse_device_seting", 1);
    expectInside({"double_click_slider", "scrolls_page_check"});
    ShowTab("mouse_device_seting", 2);
    expectInside({"shootdate_save_btn", "bullet_op_29"});
    ShowTab("device_function_switch", 3);
    expectInside({"polling_rate_option_0", "polling_rate_option_4"});
}

// ---- the picture ---------------------------------------------------------------------------

TEST_F(MousePictureTest, OneKeyButtonPerButtonAtItsPlaceAndNoneOverlap) {
    BuildMousePicture(*panel_);
    Settle();
    EXPECT_EQ(panel_->width(), kMousePanelWidth);
    EXPECT_EQ(panel_->height(), kMousePanelHeight);
    ASSERT_EQ(MouseKeyPlaces().size(), size_t(kMouseKeyCount));
    std::vector<QRect> areas;
    for (int key = 0; key < kMouseKeyCount; ++key) {
        SCOPED_TRACE(key);
        const MouseKeyPlace& place = MouseKeyPlaces()[key];
        EXPECT_EQ(place.key, key) << "the table is in key order";
        CDeviceKeyButtonUI* button = Key(key);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetClass(), "DeviceKeyButton");
        EXPECT_TRUE(button->IsFloat());
        EXPECT_EQ(button->geometry(), OnPanel(place.area));
        EXPECT_TRUE(Drawing().adjusted(0, 0, 1, 1).contains(button->geometry())) << "on the mouse";
        EXPECT_EQ(button->GetToolTip(), CResourceManager::GetInstance()->GetText(place.nameKey));
        EXPECT_FALSE(button->IsLightOn()) << "the buttons have no LEDs";
        EXPECT_TRUE(button->GetUserData().empty());
        // The leader ends on its own button (its anchor dot may straddle the edge).
        const TPointUI anchor = place.anchor;
        EXPECT_TRUE(QRect(place.area.left, place.area.top, place.area.Width(), place.area.Height())
                        .adjusted(-1, -1, 1, 1)
                        .contains(anchor.x, anchor.y));
        for (const QRect& other : areas) EXPECT_FALSE(other.intersects(button->geometry()));
        areas.push_back(button->geometry());
    }
    EXPECT_EQ(Key(kMouseKeyCount), nullptr);
}

TEST_F(MousePictureTest, OneLightMarkPerLedThatLetsClicksThrough) {
    BuildMousePicture(*panel_);
    Settle();
    ASSERT_EQ(MouseLedAreas().size(), size_t(kMouseLedCount));
    for (int led = 0; led < kMouseLedCount; ++led) {
        SCOPED_TRACE(led);
        auto* mark =
            dynamic_cast<CDeviceKeyButtonUI*>(panel_->FindSubControl(Indexed("mouse_led_", led)));
        ASSERT_NE(mark, nullptr);
        EXPECT_EQ(mark->GetUserData(), Indexed("light_", led));
        EXPECT_TRUE(mark->IsLightOn());
        EXPECT_EQ(mark->GetLightColor(), 0xFFFFFFu);
        EXPECT_EQ(mark->GetLightAlpha(), 255);
        EXPECT_FALSE(mark->IsMouseEnabled());
        EXPECT_EQ(mark->geometry(), OnPanel(MouseLedAreas()[led]));
    }
    // Lighting groups pair LED n with LED 13 - n: they face each other.
    for (int led = 0; led < 7; ++led) {
        const TRectUI& left = MouseLedAreas()[led];
        const TRectUI& right = MouseLedAreas()[13 - led];
        EXPECT_LT(left.right, kMouseDrawingWidth / 2) << led;
        EXPECT_GT(right.left, kMouseDrawingWidth / 2) << led;
        EXPECT_NEAR(left.top, right.top, 1) << led;
    }
}

TEST_F(MousePictureTest, CalloutsStandBesideTheMouseInTheirColumnsWithoutOverlapping) {
    BuildMousePicture(*panel_);
    Settle();
    const QRect inside(0, 0, kMousePanelWidth, kMousePanelHeight);
    std::vector<QRect> callouts;
    for (const MouseKeyPlace& place : MouseKeyPlaces()) {
        SCOPED_TRACE(place.key);
        CControlUI* callout = panel_->FindSubControl(MouseCalloutName(place.key));
        ASSERT_NE(callout, nullptr);
        const QRect at = callout->geometry();
        EXPECT_TRUE(inside.contains(at));
        EXPECT_FALSE(at.intersects(Drawing()));
        if (place.side == CalloutSide::kLeft)
            EXPECT_LT(at.right(), Drawing().left());
        else
            EXPECT_GT(at.left(), Drawing().right());
        for (const QRect& other : callouts) EXPECT_FALSE(other.intersects(at));
        callouts.push_back(at);
    }
}

// Pieces of leaders of different keys may not even touch: a reader follows
// each line from its callout to its button.
TEST_F(MousePictureTest, EveryLeaderRunsFromItsCalloutToItsButtonAndNoTwoCross) {
    BuildMousePicture(*panel_);
    Settle();
    std::vector<std::pair<int, QRect>> pieces;
    for (const MouseKeyPlace& place : MouseKeyPlaces()) {
        SCOPED_TRACE(place.key);
        const std::vector<CControlUI*> leader = Named(MouseLeaderName(place.key));
        ASSERT_FALSE(leader.empty());
        QRect joined;
        for (CControlUI* piece : leader) {
            EXPECT_FALSE(piece->IsMouseEnabled());
            EXPECT_TRUE(piece->geometry().width() == 1 || piece->geometry().height() == 1);
            joined |= piece->geometry();
            pieces.emplace_back(place.key, piece->geometry());
        }
        const QRect callout = panel_->FindSubControl(MouseCalloutName(place.key))->geometry();
        const QPoint anchor =
            OnPanel(TRectUI{place.anchor.x, place.anchor.y, place.anchor.x + 1, place.anchor.y + 1})
                .topLeft();
        EXPECT_TRUE(joined.contains(anchor)) << "reaches the anchor";
        EXPECT_LE(std::abs(place.side == CalloutSide::kLeft ? joined.left() - callout.right()
                                                            : callout.left() - joined.right()),
                  4)
            << "starts beside its callout";
    }
    for (size_t a = 0; a < pieces.size(); ++a)
        for (size_t b = a + 1; b < pieces.size(); ++b)
            if (pieces[a].first != pieces[b].first) {
                EXPECT_FALSE(pieces[a].second.adjusted(-1, -1, 1, 1).intersects(pieces[b].second))
                    << "keys " << pieces[a].first << " and " << pieces[b].first;
            }
}

TEST_F(MousePictureTest, CalloutsShowTheFactoryFunctionUntilTheDeviceShowsTheAssignment) {
    ASSERT_TRUE(BuildMousePictureIn(*page_));
    CControlUI* assignment = panel_->FindSubControl(MouseAssignmentName(3));
    ASSERT_NE(assignment, nullptr);
    EXPECT_EQ(assignment->GetTextKey(), "mouse_key_forward");
    EXPECT_EQ(assignment->GetText(), "Forward");

    EXPECT_TRUE(ShowMouseAssignment(*page_, 3, "Macro: reload"));
    EXPECT_EQ(assignment->GetText(), "Macro: reload");
    EXPECT_EQ(assignment->GetToolTip(), "Macro: reload");
    EXPECT_TRUE(assignment->GetTextKey().empty()) << "a plain text";
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage("lan_de.xml"));
    EXPECT_EQ(assignment->GetText(), "Macro: reload") << "stays in another language";
    EXPECT_EQ(panel_->FindSubControl(MouseAssignmentName(4))->GetText(), "Zurück");

    EXPECT_FALSE(ShowMouseAssignment(*page_, kMouseKeyCount, "x"));
    CHorizontalLayoutUI without;
    EXPECT_FALSE(ShowMouseAssignment(without, 0, "x"));
    EXPECT_FALSE(BuildMousePictureIn(without));
}

TEST_F(MousePictureTest, TheDeviceObjectBindsEveryKeyAndLightOfThePicture) {
    ASSERT_TRUE(BuildMousePictureIn(*page_));
    page_->SetPageLayoutPath(kPageLayout);
    page_->SetKeyCount(kMouseKeyCount);
    page_->SetLedCount(kMouseLedCount);
    page_->CTelvorinUSBDevice::AttachToPage();
    EXPECT_EQ(page_->SelectPanel(), panel_);
    for (int key = 0; key < kMouseKeyCount; ++key)
        EXPECT_EQ(page_->KeyControl(key), Key(key)) << key;
    for (int led = 0; led < kMouseLedCount; ++led)
        EXPECT_EQ(page_->LightControl(led), panel_->FindSubControl(Indexed("mouse_led_", led)))
            << led;
}

TEST_F(MousePictureTest, BuildingAgainReplacesThePicture) {
    BuildMousePicture(*panel_);
    const int count = panel_->GetCount();
    ShowMouseAssignment(*page_, 0, "changed");
    BuildMousePicture(*panel_);
    EXPECT_EQ(panel_->GetCount(), count);
    EXPECT_EQ(panel_->FindSubControl(MouseAssignmentName(0))->GetTextKey(), "mouse_key_left");
}

// ---- texts -----------------------------------------------------------------------------------

TEST_F(MousePictureTest, EveryTextIsAKeyThatEveryLanguageHasAndTheButtonNamesFit) {
    QStringList keys;
    for (const char* layout : kLayouts) {
        QFile file(QString::fromStdString(std::string(TIRK_RESOURCE_DIR) + "/skin/" + layout));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << layout;
        const QString text = QString::fromUtf8(file.readAll());
        EXPECT_FALSE(text.contains(QRegularExpression(R"((text|tooltip)="[^%0-9])")))
            << "plain texts in " << layout;
        for (const auto& match : QRegularExpression(R"(%\[(\w+)\])").globalMatch(text))
            keys << match.captured(1);
    }
    for (const MouseKeyPlace& place : MouseKeyPlaces()) keys << place.nameKey << place.defaultKey;
    BuildMousePicture(*panel_);
    Settle();
    CResourceManager& texts = *CResourceManager::GetInstance();
    for (const char* language : kLanguages) {
        ASSERT_TRUE(texts.LoadLanguage(language)) << language;
        for (const QString& key : keys)
            EXPECT_TRUE(texts.HasText(key.toStdString()))
                << language << " lacks " << key.toStdString();
        for (const MouseKeyPlace& place : MouseKeyPlaces()) {
            CControlUI* name = panel_->FindSubControl(Indexed("mouse_key_name_", place.key));
            QFont font(QString::fromStdString(texts.GetFont(name->GetFont()).face));
            font.setPixelSize(texts.GetFont(name->GetFont()).size);
            EXPECT_LE(
                QFontMetricsF(font).horizontalAdvance(QString::fromStdString(name->GetText())),
                name->width())
                << place.nameKey << " in " << language;
        }
    }
}

// Not a check: the page to look at. TIRK_MOUSE_PICTURE_SHOTS=<folder> writes
// <folder>/mouse-keys.png (the keys tab, key 3 changed and key 9 open, the
// LEDs in a rainbow), mouse-dpi.png, mouse-pointer.png and mouse-system.png,
// and mouse-keys-<language>.png in every language.
TEST_F(MousePictureTest, Screenshots) {
    const char* folder = std::getenv("TIRK_MOUSE_PICTURE_SHOTS");
    if (!folder) GTEST_SKIP() << "set TIRK_MOUSE_PICTURE_SHOTS to a folder to get pictures";
    const auto save = [&](const std::string& name) {
        Settle();
        EXPECT_TRUE(window_->GetWidget()->grab().save(
            QString::fromStdString(std::string(folder) + "/" + name)));
    };
    BuildMousePicture(*panel_);
    page_->FindSubControl("device_link_text")->SetTextKey("device_link_cable");
    for (int led = 0; led < kMouseLedCount; ++led) {
        const QColor colour = QColor::fromHsv(led * 359 / kMouseLedCount, 255, 255);
        auto* mark =
            dynamic_cast<CDeviceKeyButtonUI*>(panel_->FindSubControl(Indexed("mouse_led_", led)));
        mark->SetLightMark(colour.red() | colour.blue() << 8 | colour.green() << 16, 255, true);
    }
    Key(3)->SetSetFlag(0);
    Key(9)->SetUnsetFlag(0);
    ShowMouseAssignment(*page_, 3, "Macro: Reload and switch weapon");
    ShowTab("device_function_switch", 0);
    ShowTab("device_key_function_switch", 1);
    save("mouse-keys.png");
    ShowTab("device_function_switch", 2);
    save("mouse-dpi.png");
    ShowTab("mouse_device_seting", 1);
    save("mouse-pointer.png");
    ShowTab("device_function_switch", 3);
    save("mouse-system.png");
    ShowTab("device_function_switch", 0);
    for (const char* language : kLanguages) {
        CResourceManager::GetInstance()->LoadLanguage(language);
        save(std::string("mouse-keys-") + std::string(language).substr(4, 2) + ".png");
    }
}

}  // namespace
}  // namespace tirk
