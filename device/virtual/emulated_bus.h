// The bus behind `tirk --emulate` and `tirk-vdev serve`: the standard virtual
// devices on a running VirtualHidBus.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "device/device_table.h"
#include "device/virtual/virtual_hid_bus.h"

namespace tirk::vbus {

/// "$XDG_RUNTIME_DIR/tirk-vbus" when XDG_RUNTIME_DIR names a folder, else
/// "/tmp/tirk-vbus-<uid>".
std::string DefaultEmulatedBusRoot();

/// Starts a bus at `root` ("" = DefaultEmulatedBusRoot()) with every standard
/// device added and the devices named in `plug` plugged. The root must be
/// private to this user (tirk::CheckPrivateFolder): an existing one that is
/// not is refused untouched; a missing one is made and then set to 0700.
/// Returns the running bus (owned by the caller; destroying it unplugs
/// everything and removes the files it made), or null with `error` saying what
/// failed, naming the folder.
std::unique_ptr<VirtualHidBus> StartStandardBus(const DeviceTables& tables, std::string root,
                                                const std::vector<std::string>& plug,
                                                std::string* error);

/// The bus of `tirk --emulate`: StartStandardBus with EmulatedDeviceNames()
/// plugged (keyboard, mouse, mouse receiver, mouse pad, headset). The caller
/// points the HID backend at it with TIRK_HID_ROOT=bus->root().
std::unique_ptr<VirtualHidBus> StartEmulatedBus(const DeviceTables& tables, std::string root,
                                                std::string* error);

/// As above, reading the tables from DefaultDeviceTablesPath().
std::unique_ptr<VirtualHidBus> StartEmulatedBus(std::string root, std::string* error);

}  // namespace tirk::vbus
