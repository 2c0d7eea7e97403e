#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <cerrno>
#include <cstring>

#include "core/log.h"
#include "core/private_folder.h"

namespace tirk {
namespace {

constexpr char kLockName[] = "Gaming device.lock";
constexpr char kSocketName[] = "Gaming device.sock";
constexpr char kRequest[] = "activate\n";
constexpr char kAnswer[] = "ok\n";

}  // namespace

QString InstanceFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QString folder = runtime.isEmpty()
                         ? QStringLiteral("/tmp/tirk-%1").arg(getuid())
                         : QFile::decodeName(runtime) + QStringLiteral("/vorpaline-tirk");
    const FileResult usable = MakePrivateFolder(QFile::encodeName(folder).toStdString());
    if (usable) return folder;
    log::Printf("instance folder cannot be used: %s", usable.error.c_str());
    return {};
}

SingleInstance::SingleInstance(QString folder, QObject* parent)
    : QObject(parent), folder_(std::move(folder)) {
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
}

SingleInstance::~SingleInstance() {
    server_.close();
    if (lock_fd_ >= 0) close(lock_fd_);
}

SingleInstance::Role SingleInstance::Acquire() {
    if (folder_.isEmpty()) return Role::kFirst;
    const QByteArray path = QFile::encodeName(folder_ + QLatin1Char('/') + kLockName);
    lock_fd_ = open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock_fd_ < 0) {
        log::Printf("%s: cannot open the instance lock: %s", path.constData(),
                    std::strerror(errno));
        return Role::kFirst;
    }
    if (flock(lock_fd_, LOCK_EX | LOCK_NB) == 0) return Role::kFirst;
    const bool held = errno == EWOULDBLOCK;
    if (!held) log::Printf("%s: flock failed: %s", path.constData(), std::strerror(errno));
    close(lock_fd_);
    lock_fd_ = -1;
    return held ? Role::kSecond : Role::kFirst;
}

QString SingleInstance::SocketPath() const {
    return folder_ + QLatin1Char('/') + kSocketName;
}

bool SingleInstance::Listen() {
    if (folder_.isEmpty()) return false;
    // We hold the lock, so a socket file left here belongs to a dead instance.
    QLocalServer::removeServer(SocketPath());
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (server_.listen(SocketPath())) return true;
    log::Printf("%s: cannot listen: %s", SocketPath().toUtf8().constData(),
                server_.errorString().toUtf8().constData());
    return false;
}

void SingleInstance::OnConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) return;
            const QByteArray request = socket->readLine();
            if (request == kRequest) {
                socket->write(kAnswer);
                socket->flush();
                emit ActivationRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::AskFirstToActivate(std::chrono::milliseconds timeout) {
    if (folder_.isEmpty()) return false;
    QDeadlineTimer deadline(timeout);
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) return false;
    socket.write(kRequest);
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) return false;
    }
    return socket.readLine() == kAnswer;
}

}  // namespace tirk
