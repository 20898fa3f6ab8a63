#pragma once
// Every message box and question of both programs goes through a Prompter, so the
// operations run the same under a window, on a console and in tests.
#include <string>
#include <string_view>

namespace platform {

enum class Icon { None, Information, Warning, Critical, Question };
// OkCancelDefaultCancel: OK and Cancel where Enter answers Cancel (a question whose OK
// cannot be taken back). SaveDiscardCancel: the question before unsaved work would be lost.
enum class Buttons { Ok, OkCancel, YesNo, OkCancelDefaultCancel, SaveDiscardCancel };
enum class Answer { Ok, Cancel, Yes, No, Save, Discard };

class Prompter {
  public:
    virtual ~Prompter() = default;
    // text and title are UTF-8; "\n" is a line break. An empty title means the application's title.
    virtual Answer show(std::string_view text, std::string_view title, Icon icon,
                        Buttons buttons) = 0;
};

// True for the answers that let an operation go on (OK, Yes).
inline bool isAffirmative(Answer a) {
    return a == Answer::Ok || a == Answer::Yes;
}

const char* iconName(Icon icon);

}  // namespace platform
