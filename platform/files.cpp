#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <string_view>

namespace platform {
namespace {

// The write faults tests set for the output sets made on this thread.
thread_local std::optional<std::size_t> t_failAfter;
// Where the output sets made on this thread keep their files instead of writing them.
thread_local std::map<std::string, std::string>* t_memory = nullptr;

std::string folderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// The file a path names once symbolic links are followed (a link to a file that does not
// exist yet names that file). 0, or the errno of the failure.
int followLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return 0;
        std::string link(PATH_MAX, '\0');
        ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0)
            return errno;
        link.resize(std::size_t(n));
        target = link.empty() || link[0] == '/' ? link : folderOf(target) + "/" + link;
    }
    return ELOOP;
}

// ".NAME.kwib-tmp-": the start of the temporary files' names of a target (a very long
// name is shortened so that the whole name stays within the system's limit).
std::string temporaryPrefix(const std::string& target) {
    std::string prefix = ".";
    prefix += fileNameOf(target).substr(0, 200);
    prefix += ".kwib-tmp-";
    return prefix;
}

// A name for a new temporary file of the target: prefix, process ID, six random characters.
std::string temporaryName(const std::string& target) {
    static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // Names only need to differ from one another; O_EXCL settles any collision.
    thread_local std::mt19937 random(
        unsigned(::getpid()) ^
        unsigned(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    std::string suffix(6, ' ');
    for (char& c : suffix) c = kChars[pick(random)];
    return folderOf(target) + "/" + temporaryPrefix(target) + std::to_string(::getpid()) + "-" +
           suffix;
}

// Creates a new temporary file for the target with the given permissions (less the umask,
// which the system applies). The descriptor, or -1 with errno set.
int createTemporary(const std::string& target, mode_t mode, std::string& temp) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = temporaryName(target);
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// A second name for the target's file, so that it can be put back after it was replaced.
// "" when the folder does not allow it.
std::string linkUnder(const std::string& target) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = temporaryName(target);
        if (::link(target.c_str(), name.c_str()) == 0)
            return name;
        if (errno != EEXIST)
            break;
    }
    return {};
}

