// CMsgWnd: the modal message window every confirmation and warning uses. It
// shows a title, the text of a language key (or a text formatted from one),
// optionally a literal detail below it (a file name and its problem), and
// either the confirm button alone (a notice) or confirm and cancel (a
// question). Layout: "msgwnd.xml" in the skin folder.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dpi_follow.h"
#include "ui/window_impl.h"

/// Which buttons the message window shows.
enum class MsgButtons {
    kConfirm,        ///< a notice: "confirm_btn" only
    kConfirmCancel,  ///< a question: "confirm_btn" and "cancel_btn"
};

/// `format` with its first integer conversion (%d, %i, %u, optionally with
/// flags, width and an l/ll/h length) replaced by `value`, and "%%" by "%".
/// Any other "%" sequence stays as it is: a translated format string is data
/// and must not be able to read arguments that were never passed.
std::string FormatMessageText(const std::string& format, long long value);

namespace tirk {
/// `text` with its first printf-style conversion ("%d", "%s", "%ld", "%u",
/// "%i") replaced by `value` and "%%" by "%"; `value` is appended after a
/// space when the text has no conversion. Texts come from language files that
/// users edit, so they are never handed to printf.
std::string FillMessage(std::string_view text, std::string_view value);
}  // namespace tirk

class CMsgWnd : public WindowImplBase {
public:
    /// The DPI values the window accepts; others become 96.
    static const std::vector<int>& ValidDpis();

    CMsgWnd();
    ~CMsgWnd() override;

    std::string GetSkinFile() override { return "msgwnd.xml"; }
    std::string GetWindowClassName() const override { return "MsgWnd"; }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;

    /// Title: "%[key]" or a plain text; an empty one keeps the layout's.
    void SetTitle(const std::string& title);
    /// The message as a language key (an empty key keeps the layout's text).
    void SetTextKey(const std::string& key);
    /// The message as a finished text (e.g. formatted).
    void SetPlainText(const std::string& text);
    /// A literal text shown below the message; empty hides it.
    void SetDetail(const std::string& detail);
    void SetButtons(MsgButtons buttons);
    /// Sets the window's DPI; a value not in ValidDpis() logs
    /// "MSG_WND DPI SET ERROR" and 96 is used. Returns the DPI used.
    int SetMessageDpi(int dpi);

    /// Create (modal to `owner`, which may be nullptr), fill, centre and run
    /// modally. Returns 1 for "confirm_btn", 0 for "cancel_btn", "closebtn"
    /// or a close by the window manager; 0 also when the layout cannot be
    /// loaded (logged).
    static int ShowMessage(WindowImplBase* owner, const std::string& title,
                           const std::string& textKey, int dpi, MsgButtons buttons);
    /// As ShowMessage, with `detail` shown literally below the key's text.
    static int ShowMessageWithDetail(WindowImplBase* owner, const std::string& title,
                                     const std::string& textKey, const std::string& detail, int dpi,
                                     MsgButtons buttons);
    /// As ShowMessage with a finished text instead of a key.
    static int ShowPlainMessage(WindowImplBase* owner, const std::string& title,
                                const std::string& text, int dpi, MsgButtons buttons);
    /// As ShowMessage with the text of `textKey` filled with `value`
    /// (FillMessage), e.g. a refused file with the file's name and problem.
    static int ShowMessageFilled(WindowImplBase* owner, const std::string& title,
                                 const std::string& textKey, const std::string& value, int dpi,
                                 MsgButtons buttons);
    /// As ShowMessage with the text of `formatKey` formatted with `value`
    /// (FormatMessageText), e.g. "message_text_16" with the macro overflow.
    static int ShowMessageFormat(WindowImplBase* owner, const std::string& title,
                                 const std::string& formatKey, long long value, int dpi,
                                 MsgButtons buttons);

    /// The innermost message window being shown modally, nullptr when none.
    static CMsgWnd* GetShown();

private:
    struct Content {
        std::string title;
        std::string textKey;
        std::string plainText;
        std::string detail;
    };
    static int Run(WindowImplBase* owner, const Content& content, int dpi, MsgButtons buttons);

    std::unique_ptr<CDpiFollower> m_dpiFollower;
};
