// vornik-cli ogr2pdb INPUT OUT_DIR --zone N --datum D: vector GIS data (GeoPackage, shapefile,
// GeoJSON, the base map's GML, or a folder of them) into a graphic and an attribute
// database, and vornik-cli pdb2ogr: such a database back out as a GeoPackage or GeoJSON file.
#include <iostream>

#include "cli/cli_common.h"
#include "converter/ogr/ogr2pdb.h"
#include "converter/ogr/pdb2ogr.h"
#include "platform/text.h"

namespace {

struct System {
    int zone = 0;
    georef::Datum datum = georef::Datum::Jgd2011;
};

// --zone and --datum: a usage error when missing, an error message when not understood.
std::optional<int> readSystem(const char* name, const cli::Args& args, System& out,
                              platform::Prompter& prompter) {
    if (!args.has("--zone"))
        return cli::usageError(name, "--zone is missing (1 to 19)");
    if (!args.has("--datum"))
        return cli::usageError(name, "--datum is missing (tokyo, jgd2000 or jgd2011)");
    auto zone = georef::parseZone(*args.value("--zone"));
    auto datum = georef::parseDatum(*args.value("--datum"));
    for (const std::string* problem :
         {zone ? nullptr : &zone.error(), datum ? nullptr : &datum.error()})
        if (problem) {
            prompter.show(*problem, name, platform::Icon::Critical, platform::Buttons::Ok);
            return cli::kExitFailed;
        }
    out = {*zone, *datum};
    return std::nullopt;
}

platform::Result<ogr::Bounds> extentOption(const std::string& text) {
    using R = platform::Result<ogr::Bounds>;
    double v[4];
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        std::size_t end = text.find(',', start);
        if ((end == std::string::npos) != (i == 3))
            return R::failure("--extent wants four numbers MIN_N,MIN_E,MAX_N,MAX_E");
        std::string item = text.substr(start, i == 3 ? std::string::npos : end - start);
        auto n = platform::parseNumber<double>(item);
        if (n.status != platform::NumberStatus::Ok)
            return R::failure("--extent value " + std::to_string(i + 1) + " is not a number: \"" +
                              item + "\"");
        v[i] = n.value;
        start = end + 1;
    }
    if (!(v[0] < v[2]) || !(v[1] < v[3]))
        return R::failure("--extent: MIN_N must be below MAX_N and MIN_E below MAX_E");
    ogr::Bounds b;
    b.minNorth = v[0];
    b.minEast = v[1];
    b.maxNorth = v[2];
    b.maxEast = v[3];
    b.empty = false;
    return b;
}

int ogr2pdb(const std::vector<std::string>& argv) {
    constexpr const char* name = "ogr2pdb";
    auto args = cli::parseArgs(
        argv, {"--zone", "--datum", "--map", "--extent", "--frame", "--today", "--encoding"}, {});
    if (!args)
        return cli::usageError(name, args.error());
    if (args->positional.size() != 2)
        return cli::usageError(name,
                               "ogr2pdb takes an input (file or folder) and an output folder");
    ogr::Ogr2PdbOptions options;
    options.input = args->positional[0];
    options.outDir = args->positional[1];
    options.mapping = args->value("--map").value_or("");
    options.encoding = args->value("--encoding").value_or("");
    if (auto text = args->value("--extent")) {
        auto extent = extentOption(*text);
        if (!extent)
            return cli::usageError(name, extent.error());
        options.extent = *extent;
    }
    if (args->value("--frame").value_or("auto") != "auto") {
        auto frame = cli::frameOption(*args);
        if (!frame)
            return cli::usageError(name, frame.error());
        options.frame = *frame;
    }
    auto today = cli::todayOption(*args);
    if (!today)
        return cli::usageError(name, today.error());
    options.today = *today;
    platform::ConsolePrompter& prompter = cli::consolePrompter();
    System system;
    if (auto exit = readSystem(name, *args, system, prompter))
        return *exit;
    options.zone = system.zone;
    options.datum = system.datum;
    return ogr::ogr2pdb(options, prompter).outcome == converter::Outcome::Done ? cli::kExitOk
                                                                               : cli::kExitFailed;
}

int pdb2ogr(const std::vector<std::string>& argv) {
    constexpr const char* name = "pdb2ogr";
    auto args = cli::parseArgs(argv, {"--zone", "--datum"}, {});
    if (!args)
        return cli::usageError(name, args.error());
    const auto& p = args->positional;
    if (p.size() != 2 && p.size() != 3)
        return cli::usageError(name,
                               "pdb2ogr takes a graphic database, optionally its attribute "
                               "database, and the output file");
    platform::ConsolePrompter& prompter = cli::consolePrompter();
    System system;
    if (auto exit = readSystem(name, *args, system, prompter))
        return *exit;
    auto result = ogr::pdb2ogr(p[0], p.size() == 3 ? p[1] : "", p.back(), system.zone, system.datum,
                               prompter);
    return result.outcome == converter::Outcome::Done ? cli::kExitOk : cli::kExitFailed;
}

cli::CommandRegistration ogr2pdbCommand{
    "ogr2pdb",
    "ogr2pdb INPUT OUT_DIR --zone N --datum tokyo|jgd2000|jgd2011 [--map MAP.json|basemap|generic] "
    "[--extent MIN_N,MIN_E,MAX_N,MAX_E] [--frame auto|N,...(12)] [--encoding ENC] "
    "[--today YYYY-MM-DD]",
    &ogr2pdb};
cli::CommandRegistration pdb2ogrCommand{
    "pdb2ogr", "pdb2ogr G_PDB [A_PDB] OUT.gpkg|OUT.geojson --zone N --datum tokyo|jgd2000|jgd2011",
    &pdb2ogr};

}  // namespace
