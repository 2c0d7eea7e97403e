// "deng_same_mode": the shown device's lighting becomes the synchronised
// lighting of every connected device. Its effect is taken into the shared
// record; every connected device joins, takes its own family's mode for the
// effect with the record's bytes, and stores, saves and sends them.
#include <algorithm>
#include <array>

#include "app/page_router.h"
#include "app/routes/sync_lighting.h"
#include "device/family/family_devices.h"
#include "profile/panel/light_control.h"

namespace tirk {
namespace {

void JoinSyncLighting(CTelvorinFamilyDevice& device, const SyncLightingRecord& record) {
    device.JoinSyncLighting();
    const LightInfoRecord values =
        SyncedLightValues(device.FamilyCode(), record, device.GetLightValues());
    if (CLightControlUI* page = device.LightPage()) page->SetLightValues(values);
    CommitLightValues(device, values);
}

void SynchroniseLighting(RouteCall& call) {
    SyncLightingRecord record = SharedSyncLighting().Load();
    if (!TakeSyncLighting(call.device.FamilyCode(), call.device.GetLightValues(), record)) return;
    // Stored before any device joins: the worker starts stepping as soon as
    // it sees a flag set.
    SharedSyncLighting().Store(record);
    const std::vector<CTelvorinFamilyDevice*> devices = call.services.ConnectedDevices();
    for (CTelvorinFamilyDevice* device : devices) JoinSyncLighting(*device, record);
    call.services.AnimateSyncLighting(devices);
}

constexpr std::array kRoutes{
    PageRoute{"click", "deng_same_mode", false, SynchroniseLighting},
};

}  // namespace

std::span<const PageRoute> SyncLightingRoutes() {
    return kRoutes;
}

// ---- the previews ----

void SyncLightingPreview::Add(const std::vector<CTelvorinFamilyDevice*>& devices) {
    std::lock_guard lock(m_lock);
    for (CTelvorinFamilyDevice* device : devices)
        if (std::find(m_devices.begin(), m_devices.end(), device) == m_devices.end())
            m_devices.push_back(device);
}

std::vector<CTelvorinFamilyDevice*> SyncLightingPreview::Listed() const {
    std::lock_guard lock(m_lock);
    return m_devices;
}

int SyncLightingPreview::SynchronisedSpeed() const {
    for (CTelvorinFamilyDevice* device : Listed())
        if (device->SyncOn() && device->Channel().IsOpen())
            return SharedSyncLighting().Load().speed;
    return -1;
}

void SyncLightingPreview::RunStep() {
    const SyncColour colour =
        m_stepper.Step(SharedSyncLighting().Load(), SyncEffectStepper::Clock::now());
    for (CTelvorinFamilyDevice* device : Listed()) {
        if (!device->SyncOn()) continue;
        for (int led = 0; led < device->LedCount(); ++led)
            device->SetLedColour(led, colour.red, colour.green, colour.blue, colour.alpha);
    }
}

LightingSyncHooks SyncLightingPreview::HooksOf(std::shared_ptr<SyncLightingPreview> preview) {
    return {[preview] { return preview->SynchronisedSpeed(); }, [preview] { preview->RunStep(); }};
}

}  // namespace tirk
