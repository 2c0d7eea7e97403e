// Shared fixture pieces: the skin folder of the tests and a window that
// records every notification it receives.
#pragma once

#include <QCoreApplication>
#include <QTest>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace tirk::ui::test {

/// Runs the event loop until `done` holds or `ms` pass; true when it held.
/// (QTRY_* macros report through QTest and would not fail a GoogleTest.)
template <typename Predicate>
bool WaitUntil(Predicate done, int ms = 5000) {
    return QTest::qWaitFor(done, ms);
}

inline std::string SkinDir() {
    return std::string(TIRK_TEST_DATA_DIR) + "/ui/skin/";
}

/// Sets the resource path to the test skin and loads the English texts.
inline void UseTestSkin() {
    CPaintManagerUI::SetResourcePath(SkinDir());
    CResourceManager::GetInstance()->LoadLanguage("lang_en.xml");
}

struct Recorded {
    std::string type;
    std::string sender;
    intptr_t wParam;
    intptr_t lParam;
};

class RecordingWindow : public WindowImplBase {
public:
    explicit RecordingWindow(std::string skin) : m_skin(std::move(skin)) {}

    std::string GetSkinFile() override { return m_skin; }
    void Notify(TNotifyUI& msg) override {
        notifications.push_back({msg.sType, msg.pSender ? msg.pSender->GetName() : std::string(),
                                 msg.wParam, msg.lParam});
    }
    void OnMenuCommand(const TMenuCommandUI& command) override { menuCommands.push_back(command); }

    /// Notifications of `type` only, in order.
    std::vector<Recorded> Of(const std::string& type) const {
        std::vector<Recorded> found;
        for (const Recorded& r : notifications) {
            if (r.type == type) found.push_back(r);
        }
        return found;
    }
    template <typename T>
    T* Find(const std::string& name) {
        return dynamic_cast<T*>(m_pm.FindControl(name));
    }
    /// Creates and shows the window and waits until it is exposed.
    bool CreateShown() {
        if (!Create(nullptr, "test")) return false;
        ShowWindow(true);
        return QTest::qWaitForWindowExposed(GetWidget());
    }

    std::vector<Recorded> notifications;
    std::vector<TMenuCommandUI> menuCommands;

private:
    std::string m_skin;
};

}  // namespace tirk::ui::test
