// Connecting a command channel to a collection on a virtual bus the way a
// device object does, for the tests that drive the channel.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "device/link/command_channel.h"

namespace tirk::link::test {

/// Opens `channel`'s wireless (receiver) or wired interface on `path` for
/// reading and writing while holding its exchange lock, then sets the open
/// flag and the matching link type. An empty path or a failed open is a fatal
/// failure of the test (the caller's ASSERT_NO_FATAL_FAILURE stops it).
inline void ConnectChannel(CCommandChannel& channel, const std::string& path, bool wireless) {
    ASSERT_FALSE(path.empty()) << "no collection to connect to";
    {
        std::lock_guard exchange(channel.ExchangeLock());
        CHidInterface& hid = wireless ? channel.WirelessInterface() : channel.WiredInterface();
        ASSERT_TRUE(hid.Open(path, true, true, true, false)) << hid.LastError();
    }
    channel.SetOpen(true);
    channel.SetLinkType(wireless ? CCommandChannel::kWirelessLinkType : 1);
}

}  // namespace tirk::link::test
