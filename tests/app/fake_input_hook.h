// An input-hook backend that captures nothing by itself: tests feed it the
// events a user would make and read what capture it was asked for.
#pragma once

#include <memory>
#include <vector>

#include "input/input_hook.h"

namespace tirk::page_test {

class FakeInputHook : public input::IInputHook {
public:
    /// What the test sees of the backend; outlives it.
    struct State {
        input::HookSink sink;
        bool keys = false;
        bool mouse = false;
        bool refuseKeys = false;  ///< Start(keys) fails: another program holds the keyboard
        int starts = 0;
        int stops = 0;
        bool desktopWide = true;

        void Key(uint32_t message, uint8_t scanCode, bool extended = false, int64_t timeMs = 0) {
            input::KeyHookEvent event;
            event.message = message;
            event.record.scanCode = scanCode;
            event.record.flags = extended ? 1 : 0;
            event.record.timeMs = timeMs;
            if (sink.onKey) sink.onKey(event);
        }
        void Button(uint32_t message, int x, int y, uint16_t extra = 0, int64_t timeMs = 0) {
            input::MouseHookEvent event;
            event.message = message;
            event.record = {x, y, uint32_t(extra) << 16, timeMs};
            if (sink.onMouse) sink.onMouse(event);
        }
    };

    explicit FakeInputHook(std::shared_ptr<State> state) : m_state(std::move(state)) {}

    bool Start(bool keys, bool mouse) override {
        ++m_state->starts;
        if (keys && m_state->refuseKeys) return false;
        m_state->keys = keys;
        m_state->mouse = mouse;
        return true;
    }
    void Stop() override {
        ++m_state->stops;
        m_state->keys = m_state->mouse = false;
    }
    bool Active() const override { return m_state->keys || m_state->mouse; }
    bool DesktopWide() const override { return m_state->desktopWide; }

    /// A factory for CDeviceHook / CMainWnd::SetInputHookFactory that hands
    /// every backend it makes `state`.
    static auto Factory(std::shared_ptr<State> state) {
        return [state](input::HookSink sink) -> std::unique_ptr<input::IInputHook> {
            state->sink = std::move(sink);
            return std::make_unique<FakeInputHook>(state);
        };
    }

private:
    std::shared_ptr<State> m_state;
};

}  // namespace tirk::page_test
