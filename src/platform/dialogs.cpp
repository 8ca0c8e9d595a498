#include "platform/dialogs.h"

#include <algorithm>
#include <array>

namespace dealcast::platform {

std::span<const int> dialogAnswers(DialogButtons buttons)
{
    using R = DialogResult;
    static constexpr std::array<int, 1> kOk{R::Ok};
    static constexpr std::array<int, 2> kOkCancel{R::Ok, R::Cancel};
    static constexpr std::array<int, 3> kAbortRetryIgnore{R::Abort, R::Retry, R::Ignore};
    static constexpr std::array<int, 3> kYesNoCancel{R::Yes, R::No, R::Cancel};
    static constexpr std::array<int, 2> kYesNo{R::Yes, R::No};
    static constexpr std::array<int, 2> kRetryCancel{R::Retry, R::Cancel};
    switch (buttons) {
    case DialogButtons::Ok:
        return kOk;
    case DialogButtons::OkCancel:
        return kOkCancel;
    case DialogButtons::AbortRetryIgnore:
        return kAbortRetryIgnore;
    case DialogButtons::YesNoCancel:
        return kYesNoCancel;
    case DialogButtons::YesNo:
        return kYesNo;
    case DialogButtons::RetryCancel:
        return kRetryCancel;
    }
    return kOk;
}

bool offers(DialogButtons buttons, int answer)
{
    const auto answers = dialogAnswers(buttons);
    return std::find(answers.begin(), answers.end(), answer) != answers.end();
}

std::string_view answerName(int answer)
{
    static constexpr std::array<std::string_view, 7> kNames{"OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
    if (answer < 0 || answer >= static_cast<int>(kNames.size()))
        return "?";
    return kNames[static_cast<std::size_t>(answer)];
}

}  // namespace dealcast::platform
