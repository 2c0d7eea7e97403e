#include "app/single_instance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <thread>

#include "test_application.h"

namespace tirk {
namespace {
using namespace std::chrono_literals;

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication<QCoreApplication>("single_instance_test");
        ASSERT_TRUE(dir_.isValid());
    }
    QTemporaryDir dir_;
};

TEST_F(SingleInstanceTest, SecondInstanceAsksTheFirstToComeToTheFront) {
    SingleInstance first(dir_.path());
    ASSERT_EQ(first.Acquire(), SingleInstance::Role::kFirst);
    ASSERT_TRUE(first.Listen());
    int requests = 0;
    QObject::connect(&first, &SingleInstance::ActivationRequested, [&] { ++requests; });

    SingleInstance second(dir_.path());
    ASSERT_EQ(second.Acquire(), SingleInstance::Role::kSecond);
    // The first instance answers from its event loop, which runs here.
    std::atomic<int> answered{-1};
    std::thread asker([&] { answered = second.AskFirstToActivate(5s) ? 1 : 0; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return answered >= 0; }, 10000));
    asker.join();
    EXPECT_EQ(answered, 1);
    EXPECT_EQ(requests, 1);
}

TEST_F(SingleInstanceTest, HeldLockWithoutListenerIsStillASecondInstance) {
    SingleInstance starting(dir_.path());
    ASSERT_EQ(starting.Acquire(), SingleInstance::Role::kFirst);  // not listening yet

    SingleInstance second(dir_.path());
    EXPECT_EQ(second.Acquire(), SingleInstance::Role::kSecond);
    EXPECT_FALSE(second.AskFirstToActivate(300ms));
}

TEST_F(SingleInstanceTest, LockIsFreeAgainWhenTheFirstInstanceEnds) {
    {
        SingleInstance first(dir_.path());
        ASSERT_EQ(first.Acquire(), SingleInstance::Role::kFirst);
        ASSERT_TRUE(first.Listen());
    }
    SingleInstance next(dir_.path());
    EXPECT_EQ(next.Acquire(), SingleInstance::Role::kFirst);
    EXPECT_TRUE(next.Listen());  // over the socket file the old one may have left
}

TEST_F(SingleInstanceTest, UnusableFolderRunsAsFirstInstance) {
    SingleInstance instance(QString{});
    EXPECT_EQ(instance.Acquire(), SingleInstance::Role::kFirst);
    EXPECT_FALSE(instance.AskFirstToActivate(10ms));
}

TEST_F(SingleInstanceTest, InstanceFolderIsPrivateBelowTheRuntimeFolder) {
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", dir_.path().toUtf8());
    const QString folder = InstanceFolder();
    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);
    EXPECT_EQ(folder, dir_.path() + "/vorpaline-tirk");
    struct stat info {};
    ASSERT_EQ(stat(folder.toUtf8().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace tirk
