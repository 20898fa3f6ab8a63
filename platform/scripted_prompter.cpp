#include "platform/scripted_prompter.h"

namespace platform {

Answer ScriptedPrompter::show(std::string_view text, std::string_view title, Icon icon,
                              Buttons buttons) {
    calls_.push_back({std::string(text), std::string(title), icon, buttons});
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (!answers_.empty()) {
        Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    switch (buttons) {
        case Buttons::YesNo:
            return Answer::Yes;
        case Buttons::SaveDiscardCancel:
            return Answer::Save;
        default:
            return Answer::Ok;
    }
}

std::vector<std::string> ScriptedPrompter::texts() const {
    std::vector<std::string> out;
    for (const auto& c : calls_) out.push_back(c.text);
    return out;
}

}  // namespace platform
