// IPC backend: a D-Bus session service. Names are fixed in docs/ipc.md.
#include <QByteArray>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QObject>

#include "app/ipc.h"
#include "core/log.h"

namespace tirk {
namespace {

constexpr const char* kServiceName = "org.vorpaline.Tirk";
constexpr const char* kObjectPath = "/org/vorpaline/Tirk";

// Lighting ownership, lighting control, the status query and game events.
class LightingAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vorpaline.Tirk.Lighting")

public:
    LightingAdaptor(QObject* parent, IpcHandler& handler)
        : QDBusAbstractAdaptor(parent), handler_(handler) {}

public slots:
    void LightControl(int wParam, int lParam) { handler_.OnLightControl(wParam, lParam); }
    QByteArray QueryStatus() {
        std::vector<std::uint8_t> block = handler_.OnQueryStatus();
        return QByteArray(reinterpret_cast<const char*>(block.data()),
                          static_cast<qsizetype>(block.size()));
    }
    void GameStart(int wParam, int lParam) { Game(GameEvent::kStart, wParam, lParam); }
    void GameEnd(int wParam, int lParam) { Game(GameEvent::kEnd, wParam, lParam); }
    void GameKill(int wParam, int lParam) { Game(GameEvent::kKill, wParam, lParam); }
    void GameDeath(int wParam, int lParam) { Game(GameEvent::kDeath, wParam, lParam); }

signals:
    void LightOwner(int wParam, int lParam);

private:
    void Game(GameEvent event, int w_param, int l_param) {
        handler_.OnGameEvent(event, w_param, l_param);
    }
    IpcHandler& handler_;
};

// The application as a whole: come to the front, end.
class ApplicationAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vorpaline.Tirk.Application")

public:
    ApplicationAdaptor(QObject* parent, IpcHandler& handler)
        : QDBusAbstractAdaptor(parent), handler_(handler) {}

public slots:
    void Activate() { handler_.OnActivate(); }
    void Exit() { handler_.OnExit(); }

private:
    IpcHandler& handler_;
};

class DbusIpcService : public IpcService {
public:
    ~DbusIpcService() override {
        if (!on_) return;
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(kObjectPath);
        bus.unregisterService(kServiceName);
    }

    bool Start(IpcHandler& handler) override {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected()) return Off("no D-Bus session bus");
        object_ = std::make_unique<QObject>();
        lighting_ = new LightingAdaptor(object_.get(), handler);
        new ApplicationAdaptor(object_.get(), handler);
        if (!bus.registerObject(kObjectPath, object_.get())) return Off("object path is taken");
        if (!bus.registerService(kServiceName)) {
            bus.unregisterObject(kObjectPath);
            return Off(bus.lastError().message().toStdString());
        }
        on_ = true;
        log::Printf("IPC: D-Bus service %s at %s", kServiceName, kObjectPath);
        return true;
    }

    bool IsOn() const override { return on_; }

    void AnnounceLightOwner(int w_param, int l_param) override {
        if (on_) emit lighting_->LightOwner(w_param, l_param);
    }

private:
    bool Off(const std::string& why) {
        log::Printf("IPC is off: %s", why.c_str());
        lighting_ = nullptr;
        object_.reset();
        return false;
    }

    std::unique_ptr<QObject> object_;
    LightingAdaptor* lighting_ = nullptr;  // owned by object_
    bool on_ = false;
};

}  // namespace

std::unique_ptr<IpcService> CreateDbusIpcService() {
    return std::make_unique<DbusIpcService>();
}

}  // namespace tirk

#include "ipc_dbus.moc"
