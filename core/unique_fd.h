// A file descriptor that closes itself: the one owner of a raw descriptor in
// code that returns early on every failure.
#pragma once

#include <unistd.h>

namespace tirk {

class UniqueFd {
public:
    /// Takes `fd` (may be negative: owns nothing).
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    ~UniqueFd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    /// The descriptor, still owned; negative when none.
    int Get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace tirk
