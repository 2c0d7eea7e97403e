// The skin picker: a small tool window under the main window's skin button
// ("skin.xml") with background pictures and plain colours. A choice is
// broadcast as a skin record to the skin receivers (the main window paints
// its "root" with it); pictures from the skin and the reset are also noted in
// "main.ini" of the application data folder.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/atomic_file.h"
#include "ui/window_impl.h"

class QObject;
class QWidget;

namespace tirk {

/// What the skin picker broadcasts: a colour or a picture file.
struct SkinRecord {
    bool isImage = false;
    uint32_t colour = 0;  ///< 0xAARRGGBB, when !isImage
    std::string image;    ///< relative to the skin folder, or absolute, when isImage
};

/// The skin receivers of the program (UI thread only).
class SkinReceivers {
public:
    using Receiver = std::function<void(const SkinRecord&)>;
    static SkinReceivers& Instance();

    /// Registers `receiver` under `owner` (replacing an earlier one of it).
    void Add(const void* owner, Receiver receiver);
    void Remove(const void* owner);
    /// Hands `skin` to every receiver, in the order they were added.
    void Broadcast(const SkinRecord& skin) const;
    size_t Count() const { return m_receivers.size(); }

private:
    std::map<int, std::pair<const void*, Receiver>> m_receivers;  // by registration order
    int m_next = 0;
};

/// The main window's receiver: the control "root" of `pm` takes the colour
/// (and loses its picture) or the picture (and background colour 0). A
/// picture that cannot be read, or a window without "root", changes nothing:
/// false, with `error` (when given) naming the file and the problem.
bool ApplySkin(CPaintManagerUI& pm, const SkinRecord& skin, std::string* error = nullptr);

/// The image string that draws the picture file `path` as it is (quoted when
/// the name holds a '=' or blanks at its ends); empty when the name cannot be
/// written as an image string (it holds both kinds of quote).
std::string ImageStringForFile(const std::string& path);

/// The reset picture and the name of the skin file.
inline constexpr char kDefaultSkinImage[] = "common/background.png";
inline constexpr char kSkinIniName[] = "main.ini";

/// "main.ini" in the application data folder.
std::string DefaultSkinIniPath();

/// Notes the skin in section "SKINIMAGE" of the INI file at `path`: "FLAGS"
/// ("1" a chosen picture, "0" after the reset) and "IMAGE" (the picture).
/// Other lines of the file stay. Written atomically; a failure (also an
/// existing file that cannot be read) writes nothing and names the file.
FileResult WriteSkinIni(const std::string& path, bool chosenImage, const std::string& image);

}  // namespace tirk

/// The skin picker window. Created on demand, it deletes itself when closed.
class CSkinFrame : public WindowImplBase {
public:
    /// What the frame needs from outside; each empty member has a default.
    struct Hooks {
        /// Asks for a picture file (filters "*.png" and all files, default
        /// suffix png); nullopt when the user cancels. Default: a file dialog.
        std::function<std::optional<std::string>(QWidget* parent)> chooseFile;
        /// Tells the user about a problem: the text key and a literal detail.
        /// Default: the message window.
        std::function<void(const std::string& textKey, const std::string& detail)> tellUser;
        /// "main.ini"; empty: tirk::DefaultSkinIniPath().
        std::string iniPath;
    };

    explicit CSkinFrame(Hooks hooks = {});
    ~CSkinFrame() override;

    std::string GetSkinFile() override { return "skin.xml"; }
    std::string GetWindowClassName() const override { return "UISkinFrame"; }
    void Notify(TNotifyUI& msg) override;
    void OnActivateChanged(bool active) override;
    void OnFinalMessage() override;

    /// Builds the frame as a topmost tool window, at the DPI of `owner`,
    /// with its top right corner at the bottom right corner of `anchor` (a
    /// control of `owner`), and shows it without taking the focus. It closes
    /// when it loses the focus or the user presses the mouse outside it.
    /// false when the layout cannot be loaded (logged; nothing is shown and
    /// the caller deletes the frame).
    bool Open(WindowImplBase& owner, CControlUI* anchor);

    /// The problem of the last "main.ini" write ("" after a good one).
    const std::string& GetIniError() const { return m_iniError; }

    /// The open frame, nullptr when none.
    static CSkinFrame* GetOpen();
    /// Opens a frame under the skin button `anchor`, or closes the open one
    /// (a second press of the button). Returns the frame opened, or nullptr.
    static CSkinFrame* Toggle(WindowImplBase& owner, CControlUI* anchor, Hooks hooks = {});
    /// Closes the open frame, if any.
    static void CloseOpen();

private:
    class OutsideClickWatch;

    void OnClick(CControlUI* sender);
    void ChooseImage(const std::string& image, bool reset);
    void ChooseCustomImage();
    void SelectPage(int page);
    void PlaceUnder(CControlUI* anchor);
    /// Closes the frame unless it is busy with a dialog of its own.
    void CloseUnlessBusy();
    void TellUser(const std::string& textKey, const std::string& detail);

    Hooks m_hooks;
    std::string m_iniError;
    std::unique_ptr<QObject> m_outsideWatch;
    bool m_busy = false;  // a dialog of the frame is open
};
