// The virtual keyboard on a private virtual bus with a command channel
// connected to its cable's command collection through the real hidraw
// backend, the way the keyboard's device object connects it. The test
// fixtures do the same with gtest assertions; the benchmarks report a failed
// set-up as text instead.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "device/device_table.h"
#include "device/hid/hid_backend.h"
#include "device/hid/hid_interface.h"
#include "device/hid/hid_path.h"
#include "device/link/command_channel.h"
#include "device/virtual/emulated_bus.h"
#include "device/virtual/keyboard_firmware.h"
#include "device/virtual/virtual_hid_bus.h"

namespace tirk::bench {

class KeyboardRig {
public:
    static constexpr const char* kCable = "keyboard";

    /// Starts the bus in a fresh folder under /dev/shm (a tmpfs, as the
    /// runtime folder is on a desktop) and connects the channel.
    KeyboardRig() { m_ok = Start(); }
    ~KeyboardRig() {
        m_channel.reset();
        m_bus.reset();
        std::error_code ec;
        if (!m_root.empty()) std::filesystem::remove_all(m_root, ec);
    }
    KeyboardRig(const KeyboardRig&) = delete;
    KeyboardRig& operator=(const KeyboardRig&) = delete;

    /// The connected channel; null when the set-up failed (see Error()).
    CCommandChannel* Channel() { return m_ok ? m_channel.get() : nullptr; }
    const std::string& Error() const { return m_error; }

    /// Runs `task` on the bus thread with the cable's keyboard firmware.
    void WithKeyboard(const std::function<void(vbus::KeyboardFirmware&)>& task) {
        m_bus->Find(kCable)->WithFirmware([&](vbus::VirtualFirmware& firmware, vbus::FirmwareIo&) {
            if (auto* keyboard = dynamic_cast<vbus::KeyboardFirmware*>(&firmware)) task(*keyboard);
        });
    }

    /// The command frames the keyboard received so far, per command code
    /// (counted for its whole life, never dropped).
    std::map<uint8_t, int> CommandCounts() { return m_bus->Find(kCable)->CommandCounts(); }

private:
    bool Start() {
        char pattern[] = "/dev/shm/tirk-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return Fail("no temporary folder in /dev/shm");
        m_root = pattern;
        DeviceTables tables;
        std::string error;
        if (!LoadDeviceTables(DefaultDeviceTablesPath(), &tables, &error)) return Fail(error);
        m_bus = vbus::StartStandardBus(tables, m_root + "/bus", {kCable}, &error);
        if (m_bus == nullptr) return Fail(error);
        const int candidate = FindCandidate(tables, kTypeKeyboard, kRoleCommand);
        if (candidate < 0) return Fail("the device tables have no keyboard command candidate");
        m_channel = std::make_unique<CCommandChannel>(hid::CreateLinuxHidBackend(m_bus->root()));
        return Connect(tables.candidates[candidate]);
    }

    bool Connect(const DeviceCandidate& candidate) {
        CHidInterface scan(hid::CreateLinuxHidBackend(m_bus->root()));
        if (!scan.Enumerate()) return Fail("the scan found no HID device");
        while (const char* path = scan.NextPath()) {
            hid::HidPathIdentity id = hid::ParseHidPathIdentity(path);
            if (id.vendorId != candidate.vendorId || id.productId != candidate.productId ||
                id.interfaceNumber != candidate.interfaceNumber ||
                id.collectionNumber != candidate.collectionNumber)
                continue;
            {
                std::lock_guard exchange(m_channel->ExchangeLock());
                CHidInterface& hid = m_channel->WiredInterface();
                if (!hid.Open(path, true, true, true, false)) return Fail(hid.LastError());
            }
            m_channel->SetOpen(true);
            m_channel->SetLinkType(1);
            return true;
        }
        return Fail("the keyboard's command collection is not on the bus");
    }

    bool Fail(const std::string& error) {
        m_error = error.empty() ? "set-up failed" : error;
        return false;
    }

    std::string m_root;
    std::unique_ptr<vbus::VirtualHidBus> m_bus;
    std::unique_ptr<CCommandChannel> m_channel;
    bool m_ok = false;
    std::string m_error;
};

}  // namespace tirk::bench
