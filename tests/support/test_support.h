#pragma once
// Helpers shared by the tests: scratch folders, file bytes, and the independent
// Palm database reader (Palm::PDB through tests/tools/palm_check.pl).
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

Bytes readBytes(const std::string& path);
void writeBytes(const std::string& path, const Bytes& bytes);
std::string readText(const std::string& path);
bool exists(const std::string& path);

// What Palm::PDB made of a database file.
struct PalmView {
    bool loaded = false;
    std::string error;  // the reader's complaint when it could not load the file
    std::string name;
    std::string type;
    std::string creator;
    int version = -1;
    std::vector<std::size_t> recordLengths;
};
PalmView palmRead(const std::string& path);

// Folder of the test data committed with the tests (tests/data).
std::string testDataDir();
// Folder of the shared real-data excerpts (../shared/realdata beside the checkout, or
// $KWIB_REALDATA), or "" when it is not there.
std::string realDataDir();

// Big-endian readers for assertions on file bytes.
std::uint32_t be32(const Bytes& b, std::size_t at);
std::uint16_t be16(const Bytes& b, std::size_t at);

}  // namespace testsupport
