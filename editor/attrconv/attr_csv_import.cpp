#include "editor/attrconv/attr_csv_import.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <type_traits>

#include "editor/attrconv/attr_csv_export.h"
#include "editor/model/kinds.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/text.h"

namespace editor {
namespace {

constexpr std::size_t kFixedCells = 10;
constexpr std::size_t kShownCellBytes = 40;

std::string quoted(const std::string& path) {
    return "「" + path + "」";
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool isBlankText(std::string_view s) {
    return std::all_of(s.begin(), s.end(), isBlank);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

struct ParsedInt {
    std::int64_t value = 0;
    bool junk = false;      // text other than blanks around the number
    bool overflow = false;  // beyond 64 bits
};

// Leading blanks, an optional sign, then digits up to the first other character; a
// cell without digits gives 0, one beyond 64 bits the nearest 64-bit value.
ParsedInt parseInt(std::string_view s) {
    ParsedInt r;
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    platform::Number<long long> n = platform::readNumber<long long>(s.substr(i));
    if (n.status == platform::NumberStatus::NotNumber) {
        r.junk = !isBlankText(s);
        return r;
    }
    r.overflow = n.status == platform::NumberStatus::OutOfRange;
    if (r.overflow)
        r.value = s[i] == '-' ? std::numeric_limits<std::int64_t>::min()
                              : std::numeric_limits<std::int64_t>::max();
    else
        r.value = n.value;
    i += n.length;
    while (i < s.size() && isBlank(s[i])) ++i;
    r.junk = i < s.size();
    return r;
}

// Decimal exponent of the first significant digit of an unsigned number text
// ("123.4" 2, "0.05" -2, "1e-50" -50); tells a number too large for a single from one
// too small for it.
long decimalExponent(std::string_view number) {
    std::size_t i = 0;
    long intDigits = 0;  // integer digits from the first non-zero one
    long fracZeros = 0;  // zeros after the point before the first non-zero digit
    bool nonZero = false;
    for (; i < number.size() && isDigit(number[i]); ++i) {
        if (nonZero || number[i] != '0') {
            nonZero = true;
            ++intDigits;
        }
    }
    const bool intPartNonZero = nonZero;
    if (i < number.size() && number[i] == '.') {
        for (++i; i < number.size() && isDigit(number[i]); ++i) {
            if (!nonZero && number[i] == '0')
                ++fracZeros;
            else
                nonZero = true;
        }
    }
    long exponent = 0;
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        std::string_view e = number.substr(i + 1);
        const bool negative = !e.empty() && e[0] == '-';
        if (!e.empty() && (e[0] == '-' || e[0] == '+'))
            e.remove_prefix(1);
        for (char c : e) exponent = std::min(exponent * 10 + (c - '0'), 1000000L);
        if (negative)
            exponent = -exponent;
    }
    return (intPartNonZero ? intDigits - 1 : -(fracZeros + 1)) + exponent;
}

struct ParsedReal {
    float value = 0.0f;
    bool junk = false;
    bool overflow = false;  // beyond the single-precision range
};

// Leading blanks, an optional sign, digits, a decimal point and an exponent; a cell
// without a number gives 0. Rounded once, straight from the decimal text to single
// precision.
ParsedReal parseReal(std::string_view s) {
    ParsedReal r;
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    platform::Number<float> n = platform::readNumber<float>(s.substr(i));
    if (n.status == platform::NumberStatus::NotNumber) {
        r.junk = !isBlankText(s);
        return r;
    }
    r.value = n.value;
    if (n.status == platform::NumberStatus::OutOfRange) {
        // Too large for a single, or too small to be anything but zero.
        const std::size_t sign = s[i] == '-' || s[i] == '+' ? 1 : 0;
        const bool tiny = decimalExponent(s.substr(i + sign, n.length - sign)) < 0;
        r.value = tiny ? 0.0f : std::numeric_limits<float>::max();
        if (sign && s[i] == '-')
            r.value = -r.value;
        r.overflow = !tiny;
    }
    i += n.length;
    while (i < s.size() && isBlank(s[i])) ++i;
    r.junk = i < s.size();
    return r;
}

// Name of cell i (0-based) as row 1 names it.
std::string columnName(const CsvShape& shape, std::size_t i) {
    static const char* const kFixed[kFixedCells] = {
        "項目名称(ID)", "StatusCode", "SymbolCode", "UserData", "TopLeftX",
        "TopLeftY",     "ExtentX",    "ExtentY",    "X",        "Y"};
    if (i < kFixedCells)
        return kFixed[i];
    std::size_t k = i - kFixedCells;
    const std::pair<const char*, std::size_t> groups[] = {
        {"Cmb", shape.cmb}, {"Int", shape.ints}, {"Real", shape.reals}, {"Str", shape.strColumns}};
    for (const auto& [name, count] : groups) {
        if (k < count)
            return std::string(name) + "[" + std::to_string(k + 1) + "]";
        k -= count;
    }
    return "（余分な列）";
}

std::string hexBytes(std::string_view bytes) {
    std::string text;
    for (unsigned char b : bytes) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%s0x%02X", text.empty() ? "" : " ", b);
        text += buf;
    }
    return text;
}

// "「path」の N 行目、M 列目（name）：" for the byte at offset at of the CSV.
std::string placeOf(std::string_view csv, std::size_t at, const CsvShape& shape,
                    const std::string& path) {
    std::string_view before = csv.substr(0, at);
    const std::size_t lineStart =
        before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
    const auto line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const auto column = static_cast<std::size_t>(
        std::count(before.begin() + std::ptrdiff_t(lineStart), before.end(), ','));
    return quoted(path) + "の " + std::to_string(line) + " 行目、" + std::to_string(column + 1) +
           " 列目（" + columnName(shape, column) + "）：";
}

// Text the CSV was not saved as Shift-JIS in: a UTF-8 byte-order mark; text that is all
// UTF-8 with characters beyond ASCII (short UTF-8 texts can pass for code page 932
// too, whole files practically never); bytes that are no code page 932 text at all.
std::optional<std::string> encodingProblem(std::string_view csv, const CsvShape& shape,
                                           const std::string& path) {
    constexpr const char* kSaveAsShiftJis = "CSV は Shift-JIS で保存して下さい。";
    if (csv.starts_with("\xEF\xBB\xBF"))
        return quoted(path) + "の 1 行目：UTF-8 のファイルのようです（先頭に BOM があります）。" +
               kSaveAsShiftJis;
    auto nonAscii = std::find_if(csv.begin(), csv.end(),
                                 [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (nonAscii != csv.end() && !platform::firstInvalidUtf8(csv)) {
        const auto at = static_cast<std::size_t>(nonAscii - csv.begin());
        return placeOf(csv, at, shape, path) + "UTF-8 の文字があります。" + kSaveAsShiftJis;
    }
    if (std::optional<std::size_t> at = platform::firstInvalidCp932(csv)) {
        return placeOf(csv, *at, shape, path) + "Shift-JIS の文字として読めないバイト（" +
               hexBytes(csv.substr(*at, 2)) + "）があります。" + kSaveAsShiftJis;
    }
    return std::nullopt;
}

// Fills one record from one line of the CSV.
class RowFiller {
  public:
    RowFiller(CsvCellReader& reader, const CsvShape& shape, ImportResult& result)
        : reader_(reader), shape_(shape), result_(result) {}

    void fill(pdb::AttrRec& rec) {
        line_ = reader_.line();
        column_ = 0;
        ended_ = false;
        readInt(rec.ID);
        readInt(rec.StatusCode);
        readInt(rec.SymbolCode);
        readInt(rec.UserData);
        readInt(rec.TopLeftX);
        readInt(rec.TopLeftY);
        readInt(rec.ExtentX);
        readInt(rec.ExtentY);
        readInt(rec.X);
        readInt(rec.Y);
        for (std::size_t k = 0; k < shape_.cmb; ++k) readInt(rec.Cmb[k]);
        for (std::size_t k = 0; k < shape_.ints; ++k) readInt(rec.Int[k]);
        for (std::size_t k = 0; k < shape_.reals; ++k) readReal(rec.Real[k]);
        for (std::size_t k = 0; k < shape_.strs; ++k) readText(rec.Str[k]);
        // Without string texts the file still carries one Str[1] column: skip it.
        if (shape_.strs == 0)
            nextCell();
        skipRestOfRow();
    }

  private:
    // The next cell of the row, or nothing once the row has ended.
    bool nextCell() {
        if (ended_)
            return false;
        cell_ = reader_.ReadCell(',');
        ++column_;
        ended_ = cell_.end == CsvCellReader::End::LineEnd;
        return true;
    }

    template <typename Field>
    void readInt(Field& field) {
        if (!nextCell())
            return;
        if (cell_.cut())
            note(ImportProblem::Kind::CellTooLong, {});
        ParsedInt parsed = parseInt(cell_.text);
        using Unsigned = std::make_unsigned_t<Field>;
        field = static_cast<Field>(static_cast<Unsigned>(static_cast<std::uint64_t>(parsed.value)));
        constexpr int kBits = std::numeric_limits<Unsigned>::digits;
        constexpr std::int64_t kLow = -(std::int64_t{1} << (kBits - 1));
        constexpr std::int64_t kHigh = (std::int64_t{1} << kBits) - 1;
        if (parsed.junk)
            note(ImportProblem::Kind::NotANumber, std::to_string(+field));
        else if (parsed.overflow || parsed.value < kLow || parsed.value > kHigh)
            note(ImportProblem::Kind::OutOfRange, std::to_string(+field));
    }

    void readReal(float& field) {
        if (!nextCell())
            return;
        if (cell_.cut())
            note(ImportProblem::Kind::CellTooLong, {});
        ParsedReal parsed = parseReal(cell_.text);
        field = parsed.value;
        if (parsed.junk)
            note(ImportProblem::Kind::NotANumber, std::to_string(field));
        else if (parsed.overflow)
            note(ImportProblem::Kind::OutOfRange, std::to_string(field));
    }

    void readText(std::array<char, pdb::kStrValueSize>& field) {
        if (!nextCell())
            return;
        setFieldText(field, cell_.text);
        if (cell_.fullLength > pdb::kStrValueSize - 1)
            note(ImportProblem::Kind::TextTooLong, {});
    }

    // Cells past the last expected one are not read into the record; they are worth a
    // word only when they hold something.
    void skipRestOfRow() {
        bool reported = false;
        while (nextCell()) {
            if (!reported && !isBlankText(cell_.text)) {
                note(ImportProblem::Kind::ExtraCells, {});
                reported = true;
            }
        }
    }

    void note(ImportProblem::Kind kind, std::string stored) {
        ++result_.problemCount;
        if (result_.problems.size() >= kMaxListedProblems)
            return;
        ImportProblem p{
            kind, line_, column_, columnName(shape_, column_ - 1), {}, std::move(stored)};
        const std::size_t shown = platform::cp932PrefixLength(cell_.text, kShownCellBytes);
        p.cell = std::string(cell_.text.substr(0, shown));
        if (shown < cell_.fullLength)
            p.cell += "...";
        result_.problems.push_back(std::move(p));
    }

    CsvCellReader& reader_;
    const CsvShape& shape_;
    ImportResult& result_;
    CsvCellReader::Cell cell_;
    std::size_t line_ = 0;
    std::size_t column_ = 0;
    bool ended_ = false;
};

std::string problemText(const ImportProblem& p) {
    platform::TextConversion shown = platform::cp932ToUtf8(p.cell);
    std::string cell = "「" + shown.text + (shown.ok ? "" : "…") + "」";
    switch (p.kind) {
        case ImportProblem::Kind::CellTooLong:
            return "セルが255バイトを超えているため、255バイトまでを読みます。";
        case ImportProblem::Kind::TextTooLong:
            return "文字列が31バイトを超えているため、31バイトまでを格納します。";
        case ImportProblem::Kind::NotANumber:
            return cell + "は数値ではありません。" + p.stored + " を格納します。";
        case ImportProblem::Kind::OutOfRange:
            return cell + "は範囲外です。" + p.stored + " を格納します。";
        case ImportProblem::Kind::ExtraCells:
            return "列が多すぎます。この列からあとは読み飛ばします。";
    }
    return {};
}

}  // namespace

CsvCellReader::Cell CsvCellReader::ReadCell(char delimiter) {
    Cell cell;
    if (!inLine_) {
        if (!lines_.next(text_))
            return cell;  // the end of the text ends an empty cell
        pos_ = 0;
        inLine_ = true;
    }
    platform::CsvField f = platform::nextCsvField(text_, pos_, {false, false, delimiter});
    inLine_ = !f.last;
    cell.end = f.last ? End::LineEnd : End::Delimiter;
    cell.fullLength = f.text.size();
    cell.text = f.text.size() > kCellBytes
                    ? f.text.substr(0, platform::cp932PrefixLength(f.text, kCellBytes))
                    : f.text;
    return cell;
}

void CsvCellReader::skipLine() {
    std::string_view rest;
    if (inLine_)
        inLine_ = false;
    else
        lines_.next(rest);
}

std::size_t CsvCellReader::line() const {
    const std::size_t n = lines_.lineNumber();
    if (inLine_ || (n > 0 && lines_.exhausted() && !csv_.ends_with('\n')))
        return n;
    return n + 1;
}

namespace {

ImportResult importText(pdb::PdbImage& image, std::string_view csv, const std::string& path) {
    ImportResult result;
    auto refuse = [&](std::string message) {
        result.ok = false;
        result.message = std::move(message);
        return result;
    };
    // An empty file may come without any bytes to point at.
    const void* nul = csv.empty() ? nullptr : std::memchr(csv.data(), '\0', csv.size());
    if (nul) {
        auto at = static_cast<std::size_t>(static_cast<const char*>(nul) - csv.data());
        std::size_t line =
            1 + static_cast<std::size_t>(std::count(csv.begin(), csv.begin() + at, '\n'));
        return refuse(quoted(path) + "はテキストファイルではありません（" + std::to_string(line) +
                      " 行目にNUL文字があります）。");
    }
    CsvCellReader reader(csv);
    for (std::size_t row = 0; row < kCsvHeaderRows; ++row) {
        if (reader.atEnd()) {
            return refuse(quoted(path) + "は見出しの4行の途中で終わっています（" +
                          std::to_string(row) + " 行しかありません）。");
        }
        reader.skipLine();
    }
    auto lineTooLong = [&] {
        return quoted(path) + "の " + std::to_string(reader.line()) + " 行目が長すぎます（" +
               std::to_string(platform::LineSource::kMaxLine) +
               " バイトを超えています）。テキストのファイルではないようです。";
    };
    if (reader.failed())
        return refuse(lineTooLong());
    // Every line after the header rows is a row, a last one without its line end too.
    const std::size_t lines = static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')) +
                              (!csv.empty() && csv.back() != '\n' ? 1 : 0);
    const std::size_t rows = lines - kCsvHeaderRows;
    if (rows > kMaxAttrRecords) {
        return refuse(quoted(path) + "のデータ行が多すぎます（" + std::to_string(rows) +
                      " 行）。属性PDBファイルに入るのは " + std::to_string(kMaxAttrRecords) +
                      " 行までです。");
    }

    const CsvShape shape = csvShapeOf(image.designs.front());
    if (std::optional<std::string> problem = encodingProblem(csv, shape, path))
        return refuse(std::move(*problem));
    decltype(image.attrRecs) records(rows + 1);  // zero-filled, with the spare
    RowFiller filler(reader, shape, result);
    for (std::size_t i = 0; i < rows; ++i) filler.fill(records[i]);
    if (reader.failed())
        return refuse(lineTooLong());

    image.attrRecs = std::move(records);
    image.listHeader.iRecNum = static_cast<std::uint16_t>(rows + 1);
    result.records = rows;
    return result;
}

}  // namespace

ImportResult ImportAttributesCsvText(pdb::PdbImage& image, std::string_view csv,
                                     const std::string& path) {
    try {
        return importText(image, csv, path);
    } catch (const std::bad_alloc&) {
        ImportResult result;
        result.ok = false;
        result.message = quoted(path) + "を読み込むためのメモリが足りません（" +
                         std::to_string(csv.size()) + " バイト）。";
        return result;
    }
}

ImportResult ImportAttributesCsv(pdb::PdbImage& image, const std::string& path) {
    // Mapped rather than read: the file is walked a few times front to back, and a large
    // one need not fit in memory beside the records made from it.
    platform::Result<platform::MappedFile> file = platform::MappedFile::open(path);
    if (!file) {
        ImportResult result;
        result.ok = false;
        result.message = quoted(path) + "を読み込めません（" + file.error() + "）。";
        return result;
    }
    std::string_view csv(reinterpret_cast<const char*>(file->data()), file->size());
    return ImportAttributesCsvText(image, csv, path);
}

std::string describeProblems(const ImportResult& result, const std::string& path) {
    std::string text = "CSVファイル" + quoted(path);
    text += "には、そのままでは格納できないセルが ";
    text += std::to_string(result.problemCount);
    text += " 件あります。";
    for (const ImportProblem& p : result.problems) {
        text += '\n';
        text += std::to_string(p.line);
        text += " 行目 ";
        text += std::to_string(p.column);
        text += " 列目 ";
        text += p.field;
        text += ": ";
        text += problemText(p);
    }
    if (result.problemCount > result.problems.size()) {
        text += "\n（ほか ";
        text += std::to_string(result.problemCount - result.problems.size());
        text += " 件）";
    }
    return text;
}

}  // namespace editor
