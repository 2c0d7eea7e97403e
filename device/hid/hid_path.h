// Interface paths: one per top-level collection of a node, in the Windows shape
// that the device tables and the discovery logic speak:
//     hid#vid_3a7d&pid_61e4&mi_01&col04#/dev/hidraw3
// See docs/hid-backend.md.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "device/hid/hid_backend.h"

namespace tirk::hid {

/// Identity values carried by an interface path; 0 where a marker is absent.
struct HidPathIdentity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint32_t interfaceNumber = 0;
    uint32_t collectionNumber = 0;  ///< 1-based collection index; 0 = single collection
};

/// Reads the hexadecimal numbers after "vid_", "pid_", "&mi_" and "&col" (each
/// found case-insensitively, first occurrence) in any path, Windows or ours.
HidPathIdentity ParseHidPathIdentity(std::string_view path);

/// The path of top-level collection `collectionNumber` (1-based; 0 leaves the
/// "&col" marker out, for a node with a single collection) of node `info`.
/// "&mi_" is left out when the interface number is unknown.
std::string MakeHidInterfacePath(const HidNodeInfo& info, int collectionNumber);

/// The device node of one of our paths (the text after the second '#');
/// empty when the path has no such part.
std::string DeviceNodeOfPath(std::string_view path);

}  // namespace tirk::hid
