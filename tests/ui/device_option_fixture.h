// The program's own skin with the device tile and power tile classes known to
// the control factory, as start-up registers them, and the main window's
// layout with two device tiles and a power tile placed where device
// discovery puts them.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/ui_test_support.h"

namespace tirk::ui::test {

inline std::string ProgramSkinDir() {
    return std::string(TIRK_RESOURCE_DIR) + "/skin/";
}

/// Every language file of the program's skin ("lan_*.xml").
inline std::vector<std::string> ProgramLanguageFiles() {
    std::vector<std::string> files;
    for (const QString& name : QDir(QString::fromStdString(ProgramSkinDir()))
                                   .entryList({"lan_*.xml"}, QDir::Files, QDir::Name))
        files.push_back(name.toStdString());
    return files;
}

/// Uses the program's skin and English texts and registers the two tile
/// classes with the control factory.
class ProgramSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPaintManagerUI::SetResourcePath(ProgramSkinDir());
        std::string error;
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage("lan_en.xml", &error)) << error;
        CControlFactory* factory = CControlFactory::GetInstance();
        factory->RegistControl("CDeviceOptionUI", [] { return new CDeviceOptionUI; });
        factory->RegistControl("CMpDevicePowerUI", [] { return new CMpDevicePowerUI; });
    }
    void TearDown() override { CControlFactory::GetInstance()->RemoveAll(); }
};

/// The main window's own layout with two device tiles in
/// "device_select_layout" and a power tile in "device_power_switch", built
/// and added as device discovery does.
class MainWindowWithTiles : public ProgramSkinTest {
protected:
    void SetUp() override {
        ProgramSkinTest::SetUp();
        ASSERT_TRUE(window.CreateShown()) << window.GetLoadError();
        auto* list = dynamic_cast<CContainerUI*>(
            window.GetPaintManager().FindControl("device_select_layout"));
        auto* powerSwitch = window.Find<CTabLayoutUI>("device_power_switch");
        ASSERT_NE(list, nullptr);
        ASSERT_NE(powerSwitch, nullptr);
        CPaintManagerUI* manager = &window.GetPaintManager();
        std::string error;
        for (int kind : {2, 1}) {
            CDeviceOptionUI* tile =
                CDeviceOptionUI::CreateFromLayout(CDeviceOptionUI::kLayoutFile, manager, &error);
            ASSERT_NE(tile, nullptr) << error;
            ASSERT_TRUE(list->Add(tile));
            tile->SetShown(true);
            tile->SetGroup("tab_header_device");
            tile->SetKind(kind, 0);
            tiles.push_back(tile);
        }
        power = CMpDevicePowerUI::CreateFromLayout(CMpDevicePowerUI::kLayoutFile, manager, &error);
        ASSERT_NE(power, nullptr) << error;
        ASSERT_TRUE(powerSwitch->Add(power));
        power->SetKind(2, 0);
        tiles[0]->BindPowerTile("device_power_switch", powerSwitch->GetItemIndex(power));
        ASSERT_TRUE(powerSwitch->SelectItem(power));
        ASSERT_TRUE(WaitUntil([this] { return tiles[1]->width() > 0 && power->width() > 0; }));
    }

    QWindow* Handle() { return window.GetWidget()->windowHandle(); }

    /// A left click through the window at the centre of `control`.
    void ClickOn(CControlUI* control, QPoint offset = {}) {
        const TRectUI at = control->GetPos();
        const QPoint point = offset.isNull()
                                 ? QPoint((at.left + at.right) / 2, (at.top + at.bottom) / 2)
                                 : QPoint(at.left, at.top) + offset;
        QTest::mouseClick(Handle(), Qt::LeftButton, {}, point);
    }

    RecordingWindow window{ProgramSkinDir() + "main.xml"};
    std::vector<CDeviceOptionUI*> tiles;
    CMpDevicePowerUI* power = nullptr;
};

}  // namespace tirk::ui::test
