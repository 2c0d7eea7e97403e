// The colour picker: a modal window from "PalletDialog.xml" with the colour
// field "Pallet", the preview "color_show_btn", decimal R/G/B edits, 20 colour
// slots, 20 slots the user collects colours in, and the seven-colour choice.
// The slots and the selection in each row are remembered in the colour file
// (profile/colour_file.h).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "profile/colour_file.h"
#include "ui/window_impl.h"

class CButtonUI;
class CDpiFollower;
class CEditUI;
class COptionUI;
class CPalletUI;

/// Shows the colour picker modal to `owner` (may be nullptr), starting at
/// `startColour` (0xAARRGGBB; shown opaque), with the seven-colour choice only
/// when `sevenColourAllowed`. Returns 1 when the user pressed OK (then
/// `*chosen` is the colour and `*sevenColour` the seven-colour choice; either
/// pointer may be nullptr), 0 when the window was closed, 2 when OK was pressed
/// in a layout without the colour field, -1 when the layout cannot be loaded.
int ShowColourPicker(WindowImplBase* owner, uint32_t startColour, bool sevenColourAllowed,
                     uint32_t* chosen, bool* sevenColour);

class CColorSelectWnd : public WindowImplBase {
public:
    /// Close codes.
    enum : int { kClosed = 0, kChosen = 1, kNoPallet = 2 };

    struct Options {
        uint32_t startColour = 0xFFFFFFFF;
        bool sevenColourAllowed = false;
        /// The colour file; empty: tirk::DefaultColourFilePath().
        std::string colourFile;
        std::string skinFile = "PalletDialog.xml";
    };

    explicit CColorSelectWnd(Options options);
    ~CColorSelectWnd() override;

    std::string GetSkinFile() override { return m_options.skinFile; }
    std::string GetWindowClassName() const override { return "ColorSelectWnd"; }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    /// "Pallet" is the colour field.
    CControlUI* CreateControl(const std::string& className) override;

    /// The colour being edited (opaque 0xAARRGGBB).
    uint32_t GetWorkingColour() const { return m_colour; }
    bool IsSevenColour() const { return m_sevenColour; }
    /// What OK returned: the preview's colour and the seven-colour choice.
    uint32_t GetChosenColour() const { return m_chosenColour; }
    bool GetChosenSevenColour() const { return m_chosenSeven; }
    /// The slots as they are now (what the file holds after each change).
    const tirk::ColourOptions& GetColourOptions() const { return m_slots; }
    /// The problem of the colour file when it could not be used ("" if fine).
    const std::string& GetColourFileError() const { return m_fileError; }
    /// The problem of the last save ("" after a good one).
    const std::string& GetSaveError() const { return m_saveError; }

private:
    /// Where a new working colour came from: each source leaves itself alone.
    enum class Source { kOutside, kPallet, kEdit, kSlot };

    void FindControls();
    void ShowSlots();
    void OnClick(CControlUI* sender);
    void OnSlotClicked(int index);
    void OnCollectedClicked(int index);
    void OnEditDone(CControlUI* edit);
    void OnPalletChanged(bool final);
    void OnOk();
    void SetWorkingColour(uint32_t argb, Source source, bool final);
    void StoreInSelectedCollected();
    void SetSevenColour(bool on);
    void SelectSlotOption(COptionUI* option);
    void Save();
    int EditIndex(CControlUI* control) const;

    Options m_options;
    tirk::CColourFile m_file;
    tirk::ColourOptions m_slots;
    std::string m_fileError;
    std::string m_saveError;
    bool m_unsaved = false;

    CPalletUI* m_pallet = nullptr;
    CButtonUI* m_preview = nullptr;
    std::array<CEditUI*, 3> m_edits{};
    std::array<COptionUI*, tirk::kColourSlotCount> m_slotOptions{};
    std::array<COptionUI*, tirk::kColourSlotCount> m_collectedOptions{};
    COptionUI* m_sevenOption = nullptr;
    CControlUI* m_sevenLayout = nullptr;
    std::unique_ptr<CDpiFollower> m_dpiFollower;

    uint32_t m_colour = 0xFFFFFFFF;
    bool m_sevenColour = false;
    uint32_t m_chosenColour = 0;
    bool m_chosenSeven = false;
};
