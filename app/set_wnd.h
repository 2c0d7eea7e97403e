// CSetWnd: the settings window. Its general page chooses the language; its
// update page lists firmware and application updates (filled by the update
// service). At most one is open; it is modal to the main window.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/language.h"
#include "ui/dpi_follow.h"
#include "ui/window_impl.h"

/// Where the settings window opens.
enum class SetWndPlacement {
    kBesideSetButton,  ///< opened by the main window's "setbtn"
    kCentred,          ///< opened by the tray menu or another program
};

class CSetWnd : public WindowImplBase, public tirk::ILanguageReceiver {
public:
    /// Size at 96 DPI.
    static constexpr int kWidth = 630;
    static constexpr int kHeight = 500;

    /// The user chose language `index` in the combo.
    using LanguageChosen = std::function<void(int index)>;

    /// `languages`: the "Language_text" of every language, in index order;
    /// `current`: the index to show selected.
    CSetWnd(std::vector<std::string> languages, int current, LanguageChosen on_chosen);
    ~CSetWnd() override;

    std::string GetSkinFile() override { return "setwnd.xml"; }
    std::string GetWindowClassName() const override { return "SetWnd"; }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;

    /// The language index shown selected (the last one chosen).
    int GetLanguageIndex() const { return m_languageIndex; }

    // --- tirk::ILanguageReceiver ------------------------------------------------
    /// Shows `index` selected (without choosing it again) and repaints.
    void OnLanguageChanged(int index) override;

    /// The settings relay message (the identity message another program or
    /// an updater sends): hands its parameters to the update page, then asks
    /// the window to close.
    void OnSettingsRelay(intptr_t w_param, intptr_t l_param);

    /// The top-left corner for "setbtn": x = main window's right − the
    /// settings window's width − 30 scaled pixels, y = main window's top + 60
    /// scaled pixels (`dpi` is the main window's).
    static TPointUI PositionBesideSetButton(const TRectUI& main_window, int settings_width,
                                            int dpi);

private:
    void FillLanguages();
    /// Closes the window unless its pages refuse (a download running).
    void RequestClose();
    void ShowPage(int page);

    std::vector<std::string> m_languages;
    int m_languageIndex;
    LanguageChosen m_onChosen;
    std::unique_ptr<CDpiFollower> m_dpiFollower;
};
