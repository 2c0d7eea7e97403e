#include "app/shell/lighting_sync.h"

#include "core/log.h"

namespace tirk {

int LightingSyncPeriodTicks(int speed) {
    static constexpr int kTicks[] = {8, 6, 4, 2, 1};
    return speed >= 0 && speed < 5 ? kTicks[speed] : kTicks[0];
}

void RunLightingSyncWorker(StopEvent& stop, const LightingSyncHooks& hooks) {
    for (;;) {
        const int speed = hooks.synchronised_speed ? hooks.synchronised_speed() : -1;
        const auto wait =
            speed < 0 ? kLightingSyncIdle : kLightingSyncTick * LightingSyncPeriodTicks(speed);
        if (stop.WaitFor(wait)) break;
        if (speed >= 0 && hooks.run_step) hooks.run_step();
    }
    log::Line("同步灯光线程设定退出");
}

}  // namespace tirk
