// Batch conversion of 200 generated DM files (about 500 KB each, a few thousand buildings
// and roads): the conversions one after another without the batch machinery, then the
// batch with one thread and with two. Prints the per-file overhead of the batch against
// the plain loop, and the speed-up of two threads over one.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_timing.h"
#include "bench/dm_generator.h"
#include "converter/batch/batch.h"
#include "converter/dm/dm2pdb.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 200;
const platform::LocalDate kToday{2001, 12, 5};

class QuietPrompter : public platform::Prompter {
  public:
    platform::Answer show(std::string_view, std::string_view, platform::Icon,
                          platform::Buttons) override {
        return platform::Answer::Ok;
    }
};

std::string makeDm(unsigned seed) {
    benchdm::DmWriter w;
    benchdm::Random r;
    for (unsigned i = 0; i < seed % 7; ++i) r.below(1000);  // files differ a little
    benchdm::sheet(w);
    benchdm::buildings(w, r, 2500);
    while (w.written() < 500u * 1000) benchdm::roads(w, r);
    return w.text();
}

void freshFolder(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
}

}  // namespace

int main() {
    const fs::path root = fs::temp_directory_path() / "kwib-batch-bench";
    freshFolder(root / "in");
    std::vector<std::string> inputs;
    std::size_t bytes = 0;
    for (int i = 0; i < kFiles; ++i) {
        const std::string path = (root / "in" / ("sheet" + std::to_string(i) + ".dm")).string();
        const std::string dm = makeDm(unsigned(i));
        bytes += dm.size();
        if (!platform::writeFileAtomically(path, dm))
            return 1;
        inputs.push_back(path);
    }
    const fs::path out = root / "out";
    const std::string outDir = out.string();
    auto convert = [&](const std::string& input, platform::Prompter& prompter) {
        return dm::dm2pdb(input, outDir, {}, kToday, prompter).outcome == converter::Outcome::Done;
    };

    // Each run starts from an empty output folder, emptied outside the timing; the three
    // kinds of run take turns, so that the load of the machine weighs on each alike.
    auto timed = [&](auto run) {
        freshFolder(out);
        const auto t0 = std::chrono::steady_clock::now();
        run();
        return bench::seconds(std::chrono::steady_clock::now() - t0);
    };
    auto loop = [&] {
        QuietPrompter prompter;
        for (const std::string& in : inputs)
            if (!convert(in, prompter))
                std::fprintf(stderr, "conversion failed: %s\n", in.c_str());
    };
    auto batchRun = [&](unsigned jobs) {
        batch::Batch b(batch::Kind::DmFile, inputs, outDir, convert);
        b.run(jobs);
        if (batch::exitStatus(b) != 0)
            std::fprintf(stderr, "batch ended with status %d\n", batch::exitStatus(b));
        if (!batch::writeLog(b, 0))
            std::fprintf(stderr, "log not written\n");
    };
    double plain = 1e9, one = 1e9, two = 1e9;
    for (int round = 0; round < 5; ++round) {
        plain = std::min(plain, timed(loop));
        one = std::min(one, timed([&] { batchRun(1); }));
        two = std::min(two, timed([&] { batchRun(2); }));
    }
    // The summary's figures are read back from each input's databases: their share.
    const double figures = bench::bestOf(2, [&] {
        for (const std::string& in : inputs) {
            batch::InputResult r;
            r.outputs = batch::outputsOf(batch::Kind::DmFile, in, outDir);
            batch::readFigures(r);
        }
    });
    std::printf("%d DM files, %.1f MB, %u cores\n", kFiles, double(bytes) / 1e6,
                std::thread::hardware_concurrency());
    std::printf("plain loop            %8.3f s  %6.2f ms/file\n", plain, plain * 1000 / kFiles);
    std::printf("batch --jobs 1        %8.3f s  %6.2f ms/file  overhead %+.1f%%\n", one,
                one * 1000 / kFiles, (one - plain) / plain * 100);
    std::printf("batch --jobs 2        %8.3f s  %6.2f ms/file  speed-up %.2f\n", two,
                two * 1000 / kFiles, one / two);
    std::printf("figures read back     %8.3f s  %6.2f ms/file\n", figures, figures * 1000 / kFiles);
    fs::remove_all(root);
}
