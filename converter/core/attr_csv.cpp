#include "converter/core/attr_csv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/cp932.h"
#include "platform/text.h"

namespace converter {
namespace {

enum class Kind { Id, Byte, Pattern16, Signed16, Coord, Text };

struct Column {
    const char* name;
    Kind kind;
};

constexpr std::array<Column, kAttrCsvColumns> kColumns{{
    {"ID", Kind::Id},
    {"StatusCode", Kind::Byte},
    {"SymbolCode", Kind::Byte},
    {"UserData", Kind::Pattern16},
    {"TopLeftX", Kind::Pattern16},
    {"TopLeftY", Kind::Pattern16},
    {"ExtentX", Kind::Pattern16},
    {"ExtentY", Kind::Pattern16},
    {"X", Kind::Coord},
    {"Y", Kind::Coord},
    {"Text1", Kind::Text},
    {"Text2", Kind::Text},
    {"Value1", Kind::Signed16},
    {"Value2", Kind::Signed16},
    {"Flag1", Kind::Byte},
    {"Flag2", Kind::Byte},
    {"Flag3", Kind::Byte},
    {"Flag4", Kind::Byte},
    {"Flag5", Kind::Byte},
    {"Flag6", Kind::Byte},
    {"Value3", Kind::Signed16},
    {"Text3", Kind::Text},
}};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimTrailingBlanks(std::string_view v) {
    while (!v.empty() && isBlank(v.back())) v.remove_suffix(1);
    return v;
}

bool isBlankLine(std::string_view line) {
    for (char c : line)
        if (!isBlank(c))
            return false;
    return true;
}

// The field's text for a message: at most 40 bytes, as UTF-8.
std::string shown(std::string_view sjis) {
    std::size_t len = platform::cp932PrefixLength(sjis, 40);
    std::string text = platform::cp932ToUtf8(sjis.substr(0, len)).text;
    if (len < sjis.size())
        text += "…";
    return "「" + text + "」";
}

std::string hexByte(unsigned char b) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}

// The first control character of a line (other than tab): a CSV never holds one, so the
// file is not a text file. A problem with its column, line not yet set.
std::optional<CsvProblem> firstControlCharacter(std::string_view line) {
    auto isControl = [](unsigned char b) {
        return static_cast<unsigned>((b < 0x20) & (b != '\t')) | static_cast<unsigned>(b == 0x7F);
    };
    // Blocks without a hit are passed over with a loop the compiler vectorises.
    constexpr std::size_t kBlock = 64;
    std::size_t at = 0;
    while (at < line.size()) {
        std::size_t end = std::min(at + kBlock, line.size());
        unsigned hit = 0;
        for (std::size_t i = at; i < end; ++i)
            hit |= isControl(static_cast<unsigned char>(line[i]));
        if (hit)
            break;
        at = end;
    }
    while (at < line.size() && !isControl(static_cast<unsigned char>(line[at]))) ++at;
    if (at == line.size())
        return std::nullopt;
    std::string_view before = line.substr(0, at);
    int column = 1 + static_cast<int>(std::count(before.begin(), before.end(), ','));
    return CsvProblem{0, column,
                      "制御文字（" + hexByte(static_cast<unsigned char>(line[at])) +
                          "）があります。テキストのファイルではないようです。"};
}

// Bytes that cannot be Shift-JIS text, shown with the byte after them.
std::optional<std::string> notShiftJisIn(std::string_view v) {
    std::optional<std::size_t> at = platform::firstInvalidCp932(v);
    if (!at)
        return std::nullopt;
    std::string bytes = hexByte(static_cast<unsigned char>(v[*at]));
    if (*at + 1 < v.size()) {
        bytes += ' ';
        bytes += hexByte(static_cast<unsigned char>(v[*at + 1]));
    }
    return "Shift-JIS の文字として読めないバイト（" + bytes + "）があります。";
}

const char* rangeText(Kind kind) {
    switch (kind) {
        case Kind::Id:
            return "-2147483648 ～ 2147483647";
        case Kind::Byte:
            return "0 ～ 255";
        case Kind::Pattern16:
            return "-32768 ～ 98303";
        case Kind::Signed16:
            return "-32768 ～ 32767";
        case Kind::Coord:
            return "-2147483648 ～ 6442450943";
        case Kind::Text:
            break;
    }
    return "";
}

// The rounded value of a number field as the record stores it, or nothing when it is
// outside the column's accepted range.
std::optional<std::int64_t> convertNumber(Kind kind, double v) {
    auto within = [](double r, double lo, double hi) -> std::optional<std::int64_t> {
        if (r < lo || r > hi)
            return std::nullopt;
        return static_cast<std::int64_t>(r);
    };
    switch (kind) {
        case Kind::Id:
            return within(std::nearbyint(v), -2147483648.0, 2147483647.0);
        case Kind::Byte:
            return within(std::nearbyint(v), 0, 255);
        case Kind::Pattern16: {
            auto r = within(std::nearbyint(v), -32768, 98303);
            if (r && *r > 32767)
                *r -= 65536;
            return r;
        }
        case Kind::Signed16:
            return within(std::nearbyint(v), -32768, 32767);
        case Kind::Coord:
            if (v > 2147483647.0)
                v -= 4294967296.0;
            return within(std::nearbyint(v), -2147483648.0, 2147483647.0);
        case Kind::Text:
            break;
    }
    return std::nullopt;
}

// Where each column's value goes in the record.
void storeNumber(pdb::FeatureAttrRec& r, int column, std::int64_t v) {
    auto u8 = static_cast<std::uint8_t>(v);
    auto u16 = static_cast<std::uint16_t>(v);
    auto s16 = static_cast<std::int16_t>(u16);
    switch (column) {
        case 1:
            r.ID = static_cast<std::uint32_t>(v);
            break;
        case 2:
            r.StatusCode = u8;
            break;
        case 3:
            r.SymbolCode = u8;
            break;
        case 4:
            r.UserData = u16;
            break;
        case 5:
            r.TopLeftX = s16;
            break;
        case 6:
            r.TopLeftY = s16;
            break;
        case 7:
            r.ExtentX = s16;
            break;
        case 8:
            r.ExtentY = s16;
            break;
        case 9:
            r.X = static_cast<std::int32_t>(v);
            break;
        case 10:
            r.Y = static_cast<std::int32_t>(v);
            break;
        case 13:
            r.Value1 = u16;
            break;
        case 14:
            r.Value2 = u16;
            break;
        case 15:
            r.Flag1 = u8;
            break;
        case 16:
            r.Flag2 = u8;
            break;
        case 17:
            r.Flag3 = u8;
            break;
        case 18:
            r.Flag4 = u8;
            break;
        case 19:
            r.Flag5 = u8;
            break;
        case 20:
            r.Flag6 = u8;
            break;
        case 21:
            r.Value3 = u16;
            break;
        default:
            break;
    }
}

std::span<std::uint8_t> textField(pdb::FeatureAttrRec& r, int column) {
    switch (column) {
        case 11:
            return r.Text1;
        case 12:
            return r.Text2;
        default:
            return r.Text3;
    }
}

struct Field {
    std::string_view value;
    bool quoted = false;
};

// Splits one line into its fields. Returns the problem (column set) when it cannot.
std::optional<CsvProblem> splitFields(std::string_view line,
                                      std::array<Field, kAttrCsvColumns>& fields) {
    std::size_t pos = 0;
    int count = 0;
    for (;;) {
        platform::CsvField f = platform::nextCsvField(line, pos);
        if (f.unclosed)
            return CsvProblem{0, count + 1, "閉じる二重引用符（\"）がありません。"};
        if (f.textAfterQuote)
            return CsvProblem{0, count + 1, "二重引用符（\"）で閉じた後に余分な文字があります。"};
        if (count == kAttrCsvColumns)
            return CsvProblem{0, count + 1,
                              "項目が多すぎます（1 行に 22 項目のところ、23 項目目があります）。"};
        fields[static_cast<std::size_t>(count++)] = {f.text, f.quoted};
        if (f.last)
            break;
    }
    if (count < kAttrCsvColumns)
        return CsvProblem{0, count + 1,
                          "項目が足りません（1 行に 22 項目必要ですが、" + std::to_string(count) +
                              " 項目しかありません）。"};
    return std::nullopt;
}

// Converts one field into the record; a text cut to its field is added to cuts (line not
// yet set).
std::optional<CsvProblem> convertField(const Field& f, int column, pdb::FeatureAttrRec& r,
                                       std::vector<TextCut>& cuts) {
    auto problem = [&](std::string what) { return CsvProblem{0, column, std::move(what)}; };
    Kind kind = kColumns[static_cast<std::size_t>(column - 1)].kind;
    if (kind == Kind::Text) {
        if (auto bad = notShiftJisIn(f.value))
            return problem(*bad);
        std::span<std::uint8_t> field = textField(r, column);
        std::string_view text = f.value;
        while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
        std::size_t kept = pdb::storeText(field, text);
        if (text.size() > field.size())
            cuts.push_back({0, column, text.size(), kept, field.size()});
        return std::nullopt;
    }
    std::string_view text = trimTrailingBlanks(f.value);
    if (text.empty())
        return problem("数値がありません。");
    platform::Number<double> v = platform::parseNumber<double>(text);
    if (v.status == platform::NumberStatus::NotNumber)
        return problem(shown(f.value) + " は数値ではありません。");
    if (v.status == platform::NumberStatus::OutOfRange)
        return problem(shown(f.value) + " は範囲外です（" + rangeText(kind) + "）。");
    std::optional<std::int64_t> stored = convertNumber(kind, v.value);
    if (!stored)
        return problem(shown(f.value) + " は範囲外です（" + rangeText(kind) + "）。");
    storeNumber(r, column, *stored);
    return std::nullopt;
}

}  // namespace

