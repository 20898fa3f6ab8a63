// vornik-cli nsdi2pdb SHEET_DIR... OUT_DIR: the Digital Map 2500 conversion of sheet folders
// (graphic database, attribute CSV and attribute database of each), one or a batch
// (batch_cli.h).
#include "cli/batch_cli.h"
#include "converter/digitalmap/digital_map.h"

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
        return digitalmap::CreateFromDigitalMap(input, outDir, frame, today, prompter);
    });
}

int run(const std::vector<std::string>& argv) {
    return cli::runConversion({"nsdi2pdb",
                               "nsdi2pdb takes a sheet folder and an output folder",
                               batch::Kind::Sheet,
                               {"--frame", "--today"},
                               {},
                               &prepare},
                              argv);
}

cli::CommandRegistration reg{"nsdi2pdb",
                             "nsdi2pdb SHEET_DIR... OUT_DIR [--frame N,...(12)] "
                             "[--today YYYY-MM-DD] [--recursive] [--jobs N] "
                             "[--yes|--skip-existing]",
                             &run};

}  // namespace
