// Applying languages in a running UI (offscreen): texts and fonts follow, the
// choice is saved once, the same language twice does nothing; the start-up
// language from the settings file and the locale; the settings and about
// windows as the main window opens them.
#include "app/language.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>

#include "app/about_wnd.h"
#include "app/secondary_windows.h"
#include "app/set_wnd.h"
#include "core/atomic_file.h"
#include "support/temp_folder.h"
#include "test_application.h"
#include "ui/button.h"
#include "ui/combo.h"
#include "ui/dpi_follow.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace tirk {
namespace {

namespace fs = std::filesystem;

const std::string kConfig = LanguageConfigPath(TIRK_RESOURCE_DIR);

// Runs `check` on the event loop once `ready` holds (polled every 10 ms), for
// the inside of a modal window.
class WhenReady {
public:
    WhenReady(std::function<bool()> ready, std::function<void()> check)
        : m_ready(std::move(ready)), m_check(std::move(check)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (!m_ready()) return;
            m_timer.stop();
            m_ran = true;
            m_check();
        });
        m_timer.start(10);
    }
    bool Ran() const { return m_ran; }

private:
    QTimer m_timer;
    std::function<bool()> m_ready;
    std::function<void()> m_check;
    bool m_ran = false;
};

CControlUI* Find(WindowImplBase& window, const char* name) {
    return window.GetPaintManager().FindControl(name);
}

bool Click(WindowImplBase& window, const char* name) {
    auto* button = dynamic_cast<CButtonUI*>(Find(window, name));
    return button && button->Activate();
}

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication<QApplication>("language_test");
        ASSERT_TRUE(folder_.valid());
        CResourceManager::GetInstance()->Release();
        CPaintManagerUI::SetResourcePath(TIRK_RESOURCE_DIR "/skin/");
    }
    void TearDown() override { CResourceManager::GetInstance()->Release(); }

    LanguageController MakeController(const std::string& config = kConfig) {
        LanguageController::Hooks hooks;
        hooks.repaint = [this] { ++repaints_; };
        hooks.notifyWindows = [this](int index) { notified_.push_back(index); };
        hooks.relayout = [this] { ++relayouts_; };
        return LanguageController(config, settings_, hooks);
    }
    std::string SettingsText() const {
        std::string content;
        return ReadWholeFile(settings_, content) ? content : "(none)";
    }
    static std::string Face(int id) { return CResourceManager::GetInstance()->GetFont(id).face; }

    test::TempFolder folder_{{.prefix = "tirk-lang"}};
    const std::string settings_ = folder_.path() + "/config/TIRK/settings.ini";
    int repaints_ = 0;
    int relayouts_ = 0;
    std::vector<int> notified_;
};

TEST_F(LanguageTest, ApplyChangesTheTextsSavesTheIdAndTellsTheWindows) {
    LanguageController language = MakeController();
    CSetWnd window({}, 0, nullptr);
    ASSERT_TRUE(window.Create(nullptr, "SetWnd")) << window.GetLoadError();
    CControlUI* title = Find(window, "setwnd_title");
    ASSERT_NE(title, nullptr);

    ASSERT_TRUE(language.Apply(0));
    EXPECT_EQ(title->GetText(), "设置");
    EXPECT_EQ(SettingsText(), "[TIRK]\nLANGUAGE=2052\n");

    ASSERT_TRUE(language.Apply(1));
    EXPECT_EQ(title->GetText(), "Settings");
    EXPECT_EQ(language.GetCurrentIndex(), 1);
    EXPECT_EQ(language.GetLanguageName(), "en_US");
    EXPECT_EQ(SettingsText(), "[TIRK]\nLANGUAGE=1033\n");
    EXPECT_EQ(repaints_, 2);
    EXPECT_EQ(relayouts_, 2);
    EXPECT_EQ(notified_, (std::vector<int>{0, 1}));
}

TEST_F(LanguageTest, TheSameLanguageTwiceWritesAndReloadsNothing) {
    LanguageController language = MakeController();
    ASSERT_TRUE(language.Apply(3));
    fs::remove(settings_);
    // Texts loaded behind the controller's back stay: no reload happens.
    ASSERT_TRUE(CResourceManager::GetInstance()->LoadLanguage("lan_ru.xml"));
    const int repaints = repaints_;

    EXPECT_FALSE(language.Apply(3));
    EXPECT_FALSE(fs::exists(settings_)) << "the choice was written again";
    EXPECT_EQ(CResourceManager::GetInstance()->GetLanguageFile(), "lan_ru.xml");
    EXPECT_EQ(repaints_, repaints);
    EXPECT_EQ(notified_.size(), 1u);
}

