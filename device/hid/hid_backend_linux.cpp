// hidraw backend: reads a sysfs- and /dev-shaped tree below a root (see
// docs/hid-backend.md). Device nodes are character devices (real hidraw) or
// listening SEQPACKET sockets (the virtual bus). Waits are poll() on the node
// plus an eventfd that Cancel() signals.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "device/hid/hid_backend.h"

namespace tirk::hid {
namespace {

std::string JoinRoot(const std::string& root, const std::string& relative) {
    if (root.empty() || root == "/") return "/" + relative;
    return root.back() == '/' ? root + relative : root + "/" + relative;
}

std::string ErrnoText(const std::string& what, int err) {
    return what + ": " + std::strerror(err);
}

bool IsGoneErrno(int err) {
    return err == ENODEV || err == EIO || err == EPIPE || err == ECONNRESET || err == ENOTCONN ||
           err == ESHUTDOWN;
}

// Whole small file; errno-style result (0 on success).
int ReadSmallFile(const std::string& path, std::string& content) {
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    char chunk[4096];
    int result = 0;
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            content.append(chunk, size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) result = errno;
        break;
    }
    ::close(fd);
    return result;
}

// Parses a hexadecimal attribute such as bInterfaceNumber ("01\n").
bool ParseHexAttribute(const std::string& text, uint32_t& value) {
    char* end = nullptr;
    const unsigned long v = std::strtoul(text.c_str(), &end, 16);
    if (end == text.c_str()) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

// The interface number from HID_PHYS's "/inputN" suffix; -1 when absent.
int InterfaceFromPhys(const std::string& phys) {
    const size_t at = phys.rfind("/input");
    if (at == std::string::npos) return -1;
    const char* digits = phys.c_str() + at + 6;
    if (*digits < '0' || *digits > '9') return -1;
    return static_cast<int>(std::strtol(digits, nullptr, 10));
}

void ParseUevent(const std::string& text, HidNodeInfo& info, std::string& phys) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        unsigned bus = 0, vendor = 0, product = 0;
        if (std::sscanf(line.c_str(), "HID_ID=%x:%x:%x", &bus, &vendor, &product) == 3) {
            info.bus = static_cast<uint16_t>(bus);
            info.vendorId = static_cast<uint16_t>(vendor);
            info.productId = static_cast<uint16_t>(product);
        } else if (line.rfind("HID_NAME=", 0) == 0) {
            info.hidName = line.substr(9);
        } else if (line.rfind("HID_PHYS=", 0) == 0) {
            phys = line.substr(9);
        }
    }
}

class LinuxHidConnection : public HidConnection {
public:
    LinuxHidConnection(int fd, int cancelFd, bool isSocket, bool hasReportIds, bool canRead,
                       bool canWrite)
        : fd_(fd),
          cancelFd_(cancelFd),
          isSocket_(isSocket),
          hasReportIds_(hasReportIds),
          canRead_(canRead),
          canWrite_(canWrite) {}

    ~LinuxHidConnection() override {
        if (fd_ >= 0) ::close(fd_);
        if (cancelFd_ >= 0) ::close(cancelFd_);
    }

    HidIoResult Read(uint8_t* buffer, size_t capacity, size_t& received, int timeoutMs) override;
    HidIoResult Write(const uint8_t* data, size_t length, size_t& written, int timeoutMs) override;

    void Cancel() override {
        const uint64_t one = 1;
        // The counter only grows, so the cancel stays visible to later waits.
        [[maybe_unused]] ssize_t n = ::write(cancelFd_, &one, sizeof one);
    }

private:
    // Waits until the node is ready for `events` or the wait ends otherwise.
    HidIoResult Wait(short events, std::chrono::steady_clock::time_point deadline, bool forever);

    int fd_;
    int cancelFd_;
    bool isSocket_;
    bool hasReportIds_;
    bool canRead_;
    bool canWrite_;
};

