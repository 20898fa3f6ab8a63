#include "converter/attrconv/pdb2csv.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <new>

#include "pdbformat/container.h"
#include "platform/cp932.h"
#include "platform/files.h"

namespace converter {
namespace {

constexpr std::string_view kTitle = "pdb2csv";
constexpr std::size_t kNameSize = 32;

Outcome fail(platform::Prompter& prompter, const std::string& text) {
    prompter.show(text, kTitle, platform::Icon::Critical, platform::Buttons::Ok);
    return Outcome::Failed;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

template <typename T>
void appendNumber(std::string& out, T value) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, end);
}

void appendText(std::string& out, std::span<const std::uint8_t> field) {
    std::string text = pdb::storedText(field);
    bool needsQuotes = text.find(',') != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.front() == '\t'));
    if (needsQuotes && text.find('"') == std::string::npos) {
        out += '"';
        out += text;
        out += '"';
    } else {
        out += text;
    }
}

}  // namespace

bool databaseNameMatches(std::span<const std::uint8_t> storedName, std::string_view expected) {
    platform::TextConversion sjis = platform::utf8ToCp932(expected);
    if (!sjis.ok)
        return false;
    std::string_view name = sjis.text;
    name = name.substr(0, platform::cp932PrefixLength(name, kNameSize - 1));
    if (name.size() > storedName.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        auto b = static_cast<unsigned char>(name[i]);
        if (platform::isCp932LeadByte(b) && i + 1 < name.size()) {
            if (storedName[i] != b || storedName[i + 1] != static_cast<unsigned char>(name[i + 1]))
                return false;
            ++i;
        } else if (asciiLower(static_cast<char>(storedName[i])) != asciiLower(name[i])) {
            return false;
        }
    }
    return true;
}

std::string formatAttrCsvLine(const pdb::FeatureAttrRec& r) {
    std::string line;
    line.reserve(160);
    auto comma = [&] { line += ','; };
    appendNumber(line, r.ID);
    comma();
    appendNumber(line, unsigned{r.StatusCode});
    comma();
    appendNumber(line, unsigned{r.SymbolCode});
    comma();
    appendNumber(line, unsigned{r.UserData});
    comma();
    appendNumber(line, int{r.TopLeftX});
    comma();
    appendNumber(line, int{r.TopLeftY});
    comma();
    appendNumber(line, int{r.ExtentX});
    comma();
    appendNumber(line, int{r.ExtentY});
    comma();
    appendNumber(line, r.X);
    comma();
    appendNumber(line, r.Y);
    comma();
    appendText(line, r.Text1);
    comma();
    appendText(line, r.Text2);
    comma();
    appendNumber(line, unsigned{r.Value1});
    comma();
    appendNumber(line, unsigned{r.Value2});
    for (std::uint8_t flag : {r.Flag1, r.Flag2, r.Flag3, r.Flag4, r.Flag5, r.Flag6}) {
        comma();
        appendNumber(line, unsigned{flag});
    }
    comma();
    appendNumber(line, unsigned{r.Value3});
    comma();
    appendText(line, r.Text3);
    return line;
}

std::string formatAttrCsv(const std::vector<pdb::FeatureAttrRec>& records) {
    std::string csv;
    csv.reserve(records.size() * 80);
    for (const pdb::FeatureAttrRec& r : records) {
        csv += formatAttrCsvLine(r);
        csv += "\r\n";
    }
    return csv;
}

