// The input hook's backend for sessions without an X display (a Wayland
// session without XWayland): it sees only the input of our own windows.
// While keys are captured they are taken from every widget of the program,
// as the desktop-wide hook takes them from every window; mouse buttons are
// observed and still reach their widget.
#pragma once

#include <memory>

#include "input/input_hook.h"

namespace tirk {

std::unique_ptr<input::IInputHook> MakeInWindowInputHook(input::HookSink sink);

}  // namespace tirk
