// The virtual HID bus: serves a folder shaped like the sysfs and /dev entries
// of hidraw devices (docs/hid-backend.md), whose device nodes are SEQPACKET
// sockets, so the hidraw backend talks to virtual devices as to real ones.
// One thread serves every socket of the bus with poll(); it sleeps when idle.
#pragma once

#include <poll.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "device/virtual/bus_tree.h"
#include "device/virtual/virtual_hid_device.h"

namespace tirk::vbus {

class VirtualHidBus {
public:
    /// A bus for the folder `root` (created by Start when missing). Nothing is
    /// served until Start succeeds.
    explicit VirtualHidBus(std::string root);
    /// Unplugs every device, stops the thread and removes everything the bus
    /// created below the root (and the root itself when the bus created it).
    ~VirtualHidBus();

    VirtualHidBus(const VirtualHidBus&) = delete;
    VirtualHidBus& operator=(const VirtualHidBus&) = delete;

    /// Prepares the root, opens the control socket "<root>/control" and starts
    /// the bus thread. Returns false with `error` when the root is served by
    /// another bus, holds files that are not a bus's, or cannot be written.
    bool Start(std::string* error);

    /// Adds an unplugged device. Returns it (owned by the bus, alive as long as
    /// the bus), or null with `error` when the name is taken or `spec` has no
    /// interface.
    VirtualHidDevice* AddDevice(VirtualDeviceSpec spec, std::string* error);

    /// The device called `name`, or null.
    VirtualHidDevice* Find(std::string_view name);

    /// Every device in the order they were added.
    std::vector<VirtualHidDevice*> Devices();

    /// Creates the device's files and node sockets; the class entries appear
    /// last, so an enumeration never sees half a device. False with `error`
    /// for an unknown or already plugged device or a file that cannot be made.
    bool Plug(std::string_view name, std::string* error);

    /// Removes the device's files, then closes every connection, so blocked
    /// readers see end-of-file at once. False with `error` for an unknown or
    /// unplugged device.
    bool Unplug(std::string_view name, std::string* error);

    const std::string& root() const { return tree_.root(); }
    /// "<root>/control"
    std::string ControlSocketPath() const;

    /// "unknown device "<name>"; devices: <every device's name>"
    std::string UnknownDeviceText(std::string_view name);

    /// Runs `task` on the bus thread and returns when it has run (at once when
    /// called on the bus thread or while the thread is not running).
    void RunOnBusThread(const std::function<void()>& task);

    /// Runs `callback` on the bus thread after `delay`. Call on the bus thread.
    void After(std::chrono::milliseconds delay, std::function<void()> callback);

private:
    friend class VirtualHidDevice;
    friend class DeviceIo;

    enum class TargetKind { kWake, kControlListen, kControlClient, kNodeListen, kNodeClient };
    struct PollTarget {
        TargetKind kind;
        int fd;
        VirtualHidDevice* device = nullptr;
        uint8_t interfaceNumber = 0;
    };
    struct QueuedTask {
        const std::function<void()>* task;
        bool* done;
    };

    // Bus thread.
    void Serve();
    void CollectPollSet(std::vector<pollfd>* fds, std::vector<PollTarget>* targets);
    int MillisecondsToNextTimer() const;
    void HandleEvent(const PollTarget& target);
    void AcceptNodeClient(const PollTarget& target);
    void ReadNodeClient(const PollTarget& target);
    void AcceptControlClient();
    void ReadControlClient(int fd);
    void CloseClient(std::vector<int>* clients, int fd);
    void RunQueuedTasks();
    void RunDueTimers();
    void Wake();

    VirtualHidDevice* FindOnBusThread(std::string_view name);
    bool PlugOnBusThread(VirtualHidDevice* device, std::string* error);
    void UnplugOnBusThread(VirtualHidDevice* device);
    bool OpenNode(VirtualHidDevice* device, const VirtualInterfaceSpec& interface,
                  std::string* hidFolder, std::string* error);

    int LowestFreeHidrawIndex() const;
    void OnOutputReport(VirtualHidDevice* device, uint8_t interfaceNumber,
                        std::vector<uint8_t> report);
    void CloseAll();

    BusTree tree_;
    std::vector<std::unique_ptr<VirtualHidDevice>> devices_;
    int controlFd_ = -1;
    std::vector<int> controlClients_;
    int wakeFd_ = -1;
    unsigned hidSequence_ = 0;  ///< numbers the HID folders, as the kernel does
    uint64_t generation_ = 0;   ///< changes whenever a descriptor is opened or closed
    std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> timers_;
    bool stopRequested_ = false;

    std::vector<uint8_t> buffer_ = std::vector<uint8_t>(16384);  ///< one message (hidraw's maximum)
    bool prepared_ = false;                                      ///< the tree is ours to remove

    std::thread thread_;
    bool running_ = false;  ///< guarded by queueMutex_ once the thread runs
    std::atomic<std::thread::id> threadId_;
    std::mutex queueMutex_;
    std::condition_variable queueDone_;
    std::vector<QueuedTask> queue_;
};

}  // namespace tirk::vbus
