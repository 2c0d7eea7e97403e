// Runs the real `tirk` executable for tests: offscreen, with private runtime,
// config and data folders and its debug log in a file the test reads.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <chrono>

namespace tirk::test {

/// An isolated place for one or more tirk processes that must see each other
/// (same runtime folder) and nothing else.
class TirkSandbox {
public:
    TirkSandbox();
    bool IsValid() const { return dir_.isValid(); }
    /// The environment for a tirk process whose log goes to `log_name`.
    /// `dbus_address` empty: no session bus at all.
    QProcessEnvironment Environment(const QString& log_name,
                                    const QString& dbus_address = {}) const;
    QString LogPath(const QString& log_name) const;
    QString Path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

/// The build tree's tirk.
QString TirkExecutable();

/// The whole text of a log file ("" when it does not exist yet).
QString ReadLog(const QString& path);

/// Waits until the file contains `text`, at most `timeout`. Runs the Qt event
/// loop meanwhile.
bool WaitForLog(const QString& path, const QString& text, std::chrono::milliseconds timeout);

/// Number of times `text` occurs in the file.
int CountInLog(const QString& path, const QString& text);

/// The log text of a bring-to-front: "软件标示 <id>，<wParam>d<lParam>d".
QString BringToFrontLine(int w_param, int l_param);

/// Ends a process that a test left running (kill, then wait).
void EndProcess(QProcess& process);

}  // namespace tirk::test
