// A small test-only root of the shape the hidraw backend reads (see
// docs/hid-backend.md): sysfs-like folders per node and, per node, a listening
// SEQPACKET socket served by a thread. Tests send input reports to every open
// connection, read back what the program wrote, and unplug nodes.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_folder.h"

namespace tirk::test {

struct FakeHidNodeSpec {
    uint16_t vendorId = 0x3A7D;
    uint16_t productId = 0x61E4;
    uint16_t version = 0x0102;
    int interfaceNumber = 1;  ///< written as bInterfaceNumber; -1 leaves the file out
    std::string phys = "usb-0000:00:14.0-1/input1";  ///< HID_PHYS
    std::vector<uint8_t> descriptor;
};

class FakeHidRoot {
public:
    FakeHidRoot() {
        if (!folder_.valid()) return;  // Root() "" fails every test that uses it
        std::filesystem::create_directories(root_ + "/sys/class/hidraw");
        std::filesystem::create_directories(root_ + "/dev");
    }
    ~FakeHidRoot() {
        for (auto& [name, node] : nodes_) node->Stop();
        nodes_.clear();
    }
    FakeHidRoot(const FakeHidRoot&) = delete;
    FakeHidRoot& operator=(const FakeHidRoot&) = delete;

    const std::string& Root() const { return root_; }
    std::string DeviceNode(const std::string& name) const { return root_ + "/dev/" + name; }

    /// Creates node `name` ("hidraw0", ...) with its folders and socket.
    void AddNode(const std::string& name, const FakeHidNodeSpec& spec) {
        const int seq = static_cast<int>(nodes_.size()) + 1;
        const std::string port = root_ + "/sys/devices/fake/usb1/1-" + std::to_string(seq);
        const std::string iface =
            port + "/1-" + std::to_string(seq) + ":1." +
            std::to_string(spec.interfaceNumber < 0 ? 0 : spec.interfaceNumber);
        char hidName[64];
        std::snprintf(hidName, sizeof hidName, "/0003:%04X:%04X.%04X", spec.vendorId,
                      spec.productId, seq);
        const std::string hid = iface + hidName;
        std::filesystem::create_directories(hid);
        char text[128];
        std::snprintf(text, sizeof text, "%04x\n", spec.version);
        Write(port + "/bcdDevice", text);
        if (spec.interfaceNumber >= 0) {
            std::snprintf(text, sizeof text, "%02x\n", spec.interfaceNumber);
            Write(iface + "/bInterfaceNumber", text);
        }
        std::snprintf(text, sizeof text, "HID_ID=0003:%08X:%08X\nHID_NAME=Fake %s\n", spec.vendorId,
                      spec.productId, name.c_str());
        Write(hid + "/uevent", std::string(text) + "HID_PHYS=" + spec.phys + "\nHID_UNIQ=\n");
        Write(hid + "/report_descriptor",
              std::string(spec.descriptor.begin(), spec.descriptor.end()));
        std::filesystem::create_directories(root_ + "/sys/class/hidraw/" + name);
        std::filesystem::create_directory_symlink(hid,
                                                  root_ + "/sys/class/hidraw/" + name + "/device");
        nodes_[name] = std::make_unique<Node>(DeviceNode(name));
    }

    /// Sends one input report (bytes as they travel: no id byte without ids) to
    /// every open connection of `name`.
    void SendInput(const std::string& name, const std::vector<uint8_t>& report) {
        nodes_.at(name)->Broadcast(report);
    }
    /// Waits until `name` has at least `count` open connections (false after 5 s).
    bool WaitForConnections(const std::string& name, size_t count) {
        return nodes_.at(name)->WaitForConnections(count);
    }
    size_t Connections(const std::string& name) { return nodes_.at(name)->ConnectionCount(); }
    /// Messages the program wrote to `name`, oldest first; waits up to 5 s for `count`.
    std::vector<std::vector<uint8_t>> Received(const std::string& name, size_t count) {
        return nodes_.at(name)->Received(count);
    }
    /// Removes the node's files, then closes every connection (readers see EOF).
    void Unplug(const std::string& name) {
        std::error_code ignored;
        std::filesystem::remove_all(root_ + "/sys/class/hidraw/" + name, ignored);
        nodes_.at(name)->Stop();
    }

private:
    static void Write(const std::string& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }

    class Node {
    public:
        explicit Node(const std::string& path) : path_(path) {
            listen_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
            ::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address);
            ::listen(listen_, 8);
            wake_ = ::eventfd(0, EFD_CLOEXEC);
            thread_ = std::thread([this] { Serve(); });
        }
        ~Node() { Stop(); }

        void Stop() {
            if (!thread_.joinable()) return;
            ::unlink(path_.c_str());
            const uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(wake_, &one, sizeof one);
            thread_.join();
            std::lock_guard lock(mutex_);
            for (int fd : connections_) ::close(fd);
            connections_.clear();
            ::close(listen_);
            ::close(wake_);
            changed_.notify_all();
        }

        void Broadcast(const std::vector<uint8_t>& report) {
            std::lock_guard lock(mutex_);
            for (int fd : connections_)
                ::send(fd, report.data(), report.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        }

        bool WaitForConnections(size_t count) {
            std::unique_lock lock(mutex_);
            return changed_.wait_for(lock, std::chrono::seconds(5),
                                     [&] { return connections_.size() >= count; });
        }
        size_t ConnectionCount() {
            std::lock_guard lock(mutex_);
            return connections_.size();
        }
        std::vector<std::vector<uint8_t>> Received(size_t count) {
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, std::chrono::seconds(5),
                              [&] { return received_.size() >= count; });
            return received_;
        }

    private:
        void Serve() {
            for (;;) {
                std::vector<pollfd> fds = {{wake_, POLLIN, 0}, {listen_, POLLIN, 0}};
                {
                    std::lock_guard lock(mutex_);
                    for (int fd : connections_) fds.push_back({fd, POLLIN, 0});
                }
                if (::poll(fds.data(), fds.size(), -1) < 0) continue;
                if (fds[0].revents) return;
                if (fds[1].revents & POLLIN) Accept();
                for (size_t i = 2; i < fds.size(); ++i) {
                    if (fds[i].revents) Receive(fds[i].fd);
                }
            }
        }
        void Accept() {
            const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) return;
            std::lock_guard lock(mutex_);
            connections_.push_back(fd);
            changed_.notify_all();
        }
        void Receive(int fd) {
            uint8_t buffer[4096];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
            std::lock_guard lock(mutex_);
            if (n <= 0) {  // the program closed this connection
                std::erase(connections_, fd);
                ::close(fd);
            } else {
                received_.emplace_back(buffer, buffer + n);
            }
            changed_.notify_all();
        }

        std::string path_;
        int listen_ = -1;
        int wake_ = -1;
        std::thread thread_;
        std::mutex mutex_;
        std::condition_variable changed_;
        std::vector<int> connections_;
        std::vector<std::vector<uint8_t>> received_;
    };

    // In memory and short: socket paths are limited. Removed after the nodes.
    TempFolder folder_{{.prefix = "tirk-hid", .parent = TempParent::kMemoryIfAvailable}};
    const std::string root_ = folder_.path();
    std::map<std::string, std::unique_ptr<Node>> nodes_;
};

}  // namespace tirk::test
