#include "support/test_support.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kwib-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

PalmView palmRead(const std::string& path) {
    PalmView view;
    std::string cmd = "perl '" KWIB_TESTS_DIR "/tools/palm_check.pl' '" + path + "' 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) {
        view.error = "cannot run perl";
        return view;
    }
    std::string out;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int status = pclose(p);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        view.error = out;
        return view;
    }
    std::istringstream lines(out);
    std::string key;
    while (lines >> key) {
        std::string rest;
        std::getline(lines, rest);
        if (!rest.empty() && rest[0] == ' ')
            rest.erase(0, 1);
        if (key == "name")
            view.name = rest;
        else if (key == "type")
            view.type = rest;
        else if (key == "creator")
            view.creator = rest;
        else if (key == "version")
            view.version = std::stoi(rest);
        else if (key == "length")
            view.recordLengths.push_back(std::stoul(rest));
    }
    view.loaded = true;
    return view;
}

std::string testDataDir() {
    return KWIB_TESTS_DIR "/data";
}

std::string realDataDir() {
    // KWIB_REALDATA points elsewhere, for checkouts that have no shared/ beside them.
    const char* given = std::getenv("KWIB_REALDATA");
    std::string dir = given ? given : KWIB_SOURCE_DIR "/../shared/realdata";
    return std::filesystem::is_directory(dir) ? dir : std::string();
}

std::uint32_t be32(const Bytes& b, std::size_t at) {
    return (std::uint32_t{b.at(at)} << 24) | (std::uint32_t{b.at(at + 1)} << 16) |
           (std::uint32_t{b.at(at + 2)} << 8) | std::uint32_t{b.at(at + 3)};
}

std::uint16_t be16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>((b.at(at) << 8) | b.at(at + 1));
}

}  // namespace testsupport
