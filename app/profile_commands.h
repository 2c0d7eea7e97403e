// The main window's profile commands: what the buttons of a device page's
// profile bar, a pick in its combo box and the switch timer do. The commands
// ask the confirmation questions, show the messages the results name, run the
// file dialogs, call the profile panel and then let the device load, show and
// program the profile. The window, the device and the dialogs come in through
// small interfaces, so the commands are tested without a device or a modal
// window.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "profile/profile_list.h"
#include "ui/msg_wnd.h"  // FillMessage

class CDeviceProfileUI;
class CTelvorinUSBDevice;
class QWidget;
class WindowImplBase;

namespace tirk {

/// What a device does around a change of its profile.
class IProfileDeviceHooks {
public:
    virtual ~IProfileDeviceHooks() = default;
    /// 1 and 9 keyboard, 2 and 6 mouse, 3 mouse pad, 7 headset.
    virtual int DeviceTypeCode() const = 0;
    /// The active profile's file base name (the panel's GetActiveProfileId()).
    virtual void SetProfileBaseName(const std::string& id) = 0;
    /// Loads the profile file, rebuilds the macro and lighting lists and unbinds
    /// keys from macros that no longer exist.
    virtual void LoadActiveProfile() = 0;
    virtual void RefreshPage() = 0;
    virtual void WriteDeviceSettings() = 0;
    /// Writes the macros the profile uses: 0 done, n > 0 the macros are n
    /// events too long (nothing written), −1 no memory for the block.
    virtual int DownloadMacros() = 0;
    virtual void WriteCurrentKeyAssignments() = 0;
    /// After a switch: a keyboard closes the editing area of its key page.
    virtual void AfterProfileSwitch() {}
    /// After a reset: the audio companion's settings file is restored.
    virtual void RestoreCompanionSettings() {}
};

/// The modal message window, as the commands need it.
class IProfileMessages {
public:
    virtual ~IProfileMessages() = default;
    /// Asks the question of language key `key` with OK and Cancel; true for OK.
    virtual bool Ask(const std::string& key) = 0;
    /// Shows the message of language key `key`.
    virtual void Show(const std::string& key) = 0;
    /// Shows a text already made from a language text and a value.
    virtual void ShowText(const std::string& text) = 0;
    /// The current language's text of `key` (default: the UI layer's texts).
    virtual std::string Text(const std::string& key);
};

/// The main window's timers.
class IProfileTimer {
public:
    virtual ~IProfileTimer() = default;
    /// Starts timer `id` with period `ms`, or restarts it when it runs.
    virtual void StartTimer(int id, int ms) = 0;
    virtual void StopTimer(int id) = 0;
};

enum class ProfileFileDialogKind { kOpen, kSave };

/// Shows a file dialog for profiles and returns the chosen path (UTF-8), or
/// an empty string when the user cancelled. `suggestedName` is the file name
/// a save dialog starts with.
using ProfileFileDialog =
    std::function<std::string(ProfileFileDialogKind kind, const std::string& suggestedName)>;

/// The filter of the profile file dialogs.
inline constexpr char kProfileFileFilter[] = "Profile Files(*.json)";

/// Qt's open (`open`) or save file dialog over `parent` with the name
/// filter `filter`: open accepts only existing files, save adds `suffix` to
/// a name without one and starts at `suggestedName`. The chosen path (UTF-8
/// as the file system has it), empty when cancelled.
std::string RunFileDialog(QWidget* parent, bool open, const std::string& filter,
                          const std::string& suffix, const std::string& suggestedName = {});

/// The real dialogs: Qt's file dialog over `parent` (may be nullptr) with the
/// profile filter; open accepts only existing files, save adds ".json".
ProfileFileDialog QtProfileFileDialog(QWidget* parent);

/// A timer host that is a window of the UI layer (the main window).
class CWindowProfileTimer : public IProfileTimer {
public:
    explicit CWindowProfileTimer(WindowImplBase& window) : m_window(window) {}
    void StartTimer(int id, int ms) override;
    void StopTimer(int id) override;

private:
    WindowImplBase& m_window;
};

/// The questions and messages in the message window, over `owner`.
class CMsgWndProfileMessages : public IProfileMessages {
public:
    /// `dpi` tells the owner's DPI when a message is shown.
    CMsgWndProfileMessages(WindowImplBase& owner, std::function<int()> dpi)
        : m_owner(owner), m_dpi(std::move(dpi)) {}
    bool Ask(const std::string& key) override;
    void Show(const std::string& key) override;
    void ShowText(const std::string& text) override;

private:
    WindowImplBase& m_owner;
    std::function<int()> m_dpi;
};

/// The device object behind a page. Settings are written as the restore of
/// defaults writes them: slot 0, values 0 and 1 and the screen size.
class CUsbDeviceProfileHooks : public IProfileDeviceHooks {
public:
    CUsbDeviceProfileHooks(CTelvorinUSBDevice& device, int screenWidth, int screenHeight);
    int DeviceTypeCode() const override;
    void SetProfileBaseName(const std::string& id) override;
    void LoadActiveProfile() override;
    void RefreshPage() override;
    void WriteDeviceSettings() override;
    int DownloadMacros() override;
    void WriteCurrentKeyAssignments() override;

private:
    CTelvorinUSBDevice& m_device;
    int m_screenWidth;
    int m_screenHeight;
};

/// Language keys of the questions and macro messages.
namespace profile_question {
inline constexpr char kAdd[] = "message_text_27";
inline constexpr char kCopy[] = "message_text_26";
inline constexpr char kDelete[] = "message_text_29";
inline constexpr char kReset[] = "message_text_22";
inline constexpr char kMacrosTooLong[] = "message_text_16";  ///< "%d": events too many
inline constexpr char kMacrosNoMemory[] = "message_text_7";
}  // namespace profile_question

class CProfileCommands {
public:
    static constexpr int kSwitchTimer = 1055;
    static constexpr int kSwitchDelayMs = 400;

