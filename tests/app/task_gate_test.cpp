// The gate between the device scan and the main window's UI thread.
#include "app/task_gate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTest>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

#include "test_application.h"
#include "ui/window_impl.h"

namespace tirk {
namespace {

class BareWindow : public WindowImplBase {
public:
    std::string GetSkinFile() override { return {}; }
};

// Runs `action` when the window is about to run a task queued to it, that is
// after the task was queued and before it runs.
class BeforeQueuedTask : public QObject {
public:
    explicit BeforeQueuedTask(std::function<void()> action) : m_action(std::move(action)) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MetaCall && m_action) std::exchange(m_action, nullptr)();
        return false;
    }

private:
    std::function<void()> m_action;
};

// A window being stopped closes the gate while a scan event waits in its
// queue: the scan is told the event was not handled, so it must not be
// handled afterwards either (the window's workers are stopped by then).
TEST(TaskGateTest, TasksQueuedBeforeCloseDoNotRunAfterIt) {
    test::TestApplication<QApplication>("task_gate_test");
    for (const bool send : {true, false}) {
        BareWindow window;
        auto gate = std::make_shared<TaskGate>(&window);
        BeforeQueuedTask closeFirst([gate] { gate->Close(); });
        window.GetWidget()->installEventFilter(&closeFirst);
        std::atomic<bool> ran{false};
        std::atomic<bool> done{false};
        std::atomic<bool> reported{true};
        std::thread worker([&] {
            if (send)
                reported = gate->Send([&] { ran = true; });
            else
                gate->Post([&] { ran = true; });
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000));
        QCoreApplication::sendPostedEvents();
        worker.join();
        EXPECT_FALSE(ran) << (send ? "Send" : "Post");
        if (send) {
            EXPECT_FALSE(reported);
        }
        window.GetWidget()->removeEventFilter(&closeFirst);
    }
}

}  // namespace
}  // namespace tirk
