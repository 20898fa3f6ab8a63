#include "platform/files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

std::optional<std::size_t> g_failAfter;

std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

}  // namespace

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<Bytes> readWholeFile(const std::string& path, std::string* error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = std::strerror(errno);
        return std::nullopt;
    }
    struct stat st {};
    Bytes bytes;
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        bytes.reserve(std::size_t(st.st_size));
    // Read in large blocks until the end; the size from fstat is only a hint.
    std::uint8_t block[1 << 16];
    for (;;) {
        std::size_t room = bytes.capacity() - bytes.size();
        if (room > 0) {
            std::size_t at = bytes.size();
            bytes.resize(bytes.capacity());
            ssize_t n = ::read(fd, bytes.data() + at, room);
            bytes.resize(at + (n > 0 ? std::size_t(n) : 0));
            if (n > 0)
                continue;
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                break;
        }
        ssize_t n = ::read(fd, block, sizeof block);
        if (n > 0) {
            bytes.insert(bytes.end(), block, block + n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0) {
            ::close(fd);
            return bytes;
        }
        break;
    }
    if (error)
        *error = std::strerror(errno);
    ::close(fd);
    return std::nullopt;
}

void AtomicFile::write(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    buffer_.insert(buffer_.end(), p, p + size);
}

bool AtomicFile::commit(WriteError* error) {
    return writeFileAtomically(path_, buffer_.data(), buffer_.size(), error);
}

std::optional<MappedFile> MappedFile::open(const std::string& path, std::string* error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = std::strerror(errno);
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        if (error)
            *error = std::strerror(errno);
        ::close(fd);
        return std::nullopt;
    }
    if (st.st_size == 0) {
        ::close(fd);
        return MappedFile(nullptr, 0);
    }
    void* p =
        ::mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    int savedErrno = errno;
    ::close(fd);
    if (p == MAP_FAILED) {
        if (error)
            *error = std::strerror(savedErrno);
        return std::nullopt;
    }
    return MappedFile(static_cast<const std::uint8_t*>(p), std::size_t(st.st_size));
}

MappedFile::MappedFile(MappedFile&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    return *this;
}

MappedFile::~MappedFile() {
    if (data_)
        ::munmap(const_cast<std::uint8_t*>(data_), size_);
}

AtomicWriter::~AtomicWriter() {
    abandon();
}

void AtomicWriter::abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temp_.c_str());
        fd_ = -1;
    }
}

bool AtomicWriter::open(const std::string& path, WriteError* error) {
    abandon();
    path_ = path;
    temp_ = folderOf(path) + "/.kwib-XXXXXX";
    written_ = 0;
    fd_ = ::mkstemp(temp_.data());
    if (fd_ < 0) {
        if (error)
            *error = {WriteError::Stage::Create, std::strerror(errno)};
        return false;
    }
    // mkstemp creates 0600; give the file the usual permissions.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
    return true;
}

bool AtomicWriter::write(const void* data, std::size_t size, WriteError* error) {
    if (fd_ < 0) {
        if (error)
            *error = {WriteError::Stage::Write, "not open"};
        return false;
    }
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < size) {
        std::size_t chunk = size - done;
        if (g_failAfter) {
            if (written_ >= *g_failAfter) {
                errno = EIO;
                break;
            }
            chunk = std::min(chunk, *g_failAfter - written_);
        }
        ssize_t n = ::write(fd_, p + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        done += std::size_t(n);
        written_ += std::size_t(n);
    }
    if (done == size)
        return true;
    if (error)
        *error = {WriteError::Stage::Write, std::strerror(errno)};
    abandon();
    return false;
}

bool AtomicWriter::commit(WriteError* error) {
    if (fd_ < 0) {
        if (error)
            *error = {WriteError::Stage::Write, "not open"};
        return false;
    }
    int fd = fd_;
    fd_ = -1;
    bool synced = ::fsync(fd) == 0;
    int savedErrno = errno;
    bool closed = ::close(fd) == 0;
    if (!synced || !closed) {
        if (synced)
            savedErrno = errno;
        ::unlink(temp_.c_str());
        if (error)
            *error = {WriteError::Stage::Write, std::strerror(savedErrno)};
        return false;
    }
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
        savedErrno = errno;
        ::unlink(temp_.c_str());
        if (error)
            *error = {WriteError::Stage::Replace, std::strerror(savedErrno)};
        return false;
    }
    return true;
}

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size,
                         WriteError* error) {
    AtomicWriter writer;
    return writer.open(path, error) && writer.write(data, size, error) && writer.commit(error);
}

namespace testing {
void failWritesAfter(std::optional<std::size_t> bytes) {
    g_failAfter = bytes;
}
}  // namespace testing

}  // namespace platform
