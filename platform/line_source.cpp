#include "platform/line_source.h"

#include "platform/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

LineSource::LineSource(std::string_view data, LineEnds ends)
    : ends_(ends), data_(data.data()), end_(data.size()), atEnd_(true) {}

LineSource::LineSource(int fd, LineEnds ends) : fd_(fd), ends_(ends) {
    // Room for the longest line, its line end and the byte after a CR.
    buffer_.resize(kMaxLine + 2);
    data_ = buffer_.data();
}

Result<LineSource> LineSource::openFile(const std::string& path, LineEnds ends) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Result<LineSource>::failure(systemReason(errno));
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return LineSource(fd, ends);
}

LineSource::LineSource(LineSource&& other) noexcept {
    *this = std::move(other);
}

LineSource& LineSource::operator=(LineSource&& other) noexcept {
    if (this == &other)
        return *this;
    close();
    fd_ = other.fd_;
    ends_ = other.ends_;
    buffer_ = std::move(other.buffer_);
    data_ = fd_ >= 0 ? buffer_.data() : other.data_;
    begin_ = other.begin_;
    end_ = other.end_;
    atEnd_ = other.atEnd_;
    number_ = other.number_;
    failure_ = other.failure_;
    error_ = std::move(other.error_);
    other.fd_ = -1;
    other.data_ = nullptr;
    other.begin_ = other.end_ = 0;
    other.atEnd_ = true;
    return *this;
}

LineSource::~LineSource() {
    close();
}

void LineSource::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool LineSource::rewind() {
    begin_ = 0;
    number_ = 0;
    failure_ = Failure::None;
    error_.clear();
    if (fd_ < 0)
        return true;
    end_ = 0;
    atEnd_ = false;
    if (::lseek(fd_, 0, SEEK_SET) != 0) {
        failure_ = Failure::Read;
        error_ = systemReason(errno);
        return false;
    }
    return true;
}

bool LineSource::refill() {
    // The start of the unfinished line moves to the front; the file is read in behind it.
    std::size_t partial = end_ - begin_;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, partial);
        begin_ = 0;
        end_ = partial;
    }
    for (;;) {
        ssize_t n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (n > 0) {
            end_ += static_cast<std::size_t>(n);
            return true;
        }
        if (n == 0) {
            atEnd_ = true;
            return true;
        }
        if (errno != EINTR) {
            failure_ = Failure::Read;
            error_ = systemReason(errno);
            return false;
        }
    }
}

bool LineSource::next(std::string_view& line) {
    if (failed())
        return false;
    for (;;) {
        const char* start = data_ + begin_;
        const std::size_t available = end_ - begin_;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', available));
        std::size_t length = 0;  // of the line's text
        std::size_t taken = 0;   // with its line end
        if (ends_ == LineEnds::AnyEnd) {
            std::size_t upTo = lf ? static_cast<std::size_t>(lf - start) : available;
            if (const auto* cr = static_cast<const char*>(std::memchr(start, '\r', upTo))) {
                length = static_cast<std::size_t>(cr - start);
                // Whether an LF follows the CR is known only once the next byte is in.
                if (length + 1 < available)
                    taken = length + (start[length + 1] == '\n' ? 2 : 1);
                else if (atEnd_)
                    taken = length + 1;
            } else if (lf) {
                length = upTo;
                taken = length + 1;
            }
        } else if (lf) {
            length = static_cast<std::size_t>(lf - start);
            taken = length + 1;
        }
        if (taken == 0 && atEnd_) {
            if (available == 0)
                return false;
            length = taken = available;  // a last line without a line end
        }
        if (taken > 0) {
            if (length > kMaxLine)
                break;
            line = std::string_view(start, length);
            if (ends_ == LineEnds::Lf && !line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            begin_ += taken;
            ++number_;
            return true;
        }
        // The line so far: all that is available, less a CR still waiting for its next byte.
        if ((ends_ == LineEnds::AnyEnd && length > 0 ? length : available) > kMaxLine)
            break;
        if (!refill())
            return false;
    }
    failure_ = Failure::LineTooLong;
    return false;
}

}  // namespace platform
