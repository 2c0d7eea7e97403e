// The keyboard protocol driving the virtual keyboard (cable and receiver)
// through the real hidraw backend, and what the keyboard recorded: the frames
// it received per command, its memory, its family firmware.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "device/keyboard/keyboard_protocol.h"
#include "device/virtual/keyboard_firmware.h"
#include "protocol_fixture.h"

namespace tirk::keyboard::test {

using Bytes = std::vector<uint8_t>;

inline constexpr const char* kCable = "keyboard";
inline constexpr const char* kReceiver = "keyboard-receiver";
/// The virtual keyboard's key count and key table bytes.
inline constexpr int kKeys = 112;
inline constexpr size_t kTableBytes = 3 * kKeys;

using vbus::test::kPromptTimeouts;

class KeyboardTest : public vbus::test::ProtocolTest<KeyboardProtocol> {
protected:
    KeyboardTest() : ProtocolTest({kCable, kReceiver, kTypeKeyboard, kTypeKeyboardReceiver}) {}

    /// Runs `task` on the bus thread with the cable's keyboard firmware.
    void WithKeyboard(const std::function<void(vbus::KeyboardFirmware&, vbus::FirmwareIo&)>& task,
                      const std::string& name = kCable) {
        Device(name).WithFirmware([&](vbus::VirtualFirmware& firmware, vbus::FirmwareIo& io) {
            auto* keyboard = dynamic_cast<vbus::KeyboardFirmware*>(&firmware);
            ASSERT_NE(keyboard, nullptr) << name << " runs no keyboard firmware";
            task(*keyboard, io);
        });
    }

    /// ReadKeyTables, asserted to succeed, with the frames forgotten after it.
    void ReadTables() {
        ASSERT_EQ(protocol_->ReadKeyTables(), link::kSuccess);
        ClearFrames();
    }

    /// What StartDevice reads: the key tables and the settings, frames forgotten.
    void StartDevice() {
        ASSERT_EQ(protocol_->ReadKeyTables(), link::kSuccess);
        ASSERT_EQ(protocol_->ReadDeviceSettings(), link::kSuccess);
        ClearFrames();
    }

    /// Runs the built tirk-vdev against this test's bus.
    vbus::test::ToolResult Vdev(const std::string& arguments) {
        return vbus::test::RunVdev("--root " + root_.path() + " " + arguments);
    }

    /// Vdev, asserted to succeed.
    void VdevOk(const std::string& arguments) {
        vbus::test::ToolResult result = Vdev(arguments);
        ASSERT_EQ(result.exitCode, 0) << arguments << ": " << result.output;
    }
};

/// A key list (one entry per position) in which every position's current
/// and default assignment is the position's factory code.
inline std::vector<KeyListEntry> FactoryKeyList() {
    std::vector<KeyListEntry> list(kPositionCount);
    for (int p = 0; p < kPositionCount; ++p) {
        list[p].current.code = list[p].defaultHalf.code = KeyPositionCodes()[p];
        list[p].current.SetKeyIndex(static_cast<uint16_t>(p));
        list[p].defaultHalf.SetKeyIndex(static_cast<uint16_t>(p));
    }
    return list;
}

/// The code of the key at index `key` in the keyboard's table `table`.
inline Bytes KeyCodeAt(const Bytes& table, int key) {
    return Bytes(table.begin() + 3 * key, table.begin() + 3 * key + 3);
}

}  // namespace tirk::keyboard::test
