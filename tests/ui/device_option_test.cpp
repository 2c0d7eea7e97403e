// The device tile: the look of every device kind (pictures and name key, as a
// table against the program's skin and language files), its layout, the
// synchronisation check box switching the pictures, the option group across
// tiles, and what the device object uses of it (IDeviceTile).
#include <gtest/gtest.h>

#include <QImageReader>
#include <memory>

#include "tests/ui/device_option_fixture.h"

namespace tirk::ui::test {
namespace {

struct KindCase {
    int kind;
    int variant;
    const char* prefix;
    const char* nameKey;
};

const KindCase kKindCases[] = {
    {1, 0, "common/device_ico/kb_device_", "kb_device_name_text"},
    {1, 1, "common/device_ico/kb_device_", "kb_device_name_text"},
    {2, 0, "common/device_ico/ms_device_", "ms_device_name_text"},
    {3, 0, "common/device_ico/hard_mp_device_", "hard_mp_device_name_text"},
    {3, 1, "common/device_ico/soft_mp_device_", "soft_mp_device_name_text"},
    {3, 2, "common/device_ico/hard_mp_device_", "hard_mp_device_name_text"},
    {4, 0, "common/device_ico/hd_device_", "hd_device_name_text"},
    {7, 0, "common/device_ico/hd_device_", "hd_device_name_text"},
    {5, 0, "common/device_ico/hub_device_", "hub_device_name_text"},
    {0, 0, "common/device_ico/unknow_device_", "unknow_device_name_text"},
    {6, 0, "common/device_ico/unknow_device_", "unknow_device_name_text"},
    {8, 0, "common/device_ico/unknow_device_", "unknow_device_name_text"},
    {9, 0, "common/device_ico/unknow_device_", "unknow_device_name_text"},
    {-1, 0, "common/device_ico/unknow_device_", "unknow_device_name_text"},
};

const std::pair<TileImage, const char*> kImageFiles[] = {
    {TileImage::kNormal, "normal.png"},
    {TileImage::kSelected, "selected.png"},
    {TileImage::kSynchroNormal, "synchro_normal.png"},
    {TileImage::kSynchroSelected, "synchro_selected.png"},
};

// The file of an image string such as "file='a.png' corner='…'".
std::string FileOf(const std::string& image) {
    auto parsed = ParseImageString(image);
    return parsed ? parsed->file : std::string("<malformed: " + image + ">");
}

TEST(DeviceKindLook, EveryKindHasItsPrefixAndNameKey) {
    for (const KindCase& c : kKindCases) {
        const DeviceKindLook look = LookOfDeviceKind(c.kind, c.variant);
        EXPECT_STREQ(look.imagePrefix, c.prefix) << c.kind << "/" << c.variant;
        EXPECT_STREQ(look.nameTextKey, c.nameKey) << c.kind << "/" << c.variant;
        for (const auto& [which, file] : kImageFiles)
            EXPECT_EQ(DeviceTileImagePath(c.kind, c.variant, which), std::string(c.prefix) + file);
    }
    EXPECT_EQ(DeviceTileImagePath(1, 0, TileImage::kSynchroSelected),
              "common/device_ico/kb_device_synchro_selected.png");
}

TEST(DeviceKindLook, EveryPictureExistsInTheSkinAtTileSize) {
    for (const KindCase& c : kKindCases) {
        for (const auto& [which, file] : kImageFiles) {
            const std::string path =
                ProgramSkinDir() + DeviceTileImagePath(c.kind, c.variant, which);
            QImageReader reader(QString::fromStdString(path));
            EXPECT_EQ(reader.size(), QSize(200, 64)) << path;
        }
    }
}

using DeviceOptionLayout = ProgramSkinTest;

TEST_F(DeviceOptionLayout, EveryTextOfTheTilesIsInEveryLanguageFile) {
    const char* keys[] = {
        "kb_device_name_text",      "ms_device_name_text", "hard_mp_device_name_text",
        "soft_mp_device_name_text", "hd_device_name_text", "hub_device_name_text",
        "unknow_device_name_text",  "synchro_device_tip",  "device_power_title",
        "power_wireless_tip",       "Phone_type_iphone",   "Phone_type_samsung",
        "Phone_type_other",         "Phone_type_no_device"};
    const std::vector<std::string> files = ProgramLanguageFiles();
    EXPECT_GE(files.size(), 2u);
    CResourceManager* texts = CResourceManager::GetInstance();
    for (const std::string& file : files) {
        std::string error;
        ASSERT_TRUE(texts->LoadLanguage(file, &error)) << error;
        for (const char* key : keys) EXPECT_TRUE(texts->HasText(key)) << file << ": " << key;
    }
}

TEST_F(DeviceOptionLayout, BuildsFromTheFamilyTablePathWithEitherSeparator) {
    for (const char* file :
         {"XML\\CustomControlXML\\DeviceOption.xml", "XML/CustomControlXML/DeviceOption.xml"}) {
        std::string error = "stale";
        std::unique_ptr<CDeviceOptionUI> tile(
            CDeviceOptionUI::CreateFromLayout(file, nullptr, &error));
        ASSERT_NE(tile, nullptr) << file << ": " << error;
        EXPECT_EQ(error, "");
        EXPECT_NE(tile->GetOption(), nullptr);
        EXPECT_NE(tile->GetSynchroCheckBox(), nullptr);
        EXPECT_EQ(tile->GetClass(), "DeviceOption");
    }
}

TEST_F(DeviceOptionLayout, LoadsThroughTheFactoryAsDiscoveryMayBuildIt) {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(CDeviceOptionUI::kLayoutFile));
    ASSERT_NE(root, nullptr) << builder.GetError();
    auto* tile = dynamic_cast<CDeviceOptionUI*>(root.get());
    ASSERT_NE(tile, nullptr);
    // Built by the loader, the tile already found its parts.
    tile->SetKind(2);
    EXPECT_EQ(FileOf(tile->GetOption()->GetNormalImage()),
              "common/device_ico/ms_device_normal.png");
}

TEST_F(DeviceOptionLayout, AnotherRootOrAMissingFileIsAnErrorNamingTheFile) {
    std::string error;
    EXPECT_EQ(CDeviceOptionUI::CreateFromLayout(CMpDevicePowerUI::kLayoutFile, nullptr, &error),
              nullptr);
    EXPECT_NE(error.find("MpDevicePower.xml"), std::string::npos) << error;
    EXPECT_NE(error.find("not <DeviceOption>"), std::string::npos) << error;
    EXPECT_EQ(CDeviceOptionUI::CreateFromLayout("XML/none.xml", nullptr, &error), nullptr);
    EXPECT_NE(error.find("none.xml"), std::string::npos) << error;
}

class DeviceOptionTile : public ProgramSkinTest {
protected:
    void SetUp() override {
        ProgramSkinTest::SetUp();
        std::string error;
        tile.reset(
            CDeviceOptionUI::CreateFromLayout(CDeviceOptionUI::kLayoutFile, nullptr, &error));
        ASSERT_NE(tile, nullptr) << error;
        name = tile->FindSubControl("device_select_name");
        ASSERT_NE(name, nullptr);
    }
    std::string ShownNormal() { return FileOf(tile->GetOption()->GetNormalImage()); }
    std::string ShownSelected() {
        COptionUI* option = tile->GetOption();
        option->Selected(true, false);
        return FileOf(option->GetSelectedImage());
    }

