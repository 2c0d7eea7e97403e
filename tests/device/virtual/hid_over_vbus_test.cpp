// The real HID transport (CHidInterface over the hidraw backend) against the
// virtual bus: what device discovery and the command channel will do.
#include <gtest/gtest.h>

#include <future>
#include <set>

#include "device/hid/hid_interface.h"
#include "device/virtual/report_descriptors.h"
#include "hid_bus_fixture.h"

namespace tirk::vbus {
namespace {

using test::CommandFrame;

class HidOverVirtualBus : public test::HidOnStandardBusTest {
protected:
    // The path of candidate `index`, as the scan finds it; empty when absent.
    std::string PathOf(size_t index) { return CandidatePath(tables_.candidates[index]); }

    bool OpenReadWrite(CHidInterface& hid, const std::string& path) {
        return hid.Open(path, true, true, true, false);
    }

    // Finds `c`'s path, opens it and compares attributes and capabilities.
    void ExpectFoundWithItsUsage(const DeviceCandidate& c) {
        std::string path = CandidatePath(c);
        ASSERT_FALSE(path.empty());
        CHidInterface hid(backend_);
        ASSERT_TRUE(hid.Open(path, true, false, true, false)) << hid.LastError();
        EXPECT_EQ(hid.VendorId(), c.vendorId);
        EXPECT_EQ(hid.ProductId(), c.productId);
        EXPECT_EQ(hid.UsagePage(), c.usagePage);
        EXPECT_EQ(hid.Usage(), c.usage);
        EXPECT_EQ(hid.Version(), 0x0100);
        if (c.secondaryCode == kRoleCommand) {
            EXPECT_EQ(hid.InputReportByteLength(), 64u);
            EXPECT_EQ(hid.OutputReportByteLength(), 64u);
        }
    }
};

TEST_F(HidOverVirtualBus, EnumerationGivesOnePathPerCollection) {
    std::vector<std::string> paths = EnumeratePaths();
    // Five devices with 1 + 4 collections, the headset with 1.
    EXPECT_EQ(paths.size(), 5u * 5u + 1u);
    std::string keyboardNode = root_.path() + "/dev/" + bus_->Find("keyboard")->NodeNames()[1];
    std::set<std::string> all(paths.begin(), paths.end());
    EXPECT_EQ(all.count("hid#vid_3a7d&pid_61e4&mi_01&col04#" + keyboardNode), 1u);
    std::string headsetNode = root_.path() + "/dev/" + bus_->Find("headset")->NodeNames()[0];
    EXPECT_EQ(all.count("hid#vid_0c76&pid_1630&mi_03#" + headsetNode), 1u);
}

// What the scan does for every candidate: find the path, open it, compare the
// attributes and capabilities with the candidate.
TEST_F(HidOverVirtualBus, EveryCandidateIsFoundWithItsUsage) {
    for (size_t i = 0; i < tables_.candidates.size(); ++i) {
        SCOPED_TRACE("candidate " + std::to_string(i));
        ExpectFoundWithItsUsage(tables_.candidates[i]);
    }
}

// A compatible product a user added to the table, plugged as a device shaped
// like the standard mouse, is found exactly as the shipped candidates are.
TEST_F(HidOverVirtualBus, UserAddedCandidateIsFoundLikeAShippedOne) {
    const char* added = R"({ "candidates": [
        { "vendor": "0x3A7D", "product": "0x61F0", "interface": 1, "collection": 4, "type": 2,
          "secondary": 0, "usagePage": "0xFF1C", "usage": "0x92", "partner": null },
        { "vendor": "0x3A7D", "product": "0x61F0", "interface": 1, "collection": 3, "type": 2,
          "secondary": 255, "usagePage": "0x000C", "usage": "0x01", "partner": null } ] })";
    std::string error;
    ASSERT_TRUE(AddUserCandidates(added, "user.json", &tables_, &error)) << error;
    const size_t base = tables_.candidates.size() - 2;
    EXPECT_TRUE(PathOf(base).empty()) << "not plugged yet";
    ASSERT_NE(bus_->PlugAs("mouse2", "mouse", 0x3A7D, 0x61F0, &error), nullptr) << error;
    for (size_t i = base; i < tables_.candidates.size(); ++i) {
        SCOPED_TRACE("added candidate " + std::to_string(i - base));
        ExpectFoundWithItsUsage(tables_.candidates[i]);
    }
}

