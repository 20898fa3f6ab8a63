// Builds a whole sheet folder from the input (the eight files of a sheet, separated by NUL
// bytes, in the order tatemono.arc, tatemono.pgn, tatemono.atr, tyome.pgn, tyome.atr,
// gaiku.arc, kasen.arc, others.arc) and converts it, its outputs kept in memory. The conversion
// must finish or refuse with a message, never crash; a graphic database it writes must walk, and an
// attribute database must hold one 128-byte record per line of the CSV written beside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "converter/digitalmap/digital_map.h"
#include "pdbformat/graphic_stream.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

class SilentPrompter : public platform::Prompter {
  public:
    platform::Answer show(std::string_view, std::string_view, platform::Icon,
                          platform::Buttons) override {
        return platform::Answer::Ok;
    }
};

// A scratch folder for the sheet's files, removed when the process ends. It is made in
// memory (/dev/shm) where there is such a folder: rewriting files on a disk file system
// starts write-back on every run.
struct WorkDir {
    fs::path path;
    WorkDir() {
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string tmpl = (base / "nsdi-fuzz-XXXXXX").string();
        if (!mkdtemp(tmpl.data()))
            std::abort();
        path = tmpl;
    }
    ~WorkDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

const fs::path& workDir() {
    static const WorkDir dir;
    return dir.path;
}

const char* const kFiles[8] = {
    "TATEMONO/tatemono.arc", "TATEMONO/tatemono.pgn", "TATEMONO/tatemono.atr", "GYOUSEI/tyome.pgn",
    "GYOUSEI/tyome.atr",     "GAIKU/gaiku.arc",       "KASEN/kasen.arc",       "OTHERS/others.arc"};

// The output of the run, found by the end of its path.
const std::string* output(platform::testing::MemoryOutputs& memory, std::string_view suffix) {
    for (auto& [path, bytes] : memory.files())
        if (path.ends_with(suffix))
            return &bytes;
    return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path sheet = workDir() / "53394525";
    const fs::path out = workDir() / "out";
    static const bool made = [&] {
        fs::create_directories(out);
        for (const char* sub : {"TATEMONO", "GYOUSEI", "GAIKU", "KASEN", "OTHERS"})
            fs::create_directories(sheet / sub);
        return true;
    }();
    (void)made;

    std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const char* file : kFiles) {
        std::size_t end = input.find('\0');
        std::string_view part = input.substr(0, end);
        std::ofstream(sheet / file, std::ios::binary | std::ios::trunc)
            .write(part.data(), std::streamsize(part.size()));
        input = end == std::string_view::npos ? std::string_view{} : input.substr(end + 1);
    }

    // The run's outputs stay in memory: no file is written or synced.
    platform::testing::MemoryOutputs memory;
    SilentPrompter prompter;
    digitalmap::CreateFromDigitalMap(sheet.string(), out.string(), {}, {2001, 12, 5}, prompter);

    if (const std::string* g = output(memory, "_G.pdb")) {
        if (!pdb::ReadGraphicDatabase(
                 std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(g->data()),
                                               g->size()))
                 .ok)
            std::abort();
    }
    const std::string* csv = output(memory, ".csv");
    if (const std::string* attrs = output(memory, "_A.pdb")) {
        if (!csv || attrs->size() < 80)
            std::abort();
        std::size_t lines = 0;
        for (char b : *csv) lines += b == '\n';
        std::size_t n = (std::size_t(std::uint8_t((*attrs)[76])) << 8) | std::uint8_t((*attrs)[77]);
        if (n != lines || attrs->size() != 80 + 8 * n + 128 * n)
            std::abort();
    }
    return 0;
}
