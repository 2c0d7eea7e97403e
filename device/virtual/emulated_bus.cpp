#include "device/virtual/emulated_bus.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "core/private_folder.h"
#include "device/virtual/standard_devices.h"

namespace tirk::vbus {
namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

// The bus made the root with the process's umask; the devices' sockets and
// files in it are ours alone, so the root is made private (0700). Only a
// folder of ours that is a real folder is touched.
void MakeNewRootPrivate(const std::string& root) {
    const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    struct stat info;
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid()) ::fchmod(fd, 0700);
    ::close(fd);
}

}  // namespace

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
    if (root.empty()) root = DefaultEmulatedBusRoot();
    // Whoever can change the root can replace the devices' sockets and files:
    // a folder that is not ours alone is refused. A root that is missing now
    // and appears before the bus makes it is caught by the check after Start.
    const bool existed = Exists(root);
    if (existed) {
        if (FileResult usable = CheckPrivateFolder(root); !usable) {
            *error = usable.error;
            return nullptr;
        }
    }
    auto bus = std::make_unique<VirtualHidBus>(root);
    if (!bus->Start(error)) return nullptr;
    if (!existed) {
        MakeNewRootPrivate(root);
        if (FileResult usable = CheckPrivateFolder(root); !usable) {
            *error = usable.error;
            return nullptr;
        }
    }
    // A receiver's firmware shares its cable device's memory: one physical device.
    std::vector<std::unique_ptr<VirtualFirmware>> firmwares;
    if (!MakeStandardFirmwares(tables, specs, &firmwares, error)) return nullptr;
    for (size_t i = 0; i < specs.size(); ++i) {
        VirtualHidDevice* device = bus->AddDevice(std::move(specs[i]), error);
        if (device == nullptr) return nullptr;
        device->SetFirmware(std::move(firmwares[i]));
    }
    for (const auto& [cable, receiver] : StandardLinkPairs())
        if (!bus->PairLinks(cable, receiver, error)) return nullptr;
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
