#include "ui/combo.h"

#include <QComboBox>
#include <QListView>
#include <QStandardItemModel>

#include "ui/internal/attributes.h"
#include "ui/paint_manager.h"

using namespace tirk::ui;

namespace {

// A hidden row keeps its index but is neither listed in the drop-down nor
// reached with the wheel or the arrow keys (both skip disabled rows).
void HideRow(QComboBox* box, int row) {
    if (auto* view = qobject_cast<QListView*>(box->view())) view->setRowHidden(row, true);
    if (auto* model = qobject_cast<QStandardItemModel*>(box->model())) {
        if (QStandardItem* entry = model->item(row)) entry->setEnabled(false);
    }
}

}  // namespace

CComboUI::CComboUI() {
    m_box = new QComboBox(this);
    setFocusProxy(m_box);
    QObject::connect(m_box, &QComboBox::activated, this, [this](int index) { OnUserPick(index); });
}

CComboUI::~CComboUI() {
    for (CListLabelElementUI* item : m_items) item->SetOwner(nullptr);
}

bool CComboUI::Add(CControlUI* control) {
    auto* item = dynamic_cast<CListLabelElementUI*>(control);
    if (!item || item->GetOwner() == this) return false;
    item->setParent(this);
    item->QWidget::setVisible(false);  // the drop-down shows the texts
    item->SetOwner(this);
    item->SetIndex(GetCount());
    m_items.push_back(item);
    QSignalBlocker block(m_box);
    m_box->addItem(ToQ(item->GetText()));
    if (!item->IsVisible()) HideRow(m_box, GetCount() - 1);
    m_box->setCurrentIndex(m_curSel);
    return true;
}

int CComboUI::AddItem(const std::string& text, const std::string& userData) {
    auto* item = new CListLabelElementUI;
    item->SetText(text);
    item->SetUserData(userData);
    Add(item);
    return GetCount() - 1;
}

void CComboUI::RemoveAll() {
    QSignalBlocker block(m_box);
    m_box->clear();
    std::vector<CListLabelElementUI*> items;
    items.swap(m_items);
    for (CListLabelElementUI* item : items) delete item;
    m_curSel = -1;
}

CListLabelElementUI* CComboUI::GetItemAt(int index) const {
    return index >= 0 && index < GetCount() ? m_items[size_t(index)] : nullptr;
}

std::string CComboUI::GetItemText(int index) const {
    CListLabelElementUI* item = GetItemAt(index);
    return item ? item->GetText() : std::string();
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
    if (index < -1 || index >= GetCount()) return false;
    if (takeFocus) m_box->setFocus();
    if (index == m_curSel) return true;
    int old = m_curSel;
    if (CListLabelElementUI* previous = GetItemAt(old)) previous->SetSelectedFlag(false);
    m_curSel = index;
    if (CListLabelElementUI* next = GetItemAt(index)) next->SetSelectedFlag(true);
    {
        QSignalBlocker block(m_box);
        m_box->setCurrentIndex(index);
    }
    if (triggerEvent) SendNotify(notify_type::kItemSelect, index, old);
    return true;
}

std::string CComboUI::GetText() const {
    return GetItemText(m_curSel);
}

void CComboUI::OnItemTextChanged(IListItemUI* item) {
    int index = item->GetIndex();
    if (index >= 0 && index < GetCount()) m_box->setItemText(index, ToQ(GetItemText(index)));
}

void CComboUI::OnUserPick(int index) {
    SelectItem(index, false, true);
}

void CComboUI::SetEnabled(bool enabled) {
    CLabelUI::SetEnabled(enabled);
    m_box->setEnabled(enabled);
}

void CComboUI::ReloadText() {
    CLabelUI::ReloadText();
    for (int i = 0; i < GetCount(); ++i) m_box->setItemText(i, ToQ(GetItemText(i)));
}

void CComboUI::OnDpiOrFontChanged() {
    CLabelUI::OnDpiOrFontChanged();
    m_box->setFont(ControlFont());
    ApplySkinStyle();
}

// The box and its drop-down in the skin's dark colours (the platform's light
// style would glare on the dark pages); lengths follow the window's DPI.
void CComboUI::ApplySkinStyle() {
    // A style sheet is parsed and the box re-polished on every set: only a
    // new scale makes a new one.
    const int scale = Scale(100);
    if (scale == m_styledScale) return;
    m_styledScale = scale;
    auto px = [this](int value) { return QString::number(Scale(value)) + "px"; };
    const QString arrow =
        QString::fromStdString(CPaintManagerUI::ResolveResourceFile("common/combo_arrow.png"));
    m_box->setStyleSheet(
        QString("QComboBox { background: #262A33; color: #E8E8EC; border: 1px solid #3A3F4B;"
                " border-radius: %1; padding: 0 %2; }"
                "QComboBox:hover, QComboBox:focus { border-color: #E8343E; }"
                "QComboBox::drop-down { border: none; width: %3; }"
                "QComboBox::down-arrow { image: url(%4); width: %5; height: %6; }"
                "QComboBox QAbstractItemView { background: #1B1E25; color: #E8E8EC;"
                " border: 1px solid #3A3F4B; outline: 0; padding: %7 0;"
                " selection-background-color: #E8343E; selection-color: #FFFFFF; }")
            .arg(px(4), px(8), px(24), arrow, px(12), px(8), px(4)));
}

bool CComboUI::SetAttribute(const std::string& rawName, const std::string& value) {
    if (ToLower(rawName) != "cursel") return CLabelUI::SetAttribute(rawName, value);
    int index = 0;
    if (!ParseInt(value, &index) || index < -1) return false;
    m_pendingSel = index;
    return true;
}

void CComboUI::DoInit() {
    if (m_pendingSel >= 0) SelectItem(m_pendingSel, false, false);
    ApplySkinStyle();
}

void CComboUI::resizeEvent(QResizeEvent* event) {
    CLabelUI::resizeEvent(event);
    m_box->setGeometry(rect());
}
