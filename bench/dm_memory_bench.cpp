// Peak memory of dm2pdb on DM files of a gigabyte, each converted in a child process whose
// peak resident set size is taken from wait4. Two files, generated into a temporary folder:
//   - "converts": 30000 buildings and 60 MB of roads, the rest of the gigabyte in elements
//     whose extra lines the conversion reads and passes over; both databases are written.
//   - "refused": 30000 buildings, then roads to the end; its graphic database would
//     outgrow 32767 records of 1024 bytes, so the conversion refuses it.
// The target is a peak under 150 MB for both, whatever the size of the file.
//
// dm_memory_bench [MEGABYTES]   (default 1000)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/dm_generator.h"
#include "converter/dm/dm2pdb.h"
#include "platform/prompter.h"

namespace {

namespace fs = std::filesystem;

// Prints the first message that is not progress, so a refusal says why.
class FirstProblemPrompter : public platform::Prompter {
  public:
    platform::Answer show(std::string_view text, std::string_view, platform::Icon icon,
                          platform::Buttons) override {
        if (icon != platform::Icon::Information && !shown_) {
            shown_ = true;
            std::printf("  message: %.*s\n", static_cast<int>(text.size()), text.data());
            std::fflush(stdout);
        }
        return platform::Answer::Ok;
    }

  private:
    bool shown_ = false;
};

int runChild(const char* dmPath, const char* outDir) {
    FirstProblemPrompter prompter;
    dm::Dm2PdbResult r = dm::dm2pdb(dmPath, outDir, {}, {2001, 12, 5}, prompter);
    if (r.outcome != converter::Outcome::Done)
        return 1;
    std::printf("  converted: %d areas, graphic database of %zu records\n", r.areaCount,
                r.graphicRecords);
    std::fflush(stdout);
    return 0;
}

bool writeDm(const fs::path& path, std::size_t bytes, bool fits) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    {
        benchdm::DmWriter w(f);
        benchdm::Random r;
        benchdm::sheet(w);
        benchdm::buildings(w, r, 30000);
        while (w.written() < (fits ? std::min<std::size_t>(bytes, 60u << 20) : bytes))
            benchdm::roads(w, r);
        while (w.written() < bytes) benchdm::extraLineElements(w, r);
    }
    return std::fclose(f) == 0;
}

// Converts in a child process; false when the child could not be run.
bool measure(const char* label, const fs::path& dmPath, const fs::path& outDir) {
    double megabytes = double(fs::file_size(dmPath)) / 1e6;
    std::printf("%s: DM file of %.0f MB\n", label, megabytes);
    std::fflush(stdout);
    auto t0 = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        // A fresh program image, so the child's peak is its own and not the parent's.
        execl("/proc/self/exe", "dm_memory_bench", "--child", dmPath.c_str(), outDir.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return false;
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    bool exited = WIFEXITED(status);
    int code = exited ? WEXITSTATUS(status) : -1;
    double peakMb = double(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
    std::printf("  %s in %.2f s (%.1f MB/s); peak RSS %.1f MB (%s)\n",
                !exited       ? "killed"
                : code == 0   ? "converted"
                : code == 127 ? "could not start"
                              : "refused",
                seconds, megabytes / seconds, peakMb,
                peakMb < 150 ? "under 150 MB" : "OVER 150 MB");
    return exited && code != 127;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--child")
        return runChild(argv[2], argv[3]);
    std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000;
    fs::path dir = fs::temp_directory_path() / ("kwib-dm-memory-" + std::to_string(getpid()));
    fs::create_directories(dir);
    bool ok = true;
    const std::pair<const char*, bool> files[] = {{"converts", true}, {"refused", false}};
    for (const auto& [label, fits] : files) {
        fs::path dm = dir / (std::string(label) + ".dm");
        if (!writeDm(dm, megabytes * 1000 * 1000, fits)) {
            std::fprintf(stderr, "cannot write %s\n", dm.c_str());
            ok = false;
            break;
        }
        ok = measure(label, dm, dir) && ok;
        fs::remove(dm);
    }
    fs::remove_all(dir);
    return ok ? 0 : 1;
}
