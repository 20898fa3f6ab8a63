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

    // True once a question has been answered negatively or an error box shown.
    bool refusedQuestion() const { return refused_; }
    bool sawError() const { return sawError_; }

  private:
    std::ostream& out_;
    bool assumeYes_;
    bool refused_ = false;
    bool sawError_ = false;
};

}  // namespace platform
