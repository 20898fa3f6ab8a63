// lorvex-cli remove DB CODE: the editor's delete command on a master database.
#include <iostream>

#include "cli/cli_common.h"
#include "cli/lorvex_support.h"

namespace {

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {}, {"--yes"});
    if (!args)
        return cli::usageError("remove", args.error());
    if (args->positional.size() != 2)
        return cli::usageError("remove", "remove takes a database and a code");
    platform::ConsolePrompter& prompter = cli::consolePrompter(args->has("--yes"));
    auto code = cli::sjisArgument(args->positional[1], "CODE ", prompter);
    if (!code)
        return cli::kExitFailed;
    editor::EditorState state;
    editor::ResetEditor(state);
    editor::DesignTarget target{args->positional[0], "Master", *code};
    return cli::exitCodeOf(editor::DeleteCommand(state, target, prompter));
}

cli::CommandRegistration reg{"remove", "remove DB CODE [--yes]", &run};

}  // namespace