namespace {

// Why the file cannot be a Palm database: its header and record list do not fit in it.
std::optional<std::string> notPalmDatabase(const platform::FileContents& file) {
    if (file.size == 0)
        return std::string("ファイルが空です");
    if (file.size < pdb::kRecListOffset)
        return "ヘッダーだけで 78 バイト必要ですが、" + std::to_string(file.size) +
               " バイトしかありません";
    pdb::ContainerHead head = pdb::readHead(file.asBytes());
    std::size_t n = head.listHeader.iRecNum;
    if (head.needed > file.size)
        return "ヘッダーのレコード数 " + std::to_string(n) + " のレコードリスト（" +
               std::to_string(80 + 8 * n) + " バイトまで）がファイル（" +
               std::to_string(file.size) + " バイト）に収まりません";
    return std::nullopt;
}

// The stored name for a message: its text up to the first zero byte, as UTF-8.
std::string shownName(std::span<const std::uint8_t> field) {
    std::string text = pdb::storedText(field);
    platform::TextConversion utf8 = platform::cp932ToUtf8(text);
    return utf8.ok ? utf8.text : "（読めない文字を含む名前）";
}

Outcome convertDatabase(const std::string& pdbPath, const std::string& csvPath,
                        platform::Prompter& prompter) {
    if (pdbPath == csvPath)
        return fail(prompter, "CSV ファイルにデータベースファイル「" + pdbPath +
                                  "」と同じファイルは選べません。");
    // At most what 65535 records of 128 bytes and their list take: the file's size beyond
    // that does not matter, however large it is.
    constexpr std::size_t kLargest = 80 + (8 + pdb::kFeatureAttrRecSize) * 65535;
    platform::Result<platform::FileContents> file = platform::readFile(pdbPath, kLargest);
    if (!file)
        return fail(prompter, "データベースファイル「" + pdbPath + "」を読めません（" +
                                  file.error() + "）。");
    // The file is checked before anything is written, so a rejected database leaves an
    // earlier CSV as it was.
    if (auto why = notPalmDatabase(*file))
        return fail(prompter, "データベースファイル「" + pdbPath +
                                  "」は Palm のデータベースではありません（" + *why +
                                  "）。CSV ファイルは作成しませんでした。");
    std::span<const std::uint8_t> storedName = file->asBytes().first(kNameSize);
    if (!databaseNameMatches(storedName, baseNameOf(pdbPath)))
        return fail(prompter, " データベース名が違っています！\nデータベースファイル「" + pdbPath +
                                  "」に記録された名前「" + shownName(storedName) +
                                  "」が、ファイル名から決まる名前「" + baseNameOf(pdbPath) +
                                  "」で始まっていません。");
    pdb::FeatureAttrRecords db = pdb::readFeatureAttrRecords(file->asBytes(), pdbPath);
    if (db.problem)
        return fail(prompter, *db.problem + "\nCSV ファイルは作成しませんでした。");
    platform::WriteError error;
    if (!platform::writeFileAtomically(csvPath, formatAttrCsv(db.records), &error)) {
        std::string what = error.stage == platform::WriteError::Stage::Create
                               ? "を作成できません（" + error.reason + "）。"
                               : "を書き込めません（" + error.reason + "）。";
        if (platform::fileExists(csvPath))
            what += "以前のファイルはそのまま残っています。";
        return fail(prompter, "CSV ファイル「" + csvPath + "」" + what);
    }
    prompter.show("処理が終了しました！", kTitle, platform::Icon::Information,
                  platform::Buttons::Ok);
    return Outcome::Done;
}

}  // namespace

Outcome pdb2csvFiles(const std::string& pdbPath, const std::string& csvPath,
                     platform::Prompter& prompter) {
    try {
        return convertDatabase(pdbPath, csvPath, prompter);
    } catch (const std::bad_alloc&) {
        return fail(prompter, "メモリが足りないため、データベースファイル「" + pdbPath +
                                  "」の変換を中止しました。CSV ファイルは作成しませんでした。");
    }
}

Outcome pdb2csv(platform::FileChooser& chooser, const std::string& programFolder,
                platform::Prompter& prompter) {
    platform::FileRequest pdbRequest;
    pdbRequest.title = "PDBファイルを選択";
    pdbRequest.filterName = "PDB";
    pdbRequest.filterPattern = "*.pdb";
    pdbRequest.defaultExtension = "pdb";
    pdbRequest.initialFolder = programFolder;
    pdbRequest.place = "vornik/pdb2csv";
    std::optional<std::string> pdbPath = chooser.choose(pdbRequest);
    if (!pdbPath || pdbPath->empty())
        return Outcome::Cancelled;

    platform::FileRequest csvRequest;
    csvRequest.title = "CSVファイルを選択";
    csvRequest.filterName = "CSV";
    csvRequest.filterPattern = "*.csv";
    csvRequest.defaultExtension = "csv";
    std::size_t slash =
        pdbPath->size() >= 2 ? pdbPath->find_last_of('/', pdbPath->size() - 2) : std::string::npos;
    csvRequest.initialFolder = slash == std::string::npos ? "" : pdbPath->substr(0, slash + 1);
    csvRequest.save = true;
    std::optional<std::string> csvPath = chooser.choose(csvRequest);
    if (!csvPath || csvPath->empty())
        return Outcome::Cancelled;
    return pdb2csvFiles(*pdbPath, *csvPath, prompter);
}

}  // namespace converter
