#include "ui/colour_picker.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "core/log.h"
#include "device/page/indexed_name.h"
#include "ui/button.h"
#include "ui/dpi_follow.h"
#include "ui/edit.h"
#include "ui/pallet.h"
#include "ui/resource_manager.h"

namespace {

constexpr char kPallet[] = "Pallet";
constexpr char kPreview[] = "color_show_btn";
constexpr const char* kEditNames[3] = {"color_edit_r", "color_edit_g", "color_edit_b"};
constexpr char kSlotPrefix[] = "color_option_";
constexpr char kCollectedPrefix[] = "collect_color_option_";
constexpr char kSevenOption[] = "7color";
constexpr char kSevenLayout[] = "7color_layout";
constexpr char kSevenImage[] = "common/base1.png";

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr int kChannelShift[3] = {16, 8, 0};

int Channel(uint32_t argb, int index) {
    return int((argb >> kChannelShift[index]) & 0xFF);
}

// The decimal 0..255 of an edit; larger numbers are clamped, anything that is
// not a number is refused.
std::optional<int> ChannelText(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return std::min(value, 255);
}

}  // namespace

int ShowColourPicker(WindowImplBase* owner, uint32_t startColour, bool sevenColourAllowed,
                     uint32_t* chosen, bool* sevenColour) {
    CColorSelectWnd::Options options;
    options.startColour = startColour;
    options.sevenColourAllowed = sevenColourAllowed;
    CColorSelectWnd window(options);
    if (!window.Create(owner, CResourceManager::GetInstance()->GetText("colour_picker_title"))) {
        tirk::log::FileFault(options.skinFile, window.GetLoadError());
        return -1;
    }
    if (owner) ApplyWindowDpi(window, owner->GetPaintManager().GetDPI());
    window.CenterWindow();
    const int code = window.ShowModal();
    if (code == CColorSelectWnd::kChosen) {
        if (chosen) *chosen = window.GetChosenColour();
        if (sevenColour) *sevenColour = window.GetChosenSevenColour();
    }
    return code;
}

CColorSelectWnd::CColorSelectWnd(Options options)
    : m_options(std::move(options)),
      m_file(m_options.colourFile.empty() ? tirk::DefaultColourFilePath() : m_options.colourFile) {}

CColorSelectWnd::~CColorSelectWnd() = default;

CControlUI* CColorSelectWnd::CreateControl(const std::string& className) {
    if (className == kPallet) return new CPalletUI;
    return nullptr;
}

void CColorSelectWnd::InitWindow() {
    FindControls();
    m_slots = m_file.Load(&m_fileError);
    ShowSlots();
    if (m_sevenOption) m_sevenOption->SetVisible(m_options.sevenColourAllowed);
    if (m_sevenLayout) m_sevenLayout->SetVisible(m_options.sevenColourAllowed);
    SetSevenColour(false);
    SetWorkingColour(m_options.startColour, Source::kOutside, false);
    m_dpiFollower = std::make_unique<CDpiFollower>(*this);
}

void CColorSelectWnd::FindControls() {
    m_pallet = dynamic_cast<CPalletUI*>(m_pm.FindControl(kPallet));
    m_preview = dynamic_cast<CButtonUI*>(m_pm.FindControl(kPreview));
    for (int i = 0; i < 3; ++i)
        m_edits[i] = dynamic_cast<CEditUI*>(m_pm.FindControl(kEditNames[i]));
    for (int i = 0; i < tirk::kColourSlotCount; ++i) {
        const std::string number = std::to_string(i);
        m_slotOptions[i] = dynamic_cast<COptionUI*>(m_pm.FindControl(kSlotPrefix + number));
        m_collectedOptions[i] =
            dynamic_cast<COptionUI*>(m_pm.FindControl(kCollectedPrefix + number));
    }
    m_sevenOption = dynamic_cast<COptionUI*>(m_pm.FindControl(kSevenOption));
    m_sevenLayout = m_pm.FindControl(kSevenLayout);
}

void CColorSelectWnd::ShowSlots() {
    for (int i = 0; i < tirk::kColourSlotCount; ++i) {
        if (COptionUI* slot = m_slotOptions[i]) {
            slot->SetBkColor(m_slots.colours[i]);
            slot->SetSelectedBkColor(m_slots.colours[i]);
        }
        if (COptionUI* slot = m_collectedOptions[i]) {
            const tirk::CollectedColour& collected = m_slots.collected[i];
            slot->SetBkColor(collected.colour);
            slot->SetSelectedBkColor(collected.colour);
            slot->SetUserData(collected.userData);
            if (collected.userData == tirk::kCollectedMark) slot->SetBorderSize(0);
        }
    }
    // The colour slots and the collected slots are one group: the remembered
    // colour slot shows as selected; a collected slot takes colours only
    // after the user chose it again.
    const int selected = m_slots.slotSelection;
    if (selected >= 0 && m_slotOptions[selected]) m_slotOptions[selected]->Selected(true, false);
}

