// dm2pdb of a generated 50 MB DM file: both databases, through the files as the command
// runs them (reading, atomic synced writes included), in MB/s of DM text. For scale, the
// same file is counted by `wc -l` in the same run.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_timing.h"
#include "converter/dm/dm2pdb.h"
#include "platform/files.h"
#include "platform/prompter.h"

namespace {

class SilentPrompter : public platform::Prompter {
  public:
    platform::Answer show(std::string_view text, std::string_view, platform::Icon icon,
                          platform::Buttons) override {
        if (icon != platform::Icon::Information) {
            ++problems;
            if (problems == 1)
                std::fprintf(stderr, "unexpected message: %.*s\n", static_cast<int>(text.size()),
                             text.data());
        }
        return platform::Answer::Ok;
    }
    int problems = 0;
};

// 84-byte record with the texts at their columns, then CR LF.
class DmWriter {
  public:
    void field(int col, std::string_view text) {
        std::size_t at = static_cast<std::size_t>(col - 1);
        std::memcpy(line_.data() + at, text.data(), std::min(text.size(), line_.size() - at));
    }
    void number(int col, long v, int width) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%*ld", width, v);
        field(col, buf);
    }
    void endLine() {
        out.append(line_.data(), line_.size());
        out += "\r\n";
        line_.fill(' ');
    }
    std::string out;

  private:
    std::array<char, 84> line_ = blankLine();
    static std::array<char, 84> blankLine() {
        std::array<char, 84> a;
        a.fill(' ');
        return a;
    }
};

std::uint32_t g_seed = 12345;
long rnd(long n) {
    g_seed = g_seed * 1664525u + 1013904223u;
    return static_cast<long>((g_seed >> 8) % static_cast<std::uint32_t>(n));
}

// One "E1"/"E2" element with its two-dimensional coordinate lines (6 points a line).
void element(DmWriter& w, const char* code, int classCode, const std::vector<long>& pts) {
    int n = static_cast<int>(pts.size() / 2);
    int lines = (n + 5) / 6;
    w.field(1, code);
    w.number(3, classCode, 4);
    w.field(21, "2");
    w.number(28, n, 4);
    w.number(32, lines, 4);
    w.endLine();
    for (int k = 0; k < lines * 6; ++k) {
        bool used = k < n;
        w.number(1 + (k % 6) * 14, used ? pts[2 * k] : 0, 7);
        w.number(8 + (k % 6) * 14, used ? pts[2 * k + 1] : 0, 7);
        if (k % 6 == 5)
            w.endLine();
    }
}

// A sheet of 2 km × 1.5 km in millimetres: 30000 closed buildings, then roads of 60
// points until the file reaches the wanted size; every point lies inside the sheet.
std::string makeDm(std::size_t bytes) {
    DmWriter w;
    w.field(1, "M 99ZZ001 BENCH");
    w.field(66, " 1");
    w.endLine();
    w.field(1, "   7500  44000   9000  46000");
    w.field(45, "  1");
    w.endLine();
    const int buildings = 30000;
    w.field(1, "H 3000");
    w.number(19, buildings, 5);
    w.endLine();
    for (int b = 0; b < buildings; ++b) {
        long n0 = 1000 + rnd(1480000), e0 = 1000 + rnd(1980000);
        long dn = 5000 + rnd(10000), de = 5000 + rnd(10000);
        element(w, "E1", 3001,
                {n0, e0, n0, e0 + de, n0 + dn / 2, e0 + de, n0 + dn / 2, e0 + de / 2, n0 + dn,
                 e0 + de / 2, n0 + dn, e0, n0, e0});
    }
    while (w.out.size() < bytes) {
        const int roads = 1000;
        w.field(1, "H 2100");
        w.number(19, roads, 5);
        w.endLine();
        for (int r = 0; r < roads; ++r) {
            std::vector<long> pts;
            long n = rnd(1500000), e = rnd(2000000);
            for (int k = 0; k < 60; ++k) {
                n = std::clamp(n + rnd(4001) - 2000, 0L, 1500000L);
                e = std::clamp(e + rnd(4001) - 2000, 0L, 2000000L);
                pts.push_back(n);
                pts.push_back(e);
            }
            element(w, "E2", 2101, pts);
        }
    }
    return w.out;
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "kwib-dm-bench";
    fs::create_directories(dir);
    const std::string dmPath = (dir / "bench.dm").string();
    std::string dm = makeDm(50u * 1000 * 1000);
    if (!platform::writeFileAtomically(dmPath, dm))
        return 1;
    const double megabytes = double(dm.size()) / 1e6;

    SilentPrompter prompter;
    dm::Dm2PdbResult result;
    double convert = bench::bestOf(3, [&] {
        result = dm::dm2pdb(dmPath, dir.string(), {}, {2001, 12, 5}, prompter);
    });
    if (result.outcome != converter::Outcome::Done || prompter.problems != 0) {
        std::fprintf(stderr, "dm2pdb failed\n");
        return 1;
    }
    std::string wc = "wc -l '" + dmPath + "' > /dev/null";
    double count = bench::bestOf(3, [&] {
        if (std::system(wc.c_str()) != 0)
            std::fprintf(stderr, "wc failed\n");
    });
    std::printf("DM file %.1f MB: %d areas, graphic database of %zu records\n", megabytes,
                result.areaCount, result.graphicRecords);
    std::printf("dm2pdb (both databases)  %8.3f s  %8.1f MB/s\n", convert, megabytes / convert);
    std::printf("wc -l (same file)        %8.3f s  %8.1f MB/s\n", count, megabytes / count);
    fs::remove_all(dir);
    return 0;
}