    std::unique_ptr<CDeviceOptionUI> tile;
    CControlUI* name = nullptr;
};

TEST_F(DeviceOptionTile, ANewTileIsAHiddenUnknownDeviceWithoutPageOrPowerTile) {
    EXPECT_EQ(ShownNormal(), "common/device_ico/unknow_device_normal.png");
    EXPECT_EQ(name->GetTextKey(), "unknow_device_name_text");
    EXPECT_EQ(tile->GetPageIndex(), -1);
    EXPECT_EQ(tile->GetPowerIndex(), -1);
    EXPECT_FALSE(tile->IsShown());
    EXPECT_FALSE(tile->IsSelected());
    EXPECT_FALSE(tile->IsSynchro());
}

TEST_F(DeviceOptionTile, KindChoosesPicturesAndTranslatedName) {
    for (const KindCase& c : kKindCases) {
        tile->SetKind(c.kind, c.variant);
        EXPECT_EQ(ShownNormal(), std::string(c.prefix) + "normal.png") << c.kind;
        EXPECT_EQ(ShownSelected(), std::string(c.prefix) + "selected.png") << c.kind;
        EXPECT_EQ(name->GetTextKey(), c.nameKey) << c.kind;
        EXPECT_TRUE(CResourceManager::GetInstance()->HasText(c.nameKey)) << c.nameKey;
        EXPECT_EQ(name->GetText(), CResourceManager::GetInstance()->GetText(c.nameKey));
    }
    tile->SetKind(3, 1);
    EXPECT_EQ(tile->GetKind(), 3);
    EXPECT_EQ(tile->GetVariant(), 1);
    EXPECT_EQ(name->GetText(), "Soft mouse pad");
}

TEST_F(DeviceOptionTile, SynchronisationSwitchesToTheSynchroPairAndBack) {
    tile->SetKind(1);
    tile->SetSynchro(true);
    EXPECT_TRUE(tile->IsSynchro());
    EXPECT_TRUE(tile->GetSynchroCheckBox()->GetCheck());
    EXPECT_EQ(ShownNormal(), "common/device_ico/kb_device_synchro_normal.png");
    EXPECT_EQ(ShownSelected(), "common/device_ico/kb_device_synchro_selected.png");
    // A kind set while synchronised keeps the synchro pair.
    tile->SetKind(2);
    EXPECT_EQ(ShownNormal(), "common/device_ico/ms_device_synchro_normal.png");
    tile->SetSynchro(false);
    EXPECT_EQ(ShownNormal(), "common/device_ico/ms_device_normal.png");
    EXPECT_EQ(ShownSelected(), "common/device_ico/ms_device_selected.png");
}

TEST_F(DeviceOptionTile, SetOnlineShowsAndHidesOrDefersToTheHandler) {
    tile->SetOnline(false);
    EXPECT_FALSE(tile->IsShown());
    EXPECT_FALSE(tile->IsVisible());
    tile->SetOnline(true);
    EXPECT_TRUE(tile->IsShown());
    EXPECT_TRUE(tile->IsVisible());

    std::vector<std::pair<CDeviceOptionUI*, bool>> calls;
    tile->SetOnlineHandler(
        [&calls](CDeviceOptionUI& t, bool online) { calls.emplace_back(&t, online); });
    IDeviceTile& asSeenByTheDevice = *tile;
    asSeenByTheDevice.SetOnline(false);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_pair(tile.get(), false));
    EXPECT_TRUE(tile->IsShown()) << "the handler decides";
    tile->SetOnlineHandler(nullptr);
    asSeenByTheDevice.SetOnline(false);
    EXPECT_FALSE(asSeenByTheDevice.IsShown());
}

