#include "converter/sheetframe/sheet_frame.h"

#include "converter/digitalmap/sheet_reader.h"
#include "converter/dm/dm_reader.h"
#include "platform/files.h"

namespace sheetframe {
namespace {

using Extent = platform::Result<InputExtent>;

Extent dmExtent(const std::string& path) {
    auto mapped = platform::MappedFile::open(path);
    if (!mapped)
        return Extent::failure("DMファイル「" + path + "」が読めません（" + mapped.error() +
                               "）。");
    const std::string fileName(platform::fileNameOf(path));
    dm::DmReader reader(
        std::string_view(reinterpret_cast<const char*>(mapped->data()), mapped->size()), fileName);
    switch (reader.next()) {
        case dm::DmEvent::Sheet: {
            const dm::SheetRecord& s = reader.sheet();
            return InputExtent{
                {s.nmin, s.emin, s.nmax, s.emax}, georef::ExtentSource::DmFile, s.name};
        }
        case dm::DmEvent::Failed:
            return Extent::failure(reader.failure());
        default:
            return Extent::failure(fileName +
                                   ": 「M 」レコードがありません（DMファイルではありません）。");
    }
}

Extent sheetExtent(const std::string& dir) {
    const char* kFile = "OTHERS/others.arc";
    const std::string path = dir + "/" + kFile;
    if (!platform::fileExists(path))
        return Extent::failure(std::string("入力ファイルがありません：") + kFile + "（" + path +
                               "）");
    digitalmap::SheetFile file;
    if (!file.open(path, kFile))
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
    return InputExtent{
        {header.d1, header.d2, header.d3, header.d4}, georef::ExtentSource::DigitalMapSheet, {}};
}

}  // namespace

platform::Result<InputExtent> readExtent(InputKind kind, const std::string& path) {
    return kind == InputKind::DmFile ? dmExtent(path) : sheetExtent(path);
}

std::optional<ZoneHint> dmZoneHint(const std::string& path, std::string_view sheetName) {
    if (auto zone = georef::zoneFromDmFileName(path))
        return ZoneHint{*zone, "ファイル名「" + std::string(platform::fileNameOf(path)) + "」"};
    if (auto zone = georef::zoneFromSheetName(sheetName))
        return ZoneHint{*zone, "図郭名「" + std::string(sheetName) + "」"};
    return std::nullopt;
}

std::string zoneHintNote(const ZoneHint& hint) {
    return "系番号は" + hint.from + "から " + std::to_string(hint.zone) + " としました。";
}

std::optional<std::array<double, 12>> batchInputFrame(InputKind kind, const std::string& input,
                                                      std::optional<int> zone, georef::Datum datum,
                                                      std::optional<georef::ExtentUnit> unit,
                                                      platform::Prompter& prompter) {
    auto fail = [&](const std::string& message) {
        prompter.show(message, "", platform::Icon::Critical, platform::Buttons::Ok);
        return std::nullopt;
    };
    std::array<double, 12> values{};
    if (!zone && kind == InputKind::DigitalMapSheet)
        return values;
    auto extent = readExtent(kind, input);
    if (!extent)  // the conversion reports what is wrong with the file, in its own words
        return values;
    std::string note;
    if (!zone) {
        auto hint = dmZoneHint(input, extent->sheetName);
        if (!hint)
            return values;
        zone = hint->zone;
        note = zoneHintNote(*hint) + "\n";
    }
    auto sheet = georef::computeSheetFrame(extent->extent, extent->source, unit, *zone, datum);
    if (!sheet)
        return fail(sheet.error());
    prompter.show(note + sheet->summary, "", platform::Icon::Information, platform::Buttons::Ok);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = sheet->frame.values[i];
    return values;
}

}  // namespace sheetframe
