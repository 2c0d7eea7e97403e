// A process that has run out of file descriptors, for as long as an object of
// this class lives: the next open fails with EMFILE, as it does for a program
// that leaks descriptors or runs under a low limit. Works for root, for whom
// permissions cannot make a file unreadable. Single-threaded tests only.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tirk::test {

class OutOfDescriptors {
public:
    /// Lowers the soft limit to the lowest free descriptor number.
    OutOfDescriptors() {
        if (::getrlimit(RLIMIT_NOFILE, &m_saved) != 0) return;
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (lowestFree < 0) return;
        ::close(lowestFree);
        rlimit low = m_saved;
        low.rlim_cur = rlim_t(lowestFree);
        m_active = ::setrlimit(RLIMIT_NOFILE, &low) == 0;
    }
    /// Gives the descriptors back (the soft limit may rise up to the hard one).
    ~OutOfDescriptors() { Release(); }
    OutOfDescriptors(const OutOfDescriptors&) = delete;
    OutOfDescriptors& operator=(const OutOfDescriptors&) = delete;

    /// False when the limit could not be lowered; the test should assert it.
    bool active() const { return m_active; }

    void Release() {
        if (m_active) ::setrlimit(RLIMIT_NOFILE, &m_saved);
        m_active = false;
    }

private:
    rlimit m_saved{};
    bool m_active = false;
};

}  // namespace tirk::test
