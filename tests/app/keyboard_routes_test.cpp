// The keyboard's system page in the real main window offscreen over the
// virtual keyboard: each control changes the profile's "SystemStages", the
// key flags and the report rate also the keyboard's settings record; stored
// values the page has no option for show on its first option and are still
// sent as stored; another family's page takes none of these commands.
#include <QTemporaryDir>

#include "keyboard_fixture.h"
#include "ui/label.h"

namespace tirk {
namespace {

using namespace page_test;
using Keyboard = CTelvorinKeyboardDevice;

constexpr const char* kFlagMembers[] = {"WFlag", "Key6Flag", "WinFlag", "PollingRate"};
/// Record bytes 19 … 22 carry the members above, in that order.
constexpr size_t kFirstFlagByte = 19;

std::string Step(const char* prefix, int step) {
    return prefix + std::to_string(step);
}

class KeyboardSystemPageTest : public KeyboardPageFixture {
protected:
    void SetUp() override {
        KeyboardPageFixture::SetUp();
        ASSERT_TRUE(Press("system_Op_tab"));
        ASSERT_EQ(TabPage("device_function_switch"), 3);
    }

    /// The selected option of a four-step group; −1 for none, −2 for several.
    int ShownStep(const char* prefix) {
        int shown = -1;
        for (int step = 0; step < Keyboard::kOptionSteps; ++step) {
            if (!IsSelected(Step(prefix, step).c_str())) continue;
            shown = shown < 0 ? step : -2;
        }
        return shown;
    }
    /// "SystemStages" as the page shows it.
    Fields OnPage() {
        auto* slider = Sub<CSliderUI>(Keyboard::kRepeatRateSlider);
        return {{"Repeat", slider ? slider->GetValue() : -1},
                {"RepeatDelay", ShownStep(Keyboard::kRepeatDelayOption)},
                {"Key6Flag", IsSelected(Keyboard::kKey6FlagOption)},
                {"PollingRate", ShownStep(Keyboard::kPollingRateOption)},
                {"WFlag", IsSelected(Keyboard::kWFlagOption)},
                {"WinFlag", IsSelected(Keyboard::kWinLockOption)}};
    }
    /// "SystemStages" of the installed default profile.
    Fields Defaults() {
        QFile file(QString::fromStdString(keyboard_->DefaultProfilePath()));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return FieldsOf(QJsonDocument::fromJson(file.readAll())
                            .object()["Device"]
                            .toArray()[0]
                            .toObject()["SystemStages"]
                            .toObject());
    }
    void StoreInProfileFile(int repeatDelay, int pollingRate) {
        EditProfileFile(ProfilePath(Device()), Device().Profile().GetDeviceIndex(),
                        [&](QJsonObject& device) {
                            QJsonObject system = device["SystemStages"].toObject();
                            system["RepeatDelay"] = repeatDelay;
                            system["PollingRate"] = pollingRate;
                            device["SystemStages"] = system;
                        });
    }
};

TEST_F(KeyboardSystemPageTest, EachControlReachesTheProfileAndTheFlagsAndRateTheKeyboard) {
    Fields expected = OnDisk("SystemStages");
    ASSERT_EQ(expected.size(), 6u);
    EXPECT_EQ(OnPage(), expected) << "the page shows the profile";
    const Fields defaults = Defaults();
    const auto press = [this](const char* name) { return [this, name] { return Press(name); }; };
    struct Case {
        const char* what;
        std::function<bool()> act;
        Fields changes;
        bool sent;  // the settings record goes to the keyboard
    } cases[] = {
        {"Windows key locked", press(Keyboard::kWinLockOption), {{"WinFlag", 1}}, true},
        {"WASD swapped", press(Keyboard::kWFlagOption), {{"WFlag", 1}}, true},
        {"6-key rollover", press(Keyboard::kKey6FlagOption), {{"Key6Flag", 1}}, true},
        {"Windows key free", press(Keyboard::kWinLockOption), {{"WinFlag", 0}}, true},
        {"report rate 1", press("polling_rate_option_1"), {{"PollingRate", 1}}, true},
        {"report rate 0", press("polling_rate_option_0"), {{"PollingRate", 0}}, true},
        {"repeat rate",
         [&] { return Slide(Keyboard::kRepeatRateSlider, 7); },
         {{"Repeat", 7}},
         false},
        {"repeat delay 3", press("repeat_delay_check_3"), {{"RepeatDelay", 3}}, false},
        {"repeat delay 0", press("repeat_delay_check_0"), {{"RepeatDelay", 0}}, false},
        {"repeat reset",
         press("reset_repeat_btn"),
         {{"Repeat", defaults.at("Repeat")}, {"RepeatDelay", defaults.at("RepeatDelay")}},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes before = Record();
        ASSERT_TRUE(c.act());
        ASSERT_TRUE(AllSent());
        expected = With(expected, c.changes);
        EXPECT_EQ(OnDisk("SystemStages"), expected);
        EXPECT_EQ(OnPage(), expected);
        const Bytes record = Record();
        ASSERT_EQ(record.size(), 34u);
        if (!c.sent) {
            EXPECT_EQ(record, before) << "the repeat values stay in the profile";
            continue;
        }
        for (size_t i = 0; i < std::size(kFlagMembers); ++i)
            EXPECT_EQ(record[kFirstFlagByte + i], expected.at(kFlagMembers[i])) << kFlagMembers[i];
    }
    EXPECT_NE(defaults.at("Repeat"), 7) << "the reset must have changed something";
}

// Stored values the page has no option for show on the first option; the
// delay label names the delay shown; the keyboard still gets the stored rate.
struct StoredCase {
    const char* name;
    int repeatDelay;
    int pollingRate;
    int delayShown;
    int rateShown;
    const char* delayText;
};

class StoredSystemValuesTest : public KeyboardSystemPageTest,
                               public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredSystemValuesTest, ThePageShowsThemOnItsOptions) {
    const StoredCase& c = GetParam();
    auto* box = Sub<CRichEditUI>(Keyboard::kRepeatTestBox);
    ASSERT_TRUE(box);
    box->SetText("kkkkkk");
    ASSERT_NO_FATAL_FAILURE(StoreInProfileFile(c.repeatDelay, c.pollingRate));
    ASSERT_EQ(keyboard_->LoadActiveProfile(), 1);
    keyboard_->RefreshPage();

    EXPECT_EQ(ShownStep(Keyboard::kRepeatDelayOption), c.delayShown);
    EXPECT_EQ(ShownStep(Keyboard::kPollingRateOption), c.rateShown);
    auto* label = Sub<CLabelUI>(Keyboard::kRepeatDelayLabel);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->GetText(), Text("Repeat_Delay_Time") + " " + c.delayText + " ms");
    EXPECT_EQ(box->GetText(), "") << "the test box starts empty";
    EXPECT_EQ(box->GetToolTip(), Text("Repeat_input_text"));

