// The main window's device list: one device object per family with its tile,
// power tile and page; what happens when a candidate interface arrives or
// leaves (open, close, switch between cable and receiver); the tile
// selection, previous/next and the synchronisation options. Runs on the UI
// thread only; the scan thread reaches it through the main window.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/device_table.h"

class CControlUI;
class CDeviceOptionUI;
class CMpDevicePowerUI;
class CPaintManagerUI;
class CTelvorinFamilyDevice;
class WindowImplBase;

namespace tirk {

class DeviceScanner;

/// The containers of the main window's layout that hold the device list.
inline constexpr char kTileContainer[] = "device_select_layout";
inline constexpr char kPowerContainer[] = "device_power_switch";
inline constexpr char kPageContainer[] = "device_switch";
inline constexpr char kNoDeviceHint[] = "No_device_Link";
inline constexpr char kPowerLayoutFile[] = "XML\\CustomControlXML\\MpDevicePower.xml";

class DeviceDiscovery {
public:
    /// What the device list asks of its window.
    struct WindowHooks {
        std::function<void()> bringToFront;       ///< after every arrival
        std::function<void()> closeSatellites;    ///< the selection or the link moved
        std::function<void()> stopMacroRecording;  ///< the selected device left
        /// Another page is about to be shown; `leaving` was the selected one.
        std::function<void(CTelvorinFamilyDevice& leaving)> selectionChanging;
    };

    /// One family's device with its tile, power tile and page. The window's
    /// widget tree owns the three controls.
    struct FamilySet {
        int family = -1;
        CTelvorinFamilyDevice* device = nullptr;
        CDeviceOptionUI* tile = nullptr;
        CMpDevicePowerUI* power = nullptr;
    };

    /// `tables` and `window` must outlive the object.
    DeviceDiscovery(const DeviceTables& tables, WindowImplBase& window, WindowHooks hooks);
    ~DeviceDiscovery();

    /// The scan whose candidate list tells which partner link is present.
    void SetScanner(std::shared_ptr<DeviceScanner> scanner) { m_scanner = std::move(scanner); }

    /// Builds the device object, tile, power tile and page of family
    /// `family` (index into the family table) for the product of candidate
    /// `familyCandidate` (-1: the family table's own product). Nothing is
    /// added when a layout fails (logged with file and problem). Returns the
    /// set or nullptr.
    FamilySet* BuildFamilyDevice(int family, int variant, int familyCandidate);
    /// The lighting page's colour button opens the colour picker over the window.
    void OfferColourPicker(CTelvorinFamilyDevice& device);
    /// The mouse and keyboard families, built when the window starts.
    void BuildInAdvance();

    /// Candidate `index` arrived at `path` / left.
    void OnCandidateArrived(int index, const std::string& path);
    void OnCandidateRemoved(int index);

    /// Shows or hides tile `index`; with `select` shows its page and power
    /// tile and selects it. Then updates "No_device_Link" and the
    /// synchronisation options.
    void SelectTile(int index, bool visible, bool select);
    /// Hides tile `index`; when it was the selected one another visible tile
    /// takes the selection.
    void RemoveTileFromSelection(int index);
    /// "device_select_prev" / "device_select_next": nothing at either end.
    void SelectPrevious();
    void SelectNext();
    /// The user clicked tile option `sender` or a synchronisation check box.
    /// Returns true when `sender` belongs to a tile.
    bool OnTileNotify(CControlUI* sender, const std::string& type);

    int VisibleTileCount() const;
    int SelectedTile() const;
    const std::vector<FamilySet>& Sets() const { return m_sets; }
    /// Sets the polling-paused flag of every device (the window is hidden).
    void SetPollingPaused(bool paused);

private:
    int FamilyOfCandidate(const DeviceCandidate& candidate) const;
    int FamilyCandidateOf(const DeviceCandidate& candidate) const;
    const DeviceCandidate* PartnerOf(const DeviceCandidate& candidate) const;
    bool PartnerHoldsLink(int index) const;
    FamilySet* SetForCandidate(const DeviceCandidate& candidate);
    int TileIndex(const FamilySet& set) const;
    void OpenCommandInterface(int index, const std::string& path);
    void CloseCommandInterface(int index);
    void OpenNotificationInterface(int index, const std::string& path);
    void SwitchLink(int index);
    void FinishSwitchToReceiver(FamilySet& set);
    void UpdateSelectionState();
    CControlUI* Find(const char* name) const;

    const DeviceTables& m_tables;
    WindowImplBase& m_window;
    WindowHooks m_hooks;
    std::shared_ptr<DeviceScanner> m_scanner;
    std::vector<FamilySet> m_sets;  // in tile order
    int m_shownPage = -1;           // the set whose page was shown last
};

}  // namespace tirk
