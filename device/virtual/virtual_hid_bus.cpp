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
    DeviceIo(VirtualHidBus& bus, VirtualHidDevice& device) : bus_(bus), device_(device) {}

    void Reply(uint8_t interfaceNumber, std::vector<uint8_t> report) override {
        FaultPlan fault = TakeFault(&device_.fault_);
        VirtualHidDevice* device = &device_;
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
                unsigned plugged = device->plugGeneration_;
                bus_.After(fault.delay, [device, plugged, interfaceNumber, report] {
                    if (device->plugGeneration_ == plugged)
                        device->Deliver(interfaceNumber, report);
                });
                break;
            }
            case FaultKind::kUnplug: {
                VirtualHidBus* bus = &bus_;
                bus_.After(std::chrono::milliseconds(0),
                           [bus, device] { bus->UnplugOnBusThread(device); });
                break;
            }
        }
    }

    void Send(uint8_t interfaceNumber, std::vector<uint8_t> report) override {
        device_.Deliver(interfaceNumber, report);
    }

    void After(std::chrono::milliseconds delay, std::function<void()> callback) override {
        bus_.After(delay, std::move(callback));
    }

private:
    VirtualHidBus& bus_;
    VirtualHidDevice& device_;
};

VirtualHidBus::VirtualHidBus(std::string root) : tree_(std::move(root)) {}

VirtualHidBus::~VirtualHidBus() {
    RunOnBusThread([this] { stopRequested_ = true; });
    if (thread_.joinable()) thread_.join();
    CloseAll();
    if (prepared_) tree_.Remove();
}

std::string VirtualHidBus::ControlSocketPath() const {
    return tree_.ControlPath();
}

bool VirtualHidBus::Start(std::string* error) {
    if (prepared_) {
        *error = root() + ": the bus is already started";
        return false;
    }
    if (!tree_.Prepare(error)) return false;
    prepared_ = true;
    wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd_ < 0) {
        *error = std::string("cannot create the bus's wake-up event: ") + std::strerror(errno);
        return false;
    }
    controlFd_ = ListenSeqpacket(ControlSocketPath(), error);
    if (controlFd_ < 0) return false;
    running_ = true;
    thread_ = std::thread(&VirtualHidBus::Serve, this);
    log::Printf("vbus: serving %s", root().c_str());
    return true;
}

VirtualHidDevice* VirtualHidBus::AddDevice(VirtualDeviceSpec spec, std::string* error) {
    VirtualHidDevice* added = nullptr;
    RunOnBusThread([&] {
        if (spec.name.empty() || FindOnBusThread(spec.name) != nullptr) {
            *error = "device name \"" + spec.name + "\" is empty or already taken";
            return;
        }
        if (spec.interfaces.empty()) {
            *error = spec.name + ": a device needs at least one interface";
            return;
        }
        int port = static_cast<int>(devices_.size()) + 1;
        devices_.emplace_back(new VirtualHidDevice(*this, std::move(spec), port));
        added = devices_.back().get();
        added->io_ = std::make_unique<DeviceIo>(*this, *added);
    });
    return added;
}

VirtualHidDevice* VirtualHidBus::Find(std::string_view name) {
    VirtualHidDevice* found = nullptr;
    RunOnBusThread([&] { found = FindOnBusThread(name); });
    return found;
}

