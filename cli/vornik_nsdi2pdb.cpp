// vornik-cli nsdi2pdb SHEET_DIR OUT_DIR: the Digital Map 2500 conversion of one sheet folder
// (graphic database, attribute CSV and attribute database).
#include <iostream>

#include "cli/cli_common.h"
#include "cli/vornik_frame_options.h"
#include "converter/digitalmap/digital_map.h"

namespace {

int run(const std::vector<std::string>& argv) {
    std::vector<std::string> options = {"--frame", "--today"};
    for (const std::string& o : cli::frameCheckOptions(sheetframe::InputKind::DigitalMapSheet))
        options.push_back(o);
    auto args = cli::parseArgs(argv, options, {"--yes"});
    if (!args)
        return cli::usageError("nsdi2pdb", args.error());
    if (args->positional.size() != 2)
        return cli::usageError("nsdi2pdb", "nsdi2pdb takes a sheet folder and an output folder");
    auto today = cli::todayOption(*args);
    if (!today)
        return cli::usageError("nsdi2pdb", today.error());
    platform::ConsolePrompter& prompter = cli::consolePrompter(args->has("--yes"));
    cli::FrameDecision frame = cli::decideFrame(*args, sheetframe::InputKind::DigitalMapSheet,
                                                args->positional[0], "nsdi2pdb", prompter);
    if (frame.exit)
        return *frame.exit;
    bool done = digitalmap::CreateFromDigitalMap(args->positional[0], args->positional[1],
                                                 frame.values, *today, prompter);
    return done ? cli::kExitOk : cli::kExitFailed;
}

cli::CommandRegistration reg{
    "nsdi2pdb",
    "nsdi2pdb SHEET_DIR OUT_DIR [--frame N,...(12)|auto] [--zone N] "
    "[--datum tokyo|jgd2000|jgd2011] [--extent-unit m|km] [--today YYYY-MM-DD] [--yes]",
    &run};

}  // namespace
