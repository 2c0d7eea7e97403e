#include "profile/panel/shoot_control.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "core/log.h"
#include "ui/button.h"
#include "ui/edit.h"
#include "ui/label.h"

namespace {

constexpr char kLeftText[] = "mouse_move_to_left_text";
constexpr char kRightText[] = "mouse_move_to_right_text";
constexpr char kUpText[] = "mouse_move_to_up_text";
constexpr char kDownText[] = "mouse_move_to_down_text";
constexpr int kMaxDistance = 255;
constexpr int kMaxDelay = 65535;

/// The edit's decimal number within 0 … `max`; anything that is no number is 0.
int EditNumber(const CEditUI* edit, int max) {
    if (!edit) return 0;
    const std::string text = edit->GetText();
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) return text.front() == '-' ? 0 : max;
    if (error != std::errc() || end != text.data() + text.size()) return 0;
    return int(std::clamp<long long>(value, 0, max));
}

void ShowNumber(CEditUI* edit, int value) {
    if (edit) edit->SetText(std::to_string(value));
}

bool IsChecked(const CCheckBoxUI* check) {
    return check && check->GetCheck();
}

void SetChecked(CCheckBoxUI* check, bool checked) {
    if (check) check->SetCheck(checked, false);
}

void ShowCheckText(CCheckBoxUI* check, const char* checkedKey, const char* uncheckedKey) {
    if (check) check->SetTextKey(IsChecked(check) ? checkedKey : uncheckedKey);
}

}  // namespace

template <typename T>
T* CShootControlUI::Find(T*& cache, const std::string& name) const {
    if (!cache) cache = dynamic_cast<T*>(FindSubControl(name));
    return cache;
}

COptionUI* CShootControlUI::GunOption(int gun) const {
    return Find(m_gunOptions[size_t(gun)], "shoot_gun_op_" + std::to_string(gun));
}

COptionUI* CShootControlUI::ShotOption(int shot) const {
    return Find(m_shotOptions[size_t(shot)], "bullet_op_" + std::to_string(shot));
}

// ---- page start ------------------------------------------------------------------

void CShootControlUI::InitShootPage(const std::string& deviceFolder,
                                    const std::string& defaultFolder) {
    m_tables = tirk::RecoilTables(deviceFolder, defaultFolder);
    // Nobody is asked at page start: a gun whose default cannot be had reads
    // as an empty table, and the log says why.
    for (int gun = 0; gun < kGunCount; ++gun) {
        if (!m_tables.NeedsReset(gun)) continue;
        if (tirk::RecoilResult reset = m_tables.Reset(gun); !reset)
            tirk::log::FileFault(m_tables.TablePath(gun), reset.detail);
    }
    SelectGun(0);
    SelectShot(0);
}

// ---- selection ---------------------------------------------------------------------

void CShootControlUI::SelectGun(int gun) {
    m_gun = std::clamp(gun, 0, kGunCount - 1);
    for (int g = 0; g < kGunCount; ++g)
        if (COptionUI* option = GunOption(g)) option->Selected(g == m_gun, false);
    if (Find(m_pictures, "shoot_image_display_switch")) m_pictures->SelectItem(m_gun);
}

void CShootControlUI::SelectShot(int shot) {
    m_shot = std::clamp(shot, 0, kShotCount - 1);
    for (int b = 0; b < kShotCount; ++b)
        if (COptionUI* option = ShotOption(b)) option->Selected(b == m_shot, false);
    if (Find(m_shotNumber, "bullet_select_index"))
        m_shotNumber->SetText(std::to_string(m_shot + 1));
    ShowShot();
}

void CShootControlUI::ShowShot() {
    const tirk::RecoilShot shot = m_tables.ReadShot(m_gun, m_shot);
    SetChecked(Find(m_xCheck, "bullet_x_check"), shot.left);
    SetChecked(Find(m_yCheck, "bullet_y_check"), shot.up);
    ShowDirectionTexts();
    ShowNumber(Find(m_xEdit, "bullet_x_eidt"), shot.x);
    ShowNumber(Find(m_yEdit, "bullet_y_eidt"), shot.y);
    ShowNumber(Find(m_delayEdit, "bullet_delay_eidt"), shot.delay);
}

void CShootControlUI::ShowDirectionTexts() {
    ShowCheckText(Find(m_xCheck, "bullet_x_check"), kLeftText, kRightText);
    ShowCheckText(Find(m_yCheck, "bullet_y_check"), kUpText, kDownText);
}

// ---- changes -----------------------------------------------------------------------

tirk::RecoilShot CShootControlUI::ShownShot() const {
    tirk::RecoilShot shot;
    shot.left = IsChecked(Find(m_xCheck, "bullet_x_check"));
    shot.up = IsChecked(Find(m_yCheck, "bullet_y_check"));
    shot.x = uint8_t(EditNumber(Find(m_xEdit, "bullet_x_eidt"), kMaxDistance));
    shot.y = uint8_t(EditNumber(Find(m_yEdit, "bullet_y_eidt"), kMaxDistance));
    shot.delay = uint16_t(EditNumber(Find(m_delayEdit, "bullet_delay_eidt"), kMaxDelay));
    return shot;
}

tirk::RecoilResult CShootControlUI::SaveShot() {
    return m_tables.WriteShot(m_gun, m_shot, ShownShot());
}

tirk::RecoilResult CShootControlUI::SaveTypedValues() {
    const tirk::RecoilShot shown = ShownShot();
    const tirk::RecoilShot stored = m_tables.ReadShot(m_gun, m_shot);
    if (shown.x == stored.x && shown.y == stored.y && shown.delay == stored.delay) return {};
    return m_tables.WriteShot(m_gun, m_shot, shown);
}

tirk::RecoilResult CShootControlUI::ResetGun(int gun) {
    tirk::RecoilResult result = m_tables.Reset(std::clamp(gun, 0, kGunCount - 1));
    SelectShot(m_shot);
    return result;
}

tirk::RecoilResult CShootControlUI::ImportGun(const std::string& path) {
    tirk::RecoilResult result = m_tables.Import(m_gun, path);
    SelectShot(m_shot);
    return result;
}

tirk::RecoilResult CShootControlUI::ExportGun(const std::string& path) const {
    return m_tables.Export(m_gun, path);
}
