#include "device/virtual/emulated_bus.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "device/virtual/standard_devices.h"

namespace tirk::vbus {

std::string DefaultEmulatedBusRoot() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info;
    if (runtime != nullptr && *runtime != '\0' && stat(runtime, &info) == 0 &&
        S_ISDIR(info.st_mode))
        return std::string(runtime) + "/tirk-vbus";
    return "/tmp/tirk-vbus-" + std::to_string(getuid());
}

std::unique_ptr<VirtualHidBus> StartStandardBus(const DeviceTables& tables, std::string root,
                                                const std::vector<std::string>& plug,
                                                std::string* error) {
    std::vector<VirtualDeviceSpec> specs;
    if (!MakeStandardDeviceSpecs(tables, &specs, error)) return nullptr;
    auto bus = std::make_unique<VirtualHidBus>(root.empty() ? DefaultEmulatedBusRoot() : root);
    if (!bus->Start(error)) return nullptr;
    for (VirtualDeviceSpec& spec : specs) {
        std::unique_ptr<VirtualFirmware> firmware = MakeStandardFirmware(tables, spec, error);
        if (firmware == nullptr) return nullptr;
        VirtualHidDevice* device = bus->AddDevice(std::move(spec), error);
        if (device == nullptr) return nullptr;
        device->SetFirmware(std::move(firmware));
    }
    for (const std::string& name : plug)
        if (!bus->Plug(name, error)) return nullptr;
    return bus;
}

std::unique_ptr<VirtualHidBus> StartEmulatedBus(const DeviceTables& tables, std::string root,
                                                std::string* error) {
    return StartStandardBus(tables, std::move(root), EmulatedDeviceNames(), error);
}

std::unique_ptr<VirtualHidBus> StartEmulatedBus(std::string root, std::string* error) {
    DeviceTables tables;
    if (!LoadDeviceTables(DefaultDeviceTablesPath(), &tables, error)) return nullptr;
    return StartEmulatedBus(tables, std::move(root), error);
}

}  // namespace tirk::vbus
