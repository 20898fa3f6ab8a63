#pragma once
// File choosers go through this interface so operations can ask for a path
// under a window, on a console and in tests alike.
#include <deque>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct FileRequest {
    std::string title;             // UTF-8
    std::string filterName;        // e.g. "CSVﾌｧｲﾙ"
    std::string filterPattern;     // e.g. "*.csv"
    std::string defaultExtension;  // without the dot, e.g. "csv"
    std::string initialFolder;
    bool save = false;  // save style: a new name may be typed
    // Where the chooser keeps the last file chosen through it between runs (a settings key,
    // e.g. "lorvex/database"); it then opens there. Empty: nothing is remembered.
    std::string place;
};

class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> choose(const FileRequest& request) = 0;
};

// Appends the default extension when the name has none, as the file dialogs do.
std::string withDefaultExtension(const std::string& path, const std::string& extension);

// Asks for a path on a console: prints the title on out, reads one line from in.
// An empty line or end of input cancels.
class ConsoleFileChooser : public FileChooser {
  public:
    ConsoleFileChooser(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
    std::optional<std::string> choose(const FileRequest& request) override;

  private:
    std::istream& in_;
    std::ostream& out_;
};

// For tests: answers from a queue (nothing = cancel) and records every request.
class ScriptedFileChooser : public FileChooser {
  public:
    void answerNext(std::optional<std::string> path) { answers_.push_back(std::move(path)); }
    std::optional<std::string> choose(const FileRequest& request) override;
    const std::vector<FileRequest>& requests() const { return requests_; }

  private:
    std::deque<std::optional<std::string>> answers_;
    std::vector<FileRequest> requests_;
};

}  // namespace platform
