// Single and batch runs of the map conversions (see batch_cli.h).
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <thread>

#include "cli/batch_cli.h"

namespace cli {
namespace {

const std::vector<std::string> kBatchValueOptions = {"--jobs"};
const std::vector<std::string> kBatchFlagOptions = {"--recursive", "--yes", "--skip-existing"};

std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The batch a first Ctrl-C cancels; a second one ends the program at once.
std::atomic<batch::Batch*> g_interrupted{nullptr};

void onInterrupt(int) {
    if (batch::Batch* b = g_interrupted.load())
        b->cancel();
}

// Columns a text takes on a terminal: two for the wide (CJK) characters, one otherwise.
std::size_t displayWidth(std::string_view s) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = len == 1 ? c : c & (0x7F >> len);
        for (std::size_t k = 1; k < len && i + k < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        width += cp >= 0x1100 && !(cp >= 0xFF61 && cp <= 0xFF9F) ? 2 : 1;
        i += len;
    }
    return width;
}

std::string padded(const std::string& text, std::size_t width, bool right = false) {
    const std::size_t w = displayWidth(text);
    const std::string fill(w < width ? width - w : 0, ' ');
    return right ? fill + text : text + fill;
}

std::string clock(std::chrono::seconds s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(s.count() / 60),
                  static_cast<long long>(s.count() % 60));
    return buf;
}

void printSummary(const batch::Batch& b) {
    const std::vector<std::string> head = {"input",   "outputs",  "elements", "areas",
                                           "records", "messages", "status"};
    std::vector<std::vector<std::string>> rows;
    for (const batch::InputResult& r : b.results())
        rows.push_back({r.input, std::to_string(r.outputs.size()), std::to_string(r.elements),
                        std::to_string(r.areas), std::to_string(r.attributeRecords),
                        std::to_string(r.counted), batch::statusName(r.status)});
    std::vector<std::size_t> width(head.size());
    for (std::size_t c = 0; c < head.size(); ++c) {
        width[c] = displayWidth(head[c]);
        for (const auto& row : rows) width[c] = std::max(width[c], displayWidth(row[c]));
    }
    auto line = [&](const std::vector<std::string>& cells) {
        std::string out;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const bool number = c >= 1 && c <= 5;
            out += (c ? "  " : "") +
                   (c + 1 == cells.size() ? cells[c] : padded(cells[c], width[c], number));
        }
        std::cout << out << '\n';
    };
    line(head);
    for (const auto& row : rows) line(row);
    for (const batch::InputResult& r : b.results())
        if (r.status == batch::Status::Failed || r.status == batch::Status::Messages)
            std::cout << batch::statusName(r.status) << ": " << r.input << ": " << r.reason << '\n';
    std::cout << b.results().size() << " inputs: " << b.count(batch::Status::Clean) << " ok, "
              << b.count(batch::Status::Messages) << " with messages, "
              << b.count(batch::Status::Failed) << " failed";
    if (std::size_t n = b.count(batch::Status::Skipped))
        std::cout << ", " << n << " skipped";
    if (std::size_t n = b.count(batch::Status::Cancelled))
        std::cout << ", " << n << " cancelled";
    std::cout << '\n';
}

