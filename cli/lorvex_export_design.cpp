// lorvex-cli export-design MASTER CODE FILE.json: one design of a master database as JSON.
#include "cli/cli_common.h"
#include "cli/lorvex_support.h"
#include "editor/designjson/design_transfer.h"

namespace {

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {}, {});
    if (!args)
        return cli::usageError("export-design", args.error());
    if (args->positional.size() != 3)
        return cli::usageError("export-design", "export-design takes a master, a code and a file");
    platform::ConsolePrompter& prompter = cli::consolePrompter();
    auto code = cli::sjisArgument(args->positional[1], "CODE ", prompter);
    if (!code)
        return cli::kExitFailed;
    return cli::exitCodeOf(
        editor::ExportDesignCommand(args->positional[0], *code, args->positional[2], prompter));
}

cli::CommandRegistration reg{"export-design", "export-design MASTER CODE FILE.json", &run};

}  // namespace
