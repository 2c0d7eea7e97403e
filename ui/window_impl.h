// WindowImplBase: a top-level window whose content is built from a layout
// file. Subclass it, answer GetSkinFile, and react in InitWindow and Notify.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/dialog_builder.h"
#include "ui/menu_wnd.h"
#include "ui/paint_manager.h"
#include "ui/ui_base.h"

class QWidget;
class CControlUI;
class CWindowHost;

class WindowImplBase : public INotifyUI, public IDialogBuilderCallback {
public:
    WindowImplBase();
    /// Destroys the window and all its controls. Stop worker threads that
    /// PostTask to this window before deleting it.
    ~WindowImplBase() override;

    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    // --- what subclasses provide ------------------------------------------------
    /// The layout file, relative to the resource path unless absolute.
    virtual std::string GetSkinFile() = 0;
    /// A name for diagnostics.
    virtual std::string GetWindowClassName() const { return "WindowImplBase"; }
    /// Runs once inside Create, after the layout is loaded and before
    /// Create returns; controls can be looked up here.
    virtual void InitWindow() {}
    /// Every notification of the window's controls. The default handles
    /// nothing. "windowinit" arrives from the event loop after Create
    /// (sender: the root control); "windowsize" whenever the window is
    /// resized (sender: root, wParam width, lParam height in pixels).
    void Notify(TNotifyUI& msg) override;
    /// The custom-class hook of the layout loader: asked for every element
    /// class the loader and CControlFactory do not know. Return a new
    /// control, or nullptr (the layout then fails to load, naming the file,
    /// line and class).
    CControlUI* CreateControl(const std::string& className) override;
    /// A pop-up menu created with this window as owner delivers its choice
    /// here.
    virtual void OnMenuCommand(const TMenuCommandUI& command);
    /// The user asked the window manager to close the window (title bar
    /// button, Alt+F4). Return true when handled (the window stays as the
    /// handler left it, e.g. hidden); false lets it close as Close(0).
    virtual bool HandleCloseRequest() { return false; }
    /// Runs from the event loop after the window has been closed (Close or
    /// an accepted close request). The subclass may `delete this` here.
    virtual void OnFinalMessage() {}
    /// A window timer (SetTimer on the window) fired.
    virtual void OnTimer(int /*id*/) {}
    /// The window became the active window (true) or stopped being it.
    virtual void OnActivateChanged(bool /*active*/) {}
    /// The mouse entered (true) or left the window.
    virtual void OnMouseHoverChanged(bool /*inside*/) {}

    // --- life cycle ------------------------------------------------------------
    /// Builds the window from GetSkinFile() with the given title, hidden.
    /// `parent` (may be nullptr) keeps this window above it. Calls
    /// InitWindow, then posts "windowinit". Returns false when the layout
    /// cannot be loaded (GetLoadError() tells why; InitWindow is not called)
    /// or when the window was created already.
    bool Create(WindowImplBase* parent, const std::string& title);
    const std::string& GetLoadError() const { return m_loadError; }
    /// Shows (and, with takeFocus, activates) or hides the window.
    void ShowWindow(bool show = true, bool takeFocus = true);
    /// Shows the window modal to the application and runs a nested event
    /// loop until Close; returns Close's code. Returns -1 when the window
    /// was not created or is already modal.
    int ShowModal();
    /// Hides the window, ends a running ShowModal with `code`, and schedules
    /// OnFinalMessage. Closing never ends the application's message loop.
    void Close(int code = 0);
    void CenterWindow();
    /// Sets the window icon from an image file (relative to the resource
    /// path unless absolute). false when it cannot be read.
    bool SetIcon(const std::string& file);
    void SetTitle(const std::string& title);
    /// true while the window is shown (also when minimised).
    bool IsVisible() const;
    bool IsMinimized() const;
    void Minimize();
    void Maximize();
    /// Shows the window normally (undoes minimise/maximise).
    void Restore();
    /// Raises and activates the window.
    void BringToFront();
    /// Resizes the window to w × h pixels (no DPI scaling).
    void ResizeClient(int width, int height);
    /// The window's frame in screen coordinates.
    TRectUI GetWindowRect() const;
    /// The whole area of the screen the window is on (screen coordinates).
    TRectUI GetMonitorRect() const;

    // --- threads and timers ------------------------------------------------
    /// Runs `task` on the UI thread from the event loop. Callable from any
    /// thread. Tasks still queued when the window is destroyed are dropped.
    void PostTask(std::function<void()> task);
    /// Window timer `id` with period `ms` → OnTimer(id). false for ms <= 0.
    bool SetTimer(int id, int ms);
    void KillTimer(int id);

    CPaintManagerUI& GetPaintManager() { return m_pm; }
    /// The window widget (for Qt dialogs' parent and the like). Not owning.
    QWidget* GetWidget() const;
    /// The root control; nullptr before Create.
    CControlUI* GetRoot() const { return m_pm.GetRoot(); }

protected:
    CPaintManagerUI m_pm;

private:
    friend class CWindowHost;
    void OnHostCloseRequest();
    void OnHostResized(int width, int height);
    void DeliverWindowInit();

    std::unique_ptr<CWindowHost> m_host;
    std::string m_loadError;
    bool m_created = false;
    bool m_closing = false;
    void* m_modalLoop = nullptr;  // QEventLoop* while ShowModal runs
};