// The rule as a sequence through the real font database: each face the rule
// names ends up as an installed face, and a change between two Latin-script
// languages leaves the font table alone.
TEST_F(LanguageTest, FontTableFollowsTheRuleWithInstalledFaces) {
    LanguageController language = MakeController();
    CResourceManager* resources = CResourceManager::GetInstance();

    ASSERT_TRUE(language.Apply(0));  // the first apply: Simplified Chinese face
    const std::string chinese = language.GetFontFace();
    EXPECT_TRUE(QFontDatabase::hasFamily(QString::fromStdString(chinese))) << chinese;
    EXPECT_EQ(Face(50), chinese);
    EXPECT_EQ(resources->GetFont(50).size, 18);
    EXPECT_TRUE(resources->GetFont(50).bold);
    EXPECT_TRUE(resources->GetFont(1).underline);
    EXPECT_EQ(resources->GetFont(-1).size, kDefaultFontSize);
    EXPECT_EQ(resources->GetFont(-1).face, chinese);

    ASSERT_TRUE(language.Apply(1));  // Chinese -> English: the Latin face
    const std::string latin = language.GetFontFace();
    EXPECT_NE(latin, chinese);
    EXPECT_TRUE(QFontDatabase::hasFamily(QString::fromStdString(latin))) << latin;
    EXPECT_EQ(Face(3), latin);

    resources->AddFont(99, "marker", 9, false, false, false);
    ASSERT_TRUE(language.Apply(3));  // English -> German: fonts stay
    EXPECT_TRUE(resources->HasFont(99));
    EXPECT_EQ(Face(0), latin);

    ASSERT_TRUE(language.Apply(2));  // German -> Traditional Chinese: rebuilt
    EXPECT_FALSE(resources->HasFont(99));
    EXPECT_EQ(Face(0), language.GetFontFace());
    EXPECT_TRUE(QFontDatabase::hasFamily(QString::fromStdString(language.GetFontFace())));
}

// What the settings file holds, with the user's locale, gives the start-up
// language: a saved id wins, a missing one lets the locale choose, anything
// unreadable gives the fallback.
TEST_F(LanguageTest, StartupLanguageFromTheSettingsFileAndTheLocale) {
    struct Case {
        const char* name;
        std::optional<std::string> file;  // nullopt: no file
        bool folder_instead;              // a folder where the file should be
        std::string locale;
        int expected;
    };
    const Case cases[] = {
        {"no file, German locale", std::nullopt, false, "de_DE.UTF-8", 3},
        {"no file, unknown locale", std::nullopt, false, "fr_FR.UTF-8", 0},
        {"no value, Russian locale", "[TIRK]\nOTHER=1\n", false, "ru_RU.UTF-8", 5},
        {"value in another section", "[Old]\nLANGUAGE=1033\n", false, "zh_TW", 2},
        {"saved English", "[TIRK]\nLANGUAGE=1033\n", false, "de_DE", 1},
        {"saved with a broken line", "junk\n[TIRK]\nLANGUAGE=1031\n", false, "en_US", 3},
        {"saved id unknown", "[TIRK]\nLANGUAGE=4242\n", false, "de_DE", 0},
        {"saved value not a number", "[TIRK]\nLANGUAGE=German\n", false, "de_DE", 0},
        {"unreadable file", std::nullopt, true, "de_DE", 0},
    };
    for (const Case& c : cases) {
        fs::remove_all(fs::path(settings_).parent_path());
        if (c.file) {
            ASSERT_TRUE(WriteFileAtomic(settings_, *c.file));
        }
        if (c.folder_instead) fs::create_directories(settings_);
        LanguageController language = MakeController();
        EXPECT_EQ(language.ReadSavedLanguageIndex(c.locale), c.expected) << c.name;
    }
}

