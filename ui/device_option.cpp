#include "ui/device_option.h"

#include <QCoreApplication>
#include <QEvent>

#include "ui/internal/typed_layout.h"

namespace tirk::ui {
namespace {

constexpr DeviceKindLook kKeyboard{"common/device_ico/kb_device_", "kb_device_name_text"};
constexpr DeviceKindLook kMouse{"common/device_ico/ms_device_", "ms_device_name_text"};
constexpr DeviceKindLook kHardPad{"common/device_ico/hard_mp_device_", "hard_mp_device_name_text"};
constexpr DeviceKindLook kSoftPad{"common/device_ico/soft_mp_device_", "soft_mp_device_name_text"};
constexpr DeviceKindLook kHeadset{"common/device_ico/hd_device_", "hd_device_name_text"};
constexpr DeviceKindLook kHub{"common/device_ico/hub_device_", "hub_device_name_text"};
constexpr DeviceKindLook kUnknown{"common/device_ico/unknow_device_", "unknow_device_name_text"};

const char* FileOf(TileImage which) {
    switch (which) {
        case TileImage::kNormal:
            return "normal.png";
        case TileImage::kSelected:
            return "selected.png";
        case TileImage::kSynchroNormal:
            return "synchro_normal.png";
        case TileImage::kSynchroSelected:
            return "synchro_selected.png";
    }
    return "normal.png";
}

// The tile pictures keep their left part (the icon) and their corners
// unscaled when the list is narrower or wider than the picture.
std::string TileImageString(const std::string& path, const char* extra = "") {
    return "file='" + path + "' corner='64,8,8,8'" + extra;
}

}  // namespace

DeviceKindLook LookOfDeviceKind(int kind, int variant) {
    switch (kind) {
        case 1:
            return kKeyboard;
        case 2:
            return kMouse;
        case 3:
            return variant == 1 ? kSoftPad : kHardPad;
        case 4:
        case 7:
            return kHeadset;
        case 5:
            return kHub;
        default:
            return kUnknown;
    }
}

std::string DeviceTileImagePath(int kind, int variant, TileImage which) {
    return std::string(LookOfDeviceKind(kind, variant).imagePrefix) + FileOf(which);
}

}  // namespace tirk::ui

using tirk::ui::TileImage;

CDeviceOptionUI* CDeviceOptionUI::CreateFromLayout(const std::string& file,
                                                   CPaintManagerUI* manager, std::string* error) {
    return tirk::ui::BuildLayoutOf<CDeviceOptionUI>(file, manager, error);
}

CDeviceOptionUI::CDeviceOptionUI() = default;

CDeviceOptionUI::~CDeviceOptionUI() {
    if (m_synchro) m_synchro->removeEventFilter(this);
}

bool CDeviceOptionUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    BindParts();
    return true;
}

void CDeviceOptionUI::BindParts() {
    const bool bound = m_option && m_nameText && m_synchro;
    if (!m_option) m_option = dynamic_cast<COptionUI*>(FindSubControl(kOptionName));
    if (!m_nameText) m_nameText = FindSubControl(kNameTextName);
    if (!m_synchro) {
        m_synchro = dynamic_cast<CCheckBoxUI*>(FindSubControl(kSynchroName));
        if (m_synchro) m_synchro->installEventFilter(this);
    }
    // A tile without a kind yet looks like an unknown device.
    if (!bound) ApplyLook();
}

void CDeviceOptionUI::SetKind(int kind, int variant) {
    m_kind = kind;
    m_variant = variant;
    ApplyLook();
}

void CDeviceOptionUI::ApplyLook() {
    if (m_nameText)
        m_nameText->SetTextKey(tirk::ui::LookOfDeviceKind(m_kind, m_variant).nameTextKey);
    ApplyImages();
}

std::string CDeviceOptionUI::GetImagePath(TileImage which) const {
    return tirk::ui::DeviceTileImagePath(m_kind, m_variant, which);
}

void CDeviceOptionUI::ApplyImages() {
    if (!m_option) return;
    const bool synchro = IsSynchro();
    const std::string normal =
        GetImagePath(synchro ? TileImage::kSynchroNormal : TileImage::kNormal);
    const std::string selected =
        GetImagePath(synchro ? TileImage::kSynchroSelected : TileImage::kSelected);
    m_option->SetNormalImage(tirk::ui::TileImageString(normal));
    // Hovering a tile shows a faint selection.
    m_option->SetHotImage(tirk::ui::TileImageString(selected, " fade='110'"));
    m_option->SetSelectedImage(tirk::ui::TileImageString(selected));
}

void CDeviceOptionUI::SetGroup(const std::string& group) {
    if (m_option) m_option->SetGroup(group);
}

std::string CDeviceOptionUI::GetGroup() const {
    return m_option ? m_option->GetGroup() : std::string();
}

void CDeviceOptionUI::SetSelected(bool selected, bool triggerEvent) {
    if (m_option) m_option->Selected(selected, triggerEvent);
}

COptionUI* CDeviceOptionUI::GetOption() const {
    return m_option;
}

void CDeviceOptionUI::BindPage(const std::string& tabName, int index) {
    m_pageTabName = tabName;
    m_pageIndex = index;
}

void CDeviceOptionUI::BindPowerTile(const std::string& containerName, int index) {
    m_powerContainerName = containerName;
    m_powerIndex = index;
}

bool CDeviceOptionUI::IsSynchro() const {
    return m_synchro && m_synchro->GetCheck();
}

void CDeviceOptionUI::SetSynchro(bool on, bool triggerEvent) {
    if (!m_synchro) return;
    m_synchro->SetCheck(on, triggerEvent);
    ApplyImages();
}

CCheckBoxUI* CDeviceOptionUI::GetSynchroCheckBox() const {
    return m_synchro;
}

void CDeviceOptionUI::SetOnline(bool online) {
    if (m_onlineHandler)
        m_onlineHandler(*this, online);
    else
        SetShown(online);
}

bool CDeviceOptionUI::IsSelected() const {
    return m_option && m_option->IsSelected();
}

void CDeviceOptionUI::RepaintIcon() {
    if (m_option) m_option->Invalidate();
}

bool CDeviceOptionUI::eventFilter(QObject* watched, QEvent* event) {
    const bool toggles =
        event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::KeyPress;
    if (m_forwarding || !toggles || !m_synchro || watched != m_synchro.data())
        return CContainerUI::eventFilter(watched, event);
    // The check box decides whether the event toggles it (and notifies the
    // window); the pictures follow its new state at once.
    QPointer<CDeviceOptionUI> self(this);
    m_forwarding = true;
    QCoreApplication::sendEvent(watched, event);
    // Delivered (and propagated, if the check box ignored it) already.
    event->accept();
    if (!self) return true;  // a receiver of the notification removed the tile
    m_forwarding = false;
    ApplyImages();
    return true;
}
