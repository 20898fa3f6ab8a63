// vornik-cli frame SHEET_DIR|DM_FILE: the frame values computed from a sheet's extent and
// its coordinate system, without converting. Prints on stdout the twelve values as --frame
// takes them and the two corners in decimal degrees; the message that shows the computed
// frame (zone, datum, extent and its unit, size, corners) goes to stderr. Without --zone,
// a DM file's zone comes from the sheet name of its "M " record, else from its file name.
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli/cli_common.h"
#include "converter/digitalmap/sheet_reader.h"
#include "converter/dm/dm_reader.h"
#include "converter/georef/georef.h"
#include "platform/cp932.h"
#include "platform/files.h"

namespace {

constexpr const char* kName = "frame";

struct SheetExtent {
    georef::PlaneExtent extent;
    georef::ExtentSource source = georef::ExtentSource::DmFile;
    std::string sheetName;    // a DM file's sheet name (UTF-8), from its "M " record
    std::optional<int> zone;  // the zone that name gives
};
using Extent = platform::Result<SheetExtent>;

// The extent of the first "M " record of a DM file.
Extent dmExtent(const std::string& path) {
    auto mapped = platform::MappedFile::open(path);
    if (!mapped)
        return Extent::failure("DMファイル「" + path + "」が読めません（" + mapped.error() +
                               "）。");
    const std::string fileName = std::filesystem::path(path).filename().string();
    dm::DmReader reader(
        std::string_view(reinterpret_cast<const char*>(mapped->data()), mapped->size()), fileName);
    switch (reader.next()) {
        case dm::DmEvent::Sheet: {
            const dm::SheetRecord& s = reader.sheet();
            return SheetExtent{{s.nmin, s.emin, s.nmax, s.emax},
                               georef::ExtentSource::DmFile,
                               platform::cp932ToUtf8(s.sheetName).text,
                               s.zone};
        }
        case dm::DmEvent::Failed:
            return Extent::failure(reader.failure());
        default:
            return Extent::failure(fileName +
                                   ": 「M 」レコードがありません（DMファイルではありません）。");
    }
}

// The header extent of a Digital Map 2500 sheet folder, from the file whose extent the
// conversion writes into the frame header (the railway file).
Extent sheetExtent(const std::string& dir) {
    digitalmap::SheetFile file;
    const std::string path = dir + "/OTHERS/others.arc";
    if (!platform::fileExists(path))
        return Extent::failure("入力ファイルがありません：OTHERS/others.arc（" + path + "）");
    if (!file.open(path, "OTHERS/others.arc"))
        return Extent::failure(file.error());
    digitalmap::ExtentHeader header;
    switch (file.readHeader(header)) {
        case digitalmap::ReadStatus::Ok:
            break;
        case digitalmap::ReadStatus::EndOfFile:
            return Extent::failure(file.label() + "：ヘッダーの途中でファイルが終わっています。");
        case digitalmap::ReadStatus::Bad:
            return Extent::failure(file.error());
    }
    return SheetExtent{{header.d1, header.d2, header.d3, header.d4},
                       georef::ExtentSource::DigitalMapSheet,
                       {},
                       std::nullopt};
}

std::string degrees(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.7f", v);
    return buf;
}

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {"--zone", "--datum", "--extent-unit"}, {});
    if (!args)
        return cli::usageError(kName, args.error());
    if (args->positional.size() != 1)
        return cli::usageError(kName, "frame takes one sheet folder or DM file");
    const std::string& input = args->positional[0];
    std::error_code ec;
    const bool isSheet = std::filesystem::is_directory(input, ec);
    if (!args->has("--datum"))
        return cli::usageError(kName, "--datum is missing (tokyo, jgd2000 or jgd2011)");
    platform::ConsolePrompter prompter(std::cerr);
    auto fail = [&](const std::string& message) {
        prompter.show(message, "", platform::Icon::Critical, platform::Buttons::Ok);
        return cli::kExitFailed;
    };
    // A DM file's zone: the sheet name of its "M " record, else its file name.
    std::optional<Extent> dm;
    if (!isSheet) {
        dm = dmExtent(input);
        if (!*dm)
            return fail(dm->error());
    }
    const int recordZone = dm ? (*dm)->zone.value_or(0) : 0;  // 0: none
    const auto nameZone = isSheet ? std::nullopt : georef::zoneFromDmFileName(input);
    if (!args->has("--zone") && !recordZone && !nameZone)
        return cli::usageError(kName, "--zone is missing (1 to 19), and " +
                                          (dm ? "neither the sheet name \"" + (*dm)->sheetName +
                                                    "\" of the \"M \" record nor "
                                              : std::string()) +
                                          "the file name \"" +
                                          std::filesystem::path(input).filename().string() +
                                          "\" starts with a zone number 01 to 19");
    const int fileZone = recordZone ? recordZone : nameZone.value_or(0);
    auto zone = args->has("--zone") ? georef::parseZone(*args->value("--zone"))
                                    : georef::Result<int>(fileZone);
    if (!zone)
        return fail(zone.error());
    auto datum = georef::parseDatum(*args->value("--datum"));
    if (!datum)
        return fail(datum.error());
    std::optional<georef::ExtentUnit> unit;
    if (auto text = args->value("--extent-unit")) {
        auto parsed = georef::parseExtentUnit(*text);
        if (!parsed)
            return fail(parsed.error());
        unit = *parsed;
    }

    Extent sheet = isSheet ? sheetExtent(input) : *dm;
    if (!sheet)
        return fail(sheet.error());
    auto computed = georef::computeSheetFrame(sheet->extent, sheet->source, unit, *zone, *datum);
    if (!computed)
        return fail(computed.error());

    std::string note;
    if (!args->has("--zone") && recordZone)
        note = "系番号は「M 」レコードの図郭名 " + sheet->sheetName + " から " +
               std::to_string(*zone) + " としました。\n";
    else if (!args->has("--zone"))
        note = "系番号はファイル名から " + std::to_string(*zone) + " としました。\n";
    prompter.show(note + computed->summary, "", platform::Icon::Information, platform::Buttons::Ok);
    const georef::Frame& f = computed->frame;
    std::cout << "frame: " << georef::frameValuesText(f.values) << '\n'
              << "top-left: " << degrees(f.topLeft.latitude) << ' ' << degrees(f.topLeft.longitude)
              << '\n'
              << "bottom-right: " << degrees(f.bottomRight.latitude) << ' '
              << degrees(f.bottomRight.longitude) << '\n';
    return cli::kExitOk;
}

cli::CommandRegistration reg{
    kName, "frame SHEET_DIR|DM_FILE --zone N --datum tokyo|jgd2000|jgd2011 [--extent-unit m|km]",
    &run};

}  // namespace
