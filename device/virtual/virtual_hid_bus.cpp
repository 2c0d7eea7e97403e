#include "device/virtual/virtual_hid_bus.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "core/log.h"
#include "device/virtual/control_commands.h"
#include "device/virtual/unix_socket.h"

namespace tirk::vbus {

// The FirmwareIo of one device: answers go through the device's fault plan.
class DeviceIo : public FirmwareIo {
public:
    DeviceIo(VirtualHidBus& bus, VirtualHidDevice& device) : m_bus(bus), m_device(device) {}

    void Reply(uint8_t interfaceNumber, std::vector<uint8_t> report) override {
        FaultPlan fault = TakeFault(&m_device.m_fault);
        VirtualHidDevice* device = &m_device;
        switch (fault.kind) {
            case FaultKind::kNone:
                device->Deliver(interfaceNumber, report);
                break;
            case FaultKind::kNoAnswer:
                log::Printf("vbus: %s: answer dropped (fault)", device->name().c_str());
                break;
            case FaultKind::kGarbage:
            case FaultKind::kWrongEcho:
            case FaultKind::kStatus:
            case FaultKind::kShort:
                device->Deliver(interfaceNumber, SpoilAnswer(fault, report));
                break;
            case FaultKind::kDelay: {
                unsigned plugged = device->m_plugGeneration;
                m_bus.After(fault.delay, [device, plugged, interfaceNumber, report] {
                    if (device->m_plugGeneration == plugged)
                        device->Deliver(interfaceNumber, report);
                });
                break;
            }
            case FaultKind::kUnplug: {
                VirtualHidBus* bus = &m_bus;
                m_bus.After(std::chrono::milliseconds(0),
                            [bus, device] { bus->UnplugOnBusThread(device); });
                break;
            }
        }
    }

    void Send(uint8_t interfaceNumber, std::vector<uint8_t> report) override {
        m_device.Deliver(interfaceNumber, report);
    }

    void After(std::chrono::microseconds delay, std::function<void()> callback) override {
        m_bus.After(delay, std::move(callback));
    }

private:
    VirtualHidBus& m_bus;
    VirtualHidDevice& m_device;
};

VirtualHidBus::VirtualHidBus(std::string root) : m_tree(std::move(root)) {}

VirtualHidBus::~VirtualHidBus() {
    RunOnBusThread([this] { m_stopRequested = true; });
    if (m_thread.joinable()) m_thread.join();
    CloseAll();
    if (m_prepared) m_tree.Remove();
}

std::string VirtualHidBus::ControlSocketPath() const {
    return m_tree.ControlPath();
}

bool VirtualHidBus::Start(std::string* error) {
    if (m_prepared) {
        *error = root() + ": the bus is already started";
        return false;
    }
    if (!m_tree.Prepare(error)) return false;
    m_prepared = true;
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) {
        *error = std::string("cannot create the bus's wake-up event: ") + std::strerror(errno);
        return false;
    }
    m_controlFd = ListenSeqpacket(ControlSocketPath(), error);
    if (m_controlFd < 0) return false;
    m_running = true;
    m_thread = std::thread(&VirtualHidBus::Serve, this);
    log::Printf("vbus: serving %s", root().c_str());
    return true;
}

VirtualHidDevice* VirtualHidBus::AddDevice(VirtualDeviceSpec spec, std::string* error) {
    VirtualHidDevice* added = nullptr;
    RunOnBusThread([&] { added = AddDeviceOnBusThread(std::move(spec), nullptr, error); });
    return added;
}

VirtualHidDevice* VirtualHidBus::AddDeviceOnBusThread(VirtualDeviceSpec spec,
                                                      std::unique_ptr<VirtualFirmware> firmware,
                                                      std::string* error) {
    if (spec.name.empty() || FindOnBusThread(spec.name) != nullptr) {
        *error = "device name \"" + spec.name + "\" is empty or already taken";
        return nullptr;
    }
    if (spec.interfaces.empty()) {
        *error = spec.name + ": a device needs at least one interface";
        return nullptr;
    }
    int port = static_cast<int>(m_devices.size()) + 1;
    m_devices.emplace_back(new VirtualHidDevice(*this, std::move(spec), port));
    VirtualHidDevice* added = m_devices.back().get();
    added->m_io = std::make_unique<DeviceIo>(*this, *added);
    if (firmware != nullptr) added->m_firmware = std::move(firmware);
    return added;
}

