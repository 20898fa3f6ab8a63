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
