// The files of a virtual bus below its root, in the layout of docs/hid-backend.md:
//   sys/devices/vusb/usb1/1-<port>/bcdDevice
//   sys/devices/vusb/usb1/1-<port>/1-<port>:1.<mi>/bInterfaceNumber
//   sys/devices/vusb/usb1/1-<port>/1-<port>:1.<mi>/0003:<VID>:<PID>.<seq>/{uevent,report_descriptor}
//   sys/class/hidraw/hidrawN/device -> that HID folder (each entry built in
//   sys/class/.tirk-vbus-staging/ and renamed in, so it appears and goes in one step)
//   dev/hidrawN (the node socket), control (the control socket)
#pragma once

#include <cstdint>
#include <string>

#include "device/virtual/virtual_hid_device.h"

namespace tirk::vbus {

class BusTree {
public:
    explicit BusTree(std::string root);

    const std::string& root() const { return m_root; }
    std::string ControlPath() const { return m_root + "/control"; }
    std::string NodePath(int hidrawIndex) const;

    /// Makes the root usable: creates it when missing, clears what a crashed
    /// bus left, creates dev/ and sys/class/hidraw/. False with `error` naming
    /// the root when another bus serves it or it holds a foreign sys/ or dev/.
    bool Prepare(std::string* error);

    /// Removes everything Prepare and the Write calls made (the root itself
    /// only when Prepare created it and it is empty).
    void Remove();

    /// Writes the USB device folder of `port` with its bcdDevice.
    bool WriteUsbDevice(int port, uint16_t bcdDevice, std::string* error);

    /// Writes the interface folder and its HID folder (uevent, report
    /// descriptor). Sets `hidFolder` to the HID folder's path below the root.
    bool WriteHidDevice(int port, const VirtualDeviceSpec& spec,
                        const VirtualInterfaceSpec& interface, unsigned sequence,
                        std::string* hidFolder, std::string* error);

    /// Makes sys/class/hidraw/hidrawN/device point at `hidFolder`: the entry
    /// hidrawN is renamed into the class folder with its link in place.
    bool LinkClassEntry(int hidrawIndex, const std::string& hidFolder, std::string* error);

    /// Takes hidrawN out of the class folder (one rename), then deletes it.
    void RemoveClassEntry(int hidrawIndex);
    void RemoveUsbDevice(int port);

private:
    void RemoveContents();
    bool WriteFile(const std::string& relative, std::string_view content, std::string* error);
    bool MakeFolder(const std::string& relative, std::string* error);
    std::string UsbDevice(int port) const;
    std::string ClassEntry(int hidrawIndex) const;
    std::string StagedEntry(int hidrawIndex) const;

    std::string m_root;
    bool m_createdRoot = false;
};

}  // namespace tirk::vbus
