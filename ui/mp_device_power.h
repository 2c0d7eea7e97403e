// CMpDevicePowerUI: a device's power indicator below the device list. It is
// the root of its layout (XML/CustomControlXML/MpDevicePower.xml) and shows
// the charge level as text and as a progress bar, the charging state, the
// wireless mark and, for mouse pads that charge a phone, the phone on the
// charger. The device objects hand it their status block.
#pragma once

#include <QPointer>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/container.h"
#include "ui/slider.h"

class CPaintManagerUI;

namespace tirk::ui {

/// How many status bytes the indicator keeps; a block is cut or zero-filled
/// to this length.
inline constexpr size_t kPowerStatusSize = 64;

/// Offsets in the status block.
inline constexpr size_t kPowerLevelByte = 0;     ///< charge level in percent
inline constexpr size_t kPowerStateByte = 1;     ///< 0 full, 1 charging, 2 on battery
inline constexpr size_t kPowerWirelessByte = 3;  ///< non-zero: wireless link
inline constexpr size_t kPowerPhoneByte = 5;     ///< 1 iPhone, 2 Samsung, 3 other

/// The state picture for charging state `state`, empty for a value that
/// changes nothing: 0 "file='power/powered.png'", 1
/// "file='power/powering.png'", 2 "file='power/power.png'".
std::string PowerStateImage(uint8_t state);

/// The phone on the charger: its tooltip key and picture.
struct PhoneLook {
    const char* toolTipKey;  ///< e.g. "Phone_type_samsung"
    const char* image;       ///< e.g. "file='power/Phone_type_samsung.png'"
};
/// 1 iPhone, 2 Samsung, 3 other; any other value: no phone.
PhoneLook PhoneLookOf(uint8_t phone);

}  // namespace tirk::ui

class CMpDevicePowerUI : public CHorizontalLayoutUI {
public:
    /// Where the main window builds power tiles from.
    static constexpr char kLayoutFile[] = "XML\\CustomControlXML\\MpDevicePower.xml";
    static constexpr char kPowerLayoutName[] = "device_power_Layout";
    static constexpr char kValueName[] = "device_power_value";
    static constexpr char kWirelessName[] = "device_wuxian_logo";
    static constexpr char kProgressName[] = "device_Power_progress";
    static constexpr char kStateName[] = "device_power_status";
    static constexpr char kPhoneName[] = "device_phone_type";

    /// Builds a power tile from `file` (relative to the skin folder) with
    /// `manager` (may be nullptr). The root must be a <MpDevicePower>
    /// element; the class is known here whether or not it is registered with
    /// the control factory. Returns the new tile, owned by the caller, or
    /// nullptr with `error` (may be nullptr) set to the problem.
    static CMpDevicePowerUI* CreateFromLayout(const std::string& file, CPaintManagerUI* manager,
                                              std::string* error);

    CMpDevicePowerUI();
    static constexpr char kClassName[] = "MpDevicePower";
    std::string GetClass() const override { return kClassName; }

    /// Remembers the device kind served (1 keyboard, 2 mouse, 3 mouse pad,
    /// 7 headset) and a value given with it.
    void SetKind(int kind, int value);
    int GetKind() const { return m_kind; }
    int GetKindValue() const { return m_kindValue; }

    /// Shows or hides the sub-control "device_power_Layout" (nothing when the
    /// layout lacks it).
    void ShowPowerLayout(bool show);

    /// Takes a status block of `length` bytes (`bytes` may be nullptr when
    /// length is 0; a null block counts as empty). Keeps the first 64 bytes,
    /// zero-filled, then — when all five sub-controls exist — shows the level
    /// as "<n>%" and as progress 100 − level, the wireless mark (keyboards
    /// and mice), the charging state picture and progress visibility, and
    /// the phone on the charger (mouse pads).
    void SetStatus(const uint8_t* bytes, size_t length);
    /// The last status block, zero-filled.
    const std::array<uint8_t, tirk::ui::kPowerStatusSize>& GetStatus() const { return m_status; }
    /// The wireless flag remembered from the last block of a keyboard or mouse.
    bool IsWireless() const { return m_wireless; }

    /// Activates the tile as a click does: sends "selectchanged". false (and
    /// nothing sent) when the tile is disabled or hidden.
    bool Activate();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    /// Looks up the five sub-controls not found yet; true when all exist.
    bool FindParts();
    void ShowLevel();
    void ShowWireless();
    void ShowState();
    void ShowPhone();

    std::array<uint8_t, tirk::ui::kPowerStatusSize> m_status{};
    int m_kind = 0;
    int m_kindValue = 0;
    bool m_wireless = false;
    bool m_pressed = false;
    QPointer<CControlUI> m_value;
    QPointer<CControlUI> m_wirelessMark;
    QPointer<CProgressUI> m_progress;
    QPointer<CControlUI> m_state;
    QPointer<CControlUI> m_phone;
};