const char* attrCsvColumnName(int column) {
    if (column < 1 || column > kAttrCsvColumns)
        return "";
    return kColumns[static_cast<std::size_t>(column - 1)].name;
}

namespace {

CsvProblem sourceProblem(const platform::LineSource& lines) {
    if (lines.failure() == platform::LineSource::Failure::LineTooLong)
        return {lines.lineNumber() + 1, 0,
                "行が長すぎます（" + std::to_string(platform::LineSource::kMaxLine) +
                    " バイトを超えています）。CSV のファイルではないようです。"};
    return {lines.lineNumber() + 1, 0, "読み込みに失敗しました（" + lines.error() + "）。"};
}

// The first line that no CSV holds: a UTF-8 byte-order mark, control characters.
std::optional<CsvProblem> notTextProblem(platform::LineSource& lines) {
    std::string_view line;
    while (lines.next(line)) {
        if (lines.lineNumber() == 1 && line.starts_with("\xEF\xBB\xBF"))
            return CsvProblem{1, 0,
                              "UTF-8 のファイルのようです（先頭に BOM があります）。"
                              "CSV は Shift-JIS で保存してください。"};
        if (auto p = firstControlCharacter(line)) {
            p->line = lines.lineNumber();
            return p;
        }
    }
    if (lines.failed())
        return sourceProblem(lines);
    return std::nullopt;
}

}  // namespace

