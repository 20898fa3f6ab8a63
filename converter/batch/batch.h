#pragma once
// Batch conversion: many DM files or Digital Map 2500 sheet folders converted into one
// output folder, several at a time.
//
// A batch knows its inputs, the output files each of them makes and the conversion that
// turns one input into its outputs (a plain function that talks to a Prompter; it knows
// nothing about batches). Before anything starts, the caller checks the batch: inputs whose
// outputs would share a name are refused (clashes()), and inputs whose outputs exist already
// are asked about once for the whole batch (existing(), then skip()). run() then converts the
// inputs on a pool of threads; each conversion reports to a BatchPrompter of its own, which
// keeps its messages and passes each on to the observer as it comes. cancel() lets the
// conversions under way finish (each replaces its outputs as a set, so nothing half-made is
// left) and starts no other.
#include <atomic>
#include <cstddef>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompter.h"
#include "platform/result.h"

namespace batch {

enum class Kind { DmFile, Sheet };

// The inputs named on a command line or in a form: files (DM) or folders (sheets) as they
// stand; with recursive, a folder is searched for every "*.dm"/"*.dat" file, or every sheet
// folder (one holding a TATEMONO, GYOUSEI, GAIKU, KASEN or OTHERS folder), in name order.
// The same input named twice counts once. Fails naming an input that does not exist, or a
// folder given for DM files without recursive.
platform::Result<std::vector<std::string>> findInputs(Kind kind,
                                                      const std::vector<std::string>& named,
                                                      bool recursive);

// The files one input makes in the output folder.
std::vector<std::string> outputsOf(Kind kind, const std::string& input, const std::string& outDir);

struct Message {
    platform::Icon icon = platform::Icon::Information;
    platform::Buttons buttons = platform::Buttons::Ok;
    std::string title;
    std::string text;
    // An error or warning box, or a question (which a batch cannot answer).
    bool counts() const;
};

// The Prompter of one conversion in a batch: shows nothing, keeps every box and hands it to
// the sink (from the converting thread). Questions are answered "Cancel/No", or "OK/Yes"
// when the batch was told so (the command line's --yes).
class BatchPrompter : public platform::Prompter {
  public:
    using Sink = std::function<void(const Message&)>;
    explicit BatchPrompter(Sink sink = {}, bool answerYes = false)
        : sink_(std::move(sink)), answerYes_(answerYes) {}
    platform::Answer show(std::string_view text, std::string_view title, platform::Icon icon,
                          platform::Buttons buttons) override;
    const std::vector<Message>& messages() const { return messages_; }

  private:
    Sink sink_;
    bool answerYes_;
    std::vector<Message> messages_;
};

enum class Status {
    Pending,    // not converted (yet)
    Clean,      // converted, no error or warning on the way
    Messages,   // converted with errors or warnings (a cut text, an overflow)
    Failed,     // ended on an error: no output written
    Skipped,    // its outputs existed and were kept
    Cancelled,  // the batch was cancelled before it started
};

struct InputResult {
    std::string input;
    Status status = Status::Pending;
    std::vector<std::string> outputs;  // the files written
    std::size_t elements = 0;          // area, line and label elements of the graphic database
    std::size_t areas = 0;
    std::size_t attributeRecords = 0;
    std::vector<Message> messages;
    std::size_t counted = 0;  // messages that count (errors, warnings, questions)
    std::string reason;  // the first of them, on one line: why it failed, or what it warned about
};

// Converts one input into the output folder; true when the conversion reached its end.
using Convert = std::function<bool(const std::string& input, platform::Prompter& prompter)>;

// What a running batch tells its caller, from the converting threads (one call at a time).
struct Observer {
    std::function<void(std::size_t index, const Message&)> message;
    std::function<void(std::size_t index)> started;
    std::function<void(std::size_t index, const InputResult&)> finished;
};

class Batch {
  public:
    Batch(Kind kind, std::vector<std::string> inputs, std::string outDir, Convert convert);

    Kind kind() const { return kind_; }
    const std::string& outDir() const { return outDir_; }
    const std::vector<InputResult>& results() const { return results_; }

    // One sentence per pair of inputs whose outputs would have the same name; empty when
    // there is none.
    std::vector<std::string> clashes() const;
    // The inputs (indexes) that would replace an existing file.
    std::vector<std::size_t> existing() const;
    void skip(std::size_t index) { results_[index].status = Status::Skipped; }
    // Questions a conversion asks are answered "OK/Yes" (otherwise "Cancel/No").
    void answerQuestionsYes() { answerYes_ = true; }

    // Converts the pending inputs with up to jobs threads; returns when all are done or the
    // batch was cancelled and the conversions under way have finished.
    void run(unsigned jobs, const Observer& observer = {});
    // Safe from any thread, and from the observer.
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }

    // Counts of the results by status.
    std::size_t count(Status status) const;

  private:
    void convertOne(std::size_t index, const Observer& observer);

    Kind kind_;
    std::string outDir_;
    Convert convert_;
    std::vector<InputResult> results_;
    bool answerYes_ = false;
    std::atomic<bool> cancelled_{false};
    std::mutex observerMutex_;
};

// "ok", "messages", "failed", "skipped", "cancelled" (the log's and the summary's words).
const char* statusName(Status status);

// The figures of a finished input, read back from its graphic and attribute databases.
void readFigures(InputResult& result);

// "0" every input clean (or skipped), 3 some converted with messages, 1 some failed or were
// cancelled.
int exitStatus(const Batch& batch);

// The batch log: one line per input with the summary's columns and the first message that
// counted, UTF-8, comma-separated, quoted where needed. Written whole into the output folder
// as "vornik-batch-YYYYMMDD-HHMMSS.csv" (local time of stamp; "-2", "-3"… added when a log
// of that name is there already); the path, or why not.
std::string logText(const Batch& batch);
std::string logFileName(std::time_t stamp);
platform::Result<std::string> writeLog(const Batch& batch, std::time_t stamp);

}  // namespace batch
