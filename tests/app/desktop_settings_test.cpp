// The desktop's keyboard and mouse settings: which program each desktop
// tries first, and the system page's buttons that open them or say that
// there is none.
#include "app/desktop_settings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <optional>
#include <string>
#include <vector>

#include "app/page_router.h"
#include "device/family/mouse_device.h"
#include "test_application.h"
#include "ui/button.h"

namespace tirk {
namespace {

using Command = std::vector<std::string>;

TEST(DesktopSettingsCommands, TheRunningDesktopsProgramComesFirstAndNoneIsLeftOut) {
    const Command gnomeMouse{"gnome-control-center", "mouse"};
    struct Case {
        const char* desktop;
        DesktopSettingsPage page;
        Command first;
        bool withGnome;  ///< GNOME's settings run on GNOME alone
    };
    const Case cases[] = {
        {"ubuntu:GNOME", DesktopSettingsPage::kMouse, gnomeMouse, true},
        {"KDE", DesktopSettingsPage::kKeyboard, {"systemsettings", "kcm_keyboard"}, false},
        {"X-Cinnamon", DesktopSettingsPage::kMouse, {"cinnamon-settings", "mouse"}, false},
        {"xfce", DesktopSettingsPage::kMouse, {"xfce4-mouse-settings"}, false},  // case ignored
        {"Budgie:GNOME",
         DesktopSettingsPage::kKeyboard,
         {"gnome-control-center", "keyboard"},
         true},
        {"LXQt", DesktopSettingsPage::kMouse, {"lxqt-config-input"}, false},
        {"", DesktopSettingsPage::kMouse, {"systemsettings", "kcm_mouse"}, false},
        {"Hyprland", DesktopSettingsPage::kMouse, {"systemsettings", "kcm_mouse"}, false},
    };
    const size_t all = DesktopSettingsCommands(DesktopSettingsPage::kMouse, "GNOME").size();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desktop);
        const std::vector<Command> commands = DesktopSettingsCommands(c.page, c.desktop);
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(commands.front(), c.first);
        EXPECT_EQ(commands.size(), c.withGnome ? all : all - 1)
            << "every other desktop's program is still tried, GNOME's only on GNOME";
    }
    const std::vector<Command> kde = DesktopSettingsCommands(DesktopSettingsPage::kMouse, "KDE");
    EXPECT_EQ(kde.at(1), (Command{"systemsettings5", "kcm_mouse"})) << "the older Plasma next";
}

class SettingsServices : public IPageServices {
public:
    CTelvorinFamilyDevice* CurrentDevice() override { return device; }
    void ShowMessage(const std::string& textKey, const std::string&) override {
        told.push_back(textKey);
    }
    bool Ask(const std::string&) override { return false; }
    bool OpenDesktopSettings(DesktopSettingsPage page) override {
        opened = page;
        return installed;
    }
    CTelvorinFamilyDevice* device = nullptr;
    bool installed = true;
    std::optional<DesktopSettingsPage> opened;
    std::vector<std::string> told;
};

class DesktopSettingsRouteTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::TestApplication<QApplication>("desktop_settings_test"); }
    void SetUp() override {
        router_.AddRoutes(DeviceRoutes());
        services_.device = &mouse_;
    }
    void Click(const std::string& name) {
        CButtonUI button;
        button.SetName(name);
        TNotifyUI msg{"click", &button};
        router_.Route(msg, services_);
    }
    CPageRouter router_;
    CTelvorinMouseDevice mouse_;
    SettingsServices services_;
};

TEST_F(DesktopSettingsRouteTest, TheButtonsOpenTheirPageOrSayThereIsNone) {
    Click("windowdeviceset_1");
    EXPECT_EQ(services_.opened, DesktopSettingsPage::kMouse);
    Click("windowdeviceset_0");
    EXPECT_EQ(services_.opened, DesktopSettingsPage::kKeyboard);
    EXPECT_TRUE(services_.told.empty());

    services_.opened.reset();
    Click("windowdeviceset_2");
    EXPECT_FALSE(services_.opened) << "no third page";

    services_.installed = false;
    Click("windowdeviceset_1");
    EXPECT_EQ(services_.told, (std::vector<std::string>{"desktop_settings_missing"}));
}

}  // namespace
}  // namespace tirk
