#include "app/quit_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstring>

#include "core/log.h"

namespace tirk {
namespace {

int g_signal_fds[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the socket.
void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t ignored = write(g_signal_fds[0], &byte, 1);
}

}  // namespace

bool RouteQuitSignals(std::function<void()> on_quit) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signal_fds) != 0) {
        log::Printf("quit signals not routed: %s", std::strerror(errno));
        return false;
    }
    auto* notifier =
        new QSocketNotifier(g_signal_fds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [on_quit = std::move(on_quit)] {
                         char byte;
                         [[maybe_unused]] ssize_t ignored = read(g_signal_fds[1], &byte, 1);
                         on_quit();
                     });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return true;
}

}  // namespace tirk
