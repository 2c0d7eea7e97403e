// Captures keys and buttons through the input hook until it is killed, and
// says "ready" on stdout once the keyboard is held ("refused" when it is
// not). The input hook's tests kill it to see the keyboard come back.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "input/input_hook.h"

int main() {
    std::string why;
    std::unique_ptr<tirk::input::IInputHook> hook = tirk::input::MakeX11InputHook({}, {}, &why);
    if (!hook || !hook->Start(true, true)) {
        std::printf("refused %s\n", why.c_str());
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) ::pause();
}
