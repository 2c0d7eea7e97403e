// The X11 input hook against a real X server (the display ctest runs under,
// Xvfb): captured keys reach the sink and no other window, the lock keys keep
// toggling, buttons reach both the sink and their window, a keyboard held by
// another client refuses the capture, and neither a killed capturing program
// nor a vanished X server leaves the keyboard or the program in trouble.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "input/input_hook.h"
#include "x11_desk.h"

namespace tirk::input {
namespace {

using test::OtherWindow;

int64_t SteadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

/// What the hook handed its sink, with blocking waits for it.
class SinkLog {
public:
    /// A sink that records here; `onKey` also runs for each key, on the hook
    /// thread.
    HookSink Sink(std::function<void(const KeyHookEvent&)> onKey = {}) {
        HookSink sink;
        sink.onKey = [this, onKey](const KeyHookEvent& event) {
            if (onKey) onKey(event);
            Add(m_keys, event);
        };
        sink.onMouse = [this](const MouseHookEvent& event) { Add(m_buttons, event); };
        return sink;
    }

    bool WaitForKeys(size_t count) {
        return WaitFor([&] { return m_keys.size() >= count; });
    }
    bool WaitForButtons(size_t count) {
        return WaitFor([&] { return m_buttons.size() >= count; });
    }
    std::vector<KeyHookEvent> Keys() {
        std::lock_guard lock(m_mutex);
        return m_keys;
    }
    std::vector<MouseHookEvent> Buttons() {
        std::lock_guard lock(m_mutex);
        return m_buttons;
    }

private:
    template <typename Event>
    void Add(std::vector<Event>& events, const Event& event) {
        {
            std::lock_guard lock(m_mutex);
            events.push_back(event);
        }
        m_changed.notify_all();
    }
    template <typename Predicate>
    bool WaitFor(Predicate done) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, test::kEventDeadline, done);
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<KeyHookEvent> m_keys;
    std::vector<MouseHookEvent> m_buttons;
};

struct KeySeen {
    uint32_t message;
    uint32_t xKeycode;
    bool operator==(const KeySeen&) const = default;
};

std::vector<KeySeen> KeysSeen(const std::vector<KeyHookEvent>& events) {
    std::vector<KeySeen> seen;
    for (const KeyHookEvent& event : events) seen.push_back({event.message, event.record.xKeycode});
    return seen;
}

void PrintTo(const KeySeen& key, std::ostream* out) {
    *out << std::hex << "{0x" << key.message << ", " << std::dec << key.xKeycode << "}";
}

/// The shared display, another client's focused window and a hook on it.
class X11InputHookTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display (run under xvfb-run)";
        m_lock.emplace();
        m_other = std::make_unique<OtherWindow>();
        ASSERT_TRUE(m_other->IsOpen()) << "no window on the display, or no XTest";
        MakeHook(m_log.Sink());
    }

    void MakeHook(HookSink sink) {
        std::string why;
        m_hook = MakeX11InputHook(std::move(sink), {}, &why);
        ASSERT_TRUE(m_hook) << why;
    }

    std::optional<test::DisplayLock> m_lock;
    SinkLog m_log;
    std::unique_ptr<OtherWindow> m_other;
    std::unique_ptr<IInputHook> m_hook;
};

TEST_F(X11InputHookTest, CapturedKeysReachTheSinkAndNoOtherWindow) {
    struct Case {
        int xKeycode;
        uint32_t scanCode;
        uint32_t flags;
    };
    const Case cases[] = {
        {test::kKeycodeA, 0x1E, 0},           {test::kKeycodeRightCtrl, 0x1D, 1},
        {test::kKeycodeUp, 0x48, 1},          {test::kKeycodeInsert, 0x52, 1},
        {test::kKeycodeKeypadEnter, 0x1C, 1},
    };
    ASSERT_TRUE(m_hook->Start(true, false));
    EXPECT_TRUE(m_hook->Active());
    EXPECT_TRUE(m_hook->DesktopWide());
    size_t count = 0;
    for (const Case& c : cases) {
        const int64_t before = SteadyMs();
        m_other->TypeKey(c.xKeycode);
        count += 2;
        ASSERT_TRUE(m_log.WaitForKeys(count)) << c.xKeycode;
        const int64_t after = SteadyMs();
        const std::vector<KeyHookEvent> keys = m_log.Keys();
        for (size_t i = count - 2; i < count; ++i) {
            const KeyHookRecord& record = keys[i].record;
            EXPECT_EQ(keys[i].message, i == count - 2 ? kKeyDown : kKeyUp) << c.xKeycode;
            EXPECT_EQ(record.xKeycode, uint32_t(c.xKeycode));
            EXPECT_EQ(record.scanCode, c.scanCode) << c.xKeycode;
            EXPECT_EQ(record.flags, c.flags) << c.xKeycode;
            EXPECT_EQ(record.vkCode, 0u) << c.xKeycode;
            EXPECT_GE(record.timeMs, before) << "not steady_clock milliseconds";
            EXPECT_LE(record.timeMs, after) << "not steady_clock milliseconds";
        }
    }
    // The sink has seen the last release, so the server is done with it: the
    // round trip below brings every event it sent the other window.
    EXPECT_FALSE(test::HasKeyPress(m_other->TakeEvents()));
}

