#include <QDBusConnection>

#include "app/sleep_watch.h"
#include "core/log.h"

namespace tirk {

bool SleepWatch::Start() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        log::Line("no D-Bus system bus: suspend and resume are not seen");
        return false;
    }
    const bool connected = bus.connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(OnPrepareForSleep(bool)));
    if (!connected) log::Line("logind's PrepareForSleep cannot be watched: suspend is not seen");
    return connected;
}

void SleepWatch::OnPrepareForSleep(bool start) {
    emit SleepChanged(start);
}

}  // namespace tirk
