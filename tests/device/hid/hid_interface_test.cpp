// CHidInterface over the hidraw backend, against a fake root whose nodes are
// SEQPACKET sockets (the shape of the virtual bus).
#include "device/hid/hid_interface.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <thread>

#include "fake_hid_root.h"

using namespace std::chrono_literals;
using tirk::hid::CreateLinuxHidBackend;
using tirk::hid::HidIoResult;
using tirk::hid::ParseHidPathIdentity;
using tirk::test::FakeHidNodeSpec;
using tirk::test::FakeHidRoot;
using Bytes = std::vector<uint8_t>;

namespace {

// Four vendor collections (page 0xFF00, usages 1..4), collection N owning
// report id N: 3-byte input reports, and a 3-byte output report on id 1.
Bytes FourCollections() {
    Bytes d;
    for (uint8_t n = 1; n <= 4; ++n) {
        const Bytes c = {0x06, 0x00, 0xFF, 0x09, n,    0xA1, 0x01, 0x85, n,    0x09, 0x01,
                         0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02};
        d.insert(d.end(), c.begin(), c.end());
        if (n == 1) d.insert(d.end(), {0x09, 0x02, 0x91, 0x02});
        d.push_back(0xC0);
    }
    return d;
}

// One collection, no report ids: 2-byte input, 2-byte output.
const Bytes kNoIds = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF,
                      0x00, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0x09, 0x02, 0x91, 0x02, 0xC0};

FakeHidNodeSpec Spec(const Bytes& descriptor, int interfaceNumber = 1) {
    FakeHidNodeSpec spec;
    spec.descriptor = descriptor;
    spec.interfaceNumber = interfaceNumber;
    return spec;
}

std::vector<std::string> AllPaths(CHidInterface& hid) {
    std::vector<std::string> paths;
    while (const char* p = hid.NextPath()) paths.emplace_back(p);
    return paths;
}

class HidInterfaceTest : public ::testing::Test {
protected:
    CHidInterface Make() { return CHidInterface(CreateLinuxHidBackend(root_.Root())); }
    std::string PathOf(const std::string& node, const std::string& markers) {
        return "hid#vid_3a7d&pid_61e4" + markers + "#" + root_.DeviceNode(node);
    }

    FakeHidRoot root_;
};

TEST_F(HidInterfaceTest, EmptyRootEnumeratesNothing) {
    CHidInterface hid = Make();
    ASSERT_TRUE(hid.Enumerate());
    EXPECT_EQ(hid.NextPath(), nullptr);
    EXPECT_EQ(hid.PathCount(), 0u);
}

TEST_F(HidInterfaceTest, OnePathPerCollection) {
    root_.AddNode("hidraw0", Spec(FourCollections(), 1));
    root_.AddNode("hidraw1", Spec(kNoIds, 0));
    FakeHidNodeSpec physOnly = Spec(kNoIds, -1);
    physOnly.phys = "usb-0000:00:14.0-3/input2";
    root_.AddNode("hidraw2", physOnly);
    FakeHidNodeSpec unknown = Spec(kNoIds, -1);
    unknown.phys = "aa:bb:cc:dd:ee:ff";
    root_.AddNode("hidraw10", unknown);
    CHidInterface hid = Make();
    ASSERT_TRUE(hid.Enumerate());
    EXPECT_EQ(
        AllPaths(hid),
        (std::vector<std::string>{
            PathOf("hidraw0", "&mi_01&col01"), PathOf("hidraw0", "&mi_01&col02"),
            PathOf("hidraw0", "&mi_01&col03"), PathOf("hidraw0", "&mi_01&col04"),
            PathOf("hidraw1", "&mi_00"), PathOf("hidraw2", "&mi_02"), PathOf("hidraw10", "")}));
    EXPECT_EQ(hid.NextPath(), nullptr);
    hid.FreePaths();
    EXPECT_EQ(hid.NextPath(), nullptr);
}

