// vornik-cli dm2pdb DM_FILE OUT_DIR: the DM conversion (graphic and attribute databases).
#include <iostream>

#include "cli/cli_common.h"
#include "cli/vornik_frame_options.h"
#include "converter/dm/dm2pdb.h"

namespace {

int run(const std::vector<std::string>& argv) {
    std::vector<std::string> options = {"--frame", "--today"};
    for (const std::string& o : cli::frameCheckOptions(sheetframe::InputKind::DmFile))
        options.push_back(o);
    auto args = cli::parseArgs(argv, options, {"--yes"});
    if (!args)
        return cli::usageError("dm2pdb", args.error());
    if (args->positional.size() != 2)
        return cli::usageError("dm2pdb", "dm2pdb takes a DM file and an output folder");
    auto today = cli::todayOption(*args);
    if (!today)
        return cli::usageError("dm2pdb", today.error());
    platform::ConsolePrompter& prompter = cli::consolePrompter(args->has("--yes"));
    cli::FrameDecision frame = cli::decideFrame(*args, sheetframe::InputKind::DmFile,
                                                args->positional[0], "dm2pdb", prompter);
    if (frame.exit)
        return *frame.exit;
    dm::Dm2PdbResult result =
        dm::dm2pdb(args->positional[0], args->positional[1], frame.values, *today, prompter);
    return result.outcome == converter::Outcome::Done ? cli::kExitOk : cli::kExitFailed;
}

cli::CommandRegistration reg{"dm2pdb",
                             "dm2pdb DM_FILE OUT_DIR [--frame N,...(12)|auto] [--zone N] "
                             "[--datum tokyo|jgd2000|jgd2011] [--today YYYY-MM-DD] [--yes]",
                             &run};

}  // namespace