VirtualHidDevice* VirtualHidBus::AddDeviceLike(std::string name, std::string_view like,
                                               uint16_t vendorId, uint16_t productId,
                                               std::string* error) {
    VirtualHidDevice* added = nullptr;
    RunOnBusThread([&] {
        VirtualHidDevice* model = FindOnBusThread(like);
        if (model == nullptr) {
            *error = UnknownDeviceText(like);
            return;
        }
        std::unique_ptr<VirtualFirmware> firmware = model->m_firmware->FactoryCopy(name);
        if (firmware == nullptr) {
            *error = model->name() + ": its firmware cannot be copied";
            return;
        }
        VirtualDeviceSpec spec = model->spec();
        spec.name = std::move(name);
        spec.vendorId = vendorId;
        spec.productId = productId;
        added = AddDeviceOnBusThread(std::move(spec), std::move(firmware), error);
    });
    return added;
}

VirtualHidDevice* VirtualHidBus::PlugAs(std::string name, std::string_view like, uint16_t vendorId,
                                        uint16_t productId, std::string* error) {
    VirtualHidDevice* device = AddDeviceLike(std::move(name), like, vendorId, productId, error);
    if (device == nullptr || !Plug(device->name(), error)) return nullptr;
    return device;
}

bool VirtualHidBus::PairLinks(std::string_view cable, std::string_view receiver,
                              std::string* error) {
    bool ok = false;
    RunOnBusThread([&] {
        LinkPair pair{FindOnBusThread(cable), FindOnBusThread(receiver)};
        std::string_view missing = pair.cable == nullptr ? cable : receiver;
        if (pair.cable == nullptr || pair.receiver == nullptr) {
            *error = UnknownDeviceText(missing);
            return;
        }
        if (pair.cable == pair.receiver) {
            *error = pair.cable->name() + ": a device cannot be its own receiver";
            return;
        }
        for (const LinkPair& known : m_pairs)
            for (VirtualHidDevice* device : {pair.cable, pair.receiver})
                if (known.cable == device || known.receiver == device) {
                    *error = device->name() + ": already one link of a device";
                    return;
                }
        m_pairs.push_back(pair);
        ok = true;
    });
    return ok;
}

const VirtualHidBus::LinkPair* VirtualHidBus::FindPairOnBusThread(std::string_view name,
                                                                  std::string* error) {
    VirtualHidDevice* device = FindOnBusThread(name);
    if (device == nullptr) {
        *error = UnknownDeviceText(name);
        return nullptr;
    }
    for (const LinkPair& pair : m_pairs)
        if (pair.cable == device || pair.receiver == device) return &pair;
    *error = device->name() + ": has no cable and receiver to switch between";
    return nullptr;
}

bool VirtualHidBus::UseCable(std::string_view name, std::string* error) {
    bool ok = false;
    RunOnBusThread([&] {
        const LinkPair* pair = FindPairOnBusThread(name, error);
        if (pair != nullptr)
            ok = !pair->cable->m_nodes.empty() || PlugOnBusThread(pair->cable, error);
    });
    return ok;
}

bool VirtualHidBus::UseWireless(std::string_view name, std::string* error) {
    bool ok = false;
    RunOnBusThread([&] {
        const LinkPair* pair = FindPairOnBusThread(name, error);
        ok = pair != nullptr && UseWirelessOnBusThread(*pair, error);
    });
    return ok;
}

bool VirtualHidBus::UseWirelessOnBusThread(const LinkPair& pair, std::string* error) {
    VirtualHidDevice* receiver = pair.receiver;
    if (receiver->m_nodes.empty() && !PlugOnBusThread(receiver, error)) return false;
    std::string answer;
    if (!receiver->m_firmware->Control({"link", "on"}, *receiver->m_io, &answer)) {
        *error = receiver->name() + ": cannot link its device: " + answer;
        return false;
    }
    if (!pair.cable->m_nodes.empty()) UnplugOnBusThread(pair.cable);
    return true;
}

