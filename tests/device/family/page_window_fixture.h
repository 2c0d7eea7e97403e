// A device page alone in a window of the main window's page size, with the
// program's skin, font table and English texts; the page classes are
// answered as the main window answers them. Shared by the picture tests.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "app/control_table.h"
#include "support/temp_folder.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"
#include "ui/select_panel.h"
#include "ui/ui_test_support.h"

namespace tirk::test {

/// The main window's page area: its 800 x 572 less the device list (220 px
/// and a 1 px line) and the header (48 px and a 2 px line).
inline constexpr int kPageWidth = 579;
inline constexpr int kPageHeight = 522;
inline constexpr const char* kLanguageFiles[] = {"lan_en.xml", "lan_cn.xml", "lan_tw.xml",
                                                 "lan_de.xml", "lan_es.xml", "lan_ru.xml"};

class PageWindow : public ui::test::RecordingWindow {
public:
    using RecordingWindow::RecordingWindow;
    CControlUI* CreateControl(const std::string& name) override {
        return CreateLayoutElement(name);
    }
};

/// The window's layout: the page's layout file included in the page area.
inline std::string PageWindowXml(const std::string& pageLayout) {
    return R"(<Window size=")" + std::to_string(kPageWidth) + "," + std::to_string(kPageHeight) +
           R"(">
  <Font id="4" name="Noto Sans CJK SC" size="20"/>
  <Font id="5" name="Noto Sans CJK SC" size="22" bold="true"/>
  <Font id="7" name="Noto Sans CJK SC" size="14"/>
  <Font id="8" name="Noto Sans CJK SC" size="12"/>
  <Font id="9" name="Noto Sans CJK SC" size="11"/>
  <Font id="10" name="Noto Sans CJK SC" size="10"/>
  <Font id="50" name="Noto Sans CJK SC" size="18" bold="true"/>
  <Font name="Noto Sans CJK SC" size="14" default="true"/>
  <VerticalLayout bkcolor="#FF14161B"><Include source=")" +
           pageLayout + R"("/></VerticalLayout>
</Window>)";
}

/// Shows the page of `Device` from `pageLayout` (its root named `pageName`)
/// and finds its picture panel `panelName`.
template <typename Device>
class DevicePageFixture : public ::testing::Test {
protected:
    void ShowPage(const std::string& pageLayout, const char* pageName, const char* panelName) {
        CPaintManagerUI::SetResourcePath(std::string(TIRK_RESOURCE_DIR) + "/skin/");
        ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage("lan_en.xml"));
        RegisterCustomControls(*CControlFactory::GetInstance());
        ASSERT_TRUE(folder_.valid());
        const std::string path = folder_.path() + "/page.xml";
        std::ofstream(path) << PageWindowXml(pageLayout);
        window_ = std::make_unique<PageWindow>(path);
        ASSERT_TRUE(window_->CreateShown()) << window_->GetLoadError();
        page_ = window_->template Find<Device>(pageName);
        panel_ = window_->template Find<CSelectPanelUI>(panelName);
        ASSERT_NE(page_, nullptr);
        ASSERT_NE(panel_, nullptr);
    }
    void TearDown() override {
        window_.reset();
        CResourceManager::GetInstance()->LoadLanguage("lan_en.xml");
    }

    TempFolder folder_;
    std::unique_ptr<PageWindow> window_;
    Device* page_ = nullptr;
    CSelectPanelUI* panel_ = nullptr;
};

}  // namespace tirk::test
