// The real program, started as a user starts it: single instance across two
// processes, and the D-Bus service on a private session bus.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>

#include "app/single_instance.h"
#include "app/shell/status_block.h"
#include "device/device_table.h"
#include "test_application.h"
#include "tirk_process.h"

namespace tirk::test {
namespace {
using namespace std::chrono_literals;

// Starts tirk and waits until its first device scan has brought it to the front.
bool StartFirstInstance(QProcess& process, const QProcessEnvironment& env, const QString& log,
                        const QStringList& args = {"--emulate"}) {
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(TirkExecutable(), args);
    if (!process.waitForStarted(10000)) return false;
    return WaitForLog(log, BringToFrontLine(0, 0), 30s);
}

class TirkProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication<QCoreApplication>("app_process_test");
        ASSERT_TRUE(sandbox_.IsValid());
    }
    void TearDown() override { EndProcess(first_); }

    TirkSandbox sandbox_;
    QProcess first_;
};

TEST_F(TirkProcessTest, SecondStartBringsTheFirstToTheFrontAndExits) {
    const QString log = sandbox_.LogPath("first.log");
    ASSERT_TRUE(StartFirstInstance(first_, sandbox_.Environment("first.log"), log))
        << ReadLog(log).toStdString();
    EXPECT_TRUE(ReadLog(log).contains("IPC is off")) << "no session bus: IPC must say it is off";

    QProcess second;
    second.setProcessEnvironment(sandbox_.Environment("second.log"));
    QElapsedTimer clock;
    clock.start();
    second.start(TirkExecutable(), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    const qint64 elapsed_ms = clock.elapsed();
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_LT(elapsed_ms, 5000) << "a second start must end at once";
    EXPECT_TRUE(WaitForLog(log, BringToFrontLine(0, 1), 10s)) << ReadLog(log).toStdString();
    EXPECT_EQ(first_.state(), QProcess::Running);
}

TEST_F(TirkProcessTest, LockHeldByAStartingInstanceStillEndsTheSecondStart) {
    SingleInstance starting(sandbox_.Path() + "/run/vorpaline-tirk");
    QDir().mkpath(sandbox_.Path() + "/run/vorpaline-tirk");
    ASSERT_EQ(starting.Acquire(), SingleInstance::Role::kFirst);  // holds the lock, never answers

    QProcess second;
    second.setProcessEnvironment(sandbox_.Environment("second.log"));
    second.start(TirkExecutable(), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
}

TEST_F(TirkProcessTest, QuitSignalEndsTheProgramInOrder) {
    const QString log = sandbox_.LogPath("first.log");
    ASSERT_TRUE(StartFirstInstance(first_, sandbox_.Environment("first.log"), log));
    first_.terminate();
    ASSERT_TRUE(first_.waitForFinished(10000));
    EXPECT_EQ(first_.exitCode(), 0);
    const QString text = ReadLog(log);
    EXPECT_TRUE(text.contains("退出测试"));
    EXPECT_TRUE(text.contains("抓取设备线程设定退出"));
    EXPECT_TRUE(text.contains("同步灯光线程设定退出"));
    EXPECT_FALSE(text.contains("超时")) << "every worker must end within its bound";
}

// A private session bus per test, so that tests may run in parallel and do not
// depend on the caller's session.
class TirkDbusTest : public TirkProcessTest {
protected:
    void SetUp() override {
        TirkProcessTest::SetUp();
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed: no session bus to test on";
        daemon_.start(daemon, {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(daemon_.waitForStarted(5000));
        ASSERT_TRUE(daemon_.waitForReadyRead(5000));
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        bus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address_, sandbox_.Path()));
        ASSERT_TRUE(bus_->isConnected());

        log_ = sandbox_.LogPath("first.log");
        ASSERT_TRUE(StartFirstInstance(first_, sandbox_.Environment("first.log", address_), log_))
            << ReadLog(log_).toStdString();
        ASSERT_TRUE(WaitForLog(log_, "IPC: D-Bus service", 5s)) << ReadLog(log_).toStdString();
    }
    void TearDown() override {
        EndProcess(first_);
        if (bus_) QDBusConnection::disconnectFromBus(sandbox_.Path());
        bus_.reset();
        EndProcess(daemon_);
    }

    std::unique_ptr<QDBusInterface> Interface(const char* name) {
        return std::make_unique<QDBusInterface>("org.vorpaline.Tirk", "/org/vorpaline/Tirk", name,
                                                *bus_);
    }

    QProcess daemon_;
    QString address_;
    QString log_;
    std::unique_ptr<QDBusConnection> bus_;
};

TEST_F(TirkDbusTest, QueryStatusAnswersTheFamilyBlock) {
    QDBusReply<QByteArray> reply = Interface("org.vorpaline.Tirk.Lighting")->call("QueryStatus");
    ASSERT_TRUE(reply.isValid()) << reply.error().message().toStdString();

    DeviceTables tables;
    std::string error;
    ASSERT_TRUE(LoadDeviceTables(TIRK_RESOURCE_DIR "/devices.json", &tables, &error)) << error;
    std::vector<FamilyIdentity> families;
    for (const DeviceFamily& f : tables.families)
        families.push_back({f.vendorId, f.productId, static_cast<std::uint32_t>(f.typeCode)});
    const std::vector<std::uint8_t> expected = BuildStatusBlock(families);
    const QByteArray got = reply.value();
    ASSERT_EQ(got.size(), 1024);
    EXPECT_EQ(std::vector<std::uint8_t>(got.begin(), got.end()), expected);
}

TEST_F(TirkDbusTest, LightControlSetsTheFlagOnlyForItsOwnCommand) {
    auto lighting = Interface("org.vorpaline.Tirk.Lighting");
    struct Case {
        int w, l;
        const char* line;  // the flag line it must add, or nullptr
    };
    const Case cases[] = {{1, 0, "light control 0"},
                          {1, 1, "light control 1"},
                          {2, 0, nullptr},
                          {1, 5, nullptr},
                          {1, 0, "light control 0"}};
    for (const Case& c : cases) {
        const int before = CountInLog(log_, "light control ");
        QDBusMessage answer = lighting->call("LightControl", c.w, c.l);
        ASSERT_NE(answer.type(), QDBusMessage::ErrorMessage) << answer.errorMessage().toStdString();
        // The answer comes after the handler ran, so the log is complete here.
        const QString text = ReadLog(log_);
        EXPECT_EQ(CountInLog(log_, "light control "), before + (c.line ? 1 : 0))
            << c.w << "," << c.l;
        if (c.line) {
            // Device arrivals may log meanwhile: the newest flag line is the one.
            const QString newest = text.mid(text.lastIndexOf("light control ")).section('\n', 0, 0);
            EXPECT_EQ(newest.trimmed().toStdString(), c.line) << c.w << "," << c.l;
        }
    }
}

TEST_F(TirkDbusTest, GameEventsAndActivateAreAccepted) {
    auto lighting = Interface("org.vorpaline.Tirk.Lighting");
    for (const char* method : {"GameStart", "GameEnd", "GameKill", "GameDeath"}) {
        QDBusMessage answer = lighting->call(method, 1, 3);
        EXPECT_NE(answer.type(), QDBusMessage::ErrorMessage) << method;
    }
    const QString text = ReadLog(log_);
    for (const char* line : {"Game_Start 1 3", "Game_End 1 3", "Game_Kill 1 3", "Game_Death 1 3"})
        EXPECT_TRUE(text.contains(line)) << line;

    QDBusMessage answer = Interface("org.vorpaline.Tirk.Application")->call("Activate");
    EXPECT_NE(answer.type(), QDBusMessage::ErrorMessage);
    EXPECT_TRUE(WaitForLog(log_, BringToFrontLine(0, 1), 5s));
}

TEST_F(TirkDbusTest, ExitEndsTheProgramWithCodeZero) {
    QElapsedTimer clock;
    clock.start();
    QDBusMessage answer = Interface("org.vorpaline.Tirk.Application")->call("Exit");
    EXPECT_NE(answer.type(), QDBusMessage::ErrorMessage) << answer.errorMessage().toStdString();
    ASSERT_TRUE(first_.waitForFinished(10000));
    EXPECT_LT(clock.elapsed(), 2000) << "exit must not wait on its workers";
    EXPECT_EQ(first_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first_.exitCode(), 0);
    const QString text = ReadLog(log_);
    EXPECT_TRUE(text.contains("menu exit") || text.contains("退出测试"));
    EXPECT_TRUE(text.contains("抓取设备线程设定退出"));
    EXPECT_FALSE(text.contains("超时"));
}

}  // namespace
}  // namespace tirk::test