HidIoResult LinuxHidConnection::Wait(short events, std::chrono::steady_clock::time_point deadline,
                                     bool forever) {
    for (;;) {
        int timeout = -1;
        if (!forever) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            timeout = static_cast<int>(std::clamp<int64_t>(left.count(), 0, INT_MAX));
        }
        pollfd fds[2] = {{cancelFd_, POLLIN, 0}, {fd_, events, 0}};
        const int n = ::poll(fds, 2, timeout);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return HidIoResult::Error;
        if (fds[0].revents & POLLIN) return HidIoResult::Cancelled;
        if (n == 0) return HidIoResult::Timeout;
        if (fds[1].revents & events) return HidIoResult::Ok;
        if (fds[1].revents & POLLNVAL) return HidIoResult::Error;
        if (fds[1].revents & (POLLHUP | POLLERR)) return HidIoResult::Gone;
    }
}

HidIoResult LinuxHidConnection::Read(uint8_t* buffer, size_t capacity, size_t& received,
                                     int timeoutMs) {
    received = 0;
    if (!canRead_ || fd_ < 0) return HidIoResult::Error;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        const HidIoResult ready = Wait(POLLIN, deadline, timeoutMs < 0);
        if (ready != HidIoResult::Ok) return ready;
        const ssize_t n = ::read(fd_, buffer, capacity);
        if (n > 0) {
            received = size_t(n);
            return HidIoResult::Ok;
        }
        if (n == 0) return HidIoResult::Gone;  // the peer closed: unplugged
        if (errno == EAGAIN || errno == EINTR) continue;
        return IsGoneErrno(errno) ? HidIoResult::Gone : HidIoResult::Error;
    }
}

HidIoResult LinuxHidConnection::Write(const uint8_t* data, size_t length, size_t& written,
                                      int timeoutMs) {
    written = 0;
    if (!canWrite_ || fd_ < 0 || length == 0) return HidIoResult::Error;
    // hidraw's write() wants the id byte (0 without ids); the virtual bus gets
    // what the device would receive, without a 0 id byte.
    const bool skipId = isSocket_ && !hasReportIds_;
    const uint8_t* payload = skipId ? data + 1 : data;
    const size_t payloadLength = skipId ? length - 1 : length;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        const HidIoResult ready = Wait(POLLOUT, deadline, timeoutMs < 0);
        if (ready != HidIoResult::Ok) return ready;
        const ssize_t n = isSocket_
                              ? ::send(fd_, payload, payloadLength, MSG_NOSIGNAL | MSG_DONTWAIT)
                              : ::write(fd_, payload, payloadLength);
        if (n >= 0 && size_t(n) == payloadLength) {
            written = length;
            return HidIoResult::Ok;
        }
        if (n >= 0) return HidIoResult::Error;  // a report is never sent in parts
        if (errno == EAGAIN || errno == EINTR) continue;
        return IsGoneErrno(errno) ? HidIoResult::Gone : HidIoResult::Error;
    }
}