VirtualHidDevice* VirtualHidBus::Find(std::string_view name) {
    VirtualHidDevice* found = nullptr;
    RunOnBusThread([&] { found = FindOnBusThread(name); });
    return found;
}

std::vector<VirtualHidDevice*> VirtualHidBus::Devices() {
    std::vector<VirtualHidDevice*> all;
    RunOnBusThread([&] {
        for (auto& device : m_devices) all.push_back(device.get());
    });
    return all;
}

bool VirtualHidBus::Plug(std::string_view name, std::string* error) {
    bool ok = false;
    RunOnBusThread([&] {
        VirtualHidDevice* device = FindOnBusThread(name);
        if (device == nullptr)
            *error = UnknownDeviceText(name);
        else
            ok = PlugOnBusThread(device, error);
    });
    return ok;
}

bool VirtualHidBus::Unplug(std::string_view name, std::string* error) {
    bool ok = false;
    RunOnBusThread([&] {
        VirtualHidDevice* device = FindOnBusThread(name);
        if (device == nullptr) {
            *error = UnknownDeviceText(name);
        } else if (device->m_nodes.empty()) {
            *error = device->name() + ": not plugged";
        } else {
            UnplugOnBusThread(device);
            ok = true;
        }
    });
    return ok;
}

void VirtualHidBus::RunOnBusThread(const std::function<void()>& task) {
    bool done = false;
    bool runHere = false;  // decided under the lock; `done` belongs to the bus thread once queued
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        runHere = !m_running || std::this_thread::get_id() == m_threadId.load();
        if (!runHere) m_queue.push_back({&task, &done});
    }
    if (runHere) {
        task();
        return;
    }
    Wake();
    std::unique_lock<std::mutex> lock(m_queueMutex);
    m_queueDone.wait(lock, [&] { return done; });
}

void VirtualHidBus::After(std::chrono::microseconds delay, std::function<void()> callback) {
    auto due = std::chrono::steady_clock::now() + delay;
    RunOnBusThread([&] { m_timers.emplace(due, std::move(callback)); });
}

void VirtualHidBus::Serve() {
    m_threadId = std::this_thread::get_id();
    std::vector<pollfd> fds;
    std::vector<PollTarget> targets;
    while (!m_stopRequested) {
        CollectPollSet(&fds, &targets);
        // ppoll, not poll: a timer is met to the microsecond, not rounded up
        // to the next millisecond (the USB timing's intervals are 1 ms).
        timespec left;
        int ready = ppoll(fds.data(), fds.size(), TimeToNextTimer(&left), nullptr);
        if (ready < 0 && errno != EINTR) {
            log::Printf("vbus: poll failed: %s", std::strerror(errno));
            break;
        }
        // A handler that opens or closes a descriptor invalidates the rest of
        // this round; poll reports the remaining events again.
        uint64_t generation = m_generation;
        for (size_t i = 0; ready > 0 && i < fds.size() && generation == m_generation; ++i)
            if (fds[i].revents != 0) HandleEvent(targets[i]);
        RunQueuedTasks();
        RunDueTimers();
    }
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_running = false;
    }
    RunQueuedTasks();
}

void VirtualHidBus::CollectPollSet(std::vector<pollfd>* fds, std::vector<PollTarget>* targets) {
    fds->clear();
    targets->clear();
    auto add = [&](int fd, PollTarget target) {
        fds->push_back({fd, POLLIN, 0});
        targets->push_back(target);
    };
    add(m_wakeFd, {TargetKind::kWake, m_wakeFd});
    add(m_controlFd, {TargetKind::kControlListen, m_controlFd});
    for (int fd : m_controlClients) add(fd, {TargetKind::kControlClient, fd});
    for (auto& device : m_devices) {
        for (const VirtualHidDevice::Node& node : device->m_nodes) {
            add(node.listenFd,
                {TargetKind::kNodeListen, node.listenFd, device.get(), node.interfaceNumber});
            for (int fd : node.clients)
                add(fd, {TargetKind::kNodeClient, fd, device.get(), node.interfaceNumber});
        }
    }
}

