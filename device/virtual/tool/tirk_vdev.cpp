// tirk-vdev: runs a virtual HID bus, or tells a running one what to do.
//
//   tirk-vdev [--root DIR] list | plug NAME | unplug NAME | counts NAME |
//             dump NAME | clear NAME | fault NAME [KIND [ARGS]] |
//             link NAME on|off | notify NAME CODE |
//             status NAME LEVEL STATE [PHONE] | errors NAME |
//             key NAME KEY down|up | report NAME CODE | record NAME [BYTE VALUE] |
//             timing NAME [usb|off] | plug-as NAME LIKE VENDOR PRODUCT |
//             cable NAME | wireless NAME | help
//   tirk-vdev serve [--root DIR] [--plug all|NAME...]
//
// The root defaults to $TIRK_HID_ROOT (serve: then to the emulated bus's root).
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "device/device_table.h"
#include "device/virtual/control_commands.h"
#include "device/virtual/emulated_bus.h"
#include "device/virtual/standard_devices.h"
#include "device/virtual/unix_socket.h"

namespace {

constexpr const char* kUsage =
    "usage: tirk-vdev [--root DIR] list|plug NAME|unplug NAME|counts NAME|dump NAME|"
    "clear NAME|fault NAME [KIND [ARGS]]|\n"
    "       link NAME on|off|notify NAME CODE|status NAME LEVEL STATE [PHONE]|errors NAME|\n"
    "       key NAME KEY down|up|report NAME CODE|record NAME [BYTE VALUE]|\n"
    "       timing NAME [usb|off]|plug-as NAME LIKE VENDOR PRODUCT|cable NAME|wireless NAME|help\n"
    "       tirk-vdev serve [--root DIR] [--plug all|NAME...]\n"
    "The root defaults to $TIRK_HID_ROOT. plug-as plugs a device shaped like LIKE with the\n"
    "hexadecimal USB ids VENDOR:PRODUCT; cable and wireless move the mouse or keyboard\n"
    "(either link's name) to its cable or to its receiver.\n"
    "Keyboards: key sends the press or release report of the key with index KEY in the\n"
    "keyboard's own order; report sends 0x0401, 0x0402, 0x10xx or 0x11xx (the profile\n"
    "switch changes the keyboard's memory first); record sets byte BYTE (1-33) of the\n"
    "active profile's record (byte 1: the lighting mode code) and shows the record, and\n"
    "report NAME 0x0401 then makes the host read it; timing usb lets one report per 1 ms\n"
    "interval through in each direction, timing off answers at once.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "tirk-vdev: %s\n", message.c_str());
    return 1;
}

struct Arguments {
    std::string root;
    std::vector<std::string> words;  ///< the command and its arguments
    std::vector<std::string> plug;   ///< serve: devices to plug
    bool plugGiven = false;
};

bool Parse(int argc, char** argv, Arguments* args, std::string* error) {
    bool inPlugList = false;
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--root") {
            if (i + 1 >= argc) return *error = "--root needs a folder", false;
            args->root = argv[++i];
            inPlugList = false;
        } else if (word == "--plug" && !args->words.empty() && args->words[0] == "serve") {
            args->plugGiven = inPlugList = true;
        } else if (inPlugList) {
            args->plug.push_back(word);
        } else {
            args->words.push_back(word);
        }
    }
    if (args->root.empty())
        if (const char* env = std::getenv("TIRK_HID_ROOT"); env != nullptr) args->root = env;
    if (args->words.empty()) return *error = "no command given", false;
    return true;
}

int Serve(const Arguments& args) {
    if (args.words.size() > 1) return Fail("serve takes only --root and --plug");
    tirk::DeviceTables tables;
    std::string error;
    if (!tirk::LoadDeviceTables(tirk::DefaultDeviceTablesPath(), &tables, &error))
        return Fail(error);
    std::vector<std::string> plug = tirk::vbus::EmulatedDeviceNames();
    if (args.plugGiven) plug = args.plug;
    if (plug.size() == 1 && plug[0] == "all") plug = tirk::vbus::StandardDeviceNames();

    // Blocked before the bus thread starts, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    auto bus = tirk::vbus::StartStandardBus(tables, args.root, plug, &error);
    if (bus == nullptr) return Fail(error);
    std::printf("tirk-vdev: serving %s (TIRK_HID_ROOT=%s)\n", bus->root().c_str(),
                bus->root().c_str());
    std::fflush(stdout);
    int signal = 0;
    sigwait(&stopSignals, &signal);
    return 0;
}

std::string Join(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) line += (line.empty() ? "" : " ") + word;
    return line;
}

// One answer message into `buffer`; `cut` tells that the message was longer
// than the buffer (the kernel drops the rest of a SEQPACKET message).
ssize_t ReceiveAnswer(int fd, std::vector<char>* buffer, bool* cut) {
    iovec part{buffer->data(), buffer->size()};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    const ssize_t n = recvmsg(fd, &message, 0);
    *cut = n > 0 && (message.msg_flags & MSG_TRUNC) != 0;
    return n;
}

int SendCommand(const Arguments& args) {
    if (args.root.empty()) return Fail("no bus root: give --root DIR or set TIRK_HID_ROOT");
    std::string error;
    std::string control = args.root + "/control";
    int fd = tirk::vbus::ConnectSeqpacket(control, &error);
    if (fd < 0) return Fail("no virtual HID bus at " + args.root + " (" + error + ")");
    std::string line = Join(args.words);
    std::vector<char> answer(tirk::vbus::kMaxControlAnswer + 4096);
    ssize_t n = -1;
    bool cut = false;
    if (send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size()))
        n = ReceiveAnswer(fd, &answer, &cut);
    close(fd);
    if (n <= 0) return Fail("the bus at " + args.root + " did not answer");
    std::string text(answer.data(), n);
    if (text.rfind("ok", 0) != 0 && !cut)
        return Fail(text.rfind("error: ", 0) == 0 ? text.substr(7) : text);
    if (text.size() > 3) std::printf("%s\n", text.c_str() + 3);
    std::fflush(stdout);
    // A message longer than the buffer loses its end without a trace; what
    // was shown must not pass for the whole answer.
    if (cut)
        return Fail("answer cut short: the bus sent more than the " +
                    std::to_string(answer.size()) + " bytes read; the rest is lost");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    std::string error;
    if (!Parse(argc, argv, &args, &error)) {
        std::fprintf(stderr, "tirk-vdev: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    if (args.words[0] == "--help" || args.words[0] == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args.words[0] == "serve") return Serve(args);
    return SendCommand(args);
}
