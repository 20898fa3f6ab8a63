// vornik-cli nsdi2pdb SHEET_DIR... OUT_DIR: the Digital Map 2500 conversion of sheet folders
// (graphic database, attribute CSV and attribute database of each), one or a batch
// (batch_cli.h).
#include "cli/batch_cli.h"
#include "cli/vornik_frame_options.h"
#include "converter/digitalmap/digital_map.h"

namespace {

constexpr auto kSheet = sheetframe::InputKind::DigitalMapSheet;

std::vector<std::string> valueOptions() {
    std::vector<std::string> options = {"--frame", "--today"};
    for (const std::string& o : cli::frameCheckOptions(kSheet)) options.push_back(o);
    return options;
}

int runOne(const cli::Args& args) {
    auto today = cli::todayOption(args);
    if (!today)
        return cli::usageError("nsdi2pdb", today.error());
    platform::ConsolePrompter& prompter = cli::consolePrompter(args.has("--yes"));
    cli::FrameDecision frame =
        cli::decideFrame(args, kSheet, args.positional[0], "nsdi2pdb", prompter);
    if (frame.exit)
        return *frame.exit;
    bool done = digitalmap::CreateFromDigitalMap(args.positional[0], args.positional[1],
                                                 frame.values, *today, prompter);
    return done ? cli::kExitOk : cli::kExitFailed;
}

platform::Result<batch::Convert> prepare(const cli::Args& args, const std::string& outDir) {
    using R = platform::Result<batch::Convert>;
    auto today = cli::todayOption(args);
    if (!today)
        return R::failure(today.error());
    auto refused = cli::frameOptionsError(args, kSheet);
    if (!refused.empty())
        return R::failure(refused);
    return batch::Convert(
        [args, today = *today, outDir](const std::string& input, platform::Prompter& prompter) {
            cli::FrameDecision frame =
                cli::decideFrame(args, kSheet, input, "nsdi2pdb", prompter, true);
            if (frame.exit)
                return false;
            return digitalmap::CreateFromDigitalMap(input, outDir, frame.values, today, prompter);
        });
}

int run(const std::vector<std::string>& argv) {
    return cli::runConversion({"nsdi2pdb",
                               "nsdi2pdb takes a sheet folder and an output folder",
                               batch::Kind::Sheet,
                               valueOptions(),
                               {},
                               &prepare,
                               &runOne},
                              argv);
}

cli::CommandRegistration reg{
    "nsdi2pdb",
    "nsdi2pdb SHEET_DIR... OUT_DIR [--frame N,...(12)|auto] [--zone N] "
    "[--datum tokyo|jgd2000|jgd2011] [--extent-unit m|km] [--today YYYY-MM-DD] [--yes] "
    "[--recursive] [--jobs N] [--skip-existing]",
    &run};

}  // namespace