TEST_F(LanguageTest, UnreadableSettingsFileIsNeverReplaced) {
    fs::create_directories(settings_);
    LanguageController language = MakeController();
    ASSERT_TRUE(language.Apply(1));
    EXPECT_TRUE(fs::is_directory(settings_));
    EXPECT_EQ(CResourceManager::GetInstance()->GetText("setwnd_title"), "Settings");
}

TEST_F(LanguageTest, WithoutALanguageListTheFallbackLanguageStillLoads) {
    LanguageController language = MakeController(folder_.path() + "/missing/Language.config");
    EXPECT_EQ(language.ReadSavedLanguageIndex("de_DE"), 0);
    ASSERT_TRUE(language.Apply(0));
    EXPECT_EQ(CResourceManager::GetInstance()->GetLanguageFile(), "lan_cn.xml");
    EXPECT_FALSE(language.Apply(1)) << "index 1 is not in the fallback list";
    EXPECT_EQ(language.GetCurrentIndex(), 0);
}

// ------------------------------------------------------------------ settings window

TEST_F(LanguageTest, SettingsComboListsTheLanguagesAndReportsAChoice) {
    std::vector<int> chosen;
    CSetWnd window({"简体中文", "English", "Deutsch"}, 1,
                   [&](int index) { chosen.push_back(index); });
    ASSERT_TRUE(window.Create(nullptr, "SetWnd")) << window.GetLoadError();
    auto* combo = dynamic_cast<CComboUI*>(Find(window, "Language_combox_info"));
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->GetCount(), 3);
    EXPECT_EQ(combo->GetItemText(2), "Deutsch");
    EXPECT_EQ(combo->GetCurSel(), 1);
    EXPECT_TRUE(chosen.empty()) << "showing the current language is no choice";

    combo->SelectItem(2, false, true);  // as the user's pick
    EXPECT_EQ(chosen, std::vector<int>{2});
    EXPECT_EQ(window.GetLanguageIndex(), 2);

    window.OnLanguageChanged(0);  // applied elsewhere: shown, not chosen again
    EXPECT_EQ(combo->GetCurSel(), 0);
    EXPECT_EQ(chosen, std::vector<int>{2});
}

