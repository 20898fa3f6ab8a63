#include "converter/batch/batch.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "converter/core/conversion.h"
#include "converter/digitalmap/digital_map.h"
#include "pdbformat/container.h"
#include "pdbformat/graphic_stream.h"
#include "platform/files.h"

namespace batch {
namespace fs = std::filesystem;

namespace {

bool endsWithNoCase(const std::string& name, std::string_view suffix) {
    if (name.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), name.end() - long(suffix.size()),
                      [](char a, char b) { return a == std::tolower(b); });
}

bool isDmFileName(const std::string& name) {
    return endsWithNoCase(name, ".dm") || endsWithNoCase(name, ".dat");
}

bool isSheetFolder(const fs::path& dir) {
    std::error_code ec;
    for (const char* layer : {"TATEMONO", "GYOUSEI", "GAIKU", "KASEN", "OTHERS"})
        if (fs::is_directory(dir / layer, ec))
            return true;
    return false;
}

// Every DM file or sheet folder under dir, in name order.
std::vector<std::string> search(Kind kind, const fs::path& dir) {
    std::vector<std::string> found;
    if (kind == Kind::Sheet && isSheetFolder(dir))
        found.push_back(dir.string());
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(
             dir, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (kind == Kind::DmFile) {
            if (it->is_regular_file(ec) && isDmFileName(it->path().filename().string()))
                found.push_back(it->path().string());
        } else if (it->is_directory(ec) && isSheetFolder(it->path())) {
            found.push_back(it->path().string());
            it.disable_recursion_pending();  // a sheet's layer folders hold no sheets
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The same file or folder named twice (or found twice) is converted once.
std::string identity(const std::string& path) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? fs::absolute(path).lexically_normal().string() : canonical.string();
}

}  // namespace

platform::Result<std::vector<std::string>> findInputs(Kind kind,
                                                      const std::vector<std::string>& named,
                                                      bool recursive) {
    using R = platform::Result<std::vector<std::string>>;
    std::vector<std::string> inputs;
    std::set<std::string> seen;
    auto add = [&](const std::string& path) {
        if (seen.insert(identity(path)).second)
            inputs.push_back(path);
    };
    for (const std::string& path : named) {
        std::error_code ec;
        const bool isDir = fs::is_directory(path, ec);
        if (!isDir && !fs::exists(path, ec))
            return R::failure("入力「" + path + "」がありません。");
        if (kind == Kind::DmFile && isDir && !recursive)
            return R::failure("「" + path +
                              "」はフォルダーです。その中のDMファイルを変換するには "
                              "--recursive を付けて下さい。");
        if (kind == Kind::Sheet && !isDir)
            return R::failure("「" + path +
                              "」はフォルダーではありません（数値地図のメッシュ番号"
                              "のフォルダーを指定して下さい）。");
        if (!isDir || (kind == Kind::Sheet && !recursive)) {
            add(path);
            continue;
        }
        std::vector<std::string> found = search(kind, path);
        if (found.empty())
            return R::failure("フォルダー「" + path + "」の中に" +
                              (kind == Kind::DmFile ? "DMファイル（*.dm, *.dat）"
                                                    : "数値地図のメッシュ番号のフォルダー") +
                              "がありません。");
        for (const std::string& f : found) add(f);
    }
    return inputs;
}

std::vector<std::string> outputsOf(Kind kind, const std::string& input, const std::string& outDir) {
    if (kind == Kind::DmFile) {
        const std::string base = converter::baseNameOf(input);
        return {converter::joinPath(outDir, base + "_G.pdb"),
                converter::joinPath(outDir, base + "_A.pdb")};
    }
    digitalmap::SheetPaths p = digitalmap::MakeSheetPaths(input, outDir);
    return {p.graphicDb, p.attrCsv, p.attrDb};
}

bool Message::counts() const {
    return buttons != platform::Buttons::Ok || icon == platform::Icon::Critical ||
           icon == platform::Icon::Warning;
}

platform::Answer BatchPrompter::show(std::string_view text, std::string_view title,
                                     platform::Icon icon, platform::Buttons buttons) {
    messages_.push_back({icon, buttons, std::string(title), std::string(text)});
    if (sink_)
        sink_(messages_.back());
    switch (buttons) {
        case platform::Buttons::Ok:
            return platform::Answer::Ok;
        case platform::Buttons::YesNo:
            return answerYes_ ? platform::Answer::Yes : platform::Answer::No;
        case platform::Buttons::SaveDiscardCancel:
            return answerYes_ ? platform::Answer::Save : platform::Answer::Cancel;
        default:
            return answerYes_ ? platform::Answer::Ok : platform::Answer::Cancel;
    }
}

Batch::Batch(Kind kind, std::vector<std::string> inputs, std::string outDir, Convert convert)
    : kind_(kind), outDir_(std::move(outDir)), convert_(std::move(convert)) {
    results_.resize(inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) results_[i].input = std::move(inputs[i]);
}

std::vector<std::string> Batch::clashes() const {
    std::vector<std::string> found;
    std::map<std::string, std::size_t> owner;  // output file → first input that makes it
    for (std::size_t i = 0; i < results_.size(); ++i) {
        for (const std::string& out : outputsOf(kind_, results_[i].input, outDir_)) {
            auto [it, fresh] = owner.emplace(identity(out), i);
            if (!fresh && it->second != i) {
                found.push_back("入力「" + results_[it->second].input + "」と「" +
                                results_[i].input + "」の出力が同じ名前「" +
                                std::string(platform::fileNameOf(out)) + "」になります。");
                break;
            }
        }
    }
    return found;
}

std::vector<std::size_t> Batch::existing() const {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < results_.size(); ++i) {
        const auto outs = outputsOf(kind_, results_[i].input, outDir_);
        if (std::any_of(outs.begin(), outs.end(), platform::fileExists))
            found.push_back(i);
    }
    return found;
}

std::size_t Batch::count(Status status) const {
    return std::size_t(std::count_if(results_.begin(), results_.end(),
                                     [&](const InputResult& r) { return r.status == status; }));
}

void Batch::convertOne(std::size_t index, const Observer& observer) {
    InputResult& result = results_[index];
    if (observer.started) {
        std::lock_guard lock(observerMutex_);
        observer.started(index);
    }
    BatchPrompter prompter(
        [&](const Message& m) {
            if (observer.message) {
                std::lock_guard lock(observerMutex_);
                observer.message(index, m);
            }
        },
        answerYes_);
    const bool done = convert_(result.input, prompter);
    result.messages = prompter.messages();
    for (const Message& m : result.messages) {
        if (!m.counts())
            continue;
        if (result.counted++ == 0) {
            result.reason = m.text;  // on one line, for the summary and the log
            for (std::size_t at; (at = result.reason.find('\n')) != std::string::npos;)
                result.reason.replace(at, 1, " / ");
        }
    }
    if (done) {
        result.outputs = outputsOf(kind_, result.input, outDir_);
        result.status = result.counted == 0 ? Status::Clean : Status::Messages;
        readFigures(result);
    } else {
        result.status = Status::Failed;
        if (result.reason.empty())
            result.reason = "変換が途中で終わりました。";
    }
    if (observer.finished) {
        std::lock_guard lock(observerMutex_);
        observer.finished(index, result);
    }
}

void Batch::run(unsigned jobs, const Observer& observer) {
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i = next++; i < results_.size(); i = next++) {
            if (results_[i].status != Status::Pending)
                continue;
            if (cancelled_) {
                results_[i].status = Status::Cancelled;
                continue;
            }
            convertOne(i, observer);
        }
    };
    const std::size_t threads =
        std::clamp<std::size_t>(jobs, 1, std::max<std::size_t>(1, results_.size()));
    if (threads == 1) {
        work();
        return;
    }
    std::vector<std::jthread> pool;
    for (std::size_t t = 0; t < threads; ++t) pool.emplace_back(work);
}

