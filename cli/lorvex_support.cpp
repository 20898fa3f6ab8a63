#include "cli/lorvex_support.h"

#include "cli/cli_common.h"
#include "platform/cp932.h"

namespace cli {

std::optional<std::string> sjisArgument(const std::string& utf8, const char* what,
                                        platform::Prompter& prompter) {
    platform::TextConversion c = platform::utf8ToCp932(utf8);
    if (c.ok)
        return c.text;
    prompter.show(std::string(what) + "「" + utf8 + "」の文字「" + c.badCharacter +
                      "」はShift-JISで表せません。",
                  "", platform::Icon::Critical, platform::Buttons::Ok);
    return std::nullopt;
}

int exitCodeOf(editor::CommandResult result) {
    return result == editor::CommandResult::Done ? kExitOk : kExitFailed;
}

}  // namespace cli
