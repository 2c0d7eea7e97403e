// The main window over the standard virtual devices with a device page
// shown: pressing, choosing and typing on the page's controls, and reading
// what reached the profile file. Shared by the page command tests.
#pragma once
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <unistd.h>

#include "device/family/keyboard_device.h"
#include "profile/key_assignment.h"
#include "profile/key_tables.h"
#include "profile/macro_store.h"
#include "profile/panel/device_profile.h"
#include "profile/panel/key_set_control.h"
#include "profile/panel/light_control.h"
#include "ui/combo.h"
#include "ui/container.h"
#include "ui/edit.h"
#include "ui/list.h"
#include "ui/msg_wnd.h"
#include "ui/pallet.h"
#include "ui/resource_manager.h"
#include "ui/slider.h"
#include "window_fixture.h"

namespace tirk {
namespace page_test {

using Fields = std::map<std::string, int>;

/// A message's text without the blanks at its end, which show nothing.
inline std::string TrimEnd(std::string text) {
    text.erase(text.find_last_not_of(" \n") + 1);
    return text;
}

/// Closes every message window as soon as it is shown (with its OK button's
/// answer) and keeps its text.
class MessageCloser {
public:
    MessageCloser() {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (CMsgWnd* message = CMsgWnd::GetShown()) {
                CControlUI* text = message->GetPaintManager().FindControl("MessageText");
                m_shown.push_back(TrimEnd(text ? text->GetText() : ""));
                message->Close(1);
            }
        });
        m_timer.start(10);
    }
    std::vector<std::string> Take() { return std::exchange(m_shown, {}); }
    /// Waits until a message was shown, then takes the messages.
    std::vector<std::string> WaitAndTake() {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !m_shown.empty(); }, 10000)) << "no message";
        return Take();
    }

private:
    QTimer m_timer;
    std::vector<std::string> m_shown;
};

inline std::string Text(const char* key) {
    return CResourceManager::GetInstance()->GetText(key);
}

class PageRoutesTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        messages_.emplace();  // its timer needs the application
    }
    void TearDown() override {
        EXPECT_EQ(messages_->Take(), std::vector<std::string>{}) << "messages nobody expected";
        messages_.reset();
        MainWindowFixture::TearDown();
    }

    /// Starts the window over a bus with `plugged` and waits until the page of
    /// `folder` shows its profile; that page is then the shown one.
    void Start(const std::vector<std::string>& plugged, const std::string& folder) {
        std::string error;
        bus_ = vbus::StartStandardBus(tables_, hid_root_.path().toStdString() + "/bus", plugged,
                                      &error);
        ASSERT_TRUE(bus_) << error;
        qputenv("TIRK_HID_ROOT", bus_->root().c_str());
        OpenWindow(folder);
    }
    /// Closes the window, lets `whileClosed` change the files, and opens it
    /// again over the same bus, showing the same page: a new start of the
    /// program over the files it left.
    void Reopen(const std::function<void()>& whileClosed) {
        const std::string folder = Device().DeviceFolderName();
        device_ = nullptr;
        window_.reset();
        whileClosed();
        OpenWindow(folder);
    }
    void OpenWindow(const std::string& folder) {
        CreateWindow();
        ASSERT_TRUE(WaitShownAfterFirstScan());
        if (folder.empty()) return;
        device_ = DeviceOf(folder);
        ASSERT_TRUE(device_);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ShowsItsProfile(*device_); }, 10000)) << folder;
        // The first contact's reads come back after the page shows the
        // profile; their results change it once more.
        ASSERT_TRUE(QTest::qWaitFor([&] { return device_->ExchangesPending() == 0; }, 10000));
        SelectPage(folder);
    }
    CTelvorinFamilyDevice* DeviceOf(const std::string& folder) const {
        for (const DeviceDiscovery::FamilySet& set : window_->Discovery()->Sets())
            if (set.device->DeviceFolderName() == folder) return set.device;
        ADD_FAILURE() << "no device " << folder;
        return nullptr;
    }
    /// The first synchronisation is done: the profile file exists and the
    /// page shows its lighting (and keys).
    bool ShowsItsProfile(CTelvorinFamilyDevice& device) const {
        if (device.ProfileBaseName().empty() ||
            !QFile::exists(QString::fromStdString(ProfilePath(device))))
            return false;
        CLightControlUI* light = device.LightPage();
        auto* rows = dynamic_cast<CListUI*>(device.FindSubControl(kKeyList));
        return light && light->GetMode() >= 0 && (!rows || rows->GetCount() > 0);
    }
    void SelectPage(const std::string& folder) {
        const auto& sets = window_->Discovery()->Sets();
        for (size_t i = 0; i < sets.size(); ++i)
            if (sets[i].device->DeviceFolderName() == folder)
                window_->Discovery()->SelectTile(int(i), true, true);
        ASSERT_EQ(window_->CurrentDevice(), DeviceOf(folder));
    }

    // ---- the page's controls, and a user's actions on them ----

    CTelvorinFamilyDevice& Device() { return *device_; }
    template <typename T>
    T* Sub(const std::string& name) {
        auto* control = dynamic_cast<T*>(device_->FindSubControl(name));
        EXPECT_TRUE(control) << name;
        return control;
    }
    bool Choose(const char* combo, int item) {
        auto* box = Sub<CComboUI>(combo);
        return box && box->SelectItem(item);
    }
    /// Lets go of a slider's thumb at `value`.
    bool Slide(const char* slider, int value) {
        auto* control = Sub<CSliderUI>(slider);
        if (!control) return false;
        control->SetValue(value);
        control->SendNotify(notify_type::kValueChanged);
        return true;
    }
    bool Press(const char* button) {
        auto* control = Sub<CButtonUI>(button);
        return control && control->Activate();
    }
    /// Types `text` into an edit and leaves it.
    bool Type(const char* edit, const char* text) {
        auto* control = Sub<CEditUI>(edit);
        if (!control) return false;
        control->SetText(text);
        control->SendNotify(notify_type::kKillFocus);
        return true;
    }
    /// Moves a palette's marker to `colour`; kFinal when the button is let go there.
    bool Pick(const char* palette, uint32_t colour, intptr_t phase) {
        auto* control = Sub<CPalletUI>(palette);
        if (!control) return false;
        control->SetColor(colour);
        control->SendNotify(CPalletUI::kNotifyColorChanged, phase);
        return true;
    }
    std::string EditText(const char* edit) {
        auto* control = Sub<CEditUI>(edit);
        return control ? control->GetText() : "?";
    }
    bool IsSelected(const char* option) {
        auto* control = Sub<COptionUI>(option);
        return control && control->IsSelected();
    }
    int TabPage(const char* tabs) {
        auto* control = Sub<CTabLayoutUI>(tabs);
        return control ? control->GetCurSel() : -2;
    }

    // ---- the key list ----

    static constexpr const char* kKeyList = CTelvorinFamilyDevice::kKeyListName;
    CListUI* Rows() { return Sub<CListUI>(kKeyList); }
    int RowOfKey(int key) {
        CListUI* rows = Rows();
        for (int row = 0; rows && row < rows->GetCount(); ++row)
            if (std::atoi(rows->GetItemAt(row)->GetUserData().c_str()) == key) return row;
        return -1;
    }
    bool ChooseKey(int key) {
        const int row = RowOfKey(key);
        return row >= 0 && Rows()->SelectItem(row);
    }
    /// The key's name and its assignment as its row shows them.
    std::pair<std::string, std::string> RowTexts(int key) {
        auto* row = dynamic_cast<CContainerUI*>(Rows()->GetItemAt(RowOfKey(key)));
        auto* line = row ? dynamic_cast<CContainerUI*>(row->GetItemAt(0)) : nullptr;
        if (!line || line->GetCount() != 2) return {"?", "?"};
        return {line->GetItemAt(0)->GetText(), line->GetItemAt(1)->GetText()};
    }
    CKeySetControlUI& Panel() { return *Device().KeySetPanel(); }
    /// Chooses a category and then a row of that category's list.
    void ChooseAssignment(int category, const char* list, int row) {
        ASSERT_TRUE(Choose("keyset_function_combo", Panel().FindCategoryItem(category)));
        ASSERT_EQ(TabPage("function_switch_tablayout"), category);
        auto* box = Sub<CComboUI>(list);
        ASSERT_TRUE(box);
        if (box->GetCurSel() != row) {
            ASSERT_TRUE(box->SelectItem(row));
        }
    }
    AssignmentCode CurrentCode(int key) {
        return Device().Profile().KeyList().at(size_t(key)).current.code;
    }

    // ---- the profile file ----

    /// A device type's data folder, with the '/' at its end.
    std::string DataFolder(const std::string& folder) const {
        return hid_root_.path().toStdString() + "/data/Vorpaline TIRK/" + folder + "/";
    }
    std::string ProfilePath(const CTelvorinFamilyDevice& device) const {
        return DataFolder(device.DeviceFolderName()) + device.ProfileBaseName() + ".Json";
    }
    QByteArray ProfileBytes() { return ProfileBytes(Device()); }
    QByteArray ProfileBytes(const CTelvorinFamilyDevice& device) const {
        QFile file(QString::fromStdString(ProfilePath(device)));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << ProfilePath(device);
        return file.readAll();
    }
    /// The device's element of the profile file (of the shown device by default).
    QJsonObject OnDisk() { return OnDisk(Device()); }
    QJsonObject OnDisk(CTelvorinFamilyDevice& device) const {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(ProfileBytes(device), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return document.object()["Device"]
            .toArray()[device.Profile().GetDeviceIndex()]
            .toObject();
    }
    static Fields FieldsOf(const QJsonObject& object) {
        Fields fields;
        for (auto it = object.begin(); it != object.end(); ++it)
            fields[it.key().toStdString()] = it.value().toInt(-1);
        return fields;
    }
    Fields OnDisk(const char* section) { return OnDisk(Device(), section); }
    Fields OnDisk(CTelvorinFamilyDevice& device, const char* section) const {
        return FieldsOf(OnDisk(device)[section].toObject());
    }
    /// "Assignment" and "DefaultAssignment" of the key's element of "KeyList".
    std::pair<int, int> KeyOnDisk(int key) {
        const QJsonObject entry = OnDisk()["KeyList"].toArray()[key].toObject();
        return {entry["Assignment"].toInt(-1), entry["DefaultAssignment"].toInt(-1)};
    }

    CTelvorinFamilyDevice* device_ = nullptr;
    std::optional<MessageCloser> messages_;
};