    keyboard_->WriteDeviceSettings(0, 0, 1, 0, 0);
    ASSERT_TRUE(AllSent());
    EXPECT_EQ(Record().at(22), c.pollingRate & 0xFF) << "sent as stored";
}

INSTANTIATE_TEST_SUITE_P(Values, StoredSystemValuesTest,
                         ::testing::Values(StoredCase{"DelayTwoRateFive", 2, 5, 2, 0, "750"},
                                           StoredCase{"DelayFourRateThree", 4, 3, 0, 3, "250"},
                                           StoredCase{"BothNegative", -1, -1, 0, 0, "250"},
                                           StoredCase{"DelayThreeRateTwo", 3, 2, 3, 2, "1000"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Without the installed default profile's repeat values the profile stays as
// it is and the user is told which file.
TEST_F(KeyboardSystemPageTest, AResetWithoutTheDefaultsChangesNothingAndTellsTheUser) {
    QTemporaryDir install;
    ASSERT_TRUE(install.isValid());
    ASSERT_TRUE(QDir(install.path()).mkpath("DefaultData"));
    ASSERT_NO_FATAL_FAILURE(WriteBytes(
        install.path().toStdString() + "/DefaultData/" + keyboard_->DeviceFolderName() + ".Json",
        QByteArray(R"({"Device": [{"LightInfo": {}}]})")));
    const std::string installed = keyboard_->InstallFolder();
    Restore back([&] { keyboard_->SetInstallFolder(installed); });
    keyboard_->SetInstallFolder(install.path().toStdString());
    ASSERT_TRUE(Slide(Keyboard::kRepeatRateSlider, 5));
    const Fields before = OnDisk("SystemStages");

    ASSERT_TRUE(Press("reset_repeat_btn"));
    const std::vector<std::string> told = messages_->WaitAndTake();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(keyboard_->DeviceFolderName() + ".Json"), std::string::npos) << told[0];
    EXPECT_EQ(OnDisk("SystemStages"), before);
    EXPECT_EQ(OnPage().at("Repeat"), 5);
}

// The keyboard's rows do nothing for another family: a mouse page sending
// notifications of those names keeps its profile and sends nothing.
TEST_F(PageRoutesTest, AMousePageTakesNoneOfTheKeyboardsCommands) {
    Start({"mouse"}, "mouse");
    const QByteArray before = ProfileBytes();
    COptionUI option;
    option.Selected(true, false);
    CSliderUI slider;
    slider.SetValue(3);
    CButtonUI button;
    const struct {
        const char* type;
        CControlUI* sender;
        const char* name;
    } cases[] = {
        {notify_type::kSelectChanged, &option, Keyboard::kWinLockOption},
        {notify_type::kSelectChanged, &option, Keyboard::kWFlagOption},
        {notify_type::kSelectChanged, &option, Keyboard::kKey6FlagOption},
        // "polling_rate_option_" + N is the mouse's own report rate too.
        {notify_type::kSelectChanged, &option, "repeat_delay_check_2"},
        {notify_type::kValueChanged, &slider, Keyboard::kRepeatRateSlider},
        {notify_type::kClick, &button, "reset_repeat_btn"},
        {notify_type::kClick, &button, "custom_bright_color_btn"},
        {notify_type::kClick, &button, "custom_off_color_btn"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.sender->SetName(c.name);
        TNotifyUI msg{c.type, c.sender};
        window_->Notify(msg);
        EXPECT_EQ(Device().ExchangesPending(), 0) << "nothing queued for the mouse";
    }
    EXPECT_EQ(ProfileBytes(), before);
}

}  // namespace
}  // namespace tirk