TEST_F(DeviceOptionTile, SelectionIsTheOptionsState) {
    IDeviceTile& asSeenByTheDevice = *tile;
    tile->SetSelected(true);
    EXPECT_TRUE(asSeenByTheDevice.IsSelected());
    EXPECT_TRUE(tile->GetOption()->IsSelected());
    tile->SetSelected(false);
    EXPECT_FALSE(asSeenByTheDevice.IsSelected());
}

TEST_F(DeviceOptionTile, ATileWithoutItsPartsDoesNothing) {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(
        builder.CreateFromText("<DeviceOption height=\"64\"/>", "bare.xml"));
    auto* bare = dynamic_cast<CDeviceOptionUI*>(root.get());
    ASSERT_NE(bare, nullptr) << builder.GetError();
    bare->SetKind(1);
    bare->SetSynchro(true);
    bare->SetSelected(true);
    bare->SetGroup("g");
    bare->RepaintIcon();
    EXPECT_FALSE(bare->IsSynchro());
    EXPECT_FALSE(bare->IsSelected());
    EXPECT_EQ(bare->GetGroup(), "");
    EXPECT_EQ(bare->GetImagePath(TileImage::kNormal), "common/device_ico/kb_device_normal.png");
}

// ----------------------------------------------------------- in the main window

