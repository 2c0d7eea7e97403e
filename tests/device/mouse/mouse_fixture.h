// The mouse protocol driving the virtual mouse (cable and receiver) through
// the real hidraw backend (protocol_fixture.h), and the mouse's own helpers:
// its link state, the key list of its standard functions.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "device/mouse/mouse_protocol.h"
#include "protocol_fixture.h"

namespace tirk::mouse::test {

using Bytes = std::vector<uint8_t>;

inline constexpr const char* kCable = "mouse";
inline constexpr const char* kReceiver = "mouse-receiver";
/// The two ways to the mouse, for tests that run on both.
enum class Link { kCable, kReceiver };

inline void PrintTo(Link link, std::ostream* out) {
    *out << (link == Link::kCable ? "cable" : "receiver");
}

inline std::string LinkLabel(const ::testing::TestParamInfo<Link>& info) {
    return info.param == Link::kCable ? "Cable" : "Receiver";
}

class MouseTest : public vbus::test::ProtocolTest<MouseProtocol> {
protected:
    MouseTest() : ProtocolTest({kCable, kReceiver, kTypeMouse, kTypeMouseReceiver}) {}

    /// Links or unlinks the mouse behind its receiver.
    void SetLinked(bool linked) {
        WithFirmware([&](vbus::CommandFirmware& f) { f.SetLinked(linked); }, kReceiver);
    }

    /// ReadKeyTable and ReadSettings, asserted to succeed, frames forgotten.
    void StartDevice() {
        ASSERT_EQ(protocol_->ReadKeyTable(), link::kSuccess);
        ASSERT_EQ(protocol_->ReadSettings(), link::kSuccess);
        ClearFrames();
    }

    /// The link check the receiver puts before each guarded operation.
    Bytes Guarded(Bytes commands) const {
        if (wireless_) commands.insert(commands.begin(), 0xAA);
        return commands;
    }
};

/// MouseTest on the cable or the receiver, as the parameter says.
class MouseOnEachLink : public MouseTest, public ::testing::WithParamInterface<Link> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(MouseTest::SetUp());
        if (GetParam() == Link::kReceiver) {
            ASSERT_NO_FATAL_FAILURE(Connect(true));
        }
    }

    /// The frames a transfer of `bytes` takes on this link, by length.
    std::vector<int> Chunks(int bytes) const {
        const int chunk =
            wireless_ ? CCommandChannel::kWirelessChunkSize : CCommandChannel::kWiredChunkSize;
        std::vector<int> lengths;
        for (int at = 0; at < bytes; at += chunk) lengths.push_back(std::min(chunk, bytes - at));
        return lengths;
    }
};

/// A key list with every standard function at its default assignment.
inline std::vector<KeyListEntry> FactoryKeyList() {
    std::vector<KeyListEntry> list(kStandardFunctions);
    for (int f = 0; f < kStandardFunctions; ++f) {
        list[f].current.code = list[f].defaultHalf.code = StandardFunctionEntries()[f];
        list[f].current.SetKeyIndex(static_cast<uint16_t>(f));
        list[f].defaultHalf.SetKeyIndex(static_cast<uint16_t>(f));
    }
    return list;
}

/// The 3-byte entry at key position `key` of `table`.
inline Bytes EntryAt(const Bytes& table, int key) {
    return Bytes(table.begin() + 3 * key, table.begin() + 3 * key + 3);
}

}  // namespace tirk::mouse::test
