#pragma once
// Prompter for the command-line tools: prints every box on stderr as
// "[info|warning|error|question] TITLE: TEXT" and answers questions "OK/Yes" only when
// told to (--yes); otherwise the question is printed and answered "Cancel/No".
#include <iosfwd>

#include "platform/prompter.h"

namespace platform {

class ConsolePrompter : public Prompter {
  public:
    explicit ConsolePrompter(std::ostream& out, bool assumeYes = false);
    Answer show(std::string_view text, std::string_view title, Icon icon, Buttons buttons) override;

    // True once a question has been answered negatively.
    bool refusedQuestion() const { return refused_; }
    // True once an error or warning box (not a question) has been shown.
    bool shownErrorOrWarning() const { return shownErrorOrWarning_; }

  private:
    std::ostream& out_;
    bool assumeYes_;
    bool refused_ = false;
    bool shownErrorOrWarning_ = false;
};

}  // namespace platform
