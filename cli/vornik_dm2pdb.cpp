// vornik-cli dm2pdb DM_FILE... OUT_DIR: the DM conversion (graphic and attribute databases),
// of one file or of a batch (batch_cli.h).
#include "cli/batch_cli.h"
#include "converter/dm/dm2pdb.h"

namespace {

platform::Result<batch::Convert> prepare(const cli::Args& args, const std::string& outDir) {
    auto frame = cli::frameOption(args);
    if (!frame)
        return platform::Result<batch::Convert>::failure(frame.error());
    auto today = cli::todayOption(args);
    if (!today)
        return platform::Result<batch::Convert>::failure(today.error());
    return batch::Convert([frame = *frame, today = *today, outDir](const std::string& input,
                                                                   platform::Prompter& prompter) {
        return dm::dm2pdb(input, outDir, frame, today, prompter).outcome ==
               converter::Outcome::Done;
    });
}

int run(const std::vector<std::string>& argv) {
    return cli::runConversion({"dm2pdb",
                               "dm2pdb takes a DM file and an output folder",
                               batch::Kind::DmFile,
                               {"--frame", "--today"},
                               {},
                               &prepare},
                              argv);
}

cli::CommandRegistration reg{"dm2pdb",
                             "dm2pdb DM_FILE... OUT_DIR [--frame N,...(12)] [--today YYYY-MM-DD] "
                             "[--recursive] [--jobs N] [--yes|--skip-existing]",
                             &run};

}  // namespace