void readFigures(InputResult& result) {
    for (const std::string& path : result.outputs) {
        const bool graphic = path.ends_with("_G.pdb");
        if (!graphic && !path.ends_with("_A.pdb"))
            continue;
        auto file = platform::readFile(path);
        if (!file)
            continue;
        if (!graphic) {
            result.attributeRecords = pdb::readHead(file->asBytes()).listHeader.iRecNum;
            continue;
        }
        pdb::GraphicReadResult read = pdb::ReadGraphicDatabase(file->asBytes());
        for (const pdb::GraphicElement& e : read.file.elements) {
            const std::uint8_t k = e.header.kind;
            if (k == pdb::kKindArea || k == pdb::kKindLine || k == pdb::kKindLabel)
                ++result.elements;
            if (k == pdb::kKindArea)
                ++result.areas;
        }
    }
}

int exitStatus(const Batch& batch) {
    if (batch.count(Status::Failed) || batch.count(Status::Cancelled))
        return 1;
    return batch.count(Status::Messages) ? 3 : 0;
}

const char* statusName(Status s) {
    switch (s) {
        case Status::Clean:
            return "ok";
        case Status::Messages:
            return "messages";
        case Status::Failed:
            return "failed";
        case Status::Skipped:
            return "skipped";
        case Status::Cancelled:
            return "cancelled";
        case Status::Pending:
            break;
    }
    return "pending";
}

namespace {

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

std::string logText(const Batch& batch) {
    std::string text =
        "input,outputs,elements,areas,attribute records,messages,status,first message\n";
    for (const InputResult& r : batch.results()) {
        std::string outputs;
        for (const std::string& o : r.outputs)
            outputs += (outputs.empty() ? "" : ";") + std::string(platform::fileNameOf(o));
        text += csvField(r.input) + ',' + csvField(outputs) + ',' + std::to_string(r.elements) +
                ',' + std::to_string(r.areas) + ',' + std::to_string(r.attributeRecords) + ',' +
                std::to_string(r.counted) + ',' + statusName(r.status) + ',' + csvField(r.reason) +
                '\n';
    }
    return text;
}

std::string logFileName(std::time_t stamp) {
    std::tm local{};
    localtime_r(&stamp, &local);
    char name[64];
    std::strftime(name, sizeof name, "vornik-batch-%Y%m%d-%H%M%S.csv", &local);
    return name;
}

platform::Result<std::string> writeLog(const Batch& batch, std::time_t stamp) {
    // A second batch within the same second keeps the first one's log.
    const std::string name = logFileName(stamp);
    std::string path = converter::joinPath(batch.outDir(), name);
    for (int n = 2; platform::fileExists(path) && n < 1000; ++n)
        path = converter::joinPath(
            batch.outDir(), name.substr(0, name.size() - 4) + "-" + std::to_string(n) + ".csv");
    platform::WriteError error;
    if (!platform::writeFileAtomically(path, logText(batch), &error))
        return platform::Result<std::string>::failure(converter::writeFailureText(error));
    return path;
}

}  // namespace batch
