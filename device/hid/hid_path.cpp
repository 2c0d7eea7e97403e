#include "device/hid/hid_path.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace tirk::hid {
namespace {

// Hex number right after the first case-insensitive `marker`; 0 when absent.
uint32_t HexAfter(std::string_view path, std::string_view marker) {
    auto it = std::search(
        path.begin(), path.end(), marker.begin(), marker.end(),
        [](char a, char b) { return std::tolower(uint8_t(a)) == std::tolower(uint8_t(b)); });
    if (it == path.end()) return 0;
    uint32_t value = 0;
    for (it += marker.size(); it != path.end() && std::isxdigit(uint8_t(*it)); ++it) {
        const char c = static_cast<char>(std::tolower(uint8_t(*it)));
        value = value * 16 + static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
    }
    return value;
}

}  // namespace

HidPathIdentity ParseHidPathIdentity(std::string_view path) {
    HidPathIdentity id;
    id.vendorId = static_cast<uint16_t>(HexAfter(path, "vid_"));
    id.productId = static_cast<uint16_t>(HexAfter(path, "pid_"));
    id.interfaceNumber = HexAfter(path, "&mi_");
    id.collectionNumber = HexAfter(path, "&col");
    return id;
}

std::string MakeHidInterfacePath(const HidNodeInfo& info, int collectionNumber) {
    char text[64];
    std::snprintf(text, sizeof text, "hid#vid_%04x&pid_%04x", info.vendorId, info.productId);
    std::string path = text;
    if (info.interfaceNumber >= 0) {
        std::snprintf(text, sizeof text, "&mi_%02x", info.interfaceNumber);
        path += text;
    }
    if (collectionNumber > 0) {
        std::snprintf(text, sizeof text, "&col%02x", collectionNumber);
        path += text;
    }
    return path + "#" + info.deviceNode;
}

std::string DeviceNodeOfPath(std::string_view path) {
    const size_t first = path.find('#');
    if (first == std::string_view::npos) return {};
    const size_t second = path.find('#', first + 1);
    if (second == std::string_view::npos) return {};
    return std::string(path.substr(second + 1));
}

}  // namespace tirk::hid