TEST_F(HidInterfaceTest, MalformedDescriptorSkipsOnlyThatNode) {
    root_.AddNode("hidraw0", Spec({0xA1, 0x01}));  // never closed
    root_.AddNode("hidraw1", Spec(kNoIds, 0));
    CHidInterface hid = Make();
    ASSERT_TRUE(hid.Enumerate());
    EXPECT_EQ(AllPaths(hid), std::vector<std::string>{PathOf("hidraw1", "&mi_00")});
}

TEST(HidPath, IdentityFromPath) {
    struct Case {
        const char* path;
        uint16_t vid, pid;
        uint32_t mi, col;
    };
    const Case cases[] = {
        {"hid#vid_3a7d&pid_61e4&mi_01&col04#/dev/hidraw3", 0x3A7D, 0x61E4, 1, 4},
        {"hid#vid_3a7d&pid_61e4#/dev/hidraw3", 0x3A7D, 0x61E4, 0, 0},
        {"\\\\?\\HID#VID_046D&PID_C534&MI_01&COL02#7&1ebb799e&0&0001#{4d1e55b2-f16f}", 0x046D,
         0xC534, 1, 2},
        {"hid#vid_1234&pid_abcd&col0a#/r/dev/hidraw0", 0x1234, 0xABCD, 0, 10},
        {"", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const auto id = ParseHidPathIdentity(c.path);
        EXPECT_EQ(id.vendorId, c.vid) << c.path;
        EXPECT_EQ(id.productId, c.pid) << c.path;
        EXPECT_EQ(id.interfaceNumber, c.mi) << c.path;
        EXPECT_EQ(id.collectionNumber, c.col) << c.path;
    }
}

TEST_F(HidInterfaceTest, OpenExposesIdentity) {
    root_.AddNode("hidraw0", Spec(FourCollections(), 1));
    CHidInterface hid = Make();
    ASSERT_TRUE(hid.Open(PathOf("hidraw0", "&mi_01&col03"), true, true, true, false))
        << hid.LastError();
    EXPECT_EQ(hid.VendorId(), 0x3A7D);
    EXPECT_EQ(hid.ProductId(), 0x61E4);
    EXPECT_EQ(hid.Version(), 0x0102);
    EXPECT_EQ(hid.UsagePage(), 0xFF00);
    EXPECT_EQ(hid.Usage(), 3);
    EXPECT_EQ(hid.InputReportByteLength(), 3u);
    EXPECT_EQ(hid.OutputReportByteLength(), 0u);
    EXPECT_EQ(hid.InterfaceNumber(), 1u);
    EXPECT_EQ(hid.CollectionNumber(), 3u);
    ASSERT_TRUE(hid.Open(PathOf("hidraw0", "&mi_01&col01"), true, true, true, false));
    EXPECT_EQ(hid.OutputReportByteLength(), 3u);
    EXPECT_FALSE(hid.Open(PathOf("hidraw7", ""), true, true, true, false));
    EXPECT_FALSE(hid.IsOpen());
}

TEST_F(HidInterfaceTest, EachCollectionSeesOnlyItsReports) {
    root_.AddNode("hidraw0", Spec(FourCollections()));
    CHidInterface col3 = Make();
    CHidInterface col4 = Make();
    ASSERT_TRUE(col3.Open(PathOf("hidraw0", "&mi_01&col03"), true, true, true, false));
    ASSERT_TRUE(col4.Open(PathOf("hidraw0", "&mi_01&col04"), true, true, true, false));
    ASSERT_TRUE(root_.WaitForConnections("hidraw0", 2));
    root_.SendInput("hidraw0", {0x03, 0x33, 0x34});
    root_.SendInput("hidraw0", {0x04, 0x44, 0x45});
    uint8_t buffer[8];
    uint32_t got = 0;
    ASSERT_TRUE(col3.Read(buffer, sizeof buffer, got, 5000));
    EXPECT_EQ(Bytes(buffer, buffer + got), (Bytes{0x03, 0x33, 0x34}));
    ASSERT_TRUE(col4.Read(buffer, sizeof buffer, got, 5000));
    EXPECT_EQ(Bytes(buffer, buffer + got), (Bytes{0x04, 0x44, 0x45}));
    // Nothing of its own is left for either.
    EXPECT_FALSE(col3.Read(buffer, sizeof buffer, got, 50));
    EXPECT_FALSE(col4.Read(buffer, sizeof buffer, got, 50));
    EXPECT_EQ(got, 0u);
}

TEST_F(HidInterfaceTest, ReadTimesOut) {
    root_.AddNode("hidraw0", Spec(FourCollections()));
    CHidInterface hid = Make();
    ASSERT_TRUE(hid.Open(PathOf("hidraw0", "&mi_01&col01"), true, true, true, false));
    uint8_t buffer[3];
    uint32_t got = 99;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(hid.Read(buffer, sizeof buffer, got, 100));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_EQ(got, 0u);
}

// A Read with time-out -1 on another thread. Destroying it closes the
// interface first, so a read that began later than the test meant (after a
// Reopen, say) still ends instead of keeping the test from finishing.
class BlockedRead {
public:
    explicit BlockedRead(CHidInterface& hid)
        : hid_(hid), result_(std::async(std::launch::async, [&hid] {
              uint8_t buffer[3];
              uint32_t got = 77;
              const bool ok = hid.Read(buffer, sizeof buffer, got, -1);
              return std::make_pair(ok, got);
          })) {}
    ~BlockedRead() { hid_.Close(); }
    BlockedRead(const BlockedRead&) = delete;
    BlockedRead& operator=(const BlockedRead&) = delete;

    /// True once the read holds the connection (so a Close or Reopen now
    /// cuts it short); false when that did not happen within five seconds.
    bool WaitUntilReading() {
        const auto give_up = std::chrono::steady_clock::now() + 5s;
        while (!hid_.IsReading()) {
            if (std::chrono::steady_clock::now() > give_up) return false;
            std::this_thread::sleep_for(1ms);
        }
        return true;
    }
    /// The read's (ok, transferred), once it ended within five seconds.
    std::optional<std::pair<bool, uint32_t>> Ended() {
        if (result_.wait_for(5s) != std::future_status::ready) return std::nullopt;
        return result_.get();
    }

private:
    CHidInterface& hid_;
    std::future<std::pair<bool, uint32_t>> result_;
};

TEST_F(HidInterfaceTest, CloseCutsAnInfiniteReadShort) {
    root_.AddNode("hidraw0", Spec(FourCollections()));
    CHidInterface hid = Make();
    ASSERT_TRUE(hid.Open(PathOf("hidraw0", "&mi_01&col01"), true, true, true, false));
    BlockedRead read(hid);
    ASSERT_TRUE(read.WaitUntilReading());
    hid.Close();
    EXPECT_EQ(read.Ended(), std::make_pair(false, 0u));
    EXPECT_EQ(hid.LastReadResult(), HidIoResult::Cancelled);
    EXPECT_FALSE(hid.IsOpen());
}

TEST_F(HidInterfaceTest, ReopenCutsAWaitingReadShort) {
    root_.AddNode("hidraw0", Spec(FourCollections()));
    CHidInterface hid = Make();
    ASSERT_TRUE(hid.Open(PathOf("hidraw0", "&mi_01&col01"), true, true, true, false));
    BlockedRead read(hid);
    ASSERT_TRUE(read.WaitUntilReading());
    ASSERT_TRUE(hid.Reopen());
    EXPECT_EQ(read.Ended(), std::make_pair(false, 0u));
    EXPECT_EQ(hid.LastReadResult(), HidIoResult::Cancelled);
    EXPECT_TRUE(hid.IsOpen());
}

TEST_F(HidInterfaceTest, UnplugEndsAWaitingRead) {
    root_.AddNode("hidraw0", Spec(FourCollections()));
    CHidInterface hid = Make();
    ASSERT_TRUE(hid.Open(PathOf("hidraw0", "&mi_01&col01"), true, true, true, false));
    ASSERT_TRUE(root_.WaitForConnections("hidraw0", 1));
    BlockedRead read(hid);
    ASSERT_TRUE(read.WaitUntilReading());
    root_.Unplug("hidraw0");
    EXPECT_EQ(read.Ended(), std::make_pair(false, 0u));
    EXPECT_EQ(hid.LastReadResult(), HidIoResult::Gone);
    // Gone: a presence check now fails.
    EXPECT_FALSE(hid.Open(PathOf("hidraw0", "&mi_01&col01"), false, false, false, false));
}

TEST_F(HidInterfaceTest, ReadSaysWhyItFailed) {
    root_.AddNode("hidraw0", Spec(FourCollections()));
    CHidInterface hid = Make();
    uint8_t buffer[3];
    uint32_t got = 0;
    EXPECT_FALSE(hid.Read(buffer, sizeof buffer, got, 0));
    EXPECT_EQ(hid.LastReadResult(), HidIoResult::Cancelled) << "never opened";
    ASSERT_TRUE(hid.Open(PathOf("hidraw0", "&mi_01&col01"), true, true, true, false));
    EXPECT_FALSE(hid.Read(buffer, sizeof buffer, got, 20));
    EXPECT_EQ(hid.LastReadResult(), HidIoResult::Timeout);
    EXPECT_FALSE(hid.Read(nullptr, sizeof buffer, got, 20));
    EXPECT_EQ(hid.LastReadResult(), HidIoResult::Error);
}

// The padding makes every report as long as the collection's; the length the
// device really sent stays known (id byte counted, as Windows counts it).
TEST_F(HidInterfaceTest, ReceivedLengthIsTheLengthSentBeforePadding) {
    struct Case {
        const char* what;
        const Bytes& descriptor;
        const char* markers;
        Bytes sent;
        Bytes read;
        uint32_t received;
    };
    const Bytes four = FourCollections();
    const char* col1 = "&mi_01&col01";
    const Case cases[] = {
        {"whole report", four, col1, {0x01, 0x33, 0x34}, {0x01, 0x33, 0x34}, 3},
        {"cut short", four, col1, {0x01, 0x33}, {0x01, 0x33, 0x00}, 2},
        {"only the id", four, col1, {0x01}, {0x01, 0x00, 0x00}, 1},
        {"no ids, whole", kNoIds, "&mi_00", {0x11, 0x22}, {0x00, 0x11, 0x22}, 3},
        {"no ids, cut short", kNoIds, "&mi_00", {0x11}, {0x00, 0x11, 0x00}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeHidRoot root;
        root.AddNode("hidraw0", Spec(c.descriptor, c.descriptor == kNoIds ? 0 : 1));
        CHidInterface hid(CreateLinuxHidBackend(root.Root()));
        ASSERT_TRUE(hid.Open(
            "hid#vid_3a7d&pid_61e4" + std::string(c.markers) + "#" + root.DeviceNode("hidraw0"),
            true, true, true, false))
            << hid.LastError();
        ASSERT_TRUE(root.WaitForConnections("hidraw0", 1));
        root.SendInput("hidraw0", c.sent);
        uint8_t buffer[3];
        uint32_t got = 0;
        ASSERT_TRUE(hid.Read(buffer, sizeof buffer, got, 5000));
        EXPECT_EQ(Bytes(buffer, buffer + got), c.read);
        EXPECT_EQ(hid.LastReceivedBytes(), c.received);
        EXPECT_FALSE(hid.Read(buffer, sizeof buffer, got, 0));
        EXPECT_EQ(hid.LastReceivedBytes(), 0u) << "a failed read received nothing";
    }
}

TEST_F(HidInterfaceTest, PresenceCheckOpensWithoutAccess) {
    root_.AddNode("hidraw0", Spec(FourCollections()));
    CHidInterface hid = Make();
    ASSERT_TRUE(hid.Open(PathOf("hidraw0", "&mi_01&col02"), false, false, false, false))
        << hid.LastError();
    EXPECT_EQ(hid.Usage(), 2);
    EXPECT_EQ(root_.Connections("hidraw0"), 0u);  // no open file that would receive reports
    uint8_t buffer[3] = {1, 0, 0};
    uint32_t got = 0;
    EXPECT_FALSE(hid.Read(buffer, sizeof buffer, got, 0));
    EXPECT_FALSE(hid.Write(buffer, sizeof buffer, got, 0));
}

TEST_F(HidInterfaceTest, WriteSendsTheReportWithItsId) {
    root_.AddNode("hidraw0", Spec(FourCollections()));
    CHidInterface hid = Make();
    ASSERT_TRUE(hid.Open(PathOf("hidraw0", "&mi_01&col01"), true, true, true, false));
    const uint8_t report[] = {0x01, 0xAB, 0xCD};
    uint32_t sent = 0;
    ASSERT_TRUE(hid.Write(report, sizeof report, sent, 1000));
    EXPECT_EQ(sent, 3u);
    EXPECT_EQ(root_.Received("hidraw0", 1), (std::vector<Bytes>{{0x01, 0xAB, 0xCD}}));
}

TEST_F(HidInterfaceTest, WithoutReportIdsTheZeroByteIsAddedAndStripped) {
    root_.AddNode("hidraw0", Spec(kNoIds, 0));
    CHidInterface hid = Make();
    ASSERT_TRUE(hid.Open(PathOf("hidraw0", "&mi_00"), true, true, true, false));
    EXPECT_EQ(hid.InputReportByteLength(), 3u);
    EXPECT_EQ(hid.OutputReportByteLength(), 3u);
    ASSERT_TRUE(root_.WaitForConnections("hidraw0", 1));
    root_.SendInput("hidraw0", {0x11, 0x22});
    uint8_t buffer[3];
    uint32_t got = 0;
    ASSERT_TRUE(hid.Read(buffer, sizeof buffer, got, 5000));
    EXPECT_EQ(Bytes(buffer, buffer + got), (Bytes{0x00, 0x11, 0x22}));
    const uint8_t report[] = {0x00, 0x5A, 0xA5};
    ASSERT_TRUE(hid.Write(report, sizeof report, got, 1000));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(root_.Received("hidraw0", 1), (std::vector<Bytes>{{0x5A, 0xA5}}));
    // Decoding works on the Windows-shaped report.
    EXPECT_EQ(hid.ParseInputReport(buffer, 3), tirk::hid::kHidpStatusSuccess);
    EXPECT_EQ(hid.DataItems(tirk::hid::ReportType::Input)[0].rawValue, 0x11u);
}

TEST(HidInterfaceLayout, LoadFromDescriptorWithoutDevice) {
    CHidInterface hid(CreateLinuxHidBackend("/nonexistent"));
    const Bytes d = FourCollections();
    ASSERT_TRUE(hid.LoadLayoutFromDescriptor(d.data(), d.size(), 1));
    EXPECT_EQ(hid.Usage(), 2);
    const uint8_t report[] = {0x02, 0x10, 0x20};
    EXPECT_EQ(hid.ParseInputReport(report, sizeof report), tirk::hid::kHidpStatusSuccess);
    EXPECT_EQ(hid.DataItems(tirk::hid::ReportType::Input)[0].rawValue, 0x10u);
    EXPECT_FALSE(hid.LoadLayoutFromDescriptor(d.data(), 3, 0));
    EXPECT_FALSE(hid.LastError().empty());
}

}  // namespace