TEST_F(X11InputHookTest, AfterStopTheOtherWindowGetsKeysAgain) {
    m_hook->Stop();  // nothing captured yet: harmless
    ASSERT_TRUE(m_hook->Start(true, true));
    m_hook->Stop();
    EXPECT_FALSE(m_hook->Active());
    m_hook->Stop();
    m_other->TypeKey(test::kKeycodeA);
    EXPECT_TRUE(m_other->WaitForKeyPress(test::kKeycodeA));
    EXPECT_TRUE(m_log.Keys().empty());
}

TEST_F(X11InputHookTest, CapsLockTogglesWhileCaptured) {
    ASSERT_TRUE(m_hook->Start(true, false));
    const bool before = m_other->CapsLockOn();
    m_other->TypeKey(test::kKeycodeCapsLock);
    ASSERT_TRUE(m_log.WaitForKeys(2));
    EXPECT_NE(m_other->CapsLockOn(), before);
    EXPECT_EQ(m_log.Keys()[0].record.vkCode, kVkCapsLock);
    m_other->TypeKey(test::kKeycodeCapsLock);
    ASSERT_TRUE(m_log.WaitForKeys(4));
    EXPECT_EQ(m_other->CapsLockOn(), before);
    EXPECT_FALSE(test::HasKeyPress(m_other->TakeEvents()));
}

// Alt+Tab neither switches windows nor reaches one; the keys pressed and
// released with Alt down, Alt's own included, are "system" keys.
TEST_F(X11InputHookTest, AltMakesSystemKeys) {
    ASSERT_TRUE(m_hook->Start(true, false));
    m_other->PressKey(test::kKeycodeLeftAlt, true);
    m_other->TypeKey(test::kKeycodeTab);
    m_other->PressKey(test::kKeycodeLeftAlt, false);
    m_other->TypeKey(test::kKeycodeA);
    ASSERT_TRUE(m_log.WaitForKeys(6));
    const std::vector<KeySeen> want = {
        {kSysKeyDown, test::kKeycodeLeftAlt}, {kSysKeyDown, test::kKeycodeTab},
        {kSysKeyUp, test::kKeycodeTab},       {kSysKeyUp, test::kKeycodeLeftAlt},
        {kKeyDown, test::kKeycodeA},          {kKeyUp, test::kKeycodeA},
    };
    EXPECT_EQ(KeysSeen(m_log.Keys()), want);
    EXPECT_FALSE(test::HasKeyPress(m_other->TakeEvents()));
}

// The wheel is never reported; every button still reaches the window under
// the pointer; keys are not captured when only the mouse is.
TEST_F(X11InputHookTest, ButtonsReachTheSinkAndTheirWindow) {
    struct Case {
        int button;
        uint32_t down, up;
        uint16_t extraButton;
    };
    const Case cases[] = {
        {1, kLeftButtonDown, kLeftButtonUp, 0},
        {2, kMiddleButtonDown, kMiddleButtonUp, 0},
        {3, kRightButtonDown, kRightButtonUp, 0},
        {4, 0, 0, 0},
        {8, kExtraButtonDown, kExtraButtonUp, kExtraButtonBack},
        {9, kExtraButtonDown, kExtraButtonUp, kExtraButtonForward},
    };
    ASSERT_TRUE(m_hook->Start(false, true));
    m_other->TypeKey(test::kKeycodeA);
    ASSERT_TRUE(m_other->WaitForKeyPress(test::kKeycodeA));
    const int x = m_other->OriginX() + 17, y = m_other->OriginY() + 23;
    m_other->MovePointer(x, y);
    std::vector<MouseHookEvent> want;
    for (const Case& c : cases) {
        m_other->PressButton(c.button, true);
        m_other->PressButton(c.button, false);
        const auto isPress = [&c](const XEvent& e) {
            return e.type == ButtonPress && int(e.xbutton.button) == c.button;
        };
        EXPECT_TRUE(m_other->WaitForEvent(isPress))
            << "button " << c.button << " missed its window";
        if (!c.down) continue;
        for (const uint32_t message : {c.down, c.up}) {
            MouseHookEvent& event = want.emplace_back();
            event.message = message;
            event.record = {x, y, uint32_t(c.extraButton) << 16, 0};
        }
    }
    ASSERT_TRUE(m_log.WaitForButtons(want.size()));
    const std::vector<MouseHookEvent> got = m_log.Buttons();
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].message, want[i].message) << i;
        EXPECT_EQ(got[i].record.x, x) << i;
        EXPECT_EQ(got[i].record.y, y) << i;
        EXPECT_EQ(got[i].record.ExtraButton(), want[i].record.ExtraButton()) << i;
        EXPECT_EQ(got[i].record.mouseData & 0xFFFF, 0u) << i;
    }
    EXPECT_TRUE(m_log.Keys().empty());
}