TEST_F(HidOverVirtualBus, CommandFrameComesBackAsItsEcho) {
    CHidInterface hid(backend_);
    ASSERT_TRUE(OpenReadWrite(hid, PathOf(4))) << hid.LastError();  // mouse command
    std::vector<uint8_t> frame = CommandFrame(0x05, {0x00}, 0);
    uint32_t transferred = 0;
    ASSERT_TRUE(hid.Write(frame.data(), 64, transferred, 1000));
    EXPECT_EQ(transferred, 64u);
    std::vector<uint8_t> answer(64);
    ASSERT_TRUE(hid.Read(answer.data(), 64, transferred, test::kPromptlyMs));
    EXPECT_EQ(answer, frame);
    EXPECT_EQ(bus_->Find("mouse")->CommandCounts()[0x05], 1);
}

TEST_F(HidOverVirtualBus, NotificationReachesOnlyTheNotificationCollection) {
    CHidInterface notification(backend_), command(backend_);
    ASSERT_TRUE(OpenReadWrite(notification, PathOf(1)));  // keyboard col03
    ASSERT_TRUE(OpenReadWrite(command, PathOf(0)));       // keyboard col04
    std::vector<uint8_t> report = {kConsumerReportId, 0x01, 0x04};
    ASSERT_EQ(bus_->Find("keyboard")->SendInputReport(1, report), 2);
    uint8_t buffer[64] = {};
    uint32_t transferred = 0;
    ASSERT_TRUE(notification.Read(buffer, sizeof buffer, transferred, test::kPromptlyMs));
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 3), report);
    EXPECT_FALSE(command.Read(buffer, sizeof buffer, transferred, 200))
        << "the command collection drops reports of other collections";
}

// What the notification listener does with a report: decode it and take the
// first usage of the first data item as the code. Codes above the consumer
// usages (0x0401 …, 0x11xx) must survive the descriptor's logical range.
TEST_F(HidOverVirtualBus, NotificationCodesDecodeAsTheFirstUsage) {
    CHidInterface notification(backend_);
    ASSERT_TRUE(OpenReadWrite(notification, PathOf(1)));  // keyboard col03
    for (uint16_t code : {0x0401, 0x0402, 0x0435, 0x1103, 0x10A7}) {
        SCOPED_TRACE(code);
        std::string answer;
        ASSERT_TRUE(
            bus_->Find("keyboard")->FirmwareControl({"notify", std::to_string(code)}, &answer))
            << answer;
        uint8_t buffer[64] = {};
        uint32_t transferred = 0;
        ASSERT_TRUE(notification.Read(buffer, sizeof buffer, transferred, test::kPromptlyMs));
        notification.ParseInputReport(buffer, transferred);
        auto& items = notification.DataItems(hid::ReportType::Input);
        ASSERT_FALSE(items.empty());
        ASSERT_FALSE(items[0].usageList.empty());
        EXPECT_EQ(items[0].usageList[0], code);
    }
}

TEST_F(HidOverVirtualBus, UnplugEndsABlockedReadAndTheScanSeesItGone) {
    std::string path = PathOf(6);  // mouse receiver command
    CHidInterface hid(backend_);
    ASSERT_TRUE(OpenReadWrite(hid, path));
    auto read = std::async(std::launch::async, [&] {
        uint8_t buffer[64];
        uint32_t transferred = 0;
        return hid.Read(buffer, sizeof buffer, transferred, -1);
    });
    std::string error;
    ASSERT_TRUE(bus_->Unplug("mouse-receiver", &error)) << error;
    bool ended =
        read.wait_for(std::chrono::milliseconds(test::kPromptlyMs)) == std::future_status::ready;
    if (!ended) hid.Close();  // lets the reader, and so the test, end
    ASSERT_TRUE(ended) << "a blocked read did not end on unplug";
    EXPECT_FALSE(read.get());
    CHidInterface probe(backend_);
    EXPECT_FALSE(probe.Open(path, false, false, true, false));
    EXPECT_TRUE(PathOf(6).empty());
}

}  // namespace
}  // namespace tirk::vbus
