#pragma once
// Whole-file reading, and writing output files whole: every output goes to a temporary
// file beside its target and is renamed over it only once complete, so a failure leaves
// the earlier file intact. The outputs of one run are put in place as a set (OutputSet).
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace platform {

using Bytes = std::vector<std::uint8_t>;

bool fileExists(const std::string& path);

// The system's explanation of an error number (as strerror gives it), safe on any thread:
// conversions run side by side in a batch.
std::string systemReason(int errorNumber);

// The part of a path after its last "/" (all of it when there is none).
std::string_view fileNameOf(std::string_view path);

// A file's bytes: all of them, or the first limit bytes, and the size of the whole file.
struct FileContents {
    std::string bytes;
    std::uint64_t size = 0;
    std::span<const std::uint8_t> asBytes() const {
        return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
    }
};
// Reads a file. Fails with the system's reason, or saying that the file is larger than
// the machine's memory (it is then refused before any of it is read).
Result<FileContents> readFile(const std::string& path, std::size_t limit = SIZE_MAX);

// Why a write failed, and of which file: its temporary file could not be created (the file
// "cannot be opened"), a write, sync or close failed, or it could not be put in place.
struct WriteError {
    enum class Stage { Create, Write, Replace };
    Stage stage = Stage::Create;
    std::string path;    // the file as the caller named it
    std::string reason;  // the system's explanation (strerror)
};

// A file mapped read-only into memory, for readers that decode large files in place.
class MappedFile {
  public:
    // The mapping; fails with the system's reason when the file cannot be read.
    static Result<MappedFile> open(const std::string& path);
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    MappedFile(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

// The output files of one run, put in place together or not at all.
//
// Each file is written to a temporary file ".NAME.kwib-tmp-PID-XXXXXX" beside its target
// (beside the file a symbolic link names, so the link stays a link). commit() syncs and
// closes every temporary file and only when all of them are complete renames them over
// their targets, then syncs their folders. Any failure, or a set destroyed without a
// commit, removes every temporary file and leaves every target as it was; a failed rename
// puts back the files already renamed (through a second name of each earlier file, where
// the file system allows hard links). A replaced file keeps its permission bits (and its
// owner where the system allows); a new file gets the permissions a new file gets here
// (0666 less the umask). Opening a target removes the temporary files of that target left
// by processes that no longer run.
class OutputSet {
  public:
    OutputSet();
    OutputSet(const OutputSet&) = delete;
    OutputSet& operator=(const OutputSet&) = delete;
    ~OutputSet();

    // Starts the next file of the set; write() then appends to it.
    bool open(const std::string& path, WriteError* error = nullptr);
    bool write(const void* data, std::size_t size, WriteError* error = nullptr);
    // open() and write() of a whole file.
    bool add(const std::string& path, const void* data, std::size_t size,
             WriteError* error = nullptr);
    bool add(const std::string& path, const Bytes& bytes, WriteError* error = nullptr) {
        return add(path, bytes.data(), bytes.size(), error);
    }
    bool add(const std::string& path, const std::string& text, WriteError* error = nullptr) {
        return add(path, text.data(), text.size(), error);
    }
    // Puts every file in place. False (with the file that failed and why in *error) when
    // any open, write, sync or rename of the set failed; no target is then changed.
    bool commit(WriteError* error = nullptr);

  private:
    struct Entry {
        std::string path;    // as named by the caller
        std::string target;  // the file replaced: path with symbolic links followed
        std::string temp;
        int fd = -1;
        std::string bytes;  // the file's bytes when the set is kept in memory
    };
    bool fail(WriteError::Stage stage, const std::string& path, int errorNumber, WriteError* error);
    void discard();
    std::vector<Entry> entries_;
    std::optional<WriteError> failure_;
    std::size_t written_ = 0;
    std::optional<std::size_t> failAfter_;        // set by testing::WriteFaults
    std::map<std::string, std::string>* memory_;  // set by testing::MemoryOutputs
};

// One file written as a set of its own.
bool writeFileAtomically(const std::string& path, const void* data, std::size_t size,
                         WriteError* error = nullptr);
inline bool writeFileAtomically(const std::string& path, const Bytes& bytes,
                                WriteError* error = nullptr) {
    return writeFileAtomically(path, bytes.data(), bytes.size(), error);
}
inline bool writeFileAtomically(const std::string& path, const std::string& text,
                                WriteError* error = nullptr) {
    return writeFileAtomically(path, text.data(), text.size(), error);
}

namespace testing {
// While it lives (or until end()), the output sets made on this thread fail their writes
// once this many bytes of one set have been written (nothing: no failure). For tests of what
// a failed write leaves behind; sets made on other threads are not affected.
class WriteFaults {
  public:
    explicit WriteFaults(std::optional<std::size_t> failAfter);
    WriteFaults(const WriteFaults&) = delete;
    WriteFaults& operator=(const WriteFaults&) = delete;
    ~WriteFaults() { end(); }
    // Puts back what the thread had before.
    void end();

  private:
    std::optional<std::size_t> previous_;
    bool active_ = true;
};

// While it lives, the output sets made on this thread touch no file: a commit puts each
// file's bytes into files() under the path it was given. For fuzzing the conversions
// without the cost of real files.
class MemoryOutputs {
  public:
    MemoryOutputs();
    MemoryOutputs(const MemoryOutputs&) = delete;
    MemoryOutputs& operator=(const MemoryOutputs&) = delete;
    ~MemoryOutputs();
    std::map<std::string, std::string>& files() { return files_; }

  private:
    std::map<std::string, std::string> files_;
    std::map<std::string, std::string>* previous_;
};
}  // namespace testing

}  // namespace platform
