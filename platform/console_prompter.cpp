#include "platform/console_prompter.h"

#include <ostream>

namespace platform {

const char* iconName(Icon icon) {
    switch (icon) {
        case Icon::Warning:
            return "warning";
        case Icon::Critical:
            return "error";
        case Icon::Question:
            return "question";
        case Icon::Information:
        case Icon::None:
            break;
    }
    return "info";
}

ConsolePrompter::ConsolePrompter(std::ostream& out, bool assumeYes)
    : out_(out), assumeYes_(assumeYes) {}

Answer ConsolePrompter::show(std::string_view text, std::string_view title, Icon icon,
                             Buttons buttons) {
    // A box with a choice is a question whatever its icon.
    const char* kind = buttons == Buttons::Ok ? iconName(icon) : "question";
    out_ << '[' << kind << "] " << title << ": " << text << '\n';
    out_.flush();
    if (buttons == Buttons::Ok && (icon == Icon::Critical || icon == Icon::Warning))
        shownErrorOrWarning_ = true;
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
        case Buttons::OkCancelDefaultCancel:
            if (assumeYes_)
                return Answer::Ok;
            refused_ = true;
            return Answer::Cancel;
        case Buttons::SaveDiscardCancel:
            if (assumeYes_)
                return Answer::Save;
            refused_ = true;
            return Answer::Cancel;
        case Buttons::YesNo:
            if (assumeYes_)
                return Answer::Yes;
            refused_ = true;
            return Answer::No;
    }
    return Answer::Ok;
}

}  // namespace platform
