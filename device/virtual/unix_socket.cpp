#include "device/virtual/unix_socket.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tirk::vbus {
namespace {

bool MakeAddress(const std::string& path, sockaddr_un* address, std::string* error) {
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.size() >= sizeof address->sun_path) {
        *error = path + ": path too long for a Unix socket (at most " +
                 std::to_string(sizeof address->sun_path - 1) + " bytes)";
        return false;
    }
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    return true;
}

int Fail(int fd, const std::string& path, const char* what, std::string* error) {
    *error = path + ": " + what + ": " + std::strerror(errno);
    if (fd >= 0) close(fd);
    return -1;
}

}  // namespace

int ListenSeqpacket(const std::string& path, std::string* error) {
    sockaddr_un address;
    if (!MakeAddress(path, &address, error)) return -1;
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail(fd, path, "cannot create socket", error);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return Fail(fd, path, "cannot bind", error);
    if (listen(fd, 16) != 0) return Fail(fd, path, "cannot listen", error);
    return fd;
}

int ConnectSeqpacket(const std::string& path, std::string* error) {
    sockaddr_un address;
    if (!MakeAddress(path, &address, error)) return -1;
    int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0) return Fail(fd, path, "cannot create socket", error);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return Fail(fd, path, "cannot connect", error);
    return fd;
}

int AcceptSeqpacket(int listenFd) {
    return accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}

bool SocketIsServed(const std::string& path) {
    std::string ignored;
    int fd = ConnectSeqpacket(path, &ignored);
    if (fd < 0) return false;
    close(fd);
    return true;
}

}  // namespace tirk::vbus
