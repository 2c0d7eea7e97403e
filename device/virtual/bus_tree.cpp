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
// Class entries are built here and renamed into sys/class/hidraw, and renamed
// back here to leave it: the same depth, so their relative links stay valid.
constexpr const char* kStaging = "sys/class/.tirk-vbus-staging";
constexpr const char* kClassFolder = "sys/class/hidraw";

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

BusTree::BusTree(std::string root) : m_root(std::move(root)) {
    while (m_root.size() > 1 && m_root.back() == '/') m_root.pop_back();
}

std::string BusTree::NodePath(int hidrawIndex) const {
    return m_root + "/dev/hidraw" + std::to_string(hidrawIndex);
}

std::string BusTree::UsbDevice(int port) const {
    return "sys/devices/vusb/usb1/1-" + std::to_string(port);
}

bool BusTree::Prepare(std::string* error) {
    std::error_code ec;
    if (!fs::exists(m_root, ec)) {
        if (!fs::create_directories(m_root, ec)) {
            *error = m_root + ": cannot create the bus folder: " + ec.message();
            return false;
        }
        m_createdRoot = true;
    }
    if (SocketIsServed(ControlPath())) {
        *error = m_root + ": another virtual HID bus serves this folder";
        return false;
    }
    bool ours = fs::exists(m_root + "/" + kMarker, ec);
    if (!ours && (fs::exists(m_root + "/sys", ec) || fs::exists(m_root + "/dev", ec))) {
        *error = m_root +
                 ": holds sys/ or dev/ folders that no virtual HID bus made; "
                 "choose an empty folder";
        return false;
    }
    RemoveContents();  // what a bus that did not end cleanly left behind
    return WriteFile(kMarker, "Vorpaline TIRK virtual HID bus\n", error) &&
           MakeFolder("dev", error) && MakeFolder(kClassFolder, error) &&
           MakeFolder(kStaging, error) && MakeFolder("sys/devices/vusb/usb1", error);
}

void BusTree::Remove() {
    RemoveContents();
    std::error_code ec;
    if (m_createdRoot) fs::remove(m_root, ec);  // fails harmlessly when not empty
}

void BusTree::RemoveContents() {
    std::error_code ec;
    fs::remove_all(m_root + "/sys", ec);
    fs::remove_all(m_root + "/dev", ec);
    fs::remove(ControlPath(), ec);
    fs::remove(m_root + "/" + kMarker, ec);
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

std::string BusTree::ClassEntry(int hidrawIndex) const {
    return m_root + "/" + kClassFolder + "/hidraw" + std::to_string(hidrawIndex);
}

std::string BusTree::StagedEntry(int hidrawIndex) const {
    return m_root + "/" + kStaging + "/hidraw" + std::to_string(hidrawIndex);
}

bool BusTree::LinkClassEntry(int hidrawIndex, const std::string& hidFolder, std::string* error) {
    // Built aside and renamed in, so whoever watches the class folder sees the
    // entry appear in one step, its device link already there.
    std::string staged = StagedEntry(hidrawIndex);
    std::error_code ec;
    fs::remove_all(staged, ec);
    fs::create_directories(staged, ec);
    // Relative, as in sysfs, so the tree stays valid if the root is reached another way.
    if (!ec) fs::create_directory_symlink("../../../../" + hidFolder, staged + "/device", ec);
    if (ec) {
        *error = staged + "/device: cannot create the link: " + ec.message();
        return false;
    }
    fs::rename(staged, ClassEntry(hidrawIndex), ec);
    if (ec) *error = ClassEntry(hidrawIndex) + ": cannot create the entry: " + ec.message();
    return !ec;
}

void BusTree::RemoveClassEntry(int hidrawIndex) {
    // Renamed out first: the entry leaves the class folder in one step.
    std::string staged = StagedEntry(hidrawIndex);
    std::error_code ec;
    fs::remove_all(staged, ec);
    fs::rename(ClassEntry(hidrawIndex), staged, ec);
    fs::remove_all(ec ? ClassEntry(hidrawIndex) : staged, ec);
}

void BusTree::RemoveUsbDevice(int port) {
    std::error_code ec;
    fs::remove_all(m_root + "/" + UsbDevice(port), ec);
}

bool BusTree::WriteFile(const std::string& relative, std::string_view content, std::string* error) {
    FileResult result =
        WriteFileAtomic(m_root + "/" + relative, content, Durability::kProcessLifetime);
    if (!result) *error = result.error;
    return result.ok;
}

bool BusTree::MakeFolder(const std::string& relative, std::string* error) {
    std::error_code ec;
    fs::create_directories(m_root + "/" + relative, ec);
    if (ec) *error = m_root + "/" + relative + ": cannot create the folder: " + ec.message();
    return !ec;
}

}  // namespace tirk::vbus
