#pragma once
// Lines of a text input, one at a time, either from bytes already in memory or from a file
// read through a fixed buffer, so that reading a file of any size takes the same memory.
//
// A line is handed out without its line end, as a view that stays valid until the next
// call. Two conventions for line ends:
//   - Lf: a line ends at LF, and a CR right before the LF is dropped (a CR elsewhere is
//     part of the line);
//   - AnyEnd: a line ends at CR LF, LF or CR.
// A last line without a line end is a line; nothing after the last line end is not.
// A line longer than the buffer (kMaxLine bytes) stops the reading as a failure: no text
// input of this system has such lines, and a file that does is not the text it claims to be.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace platform {

enum class LineEnds { Lf, AnyEnd };

class LineSource {
  public:
    static constexpr std::size_t kMaxLine = (std::size_t{1} << 20) - 1;

    // The lines of data (not copied: data must outlive the source).
    explicit LineSource(std::string_view data, LineEnds ends = LineEnds::Lf);
    // The lines of a file; fails with the system's reason when it cannot be opened.
    static Result<LineSource> openFile(const std::string& path, LineEnds ends);

    LineSource(LineSource&& other) noexcept;
    LineSource& operator=(LineSource&& other) noexcept;
    LineSource(const LineSource&) = delete;
    LineSource& operator=(const LineSource&) = delete;
    ~LineSource();

    // The next line; false at the end of the input or when reading failed (see failed()).
    bool next(std::string_view& line);
    // 1-based number of the last line handed out (0 before the first).
    std::size_t lineNumber() const { return number_; }
    // True when no line is left. (A file is known to be exhausted once its end was read.)
    bool exhausted() const { return atEnd_ && begin_ >= end_; }
    // Why reading stopped early: a read error (error() holds the system's reason) or a
    // line longer than kMaxLine (the line lineNumber() + 1).
    enum class Failure { None, Read, LineTooLong };
    Failure failure() const { return failure_; }
    bool failed() const { return failure_ != Failure::None; }
    const std::string& error() const { return error_; }
    // Back to the first line, for another pass over the same input.
    bool rewind();

  private:
    LineSource(int fd, LineEnds ends);
    bool refill();
    void close();

    int fd_ = -1;
    LineEnds ends_ = LineEnds::Lf;
    std::vector<char> buffer_;  // file input only
    const char* data_ = nullptr;
    std::size_t begin_ = 0;  // first byte not yet handed out
    std::size_t end_ = 0;    // end of the bytes available
    bool atEnd_ = false;     // no more bytes beyond end_
    std::size_t number_ = 0;
    Failure failure_ = Failure::None;
    std::string error_;
};

}  // namespace platform
