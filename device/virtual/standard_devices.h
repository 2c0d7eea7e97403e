// The virtual counterparts of the products in the device tables: a keyboard and
// its receiver, a mouse and its receiver, a mouse pad and a headset. Their
// vendor/product ids and interface numbers come from the tables' command
// candidates; their report descriptors from report_descriptors.h.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/device_table.h"
#include "device/virtual/command_firmware.h"
#include "device/virtual/virtual_hid_device.h"

namespace tirk::vbus {

/// Names of the standard devices, in bus order: "keyboard", "keyboard-receiver",
/// "mouse", "mouse-receiver", "mousepad", "headset".
const std::vector<std::string>& StandardDeviceNames();

/// The devices `tirk --emulate` plugs: keyboard, mouse (cable and receiver),
/// mouse pad and headset.
const std::vector<std::string>& EmulatedDeviceNames();

/// Builds the specs of every standard device from `tables`. False with `error`
/// (naming the device type) when the tables lack a command candidate for one
/// of them or give it an interface number the device cannot use.
bool MakeStandardDeviceSpecs(const DeviceTables& tables, std::vector<VirtualDeviceSpec>* specs,
                             std::string* error);

/// The family firmware of the standard device `spec` (made by
/// MakeStandardDeviceSpecs): the keyboard, mouse, mouse-pad or headset firmware,
/// for a receiver configured as wireless (linked at first). The LED count comes
/// from the family's model in `tables`. Returns the firmware (owned by the
/// caller, normally handed to VirtualHidDevice::SetFirmware), or null with
/// `error` for a device that is not standard or a model without LEDs.
std::unique_ptr<VirtualFirmware> MakeStandardFirmware(const DeviceTables& tables,
                                                      const VirtualDeviceSpec& spec,
                                                      std::string* error);

/// As above, the firmware serving the physical device whose memory is
/// `memory` (the SharedMemory() of its other link), or a memory of its own
/// when `memory` is null.
std::unique_ptr<VirtualFirmware> MakeStandardFirmware(const DeviceTables& tables,
                                                      const VirtualDeviceSpec& spec,
                                                      std::shared_ptr<DeviceMemory> memory,
                                                      std::string* error);

/// The family firmwares of the standard devices `specs`, in their order: a
/// receiver whose cable device is among `specs` shares that device's memory,
/// because a mouse is one mouse on its cable and on its receiver. False with
/// `error` as MakeStandardFirmware.
bool MakeStandardFirmwares(const DeviceTables& tables, const std::vector<VirtualDeviceSpec>& specs,
                           std::vector<std::unique_ptr<VirtualFirmware>>* firmwares,
                           std::string* error);

/// The (cable, receiver) names of the physical devices with two links:
/// ("keyboard", "keyboard-receiver") and ("mouse", "mouse-receiver").
const std::vector<std::pair<std::string, std::string>>& StandardLinkPairs();

}  // namespace tirk::vbus
