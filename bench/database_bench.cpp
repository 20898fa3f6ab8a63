// Loading and writing a master database of 1,000 designs (about 41 MB), against writing
// the same bytes durably with dd (conv=fsync): our save syncs before its rename too.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/bench_timing.h"
#include "editor/model/kinds.h"
#include "pdbformat/pdb_image.h"

namespace {}  // namespace

int main() {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "kwib-database-bench";
    fs::create_directories(dir);
    const std::string src = (dir / "src.pdb").string(), dst = (dir / "dst.pdb").string(),
                      ddDst = (dir / "dd.pdb").string();

    pdb::PdbImage image;
    pdb::MakeNewImage(image);
    pdb::setDatabaseName(image.header, "Master");
    image.designs.assign(1001, editor::freshWorkingDesign());
    for (std::size_t i = 0; i < 1000; ++i)
        editor::setFieldText(image.designs[i].code, "CODE" + std::to_string(i));
    image.designs.back() = editor::DispRec{};
    image.listHeader.iRecNum = 1000;
    if (!pdb::WriteDatabase(image, src).ok())
        return 1;
    const double megabytes = double(fs::file_size(src)) / 1e6;

    bool ok = true;
    double ours = bench::bestOf(5, [&] {
        pdb::PdbImage loaded;
        ok = ok && pdb::LoadDatabase(loaded, src).ok();
        ok = ok && pdb::WriteDatabase(loaded, dst).ok();
    });
    const std::string dd = "dd if='" + src + "' of='" + ddDst + "' bs=1M conv=fsync status=none";
    double ddTime = bench::bestOf(5, [&] { ok = ok && std::system(dd.c_str()) == 0; });
    ok = ok && fs::file_size(dst) == fs::file_size(src);
    fs::remove_all(dir);
    if (!ok) {
        std::fprintf(stderr, "database_bench: a load, write or dd failed\n");
        return 1;
    }
    std::printf("master database of 1000 designs: %.1f MB\n", megabytes);
    std::printf("LoadDatabase + WriteDatabase (durable): %7.1f ms\n", ours * 1e3);
    std::printf("dd bs=1M conv=fsync of the same bytes:  %7.1f ms\n", ddTime * 1e3);
    std::printf("ratio: %.2f (target: at most 2.00)\n", ours / ddTime);
    return 0;
}
