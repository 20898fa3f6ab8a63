// vornik-cli dm2pdb DM_FILE OUT_DIR: the DM conversion (graphic and attribute databases).
// After the conversion's last message it prints on stdout its account of the file's
// element records; --log FILE writes that account and one line per record passed over.
#include <iostream>

#include "cli/cli_common.h"
#include "converter/dm/dm2pdb.h"
#include "platform/files.h"

namespace {

// The log: the account, then each record passed over with its line, code and class.
bool writeLog(const std::string& path, const std::string& fileName, const dm::DmAccount& account,
              platform::Prompter& prompter) {
    std::string text = dm::accountText(fileName, account) + "\n";
    for (const dm::SkippedRecord& s : account.log) text += dm::skippedLine(s) + "\n";
    platform::WriteError err;
    if (platform::writeFileAtomically(path, text, &err))
        return true;
    prompter.show("ログファイル「" + path + "」を書き込めません（" + err.reason + "）。",
                  dm::kDmTitle, platform::Icon::Critical, platform::Buttons::Ok);
    return false;
}

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {"--frame", "--today", "--log"}, {"--all-elements"});
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
    const std::optional<std::string> logPath = args->value("--log");
    if (logPath && logPath->empty())
        return cli::usageError("dm2pdb", "--log needs a file name");
    dm::GraphicOptions options;
    options.allElements = args->has("--all-elements");
    options.keepLog = logPath.has_value();
    platform::ConsolePrompter& prompter = cli::consolePrompter();
    const std::string& dmPath = args->positional[0];
    dm::Dm2PdbResult result =
        dm::dm2pdb(dmPath, args->positional[1], *frame, *today, prompter, options);
    if (result.accounted) {
        const std::string fileName(platform::fileNameOf(dmPath));
        std::cout << dm::accountText(fileName, result.account) << '\n';
        if (logPath && !writeLog(*logPath, fileName, result.account, prompter))
            return cli::kExitFailed;
    }
    return result.outcome == converter::Outcome::Done ? cli::kExitOk : cli::kExitFailed;
}

cli::CommandRegistration reg{"dm2pdb",
                             "dm2pdb DM_FILE OUT_DIR [--frame N,...(12)] [--today YYYY-MM-DD] "
                             "[--all-elements] [--log FILE]",
                             &run};

}  // namespace
