// A family protocol driving its virtual device (cable and receiver) through
// the real hidraw backend, and what the device recorded: the command frames
// the link received and the memory the links share. The keyboard and mouse
// protocol tests derive their fixtures from it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "channel_connect.h"
#include "device/link/command_channel.h"
#include "device/virtual/command_firmware.h"
#include "hid_bus_fixture.h"

namespace tirk::vbus::test {

/// Answers come at once; these only bound a test that goes wrong.
inline constexpr link::ChannelTimeouts kPromptTimeouts{5000, 5000, 5000, 1};

/// One device reached through its cable link `cable` (device type
/// `cableType`) or its receiver link `receiver` (`receiverType`); `Protocol`
/// is built on the channel.
template <typename Protocol>
class ProtocolTest : public HidOnStandardBusTest {
public:
    using Bytes = std::vector<uint8_t>;

    struct Links {
        const char* cable;
        const char* receiver;
        uint16_t cableType;
        uint16_t receiverType;
    };

protected:
    explicit ProtocolTest(Links links) : links_(links) {}

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartBus({links_.cable, links_.receiver}));
        ASSERT_NO_FATAL_FAILURE(Connect(false));
    }

    /// A new channel and protocol on the cable or the receiver.
    void Connect(bool wireless, link::ChannelTimeouts timeouts = kPromptTimeouts) {
        protocol_.reset();
        channel_ = std::make_unique<CCommandChannel>(backend_, timeouts);
        const uint16_t type = wireless ? links_.receiverType : links_.cableType;
        const std::string path = CandidatePath(Candidate(type, kRoleCommand));
        ASSERT_NO_FATAL_FAILURE(link::test::ConnectChannel(*channel_, path, wireless));
        protocol_ = std::make_unique<Protocol>(*channel_);
        wireless_ = wireless;
    }

    /// The link the channel talks to.
    std::string LinkName() const { return wireless_ ? links_.receiver : links_.cable; }

    /// Every command frame the link received, oldest first.
    std::vector<Bytes> Frames() {
        std::vector<Bytes> frames;
        for (const ReceivedReport& r : Device(LinkName()).Received())
            if (IsCommandFrame(r.bytes)) frames.push_back(r.bytes);
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

    /// The data length of each frame of `command`, in order.
    std::vector<int> LengthsOf(uint8_t command) {
        std::vector<int> lengths;
        for (const Bytes& frame : FramesOf(command)) lengths.push_back(frame[4]);
        return lengths;
    }

    void ClearFrames() { Device(LinkName()).ClearReceived(); }

    /// Runs `task` on the bus thread with the command firmware of link `name`
    /// (the cable's when empty).
    void WithFirmware(const std::function<void(CommandFirmware&)>& task, std::string name = {}) {
        if (name.empty()) name = links_.cable;
        Device(name).WithFirmware([&](VirtualFirmware& firmware, FirmwareIo&) {
            auto* device = dynamic_cast<CommandFirmware*>(&firmware);
            ASSERT_NE(device, nullptr) << name << " runs no command firmware";
            task(*device);
        });
    }

    /// The device's memory (shared by both links).
    Bytes Memory(MemoryRegion region) {
        Bytes copy;
        WithFirmware([&](CommandFirmware& f) { copy = f.Memory(region); });
        return copy;
    }

    /// Changes the device's memory (shared by both links).
    void EditMemory(MemoryRegion region, const std::function<void(Bytes&)>& edit) {
        WithFirmware([&](CommandFirmware& f) { edit(f.MutableMemory(region)); });
    }

    /// True between the device's BeginWrite and EndWrite.
    bool InWriteSession() {
        bool open = false;
        WithFirmware([&](CommandFirmware& f) { open = f.InWriteSession(); });
        return open;
    }

    std::unique_ptr<CCommandChannel> channel_;
    std::unique_ptr<Protocol> protocol_;
    bool wireless_ = false;

private:
    Links links_;
};

}  // namespace tirk::vbus::test