std::vector<VirtualHidDevice*> VirtualHidBus::Devices() {
    std::vector<VirtualHidDevice*> all;
    RunOnBusThread([&] {
        for (auto& device : devices_) all.push_back(device.get());
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
        } else if (device->nodes_.empty()) {
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
        std::lock_guard<std::mutex> lock(queueMutex_);
        runHere = !running_ || std::this_thread::get_id() == threadId_.load();
        if (!runHere) queue_.push_back({&task, &done});
    }
    if (runHere) {
        task();
        return;
    }
    Wake();
    std::unique_lock<std::mutex> lock(queueMutex_);
    queueDone_.wait(lock, [&] { return done; });
}

void VirtualHidBus::After(std::chrono::milliseconds delay, std::function<void()> callback) {
    auto due = std::chrono::steady_clock::now() + delay;
    RunOnBusThread([&] { timers_.emplace(due, std::move(callback)); });
}

void VirtualHidBus::Serve() {
    threadId_ = std::this_thread::get_id();
    std::vector<pollfd> fds;
    std::vector<PollTarget> targets;
    while (!stopRequested_) {
        CollectPollSet(&fds, &targets);
        int ready = poll(fds.data(), fds.size(), MillisecondsToNextTimer());
        if (ready < 0 && errno != EINTR) {
            log::Printf("vbus: poll failed: %s", std::strerror(errno));
            break;
        }
        // A handler that opens or closes a descriptor invalidates the rest of
        // this round; poll reports the remaining events again.
        uint64_t generation = generation_;
        for (size_t i = 0; ready > 0 && i < fds.size() && generation == generation_; ++i)
            if (fds[i].revents != 0) HandleEvent(targets[i]);
        RunQueuedTasks();
        RunDueTimers();
    }
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        running_ = false;
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
    add(wakeFd_, {TargetKind::kWake, wakeFd_});
    add(controlFd_, {TargetKind::kControlListen, controlFd_});
    for (int fd : controlClients_) add(fd, {TargetKind::kControlClient, fd});
    for (auto& device : devices_) {
        for (const VirtualHidDevice::Node& node : device->nodes_) {
            add(node.listenFd,
                {TargetKind::kNodeListen, node.listenFd, device.get(), node.interfaceNumber});
            for (int fd : node.clients)
                add(fd, {TargetKind::kNodeClient, fd, device.get(), node.interfaceNumber});
        }
    }
}

int VirtualHidBus::MillisecondsToNextTimer() const {
    if (timers_.empty()) return -1;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(timers_.begin()->first -
                                                             std::chrono::steady_clock::now());
    return static_cast<int>(std::max<int64_t>(0, left.count()));
}

void VirtualHidBus::HandleEvent(const PollTarget& target) {
    switch (target.kind) {
        case TargetKind::kWake: {
            uint64_t count;
            [[maybe_unused]] ssize_t n = read(wakeFd_, &count, sizeof count);
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
    ++generation_;
}

void VirtualHidBus::ReadNodeClient(const PollTarget& target) {
    ssize_t n = recv(target.fd, buffer_.data(), buffer_.size(), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    VirtualHidDevice::Node* node = target.device->FindNode(target.interfaceNumber);
    if (n <= 0) {
        if (node != nullptr) CloseClient(&node->clients, target.fd);
        return;
    }
    OnOutputReport(target.device, target.interfaceNumber,
                   std::vector<uint8_t>(buffer_.begin(), buffer_.begin() + n));
}

void VirtualHidBus::OnOutputReport(VirtualHidDevice* device, uint8_t interfaceNumber,
                                   std::vector<uint8_t> report) {
    device->Record(interfaceNumber, report);
    device->firmware_->OnOutputReport(interfaceNumber, report, *device->io_);
}

void VirtualHidBus::AcceptControlClient() {
    int fd = AcceptSeqpacket(controlFd_);
    if (fd < 0) return;
    controlClients_.push_back(fd);
    ++generation_;
}

void VirtualHidBus::ReadControlClient(int fd) {
    ssize_t n = recv(fd, buffer_.data(), buffer_.size(), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (n <= 0) {
        CloseClient(&controlClients_, fd);
        return;
    }
    std::string answer = ExecuteControlCommand(
        *this, std::string_view(reinterpret_cast<const char*>(buffer_.data()), n));
    if (send(fd, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL) < 0)
        log::Printf("vbus: control answer not sent: %s", std::strerror(errno));
}

void VirtualHidBus::CloseClient(std::vector<int>* clients, int fd) {
    clients->erase(std::remove(clients->begin(), clients->end(), fd), clients->end());
    close(fd);
    ++generation_;
}

void VirtualHidBus::RunQueuedTasks() {
    std::vector<QueuedTask> tasks;
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        tasks.swap(queue_);
    }
    if (tasks.empty()) return;
    for (QueuedTask& queued : tasks) {
        (*queued.task)();
        std::lock_guard<std::mutex> lock(queueMutex_);
        *queued.done = true;
    }
    queueDone_.notify_all();
}

void VirtualHidBus::RunDueTimers() {
    auto now = std::chrono::steady_clock::now();
    while (!timers_.empty() && timers_.begin()->first <= now) {
        std::function<void()> callback = std::move(timers_.begin()->second);
        timers_.erase(timers_.begin());
        callback();
    }
}

void VirtualHidBus::Wake() {
    uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(wakeFd_, &one, sizeof one);
}

VirtualHidDevice* VirtualHidBus::FindOnBusThread(std::string_view name) {
    for (auto& device : devices_)
        if (device->name() == name) return device.get();
    return nullptr;
}

std::string VirtualHidBus::UnknownDeviceText(std::string_view name) {
    std::string text = "unknown device \"" + std::string(name) + "\"; devices:";
    RunOnBusThread([&] {
        for (auto& device : devices_) text += " " + device->name();
    });
    return text;
}

bool VirtualHidBus::PlugOnBusThread(VirtualHidDevice* device, std::string* error) {
    if (!device->nodes_.empty()) {
        *error = device->name() + ": already plugged";
        return false;
    }
    std::vector<std::string> folders(device->spec().interfaces.size());
    bool ok = tree_.WriteUsbDevice(device->port_, device->spec().bcdDevice, error);
    for (size_t i = 0; ok && i < folders.size(); ++i)
        ok = OpenNode(device, device->spec().interfaces[i], &folders[i], error);
    for (size_t i = 0; ok && i < folders.size(); ++i)
        ok = tree_.LinkClassEntry(device->nodes_[i].hidrawIndex, folders[i], error);
    if (!ok) {
        UnplugOnBusThread(device);
        return false;
    }
    ++generation_;
    log::Printf("vbus: %s plugged", device->name().c_str());
    return true;
}

bool VirtualHidBus::OpenNode(VirtualHidDevice* device, const VirtualInterfaceSpec& interface,
                             std::string* hidFolder, std::string* error) {
    int index = LowestFreeHidrawIndex();
    if (!tree_.WriteHidDevice(device->port_, device->spec(), interface, ++hidSequence_, hidFolder,
                              error))
        return false;
    std::string path = tree_.NodePath(index);
    unlink(path.c_str());
    int fd = ListenSeqpacket(path, error);
    if (fd < 0) return false;
    device->nodes_.push_back({interface.number, index, fd, {}});
    return true;
}

int VirtualHidBus::LowestFreeHidrawIndex() const {
    std::set<int> used;
    for (auto& device : devices_)
        for (const VirtualHidDevice::Node& node : device->nodes_) used.insert(node.hidrawIndex);
    int index = 0;
    while (used.count(index) != 0) ++index;
    return index;
}

void VirtualHidBus::UnplugOnBusThread(VirtualHidDevice* device) {
    // Files first, so nobody can find or open the device while it goes away.
    for (const VirtualHidDevice::Node& node : device->nodes_) {
        tree_.RemoveClassEntry(node.hidrawIndex);
        unlink(tree_.NodePath(node.hidrawIndex).c_str());
    }
    tree_.RemoveUsbDevice(device->port_);
    for (const VirtualHidDevice::Node& node : device->nodes_) {
        for (int fd : node.clients) {
            shutdown(fd, SHUT_RDWR);
            close(fd);
        }
        close(node.listenFd);
    }
    bool wasPlugged = !device->nodes_.empty();
    device->nodes_.clear();
    ++device->plugGeneration_;
    ++generation_;
    if (wasPlugged) log::Printf("vbus: %s unplugged", device->name().c_str());
}

void VirtualHidBus::CloseAll() {
    for (auto& device : devices_) UnplugOnBusThread(device.get());
    for (int fd : controlClients_) close(fd);
    controlClients_.clear();
    if (controlFd_ >= 0) close(controlFd_);
    if (wakeFd_ >= 0) close(wakeFd_);
    controlFd_ = wakeFd_ = -1;
}

}  // namespace tirk::vbus
