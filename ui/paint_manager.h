// CPaintManagerUI: one per window. Owns nothing but the window's lookup,
// notification and DPI state; the controls are owned by the window's widget
// tree. Also holds the application-wide paths (skin folder, instance folder)
// and runs the message loop.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/ui_base.h"

class QWidget;
class CControlUI;

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();

    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // --- application-wide ----------------------------------------------------
    /// The skin folder: layouts, images and relative resource names are read
    /// from here. A trailing '/' is added when missing.
    static void SetResourcePath(const std::string& path);
    static const std::string& GetResourcePath();
    /// The installation folder (default: the executable's folder), with a
    /// trailing '/'.
    static void SetInstancePath(const std::string& path);
    static std::string GetInstancePath();
    /// `file` as a full path: absolute paths unchanged, relative ones below
    /// the resource path. Backslashes are read as '/'.
    static std::string ResolveResourceFile(const std::string& file);
    /// Runs the UI thread's event loop until QuitMessageLoop; returns its code.
    /// Needs a QApplication.
    static int MessageLoop();
    /// Ends MessageLoop with `code`. Closing windows never ends the loop.
    static void QuitMessageLoop(int code = 0);
    /// Every live paint manager (one per window), in creation order.
    static std::vector<CPaintManagerUI*> GetAllManagers();
    /// Counts the changes that can change which manager a control belongs
    /// to (a window bound or unbound, a manager gone, a control moved to
    /// another parent); a control's cached manager is valid for one count.
    static uint64_t BindingEpoch();
    static void BumpBindingEpoch();
    /// SetDPI on every live manager. false when dpi is out of range.
    static bool SetAllDPI(int dpi);

    // --- window --------------------------------------------------------------
    /// Binds the manager to its window widget (done by WindowImplBase and
    /// CMenuWnd). The widget must outlive the binding or be re-bound.
    void Init(QWidget* window);
    QWidget* GetPaintWindow() const { return m_window; }
    /// Makes `root` the window's root control (not owned here: it is a child
    /// of the window widget) and lays it out to fill the window.
    void AttachRoot(CControlUI* root);
    CControlUI* GetRoot() const;

    // --- lookup ----------------------------------------------------------------
    /// The first control named `name` in the window (root included, depth
    /// first); nullptr when none.
    CControlUI* FindControl(const std::string& name) const;
    /// The first control named `name` below `parent` (parent excluded);
    /// nullptr when none or parent is nullptr.
    CControlUI* FindSubControlByName(CControlUI* parent, const std::string& name) const;
    /// Every control below `parent` whose GetClass() equals className.
    std::vector<CControlUI*> FindSubControlsByClass(CControlUI* parent,
                                                    const std::string& className) const;
    /// The control at a point in window client coordinates; nullptr if none.
    CControlUI* FindControlAt(TPointUI point) const;

    // --- notifications ---------------------------------------------------------
    /// Registers a receiver (not owned). Registering twice has no effect.
    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    /// Delivers {type, control, wParam, lParam} to every receiver, now
    /// (async false) or from the event loop (async true; dropped if the
    /// control is deleted meanwhile).
    void SendNotify(CControlUI* control, const std::string& type, intptr_t wParam = 0,
                    intptr_t lParam = 0, bool async = false);
    void SendNotify(TNotifyUI& msg, bool async = false);
    /// Starts/stops a control timer (as CControlUI::SetTimer / KillTimer).
    bool SetTimer(CControlUI* control, int id, int ms);
    void KillTimer(CControlUI* control, int id);

    // --- DPI -------------------------------------------------------------------
    /// Sets the window's DPI (48..192; anything else is refused: false, no
    /// change). The window size is rescaled by new/old, every layout length
    /// and font follows, and the window is laid out again.
    bool SetDPI(int dpi);
    int GetDPI() const { return m_dpi; }
    /// value * dpi / 96, rounded to the nearest pixel.
    int ScaleValue(int value) const;
    TRectUI ScaleRect(const TRectUI& rect) const;
    /// Re-applies fonts and sizes of every control for the current DPI and
    /// lays the window out again.
    void ResetDPIAssets();

    // --- default attributes (per window) -------------------------------------
    /// Attributes applied to every control of class `className` that the
    /// layout loader creates for this window, before the element's own.
    void AddDefaultAttributes(const std::string& className,
                              const std::vector<std::pair<std::string, std::string>>& attrs);
    /// nullptr when the class has no defaults.
    const std::vector<std::pair<std::string, std::string>>* GetDefaultAttributes(
        const std::string& className) const;
    void RemoveAllDefaultAttributes() { m_defaults.clear(); }

private:
    QPointer<QWidget> m_window;
    std::vector<INotifyUI*> m_notifiers;
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> m_defaults;
    int m_dpi = 96;
};