void CColorSelectWnd::Notify(TNotifyUI& msg) {
    CControlUI* sender = msg.pSender;
    if (!sender) return;
    if (msg.sType == notify_type::kClick) {
        OnClick(sender);
    } else if (msg.sType == CPalletUI::kNotifyColorChanged && sender == m_pallet) {
        OnPalletChanged(msg.wParam == CPalletUI::kFinal);
    } else if (msg.sType == notify_type::kSelectChanged && sender == m_sevenOption) {
        SetSevenColour(m_sevenOption->IsSelected());
    } else if ((msg.sType == notify_type::kKillFocus || msg.sType == notify_type::kReturn) &&
               EditIndex(sender) >= 0) {
        OnEditDone(sender);
    }
}

void CColorSelectWnd::OnClick(CControlUI* sender) {
    const std::string& name = sender->GetName();
    if (name == "okbtn") {
        OnOk();
        return;
    }
    if (name == "closebtn") {
        Close(kClosed);
        return;
    }
    const tirk::page::IndexedName split = tirk::page::SplitIndexedName(name);
    if (split.number < 0 || split.number >= tirk::kColourSlotCount) return;
    if (split.prefix == kSlotPrefix)
        OnSlotClicked(split.number);
    else if (split.prefix == kCollectedPrefix)
        OnCollectedClicked(split.number);
}

void CColorSelectWnd::OnSlotClicked(int index) {
    COptionUI* slot = m_slotOptions[index];
    if (!slot) return;
    SelectSlotOption(slot);
    m_slots.slotSelection = index;
    m_unsaved = true;
    SetWorkingColour(slot->GetBkColor(), Source::kSlot, true);
}

void CColorSelectWnd::OnCollectedClicked(int index) {
    COptionUI* slot = m_collectedOptions[index];
    if (!slot) return;
    SelectSlotOption(slot);
    m_slots.collectedSelection = index;
    m_unsaved = true;
    if (slot->GetUserData() == tirk::kCollectedMark) {
        SetSevenColour(false);
        SetWorkingColour(slot->GetBkColor(), Source::kSlot, true);
    } else {
        Save();
    }
}

void CColorSelectWnd::SelectSlotOption(COptionUI* option) {
    // Selected before the colour moves, so that a click on a colour slot can
    // no longer count the previously chosen collected slot as selected.
    option->Selected(true, false);
}

int CColorSelectWnd::EditIndex(CControlUI* control) const {
    for (int i = 0; i < 3; ++i) {
        if (control && control == m_edits[i]) return i;
    }
    return -1;
}

void CColorSelectWnd::OnEditDone(CControlUI* edit) {
    uint32_t composed = kOpaque;
    for (int i = 0; i < 3; ++i) {
        std::optional<int> value;
        if (m_edits[i]) value = ChannelText(m_edits[i]->GetText());
        if (m_edits[i] == edit && !value)
            tirk::log::Printf("colour edit %s: '%s' refused", kEditNames[i],
                              m_edits[i]->GetText().c_str());
        composed |= uint32_t(value.value_or(Channel(m_colour, i))) << kChannelShift[i];
    }
    SetWorkingColour(composed, Source::kEdit, true);
}

void CColorSelectWnd::OnPalletChanged(bool final) {
    SetWorkingColour(m_pallet->GetColor(), Source::kPallet, final);
}

void CColorSelectWnd::SetWorkingColour(uint32_t argb, Source source, bool final) {
    argb |= kOpaque;
    const bool changed = argb != m_colour;
    m_colour = argb;
    if (m_pallet && source != Source::kPallet) m_pallet->SetColor(argb);
    if (m_preview) m_preview->SetBkColor(argb);
    // Every edit shows the colour again: a refused or clamped entry is
    // replaced by what counts.
    for (int i = 0; i < 3; ++i) {
        if (m_edits[i]) m_edits[i]->SetText(std::to_string(Channel(argb, i)));
    }
    if (changed) StoreInSelectedCollected();
    if (final && m_unsaved) Save();
}

void CColorSelectWnd::StoreInSelectedCollected() {
    const int index = m_slots.collectedSelection;
    if (index < 0 || index >= tirk::kColourSlotCount) return;
    COptionUI* slot = m_collectedOptions[index];
    if (!slot || !slot->IsSelected()) return;
    slot->SetBkColor(m_colour);
    slot->SetSelectedBkColor(m_colour);
    slot->SetUserData(tirk::kCollectedMark);
    slot->SetBorderSize(0);
    m_slots.collected[index] = {m_colour, tirk::kCollectedMark};
    m_unsaved = true;
}

void CColorSelectWnd::SetSevenColour(bool on) {
    m_sevenColour = on;
    if (m_sevenOption && m_sevenOption->IsSelected() != on) m_sevenOption->Selected(on, false);
    if (m_preview) m_preview->SetBkImage(on ? kSevenImage : "");
}

void CColorSelectWnd::OnOk() {
    if (!m_pallet) {
        Close(kNoPallet);
        return;
    }
    // An entry the user typed and confirmed with OK directly still counts.
    for (int i = 0; i < 3; ++i) {
        if (m_edits[i] && m_edits[i]->GetText() != std::to_string(Channel(m_colour, i))) {
            OnEditDone(m_edits[i]);
            break;
        }
    }
    m_chosenColour = m_preview ? m_preview->GetBkColor() : m_colour;
    m_chosenSeven = m_sevenColour;
    if (m_unsaved) Save();
    Close(kChosen);
}

void CColorSelectWnd::Save() {
    const tirk::FileResult result = m_file.Save(m_slots);
    m_saveError = result ? std::string() : result.error;
    m_unsaved = false;
}
