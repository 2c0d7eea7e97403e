// CDeviceOptionUI: one device's tile in the main window's device list. It is
// the root of its layout (XML/CustomControlXML/DeviceOption.xml) and holds the
// option that selects the device ("device_select"), the device's name
// ("device_select_name") and the lighting synchronisation check box
// ("synchro_device_select"). The tile knows which device page and which power
// tile belong to it; the main window shows them.
#pragma once

#include <QPointer>
#include <functional>
#include <string>

#include "device/page/device_tile.h"
#include "ui/button.h"
#include "ui/container.h"

class CPaintManagerUI;
class CTelvorinUSBDevice;

namespace tirk::ui {

/// The four pictures of a tile: plain and synchronised, each normal and
/// selected.
enum class TileImage { kNormal, kSelected, kSynchroNormal, kSynchroSelected };

/// What a device kind looks like in the device list.
struct DeviceKindLook {
    const char* imagePrefix;  ///< e.g. "common/device_ico/kb_device_"
    const char* nameTextKey;  ///< language key of the device name
};

/// The look of device `kind` (the family's type code) in `variant`: 1
/// keyboard, 2 mouse, 3 mouse pad (variant 0 hard, 1 soft), 4 and 7 headset,
/// 5 hub; 0, 6 and any other kind are shown as an unknown device. A mouse
/// pad of another variant is shown as the hard one.
DeviceKindLook LookOfDeviceKind(int kind, int variant);

/// The picture file (below the skin folder) of `kind`/`variant` for `which`,
/// e.g. "common/device_ico/kb_device_synchro_selected.png".
std::string DeviceTileImagePath(int kind, int variant, TileImage which);

}  // namespace tirk::ui

class CDeviceOptionUI : public CContainerUI, public IDeviceTile {
public:
    /// Where the main window builds tiles from (backslashes are read as '/').
    static constexpr char kLayoutFile[] = "XML\\CustomControlXML\\DeviceOption.xml";
    static constexpr char kOptionName[] = "device_select";
    static constexpr char kNameTextName[] = "device_select_name";
    static constexpr char kSynchroName[] = "synchro_device_select";

    /// Called by SetOnline; see SetOnlineHandler.
    using OnlineHandler = std::function<void(CDeviceOptionUI& tile, bool online)>;

    /// Builds a tile from `file` (relative to the skin folder) with `manager`
    /// (may be nullptr). The layout's root must be a <DeviceOption> element;
    /// the class is known here whether or not it is registered with the
    /// control factory. Returns the new tile, owned by the caller, or nullptr
    /// with `error` (may be nullptr) set to "<file>[:<line>]: <problem>".
    static CDeviceOptionUI* CreateFromLayout(const std::string& file, CPaintManagerUI* manager,
                                             std::string* error);

    CDeviceOptionUI();
    ~CDeviceOptionUI() override;
    static constexpr char kClassName[] = "DeviceOption";
    std::string GetClass() const override { return kClassName; }

    // --- kind and look ----------------------------------------------------------
    /// Sets the device kind (0..7) and variant: chooses the option's four
    /// pictures and the name text key (see tirk::ui::LookOfDeviceKind); the
    /// name follows the language.
    void SetKind(int kind, int variant = 0);
    int GetKind() const { return m_kind; }
    int GetVariant() const { return m_variant; }
    /// The picture file of the current kind for `which`.
    std::string GetImagePath(tirk::ui::TileImage which) const;

    // --- selection ----------------------------------------------------------------
    /// Puts the option "device_select" into option group `group`: selecting
    /// one tile deselects the other tiles of the group in the same window.
    void SetGroup(const std::string& group);
    std::string GetGroup() const;
    /// Selects or deselects the option. With triggerEvent the option sends
    /// "selectchanged" as a click would; the main window marks its own
    /// selection without it.
    void SetSelected(bool selected, bool triggerEvent = false);
    /// The option "device_select"; nullptr when the layout lacks it.
    COptionUI* GetOption() const;

    // --- the page and power tile that belong to the tile ----------------------
    /// The device page is child `index` of the tab layout `tabName`
    /// ("device_switch"); -1 = none.
    void BindPage(const std::string& tabName, int index);
    const std::string& GetPageTabName() const { return m_pageTabName; }
    int GetPageIndex() const { return m_pageIndex; }
    /// The power tile is child `index` of the tab layout `containerName`
    /// ("device_power_switch"); a negative index means the device has none
    /// and the power container is hidden while the tile is selected.
    void BindPowerTile(const std::string& containerName, int index);
    const std::string& GetPowerContainerName() const { return m_powerContainerName; }
    int GetPowerIndex() const { return m_powerIndex; }

    // --- device, visibility, retries -------------------------------------------
    /// The device object the tile stands for (not owned; never used here).
    void SetDevice(CTelvorinUSBDevice* device) { m_device = device; }
    CTelvorinUSBDevice* GetDevice() const { return m_device; }
    /// Shows or hides the tile in the list. A tile from the program's layout
    /// starts hidden, as a device that is not there yet.
    void SetShown(bool shown) { SetVisible(shown); }
    /// Retries of a wireless device that did not answer yet.
    void SetRetryCount(int count) { m_retryCount = count; }
    int GetRetryCount() const { return m_retryCount; }

    // --- lighting synchronisation ------------------------------------------------
    /// The state of the check box "synchro_device_select" (false without it).
    bool IsSynchro() const;
    /// Sets the check box and switches the option to the synchronised (on)
    /// or plain pictures. With triggerEvent the check box sends
    /// "selectchanged" as a click would. Use this rather than setting the
    /// check box directly: the pictures follow only the tile's own calls and
    /// the user's clicks.
    void SetSynchro(bool on, bool triggerEvent = false);
    /// The check box; nullptr when the layout lacks it.
    CCheckBoxUI* GetSynchroCheckBox() const;

    // --- IDeviceTile ----------------------------------------------------------------
    /// The tile's own visibility (SetShown).
    bool IsShown() const override { return IsVisible(); }
    /// Runs the online handler when one is set (the main window shows or
    /// hides the tile and moves the selection); without one it only shows
    /// or hides the tile.
    void SetOnline(bool online) override;
    /// True while the option "device_select" is selected.
    bool IsSelected() const override;
    /// Repaints the option.
    void RepaintIcon() override;
    /// Sets what SetOnline runs; an empty handler restores the default.
    void SetOnlineHandler(OnlineHandler handler) { m_onlineHandler = std::move(handler); }

    /// Adds a child as the container does and binds the tile's sub-controls
    /// found in it (the layout loader adds every child with its subtree).
    bool AddAt(CControlUI* control, int index) override;

protected:
    /// Follows the user's clicks and key presses on the check box: lets the
    /// check box act first, then switches the pictures.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Looks up the sub-controls not bound yet and watches the check box.
    void BindParts();
    /// Sets the name text key and the pictures of the current kind.
    void ApplyLook();
    /// Gives the option the picture pair of the current kind and check box.
    void ApplyImages();

    // Guarded: a sub-control removed from the tile must not leave a dangling
    // pointer behind.
    QPointer<COptionUI> m_option;
    QPointer<CControlUI> m_nameText;
    QPointer<CCheckBoxUI> m_synchro;
    int m_kind = 0;
    int m_variant = 0;
    std::string m_pageTabName;
    int m_pageIndex = -1;
    std::string m_powerContainerName;
    int m_powerIndex = -1;
    CTelvorinUSBDevice* m_device = nullptr;
    int m_retryCount = 0;
    bool m_forwarding = false;
    OnlineHandler m_onlineHandler;
};