// Removes the target's temporary files whose process no longer runs. A process ID that runs
// (even one reused by another program) keeps its file: a live run is never disturbed.
void removeStaleTemporaries(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string prefix = temporaryPrefix(target);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name.substr(0, prefix.size()) != prefix)
            continue;
        std::string_view rest = name.substr(prefix.size());  // PID-XXXXXX
        std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string_view::npos || rest.size() != dash + 7 ||
            !std::all_of(rest.begin(), rest.begin() + long(dash),
                         [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        long pid = std::strtol(std::string(rest.substr(0, dash)).c_str(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid() || pid > INT_MAX)
            continue;
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// Makes a rename in the folder durable. The files are in place whatever this returns.
void syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string systemReason(int errorNumber) {
    char buffer[256];
    return ::strerror_r(errorNumber, buffer, sizeof buffer);
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string_view fileNameOf(std::string_view path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

Result<FileContents> readFile(const std::string& path, std::size_t limit) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Result<FileContents>::failure(systemReason(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int e = errno;
        ::close(fd);
        return Result<FileContents>::failure(systemReason(e));
    }
    FileContents file;
    file.size = static_cast<std::uint64_t>(st.st_size);
    const std::uint64_t wanted = std::min<std::uint64_t>(file.size, limit);
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    bool fits =
        !(pages > 0 && pageSize > 0 &&
          wanted > static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize));
    if (fits) {
        try {
            file.bytes.resize(static_cast<std::size_t>(wanted));
        } catch (const std::bad_alloc&) {
            fits = false;
        }
    }
    if (!fits) {
        ::close(fd);
        return Result<FileContents>::failure(std::to_string(file.size) +
                                             " バイトあり、メモリに入りきりません");
    }
    // The size from fstat is only what the file held when asked: read to the end (or the
    // limit) whatever it holds now.
    std::size_t done = 0;
    char block[1 << 16];
    for (;;) {
        const bool intoBytes = done < file.bytes.size();
        const std::size_t room =
            intoBytes ? file.bytes.size() - done : std::min(sizeof block, limit - done);
        if (room == 0)
            break;
        ssize_t n = ::read(fd, intoBytes ? file.bytes.data() + done : block, room);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            int e = errno;
            ::close(fd);
            return Result<FileContents>::failure(systemReason(e));
        }
        if (n == 0)
            break;
        if (!intoBytes)
            file.bytes.append(block, static_cast<std::size_t>(n));
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    file.bytes.resize(done);
    return file;
}

Result<MappedFile> MappedFile::open(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Result<MappedFile>::failure(systemReason(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int e = errno;
        ::close(fd);
        return Result<MappedFile>::failure(systemReason(e));
    }
    if (st.st_size == 0) {
        ::close(fd);
        return MappedFile(nullptr, 0);
    }
    void* p =
        ::mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    int savedErrno = errno;
    ::close(fd);
    if (p == MAP_FAILED)
        return Result<MappedFile>::failure(systemReason(savedErrno));
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

OutputSet::OutputSet() : failAfter_(t_failAfter), memory_(t_memory) {}

OutputSet::~OutputSet() {
    discard();
}

void OutputSet::discard() {
    for (Entry& e : entries_) {
        if (e.fd >= 0)
            ::close(e.fd);
        if (!e.temp.empty())
            ::unlink(e.temp.c_str());
    }
    entries_.clear();
}

bool OutputSet::fail(WriteError::Stage stage, const std::string& path, int errorNumber,
                     WriteError* error) {
    if (!failure_)
        failure_ = WriteError{stage, path, systemReason(errorNumber)};
    discard();
    if (error)
        *error = *failure_;
    return false;
}

bool OutputSet::open(const std::string& path, WriteError* error) {
    if (failure_)
        return fail(failure_->stage, failure_->path, 0, error);
    if (memory_) {
        entries_.push_back(Entry{path, path, {}, -1, {}});
        return true;
    }
    std::string target;
    if (int e = followLinks(path, target))
        return fail(WriteError::Stage::Create, path, e, error);
    removeStaleTemporaries(target);
    struct stat existing {};
    bool replacing = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    // A file that replaces another stays private until it has that file's owner and mode;
    // a new one gets what the system gives any new file.
    Entry entry{path, target, {}, -1, {}};
    entry.fd = createTemporary(target, replacing ? 0600 : 0666, entry.temp);
    if (entry.fd < 0)
        return fail(WriteError::Stage::Create, path, errno, error);
    entries_.push_back(std::move(entry));
    if (replacing) {
        if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
            // Only allowed where the system lets us give the file away; else it stays ours.
            [[maybe_unused]] int ignored =
                ::fchown(entries_.back().fd, existing.st_uid, existing.st_gid);
        }
        if (::fchmod(entries_.back().fd, existing.st_mode & 07777) != 0)
            return fail(WriteError::Stage::Create, path, errno, error);
    }
    return true;
}

bool OutputSet::write(const void* data, std::size_t size, WriteError* error) {
    if (failure_ || entries_.empty())
        return fail(WriteError::Stage::Write, failure_ ? failure_->path : "", EBADF, error);
    Entry& e = entries_.back();
    if (memory_) {
        e.bytes.append(static_cast<const char*>(data), size);
        return true;
    }
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < size) {
        std::size_t chunk = size - done;
        if (failAfter_) {
            if (written_ >= *failAfter_) {
                errno = EIO;
                break;
            }
            chunk = std::min(chunk, *failAfter_ - written_);
        }
        ssize_t n = ::write(e.fd, p + done, chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        done += std::size_t(n);
        written_ += std::size_t(n);
    }
    if (done == size)
        return true;
    return fail(WriteError::Stage::Write, e.path, errno, error);
}

bool OutputSet::add(const std::string& path, const void* data, std::size_t size,
                    WriteError* error) {
    return open(path, error) && write(data, size, error);
}

bool OutputSet::commit(WriteError* error) {
    if (failure_)
        return fail(failure_->stage, failure_->path, 0, error);
    if (memory_) {
        for (Entry& e : entries_) (*memory_)[e.path] = std::move(e.bytes);
        entries_.clear();
        return true;
    }
    for (Entry& e : entries_) {
        int fd = e.fd;
        e.fd = -1;
        bool synced = ::fsync(fd) == 0;
        int savedErrno = errno;
        if (::close(fd) != 0 && synced) {
            synced = false;
            savedErrno = errno;
        }
        if (!synced)
            return fail(WriteError::Stage::Write, e.path, savedErrno, error);
    }
    // Every file is complete. Each target but the last keeps a second name until all are
    // renamed, so that a rename failing part way can put back the ones renamed before it.
    const std::size_t n = entries_.size();
    std::vector<std::string> kept(n);
    std::vector<bool> existed(n);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        existed[i] = ::access(entries_[i].target.c_str(), F_OK) == 0;
        if (existed[i])
            kept[i] = linkUnder(entries_[i].target);
    }
    std::size_t renamed = 0;
    int savedErrno = 0;
    for (; renamed < n; ++renamed) {
        Entry& e = entries_[renamed];
        if (::rename(e.temp.c_str(), e.target.c_str()) != 0) {
            savedErrno = errno;
            break;
        }
        e.temp.clear();
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (renamed < n && i < renamed) {
            if (!kept[i].empty())
                ::rename(kept[i].c_str(), entries_[i].target.c_str());
            else if (!existed[i])
                ::unlink(entries_[i].target.c_str());
        } else if (!kept[i].empty()) {
            ::unlink(kept[i].c_str());
        }
    }
    if (renamed < n)
        return fail(WriteError::Stage::Replace, entries_[renamed].path, savedErrno, error);
    std::vector<std::string> folders;
    for (const Entry& e : entries_) {
        std::string folder = folderOf(e.target);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            syncFolder(folder);
            folders.push_back(folder);
        }
    }
    entries_.clear();
    return true;
}

bool writeFileAtomically(const std::string& path, const void* data, std::size_t size,
                         WriteError* error) {
    OutputSet set;
    return set.add(path, data, size, error) && set.commit(error);
}

namespace testing {

WriteFaults::WriteFaults(std::optional<std::size_t> failAfter) : previous_(t_failAfter) {
    t_failAfter = failAfter;
}

void WriteFaults::end() {
    if (active_)
        t_failAfter = previous_;
    active_ = false;
}

MemoryOutputs::MemoryOutputs() : previous_(t_memory) {
    t_memory = &files_;
}

MemoryOutputs::~MemoryOutputs() {
    t_memory = previous_;
}

}  // namespace testing

}  // namespace platform
