// The notification-area icon. Without a system tray (no tray host in the
// session) nothing is shown and nothing fails.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/ui_base.h"

class QSystemTrayIcon;

class CTrayIcon {
public:
    CTrayIcon();
    ~CTrayIcon();  // deletes the icon

    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    /// Creates (or replaces) the icon from an image file (relative to the
    /// resource path unless absolute) with a tooltip. Returns true when the
    /// icon is shown; false when there is no system tray or the file cannot
    /// be read (the callbacks then simply never run).
    bool CreateTrayIcon(const std::string& iconFile, const std::string& tooltip);
    /// Removes the icon; safe to call when there is none.
    void DeleteTrayIcon();
    bool IsShown() const;
    void SetTooltipText(const std::string& tooltip);

    /// Runs on a left click on the icon.
    void SetOnLeftClick(std::function<void()> callback) { m_onLeft = std::move(callback); }
    /// Runs on a right click / context request, with the cursor position in
    /// screen coordinates.
    void SetOnRightClick(std::function<void(TPointUI)> callback) {
        m_onRight = std::move(callback);
    }

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::function<void()> m_onLeft;
    std::function<void(TPointUI)> m_onRight;
};
