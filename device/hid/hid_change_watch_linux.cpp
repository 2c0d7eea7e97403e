// The Linux watch: a udev monitor on the hidraw subsystem for the real bus,
// inotify on the virtual bus's class folder, and an eventfd to interrupt.
#include "device/hid/hid_change_watch.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/log.h"
#include "core/unique_fd.h"

namespace tirk::hid {
namespace {

// What a source of change events must do: give a descriptor to poll and
// consume what became readable on it.
class ChangeSource {
public:
    virtual ~ChangeSource() = default;
    virtual int Fd() const = 0;
    /// Reads the pending events; true when one of them is a change of a node.
    virtual bool Drain() = 0;
};

class UdevSource : public ChangeSource {
public:
    UdevSource() {
        m_udev = udev_new();
        if (!m_udev) return;
        m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
        if (!m_monitor) return;
        if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
            udev_monitor_enable_receiving(m_monitor) < 0) {
            udev_monitor_unref(m_monitor);
            m_monitor = nullptr;
        }
    }
    ~UdevSource() override {
        if (m_monitor) udev_monitor_unref(m_monitor);
        if (m_udev) udev_unref(m_udev);
    }
    bool Valid() const { return m_monitor != nullptr; }
    int Fd() const override { return udev_monitor_get_fd(m_monitor); }
    bool Drain() override {
        bool changed = false;
        while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
            const char* action = udev_device_get_action(device);
            changed |= action && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0);
            udev_device_unref(device);
        }
        return changed;
    }

private:
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
};

class FolderSource : public ChangeSource {
public:
    explicit FolderSource(const std::string& folder)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (m_fd.Get() < 0) return;
        m_valid = ::inotify_add_watch(m_fd.Get(), folder.c_str(),
                                      IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM) >= 0;
    }
    bool Valid() const { return m_valid; }
    int Fd() const override { return m_fd.Get(); }
    bool Drain() override {
        alignas(inotify_event) std::array<char, 4096> buffer;
        bool changed = false;
        while (::read(m_fd.Get(), buffer.data(), buffer.size()) > 0) changed = true;
        return changed;
    }

private:
    UniqueFd m_fd;
    bool m_valid = false;
};

class LinuxChangeWatch : public HidChangeWatch {
public:
    explicit LinuxChangeWatch(std::unique_ptr<ChangeSource> source)
        : m_source(std::move(source)), m_wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

    Wake Wait(std::chrono::milliseconds timeout) override {
        std::array<pollfd, 2> fds{};
        fds[0] = {m_wake.Get(), POLLIN, 0};
        fds[1] = {m_source ? m_source->Fd() : -1, POLLIN, 0};
        int ready = ::poll(fds.data(), fds.size(), static_cast<int>(timeout.count()));
        if (ready < 0 && errno == EINTR) return Wake::kChanged;  // cannot tell: look
        if (ready <= 0) return Wake::kTimeout;
        if (fds[0].revents) {
            uint64_t count = 0;
            [[maybe_unused]] ssize_t n = ::read(m_wake.Get(), &count, sizeof count);
            return Wake::kInterrupted;
        }
        return m_source->Drain() ? Wake::kChanged : Wake::kTimeout;
    }

    void Interrupt() override {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = ::write(m_wake.Get(), &one, sizeof one);
    }

private:
    std::unique_ptr<ChangeSource> m_source;
    UniqueFd m_wake;
};

std::unique_ptr<ChangeSource> MakeSource(const std::string& root) {
    if (root.empty() || root == "/") {
        auto source = std::make_unique<UdevSource>();
        if (source->Valid()) return source;
        log::Line("no udev monitor for hidraw: devices are found by the slow scan only");
        return nullptr;
    }
    const std::string folder = root + "/sys/class/hidraw";
    auto source = std::make_unique<FolderSource>(folder);
    if (source->Valid()) return source;
    log::Printf("%s cannot be watched (%s): devices are found by the slow scan only",
                folder.c_str(), std::strerror(errno));
    return nullptr;
}

}  // namespace

std::shared_ptr<HidChangeWatch> CreateHidChangeWatch(const std::string& root) {
    return std::make_shared<LinuxChangeWatch>(MakeSource(root));
}

std::shared_ptr<HidChangeWatch> CreateDefaultHidChangeWatch() {
    const char* root = std::getenv("TIRK_HID_ROOT");
    return CreateHidChangeWatch(root != nullptr && *root != '\0' ? root : "/");
}

}  // namespace tirk::hid
