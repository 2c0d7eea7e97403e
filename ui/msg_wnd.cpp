#include "ui/msg_wnd.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

#include "core/log.h"
#include "ui/control.h"
#include "ui/resource_manager.h"

namespace {

constexpr char kTitle[] = "MessageTitle";
constexpr char kText[] = "MessageText";
constexpr char kDetail[] = "MessageDetail";
constexpr char kConfirm[] = "confirm_btn";
constexpr char kCancel[] = "cancel_btn";
constexpr char kClose[] = "closebtn";

std::vector<CMsgWnd*>& ShownStack() {
    static std::vector<CMsgWnd*> stack;
    return stack;
}

// Length of a conversion starting at text[at] == '%' (flags, width, length,
// then one of `kinds`), 0 when it is none.
size_t ConversionLength(std::string_view text, size_t at, const char* kinds) {
    size_t i = at + 1;
    while (i < text.size() && std::strchr("-+ 0#", text[i])) ++i;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    while (i < text.size() && (text[i] == 'l' || text[i] == 'h')) ++i;
    if (i < text.size() && text[i] != '\0' && std::strchr(kinds, text[i])) return i - at + 1;
    return 0;
}

// `text` with its first conversion of `kinds` replaced by `value` and "%%" by
// "%"; false in `filled` when it has no such conversion.
std::string FillFirst(std::string_view text, std::string_view value, const char* kinds,
                      bool& filled) {
    std::string out;
    filled = false;
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '%') {
            out += text[i++];
        } else if (i + 1 < text.size() && text[i + 1] == '%') {
            out += '%';
            i += 2;
        } else if (size_t length = filled ? 0 : ConversionLength(text, i, kinds)) {
            out += value;
            filled = true;
            i += length;
        } else {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace

std::string FormatMessageText(const std::string& format, long long value) {
    bool filled = false;
    return FillFirst(format, std::to_string(value), "diu", filled);
}

namespace tirk {

std::string FillMessage(std::string_view text, std::string_view value) {
    bool filled = false;
    std::string out = FillFirst(text, value, "dsui", filled);
    if (!filled) (out += ' ') += value;
    return out;
}

}  // namespace tirk

const std::vector<int>& CMsgWnd::ValidDpis() {
    static const std::vector<int> dpis = {48, 72, 96, 120, 144, 168, 192};
    return dpis;
}

CMsgWnd::CMsgWnd() = default;

CMsgWnd::~CMsgWnd() {
    auto& stack = ShownStack();
    stack.erase(std::remove(stack.begin(), stack.end(), this), stack.end());
}

void CMsgWnd::InitWindow() {
    m_dpiFollower = std::make_unique<CDpiFollower>(*this);
}

void CMsgWnd::Notify(TNotifyUI& msg) {
    if (msg.sType != notify_type::kClick || !msg.pSender) return;
    const std::string& name = msg.pSender->GetName();
    if (name == kConfirm)
        Close(1);
    else if (name == kCancel || name == kClose)
        Close(0);
}

void CMsgWnd::SetTitle(const std::string& title) {
    if (title.empty()) return;
    if (CControlUI* label = m_pm.FindControl(kTitle)) label->SetText(title);
}

void CMsgWnd::SetTextKey(const std::string& key) {
    if (key.empty()) return;
    if (CControlUI* label = m_pm.FindControl(kText)) label->SetTextKey(key);
}

void CMsgWnd::SetPlainText(const std::string& text) {
    if (text.empty()) return;
    if (CControlUI* label = m_pm.FindControl(kText)) label->SetText(text);
}

void CMsgWnd::SetDetail(const std::string& detail) {
    CControlUI* label = m_pm.FindControl(kDetail);
    if (!label) return;
    label->SetText(detail);
    label->SetToolTip(detail);
    label->SetVisible(!detail.empty());
}

void CMsgWnd::SetButtons(MsgButtons buttons) {
    if (CControlUI* confirm = m_pm.FindControl(kConfirm)) confirm->SetVisible(true);
    if (CControlUI* cancel = m_pm.FindControl(kCancel))
        cancel->SetVisible(buttons == MsgButtons::kConfirmCancel);
}

int CMsgWnd::SetMessageDpi(int dpi) {
    const std::vector<int>& valid = ValidDpis();
    if (std::find(valid.begin(), valid.end(), dpi) == valid.end()) {
        tirk::log::Line("MSG_WND DPI SET ERROR");
        dpi = 96;
    }
    ApplyWindowDpi(*this, dpi);
    return dpi;
}

CMsgWnd* CMsgWnd::GetShown() {
    const auto& stack = ShownStack();
    return stack.empty() ? nullptr : stack.back();
}

int CMsgWnd::Run(WindowImplBase* owner, const Content& content, int dpi, MsgButtons buttons) {
    CMsgWnd window;
    if (!window.Create(owner, "MsgWnd")) {
        tirk::log::FileFault(window.GetSkinFile(), window.GetLoadError());
        return 0;
    }
    window.SetTitle(content.title);
    window.SetTextKey(content.textKey);
    window.SetPlainText(content.plainText);
    window.SetDetail(content.detail);
    window.SetButtons(buttons);
    window.SetMessageDpi(dpi);
    window.CenterWindow();
    ShownStack().push_back(&window);
    const int code = window.ShowModal();
    return code == 1 ? 1 : 0;
}

int CMsgWnd::ShowMessage(WindowImplBase* owner, const std::string& title,
                         const std::string& textKey, int dpi, MsgButtons buttons) {
    return Run(owner, Content{title, textKey, {}, {}}, dpi, buttons);
}

int CMsgWnd::ShowMessageWithDetail(WindowImplBase* owner, const std::string& title,
                                   const std::string& textKey, const std::string& detail, int dpi,
                                   MsgButtons buttons) {
    return Run(owner, Content{title, textKey, {}, detail}, dpi, buttons);
}

int CMsgWnd::ShowPlainMessage(WindowImplBase* owner, const std::string& title,
                              const std::string& text, int dpi, MsgButtons buttons) {
    return Run(owner, Content{title, {}, text, {}}, dpi, buttons);
}

int CMsgWnd::ShowMessageFilled(WindowImplBase* owner, const std::string& title,
                               const std::string& textKey, const std::string& value, int dpi,
                               MsgButtons buttons) {
    const std::string text = CResourceManager::GetInstance()->GetText(textKey);
    return Run(owner, Content{title, {}, tirk::FillMessage(text, value), {}}, dpi, buttons);
}

int CMsgWnd::ShowMessageFormat(WindowImplBase* owner, const std::string& title,
                               const std::string& formatKey, long long value, int dpi,
                               MsgButtons buttons) {
    const std::string format = CResourceManager::GetInstance()->GetText(formatKey);
    return Run(owner, Content{title, {}, FormatMessageText(format, value), {}}, dpi, buttons);
}
