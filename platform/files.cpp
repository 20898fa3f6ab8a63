#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

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

// Writes all of data, retrying short writes; honours the test fault.
bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        std::size_t chunk = size - done;
        if (g_failAfter) {
            if (done >= *g_failAfter) {
                errno = EIO;
                return false;
            }
            chunk = std::min(chunk, *g_failAfter - done);
        }
        ssize_t n = ::write(fd, data + done, chunk);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<Bytes> readWholeFile(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = std::strerror(errno);
        return std::nullopt;
    }
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        if (error)
            *error = "read error";
        return std::nullopt;
    }
    return bytes;
}

void AtomicFile::write(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    buffer_.insert(buffer_.end(), p, p + size);
}

bool AtomicFile::commit(WriteError* error) {
    return writeFileAtomically(path_, buffer_.data(), buffer_.size(), error);
}

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size,
                         WriteError* error) {
    auto fail = [&](WriteError::Stage stage) {
        if (error)
            *error = {stage, std::strerror(errno)};
        return false;
    };
    std::string tmpl = folderOf(path) + "/.kwib-XXXXXX";
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        return fail(WriteError::Stage::Create);
    // mkstemp creates 0600; give the file the usual permissions.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    bool ok = writeAll(fd, static_cast<const std::uint8_t*>(data), size);
    int savedErrno = errno;
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        ::unlink(tmpl.c_str());
        errno = savedErrno;
        return fail(WriteError::Stage::Write);
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        savedErrno = errno;
        ::unlink(tmpl.c_str());
        errno = savedErrno;
        return fail(WriteError::Stage::Replace);
    }
    return true;
}

namespace testing {
void failWritesAfter(std::optional<std::size_t> bytes) {
    g_failAfter = bytes;
}
}  // namespace testing

}  // namespace platform
