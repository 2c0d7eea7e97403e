#include "tirk_process.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include "app/messages.h"

namespace tirk::test {

TirkSandbox::TirkSandbox() {
    if (!dir_.isValid()) return;
    QDir root(dir_.path());
    for (const char* sub : {"run", "config", "data"}) root.mkpath(sub);
    QFile::setPermissions(root.filePath("run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QProcessEnvironment TirkSandbox::Environment(const QString& log_name,
                                             const QString& dbus_address) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", dir_.filePath("run"));
    env.insert("XDG_CONFIG_HOME", dir_.filePath("config"));
    env.insert("XDG_DATA_HOME", dir_.filePath("data"));
    env.insert("TIRK_LOG", LogPath(log_name));
    env.remove("TIRK_DEBUG");
    env.remove("TIRK_HID_ROOT");
    // An unreachable address rather than none: without the variable libdbus
    // would autolaunch a bus through X11 when a display is set.
    if (dbus_address.isEmpty())
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + dir_.filePath("no-session-bus"));
    else
        env.insert("DBUS_SESSION_BUS_ADDRESS", dbus_address);
    // No system bus either: the tests must not depend on the machine's logind.
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + dir_.filePath("no-system-bus"));
    return env;
}

QString TirkSandbox::LogPath(const QString& log_name) const {
    return dir_.filePath(log_name);
}

QString TirkExecutable() {
    return QStringLiteral(TIRK_BIN_DIR "/tirk");
}

QString ReadLog(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

bool WaitForLog(const QString& path, const QString& text, std::chrono::milliseconds timeout) {
    QDeadlineTimer deadline(timeout);
    for (;;) {
        if (ReadLog(path).contains(text)) return true;
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(20);
    }
}

int CountInLog(const QString& path, const QString& text) {
    return static_cast<int>(ReadLog(path).count(text));
}

QString BringToFrontLine(int w_param, int l_param) {
    return QString::fromUtf8("软件标示 %1，%2d%3d")
        .arg(RegisteredMessageId(kInstanceMessageName))
        .arg(w_param, 0, 16)
        .arg(l_param, 0, 16);
}

void EndProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

}  // namespace tirk::test
