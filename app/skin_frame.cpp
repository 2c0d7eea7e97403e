#include "app/skin_frame.h"

#include <QApplication>
#include <QFileDialog>
#include <QImageReader>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include "core/log.h"
#include "core/settings_store.h"
#include "profile/profile_paths.h"
#include "ui/container.h"
#include "ui/control.h"
#include "ui/image_string.h"
#include "ui/msg_wnd.h"
#include "ui/paint_manager.h"
#include "ui/resource_manager.h"

namespace tirk {
namespace {

constexpr char kRoot[] = "root";
constexpr char kIniSection[] = "SKINIMAGE";
constexpr char kImageKey[] = "IMAGE";
constexpr char kFlagsKey[] = "FLAGS";

}  // namespace

SkinReceivers& SkinReceivers::Instance() {
    static SkinReceivers receivers;
    return receivers;
}

void SkinReceivers::Add(const void* owner, Receiver receiver) {
    Remove(owner);
    m_receivers[m_next++] = {owner, std::move(receiver)};
}

void SkinReceivers::Remove(const void* owner) {
    std::erase_if(m_receivers, [owner](const auto& entry) { return entry.second.first == owner; });
}

void SkinReceivers::Broadcast(const SkinRecord& skin) const {
    // A receiver may add or remove receivers; the copy keeps the walk valid.
    const auto receivers = m_receivers;
    for (const auto& [order, entry] : receivers) entry.second(skin);
}

std::string ImageStringForFile(const std::string& path) {
    const bool plain = path.find('=') == std::string::npos && !path.empty() &&
                       path.front() != ' ' && path.back() != ' ' && path.front() != '\t' &&
                       path.back() != '\t';
    if (plain) return path;
    if (path.find('\'') == std::string::npos) return "file='" + path + "'";
    if (path.find('"') == std::string::npos) return "file=\"" + path + "\"";
    return {};
}

bool ApplySkin(CPaintManagerUI& pm, const SkinRecord& skin, std::string* error) {
    auto fail = [error](const std::string& what) {
        log::Printf("skin not applied: %s", what.c_str());
        if (error) *error = what;
        return false;
    };
    CControlUI* root = pm.FindControl(kRoot);
    if (!root) return fail("the window has no control \"root\"");
    if (!skin.isImage) {
        root->SetBkColor(skin.colour);
        root->SetBkImage("");
        return true;
    }
    const std::string image = ImageStringForFile(skin.image);
    TSizeUI size;
    if (image.empty()) return fail(skin.image + ": the name cannot be used as a picture");
    if (!GetImageSize(skin.image, &size)) return fail(skin.image + ": the picture cannot be read");
    root->SetBkColor(0);
    root->SetBkImage(image);
    return true;
}

std::string DefaultSkinIniPath() {
    return UserDataRoot() + kSkinIniName;
}

FileResult WriteSkinIni(const std::string& path, bool chosenImage, const std::string& image) {
    SettingsStore ini(path);
    FileResult loaded = ini.Load();
    // A file that cannot be read must not be replaced by one holding only
    // our two keys; lines it cannot parse are kept by the store.
    if (!loaded && !ini.Exists()) return loaded;
    if (!ini.Set(kFlagsKey, chosenImage ? "1" : "0", kIniSection) ||
        !ini.Set(kImageKey, image, kIniSection))
        return {false, path + ": not written: the picture name cannot be stored in it"};
    return ini.Save();
}

}  // namespace tirk

// ------------------------------------------------------------------ frame