    /// `appDataFolder`: the application's data folder ("…/Vorpaline TIRK/"),
    /// where the colour picker's palette file (kColourFileName) lives. None
    /// of the references is owned.
    CProfileCommands(IProfileMessages& messages, IProfileTimer& timer, ProfileFileDialog dialog,
                     std::string appDataFolder);

    /// A "click" of `control` on the page of `panel` and `device`. Returns
    /// true when it was a profile command (handled), false for other controls.
    bool OnClick(const std::string& control, CDeviceProfileUI& panel, IProfileDeviceHooks& device);
    /// An "itemselect" of `control`: for the profile combo box, (re)starts the
    /// switch timer and returns true.
    bool OnItemSelect(const std::string& control);
    /// Timer `id` fired: for the switch timer, stops it, makes the combo box's
    /// pick the active profile and lets the device load and program it;
    /// returns true. Other ids: false.
    bool OnTimer(int id, CDeviceProfileUI& panel, IProfileDeviceHooks& device);
    /// True while a pick waits for the switch timer.
    bool IsSwitchPending() const { return m_switchPending; }
    /// Runs a waiting switch now. Every command does this first, so that the
    /// profile a command acts on is the one the device uses; the main window
    /// also calls it before it shows another device's page.
    void FlushPendingSwitch(CDeviceProfileUI& panel, IProfileDeviceHooks& device);

private:
    void Switch(CDeviceProfileUI& panel, IProfileDeviceHooks& device);
    void ApplyActiveProfile(CDeviceProfileUI& panel, IProfileDeviceHooks& device);
    void WriteMacrosThenKeys(IProfileDeviceHooks& device);
    // The commands of the buttons, in one form so that a table maps names to them.
    void Add(CDeviceProfileUI& panel, IProfileDeviceHooks& device);
    void Copy(CDeviceProfileUI& panel, IProfileDeviceHooks& device);
    void Delete(CDeviceProfileUI& panel, IProfileDeviceHooks& device);
    void Rename(CDeviceProfileUI& panel, IProfileDeviceHooks& device);
    void Import(CDeviceProfileUI& panel, IProfileDeviceHooks& device);
    void Export(CDeviceProfileUI& panel, IProfileDeviceHooks& device);
    /// Asks, then removes the colour palette and resets.
    void Reset(CDeviceProfileUI& panel, IProfileDeviceHooks& device);
    void RemoveColourPalette();
    /// Shows the message a result names (with its detail), if any. True when
    /// the result was a success.
    bool Report(const ProfileResult& result);

    IProfileMessages& m_messages;
    IProfileTimer& m_timer;
    ProfileFileDialog m_dialog;
    std::string m_appDataFolder;
    bool m_switchPending = false;
};

}  // namespace tirk
