// Unix SEQPACKET sockets: the virtual device nodes and the bus's control socket.
// One message is one HID report (or one control command / answer).
#pragma once

#include <string>

namespace tirk::vbus {

/// Binds a non-blocking, close-on-exec listening SEQPACKET socket at `path`
/// (which must not exist). Returns the descriptor, owned by the caller, or -1
/// with `error` naming the path and the reason.
int ListenSeqpacket(const std::string& path, std::string* error);

/// Connects a blocking, close-on-exec SEQPACKET socket to `path`. Returns the
/// descriptor, owned by the caller, or -1 with `error` naming the path and reason.
int ConnectSeqpacket(const std::string& path, std::string* error);

/// Accepts one pending connection of `listenFd` as a non-blocking, close-on-exec
/// descriptor (owned by the caller); -1 when none is pending or accept failed.
int AcceptSeqpacket(int listenFd);

/// True when something accepts connections at `path` (a running bus or device).
bool SocketIsServed(const std::string& path);

}  // namespace tirk::vbus
