// The four device families as the device list builds them. Each family class
// fixes its family code and layout class name and runs the steps every family
// shares at this stage (profile panel, status poll, link check); the family
// protocols (settings records, key tables, lighting) build on these classes.
#pragma once

#include "device/page/usb_device.h"

/// Runs the steps the families share; the families differ in their codes only.
class CTelvorinFamilyDevice : public CTelvorinUSBDevice {
public:
    /// The layout element every family page's root derives from.
    static constexpr char kClassName[] = "TelvorinUSBDevice";
    /// The profile bar every page includes.
    static constexpr char kProfilePanelName[] = "device_profile";

    /// 13: the first synchronisation: the profile panel and the active profile.
    void StartDevice() override;
    /// 17: reads the status block and shows it on the power indicator.
    void PollPowerStatus() override;
    /// 18: 1 when the link is up (always on the cable).
    int IsOnline() override;
    /// The wired or wireless notification interface for candidate type `type`.
    bool OpenNotificationChannel(int type, const std::string& path);
    bool CloseNotificationChannel(int type);
    /// True for the types that reach the device through a receiver (6, 9).
    static bool IsReceiverType(int type);
    /// Synchronised lighting is offered only while more than one device is
    /// shown; withdrawing it also switches it off.
    void SetSyncOffered(bool offered);
    bool SyncOffered() const { return m_syncOffered; }
    bool SyncOn() const { return m_syncOn; }

protected:
    explicit CTelvorinFamilyDevice(int32_t familyCode);
    /// Sets up the page's profile panel for the device type and takes its
    /// active profile as the profile file base name.
    void SetUpProfilePanel();

private:
    bool m_syncOffered = false;
    bool m_syncOn = false;
};

class CTelvorinMouseDevice : public CTelvorinFamilyDevice {
public:
    CTelvorinMouseDevice() : CTelvorinFamilyDevice(kFamilyMouse) {}
    std::string GetClass() const override { return "TelvorinMouseDevice"; }
    std::string ListenerExitText() const override { return "MS 设备同步线程设定退出"; }
};

class CTelvorinKeyboardDevice : public CTelvorinFamilyDevice {
public:
    CTelvorinKeyboardDevice() : CTelvorinFamilyDevice(kFamilyKeyboard) {}
    std::string GetClass() const override { return "TelvorinKeyboardDevice"; }
};

class CTelvorinMousePadDevice : public CTelvorinFamilyDevice {
public:
    CTelvorinMousePadDevice() : CTelvorinFamilyDevice(kFamilyMousePad) {}
    std::string GetClass() const override { return "TelvorinMousePadDevice"; }
};

class CTelvorinHS6533Device : public CTelvorinFamilyDevice {
public:
    CTelvorinHS6533Device() : CTelvorinFamilyDevice(kFamilyHeadset) {}
    std::string GetClass() const override { return "TelvorinHS6533Device"; }
};
