#include "app/in_window_hook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QObject>

#include <chrono>
#include <optional>

namespace tirk {
namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int XButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton: return 1;
        case Qt::MiddleButton: return 2;
        case Qt::RightButton: return 3;
        case Qt::BackButton: return 8;
        case Qt::ForwardButton: return 9;
        default: return 0;
    }
}

class InWindowHook final : public QObject, public input::IInputHook {
public:
    explicit InWindowHook(input::HookSink sink) : m_sink(std::move(sink)) {}
    ~InWindowHook() override { Stop(); }

    bool Start(bool keys, bool mouse) override {
        Stop();
        m_keys = keys;
        m_mouse = mouse;
        if (m_keys || m_mouse) qApp->installEventFilter(this);
        return true;
    }
    void Stop() override {
        if (m_keys || m_mouse) qApp->removeEventFilter(this);
        m_keys = m_mouse = false;
    }
    bool Active() const override { return m_keys || m_mouse; }
    bool DesktopWide() const override { return false; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // A widget's event arrives once for the widget and once for its
        // window: take it where it is meant for.
        if (!watched->isWidgetType()) return false;
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
                return m_keys && TakeKey(static_cast<QKeyEvent&>(*event));
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:  // the second press of a double click
            case QEvent::MouseButtonRelease:
                if (m_mouse) ObserveButton(static_cast<QMouseEvent&>(*event));
                return false;
            default:
                return false;
        }
    }

private:
    bool TakeKey(QKeyEvent& key) {
        if (key.type() == QEvent::ShortcutOverride) return true;  // no shortcut fires
        // A held key repeats as release-press pairs; a keyboard sends one press.
        if (key.isAutoRepeat()) return true;
        const bool press = key.type() == QEvent::KeyPress;
        const int keycode = int(key.nativeScanCode());
        const bool alt = key.modifiers() & Qt::AltModifier;
        if (std::optional<input::KeyHookEvent> hooked =
                input::KeyEventOfXKeycode(keycode, press, alt, NowMs());
            hooked && m_sink.onKey)
            m_sink.onKey(*hooked);
        return true;
    }
    void ObserveButton(QMouseEvent& mouse) {
        const auto message = input::ButtonMessageOfXButton(
            XButtonOf(mouse.button()), mouse.type() != QEvent::MouseButtonRelease);
        if (!message || !m_sink.onMouse) return;
        input::MouseHookEvent hooked;
        hooked.message = message->message;
        const QPoint at = mouse.globalPosition().toPoint();
        hooked.record = {at.x(), at.y(), uint32_t(message->extraButton) << 16, NowMs()};
        m_sink.onMouse(hooked);
    }

    input::HookSink m_sink;
    bool m_keys = false;
    bool m_mouse = false;
};

}  // namespace

std::unique_ptr<input::IInputHook> MakeInWindowInputHook(input::HookSink sink) {
    return std::make_unique<InWindowHook>(std::move(sink));
}

}  // namespace tirk
