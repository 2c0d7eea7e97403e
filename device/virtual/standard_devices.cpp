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

struct StandardDevice {
    const char* name;
    uint16_t typeCode;
    const char* productName;
    Shape shape;
    uint16_t familyType;  ///< the family whose model gives the LED count
    const char* cable;    ///< a receiver: the cable device of the same physical device
    FirmwareConfig (*makeConfig)(const FirmwarePlacement&);
};

const StandardDevice kStandardDevices[] = {
    {"keyboard", kTypeKeyboard, "Vorpaline TIRK Keyboard", Shape::kKeyboard, kTypeKeyboard, nullptr,
     KeyboardFirmwareConfig},
    {"keyboard-receiver", kTypeKeyboardReceiver, "Vorpaline TIRK Keyboard Receiver",
     Shape::kKeyboard, kTypeKeyboard, "keyboard", KeyboardFirmwareConfig},
    {"mouse", kTypeMouse, "Vorpaline TIRK Mouse", Shape::kMouse, kTypeMouse, nullptr,
     MouseFirmwareConfig},
    {"mouse-receiver", kTypeMouseReceiver, "Vorpaline TIRK Mouse Receiver", Shape::kMouse,
     kTypeMouse, "mouse", MouseFirmwareConfig},
    {"mousepad", kTypeMousePad, "Vorpaline TIRK Mouse Pad", Shape::kKeyboard, kTypeMousePad,
     nullptr, MousePadFirmwareConfig},
    {"headset", kTypeHeadset, "Vorpaline TIRK Headset", Shape::kHeadset, kTypeHeadset, nullptr,
     HeadsetFirmwareConfig},
};

// The firmware of `kind` placed as `placement`; `memory` (may be null: a
// memory of its own) is the physical device's when another link has it.
std::unique_ptr<VirtualFirmware> BuildFirmware(const StandardDevice& kind,
                                               const FirmwarePlacement& placement,
                                               std::shared_ptr<DeviceMemory> memory) {
    if (kind.shape == Shape::kHeadset)
        return std::make_unique<HeadsetFirmware>(kind.makeConfig(placement));
    if (kind.familyType == kTypeKeyboard)
        return std::make_unique<KeyboardFirmware>(kind.makeConfig(placement), std::move(memory));
    return std::make_unique<CommandFirmware>(kind.makeConfig(placement), std::move(memory));
}

// Where the firmware of `spec` (a device of kind `kind`) sits: its command
// interface, receiver or not, and the LED count of its family's model.
bool PlaceFirmware(const DeviceTables& tables, const StandardDevice& kind,
                   const VirtualDeviceSpec& spec, FirmwarePlacement* placement,
                   std::string* error) {
    *placement =
        FirmwarePlacement{spec.name, spec.interfaces.back().number, kind.cable != nullptr, 0};
    for (size_t i = 0; i < tables.families.size() && i < tables.models.size(); ++i)
        if (tables.families[i].typeCode == kind.familyType)
            placement->ledCount = tables.models[i].ledCount;
    if (placement->ledCount <= 0 || placement->ledCount > 255) {
        *error = spec.name + ": the device tables give no LED count between 1 and 255 for type " +
                 std::to_string(kind.familyType);
        return false;
    }
    return true;
}

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
    return MakeStandardFirmware(tables, spec, nullptr, error);
}

std::unique_ptr<VirtualFirmware> MakeStandardFirmware(const DeviceTables& tables,
                                                      const VirtualDeviceSpec& spec,
                                                      std::shared_ptr<DeviceMemory> memory,
                                                      std::string* error) {
    const StandardDevice* kind = FindStandardDevice(spec.name);
    if (kind == nullptr) {
        *error = "\"" + spec.name + "\" is not a standard device";
        return nullptr;
    }
    FirmwarePlacement placement;
    if (!PlaceFirmware(tables, *kind, spec, &placement, error)) return nullptr;
    return BuildFirmware(*kind, placement, std::move(memory));
}

const std::vector<std::pair<std::string, std::string>>& StandardLinkPairs() {
    static const std::vector<std::pair<std::string, std::string>> kPairs = [] {
        std::vector<std::pair<std::string, std::string>> pairs;
        for (const StandardDevice& kind : kStandardDevices)
            if (kind.cable != nullptr) pairs.emplace_back(kind.cable, kind.name);
        return pairs;
    }();
    return kPairs;
}

bool MakeStandardFirmwares(const DeviceTables& tables, const std::vector<VirtualDeviceSpec>& specs,
                           std::vector<std::unique_ptr<VirtualFirmware>>* firmwares,
                           std::string* error) {
    std::vector<std::unique_ptr<VirtualFirmware>> made(specs.size());
    // Cables first, so each receiver finds the memory of its device.
    for (bool receivers : {false, true})
        for (size_t i = 0; i < specs.size(); ++i) {
            const StandardDevice* kind = FindStandardDevice(specs[i].name);
            if (kind != nullptr && (kind->cable != nullptr) != receivers) continue;
            std::shared_ptr<DeviceMemory> memory;
            for (size_t j = 0; receivers && j < specs.size(); ++j)
                if (specs[j].name == kind->cable)
                    if (auto* cable = dynamic_cast<CommandFirmware*>(made[j].get()))
                        memory = cable->SharedMemory();
            made[i] = MakeStandardFirmware(tables, specs[i], memory, error);
            if (made[i] == nullptr) return false;
        }
    *firmwares = std::move(made);
    return true;
}

}  // namespace tirk::vbus