// A left-handed button map makes the left button "right", as its window
// sees it; the map may change while the mouse is captured.
TEST_F(X11InputHookTest, ButtonsFollowThePointersButtonMap) {
    struct Restore {
        OtherWindow& window;
        ~Restore() { window.SwapPrimaryButtons(false); }
    } restore{*m_other};
    ASSERT_TRUE(m_hook->Start(false, true));
    m_other->MovePointer(m_other->OriginX() + 5, m_other->OriginY() + 5);
    size_t count = 0;
    for (const bool swap : {true, false}) {
        ASSERT_TRUE(m_other->SwapPrimaryButtons(swap));
        m_other->PressButton(1, true);
        m_other->PressButton(1, false);
        count += 2;
        ASSERT_TRUE(m_log.WaitForButtons(count)) << swap;
        EXPECT_EQ(m_log.Buttons()[count - 2].message, swap ? kRightButtonDown : kLeftButtonDown);
        EXPECT_EQ(m_log.Buttons()[count - 1].message, swap ? kRightButtonUp : kLeftButtonUp);
    }
}

TEST_F(X11InputHookTest, StartFailsWhileAnotherClientHoldsTheKeyboard) {
    ASSERT_TRUE(m_hook->Start(false, true));
    ASSERT_TRUE(m_other->GrabKeyboard());
    EXPECT_FALSE(m_hook->Start(true, true));
    EXPECT_FALSE(m_hook->Active()) << "a refused Start keeps the earlier mouse capture";
    // A click now is not captured: the first button the sink sees is the
    // right one, clicked after the next Start.
    m_other->MovePointer(m_other->OriginX() + 5, m_other->OriginY() + 5);
    m_other->PressButton(1, true);
    m_other->PressButton(1, false);
    ASSERT_TRUE(m_other->WaitForEvent([](const XEvent& e) { return e.type == ButtonRelease; }));
    m_other->UngrabKeyboard();
    ASSERT_TRUE(m_hook->Start(true, true));
    m_other->PressButton(3, true);
    m_other->PressButton(3, false);
    m_other->TypeKey(test::kKeycodeA);
    ASSERT_TRUE(m_log.WaitForKeys(2));
    ASSERT_TRUE(m_log.WaitForButtons(2));
    EXPECT_EQ(m_log.Buttons()[0].message, kRightButtonDown);
}

// Held on the program's own window, the keyboard leaves that window its
// focus: X sends it a focus-out and at once a focus-in, which toolkits take
// as no change. Held elsewhere, the focused window loses the focus (and a
// page that stops capturing when its edit loses the focus would stop at once).
TEST_F(X11InputHookTest, KeysHeldOnTheOwnWindowLeaveItsFocus) {
    for (const bool own : {false, true}) {
        m_hook->SetOwnWindow(own ? m_other->Id() : 0);
        ASSERT_TRUE(m_hook->Start(true, false));
        m_other->TypeKey(test::kKeycodeA);
        ASSERT_TRUE(m_log.WaitForKeys(own ? 4 : 2));
        const std::vector<XEvent> events = m_other->TakeEvents();
        EXPECT_FALSE(test::HasKeyPress(events)) << own;
        EXPECT_EQ(test::LastFocusChange(events), own ? FocusIn : FocusOut) << own;
        m_hook->Stop();
    }
}

// The server lets go of a grab whose window is unmapped (minimised) or
// destroyed: the keyboard then stays held, on a window of the hook's own.
TEST_F(X11InputHookTest, AnOwnWindowThatGoesAwayLeavesTheKeyboardHeld) {
    size_t count = 0;
    for (const bool destroy : {false, true}) {
        auto program = std::make_unique<OtherWindow>();  // plays the program's window
        OtherWindow focused;                             // takes the focus
        ASSERT_TRUE(program->IsOpen() && focused.IsOpen());
        m_hook->SetOwnWindow(program->Id());
        ASSERT_TRUE(m_hook->Start(true, false));
        ASSERT_TRUE(focused.WaitForEvent(OtherWindow::IsFocus(FocusOut, NotifyGrab)));
        if (destroy)
            program.reset();
        else
            ASSERT_TRUE(program->Unmap());
        ASSERT_TRUE(focused.WaitForEvent(OtherWindow::IsFocus(FocusIn, NotifyUngrab)));
        EXPECT_TRUE(focused.WaitForEvent(OtherWindow::IsFocus(FocusOut, NotifyGrab)))
            << "the keyboard was not taken again; destroyed: " << destroy;
        focused.TypeKey(test::kKeycodeA);
        count += 2;
        ASSERT_TRUE(m_log.WaitForKeys(count)) << destroy;
        EXPECT_FALSE(test::HasKeyPress(focused.TakeEvents())) << destroy;
        m_hook->Stop();
    }
}

