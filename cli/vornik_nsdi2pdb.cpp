// vornik-cli nsdi2pdb SHEET_DIR OUT_DIR: the Digital Map 2500 conversion of one sheet folder
// (graphic database, attribute CSV and attribute database).
#include <iostream>

#include "cli/cli_common.h"
#include "converter/digitalmap/digital_map.h"

namespace {

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {"--frame", "--today"}, {});
    if (!args)
        return cli::usageError("nsdi2pdb", args.error());
    if (args->positional.size() != 2)
        return cli::usageError("nsdi2pdb", "nsdi2pdb takes a sheet folder and an output folder");
    auto frame = cli::frameOption(*args);
    if (!frame)
        return cli::usageError("nsdi2pdb", frame.error());
    auto today = cli::todayOption(*args);
    if (!today)
        return cli::usageError("nsdi2pdb", today.error());
    platform::ConsolePrompter& prompter = cli::consolePrompter();
    bool done = digitalmap::CreateFromDigitalMap(args->positional[0], args->positional[1], *frame,
                                                 *today, prompter);
    return done ? cli::kExitOk : cli::kExitFailed;
}

cli::CommandRegistration reg{
    "nsdi2pdb", "nsdi2pdb SHEET_DIR OUT_DIR [--frame N,...(12)] [--today YYYY-MM-DD]", &run};

}  // namespace