int ConnectSeqpacket(const std::string& path, std::string& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error = path + ": socket path too long";
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = ErrnoText(path + ": socket", errno);
        return -1;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        error = ErrnoText(path + ": connect", errno);
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

class LinuxHidBackend : public HidBackend {
public:
    explicit LinuxHidBackend(std::string root) : root_(std::move(root)) {}

    std::vector<std::string> ListNodes() override;
    bool ReadNodeInfo(const std::string& name, HidNodeInfo& info, bool& gone,
                      std::string& error) override;
    std::unique_ptr<HidConnection> Open(const std::string& deviceNode, bool wantRead,
                                        bool wantWrite, bool hasReportIds,
                                        std::string& error) override;

private:
    bool StillListed(const std::string& name) const;

    std::string root_;
};

// A file missing below a node whose class entry is still there means a broken
// node, not an unplug (an unplug removes the class entry first).
bool LinuxHidBackend::StillListed(const std::string& name) const {
    struct stat st {};
    return ::lstat(JoinRoot(root_, "sys/class/hidraw/" + name).c_str(), &st) == 0;
}

std::vector<std::string> LinuxHidBackend::ListNodes() {
    std::vector<std::string> names;
    DIR* dir = ::opendir(JoinRoot(root_, "sys/class/hidraw").c_str());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    // hidraw2 before hidraw10: shorter names first, then by text.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

bool LinuxHidBackend::ReadNodeInfo(const std::string& name, HidNodeInfo& info, bool& gone,
                                   std::string& error) {
    info = HidNodeInfo{};
    gone = false;
    const std::string link = JoinRoot(root_, "sys/class/hidraw/" + name + "/device");
    char resolved[PATH_MAX];
    if (::realpath(link.c_str(), resolved) == nullptr) {
        const int err = errno;
        gone = err == ENOENT && !StillListed(name);
        error = ErrnoText(link, err);
        return false;
    }
    const std::string folder = resolved;
    std::string uevent, descriptor, phys, text;
    const std::pair<const char*, std::string*> files[] = {{"/uevent", &uevent},
                                                          {"/report_descriptor", &descriptor}};
    for (const auto& [file, content] : files) {
        if (const int err = ReadSmallFile(folder + file, *content); err != 0) {
            gone = (err == ENOENT || err == ENODEV) && !StillListed(name);
            error = ErrnoText(folder + file, err);
            return false;
        }
    }
    info.name = name;
    info.deviceNode = JoinRoot(root_, "dev/" + name);
    ParseUevent(uevent, info, phys);
    info.descriptor.assign(descriptor.begin(), descriptor.end());
    uint32_t value = 0;
    if (ReadSmallFile(folder + "/../bInterfaceNumber", text) == 0 &&
        ParseHexAttribute(text, value)) {
        info.interfaceNumber = static_cast<int>(value);
    } else {
        info.interfaceNumber = InterfaceFromPhys(phys);
    }
    if (ReadSmallFile(folder + "/../../bcdDevice", text) == 0 && ParseHexAttribute(text, value)) {
        info.version = static_cast<uint16_t>(value);
    }
    return true;
}

std::unique_ptr<HidConnection> LinuxHidBackend::Open(const std::string& deviceNode, bool wantRead,
                                                     bool wantWrite, bool hasReportIds,
                                                     std::string& error) {
    struct stat st {};
    if (::stat(deviceNode.c_str(), &st) != 0) {
        error = ErrnoText(deviceNode, errno);
        return nullptr;
    }
    const bool isSocket = S_ISSOCK(st.st_mode);
    if (!isSocket && !S_ISCHR(st.st_mode)) {
        error = deviceNode + ": neither a device node nor a socket";
        return nullptr;
    }
    int fd = -1;
    if (!wantRead && !wantWrite) {
        // A presence check: nothing is opened on a socket (a connection would
        // be an open file that receives reports); a device node must open.
        if (!isSocket) {
            const int probe = ::open(deviceNode.c_str(), O_PATH | O_CLOEXEC);
            if (probe < 0) {
                error = ErrnoText(deviceNode, errno);
                return nullptr;
            }
            ::close(probe);
        }
    } else if (isSocket) {
        fd = ConnectSeqpacket(deviceNode, error);
        if (fd < 0) return nullptr;
    } else {
        const int access = wantRead && wantWrite ? O_RDWR : (wantRead ? O_RDONLY : O_WRONLY);
        fd = ::open(deviceNode.c_str(), access | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error = ErrnoText(deviceNode, errno);
            return nullptr;
        }
    }
    const int cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (cancelFd < 0) {
        error = ErrnoText("eventfd", errno);
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    return std::make_unique<LinuxHidConnection>(fd, cancelFd, isSocket, hasReportIds, wantRead,
                                                wantWrite);
}

}  // namespace

std::string HidBackend::NodeName(const std::string& deviceNode) {
    const size_t slash = deviceNode.rfind('/');
    return slash == std::string::npos ? deviceNode : deviceNode.substr(slash + 1);
}

std::shared_ptr<HidBackend> CreateLinuxHidBackend(const std::string& root) {
    return std::make_shared<LinuxHidBackend>(root.empty() ? "/" : root);
}

std::shared_ptr<HidBackend> CreateDefaultHidBackend() {
    const char* root = std::getenv("TIRK_HID_ROOT");
    return CreateLinuxHidBackend(root != nullptr && *root != '\0' ? root : "/");
}

}  // namespace tirk::hid
