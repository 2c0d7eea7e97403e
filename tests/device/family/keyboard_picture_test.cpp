// The keyboard page's picture in the real keyboard page layout with the
// program's skin, offscreen: one key button per drawn key of the geometry
// table at its place, named and keyed as the device object and the languages
// need, and a layout that fits the page.
#include "device/family/keyboard_picture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetricsF>
#include <QPixmap>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/control_table.h"
#include "device/family/keyboard_device.h"
#include "device/lighting/keyboard_geometry.h"
#include "ui/control_factory.h"
#include "ui/device_key_button.h"
#include "ui/select_panel.h"
#include "page_window_fixture.h"
#include "ui/ui_test_support.h"

namespace tirk {
namespace {

using lighting::KeyboardGeometry;

constexpr char kPageLayout[] = "XML/DeviceXml/keyboarddevice.xml";
using test::kPageHeight;
using test::kPageWidth;
constexpr auto& kLanguages = test::kLanguageFiles;
/// The number pad's positions, as the keyboard protocol numbers them.
constexpr int kNumberPad[] = {38, 39, 40, 41, 59, 60,  61,  119, 76,
                              77, 78, 97, 98, 99, 118, 116, 117};


class KeyboardPictureTest : public test::DevicePageFixture<CTelvorinKeyboardDevice> {
protected:
    void SetUp() override { ShowPage(kPageLayout, "keyboarddevice_page", kKeyboardPictureName); }

