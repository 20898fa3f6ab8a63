#include "converter/attrconv/csv2pdb.h"

#include <new>

#include "converter/core/attr_csv.h"
#include "converter/core/conversion.h"
#include "platform/files.h"
#include "platform/line_source.h"

namespace converter {
namespace {

constexpr std::string_view kTitle = "csv2pdb";

Outcome fail(platform::Prompter& prompter, const std::string& text) {
    prompter.show(text, kTitle, platform::Icon::Critical, platform::Buttons::Ok);
    return Outcome::Failed;
}

void inform(platform::Prompter& prompter, const std::string& text) {
    prompter.show(text, kTitle, platform::Icon::Information, platform::Buttons::Ok);
}

}  // namespace

std::optional<std::string> csv2pdbOutputPath(std::string_view csvPath) {
    // Only a "." of the file name counts, not one in a folder name.
    const std::size_t nameStart = csvPath.size() - platform::fileNameOf(csvPath).size();
    if (csvPath.size() < 2)
        return std::nullopt;
    std::size_t dot = csvPath.find_last_of('.', csvPath.size() - 2);
    if (dot == std::string_view::npos || dot < nameStart)
        return std::nullopt;
    return std::string(csvPath.substr(0, dot + 1)) + "pdb";
}

namespace {

Outcome convertCsv(const std::string& csvPath, const platform::LocalDate& today,
                   platform::Prompter& prompter) {
    std::optional<std::string> pdbPath = csv2pdbOutputPath(csvPath);
    if (!pdbPath)
        return fail(prompter, "CSV ファイル「" + csvPath +
                                  "」の名前に「.」がありません。作成するデータベースの名前を"
                                  "決められません。");
    if (*pdbPath == csvPath)
        return fail(prompter, "CSV ファイル「" + csvPath +
                                  "」はデータベースと同じ名前です。拡張子が pdb "
                                  "以外の CSV ファイルを選んでください。");
    if (auto problem = databaseNameProblem(baseNameOf(*pdbPath)))
        return fail(prompter, refusedFileNameMessage(csvPath, *problem));
    inform(prompter, *pdbPath + "を作成します！");

    auto lines = platform::LineSource::openFile(csvPath, platform::LineEnds::AnyEnd);
    if (!lines)
        return fail(prompter,
                    "CSV ファイル「" + csvPath + "」を読めません（" + lines.error() + "）。");
    AttrCsvResult read = readAttrCsv(*lines);
    if (read.problem)
        return fail(prompter, describeCsvProblem(csvPath, *read.problem) +
                                  "\nデータベースは作成しませんでした。");
    for (const TextCut& cut : read.cuts)
        prompter.show(describeTextCut(csvPath, cut), kTitle, platform::Icon::Warning,
                      platform::Buttons::Ok);
    if (platform::Status written = writeFeatureAttrDatabase(*pdbPath, read.records, today);
        !written)
        return fail(prompter, written.error());
    inform(prompter, "処理が終了しました！");
    return Outcome::Done;
}

}  // namespace

Outcome csv2pdbFile(const std::string& csvPath, const platform::LocalDate& today,
                    platform::Prompter& prompter) {
    try {
        return convertCsv(csvPath, today, prompter);
    } catch (const std::bad_alloc&) {
        return fail(prompter, "メモリが足りないため、CSV ファイル「" + csvPath +
                                  "」の変換を中止しました。データベースは作成しませんでした。");
    }
}

Outcome csv2pdb(platform::FileChooser& chooser, const std::string& programFolder,
                const platform::LocalDate& today, platform::Prompter& prompter) {
    platform::FileRequest request;
    request.title = "CSVファイルを選択";
    request.filterName = "CSV";
    request.filterPattern = "*.csv";
    request.defaultExtension = "CSV";
    request.initialFolder = programFolder;
    request.place = "vornik/csv2pdb";
    std::optional<std::string> csvPath = chooser.choose(request);
    if (!csvPath || csvPath->empty())
        return Outcome::Cancelled;
    return csv2pdbFile(*csvPath, today, prompter);
}

}  // namespace converter
