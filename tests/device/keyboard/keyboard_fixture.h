// The keyboard protocol driving the virtual keyboard (cable and receiver)
// through the real hidraw backend, and what the keyboard recorded: the frames
// it received per command, its memory, its family firmware.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "channel_connect.h"
#include "device/keyboard/keyboard_protocol.h"
#include "device/link/command_channel.h"
#include "device/virtual/keyboard_firmware.h"
#include "hid_bus_fixture.h"

namespace tirk::keyboard::test {

using Bytes = std::vector<uint8_t>;

inline constexpr const char* kCable = "keyboard";
inline constexpr const char* kReceiver = "keyboard-receiver";
/// The virtual keyboard's key count and key table bytes.
inline constexpr int kKeys = 112;
inline constexpr size_t kTableBytes = 3 * kKeys;

/// Answers come at once; these only bound a test that goes wrong.
inline constexpr link::ChannelTimeouts kPromptTimeouts{5000, 5000, 5000, 1};

class KeyboardTest : public vbus::test::HidOnStandardBusTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartBus({kCable, kReceiver}));
        ASSERT_NO_FATAL_FAILURE(Connect(false));
    }

    /// A new channel and protocol on the cable or the receiver.
    void Connect(bool wireless, link::ChannelTimeouts timeouts = kPromptTimeouts) {
        protocol_.reset();
        channel_ = std::make_unique<CCommandChannel>(backend_, timeouts);
        uint16_t type = wireless ? kTypeKeyboardReceiver : kTypeKeyboard;
        std::string path = CandidatePath(Candidate(type, kRoleCommand));
        ASSERT_NO_FATAL_FAILURE(link::test::ConnectChannel(*channel_, path, wireless));
        protocol_ = std::make_unique<KeyboardProtocol>(*channel_);
        wireless_ = wireless;
    }

    /// The link the channel talks to.
    std::string LinkName() const { return wireless_ ? kReceiver : kCable; }

    /// Every command frame the link received, oldest first.
    std::vector<Bytes> Frames() {
        std::vector<Bytes> frames;
        for (const vbus::ReceivedReport& r : Device(LinkName()).Received())
            if (vbus::IsCommandFrame(r.bytes)) frames.push_back(r.bytes);
        return frames;
    }

    /// The command codes of Frames(), in order.
    Bytes Commands() {
        Bytes codes;
        for (const Bytes& frame : Frames()) codes.push_back(frame[3]);
        return codes;
    }

    /// The frames of one command.
    std::vector<Bytes> FramesOf(uint8_t command) {
        std::vector<Bytes> frames;
        for (const Bytes& frame : Frames())
            if (frame[3] == command) frames.push_back(frame);
        return frames;
    }

    /// The data bytes of the frames of `command`, joined in order.
    Bytes DataOf(uint8_t command) {
        Bytes data;
        for (const Bytes& frame : FramesOf(command))
            data.insert(data.end(), frame.begin() + 8, frame.begin() + 8 + frame[4]);
        return data;
    }

    /// The offsets of the frames of `command`, in order.
    std::vector<int> OffsetsOf(uint8_t command) {
        std::vector<int> offsets;
        for (const Bytes& frame : FramesOf(command)) offsets.push_back(frame[5] | frame[6] << 8);
        return offsets;
    }

    void ClearFrames() { Device(LinkName()).ClearReceived(); }

    /// Runs `task` on the bus thread with the cable's keyboard firmware.
    void WithKeyboard(const std::function<void(vbus::KeyboardFirmware&, vbus::FirmwareIo&)>& task,
                      const std::string& name = kCable) {
        Device(name).WithFirmware([&](vbus::VirtualFirmware& firmware, vbus::FirmwareIo& io) {
            auto* keyboard = dynamic_cast<vbus::KeyboardFirmware*>(&firmware);
            ASSERT_NE(keyboard, nullptr) << name << " runs no keyboard firmware";
            task(*keyboard, io);
        });
    }

    Bytes Memory(vbus::MemoryRegion region) {
        Bytes copy;
        WithKeyboard(
            [&](vbus::KeyboardFirmware& f, vbus::FirmwareIo&) { copy = f.Memory(region); });
        return copy;
    }

    /// Changes the keyboard's memory (shared by both links).
    void EditMemory(vbus::MemoryRegion region, const std::function<void(Bytes&)>& edit) {
        WithKeyboard(
            [&](vbus::KeyboardFirmware& f, vbus::FirmwareIo&) { edit(f.MutableMemory(region)); });
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

    std::unique_ptr<CCommandChannel> channel_;
    std::unique_ptr<KeyboardProtocol> protocol_;
    bool wireless_ = false;
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
