// vornik-cli csv2pdb CSV [--today YYYY-MM-DD]: an attribute CSV into the attribute database
// beside it.
#include <iostream>

#include "cli/cli_common.h"
#include "converter/attrconv/csv2pdb.h"

namespace {

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {"--today"}, {});
    if (!args)
        return cli::usageError("csv2pdb", args.error());
    if (args->positional.size() != 1)
        return cli::usageError("csv2pdb", "csv2pdb takes one CSV file");
    auto today = cli::todayOption(*args);
    if (!today)
        return cli::usageError("csv2pdb", today.error());
    platform::ConsolePrompter& prompter = cli::consolePrompter();
    converter::Outcome outcome = converter::csv2pdbFile(args->positional[0], *today, prompter);
    // A helper's error box (a name that cannot be stored) does not stop the run; the run
    // then ends with exit status 3, like the other conversions.
    return outcome == converter::Outcome::Done ? cli::kExitOk : cli::kExitFailed;
}

cli::CommandRegistration reg{"csv2pdb", "csv2pdb CSV [--today YYYY-MM-DD]", &run};

}  // namespace
