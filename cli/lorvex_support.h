#pragma once
// Shared by the lorvex-cli commands: Shift-JIS arguments and the exit code of a command.
#include <optional>
#include <string>

#include "editor/model/commands.h"
#include "platform/prompter.h"

namespace cli {

// The argument in Shift-JIS, or nothing (after a message naming the argument) when it
// holds a character without a code page 932 code.
std::optional<std::string> sjisArgument(const std::string& utf8, const char* what,
                                        platform::Prompter& prompter);

int exitCodeOf(editor::CommandResult result);

}  // namespace cli
