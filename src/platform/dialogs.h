#pragma once

#include <span>
#include <string>
#include <string_view>

namespace dealcast::platform {

// The answer codes notice() and ask() return: the pressed button, 0-based in this order. They compare
// directly with the returned int: `if (dialogs.ask(...) == DialogResult::Yes)`.
struct DialogResult {
    enum Code : int { Ok = 0, Cancel = 1, Abort = 2, Retry = 3, Ignore = 4, Yes = 5, No = 6 };
};

enum class DialogButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };

enum class DialogIcon { None, Information, Question, Warning, Error };

enum class DialogKind { Notice, Question };

struct DialogRequest {
    DialogKind kind = DialogKind::Notice;
    std::string message{};
    std::string caption{};
    DialogButtons buttons = DialogButtons::Ok;
    DialogIcon icon = DialogIcon::Information;
};

inline constexpr std::string_view kNoticeCaption = "友情提醒";

// The answer codes a button set offers, in the order the box shows them.
std::span<const int> dialogAnswers(DialogButtons buttons);
bool offers(DialogButtons buttons, int answer);
// "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"; "?" for another code.
std::string_view answerName(int answer);

// Notices and questions for the user. The core calls it from the UI thread and from workers; the desktop
// shows modal message boxes, headless runs answer without a person.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Something the user must see or act on; returns the pressed button's code.
    int notice(std::string_view message, std::string_view caption = kNoticeCaption,
               DialogButtons buttons = DialogButtons::Ok, DialogIcon icon = DialogIcon::Information)
    {
        return show({DialogKind::Notice, std::string(message), std::string(caption), buttons, icon});
    }

    // A decision; returns the pressed button's code.
    int ask(std::string_view message, std::string_view caption, DialogButtons buttons,
            DialogIcon icon = DialogIcon::Question)
    {
        return show({DialogKind::Question, std::string(message), std::string(caption), buttons, icon});
    }

    // The chosen file's path; empty when cancelled. `filter` pairs a description with patterns, such as
    // "表格文件(*.xls)|*.xls".
    virtual std::string openFile(std::string_view caption, std::string_view filter) = 0;

protected:
    // The defaults live in the non-virtual entry points above, so every implementation sees the same ones.
    virtual int show(const DialogRequest& request) = 0;
};

}  // namespace dealcast::platform