using DeviceOptionInMainWindow = MainWindowWithTiles;

TEST_F(DeviceOptionInMainWindow, TilesFillTheListColumn) {
    for (CDeviceOptionUI* tile : tiles) {
        EXPECT_EQ(tile->width(), 200);
        EXPECT_EQ(tile->height(), 64);
        EXPECT_EQ(tile->GetOption()->size(), tile->size());
    }
    EXPECT_EQ(power->size(), QSize(220, 96));
}

TEST_F(DeviceOptionInMainWindow, SelectingOneTileDeselectsTheOther) {
    ClickOn(tiles[0]->GetOption());
    EXPECT_TRUE(tiles[0]->IsSelected());
    EXPECT_FALSE(tiles[1]->IsSelected());
    ClickOn(tiles[1]->GetOption());
    EXPECT_FALSE(tiles[0]->IsSelected());
    EXPECT_TRUE(tiles[1]->IsSelected());
    // Only the newly selected option reports the change.
    auto changes = window.Of("selectchanged");
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].sender, "device_select");
    EXPECT_EQ(changes[1].sender, "device_select");
    // The main window's own marking is silent and exclusive too.
    tiles[0]->SetSelected(true);
    EXPECT_FALSE(tiles[1]->IsSelected());
    EXPECT_EQ(window.Of("selectchanged").size(), 2u);
}

TEST_F(DeviceOptionInMainWindow, AClickOnTheNameSelectsTheTile) {
    ClickOn(tiles[1]->FindSubControl("device_select_name"));
    EXPECT_TRUE(tiles[1]->IsSelected());
}

TEST_F(DeviceOptionInMainWindow, ClickingTheCheckBoxTogglesSynchroPicturesAndTellsTheWindow) {
    CCheckBoxUI* synchro = tiles[1]->GetSynchroCheckBox();
    ClickOn(synchro);
    EXPECT_TRUE(tiles[1]->IsSynchro());
    EXPECT_EQ(FileOf(tiles[1]->GetOption()->GetNormalImage()),
              "common/device_ico/kb_device_synchro_normal.png");
    EXPECT_EQ(FileOf(tiles[0]->GetOption()->GetNormalImage()),
              "common/device_ico/ms_device_normal.png");
    EXPECT_FALSE(tiles[1]->IsSelected()) << "the check box is not the option";
    auto changes = window.Of("selectchanged");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].sender, "synchro_device_select");

    ClickOn(synchro);
    EXPECT_FALSE(tiles[1]->IsSynchro());
    EXPECT_EQ(FileOf(tiles[1]->GetOption()->GetNormalImage()),
              "common/device_ico/kb_device_normal.png");
    EXPECT_EQ(window.Of("selectchanged").size(), 2u);
    EXPECT_EQ(window.Of("click").size(), 2u);

    // The keyboard toggles it as well.
    QTest::keyClick(synchro, Qt::Key_Space);
    EXPECT_TRUE(tiles[1]->IsSynchro());
    EXPECT_EQ(FileOf(tiles[1]->GetOption()->GetSelectedImage()),
              "common/device_ico/kb_device_synchro_selected.png");
}

}  // namespace
}  // namespace tirk::ui::test
