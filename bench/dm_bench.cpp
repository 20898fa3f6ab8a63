// dm2pdb of a generated 50 MB DM file: both databases, through the files as the command
// runs them (reading, atomic synced writes included), in MB/s of DM text, without and with
// annotations, circles and arcs drawn. For scale, the same file is counted by `wc -l` in
// the same run.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/dm_generator.h"
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

// A sheet of 2 km × 1.5 km in millimetres: 30000 closed buildings, then roads of 60
// points, each thousand with 200 annotations and 100 circles and arcs, until the file
// reaches the wanted size; every point lies inside the sheet.
std::string makeDm(std::size_t bytes) {
    benchdm::DmWriter w;
    benchdm::Random r;
    benchdm::sheet(w);
    benchdm::buildings(w, r, 30000);
    while (w.written() < bytes) {
        benchdm::roads(w, r);
        benchdm::notesAndCurves(w, r);
    }
    return w.text();
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
    // CPU time beside wall time: on a shared machine only the former compares two runs.
    double cpu = 1e9, cpuAll = 1e9;
    auto cpuOf = [](double& best, std::clock_t start) {
        best = std::min(best, double(std::clock() - start) / CLOCKS_PER_SEC);
    };
    double convert = bench::bestOf(5, [&] {
        const std::clock_t start = std::clock();
        result = dm::dm2pdb(dmPath, dir.string(), {}, {2001, 12, 5}, prompter);
        cpuOf(cpu, start);
    });
    if (result.outcome != converter::Outcome::Done || prompter.problems != 0) {
        std::fprintf(stderr, "dm2pdb failed\n");
        return 1;
    }
    dm::Dm2PdbResult all;
    dm::GraphicOptions options;
    options.allElements = true;
    double convertAll = bench::bestOf(5, [&] {
        const std::clock_t start = std::clock();
        all = dm::dm2pdb(dmPath, dir.string(), {}, {2001, 12, 5}, prompter, options);
        cpuOf(cpuAll, start);
    });
    if (all.outcome != converter::Outcome::Done || prompter.problems != 0) {
        std::fprintf(stderr, "dm2pdb --all-elements failed\n");
        return 1;
    }
    std::string wc = "wc -l '" + dmPath + "' > /dev/null";
    double count = bench::bestOf(3, [&] {
        if (std::system(wc.c_str()) != 0)
            std::fprintf(stderr, "wc failed\n");
    });
    std::printf("DM file %.1f MB: %d areas, graphic database of %zu records\n", megabytes,
                result.areaCount, result.graphicRecords);
    std::printf("dm2pdb (both databases)  %8.3f s  %8.1f MB/s  CPU %.3f s\n", convert,
                megabytes / convert, cpu);
    std::printf(
        "  with --all-elements    %8.3f s  %8.1f MB/s  CPU %.3f s (%+.1f %%; %ld labels, "
        "%ld circles, %ld arcs; %zu records)\n",
        convertAll, megabytes / convertAll, cpuAll, (cpuAll / cpu - 1) * 100, all.account.labels,
        all.account.circles, all.account.arcs, all.graphicRecords);
    std::printf("wc -l (same file)        %8.3f s  %8.1f MB/s\n", count, megabytes / count);
    fs::remove_all(dir);
    return 0;
}
