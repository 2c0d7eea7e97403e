// The mouse's pointer page: the DPI stages (active stage, on/off, value by
// slider or typed, colour), the pointer values and the settings tabs. A
// change the mouse keeps in its settings is sent; the pointer values are the
// profile's only.
#include <string>

#include "app/page_router.h"
#include "device/family/mouse_device.h"
#include "ui/button.h"
#include "ui/slider.h"

namespace tirk {
namespace {

using Mouse = CTelvorinMouseDevice;

Mouse* MouseOf(RouteCall& call) {
    return dynamic_cast<Mouse*>(&call.device);
}

/// Runs `change` on the mouse; sends its settings when the change says so.
template <typename Change>
void ChangeStage(RouteCall& call, Change change) {
    Mouse* mouse = MouseOf(call);
    if (mouse && change(*mouse)) SendDeviceSettings(*mouse);
}

void OnStageSelected(RouteCall& call) {
    if (!BecameSelected(call)) return;
    ChangeStage(call, [&](Mouse& mouse) { return mouse.SelectDpiStage(call.index); });
}

void OnStageEnabled(RouteCall& call) {
    const std::optional<bool> on = OptionState(call);
    if (!on) return;
    ChangeStage(call, [&](Mouse& mouse) { return mouse.EnableDpiStage(call.index, *on); });
}

void OnStageSlider(RouteCall& call) {
    auto* slider = dynamic_cast<CSliderUI*>(call.msg.pSender);
    if (!slider) return;
    ChangeStage(call, [&](Mouse& mouse) {
        return mouse.SetDpiStageSlider(call.index, slider->GetValue());
    });
}

/// While the slider is dragged the stage's edit follows it; nothing is stored.
void OnStageSliderMoving(RouteCall& call) {
    auto* slider = dynamic_cast<CSliderUI*>(call.msg.pSender);
    Mouse* mouse = MouseOf(call);
    if (!slider || !mouse) return;
    if (CControlUI* edit = mouse->FindSubControl(Mouse::kDpiEdit + std::to_string(call.index)))
        edit->SetText(std::to_string(mouse->DpiOfSlider(slider->GetValue())));
}

void OnStageTyped(RouteCall& call) {
    const std::string text = call.msg.pSender->GetText();
    ChangeStage(call, [&](Mouse& mouse) { return mouse.SetDpiStageText(call.index, text); });
}

void OnStageColour(RouteCall& call) {
    const std::optional<uint32_t> colour = call.services.PickColour(call.msg.pSender->GetBkColor());
    if (!colour) return;
    ChangeStage(call, [&](Mouse& mouse) { return mouse.SetDpiStageColour(call.index, *colour); });
}

void OnPointerValue(RouteCall& call) {
    if (Mouse* mouse = MouseOf(call)) mouse->StorePointerValues();
}

void OnSettingsTab(RouteCall& call) {
    if (!BecameSelected(call)) return;
    if (Mouse* mouse = MouseOf(call)) mouse->SelectSettingsTab(call.index);
}

constexpr PageRoute kRoutes[] = {
    {notify_type::kSelectChanged, Mouse::kDpiSelect, true, OnStageSelected},
    {notify_type::kSelectChanged, Mouse::kDpiEnable, true, OnStageEnabled},
    {notify_type::kValueChanged, Mouse::kDpiSlider, true, OnStageSlider},
    {notify_type::kMoveValueChanged, Mouse::kDpiSlider, true, OnStageSliderMoving},
    {notify_type::kKillFocus, Mouse::kDpiEdit, true, OnStageTyped},
    {notify_type::kReturn, Mouse::kDpiEdit, true, OnStageTyped},
    {notify_type::kClick, Mouse::kDpiColour, true, OnStageColour},
    {notify_type::kSelectChanged, Mouse::kPointerPrecisionCheck, false, OnPointerValue},
    {notify_type::kSelectChanged, Mouse::kScrollPageCheck, false, OnPointerValue},
    {notify_type::kValueChanged, Mouse::kPointerSpeedSlider, false, OnPointerValue},
    {notify_type::kValueChanged, Mouse::kScrollSpeedSlider, false, OnPointerValue},
    {notify_type::kValueChanged, Mouse::kDoubleClickSlider, false, OnPointerValue},
    {notify_type::kSelectChanged, Mouse::kSettingsOption, true, OnSettingsTab},
};

}  // namespace

std::span<const PageRoute> MouseRoutes() {
    return kRoutes;
}

}  // namespace tirk
