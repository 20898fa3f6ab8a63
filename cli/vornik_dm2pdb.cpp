// vornik-cli dm2pdb DM_FILE... OUT_DIR: the DM conversion (graphic and attribute databases),
// of one file or of a batch (batch_cli.h).
// After the conversion's last message it prints on stdout its account of the file's
// element records; --log FILE writes one line per record passed over, then that account.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>

#include "cli/batch_cli.h"
#include "cli/vornik_frame_options.h"
#include "converter/dm/dm2pdb.h"
#include "platform/files.h"

namespace {

// The log file: each record passed over, written as the conversion goes, then the
// account. It is written beside its target under a temporary name and renamed into place
// once complete, so an earlier log survives a run that fails.
class FileLog : public dm::SkipLog {
  public:
    explicit FileLog(std::string path)
        : path_(std::move(path)), temp_(path_ + ".kwib-log-" + std::to_string(::getpid())) {
        file_ = std::fopen(temp_.c_str(), "wb");
        if (!file_)
            error_ = std::strerror(errno);
    }
    ~FileLog() override {
        if (file_)
            std::fclose(file_);
        if (!placed_)
            std::remove(temp_.c_str());
    }
    FileLog(const FileLog&) = delete;
    FileLog& operator=(const FileLog&) = delete;

    // Why the log cannot be written; empty while all is well.
    const std::string& error() const { return error_; }

    void add(const dm::SkippedRecord& s) override { write(dm::skippedLine(s) + "\n"); }

    // Ends the log with the account and puts it in place; false when it could not.
    bool finish(const std::string& account) {
        write(account + "\n");
        if (error_.empty() && (std::fflush(file_) != 0 || ::fsync(::fileno(file_)) != 0))
            error_ = std::strerror(errno);
        if (std::fclose(file_) != 0 && error_.empty())
            error_ = std::strerror(errno);
        file_ = nullptr;
        if (error_.empty() && std::rename(temp_.c_str(), path_.c_str()) != 0)
            error_ = std::strerror(errno);
        placed_ = error_.empty();
        return placed_;
    }

  private:
    void write(const std::string& text) {
        if (error_.empty() && std::fwrite(text.data(), 1, text.size(), file_) != text.size())
            error_ = std::strerror(errno);
    }

    std::string path_;
    std::string temp_;
    std::FILE* file_ = nullptr;
    std::string error_;
    bool placed_ = false;
};

// The value options of one conversion.
std::vector<std::string> valueOptions() {
    std::vector<std::string> options = {"--frame", "--today", "--log"};
    for (const std::string& o : cli::frameCheckOptions(sheetframe::InputKind::DmFile))
        options.push_back(o);
    return options;
}

// One DM file, with its account on stdout and, with --log, in a file.
int runOne(const cli::Args& args) {
    auto today = cli::todayOption(args);
    if (!today)
        return cli::usageError("dm2pdb", today.error());
    const std::optional<std::string> logPath = args.value("--log");
    if (logPath && logPath->empty())
        return cli::usageError("dm2pdb", "--log needs a file name");
    platform::ConsolePrompter& prompter = cli::consolePrompter(args.has("--yes"));
    cli::FrameDecision frame = cli::decideFrame(args, sheetframe::InputKind::DmFile,
                                                args.positional[0], "dm2pdb", prompter);
    if (frame.exit)
        return *frame.exit;
    dm::GraphicOptions options;
    options.allElements = args.has("--all-elements");
    std::optional<FileLog> log;
    if (logPath) {
        log.emplace(*logPath);
        if (!log->error().empty()) {
            prompter.show("ログファイル「" + *logPath + "」を作成できません（" + log->error() +
                              "）。何も変換していません。",
                          dm::kDmTitle, platform::Icon::Critical, platform::Buttons::Ok);
            return cli::kExitFailed;
        }
        options.log = &*log;
    }
    const std::string& dmPath = args.positional[0];
    dm::Dm2PdbResult result =
        dm::dm2pdb(dmPath, args.positional[1], frame.values, *today, prompter, options);
    if (result.accounted) {
        const std::string fileName(platform::fileNameOf(dmPath));
        std::cout << dm::accountText(fileName, result.account) << '\n';
        if (log && !log->finish(dm::accountText(fileName, result.account))) {
            prompter.show(
                "ログファイル「" + *logPath + "」を書き込めません（" + log->error() + "）。",
                dm::kDmTitle, platform::Icon::Critical, platform::Buttons::Ok);
            return cli::kExitFailed;
        }
    }
    return result.outcome == converter::Outcome::Done ? cli::kExitOk : cli::kExitFailed;
}

// The conversion of each input of a batch: the frame is decided per file (a DM file's zone
// may come from its names); a question it asks goes to the batch.
platform::Result<batch::Convert> prepare(const cli::Args& args, const std::string& outDir) {
    using R = platform::Result<batch::Convert>;
    if (args.has("--log"))
        return R::failure("--log writes the account of one DM file, not of a batch");
    auto today = cli::todayOption(args);
    if (!today)
        return R::failure(today.error());
    auto refused = cli::frameOptionsError(args, sheetframe::InputKind::DmFile);
    if (!refused.empty())
        return R::failure(refused);
    dm::GraphicOptions options;
    options.allElements = args.has("--all-elements");
    return batch::Convert([args, today = *today, outDir, options](const std::string& input,
                                                                  platform::Prompter& prompter) {
        cli::FrameDecision frame =
            cli::decideFrame(args, sheetframe::InputKind::DmFile, input, "dm2pdb", prompter, true);
        if (frame.exit)
            return false;
        return dm::dm2pdb(input, outDir, frame.values, today, prompter, options).outcome ==
               converter::Outcome::Done;
    });
}

int run(const std::vector<std::string>& argv) {
    return cli::runConversion({"dm2pdb",
                               "dm2pdb takes a DM file and an output folder",
                               batch::Kind::DmFile,
                               valueOptions(),
                               {"--all-elements"},
                               &prepare,
                               &runOne},
                              argv);
}

cli::CommandRegistration reg{"dm2pdb",
                             "dm2pdb DM_FILE... OUT_DIR [--frame N,...(12)|auto] [--zone N] "
                             "[--datum tokyo|jgd2000|jgd2011] [--today YYYY-MM-DD] [--yes] "
                             "[--all-elements] [--log FILE] [--recursive] [--jobs N] "
                             "[--skip-existing]",
                             &run};

}  // namespace