namespace {

CSkinFrame* g_openFrame = nullptr;

constexpr char kTab[] = "skin_tab";
constexpr char kFileFilter[] = "(*.png);;(*)";
constexpr char kUnreadableKey[] = "skin_custom_unreadable";

std::optional<std::string> AskForPicture(QWidget* parent) {
    const std::string title = CResourceManager::GetInstance()->GetText("skin_custom_title");
    QFileDialog dialog(parent, QString::fromStdString(title));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(QString::fromLatin1(kFileFilter).split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(QStringLiteral("png"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

// Why a picture file cannot be shown; empty when it can.
std::string PictureProblem(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    if (reader.canRead() && reader.size().isValid()) return {};
    return path + ": " + reader.errorString().toStdString();
}

}  // namespace

// Closes the frame when the mouse is pressed in any other window of the
// program: the frame is shown without the focus, so it may never lose it.
class CSkinFrame::OutsideClickWatch : public QObject {
public:
    OutsideClickWatch(CSkinFrame& frame, QWidget* anchor) : m_frame(frame), m_anchor(anchor) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonPress) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() == m_frame.GetWidget()) return false;
        // The skin button's own click closes the frame through Toggle.
        if (m_anchor && (widget == m_anchor || m_anchor->isAncestorOf(widget))) return false;
        m_frame.CloseUnlessBusy();
        return false;
    }

private:
    CSkinFrame& m_frame;
    QPointer<QWidget> m_anchor;
};

CSkinFrame::CSkinFrame(Hooks hooks) : m_hooks(std::move(hooks)) {
    if (!m_hooks.chooseFile) m_hooks.chooseFile = AskForPicture;
    if (m_hooks.iniPath.empty()) m_hooks.iniPath = tirk::DefaultSkinIniPath();
}

CSkinFrame::~CSkinFrame() {
    if (g_openFrame == this) g_openFrame = nullptr;
    if (m_outsideWatch) qApp->removeEventFilter(m_outsideWatch.get());
}

CSkinFrame* CSkinFrame::GetOpen() {
    return g_openFrame;
}

CSkinFrame* CSkinFrame::Toggle(WindowImplBase& owner, CControlUI* anchor, Hooks hooks) {
    if (g_openFrame) {
        CloseOpen();
        return nullptr;
    }
    auto* frame = new CSkinFrame(std::move(hooks));
    if (frame->Open(owner, anchor)) return frame;
    delete frame;
    return nullptr;
}

void CSkinFrame::CloseOpen() {
    if (CSkinFrame* frame = g_openFrame) {
        g_openFrame = nullptr;
        frame->Close(0);
    }
}

bool CSkinFrame::Open(WindowImplBase& owner, CControlUI* anchor) {
    if (!Create(nullptr, "skinframe")) {
        tirk::log::FileFault(GetSkinFile(), GetLoadError());
        return false;
    }
    QWidget* widget = GetWidget();
    widget->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    widget->winId();
    owner.GetWidget()->winId();
    widget->windowHandle()->setTransientParent(owner.GetWidget()->windowHandle());
    GetPaintManager().SetDPI(owner.GetPaintManager().GetDPI());
    PlaceUnder(anchor);
    m_outsideWatch = std::make_unique<OutsideClickWatch>(*this, anchor);
    qApp->installEventFilter(m_outsideWatch.get());
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, m_outsideWatch.get(),
                     [this](Qt::ApplicationState state) {
                         if (state != Qt::ApplicationActive) CloseUnlessBusy();
                     });
    g_openFrame = this;
    ShowWindow(true, false);
    return true;
}

void CSkinFrame::PlaceUnder(CControlUI* anchor) {
    if (!anchor) {
        CenterWindow();
        return;
    }
    const QPoint corner = anchor->mapToGlobal(QPoint(anchor->width(), anchor->height()));
    GetWidget()->move(corner.x() - GetWidget()->frameGeometry().width(), corner.y());
}

void CSkinFrame::OnFinalMessage() {
    delete this;
}

void CSkinFrame::OnActivateChanged(bool active) {
    if (!active) CloseUnlessBusy();
}

void CSkinFrame::CloseUnlessBusy() {
    if (m_busy) return;
    if (g_openFrame == this) g_openFrame = nullptr;
    Close(0);
}

void CSkinFrame::Notify(TNotifyUI& msg) {
    if (msg.sType == notify_type::kClick && msg.pSender) OnClick(msg.pSender);
}

void CSkinFrame::OnClick(CControlUI* sender) {
    const std::string& name = sender->GetName();
    if (name == "skin_image_btn") {
        ChooseImage(sender->GetUserData(), false);
    } else if (name == "skin_color_btn") {
        tirk::SkinReceivers::Instance().Broadcast({false, sender->GetBkColor(), {}});
    } else if (name == "skin_color") {
        SelectPage(1);
    } else if (name == "skin_image") {
        SelectPage(0);
    } else if (name == "skin_reset") {
        ChooseImage(tirk::kDefaultSkinImage, true);
    } else if (name == "skin_Custom") {
        ChooseCustomImage();
    }
}

void CSkinFrame::SelectPage(int page) {
    if (auto* tab = dynamic_cast<CTabLayoutUI*>(m_pm.FindControl(kTab))) tab->SelectItem(page);
}

void CSkinFrame::ChooseImage(const std::string& image, bool reset) {
    tirk::SkinReceivers::Instance().Broadcast({true, 0, image});
    const tirk::FileResult written = tirk::WriteSkinIni(m_hooks.iniPath, !reset, image);
    m_iniError = written ? std::string() : written.error;
    if (!written) tirk::log::FileFault(m_hooks.iniPath, written.error);
}

void CSkinFrame::ChooseCustomImage() {
    m_busy = true;
    const std::optional<std::string> path = m_hooks.chooseFile(GetWidget());
    std::string problem;
    if (path) {
        problem = PictureProblem(*path);
        if (problem.empty() && tirk::ImageStringForFile(*path).empty())
            problem = *path + ": the name holds both kinds of quote";
    }
    if (path && !problem.empty()) TellUser(kUnreadableKey, problem);
    m_busy = false;
    if (!path || !problem.empty()) return;
    tirk::SkinReceivers::Instance().Broadcast({true, 0, *path});
}

void CSkinFrame::TellUser(const std::string& textKey, const std::string& detail) {
    tirk::log::Printf("skin: %s (%s)", textKey.c_str(), detail.c_str());
    if (m_hooks.tellUser) {
        m_hooks.tellUser(textKey, detail);
        return;
    }
    // Owned by the frame, so that it shows above the topmost frame.
    CMsgWnd::ShowMessageWithDetail(this, "", textKey, detail, GetPaintManager().GetDPI(),
                                   MsgButtons::kConfirm);
}