// An own window that is unmapped, or no window at all: Start holds the
// keyboard on the hook's window (a protocol error on its connection ends
// nothing).
TEST_F(X11InputHookTest, StartHoldsTheKeyboardWhenTheOwnWindowCannot) {
    OtherWindow program;
    ASSERT_TRUE(program.IsOpen() && program.Unmap());
    OtherWindow focused;
    ASSERT_TRUE(focused.IsOpen());
    size_t count = 0;
    for (const Window own : {program.Id(), Window(0x7ffffff0)}) {
        m_hook->SetOwnWindow(own);
        ASSERT_TRUE(m_hook->Start(true, false)) << own;
        focused.TypeKey(test::kKeycodeTab);
        count += 2;
        ASSERT_TRUE(m_log.WaitForKeys(count)) << own;
        EXPECT_FALSE(test::HasKeyPress(focused.TakeEvents())) << own;
        m_hook->Stop();
    }
}

// A receiver may end the capture from the sink, on the hook thread.
TEST_F(X11InputHookTest, TheSinkCanStopTheCapture) {
    MakeHook(m_log.Sink([this](const KeyHookEvent&) { m_hook->Stop(); }));
    ASSERT_TRUE(m_hook->Start(true, false));
    m_other->TypeKey(test::kKeycodeA);
    ASSERT_TRUE(m_log.WaitForKeys(1));
    EXPECT_FALSE(m_hook->Active());
    m_other->TypeKey(test::kKeycodeTab);
    EXPECT_TRUE(m_other->WaitForKeyPress(test::kKeycodeTab));
}

// X ends the grabs of a client that goes away: a capturing program that is
// killed leaves the keyboard to the desktop.
TEST_F(X11InputHookTest, KilledCapturingProgramGivesTheKeyboardBack) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    const std::string holder = std::string(TIRK_BIN_DIR) + "/tirk_input_hook_holder";
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::execl(holder.c_str(), holder.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    const std::string said = test::ReadLine(fds[0]);
    ::close(fds[0]);
    ASSERT_EQ(said, "ready") << holder;
    EXPECT_FALSE(m_other->GrabKeyboard()) << "the holder does not hold the keyboard";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(m_other->WaitForEvent(OtherWindow::IsFocus(FocusIn, NotifyUngrab)))
        << "the grab did not end";
    m_other->TypeKey(test::kKeycodeA);
    EXPECT_TRUE(m_other->WaitForKeyPress(test::kKeycodeA));
    EXPECT_TRUE(m_other->GrabKeyboard());
    m_other->UngrabKeyboard();
}

// The hook's own X server going away ends the capture, not the program
// (Xlib's default answer to a lost connection is exit()).
TEST(X11InputHookLossTest, ALostServerEndsTheCaptureNotTheProgram) {
    test::PrivateXServer server;
    if (server.Name().empty()) GTEST_SKIP() << "Xvfb could not be started";
    SinkLog log;
    std::string why;
    std::unique_ptr<IInputHook> hook = MakeX11InputHook(log.Sink(), server.Name(), &why);
    ASSERT_TRUE(hook) << why;
    ASSERT_TRUE(hook->Start(true, true));
    server.Kill();
    EXPECT_FALSE(hook->Start(true, false));
    EXPECT_FALSE(hook->Active());
    hook->Stop();
    hook.reset();
}

TEST(X11InputHookLossTest, NoDisplayGivesNoHookAndSaysWhy) {
    std::string why;
    EXPECT_FALSE(MakeX11InputHook({}, ":4093", &why));
    EXPECT_NE(why.find(":4093"), std::string::npos) << why;

    const char* display = std::getenv("DISPLAY");
    const std::string saved = display ? display : "";
    ::unsetenv("DISPLAY");
    why.clear();
    EXPECT_FALSE(MakeX11InputHook({}, {}, &why));
    EXPECT_NE(why.find("DISPLAY"), std::string::npos) << why;
    if (display) ::setenv("DISPLAY", saved.c_str(), 1);
}

}  // namespace
}  // namespace tirk::input
