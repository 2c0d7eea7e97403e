// The lighting synchronisation worker (worker slot 8): while some open device
// has synchronised lighting on, it runs the synchronised effect one step per
// period; otherwise it sleeps, checking once a second. It only blocks on its
// stop event, so stopping wakes it at once.
#pragma once

#include <chrono>
#include <functional>

#include "app/shell/worker_slots.h"

namespace tirk {

/// What the worker asks of the application. Both are called on the worker's
/// thread: they must be thread-safe and must not touch widgets.
struct LightingSyncHooks {
    /// Speed (0..4) of the synchronised effect when some open device (mice,
    /// keyboards, mouse pads, headsets, in this order) has synchronised
    /// lighting on; -1 when none has.
    std::function<int()> synchronised_speed;
    /// Runs one step of the current synchronised effect.
    std::function<void()> run_step;
};

/// One counting tick of the effect periods (the system tick they were made for).
inline constexpr std::chrono::milliseconds kLightingSyncTick{16};
/// How long the worker sleeps when no device has synchronised lighting.
inline constexpr std::chrono::milliseconds kLightingSyncIdle{1000};

/// Ticks per effect step for speeds 0..4 (8, 6, 4, 2, 1); any other speed counts as speed 0.
int LightingSyncPeriodTicks(int speed);

/// The worker's body: loops until `stop` is set (returning at once when it is
/// set already), logs "同步灯光线程设定退出" when it ends.
void RunLightingSyncWorker(StopEvent& stop, const LightingSyncHooks& hooks);

}  // namespace tirk
