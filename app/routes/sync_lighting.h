// Synchronised lighting across devices, on the window's side. The
// "deng_same_mode" route (SyncLightingRoutes) takes the shown device's
// effect into the shared record and puts every connected device into it;
// SyncLightingPreview then animates the previews of the devices that joined,
// from the lighting synchronisation worker. See docs/synchronised-lighting.md.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "app/shell/lighting_sync.h"
#include "app/shell/sync_effects.h"

class CTelvorinFamilyDevice;

namespace tirk {

/// The devices that joined the synchronised lighting, as the worker sees
/// them, and the one stepper of the synchronised effects.
class SyncLightingPreview {
public:
    /// UI thread: `devices` are animated from now on while they stay in the
    /// synchronised lighting; a device already listed is not listed twice.
    /// The devices must outlive the worker (the main window stops its workers
    /// before its pages go).
    void Add(const std::vector<CTelvorinFamilyDevice*>& devices);
    /// Any thread: the shared record's speed while some listed device with an
    /// open channel follows the synchronised lighting; -1 otherwise.
    int SynchronisedSpeed() const;
    /// The worker's thread: one step of the shared record's effect, shown on
    /// every LED of every listed device that follows it.
    void RunStep();
    /// The worker's hooks, holding `preview`.
    static LightingSyncHooks HooksOf(std::shared_ptr<SyncLightingPreview> preview);

private:
    std::vector<CTelvorinFamilyDevice*> Listed() const;

    mutable std::mutex m_lock;  ///< guards m_devices
    std::vector<CTelvorinFamilyDevice*> m_devices;
    SyncEffectStepper m_stepper;  ///< stepped by the worker alone
};

}  // namespace tirk