inline void WriteBytes(const std::string& path, const QByteArray& bytes) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path;
    ASSERT_EQ(file.write(bytes), bytes.size()) << path;
}

/// Rewrites element `index` of the profile file's "Device" with `edit` applied.
inline void EditProfileFile(const std::string& path, int index,
                     const std::function<void(QJsonObject& device)>& edit) {
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path;
    QJsonObject root = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QJsonArray devices = root["Device"].toArray();
    QJsonObject device = devices[index].toObject();
    edit(device);
    devices[index] = device;
    root["Device"] = devices;
    WriteBytes(path, QJsonDocument(root).toJson());
}

/// Sets member `name` of element `index` of the array `array` of `object`.
inline void SetInArray(QJsonObject& object, const char* array, int index, const char* name, int value) {
    QJsonArray elements = object[array].toArray();
    QJsonObject element = elements[index].toObject();
    element[name] = value;
    elements[index] = element;
    object[array] = elements;
}

/// Runs `action` once: on Now(), or when the scope is left (also when an
/// assertion leaves it).
class Restore {
public:
    explicit Restore(std::function<void()> action) : m_action(std::move(action)) {}
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;
    ~Restore() { Now(); }
    void Now() {
        if (m_action) std::exchange(m_action, nullptr)();
    }

private:
    std::function<void()> m_action;
};

/// `fields` with `changes` written over them.
inline Fields With(Fields fields, const Fields& changes) {
    for (const auto& [name, value] : changes) fields[name] = value;
    return fields;
}

}  // namespace page_test
}  // namespace tirk
