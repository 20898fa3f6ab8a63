// vornik-cli dm2pdb DM_FILE OUT_DIR: the DM conversion (graphic and attribute databases).
#include <iostream>

#include "cli/cli_common.h"
#include "converter/dm/dm2pdb.h"

namespace {

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {"--frame", "--today"}, {});
    if (!args)
        return cli::usageError("dm2pdb", args.error());
    if (args->positional.size() != 2)
        return cli::usageError("dm2pdb", "dm2pdb takes a DM file and an output folder");
    auto frame = cli::frameOption(*args);
    if (!frame)
        return cli::usageError("dm2pdb", frame.error());
    auto today = cli::todayOption(*args);
    if (!today)
        return cli::usageError("dm2pdb", today.error());
    platform::ConsolePrompter& prompter = cli::consolePrompter();
    dm::Dm2PdbResult result =
        dm::dm2pdb(args->positional[0], args->positional[1], *frame, *today, prompter);
    return result.outcome == converter::Outcome::Done ? cli::kExitOk : cli::kExitFailed;
}

cli::CommandRegistration reg{
    "dm2pdb", "dm2pdb DM_FILE OUT_DIR [--frame N,...(12)] [--today YYYY-MM-DD]", &run};

}  // namespace
