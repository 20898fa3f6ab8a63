#pragma once
// "This step failed, here is why": every step that can fail returns a Result (or a Status
// when it makes no value): the value it made, or the message that says why it could not.
// The message is UTF-8 and meant for the user as it stands: it names the file, the line
// and the field concerned. A step never shows its failure; the operation that called it
// decides how (a message box, a line on stderr, the expectation of a test).
//
//   platform::Result<FileContents> file = platform::readFile(path);
//   if (!file)
//       return fail(prompter, "CSV ファイル「" + path + "」を読めません（" + file.error() +
//       "）。");
//   use(file->bytes);
#include <optional>
#include <string>
#include <utility>

namespace platform {

template <class T>
class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {}
    static Result failure(std::string message) {
        Result r;
        r.error_ = std::move(message);
        return r;
    }
    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    // Why the step failed; empty when it did not.
    const std::string& error() const { return error_; }

  private:
    Result() = default;
    std::optional<T> value_;
    std::string error_;
};

class [[nodiscard]] Status {
  public:
    Status() = default;  // succeeded
    static Status failure(std::string message) {
        Status s;
        s.failed_ = true;
        s.error_ = std::move(message);
        return s;
    }
    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    const std::string& error() const { return error_; }

  private:
    bool failed_ = false;
    std::string error_;
};

}  // namespace platform
