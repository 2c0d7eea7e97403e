// The keyboard's system page: the key flags, the report rate and the key
// repeat settings, kept in the profile's "SystemStages".
#include "device/family/keyboard_device.h"

tirk::keyboard::SystemSettings CTelvorinKeyboardDevice::SystemSettings() {
    return {};
}

void CTelvorinKeyboardDevice::StoreSystemSettings(const tirk::keyboard::SystemSettings&) {}

void CTelvorinKeyboardDevice::RefreshSystemPage() {}
