// The Qt top-level widget behind a WindowImplBase. Internal to ui/.
#pragma once

#include <QWidget>
#include <map>

class WindowImplBase;

class CWindowHost : public QWidget {
public:
    explicit CWindowHost(WindowImplBase* owner);

    /// Height (96 DPI) of the drag area at the top of a frameless window.
    void SetCaptionHeight(int height) { m_captionHeight = height; }
    bool SetWindowTimer(int id, int ms);
    void KillWindowTimer(int id);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    WindowImplBase* m_owner;
    int m_captionHeight = 0;
    std::map<int, int> m_timers;  // window timer id -> Qt timer id
};
