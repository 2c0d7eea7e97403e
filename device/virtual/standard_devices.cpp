#include "device/virtual/standard_devices.h"

#include "device/virtual/command_firmware.h"
#include "device/virtual/headset_firmware.h"
#include "device/virtual/keyboard_firmware.h"
#include "device/virtual/mouse_firmware.h"
#include "device/virtual/mousepad_firmware.h"
#include "device/virtual/report_descriptors.h"

namespace tirk::vbus {
namespace {

enum class Shape { kKeyboard, kMouse, kHeadset };

std::unique_ptr<VirtualFirmware> KeyboardFirmware(const FirmwarePlacement& placement) {
    return std::make_unique<CommandFirmware>(KeyboardFirmwareConfig(placement));
}
std::unique_ptr<VirtualFirmware> MouseFirmware(const FirmwarePlacement& placement) {
    return std::make_unique<CommandFirmware>(MouseFirmwareConfig(placement));
}
std::unique_ptr<VirtualFirmware> MousePadFirmware(const FirmwarePlacement& placement) {
    return std::make_unique<CommandFirmware>(MousePadFirmwareConfig(placement));
}
std::unique_ptr<VirtualFirmware> MakeHeadsetFirmware(const FirmwarePlacement& placement) {
    return std::make_unique<HeadsetFirmware>(HeadsetFirmwareConfig(placement));
}

struct StandardDevice {
    const char* name;
    uint16_t typeCode;
    const char* productName;
    Shape shape;
    uint16_t familyType;  ///< the family whose model gives the LED count
    bool wireless;        ///< a receiver
    std::unique_ptr<VirtualFirmware> (*makeFirmware)(const FirmwarePlacement&);
};

const StandardDevice kStandardDevices[] = {
    {"keyboard", kTypeKeyboard, "Vorpaline TIRK Keyboard", Shape::kKeyboard, kTypeKeyboard, false,
     KeyboardFirmware},
    {"keyboard-receiver", kTypeKeyboardReceiver, "Vorpaline TIRK Keyboard Receiver",
     Shape::kKeyboard, kTypeKeyboard, true, KeyboardFirmware},
    {"mouse", kTypeMouse, "Vorpaline TIRK Mouse", Shape::kMouse, kTypeMouse, false, MouseFirmware},
    {"mouse-receiver", kTypeMouseReceiver, "Vorpaline TIRK Mouse Receiver", Shape::kMouse,
     kTypeMouse, true, MouseFirmware},
    {"mousepad", kTypeMousePad, "Vorpaline TIRK Mouse Pad", Shape::kKeyboard, kTypeMousePad, false,
     MousePadFirmware},
    {"headset", kTypeHeadset, "Vorpaline TIRK Headset", Shape::kHeadset, kTypeHeadset, false,
     MakeHeadsetFirmware},
};

const StandardDevice* FindStandardDevice(std::string_view name) {
    for (const StandardDevice& kind : kStandardDevices)
        if (name == kind.name) return &kind;
    return nullptr;
}

// Interface 0 is the boot interface the operating system uses; the command
// interface carries the four collections the program talks to.
bool AddInterfaces(const StandardDevice& kind, uint8_t commandInterface, VirtualDeviceSpec* spec,
                   std::string* error) {
    if (kind.shape == Shape::kHeadset) {
        spec->interfaces.push_back({commandInterface, HeadsetDescriptor()});
        return true;
    }
    if (commandInterface == 0) {
        *error = std::string(kind.name) + ": the command interface cannot be interface 0, " +
                 "which is the boot interface";
        return false;
    }
    const auto& boot =
        kind.shape == Shape::kMouse ? BootMouseDescriptor() : BootKeyboardDescriptor();
    spec->interfaces.push_back({0, boot});
    spec->interfaces.push_back({commandInterface, FourCollectionDescriptor()});
    return true;
}

}  // namespace

const std::vector<std::string>& StandardDeviceNames() {
    static const std::vector<std::string> kNames = [] {
        std::vector<std::string> names;
        for (const StandardDevice& kind : kStandardDevices) names.push_back(kind.name);
        return names;
    }();
    return kNames;
}

const std::vector<std::string>& EmulatedDeviceNames() {
    static const std::vector<std::string> kNames = {"keyboard", "mouse", "mouse-receiver",
                                                    "mousepad", "headset"};
    return kNames;
}

bool MakeStandardDeviceSpecs(const DeviceTables& tables, std::vector<VirtualDeviceSpec>* specs,
                             std::string* error) {
    std::vector<VirtualDeviceSpec> made;
    for (const StandardDevice& kind : kStandardDevices) {
        int index = FindCandidate(tables, kind.typeCode, kRoleCommand);
        if (index < 0) {
            *error = std::string(kind.name) + ": the device tables have no command interface " +
                     "for type " + std::to_string(kind.typeCode);
            return false;
        }
        const DeviceCandidate& candidate = tables.candidates[index];
        VirtualDeviceSpec spec;
        spec.name = kind.name;
        spec.productName = kind.productName;
        spec.vendorId = candidate.vendorId;
        spec.productId = candidate.productId;
        if (candidate.interfaceNumber > 0xFF) {
            *error = spec.name + ": interface number " + std::to_string(candidate.interfaceNumber) +
                     " is not a USB interface";
            return false;
        }
        if (!AddInterfaces(kind, static_cast<uint8_t>(candidate.interfaceNumber), &spec, error))
            return false;
        made.push_back(std::move(spec));
    }
    *specs = std::move(made);
    return true;
}

std::unique_ptr<VirtualFirmware> MakeStandardFirmware(const DeviceTables& tables,
                                                      const VirtualDeviceSpec& spec,
                                                      std::string* error) {
    const StandardDevice* kind = FindStandardDevice(spec.name);
    if (kind == nullptr) {
        *error = "\"" + spec.name + "\" is not a standard device";
        return nullptr;
    }
    FirmwarePlacement placement{spec.name, 0, kind->wireless, 0};
    placement.commandInterface = spec.interfaces.back().number;
    for (size_t i = 0; i < tables.families.size() && i < tables.models.size(); ++i)
        if (tables.families[i].typeCode == kind->familyType)
            placement.ledCount = tables.models[i].ledCount;
    if (placement.ledCount <= 0 || placement.ledCount > 255) {
        *error = spec.name + ": the device tables give no LED count between 1 and 255 for type " +
                 std::to_string(kind->familyType);
        return nullptr;
    }
    return kind->makeFirmware(placement);
}

}  // namespace tirk::vbus
