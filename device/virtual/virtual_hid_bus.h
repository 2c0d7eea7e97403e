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

    /// Adds an unplugged device called `name` shaped like the device `like`: its
    /// interfaces, product name and a factory copy of its firmware (a memory of
    /// its own, receivers linked), with the USB identity vendorId:productId.
    /// Returns it (owned by the bus), or null with `error` when `like` is
    /// unknown, its firmware cannot be copied or `name` is taken.
    VirtualHidDevice* AddDeviceLike(std::string name, std::string_view like, uint16_t vendorId,
                                    uint16_t productId, std::string* error);

    /// AddDeviceLike, then Plug: the device of a compatible product a user
    /// added to the device table. Null with `error` when either fails (a device
    /// added but not plugged stays on the bus, unplugged).
    VirtualHidDevice* PlugAs(std::string name, std::string_view like, uint16_t vendorId,
                             uint16_t productId, std::string* error);

    /// Makes `cable` and `receiver` the two links of one physical device, for
    /// UseCable and UseWireless (their firmwares share the device's memory when
    /// made so: StartStandardBus does). False with `error` for an unknown device
    /// or one that is already in a pair.
    bool PairLinks(std::string_view cable, std::string_view receiver, std::string* error);

    /// The device that `name` (either of its links) is, on its cable: plugs the
    /// cable link when it is not; the receiver stays as it is, so with it
    /// plugged both are. False with `error` for an unknown or unpaired device or
    /// a failed plug.
    bool UseCable(std::string_view name, std::string* error);

    /// The device that `name` (either of its links) is, wireless: plugs the
    /// receiver link when it is not and links the device ("link on"), then
    /// unplugs the cable link when plugged — in that order, so the device
    /// stays reachable throughout. False with `error` as UseCable, or when the
    /// receiver's firmware cannot link.
    bool UseWireless(std::string_view name, std::string* error);

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

    const std::string& root() const { return m_tree.root(); }
    /// "<root>/control"
    std::string ControlSocketPath() const;

    /// "unknown device "<name>"; devices: <every device's name>"
    std::string UnknownDeviceText(std::string_view name);

    /// Runs `task` on the bus thread and returns when it has run (at once when
    /// called on the bus thread or while the thread is not running).
    void RunOnBusThread(const std::function<void()>& task);

    /// Runs `callback` on the bus thread after `delay`. Call on the bus thread.
    void After(std::chrono::microseconds delay, std::function<void()> callback);

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
    /// Until the next timer is due, for ppoll; null (no deadline) when none.
    const timespec* TimeToNextTimer(timespec* left) const;
    void HandleEvent(const PollTarget& target);
    void AcceptNodeClient(const PollTarget& target);
    void ReadNodeClient(const PollTarget& target);
    void AcceptPendingReaders();
    void AcceptControlClient();
    void ReadControlClient(int fd);
    void CloseClient(std::vector<int>* clients, int fd);
    void RunQueuedTasks();
    void RunDueTimers();
    void Wake();

    // The two links of one physical device.
    struct LinkPair {
        VirtualHidDevice* cable;
        VirtualHidDevice* receiver;
    };

    VirtualHidDevice* FindOnBusThread(std::string_view name);
    VirtualHidDevice* AddDeviceOnBusThread(VirtualDeviceSpec spec,
                                           std::unique_ptr<VirtualFirmware> firmware,
                                           std::string* error);
    const LinkPair* FindPairOnBusThread(std::string_view name, std::string* error);
    bool UseWirelessOnBusThread(const LinkPair& pair, std::string* error);
    bool PlugOnBusThread(VirtualHidDevice* device, std::string* error);
    void UnplugOnBusThread(VirtualHidDevice* device);
    bool OpenNode(VirtualHidDevice* device, const VirtualInterfaceSpec& interface,
                  std::string* hidFolder, std::string* error);

    int LowestFreeHidrawIndex() const;
    void OnOutputReport(VirtualHidDevice* device, uint8_t interfaceNumber,
                        std::vector<uint8_t> report);
    void CloseAll();

    BusTree m_tree;
    std::vector<std::unique_ptr<VirtualHidDevice>> m_devices;
    int m_controlFd = -1;
    std::vector<int> m_controlClients;
    int m_wakeFd = -1;
    unsigned m_hidSequence = 0;     ///< numbers the HID folders, as the kernel does
    uint64_t m_reportSequence = 0;  ///< numbers the received reports across devices
    std::vector<LinkPair> m_pairs;
    uint64_t m_generation = 0;  ///< changes whenever a descriptor is opened or closed
    std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> m_timers;
    bool m_stopRequested = false;

    std::vector<uint8_t> m_buffer =
        std::vector<uint8_t>(16384);  ///< one message (hidraw's maximum)
    bool m_prepared = false;          ///< the tree is ours to remove

    std::thread m_thread;
    bool m_running = false;  ///< guarded by m_queueMutex once the thread runs
    std::atomic<std::thread::id> m_threadId;
    std::mutex m_queueMutex;
    std::condition_variable m_queueDone;
    std::vector<QueuedTask> m_queue;
};

}  // namespace tirk::vbus
