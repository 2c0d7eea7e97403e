// The device object's light colours: the colour buffer, the preview effects
// and the reactive fade.
#include "device/page/usb_device.h"

namespace preview = tirk::preview;

void CTelvorinUSBDevice::SetLightingParams(const preview::LightingParams& params) {
    std::lock_guard lock(m_previewLock);
    m_lighting = params;
}

preview::LightingParams CTelvorinUSBDevice::LightingParams() const {
    std::lock_guard lock(m_previewLock);
    return m_lighting;
}

preview::PreviewState CTelvorinUSBDevice::PreviewState() const {
    std::lock_guard lock(m_previewLock);
    return m_preview;
}

void CTelvorinUSBDevice::SetTickSource(preview::TickSource tick) {
    std::lock_guard lock(m_previewLock);
    m_tick = tick ? std::move(tick) : preview::TickSource(preview::SteadyTickMs);
}

void CTelvorinUSBDevice::SetLedColour(int index, uint8_t red, uint8_t green, uint8_t blue,
                                      uint8_t alpha) {
    std::lock_guard lock(m_previewLock);
    if (index < 0 || 4 * static_cast<size_t>(index) >= m_ledColours.size()) return;
    uint8_t* rgba = &m_ledColours[4 * index];
    rgba[0] = red;
    rgba[1] = green;
    rgba[2] = blue;
    rgba[3] = alpha;
}

uint32_t CTelvorinUSBDevice::GetLedColour(int index) const {
    std::lock_guard lock(m_previewLock);
    if (index < 0 || 4 * static_cast<size_t>(index) >= m_ledColours.size()) return 0;
    const uint8_t* rgba = &m_ledColours[4 * index];
    return rgba[0] | uint32_t{rgba[1]} << 8 | uint32_t{rgba[2]} << 16 | uint32_t{rgba[3]} << 24;
}

void CTelvorinUSBDevice::ShowOnAllLeds(const preview::PreviewFrame& frame) {
    std::lock_guard lock(m_previewLock);
    for (size_t i = 0; i + 3 < m_ledColours.size(); i += 4) {
        m_ledColours[i] = frame.colour.red;
        m_ledColours[i + 1] = frame.colour.green;
        m_ledColours[i + 2] = frame.colour.blue;
        m_ledColours[i + 3] = frame.alpha;
    }
}

// One step on a copy of the values, so the lock is not held while the frame
// is stored (ShowOnAllLeds takes it again).
template <typename StepFn>
void CTelvorinUSBDevice::RunPreview(StepFn step) {
    preview::PreviewFrame frame;
    {
        std::lock_guard lock(m_previewLock);
        frame = step(m_lighting, m_preview);
    }
    ShowOnAllLeds(frame);
}

void CTelvorinUSBDevice::RunPreviewStep() {
    switch (LightingParams().mode) {
        case preview::kEffectBreathing:
            return PreviewBreathing();
        case preview::kEffectFourColourBreathing:
            return PreviewFourColourBreathing();
        case preview::kEffectStatic:
            return PreviewStatic();
        case preview::kEffectSpectrum:
            return PreviewSpectrum();
        case preview::kEffectBlink:
            return PreviewBlink();
        case preview::kEffectFourColourBlink:
            return PreviewFourColourBlink();
        default:
            return PreviewOff();
    }
}

void CTelvorinUSBDevice::PreviewBreathing() {
    RunPreview(preview::BreathingStep);
}

void CTelvorinUSBDevice::PreviewFourColourBreathing() {
    RunPreview(preview::FourColourBreathingStep);
}

void CTelvorinUSBDevice::PreviewStatic() {
    RunPreview([](const preview::LightingParams& p, preview::PreviewState&) {
        return preview::StaticStep(p);
    });
}

void CTelvorinUSBDevice::PreviewSpectrum() {
    RunPreview(preview::SpectrumStep);
}

void CTelvorinUSBDevice::PreviewBlink() {
    RunPreview([this](const preview::LightingParams& p, preview::PreviewState& s) {
        return preview::BlinkStep(p, s, m_tick());
    });
}

void CTelvorinUSBDevice::PreviewFourColourBlink() {
    RunPreview([this](const preview::LightingParams& p, preview::PreviewState& s) {
        return preview::FourColourBlinkStep(p, s, m_tick());
    });
}

void CTelvorinUSBDevice::PreviewOff() {
    ShowOnAllLeds(preview::OffStep());
}

// --- reactive fade -----------------------------------------------------------------

void CTelvorinUSBDevice::ReactiveFadeStep(int key, int mode) {
    std::lock_guard lock(m_previewLock);
    preview::FadeKey(m_reactive, key, mode);
}

void CTelvorinUSBDevice::ReactiveStart() {
    std::lock_guard lock(m_previewLock);
    preview::StartReactive(m_reactive);
}

void CTelvorinUSBDevice::RotateReactiveRing(int right) {
    std::lock_guard lock(m_previewLock);
    preview::RotateRing(m_reactive, right != 0);
}

void CTelvorinUSBDevice::ClearReactiveState() {
    std::lock_guard lock(m_previewLock);
    preview::ClearReactive(m_reactive);
}

preview::ReactiveState CTelvorinUSBDevice::ReactiveState() const {
    std::lock_guard lock(m_previewLock);
    return m_reactive;
}

void CTelvorinUSBDevice::SetReactiveRing(const std::array<uint8_t, preview::kRingLength>& ring) {
    std::lock_guard lock(m_previewLock);
    m_reactive.ring = ring;
}
