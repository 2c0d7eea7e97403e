// The page command router: a notification from a device page (its type and
// the sending control's name) picks one row of a table, and the row's handler
// acts on the device whose page is shown. Names match exactly or as an indexed
// prefix ("color_option_" + N), without regard to case. Each area of the pages contributes its own
// table (app/routes/); a later family adds rows, not code paths.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/desktop_settings.h"
#include "profile/profile_records.h"
#include "ui/ui_base.h"

class CTelvorinFamilyDevice;

namespace tirk {

enum class FileDialogKind { kOpen, kSave };

/// What the routes need of the main window.
class IPageServices {
public:
    virtual ~IPageServices() = default;
    /// The device whose page is shown; nullptr when none.
    virtual CTelvorinFamilyDevice* CurrentDevice() = 0;
    /// Shows the language text `textKey` ("%s" filled with `detail`) in the
    /// message window, with an OK button.
    virtual void ShowMessage(const std::string& textKey, const std::string& detail = {}) = 0;
    /// Asks the question of language text `textKey` with OK and Cancel; true for OK.
    virtual bool Ask(const std::string& textKey) = 0;
    /// The devices whose tiles are connected: keyboards, then mice, mouse
    /// pads and headsets. None unless the window lists devices.
    virtual std::vector<CTelvorinFamilyDevice*> ConnectedDevices() { return {}; }
    /// `devices` joined the synchronised lighting: their previews show its
    /// effect from now on, for as long as each stays in it.
    virtual void AnimateSyncLighting(const std::vector<CTelvorinFamilyDevice*>& /*devices*/) {}
    /// Shows the open or save file dialog with the name filter `filter`
    /// ("Macro Files(*.mac)"); a save adds `suffix` when the name has none.
    /// The chosen path, or empty when the user cancelled.
    virtual std::string ChooseFile(FileDialogKind /*kind*/, const std::string& /*filter*/,
                                   const std::string& /*suffix*/) {
        return {};
    }
    /// Starts (`enable`) capture of kind `kind` through the input hook, or
    /// ends every capture, and sets the pending-changes state with the
    /// selectors (recording locks the device and profile selectors).
    virtual void SetHook(int /*kind*/, bool /*enable*/) {}
    /// True when the input hook sees the whole desktop; false when it sees
    /// only our own window (the pages say so).
    virtual bool HookDesktopWide() const { return true; }
    /// Opens the pop-up menu of layout file `layoutFile` at the cursor (an
    /// open menu closes first); the chosen item reaches the main window's
    /// menu command, which hands the macro page's items to RouteMacroMenuItem.
    virtual void OpenPopupMenu(const std::string& /*layoutFile*/) {}
    /// Shows the colour picker at `start` (0xAARRGGBB); the chosen colour, or
    /// nullopt when the user closed it.
    virtual std::optional<uint32_t> PickColour(uint32_t /*start*/) { return std::nullopt; }
    /// Opens the desktop's own keyboard or mouse settings; false when the
    /// desktop has no settings program for it.
    virtual bool OpenDesktopSettings(DesktopSettingsPage /*page*/) { return false; }
};

/// One routed notification.
struct RouteCall {
    TNotifyUI& msg;
    IPageServices& services;
    CTelvorinFamilyDevice& device;
    int index = -1;  ///< the number of an indexed name, −1 for an exact one
};

using RouteHandler = void (*)(RouteCall& call);

/// A row: notification type, control name (or name prefix), handler.
struct PageRoute {
    const char* type;
    const char* name;
    bool indexed;  ///< `name` is a prefix followed by a decimal number
    RouteHandler handler;
};

class CPageRouter {
public:
    /// Adds a table's rows; a later row for the same type and name replaces
    /// the earlier one.
    void AddRoutes(std::span<const PageRoute> routes);
    /// Runs the row of `msg` on the current device. True when a row matched
    /// (even without a current device, so that nothing else takes the page's
    /// notification).
    bool Route(TNotifyUI& msg, IPageServices& services) const;
    /// The row `msg` matches, with its index; nullptr when none.
    const PageRoute* Find(const std::string& type, const std::string& name, int& index) const;

private:
    using Key = std::pair<std::string, std::string>;
    std::map<Key, const PageRoute*> m_exact;
    std::map<Key, const PageRoute*> m_indexed;
};

/// The sending option's state; nullopt when the sender is no option.
std::optional<bool> OptionState(const RouteCall& call);
/// Option groups send "selectchanged" for the option left as well; only the
/// one that became selected acts.
bool BecameSelected(const RouteCall& call);
/// Writes the device's settings record (slot 0, the primary screen's size):
/// the end of every change the device keeps in its settings.
void SendDeviceSettings(CTelvorinFamilyDevice& device);

/// Stores the lighting values in the device's profile, saves it, applies
/// it and sends it: the end of every lighting change.
void CommitLightValues(CTelvorinFamilyDevice& device, const LightInfoRecord& values);

/// Sends the macros the key assignments use and the key table, then saves
/// the profile: the end of the key-binding page's "save to device" and of a
/// macro removal that changed bindings. False when the macros do not fit or
/// the profile could not be written (the user was told either way), so the
/// changes stay pending.
bool ApplyKeysToDevice(CTelvorinFamilyDevice& device, IPageServices& services);

/// The tables of the areas of the pages.
std::span<const PageRoute> FeatureTabRoutes();
std::span<const PageRoute> LightingRoutes();
std::span<const PageRoute> KeyAssignmentRoutes();
std::span<const PageRoute> DeviceRoutes();
std::span<const PageRoute> KeyboardRoutes();
std::span<const PageRoute> SyncLightingRoutes();
std::span<const PageRoute> MacroRoutes();
/// Ends the recording of `device`'s macro page: the page is unlocked and
/// saves its rows (a failure is told), the capture ends and the key
/// bindings show changes to send.
void EndMacroRecording(CTelvorinFamilyDevice& device, IPageServices& services);
/// A pop-up menu item of the macro page (recording before or after a row,
/// replacing a key, inserting a mouse button); false when `item` is none of
/// them.
bool RouteMacroMenuItem(const std::string& item, IPageServices& services);
std::span<const PageRoute> RecoilRoutes();
std::span<const PageRoute> MouseRoutes();

}  // namespace tirk
