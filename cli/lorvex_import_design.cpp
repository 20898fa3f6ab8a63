// lorvex-cli import-design FILE.json MASTER CODE [--yes]: a design from JSON stored under
// CODE into a master database, with its check report.
#include "cli/cli_common.h"
#include "cli/lorvex_support.h"
#include "editor/designjson/design_transfer.h"

namespace {

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {}, {"--yes"});
    if (!args)
        return cli::usageError("import-design", args.error());
    if (args->positional.size() != 3)
        return cli::usageError("import-design", "import-design takes a file, a master and a code");
    platform::ConsolePrompter& prompter = cli::consolePrompter(args->has("--yes"));
    auto code = cli::sjisArgument(args->positional[2], "CODE ", prompter);
    if (!code)
        return cli::kExitFailed;
    return cli::exitCodeOf(
        editor::ImportDesignCommand(args->positional[0], args->positional[1], *code, prompter));
}

cli::CommandRegistration reg{"import-design", "import-design FILE.json MASTER CODE [--yes]", &run};

}  // namespace
