// ogr2pdb throughput: 100,000 building polygons in one GeoPackage (a grid of 8 m × 6 m
// buildings, 400 × 250, in zone IX) to the graphic and attribute databases. A database pair
// holds at most 32,767 areas, so the layer is converted as four tiles of 25,000 by --extent,
// each run reading the whole layer as a user's would. Against it, the Digital Map 2500 path
// on a generated 20,000-building sheet (the figure of digitalmap_bench), in buildings per
// second of processor time.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench_timing.h"
#include "converter/digitalmap/digital_map.h"
#include "converter/ogr/ogr2pdb.h"
#include "platform/files.h"
#include "platform/scripted_prompter.h"
#include "sheet_generator.h"

namespace {

namespace fs = std::filesystem;

constexpr int kColumns = 400, kRows = 250;  // 100,000 buildings
constexpr double kPitch = 12;               // metres between building corners
constexpr double kWest = -9000, kSouth = -36000;

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::string makeGeoPackage(const fs::path& dir) {
    std::vector<ogr::OutputFeature> features;
    features.reserve(kColumns * kRows);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const double e = kWest + c * kPitch, n = kSouth + r * kPitch;
            ogr::OutputFeature f;
            f.kind = ogr::GeometryClass::Polygon;
            f.points = {{e, n}, {e, n + 6}, {e + 8, n + 6}, {e + 8, n}, {e, n}};
            f.values = {std::string("建物") + std::to_string(r * kColumns + c), 2LL};
            features.push_back(std::move(f));
        }
    const std::string path = (dir / "buildings.gpkg").string();
    auto bytes = ogr::encodeVectorFile(path, "buildings", 6677, {{"name", true}, {"floors", false}},
                                       features);
    if (!bytes || !platform::writeFileAtomically(path, *bytes)) {
        std::fprintf(stderr, "could not write %s\n", path.c_str());
        std::exit(1);
    }
    return path;
}

}  // namespace

int main() {
    std::string tmpl = (fs::temp_directory_path() / "ogr-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        return 1;
    const fs::path root(tmpl);
    const std::string gpkg = makeGeoPackage(root);
    std::printf("ogr2pdb: %d building polygons in one GeoPackage (%.1f MB), four tiles of %d\n",
                kColumns * kRows, double(fs::file_size(gpkg)) / 1e6, kColumns * kRows / 4);

    double wall = 0, cpu = 0;
    long long areas = 0;
    for (int tile = 0; tile < 4; ++tile) {
        const fs::path out = root / ("tile" + std::to_string(tile));
        fs::create_directories(out);
        ogr::Ogr2PdbOptions o;
        o.input = gpkg;
        o.outDir = out.string();
        o.zone = 9;
        o.mapping = "generic";
        o.today = {2001, 12, 5};
        ogr::Bounds b;
        b.minEast = kWest + tile * kColumns / 4 * kPitch - 1;
        b.maxEast = b.minEast + kColumns / 4 * kPitch;
        b.minNorth = kSouth - 1;
        b.maxNorth = kSouth + kRows * kPitch;
        b.empty = false;
        o.extent = b;
        ogr::Ogr2PdbResult result;
        const double cpu0 = cpuSeconds();
        const double seconds = bench::bestOf(1, [&] {
            platform::ScriptedPrompter quiet;
            result = ogr::ogr2pdb(o, quiet);
            if (result.outcome != converter::Outcome::Done) {
                for (const auto& t : quiet.texts()) std::fprintf(stderr, "%s\n", t.c_str());
                std::exit(1);
            }
        });
        cpu += cpuSeconds() - cpu0;
        wall += seconds;
        areas += result.account.areas;
        std::printf(
            "  tile %d: %lld areas, %lld left outside, %.3f s\n", tile + 1, result.account.areas,
            result.account.skipped.empty() ? 0LL : result.account.skipped[0].second, seconds);
    }
    std::printf(
        "  all four: %lld areas in %.2f s wall, %.2f s processor: %.0f buildings/s "
        "(written), %.0f features/s read\n",
        areas, wall, cpu, double(areas) / cpu, 4.0 * kColumns * kRows / cpu);

    const fs::path sheetDir = root / "sheet" / "53394525";
    const std::size_t buildings =
        sheetgen::writeSheet(sheetDir.string(), sheetgen::optionsForBuildings(20000)).buildings;
    fs::create_directories(root / "sheet-out");
    const double cpu0 = cpuSeconds();
    const double dmWall = bench::bestOf(1, [&] {
        platform::ScriptedPrompter quiet;
        digitalmap::CreateFromDigitalMap(sheetDir.string(), (root / "sheet-out").string(), {},
                                         {2001, 12, 5}, quiet);
    });
    const double dmCpu = cpuSeconds() - cpu0;
    std::printf(
        "Digital Map 2500: %zu buildings in %.2f s wall, %.2f s processor: %.0f "
        "buildings/s\n",
        buildings, dmWall, dmCpu, double(buildings) / dmCpu);
    std::printf("ogr2pdb writes buildings at %.2f× the Digital Map 2500 path's rate\n",
                (double(areas) / cpu) / (double(buildings) / dmCpu));
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
