// csv2pdb of a 32,767-line attribute CSV and pdb2csv back, through the files as the
// commands run them (atomic, synced writes included), in MB/s of CSV text. The reader and
// the printer alone are timed as well.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_timing.h"
#include "converter/attrconv/csv2pdb.h"
#include "converter/attrconv/pdb2csv.h"
#include "converter/core/attr_csv.h"
#include "platform/files.h"
#include "platform/prompter.h"

namespace {

class SilentPrompter : public platform::Prompter {
  public:
    platform::Answer show(std::string_view, std::string_view, platform::Icon icon,
                          platform::Buttons) override {
        if (icon == platform::Icon::Critical)
            failed = true;
        return platform::Answer::Ok;
    }
    bool failed = false;
};

// A CSV of full-looking lines: every column used, Shift-JIS names, a quoted text.
std::string makeCsv(int lines) {
    std::string csv;
    csv.reserve(static_cast<std::size_t>(lines) * 140);
    for (int i = 1; i <= lines; ++i) {
        csv += std::to_string(i) + ",3," + std::to_string(i % 7) + "," + std::to_string(i % 65536) +
               "," + std::to_string(-16000 + i % 32000) + "," + std::to_string(12000 - i % 24000) +
               ",400,400," + std::to_string(135000000 + i) + "," + std::to_string(-42000000 - i) +
               // 駅前ビル (Shift-JIS), "倉庫, 北棟" quoted, 2階に診療所
               ",\x89\x77\x91\x4f\x83\x72\x83\x8b" + std::to_string(i) +
               ",\"\x91\x71\x8c\xc9, \x96\x6b\x93\x8f\"," + std::to_string(i % 32768) +
               ",1985,1,0,1,0,2.5,0,-1,2\x8a\x4b\x82\xc9\x90\x66\x97\xc3\x8f\x8a\r\n";
    }
    return csv;
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "kwib-attrconv-bench";
    fs::create_directories(dir);
    const std::string csvPath = (dir / "bench.csv").string();
    const std::string pdbPath = (dir / "bench.pdb").string();
    const std::string backPath = (dir / "back.csv").string();
    const int lines = 32767;
    std::string csv = makeCsv(lines);
    if (!platform::writeFileAtomically(csvPath, csv))
        return 1;
    const double megabytes = double(csv.size()) / 1e6;

    SilentPrompter prompter;
    bool ok = true;
    double toPdb = bench::bestOf(5, [&] {
        ok = ok &&
             converter::csv2pdbFile(csvPath, {2001, 4, 1}, prompter) == converter::Outcome::Done;
    });
    double toCsv = bench::bestOf(5, [&] {
        ok = ok && converter::pdb2csvFiles(pdbPath, backPath, prompter) == converter::Outcome::Done;
    });
    std::size_t backSize = fs::file_size(backPath);
    double parseOnly = bench::bestOf(
        5, [&] { ok = ok && converter::readAttrCsv(csv).records.size() == std::size_t(lines); });
    auto records = converter::readAttrCsv(csv).records;
    double printOnly =
        bench::bestOf(5, [&] { ok = ok && !converter::formatAttrCsv(records).empty(); });
    fs::remove_all(dir);
    if (!ok || prompter.failed) {
        std::puts("attrconv_bench: a conversion failed");
        return 1;
    }
    std::printf("CSV: %d lines, %.2f MB (back: %.2f MB)\n", lines, megabytes,
                double(backSize) / 1e6);
    std::printf("csv2pdb  %7.1f ms  %7.1f MB/s  (target 50)\n", toPdb * 1e3, megabytes / toPdb);
    std::printf("pdb2csv  %7.1f ms  %7.1f MB/s  (target 50)\n", toCsv * 1e3,
                double(backSize) / 1e6 / toCsv);
    std::printf("  reader alone   %7.1f MB/s\n", megabytes / parseOnly);
    std::printf("  printer alone  %7.1f MB/s\n", double(backSize) / 1e6 / printOnly);
    bool fastEnough = megabytes / toPdb >= 50 && double(backSize) / 1e6 / toCsv >= 50;
    std::printf("%s\n", fastEnough ? "both at or above 50 MB/s" : "BELOW 50 MB/s");
    return 0;
}
