#pragma once
// Prompter for tests: records every box and answers questions from a queue.
#include <deque>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace platform {

struct PromptCall {
    std::string text;
    std::string title;
    Icon icon;
    Buttons buttons;
};

class ScriptedPrompter : public Prompter {
  public:
    // Queue the answer for the next question (any box with a choice). Boxes with only
    // OK take no answer from the queue. An empty queue answers questions affirmatively
    // (OK, Yes, Save).
    void answerNext(Answer a) { answers_.push_back(a); }

    Answer show(std::string_view text, std::string_view title, Icon icon, Buttons buttons) override;

    const std::vector<PromptCall>& calls() const { return calls_; }
    std::vector<std::string> texts() const;
    void clear() { calls_.clear(); }

  private:
    std::deque<Answer> answers_;
    std::vector<PromptCall> calls_;
};

}  // namespace platform
