// The editor's attribute conversion of a database of 60,000 records under the standard
// design: attribute database → CSV and CSV → attribute database, through the files as
// the conversion command runs them (load, convert, atomic synced write), in MB/s of CSV
// text. The CSV writer and reader alone are timed as well. Target: 50 MB/s.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_timing.h"
#include "editor/attrconv/attr_conversion.h"
#include "editor/attrconv/attr_csv_export.h"
#include "editor/attrconv/attr_csv_import.h"
#include "editor/model/kinds.h"
#include "platform/cp932.h"

namespace {

constexpr std::size_t kRecords = 60000;

class CountingPrompter : public platform::Prompter {
  public:
    platform::Answer show(std::string_view text, std::string_view, platform::Icon,
                          platform::Buttons) override {
        ++boxes;
        last = text;
        return platform::Answer::Ok;
    }
    int boxes = 0;
    std::string last;
};

// Full-looking records: every value of the standard design set, Japanese texts.
pdb::PdbImage makeAttributeImage() {
    pdb::PdbImage image;
    pdb::MakeNewImage(image);
    pdb::setDatabaseName(image.header, "bench");
    image.designs[0] = editor::freshWorkingDesign();
    editor::setFieldText(image.designs[0].code, std::string("BENCH"));
    image.attrRecs.assign(kRecords + 1, pdb::AttrRec{});
    const std::string name = platform::toCp932("東京都港区");
    for (std::size_t i = 0; i < kRecords; ++i) {
        pdb::AttrRec& r = image.attrRecs[i];
        const auto n = static_cast<std::int32_t>(i);
        r.ID = n + 1;
        r.StatusCode = static_cast<std::int8_t>(i % 3);
        r.SymbolCode = static_cast<std::int8_t>(i % 100);
        r.UserData = static_cast<std::int16_t>(i % 30000);
        r.TopLeftX = static_cast<std::int16_t>(-16000 + n % 32000);
        r.TopLeftY = static_cast<std::int16_t>(12000 - n % 24000);
        r.ExtentX = 400;
        r.ExtentY = 250;
        r.X = 135000000 + n;
        r.Y = 35000000 - n;
        for (std::size_t k = 0; k < pdb::kCmbValues; ++k)
            r.Cmb[k] = static_cast<std::uint8_t>((i + k) % 12);
        for (std::size_t k = 0; k < pdb::kIntValues; ++k)
            r.Int[k] = n * 7 + static_cast<std::int32_t>(k);
        for (std::size_t k = 0; k < pdb::kRealValues; ++k)
            r.Real[k] = static_cast<float>(i % 1000) * 0.25f + static_cast<float>(k);
        for (std::size_t k = 0; k < pdb::kStrValues; ++k)
            editor::setFieldText(r.Str[k], name + std::to_string(i % 1000));
    }
    image.listHeader.iRecNum = static_cast<std::uint16_t>(kRecords + 1);
    return image;
}

void report(const char* what, std::size_t bytes, double secs) {
    const double mb = static_cast<double>(bytes) / 1e6;
    std::printf("%-44s %8.1f MB in %7.3f s  %8.1f MB/s%s\n", what, mb, secs, mb / secs,
                mb / secs >= 50.0 ? "" : "  (below 50 MB/s)");
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "kwib-editor-attrconv-bench";
    fs::create_directories(dir);
    const std::string attrPath = (dir / "attr.pdb").string();
    const std::string masterPath = (dir / "master.pdb").string();
    const std::string csvPath = (dir / "attr.csv").string();
    const std::string outPath = (dir / "back.pdb").string();

    pdb::PdbImage attr = makeAttributeImage();
    pdb::PdbImage master;
    pdb::MakeNewImage(master);
    pdb::setDatabaseName(master.header, "Master");
    master.designs[0] = attr.designs[0];
    if (!pdb::WriteDatabase(attr, attrPath).ok() || !pdb::WriteDatabase(master, masterPath).ok()) {
        std::fprintf(stderr, "cannot write the input databases in %s\n", dir.string().c_str());
        return 1;
    }

    std::string text;
    double secs = bench::bestOf(3, [&] { text = editor::AttributesCsvText(attr); });
    const std::size_t csvBytes = text.size();
    report("CSV writer (60,000 records, in memory)", csvBytes, secs);

    pdb::PdbImage imported = master;
    editor::ImportResult result;
    secs = bench::bestOf(
        3, [&] { result = editor::ImportAttributesCsvText(imported, text, "bench"); });
    if (!result.ok || result.records != kRecords || result.problemCount != 0) {
        std::fprintf(stderr, "import failed: %s (%zu problems)\n", result.message.c_str(),
                     result.problemCount);
        return 1;
    }
    report("CSV reader (60,000 records, in memory)", csvBytes, secs);

    CountingPrompter prompter;
    editor::EditorState state;
    editor::AttributeConversion toCsv;
    toCsv.type = editor::ConversionType::PdbToCsv;
    toCsv.inputPath = attrPath;
    toCsv.outputPath = csvPath;
    secs = bench::bestOf(3, [&] { editor::AttributeConversionCommand(state, toCsv, prompter); });
    report("PDB -> CSV command (load, export, write)", csvBytes, secs);

    editor::AttributeConversion toPdb;
    toPdb.type = editor::ConversionType::CsvToPdb;
    toPdb.inputPath = csvPath;
    toPdb.outputPath = outPath;
    toPdb.masterPath = masterPath;
    toPdb.databaseName = "bench";
    secs = bench::bestOf(3, [&] { editor::AttributeConversionCommand(state, toPdb, prompter); });
    report("CSV -> PDB command (import, write)", csvBytes, secs);

    // Only the overwrite questions may have been asked.
    const bool ok = state.image.heldAttrRecs() == kRecords &&
                    prompter.last == "出力ファイルが既に存在します。\n上書きしますか？";
    fs::remove_all(dir);
    if (!ok) {
        std::fprintf(stderr, "conversion failed: %s\n", prompter.last.c_str());
        return 1;
    }
    return 0;
}