TEST_F(LanguageTest, SettingsWindowSitsBelowTheRightEndOfTheMainWindow) {
    struct Case {
        TRectUI main;
        int width;
        int dpi;
        TPointUI expected;
    };
    const Case cases[] = {
        {{100, 50, 1100, 690}, 630, 96, {100 + 1000 - 630 - 30, 50 + 60}},
        {{0, 0, 1500, 960}, 945, 144, {1500 - 945 - 45, 90}},
        {{-200, 10, 800, 650}, 630, 120, {800 - 630 - 38, 10 + 75}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CSetWnd::PositionBesideSetButton(c.main, c.width, c.dpi), c.expected) << c.dpi;
}

// ------------------------------------------------------------------ as the main window opens them

class SecondaryWindowsTest : public LanguageTest {
protected:
    void SetUp() override {
        LanguageTest::SetUp();
        main_ = std::make_unique<StandIn>();
        ASSERT_TRUE(main_->Create(nullptr, "main")) << main_->GetLoadError();
        main_->ShowWindow(true);
        windows_ = std::make_unique<SecondaryWindows>(
            *main_, satellites_, [this] { ++device_refreshes_; },
            SecondaryWindows::Paths{kConfig, settings_});
        windows_->ApplySavedLanguage();
    }
    void TearDown() override {
        windows_.reset();
        main_.reset();
        LanguageTest::TearDown();
    }

    // A stand-in for the main window: any window works as the owner.
    class StandIn : public WindowImplBase {
    public:
        std::string GetSkinFile() override { return "msgwnd.xml"; }
    };

    std::unique_ptr<StandIn> main_;
    std::array<WindowImplBase*, 4> satellites_{};
    std::unique_ptr<SecondaryWindows> windows_;
    int device_refreshes_ = 0;
};

TEST_F(SecondaryWindowsTest, SettingsWindowChoosesALanguageOnceAtATime) {
    int second_open = 0;
    WhenReady inside(
        [&] { return satellites_[kSettingsSatellite] != nullptr; },
        [&] {
            CSetWnd* window = windows_->GetSettingsWindow();
            ASSERT_NE(window, nullptr);
            EXPECT_EQ(window->GetWindowRect().top, main_->GetWindowRect().top + 60);
            EXPECT_EQ(window->GetWindowRect().right, main_->GetWindowRect().right - 30);
            second_open = windows_->OpenSettings(SetWndPlacement::kCentred);
            auto* combo = dynamic_cast<CComboUI*>(Find(*window, "Language_combox_info"));
            ASSERT_NE(combo, nullptr);
            EXPECT_EQ(combo->GetCount(), 6);
            combo->SelectItem(4, false, true);  // Spanish
            ASSERT_TRUE(
                QTest::qWaitFor([&] { return windows_->Language().GetCurrentIndex() == 4; }));
            EXPECT_EQ(Find(*window, "setwnd_title")->GetText(), "Ajustes");
            EXPECT_TRUE(Click(*window, "closebtn"));
        });
    EXPECT_EQ(windows_->OpenSettings(SetWndPlacement::kBesideSetButton), 0);
    EXPECT_TRUE(inside.Ran());
    EXPECT_EQ(second_open, -1) << "a second settings window opened";
    EXPECT_EQ(satellites_[kSettingsSatellite], nullptr);
    EXPECT_EQ(device_refreshes_, 1);
    EXPECT_EQ(SettingsText(), "[TIRK]\nLANGUAGE=3082\n");
}

// A secondary window that moves to another screen takes the DPI the main
// window would take there.
TEST_F(SecondaryWindowsTest, SecondaryWindowsFollowTheMainWindowsMonitorRule) {
    EXPECT_EQ(ScreenDpi(TScreenMetricsUI{1920, 1080, 96.0}), 144);
    EXPECT_EQ(ScreenDpi(TScreenMetricsUI{1366, 768, 144.0}), 96);
    EXPECT_EQ(ScreenDpi(TScreenMetricsUI{1500, 1080, 96.0}), 96);
}

TEST_F(SecondaryWindowsTest, SettingsRelayClosesTheSettingsWindow) {
    windows_->OnSettingsRelay(1, 2);  // nothing open: ignored
    WhenReady inside([&] { return satellites_[kSettingsSatellite] != nullptr; },
                     [&] { windows_->OnSettingsRelay(4, 50); });
    EXPECT_EQ(windows_->OpenSettings(SetWndPlacement::kCentred), 0);
    EXPECT_TRUE(inside.Ran());
    EXPECT_EQ(satellites_[kSettingsSatellite], nullptr);
}

// "exit" closes the satellites through their handles and clears them.
TEST_F(SecondaryWindowsTest, ClosingTheSatellitesEndsAnOpenSettingsWindow) {
    WhenReady inside([&] { return satellites_[kSettingsSatellite] != nullptr; },
                     [&] {
                         for (WindowImplBase*& window : satellites_) {
                             if (window) window->Close(0);
                             window = nullptr;
                         }
                     });
    EXPECT_EQ(windows_->OpenSettings(SetWndPlacement::kCentred), 0);
    EXPECT_TRUE(inside.Ran());
    EXPECT_EQ(satellites_[kSettingsSatellite], nullptr);
}

TEST_F(SecondaryWindowsTest, AboutWindowShowsTheVersionInTheCurrentLanguage) {
    windows_->Language().Apply(0);  // the locale may have chosen another
    ASSERT_EQ(windows_->Language().GetCurrentIndex(), 0);
    WhenReady inside(
        [&] { return satellites_[kAboutSatellite] != nullptr; },
        [&] {
            WindowImplBase& about = *satellites_[kAboutSatellite];
            CControlUI* version = Find(about, "software_ver_label");
            ASSERT_NE(version, nullptr);
            EXPECT_EQ(version->GetText(), std::string("软件版本：") + ProgramVersion());
            windows_->OnLanguageChosen(1);
            EXPECT_EQ(version->GetText(), std::string("Software version: ") + ProgramVersion());
            EXPECT_TRUE(Click(about, "homepage_btn"));
            EXPECT_TRUE(about.IsVisible()) << "the homepage button has no action";
            EXPECT_TRUE(Click(about, "closebtn"));
        });
    EXPECT_EQ(windows_->OpenAbout(), 0);
    EXPECT_TRUE(inside.Ran());
    EXPECT_EQ(satellites_[kAboutSatellite], nullptr);
    EXPECT_FALSE(std::string(ProgramVersion()).empty());
}

}  // namespace
}  // namespace tirk
