// The main window over the virtual keyboard with the keyboard's page shown,
// and what the keyboard stored: the page tests of the keyboard read back
// through these what reached it.
#pragma once

#include <QTest>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "device/virtual/keyboard_firmware.h"
#include "device/virtual/virtual_hid_device.h"
#include "page_fixture.h"

namespace tirk {
namespace page_test {

class KeyboardPageFixture : public PageRoutesTest {
protected:
    using Bytes = std::vector<uint8_t>;
    static constexpr int kWaitMs = 5000;

    void SetUp() override {
        PageRoutesTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(Start({"keyboard"}, "keyboard"));
        keyboard_ = dynamic_cast<CTelvorinKeyboardDevice*>(&Device());
        ASSERT_TRUE(keyboard_);
    }

    void WithFirmware(const std::function<void(vbus::KeyboardFirmware&)>& task) {
        vbus::VirtualHidDevice* device = bus_->Find("keyboard");
        ASSERT_TRUE(device);
        device->WithFirmware([&](vbus::VirtualFirmware& firmware, vbus::FirmwareIo&) {
            auto* keyboard = dynamic_cast<vbus::KeyboardFirmware*>(&firmware);
            ASSERT_TRUE(keyboard);
            task(*keyboard);
        });
    }
    /// The settings record of profile 0 as the keyboard keeps it.
    Bytes Record() {
        Bytes record;
        WithFirmware([&](vbus::KeyboardFirmware& f) { record = f.ProfileRecord(0); });
        return record;
    }
    /// Opens a key of the key list on the keys tab with the keyboard-key page
    /// shown, ready to take a key; returns the key's index.
    int OpenKeyForAKey() {
        constexpr int kCategoryKeyboardKey = 6;
        EXPECT_TRUE(Press("key_Op_tab"));
        auto* rows = Sub<CListUI>(CTelvorinFamilyDevice::kKeyListName);
        if (!rows || rows->GetCount() <= 5) {
            ADD_FAILURE() << "no key list";
            return -1;
        }
        const int key = std::atoi(rows->GetItemAt(5)->GetUserData().c_str());
        Device().SelectKey(key);
        EXPECT_TRUE(Choose("keyset_function_combo", Panel().FindCategoryItem(kCategoryKeyboardKey)));
        return key;
    }
    /// The code lighting mode `mode` has on the keyboard's wire.
    uint8_t ModeCode(int mode) {
        return static_cast<uint8_t>(keyboard_->LightingNames().modeCodes.at(size_t(mode)));
    }
    /// Every exchange queued on the device's worker has run.
    bool AllSent() {
        return QTest::qWaitFor([&] { return Device().ExchangesPending() == 0; }, kWaitMs);
    }

    CTelvorinKeyboardDevice* keyboard_ = nullptr;
};

}  // namespace page_test
}  // namespace tirk
