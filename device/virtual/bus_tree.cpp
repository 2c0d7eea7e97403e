#include "device/virtual/bus_tree.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/atomic_file.h"
#include "device/virtual/unix_socket.h"

namespace fs = std::filesystem;

namespace tirk::vbus {
namespace {

constexpr const char* kMarker = ".tirk-vbus";

std::string Hex4Upper(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFFu);
    return text;
}

std::string UeventText(const VirtualDeviceSpec& spec, int port, uint8_t interfaceNumber) {
    std::string vid = Hex4Upper(spec.vendorId), pid = Hex4Upper(spec.productId);
    return "DRIVER=hid-generic\n"
           "HID_ID=0003:0000" +
           vid + ":0000" + pid +
           "\n"
           "HID_NAME=" +
           spec.productName +
           "\n"
           "HID_PHYS=usb-vusb-1-" +
           std::to_string(port) + "/input" + std::to_string(interfaceNumber) +
           "\n"
           "HID_UNIQ=\n"
           "MODALIAS=hid:b0003g0001v0000" +
           vid + "p0000" + pid + "\n";
}

}  // namespace

BusTree::BusTree(std::string root) : root_(std::move(root)) {
    while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

std::string BusTree::NodePath(int hidrawIndex) const {
    return root_ + "/dev/hidraw" + std::to_string(hidrawIndex);
}

std::string BusTree::UsbDevice(int port) const {
    return "sys/devices/vusb/usb1/1-" + std::to_string(port);
}

bool BusTree::Prepare(std::string* error) {
    std::error_code ec;
    if (!fs::exists(root_, ec)) {
        if (!fs::create_directories(root_, ec)) {
            *error = root_ + ": cannot create the bus folder: " + ec.message();
            return false;
        }
        createdRoot_ = true;
    }
    if (SocketIsServed(ControlPath())) {
        *error = root_ + ": another virtual HID bus serves this folder";
        return false;
    }
    bool ours = fs::exists(root_ + "/" + kMarker, ec);
    if (!ours && (fs::exists(root_ + "/sys", ec) || fs::exists(root_ + "/dev", ec))) {
        *error = root_ +
                 ": holds sys/ or dev/ folders that no virtual HID bus made; "
                 "choose an empty folder";
        return false;
    }
    RemoveContents();  // what a bus that did not end cleanly left behind
    return WriteFile(kMarker, "Vorpaline TIRK virtual HID bus\n", error) &&
           MakeFolder("dev", error) && MakeFolder("sys/class/hidraw", error) &&
           MakeFolder("sys/devices/vusb/usb1", error);
}

void BusTree::Remove() {
    RemoveContents();
    std::error_code ec;
    if (createdRoot_) fs::remove(root_, ec);  // fails harmlessly when not empty
}

void BusTree::RemoveContents() {
    std::error_code ec;
    fs::remove_all(root_ + "/sys", ec);
    fs::remove_all(root_ + "/dev", ec);
    fs::remove(ControlPath(), ec);
    fs::remove(root_ + "/" + kMarker, ec);
}

bool BusTree::WriteUsbDevice(int port, uint16_t bcdDevice, std::string* error) {
    return MakeFolder(UsbDevice(port), error) &&
           WriteFile(UsbDevice(port) + "/bcdDevice", Hex4Upper(bcdDevice) + "\n", error);
}

bool BusTree::WriteHidDevice(int port, const VirtualDeviceSpec& spec,
                             const VirtualInterfaceSpec& interface, unsigned sequence,
                             std::string* hidFolder, std::string* error) {
    char number[8];
    std::snprintf(number, sizeof number, "%02X\n", interface.number);
    std::string usb = UsbDevice(port);
    std::string interfaceFolder =
        usb + "/1-" + std::to_string(port) + ":1." + std::to_string(interface.number);
    *hidFolder = interfaceFolder + "/0003:" + Hex4Upper(spec.vendorId) + ":" +
                 Hex4Upper(spec.productId) + "." + Hex4Upper(sequence);
    const auto& descriptor = interface.reportDescriptor;
    return WriteFile(interfaceFolder + "/bInterfaceNumber", number, error) &&
           WriteFile(*hidFolder + "/uevent", UeventText(spec, port, interface.number), error) &&
           WriteFile(*hidFolder + "/report_descriptor",
                     std::string_view(reinterpret_cast<const char*>(descriptor.data()),
                                      descriptor.size()),
                     error);
}

bool BusTree::LinkClassEntry(int hidrawIndex, const std::string& hidFolder, std::string* error) {
    std::string entry = "sys/class/hidraw/hidraw" + std::to_string(hidrawIndex);
    if (!MakeFolder(entry, error)) return false;
    // Relative, as in sysfs, so the tree stays valid if the root is reached another way.
    std::error_code ec;
    fs::create_directory_symlink("../../../../" + hidFolder, root_ + "/" + entry + "/device", ec);
    if (ec) *error = root_ + "/" + entry + "/device: cannot create the link: " + ec.message();
    return !ec;
}

void BusTree::RemoveClassEntry(int hidrawIndex) {
    std::error_code ec;
    fs::remove_all(root_ + "/sys/class/hidraw/hidraw" + std::to_string(hidrawIndex), ec);
}

void BusTree::RemoveUsbDevice(int port) {
    std::error_code ec;
    fs::remove_all(root_ + "/" + UsbDevice(port), ec);
}

bool BusTree::WriteFile(const std::string& relative, std::string_view content, std::string* error) {
    FileResult result =
        WriteFileAtomic(root_ + "/" + relative, content, Durability::kProcessLifetime);
    if (!result) *error = result.error;
    return result.ok;
}

bool BusTree::MakeFolder(const std::string& relative, std::string* error) {
    std::error_code ec;
    fs::create_directories(root_ + "/" + relative, ec);
    if (ec) *error = root_ + "/" + relative + ": cannot create the folder: " + ec.message();
    return !ec;
}

}  // namespace tirk::vbus
