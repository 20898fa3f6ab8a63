#pragma once
// Whole-file reading and atomic whole-file writing.
//
// Writing goes to a temporary file in the target folder, checks every write, syncs and
// closes it, then renames it over the target: a failure leaves the earlier file intact.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

using Bytes = std::vector<std::uint8_t>;

bool fileExists(const std::string& path);

// The file's bytes, or nothing (with the reason in *error) when it cannot be read.
std::optional<Bytes> readWholeFile(const std::string& path, std::string* error = nullptr);

// Why an atomic write failed: the temporary file could not be created (the file
// "cannot be opened"), a write, sync or close failed, or the rename failed.
struct WriteError {
    enum class Stage { Create, Write, Replace };
    Stage stage = Stage::Create;
    std::string reason;  // the system's explanation (strerror)
};

// A file mapped read-only into memory, for readers that decode large files in place.
class MappedFile {
  public:
    // The mapping, or nothing (with the reason in *error) when the file cannot be read.
    static std::optional<MappedFile> open(const std::string& path, std::string* error = nullptr);
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

// Streams one output file into a temporary file beside the target; commit() syncs it and
// renames it over the target. Destroyed without a successful commit, it removes the
// temporary file and the target stays as it was.
class AtomicWriter {
  public:
    AtomicWriter() = default;
    AtomicWriter(const AtomicWriter&) = delete;
    AtomicWriter& operator=(const AtomicWriter&) = delete;
    ~AtomicWriter();
    bool open(const std::string& path, WriteError* error = nullptr);
    bool write(const void* data, std::size_t size, WriteError* error = nullptr);
    bool commit(WriteError* error = nullptr);

  private:
    void abandon();
    std::string path_;
    std::string temp_;
    int fd_ = -1;
    std::size_t written_ = 0;
};

// Collects the bytes of one output file and puts them in place in one step.
class AtomicFile {
  public:
    explicit AtomicFile(std::string path) : path_(std::move(path)) {}
    void write(const void* data, std::size_t size);
    void write(const Bytes& bytes) { write(bytes.data(), bytes.size()); }
    void write(const std::string& s) { write(s.data(), s.size()); }
    Bytes& buffer() { return buffer_; }
    // Writes the file. On failure returns false and describes why in *error;
    // the file that was there before is unchanged.
    bool commit(WriteError* error = nullptr);

  private:
    std::string path_;
    Bytes buffer_;
};

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
// Makes the next atomic writes fail once this many bytes have been written
// (nothing = no failure). For tests of what a failed write leaves behind.
void failWritesAfter(std::optional<std::size_t> bytes);
}  // namespace testing

}  // namespace platform
