// The profile bar as the program builds it: the real skin, the real layout
// file and English texts, over a device data folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "app/test_application.h"
#include "profile/panel/device_profile.h"
#include "profile/profile_list_fixture.h"
#include "ui/combo.h"
#include "ui/control_factory.h"
#include "ui/ui_test_support.h"
#include "ui/dialog_builder.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace tirk::test {

inline constexpr char kProfileBarLayout[] = "XML/CustomControlXML/DeviceProfile.xml";

/// Uses the program's skin folder and English texts, and lets layouts name
/// the profile bar, as start-up does.
inline void UseProgramSkin() {
    TestApplication<QApplication>("profile_panel_test");
    CPaintManagerUI::SetResourcePath(std::string(TIRK_RESOURCE_DIR) + "/skin/");
    CResourceManager::GetInstance()->LoadLanguage("lan_en.xml");
    CControlFactory::GetInstance()->RegistControl("CDeviceProfileUI",
                                                  [] { return new CDeviceProfileUI; });
}

/// Builds the profile bar from its layout file; fails the test when it does not load.
inline std::unique_ptr<CDeviceProfileUI> BuildProfileBar() {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(kProfileBarLayout));
    EXPECT_NE(root, nullptr) << builder.GetError();
    auto* bar = dynamic_cast<CDeviceProfileUI*>(root.get());
    EXPECT_NE(bar, nullptr) << "the layout's root is the profile bar";
    if (bar) root.release();
    return std::unique_ptr<CDeviceProfileUI>(bar);
}

/// A profile bar of a device type over "<tmp>/data/", initialised.
class ProfileBarTest : public ProfileListTest {
protected:
    void SetUp() override {
        ProfileListTest::SetUp();
        UseProgramSkin();
        bar_ = BuildProfileBar();
        ASSERT_NE(bar_, nullptr);
    }
    void InitBar(int typeCode, const std::string& folderName) {
        bar_->SetDeviceTypeCode(typeCode);
        bar_->SetProfileFolders(Data(""), DefaultProfile(folderName));
        ASSERT_TRUE(bar_->InitProfiles()) << bar_->LastResult().detail;
    }
    /// Initialises a mouse bar and adds profiles until `count` exist.
    void InitWithProfiles(int count) {
        InitBar(2, "mouse");
        while (bar_->GetProfileCount() < count) ASSERT_TRUE(bar_->AddProfile());
    }
    template <typename T>
    T* Sub(const std::string& name) const {
        return dynamic_cast<T*>(bar_->FindSubControl(name));
    }
    std::vector<std::string> ComboTexts() const;
    /// Shows a window holding only the profile bar (for its notifications);
    /// returns the bar, owned by `window`, or nullptr.
    CDeviceProfileUI* ShowBarIn(ui::test::RecordingWindow& window) {
        WriteText(Path("window.xml"), std::string(R"(<Window size="600,60"><VerticalLayout>
        <Include source=")") + kProfileBarLayout +
                                          R"("/></VerticalLayout></Window>)");
        if (!window.CreateShown()) {
            ADD_FAILURE() << window.GetLoadError();
            return nullptr;
        }
        return window.Find<CDeviceProfileUI>("device_profile");
    }

    std::unique_ptr<CDeviceProfileUI> bar_;
};

inline std::vector<std::string> ProfileBarTest::ComboTexts() const {
    std::vector<std::string> texts;
    auto* combo = Sub<CComboUI>("device_profile_combo");
    for (int i = 0; combo && i < combo->GetCount(); ++i) texts.push_back(combo->GetItemText(i));
    return texts;
}

}  // namespace tirk::test
