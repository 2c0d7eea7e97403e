// The fixture of the tests that talk to the standard virtual devices' family
// firmwares frame by frame: exact request and answer frames, the firmware's
// memory, and tirk-vdev against the test's bus.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "device/virtual/command_firmware.h"
#include "standard_bus_fixture.h"

namespace tirk::vbus::test {

using Bytes = std::vector<uint8_t>;

// A request of `length` bytes to read: the data part is zero.
inline Bytes ReadRequest(uint8_t command, size_t length, uint16_t offset) {
    return CommandFrame(command, Bytes(length, 0), offset);
}

// The answer the device must give: header echoed, status, data, checksum.
// `length` defaults to the data's size.
inline Bytes Answer(uint8_t command, Bytes data, uint16_t offset = 0, uint8_t status = 0,
                    int length = -1) {
    Bytes frame = CommandFrame(command, data, offset);
    if (length >= 0) frame[4] = static_cast<uint8_t>(length);
    frame[7] = status;
    return Sealed(frame);
}

inline Bytes Range(const Bytes& bytes, size_t from, size_t count) {
    return Bytes(bytes.begin() + from, bytes.begin() + from + count);
}

struct Exchange {
    std::string what;
    Bytes request;
    Bytes answer;
};

class FirmwareTest : public StandardBusTest {
protected:
    // A connection to the node of the device's command interface (its last).
    std::unique_ptr<NodeClient> Connect(const std::string& name) {
        std::vector<std::string> nodes = Device(name).NodeNames();
        auto client = std::make_unique<NodeClient>(root_.path() + "/dev/" + nodes.back());
        EXPECT_TRUE(client->ok()) << name;
        return client;
    }

    // Sends every request and compares each answer with the expected bytes.
    void ExpectExchanges(const std::string& name, const std::vector<Exchange>& exchanges) {
        auto client = Connect(name);
        for (const Exchange& e : exchanges) {
            SCOPED_TRACE(name + ": " + e.what);
            ASSERT_TRUE(client->Write(e.request));
            EXPECT_EQ(client->Read(), e.answer);
        }
    }

    // The answer to one request (empty when none came).
    Bytes Ask(NodeClient& client, const Bytes& request) {
        EXPECT_TRUE(client.Write(request));
        return client.Read().value_or(Bytes{});
    }

    // Runs `task` on the bus thread with the device's family firmware.
    template <typename Firmware = CommandFirmware>
    void With(const std::string& name,
              const std::type_identity_t<std::function<void(Firmware&, FirmwareIo&)>>& task) {
        Device(name).WithFirmware([&](VirtualFirmware& firmware, FirmwareIo& io) {
            auto* family = dynamic_cast<Firmware*>(&firmware);
            ASSERT_NE(family, nullptr) << name << " runs no family firmware";
            task(*family, io);
        });
    }

    Bytes Memory(const std::string& name, MemoryRegion region) {
        Bytes copy;
        With(name, [&](CommandFirmware& f, FirmwareIo&) { copy = f.Memory(region); });
        return copy;
    }

    ToolResult Vdev(const std::string& arguments) {
        return RunVdev("--root " + root_.path() + " " + arguments);
    }
};

}  // namespace tirk::vbus::test
