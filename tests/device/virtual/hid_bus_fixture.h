// The standard virtual devices seen through the real hidraw backend: the
// paths the scan lists, and the path of a candidate's collection.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "device/hid/hid_backend.h"
#include "device/hid/hid_interface.h"
#include "device/hid/hid_path.h"
#include "standard_bus_fixture.h"

namespace tirk::vbus::test {

class HidOnStandardBusTest : public StandardBusTest {
protected:
    /// Every path the scan lists, in its order.
    std::vector<std::string> EnumeratePaths() {
        CHidInterface hid(backend_);
        EXPECT_TRUE(hid.Enumerate());
        std::vector<std::string> paths;
        while (const char* path = hid.NextPath()) paths.push_back(path);
        return paths;
    }

    /// The path of `candidate`'s collection as the scan finds it (vendor,
    /// product, interface and collection number); empty when absent.
    std::string CandidatePath(const DeviceCandidate& candidate) {
        for (const std::string& path : EnumeratePaths()) {
            hid::HidPathIdentity id = hid::ParseHidPathIdentity(path);
            if (id.vendorId == candidate.vendorId && id.productId == candidate.productId &&
                id.interfaceNumber == candidate.interfaceNumber &&
                id.collectionNumber == candidate.collectionNumber)
                return path;
        }
        return {};
    }

    /// The hidraw backend over the bus root; it reads the root only when used,
    /// so it is ready before the bus starts.
    std::shared_ptr<hid::HidBackend> backend_ = hid::CreateLinuxHidBackend(root_.path());
};

}  // namespace tirk::vbus::test
