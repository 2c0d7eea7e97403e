// The mouse's lighting preview: a thread of its own runs the step of the
// profile's lighting mode once per period into the colour buffer, which the
// tile's preview timer paints on the picture's LEDs. The thread sleeps on a
// condition variable between steps, and without a deadline while the mouse
// is away or nobody can see the picture.
#include <algorithm>

#include "device/family/mouse_device.h"
#include "profile/mouse_profiledata.h"

namespace preview = tirk::preview;

namespace {

constexpr int kReactiveMode = 6;

}  // namespace

void CTelvorinMouseDevice::UpdatePreviewParams() {
    const tirk::LightInfoRecord light = Profile().GetLightInfo();
    const preview::MouseStepPlan plan = preview::MouseStepOf(light.selectItem, light.speed);
    preview::LightingParams params;
    params.mode = plan.effect;
    params.level = light.light;
    params.speed = light.speed;
    params.direction = light.fx;
    params.colourful = light.multiColor;
    params.red = light.red;
    params.green = light.green;
    params.blue = light.blue;
    SetLightingParams(params);
    m_previewMode.store(light.selectItem);
    m_previewThread.Wake();
}

// A hidden window draws no picture, so the steps that would feed it rest
// too (as the keyboard's preview does).
void CTelvorinMouseDevice::OnDriveFlagsChanged() {
    m_previewWanted.store(LightControl() != 0 && PollingPaused() == 0);
    m_previewThread.Wake();
}

CTelvorinMouseDevice::PreviewTime CTelvorinMouseDevice::RunPreviewPass(PreviewTime now) {
    const bool mouseThere = Channel().IsOpen() && Channel().Pause() == 0;
    if (!mouseThere || !m_previewWanted.load())
        return tirk::lighting::LightingScheduler::kNoDeadline;
    const preview::LightingParams params = LightingParams();
    const int mode = m_previewMode.load();
    const preview::MouseStepPlan plan = preview::MouseStepOf(mode, params.speed);
    if (plan.kind == preview::MouseStepKind::kNone)
        return tirk::lighting::LightingScheduler::kNoDeadline;
    if (plan.kind == preview::MouseStepKind::kDeviceEffect)
        RunPreviewStep();
    else
        RunMouseStep(plan.kind, params, mode);
    m_previewSteps.fetch_add(1);
    // Every change of what the steps draw from wakes the thread, so a mode
    // that shows the same colours at every step rests after one.
    if (!preview::ChangesOverTime(plan)) return tirk::lighting::LightingScheduler::kNoDeadline;
    return now + plan.periodTicks * kPreviewTick;
}

void CTelvorinMouseDevice::RunMouseStep(preview::MouseStepKind kind,
                                        const preview::LightingParams& params, int mode) {
    preview::MouseLeds leds;
    {
        std::lock_guard lock(m_mousePreviewLock);
        switch (kind) {
            case preview::MouseStepKind::kWave:
                preview::MouseWaveStep(params, m_mousePreview);
                break;
            case preview::MouseStepKind::kFlow:
                preview::MouseFlowStep(params, mode, m_mousePreview);
                break;
            default:
                preview::MouseReactiveStep(params, m_mousePreview);
                break;
        }
        leds = m_mousePreview.leds;
    }
    for (int led = 0; led < preview::kMouseLedCount; ++led) {
        const preview::PreviewFrame& frame = leds[size_t(led)];
        SetLedColour(led, frame.colour.red, frame.colour.green, frame.colour.blue, frame.alpha);
    }
}

void CTelvorinMouseDevice::TriggerReactivePreview() {
    if (m_previewMode.load() != kReactiveMode) return;
    {
        std::lock_guard lock(m_mousePreviewLock);
        preview::TriggerMouseReactive(
            m_mousePreview, [this] { return uint8_t(m_reactiveHues() % preview::kWheelLength); });
    }
    m_previewThread.Wake();
}