    /// The panel's key buttons, in child order.
    std::vector<CDeviceKeyButtonUI*> Keys() const {
        std::vector<CDeviceKeyButtonUI*> keys;
        for (int i = 0; i < panel_->GetCount(); ++i) {
            if (auto* key = dynamic_cast<CDeviceKeyButtonUI*>(panel_->GetItemAt(i)))
                keys.push_back(key);
        }
        return keys;
    }
    CDeviceKeyButtonUI* Key(int position) const {
        return dynamic_cast<CDeviceKeyButtonUI*>(
            panel_->FindSubControl("key_" + std::to_string(position)));
    }
    /// Lays the window out as showing it does.
    void Settle() const { QApplication::processEvents(); }
    /// A control's rectangle in window pixels (96 DPI offscreen).
    static QRect InWindow(const CControlUI& control) {
        return QRect(control.mapTo(control.window(), QPoint(0, 0)), control.size());
    }

};

TEST_F(KeyboardPictureTest, TheLayoutKeepsTheControlsTheCodeBindsAndLeavesThePanelEmpty) {
    for (const char* name :
         {"device_profile", "device_page_name", "device_link_text", "device_function_switch",
          "device_key_function_switch", CTelvorinFamilyDevice::kLightPageName,
          CTelvorinFamilyDevice::kKeySetPanelName, CTelvorinFamilyDevice::kKeyListName})
        EXPECT_NE(page_->FindSubControl(name), nullptr) << name;
    EXPECT_EQ(panel_->GetCount(), 0) << "the picture is built in code";
}

TEST_F(KeyboardPictureTest, EveryPageOfTheFunctionSwitchFitsBelowThePicture) {
    BuildKeyboardPicture(*panel_);
    Settle();
    const QRect picture = InWindow(*panel_);
    EXPECT_EQ(picture.size(), QSize(540, 156));
    EXPECT_GE(picture.left(), 0);
    EXPECT_LE(picture.right(), kPageWidth - 1);
    auto* keyFunctions =
        dynamic_cast<CTabLayoutUI*>(page_->FindSubControl("device_key_function_switch"));
    ASSERT_NE(keyFunctions, nullptr);
    for (int tab : {0, 1}) {
        keyFunctions->SelectItem(tab);
        Settle();
        for (const char* name :
             {CTelvorinFamilyDevice::kLightPageName, CTelvorinFamilyDevice::kKeySetPanelName,
              CTelvorinFamilyDevice::kKeyListName}) {
            CControlUI* control = page_->FindSubControl(name);
            if (!control->isVisibleTo(window_->GetWidget())) continue;
            const QRect shown = InWindow(*control);
            SCOPED_TRACE(std::string(name) + " on tab " + std::to_string(tab));
            EXPECT_GT(shown.top(), picture.bottom()) << "below the picture";
            EXPECT_LE(shown.bottom(), kPageHeight - 1) << "inside the page";
            EXPECT_GT(shown.height(), 0);
        }
    }
    EXPECT_EQ(InWindow(*page_->FindSubControl(CTelvorinFamilyDevice::kKeySetPanelName)).height(),
              220);
}

TEST_F(KeyboardPictureTest, OneKeyButtonPerDrawnPositionNamedForTheBinding) {
    BuildKeyboardPicture(*panel_);
    const std::vector<CDeviceKeyButtonUI*> keys = Keys();
    EXPECT_EQ(keys.size(), size_t(lighting::kDrawnKeyCount));
    EXPECT_EQ(panel_->GetCount(), lighting::kDrawnKeyCount) << "nothing but key buttons";
    std::set<int> positions;
    for (CDeviceKeyButtonUI* key : keys) {
        const std::string& name = key->GetName();
        ASSERT_EQ(name.rfind("key_", 0), 0u) << name;
        const int position = std::atoi(name.c_str() + 4);
        EXPECT_EQ(name, "key_" + std::to_string(position));
        EXPECT_EQ(key->GetUserData(), "light_" + std::to_string(position));
        EXPECT_EQ(key->GetClass(), "DeviceKeyButton");
        EXPECT_TRUE(key->IsLightOn());
        EXPECT_EQ(key->GetLightColor(), 0xFFFFFFu);
        EXPECT_EQ(key->GetLightAlpha(), 255);
        positions.insert(position);
    }
    std::set<int> drawn;
    for (int position = 0; position < lighting::kPositionCount; ++position)
        if (KeyboardGeometry()[position].Drawn()) drawn.insert(position);
    EXPECT_EQ(positions, drawn);
}

TEST_F(KeyboardPictureTest, KeysSitAtTheirScaledRectanglesInsideThePanelWithoutOverlapping) {
    BuildKeyboardPicture(*panel_);
    Settle();
    const std::vector<CDeviceKeyButtonUI*> keys = Keys();
    const QRect inside(0, 0, panel_->width(), panel_->height());
    EXPECT_EQ(inside.size(), QSize(lighting::kDrawingWidth * kQuarterKeyPixels,
                                   lighting::kDrawingHeight * kQuarterKeyPixels));
    for (CDeviceKeyButtonUI* key : keys) {
        const lighting::KeyGeometry& cell =
            KeyboardGeometry()[std::atoi(key->GetName().c_str() + 4)];
        const QRect expected(cell.x * kQuarterKeyPixels, cell.y * kQuarterKeyPixels,
                             cell.w * kQuarterKeyPixels, cell.h * kQuarterKeyPixels);
        EXPECT_TRUE(key->IsFloat()) << key->GetName();
        EXPECT_EQ(key->geometry(), expected) << key->GetName();
        EXPECT_TRUE(inside.contains(key->geometry())) << key->GetName();
    }
    for (size_t a = 0; a < keys.size(); ++a)
        for (size_t b = a + 1; b < keys.size(); ++b)
            EXPECT_FALSE(keys[a]->geometry().intersects(keys[b]->geometry()))
                << keys[a]->GetName() << " and " << keys[b]->GetName();
}

TEST_F(KeyboardPictureTest, EscIsAtTheTopLeftAndTheNumberPadAtTheRight) {
    BuildKeyboardPicture(*panel_);
    Settle();
    ASSERT_NE(Key(0), nullptr);
    EXPECT_EQ(Key(0)->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(Key(0)->GetTextKey(), "keyboard_key_Esc");
    const std::set<int> pad(std::begin(kNumberPad), std::end(kNumberPad));
    int rightOfTheRest = 0;
    int leftOfThePad = panel_->width();
    int rightOfThePad = 0;
    for (CDeviceKeyButtonUI* key : Keys()) {
        const QRect at = key->geometry();
        if (pad.count(std::atoi(key->GetName().c_str() + 4))) {
            leftOfThePad = std::min(leftOfThePad, at.left());
            rightOfThePad = std::max(rightOfThePad, at.left() + at.width());
        } else {
            rightOfTheRest = std::max(rightOfTheRest, at.left() + at.width());
        }
    }
    EXPECT_GT(leftOfThePad, rightOfTheRest) << "a gap between the pad and the rest";
    EXPECT_EQ(rightOfThePad, panel_->width());
    ASSERT_NE(Key(41), nullptr);  // Num -: the top right key
    EXPECT_EQ(Key(41)->geometry().topRight(), QPoint(panel_->width() - 1, 6 * kQuarterKeyPixels));
}

TEST_F(KeyboardPictureTest, CapsShowTheirLegendAndTheKeysNameAsTooltipFollowingTheLanguage) {
    BuildKeyboardPicture(*panel_);
    CResourceManager& texts = *CResourceManager::GetInstance();
    for (CDeviceKeyButtonUI* key : Keys()) {
        const std::string name = KeyboardGeometry()[std::atoi(key->GetName().c_str() + 4)].legend;
        EXPECT_EQ(key->GetTextKey(), CapLegendKey(name)) << key->GetName();
        EXPECT_EQ(key->GetToolTip(), texts.GetText(name)) << key->GetName();
    }
    EXPECT_EQ(Key(0)->GetTextKey(), "keyboard_key_Esc");
    EXPECT_EQ(Key(0)->GetText(), "Esc");
    EXPECT_EQ(Key(113)->GetTextKey(), "keyboard_cap_Left");
    EXPECT_EQ(Key(113)->GetText(), "\u2190");
    EXPECT_EQ(Key(113)->GetToolTip(), "Left arrow");
    EXPECT_EQ(Key(97)->GetText(), "1") << "Num 1";

    ASSERT_TRUE(texts.LoadLanguage("lan_de.xml"));
    EXPECT_EQ(Key(108)->GetText(), "Leertaste");
    EXPECT_EQ(Key(112)->GetText(), "Strg");
    EXPECT_EQ(Key(112)->GetToolTip(), "Strg rechts");
}

// A legend that does not fit its cap even at the smallest size is cut; no
// language may have one. The name keys are the key list's, the cap keys the
// picture's own.
TEST_F(KeyboardPictureTest, EveryLegendExistsAndFitsItsCapInEveryLanguage) {
    BuildKeyboardPicture(*panel_);
    Settle();
    CResourceManager& texts = *CResourceManager::GetInstance();
    for (const char* language : kLanguages) {
        ASSERT_TRUE(texts.LoadLanguage(language)) << language;
        for (CDeviceKeyButtonUI* key : Keys()) {
            const std::string name =
                KeyboardGeometry()[std::atoi(key->GetName().c_str() + 4)].legend;
            EXPECT_TRUE(texts.HasText(name)) << name << " in " << language;
            EXPECT_TRUE(texts.HasText(key->GetTextKey()))
                << key->GetTextKey() << " in " << language;
            const TFontInfoUI& info = texts.GetFont(key->GetFont());
            QFont smallest(QString::fromStdString(info.face));
            smallest.setPixelSize(key->GetLegendShrinkLimit());
            const TRectUI& padding = key->GetTextPadding();
            const int room = key->width() - padding.left - padding.right;
            const qreal needed =
                QFontMetricsF(smallest).horizontalAdvance(QString::fromStdString(key->GetText()));
            EXPECT_LE(needed, room) << key->GetTextKey() << " \"" << key->GetText() << "\" ("
                                    << needed << " px) in " << language;
        }
    }
}

TEST_F(KeyboardPictureTest, TheDeviceObjectBindsEveryKeyAndLightOfThePicture) {
    ASSERT_TRUE(BuildKeyboardPictureIn(*page_));
    page_->SetPageLayoutPath(kPageLayout);
    page_->SetKeyCount(lighting::kPositionCount);
    page_->SetLedCount(lighting::kPositionCount);
    page_->CTelvorinUSBDevice::AttachToPage();
    EXPECT_EQ(page_->SelectPanel(), panel_);
    for (int position = 0; position < lighting::kPositionCount; ++position) {
        SCOPED_TRACE(position);
        CDeviceKeyButtonUI* expected =
            KeyboardGeometry()[position].Drawn() ? Key(position) : nullptr;
        EXPECT_EQ(page_->KeyControl(position), expected);
        EXPECT_EQ(page_->LightControl(position), expected);
    }
}

TEST_F(KeyboardPictureTest, BuildingAgainReplacesThePicture) {
    BuildKeyboardPicture(*panel_);
    CDeviceKeyButtonUI* first = Key(0);
    first->SetLightMark(0x00FF00, 10, false);
    BuildKeyboardPicture(*panel_);
    EXPECT_EQ(panel_->GetCount(), lighting::kDrawnKeyCount);
    ASSERT_NE(Key(0), nullptr);
    EXPECT_TRUE(Key(0)->IsLightOn()) << "a new, white key";
    EXPECT_EQ(Key(0)->GetLightColor(), 0xFFFFFFu);

    CHorizontalLayoutUI without;
    EXPECT_FALSE(BuildKeyboardPictureIn(without));
}

// Not a check: the picture to look at. TIRK_KEYBOARD_PICTURE_SHOTS=<folder>
// writes <folder>/kbpic.png (the picture with white lights, English, on the
// page's background), kbpic-colours.png (a rainbow across the keys, Fn
// disabled as on the keys tab), kbpage.png and kbpage-keys.png (the whole page
// on its two tabs) and kbpic-<language>.png in every language.
TEST_F(KeyboardPictureTest, Screenshots) {
    const char* folder = std::getenv("TIRK_KEYBOARD_PICTURE_SHOTS");
    if (!folder) GTEST_SKIP() << "set TIRK_KEYBOARD_PICTURE_SHOTS to a folder to get pictures";
    const auto path = [&](const std::string& name) {
        return QString::fromStdString(std::string(folder) + "/" + name);
    };
    const auto savePicture = [&](const std::string& name) {
        Settle();
        QPixmap picture(panel_->size());
        picture.fill(QColor(0x14, 0x16, 0x1B));
        panel_->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
        EXPECT_TRUE(picture.save(path(name)));
    };
    const auto savePage = [&](const std::string& name) {
        Settle();
        EXPECT_TRUE(window_->GetWidget()->grab().save(path(name)));
    };
    BuildKeyboardPicture(*panel_);
    page_->FindSubControl("device_link_text")->SetTextKey("device_link_cable");
    savePicture("kbpic.png");
    savePage("kbpage.png");
    for (CDeviceKeyButtonUI* key : Keys()) {
        const int hue = key->geometry().center().x() * 300 / panel_->width();
        const QColor colour = QColor::fromHsv(hue, 255, 255);
        // The buttons' packing: red | blue << 8 | green << 16.
        key->SetLightMark(colour.red() | colour.blue() << 8 | colour.green() << 16, 255, true);
    }
    Key(110)->SetEnabled(false);
    savePicture("kbpic-colours.png");
    auto* keyFunctions =
        dynamic_cast<CTabLayoutUI*>(page_->FindSubControl("device_key_function_switch"));
    keyFunctions->SelectItem(1);
    savePage("kbpage-keys.png");
    for (const char* language : kLanguages) {
        CResourceManager::GetInstance()->LoadLanguage(language);
        savePicture(std::string("kbpic-") + std::string(language).substr(4, 2) + ".png");
    }
}

}  // namespace
}  // namespace tirk