int runBatch(const ConversionCommand& command, const Args& args, batch::Convert convert) {
    platform::ConsolePrompter& prompter = consolePrompter(args.has("--yes"));
    auto refuse = [&](const std::string& text) {
        prompter.show(text, command.name, platform::Icon::Critical, platform::Buttons::Ok);
        return kExitFailed;
    };
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    if (auto text = args.value("--jobs")) {
        char* end = nullptr;
        const long n = std::strtol(text->c_str(), &end, 10);
        if (text->empty() || *end || n < 1 || n > 256)
            return usageError(command.name,
                              "--jobs wants a number from 1 to 256, not \"" + *text + "\"");
        jobs = unsigned(n);
    }
    if (args.has("--yes") && args.has("--skip-existing"))
        return usageError(command.name, "--yes and --skip-existing exclude each other");

    std::vector<std::string> named(args.positional.begin(), args.positional.end() - 1);
    const std::string outDir = args.positional.back();
    std::error_code ec;
    if (!std::filesystem::is_directory(outDir, ec))
        return refuse("出力フォルダー「" + outDir + "」がありません。");
    auto inputs = batch::findInputs(command.kind, named, args.has("--recursive"));
    if (!inputs)
        return refuse(inputs.error());

    batch::Batch b(command.kind, *inputs, outDir, std::move(convert));
    if (args.has("--yes"))
        b.answerQuestionsYes();
    // Everything that would stop the batch is settled before the first conversion.
    if (auto clashes = b.clashes(); !clashes.empty()) {
        std::string text;
        for (const std::string& c : clashes) text += c + "\n";
        return refuse(text + "同じ名前になる入力があるため、変換を始めませんでした。");
    }
    if (auto existing = b.existing(); !existing.empty()) {
        const std::string count = std::to_string(existing.size());
        if (args.has("--skip-existing")) {
            for (std::size_t i : existing) b.skip(i);
        } else if (!platform::isAffirmative(prompter.show(
                       count + " 件の入力の出力ファイルが既にあります（「" +
                           b.results()[existing.front()].input +
                           "」など）。\nすべて上書きしますか？（--yes ですべて上書き、"
                           "--skip-existing でそれらの入力を飛ばします）",
                       command.name, platform::Icon::Question, platform::Buttons::YesNo))) {
            return kExitFailed;
        }
    }

    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const auto start = std::chrono::steady_clock::now();
    std::size_t done = b.count(batch::Status::Skipped);
    const std::size_t total = b.results().size();
    auto progress = [&] {
        if (!terminal)
            return;
        const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(
            std::chrono::steady_clock::now() - start);
        std::string line = "\r\033[K[" + std::to_string(done) + "/" + std::to_string(total) +
                           "] elapsed " + clock(elapsed);
        if (done > 0 && done < total)
            line += ", remaining ~" + clock(elapsed * (total - done) / done);
        std::cerr << line << std::flush;
    };
    // The observer's lines and the clock's ticks share stderr.
    std::mutex printing;
    batch::Observer observer;
    observer.message = [&](std::size_t i, const batch::Message& m) {
        std::lock_guard lock(printing);
        if (terminal)
            std::cerr << "\r\033[K";
        const char* kind =
            m.buttons == platform::Buttons::Ok ? platform::iconName(m.icon) : "question";
        // Every line of the box carries the input's name, so parallel runs stay readable.
        std::string text = "[" + std::string(kind) + "] " + m.title + ": " + m.text;
        for (std::size_t at = 0, end = 0; at <= text.size(); at = end + 1) {
            end = std::min(text.find('\n', at), text.size());
            std::cerr << b.results()[i].input << ": " << std::string_view(text).substr(at, end - at)
                      << '\n';
        }
        progress();
    };
    observer.finished = [&](std::size_t, const batch::InputResult&) {
        std::lock_guard lock(printing);
        ++done;
        progress();
    };

    g_interrupted = &b;
    struct sigaction action {};
    action.sa_handler = &onInterrupt;
    action.sa_flags = SA_RESETHAND;
    struct sigaction previous {};
    ::sigaction(SIGINT, &action, &previous);
    progress();
    std::jthread clockTick;  // the elapsed time goes on during a long file
    if (terminal)
        clockTick = std::jthread([&](std::stop_token stop) {
            std::condition_variable_any tick;
            std::unique_lock lock(printing);
            while (!stop.stop_requested()) {
                tick.wait_for(lock, stop, std::chrono::seconds(1), [] { return false; });
                if (!stop.stop_requested())
                    progress();
            }
        });
    b.run(jobs, observer);
    if (clockTick.joinable()) {
        clockTick.request_stop();
        clockTick.join();
    }
    ::sigaction(SIGINT, &previous, nullptr);
    g_interrupted = nullptr;
    if (terminal)
        std::cerr << "\r\033[K" << std::flush;

    printSummary(b);
    auto log = batch::writeLog(b, std::time(nullptr));
    if (log)
        std::cout << "log: " << *log << '\n';
    else  // shown as an error: a clean batch then ends with status 3
        prompter.show(log.error(), command.name, platform::Icon::Critical, platform::Buttons::Ok);
    return batch::exitStatus(b);
}

}  // namespace

int runConversion(const ConversionCommand& command, const std::vector<std::string>& argv) {
    auto args = parseArgs(argv, joined(command.valueOptions, kBatchValueOptions),
                          joined(command.flagOptions, kBatchFlagOptions));
    if (!args)
        return usageError(command.name, args.error());
    if (args->positional.size() < 2)
        return usageError(command.name, command.arity);
    const bool isBatch = args->positional.size() > 2 || args->has("--recursive") ||
                         args->has("--jobs") || args->has("--skip-existing");
    if (!isBatch)
        return command.single(*args);
    auto convert = command.prepare(*args, args->positional.back());
    if (!convert)
        return usageError(command.name, convert.error());
    return runBatch(command, *args, std::move(*convert));
}

}  // namespace cli
