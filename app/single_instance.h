// One running instance per user session. The first instance holds an flock(2)
// lock on "Gaming device.lock" for its whole life and listens on the local
// socket "Gaming device.sock" beside it; a later start finds the lock taken,
// asks the first instance over the socket to come to the front, and ends.
// Both live in the user's runtime folder (docs/startup.md).
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <chrono>

namespace tirk {

/// $XDG_RUNTIME_DIR/vorpaline-tirk, or /tmp/tirk-<uid> when XDG_RUNTIME_DIR is
/// unset. Creates it (mode 0700) when missing. Returns an empty string when it
/// cannot be created or is not private to us (tirk::MakePrivateFolder).
QString InstanceFolder();

class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Role {
        kFirst,   ///< this process is the instance that runs
        kSecond,  ///< another process holds the lock
    };

    /// `folder` holds the lock and the socket (normally InstanceFolder()).
    explicit SingleInstance(QString folder, QObject* parent = nullptr);
    /// Releases the lock and removes the socket.
    ~SingleInstance() override;

    /// Takes the lock. A lock that cannot be made at all (no folder, no file)
    /// counts as kFirst, so a broken runtime folder never stops the program.
    Role Acquire();

    /// First instance: listens for later starts; each one emits
    /// ActivationRequested on this object's thread. Returns false when the
    /// socket cannot be made (logged; the program still runs).
    bool Listen();

    /// Second instance: asks the first to come to the front. Returns true when
    /// it acknowledged within `timeout`; false when nobody answered (the first
    /// instance may still be starting).
    bool AskFirstToActivate(std::chrono::milliseconds timeout);

    /// The socket path (for tests and logs).
    QString SocketPath() const;

signals:
    /// A later start asked this instance to come to the front.
    void ActivationRequested();

private:
    void OnConnection();

    QString folder_;
    int lock_fd_ = -1;
    QLocalServer server_;
};

}  // namespace tirk