AttrCsvResult readAttrCsv(platform::LineSource& lines) {
    AttrCsvResult result;
    if ((result.problem = notTextProblem(lines)))
        return result;
    if (!lines.rewind()) {
        result.problem = sourceProblem(lines);
        return result;
    }
    std::array<Field, kAttrCsvColumns> fields;
    std::string_view line;
    while (lines.next(line)) {
        const std::size_t lineNumber = lines.lineNumber();
        if (isBlankLine(line))
            continue;
        auto fail = [&](CsvProblem p) {
            p.line = lineNumber;
            result.problem = std::move(p);
            return result;
        };
        if (result.records.size() == pdb::kMaxFeatureAttrRecs)
            return fail({0, 0,
                         "レコードが多すぎます（" + std::to_string(pdb::kMaxFeatureAttrRecs) +
                             " 件まで）。"});
        if (auto p = splitFields(line, fields))
            return fail(*p);
        pdb::FeatureAttrRec& rec = result.records.emplace_back();
        const std::size_t cutsBefore = result.cuts.size();
        for (int column = 1; column <= kAttrCsvColumns; ++column)
            if (auto p = convertField(fields[static_cast<std::size_t>(column - 1)], column, rec,
                                      result.cuts))
                return fail(*p);
        for (std::size_t i = cutsBefore; i < result.cuts.size(); ++i)
            result.cuts[i].line = lineNumber;
    }
    if (lines.failed())
        result.problem = sourceProblem(lines);
    return result;
}

AttrCsvResult readAttrCsv(std::string_view text) {
    platform::LineSource lines(text, platform::LineEnds::AnyEnd);
    return readAttrCsv(lines);
}

std::string describeCsvProblem(const std::string& path, const CsvProblem& problem) {
    std::string text = path + " の " + std::to_string(problem.line) + " 行目";
    if (problem.column > 0) {
        text += "、" + std::to_string(problem.column) + " 列目";
        const char* name = attrCsvColumnName(problem.column);
        if (*name)
            text += std::string("（") + name + "）";
    }
    return text + "：" + problem.what;
}

std::string describeTextCut(const std::string& path, const TextCut& cut) {
    std::string text = cut.bytes >= cut.fieldSize + 2 ? "エラー：compressDbcs\n" : "";
    return text +
           describeCsvProblem(
               path, {cut.line, cut.column,
                      "文字列が長すぎます（" + std::to_string(cut.bytes) + " バイト。この項目は " +
                          std::to_string(cut.fieldSize) + " バイトまでです）。" +
                          std::to_string(cut.kept) + " バイトに切り詰めて続けます。"});
}

}  // namespace converter
