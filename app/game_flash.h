// The game events other programs send ("Game_Start", "Game_End", "Game_Kill",
// "Game_Death"): the selected device shows the lighting mode the event names
// for five seconds, then its own lighting again. The flash is shown, never
// stored: the profile keeps its mode throughout.
#pragma once

namespace tirk {

class IPageServices;
class IProfileTimer;

class CGameFlash {
public:
    /// The main-window timer that ends a flash.
    static constexpr int kRestoreTimer = 1066;
    static constexpr int kFlashMs = 5000;

    CGameFlash(IPageServices& pages, IProfileTimer& timer) : m_pages(pages), m_timer(timer) {}

    /// A game event with `wParam` (0, 1 or 2 flash; anything else only
    /// restarts the timer) and the mode in the low byte of `lParam`.
    void OnGameEvent(int wParam, int lParam);
    /// Timer kRestoreTimer fired: the selected device's stored lighting is
    /// shown and written again.
    void OnRestoreTimer();

private:
    IPageServices& m_pages;
    IProfileTimer& m_timer;
};

}  // namespace tirk