const timespec* VirtualHidBus::TimeToNextTimer(timespec* left) const {
    if (m_timers.empty()) return nullptr;
    auto wait = std::chrono::ceil<std::chrono::nanoseconds>(m_timers.begin()->first -
                                                            std::chrono::steady_clock::now());
    const int64_t ns = std::max<int64_t>(0, wait.count());
    left->tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    left->tv_nsec = static_cast<long>(ns % 1'000'000'000);
    return left;
}

void VirtualHidBus::HandleEvent(const PollTarget& target) {
    switch (target.kind) {
        case TargetKind::kWake: {
            uint64_t count;
            [[maybe_unused]] ssize_t n = read(m_wakeFd, &count, sizeof count);
            break;
        }
        case TargetKind::kControlListen:
            AcceptControlClient();
            break;
        case TargetKind::kControlClient:
            ReadControlClient(target.fd);
            break;
        case TargetKind::kNodeListen:
            AcceptNodeClient(target);
            break;
        case TargetKind::kNodeClient:
            ReadNodeClient(target);
            break;
    }
}

void VirtualHidBus::AcceptNodeClient(const PollTarget& target) {
    int fd = AcceptSeqpacket(target.fd);
    VirtualHidDevice::Node* node = target.device->FindNode(target.interfaceNumber);
    if (fd < 0 || node == nullptr) {
        if (fd >= 0) close(fd);
        return;
    }
    node->clients.push_back(fd);
    ++m_generation;
}

void VirtualHidBus::ReadNodeClient(const PollTarget& target) {
    ssize_t n = recv(target.fd, m_buffer.data(), m_buffer.size(), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    VirtualHidDevice::Node* node = target.device->FindNode(target.interfaceNumber);
    if (n <= 0) {
        if (node != nullptr) CloseClient(&node->clients, target.fd);
        return;
    }
    OnOutputReport(target.device, target.interfaceNumber,
                   std::vector<uint8_t>(m_buffer.begin(), m_buffer.begin() + n));
}

void VirtualHidBus::OnOutputReport(VirtualHidDevice* device, uint8_t interfaceNumber,
                                   std::vector<uint8_t> report) {
    device->Record(interfaceNumber, report, ++m_reportSequence);
    device->m_firmware->OnOutputReport(interfaceNumber, report, *device->m_io);
}

void VirtualHidBus::AcceptPendingReaders() {
    for (auto& device : m_devices) {
        for (VirtualHidDevice::Node& node : device->m_nodes) {
            for (int fd = AcceptSeqpacket(node.listenFd); fd >= 0;
                 fd = AcceptSeqpacket(node.listenFd)) {
                node.clients.push_back(fd);
                ++m_generation;
            }
        }
    }
}

void VirtualHidBus::AcceptControlClient() {
    int fd = AcceptSeqpacket(m_controlFd);
    if (fd < 0) return;
    m_controlClients.push_back(fd);
    ++m_generation;
}

void VirtualHidBus::ReadControlClient(int fd) {
    ssize_t n = recv(fd, m_buffer.data(), m_buffer.size(), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        CloseClient(&m_controlClients, fd);
        return;
    }
    // An open hidraw node is a reader at once; a reader whose connect has
    // completed must get the reports this command sends.
    AcceptPendingReaders();
    std::string answer = ExecuteControlCommand(
        *this, std::string_view(reinterpret_cast<const char*>(m_buffer.data()), n));
    if (send(fd, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0)
        log::Printf("vbus: control answer not sent: %s", std::strerror(errno));
}

void VirtualHidBus::CloseClient(std::vector<int>* clients, int fd) {
    clients->erase(std::remove(clients->begin(), clients->end(), fd), clients->end());
    close(fd);
    ++m_generation;
}

void VirtualHidBus::RunQueuedTasks() {
    std::vector<QueuedTask> tasks;
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        tasks.swap(m_queue);
    }
    if (tasks.empty()) return;
    for (QueuedTask& queued : tasks) {
        (*queued.task)();
        std::lock_guard<std::mutex> lock(m_queueMutex);
        *queued.done = true;
    }
    m_queueDone.notify_all();
}

void VirtualHidBus::RunDueTimers() {
    auto now = std::chrono::steady_clock::now();
    while (!m_timers.empty() && m_timers.begin()->first <= now) {
        std::function<void()> callback = std::move(m_timers.begin()->second);
        m_timers.erase(m_timers.begin());
        callback();
    }
}

void VirtualHidBus::Wake() {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(m_wakeFd, &one, sizeof one);
}

VirtualHidDevice* VirtualHidBus::FindOnBusThread(std::string_view name) {
    for (auto& device : m_devices)
        if (device->name() == name) return device.get();
    return nullptr;
}

std::string VirtualHidBus::UnknownDeviceText(std::string_view name) {
    std::string text = "unknown device \"" + std::string(name) + "\"; devices:";
    RunOnBusThread([&] {
        for (auto& device : m_devices) text += " " + device->name();
    });
    return text;
}

bool VirtualHidBus::PlugOnBusThread(VirtualHidDevice* device, std::string* error) {
    if (!device->m_nodes.empty()) {
        *error = device->name() + ": already plugged";
        return false;
    }
    std::vector<std::string> folders(device->spec().interfaces.size());
    bool ok = m_tree.WriteUsbDevice(device->m_port, device->spec().bcdDevice, error);
    for (size_t i = 0; ok && i < folders.size(); ++i)
        ok = OpenNode(device, device->spec().interfaces[i], &folders[i], error);
    for (size_t i = 0; ok && i < folders.size(); ++i)
        ok = m_tree.LinkClassEntry(device->m_nodes[i].hidrawIndex, folders[i], error);
    if (!ok) {
        UnplugOnBusThread(device);
        return false;
    }
    ++m_generation;
    device->m_firmware->OnPlugChanged(true, *device->m_io);
    log::Printf("vbus: %s plugged", device->name().c_str());
    return true;
}

bool VirtualHidBus::OpenNode(VirtualHidDevice* device, const VirtualInterfaceSpec& interface,
                             std::string* hidFolder, std::string* error) {
    int index = LowestFreeHidrawIndex();
    if (!m_tree.WriteHidDevice(device->m_port, device->spec(), interface, ++m_hidSequence,
                               hidFolder, error))
        return false;
    std::string path = m_tree.NodePath(index);
    unlink(path.c_str());
    int fd = ListenSeqpacket(path, error);
    if (fd < 0) return false;
    device->m_nodes.push_back({interface.number, index, fd, {}});
    return true;
}

int VirtualHidBus::LowestFreeHidrawIndex() const {
    std::set<int> used;
    for (auto& device : m_devices)
        for (const VirtualHidDevice::Node& node : device->m_nodes) used.insert(node.hidrawIndex);
    int index = 0;
    while (used.count(index) != 0) ++index;
    return index;
}

void VirtualHidBus::UnplugOnBusThread(VirtualHidDevice* device) {
    // Files first, so nobody can find or open the device while it goes away.
    for (const VirtualHidDevice::Node& node : device->m_nodes) {
        m_tree.RemoveClassEntry(node.hidrawIndex);
        unlink(m_tree.NodePath(node.hidrawIndex).c_str());
    }
    m_tree.RemoveUsbDevice(device->m_port);
    for (const VirtualHidDevice::Node& node : device->m_nodes) {
        for (int fd : node.clients) {
            shutdown(fd, SHUT_RDWR);
            close(fd);
        }
        close(node.listenFd);
    }
    bool wasPlugged = !device->m_nodes.empty();
    device->m_nodes.clear();
    ++device->m_plugGeneration;
    ++m_generation;
    if (!wasPlugged) return;
    device->m_firmware->OnPlugChanged(false, *device->m_io);
    log::Printf("vbus: %s unplugged", device->name().c_str());
}

void VirtualHidBus::CloseAll() {
    for (auto& device : m_devices) UnplugOnBusThread(device.get());
    for (int fd : m_controlClients) close(fd);
    m_controlClients.clear();
    if (m_controlFd >= 0) close(m_controlFd);
    if (m_wakeFd >= 0) close(m_wakeFd);
    m_controlFd = m_wakeFd = -1;
}

}  // namespace tirk::vbus
