// Tells the application when the system suspends and resumes, so that the
// main window can keep its awake flag. Backend: sleep_watch_logind.cpp
// (logind's PrepareForSleep signal on the system bus).
#pragma once

#include <QObject>

namespace tirk {

class SleepWatch : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    /// Starts watching. Returns false (and logs why) when the system offers no
    /// sleep notifications; the program then stays awake all the time.
    bool Start();

signals:
    /// The system is about to suspend (`asleep` true) or has resumed (false).
    void SleepChanged(bool asleep);

private slots:
    void OnPrepareForSleep(bool start);
};

}  // namespace tirk
