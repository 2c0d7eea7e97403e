// Enumeration over the virtual bus when one node is broken: the scan must
// still list every other device, and tell about the broken node once, not at
// every 100 ms scan.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/log.h"
#include "device/hid/hid_interface.h"
#include "hid_bus_fixture.h"
#include "support/delegating_hid_backend.h"

namespace tirk::vbus {
namespace {

namespace fs = std::filesystem;

// Breaks one node's files in place, as a damaged or half-written sysfs
// would show them. `classEntry` is sys/class/hidraw/<node>, `hidFolder` the
// HID device folder it links to.
struct Breakage {
    const char* name;
    std::function<void(const fs::path& classEntry, const fs::path& hidFolder)> apply;
};

void PrintTo(const Breakage& b, std::ostream* out) {
    *out << b.name;
}

void Replace(const fs::path& file, const std::function<void(const fs::path&)>& make) {
    fs::remove_all(file);
    make(file);
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

const Breakage kBreakages[] = {
    {"ReportDescriptorIsAFolder",
     [](const fs::path&, const fs::path& hid) {
         Replace(hid / "report_descriptor", [](const fs::path& p) { fs::create_directory(p); });
     }},
    {"UeventIsAFolder",
     [](const fs::path&, const fs::path& hid) {
         Replace(hid / "uevent", [](const fs::path& p) { fs::create_directory(p); });
     }},
    {"ReportDescriptorMissing",
     [](const fs::path&, const fs::path& hid) { fs::remove(hid / "report_descriptor"); }},
    {"UeventMissing", [](const fs::path&, const fs::path& hid) { fs::remove(hid / "uevent"); }},
    {"DeviceLinkDangling",
     [](const fs::path& entry, const fs::path&) {
         Replace(entry / "device",
                 [](const fs::path& p) { fs::create_symlink("/nonexistent/tirk-hid", p); });
     }},
    {"ClassEntryIsAFile",
     [](const fs::path& entry, const fs::path&) {
         Replace(entry, [](const fs::path& p) { WriteBytes(p, "garbage"); });
     }},
    {"GarbageDescriptor",
     [](const fs::path&, const fs::path& hid) {
         WriteBytes(hid / "report_descriptor", std::string("\xA1\x01\x81", 3));
     }},
};

class BrokenNodeScan : public test::HidOnStandardBusTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(test::HidOnStandardBusTest::SetUp());
        logPath_ = root_.path() + "-scan.log";
        setenv("TIRK_LOG", logPath_.c_str(), 1);
        log::ReloadSettingsForTest();
        broken_ = Device("keyboard").NodeNames()[1];  // its four collections
    }
    void TearDown() override {
        unsetenv("TIRK_LOG");
        log::ReloadSettingsForTest();
        std::remove(logPath_.c_str());
    }

    void Break(const Breakage& breakage) {
        const fs::path entry = fs::path(root_.path()) / "sys/class/hidraw" / broken_;
        breakage.apply(entry, fs::canonical(entry / "device"));
    }

    /// Paths of one enumeration by `hid`, which must succeed.
    static std::vector<std::string> Scan(CHidInterface& hid) {
        EXPECT_TRUE(hid.Enumerate());
        std::vector<std::string> paths;
        while (const char* path = hid.NextPath()) paths.push_back(path);
        return paths;
    }

    /// The paths of the whole bus without those of the broken node.
    std::vector<std::string> OthersOf(const std::vector<std::string>& all) const {
        std::vector<std::string> others;
        for (const std::string& path : all) {
            if (!path.ends_with("/dev/" + broken_)) others.push_back(path);
        }
        return others;
    }

    /// Log lines that tell about the broken node.
    int LinesAboutBrokenNode() const {
        std::ifstream in(logPath_);
        int count = 0;
        for (std::string line; std::getline(in, line);) {
            count += line.find("device fault: " + broken_ + ":") != std::string::npos;
        }
        return count;
    }

    std::string logPath_;
    std::string broken_;
};

class EnumerationWithABrokenNode : public BrokenNodeScan,
                                   public ::testing::WithParamInterface<Breakage> {};

TEST_P(EnumerationWithABrokenNode, OthersAreListedAndTheNodeIsToldOnce) {
    CHidInterface hid(backend_);
    const std::vector<std::string> all = Scan(hid);
    ASSERT_EQ(all.size(), 5u * 5u + 1u);
    Break(GetParam());
    for (int scan = 0; scan < 3; ++scan) {
        SCOPED_TRACE("scan " + std::to_string(scan));
        const std::vector<std::string> paths = Scan(hid);
        EXPECT_EQ(paths, OthersOf(all));
        EXPECT_EQ(paths.size(), all.size() - 4);
    }
    EXPECT_EQ(LinesAboutBrokenNode(), 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, EnumerationWithABrokenNode, ::testing::ValuesIn(kBreakages),
                         [](const auto& info) { return std::string(info.param.name); });

// A node that goes away and comes back broken again is told again: the scan
// forgets the nodes that are no longer there.
TEST_F(BrokenNodeScan, ANodeThatCameBackBrokenIsToldAgain) {
    CHidInterface hid(backend_);
    Break(kBreakages[0]);
    Scan(hid);
    Scan(hid);
    ASSERT_EQ(LinesAboutBrokenNode(), 1);
    std::string error;
    ASSERT_TRUE(bus_->Unplug("keyboard", &error)) << error;
    Scan(hid);
    ASSERT_TRUE(bus_->Plug("keyboard", &error)) << error;
    ASSERT_EQ(Device("keyboard").NodeNames()[1], broken_) << "the lowest free node is reused";
    EXPECT_EQ(Scan(hid).size(), 5u * 5u + 1u) << "plugged again whole";
    Break(kBreakages[0]);
    Scan(hid);
    Scan(hid);
    EXPECT_EQ(LinesAboutBrokenNode(), 2);
}

// Unplugs a device once, between listing the nodes and reading them: the
// node vanishes in the middle of an enumeration.
class UnplugAfterListing : public tirk::test::DelegatingHidBackend {
public:
    UnplugAfterListing(std::shared_ptr<hid::HidBackend> inner, std::function<void()> unplug)
        : DelegatingHidBackend(std::move(inner)), m_unplug(std::move(unplug)) {}
    std::vector<std::string> ListNodes() override {
        std::vector<std::string> names = DelegatingHidBackend::ListNodes();
        if (!m_unplugged.exchange(true)) m_unplug();
        return names;
    }

private:
    std::function<void()> m_unplug;
    std::atomic<bool> m_unplugged{false};
};

TEST_F(BrokenNodeScan, ANodeVanishingMeanwhileIsSkippedSilently) {
    const std::vector<std::string> all = EnumeratePaths();
    const std::vector<std::string> keyboardNodes = Device("keyboard").NodeNames();
    CHidInterface hid(std::make_shared<UnplugAfterListing>(backend_, [this] {
        std::string error;
        EXPECT_TRUE(bus_->Unplug("keyboard", &error)) << error;
    }));
    const std::vector<std::string> paths = Scan(hid);
    EXPECT_EQ(paths.size(), all.size() - 5) << "the keyboard's 1 + 4 collections are gone";
    for (const std::string& path : paths) {
        for (const std::string& node : keyboardNodes) EXPECT_FALSE(path.ends_with("/" + node));
    }
    std::ifstream in(logPath_);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("device fault"), std::string::npos) << text;
}

}  // namespace
}  // namespace tirk::vbus
