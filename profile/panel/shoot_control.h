// CShootControlUI: the recoil page of the mice (layout element
// "ShootControl", built from XML/CustomControlXML/ShootControl.xml, found by
// the device page as "ShootControlItem"). It edits one shot of one of the
// four recoil tables at a time. It holds no copy of the tables: every display
// reads the gun's file and every change writes it (profile/recoil_tables.h).
// The main window routes its controls' notifications (app/routes/
// recoil_routes.cpp); operations that touch files return what the user must
// be told. Controls are found by name on first use; an operation whose
// control is missing skips that control.
#pragma once

#include <array>
#include <string>

#include "profile/recoil_tables.h"
#include "ui/container.h"

class CButtonUI;
class CCheckBoxUI;
class CEditUI;
class CLabelUI;
class COptionUI;

class CShootControlUI : public CHorizontalLayoutUI {
public:
    static constexpr int kGunCount = tirk::kRecoilGuns;
    static constexpr int kShotCount = tirk::kRecoilShots;

    std::string GetClass() const override { return "ShootControl"; }

    /// Page start: takes the device data folder and the default data folder,
    /// gives every gun whose file is missing or no recoil file its default
    /// (a failure is logged and the gun reads as empty), then shows gun 0,
    /// shot 0.
    void InitShootPage(const std::string& deviceFolder, const std::string& defaultFolder);

    // ---- selection ---------------------------------------------------------------
    /// Clamps `gun` into 0 … 3, selects its option (silently) and shows its
    /// picture. Does not show the shot: the caller follows with ShowShot.
    void SelectGun(int gun);
    /// Clamps `shot` into 0 … 29, selects its option (silently), shows its
    /// number (shot + 1) and the shot.
    void SelectShot(int shot);
    int SelectedGun() const { return m_gun; }
    int SelectedShot() const { return m_shot; }
    /// Reads the selected shot of the selected gun's file into the checks
    /// (with their texts) and the edits.
    void ShowShot();
    /// The direction checks' texts follow their state ("bullet_x_check":
    /// left or right, "bullet_y_check": up or down).
    void ShowDirectionTexts();

    // ---- changes: each reads and writes the gun's file --------------------------
    /// Writes the selected shot from the checks and the edits (distances
    /// clamped into 0 … 255, the delay into 0 … 65535; what is no number is 0).
    tirk::RecoilResult SaveShot();
    /// SaveShot when the edits show something else than the file holds for
    /// the selected shot (typed, but the edit has not lost the focus yet);
    /// otherwise nothing. Changed checks alone are not written.
    tirk::RecoilResult SaveTypedValues();
    /// The default over gun `gun`'s file; then the selected shot is shown again.
    tirk::RecoilResult ResetGun(int gun);
    /// The file at `path` over the selected gun's file, when it is a recoil
    /// file; then the selected shot is shown again.
    tirk::RecoilResult ImportGun(const std::string& path);
    /// The selected gun's file, copied to `path`.
    tirk::RecoilResult ExportGun(const std::string& path) const;
    /// The block that sends the four tables to the mouse.
    tirk::RecoilBlock BuildRecoilBlock() const { return m_tables.BuildBlock(); }

    /// The tables the page edits (tests reach its file writer through it).
    tirk::RecoilTables& Tables() { return m_tables; }

private:
    template <typename T>
    T* Find(T*& cache, const std::string& name) const;
    COptionUI* GunOption(int gun) const;
    COptionUI* ShotOption(int shot) const;
    /// What the checks and edits show now.
    tirk::RecoilShot ShownShot() const;

    tirk::RecoilTables m_tables;
    int m_gun = 0;
    int m_shot = 0;

    // Found on first use; a lookup that finds nothing is repeated next time.
    mutable std::array<COptionUI*, kGunCount> m_gunOptions{};
    mutable std::array<COptionUI*, kShotCount> m_shotOptions{};
    mutable CTabLayoutUI* m_pictures = nullptr;
    mutable CLabelUI* m_shotNumber = nullptr;
    mutable CCheckBoxUI* m_xCheck = nullptr;
    mutable CCheckBoxUI* m_yCheck = nullptr;
    mutable CEditUI* m_xEdit = nullptr;
    mutable CEditUI* m_yEdit = nullptr;
    mutable CEditUI* m_delayEdit = nullptr;
};
