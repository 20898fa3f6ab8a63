#include "converter/dm/dm_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "platform/cp932.h"
#include "platform/text.h"

namespace dm {
namespace {

// Thrown inside the reader only; DmReader::next turns it into a Failed event.
class ReadFailure : public std::runtime_error {
  public:
    explicit ReadFailure(const std::string& what, bool unitCode = false)
        : std::runtime_error(what), atUnitCode(unitCode) {}
    bool atUnitCode;
};

// The file itself ends or cannot be read: never a fault of one element alone.
class FileFailure : public ReadFailure {
  public:
    using ReadFailure::ReadFailure;
};

// A fixed-column field: columns first to last (1-based, inclusive) and its name.
struct Field {
    int first;
    int last;
    const char* name;
};

// A number field: a sign, digits and a decimal point; no exponent.
constexpr platform::NumberSyntax kDmNumber{.plusSign = true, .exponent = false};

constexpr Field kSheetCheck{66, 67, "「M 」レコードの数値欄"};
constexpr Field kSheetName{3, 9, "図郭名"};
constexpr Field kNmin{1, 7, "最小北座標"};
constexpr Field kEmin{8, 14, "最小東座標"};
constexpr Field kNmax{15, 21, "最大北座標"};
constexpr Field kEmax{22, 28, "最大東座標"};
constexpr Field kUnitCode{45, 47, "座標値の単位"};
constexpr Field kGroupSize{19, 23, "要素数"};
constexpr Field kClassPrefix{3, 4, "分類コード上位"};
constexpr Field kClassCode{3, 6, "分類コード"};
constexpr Field kDataKind{21, 21, "データ区分"};
constexpr Field kPointCount{28, 31, "点数"};
constexpr Field kLineCount{32, 35, "座標行数"};
constexpr Field kExtraCount{32, 35, "付属行数"};
constexpr Field kCharCount{28, 31, "文字数"};
constexpr Field kAnchorNorth{36, 42, "注記の北座標"};
constexpr Field kAnchorEast{43, 49, "注記の東座標"};
constexpr std::size_t kTextFirst = 20;  // columns 21–84 of a text line (0-based start)
constexpr std::size_t kTextWidth = 64;

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// File text shown in a message: converted to UTF-8, bytes that are not valid
// Shift-JIS as \xNN.
std::string shown(std::string_view sjis) {
    platform::TextConversion c = platform::cp932ToUtf8(sjis);
    if (c.ok)
        return c.text;
    std::string out;
    for (unsigned char b : sjis) {
        if (b >= 0x20 && b < 0x7F) {
            out += static_cast<char>(b);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", b);
            out += hex;
        }
    }
    return out;
}

std::string columns(const Field& f) {
    if (f.first == f.last)
        return std::to_string(f.first) + "桁";
    return std::to_string(f.first) + "-" + std::to_string(f.last) + "桁";
}

// The code of a record as it is shown: its first two bytes.
std::string codeOf(const DmLine& line) {
    return shown(line.text.substr(0, 2));
}

// "E1" to "E7" → 1 to 7; any other code 0.
int elementCode(std::string_view code) {
    if (code.size() == 2 && code[0] == 'E' && code[1] >= '1' && code[1] <= '7')
        return code[1] - '0';
    return 0;
}

}  // namespace

std::optional<double> unitFactor(int unitCode) {
    switch (unitCode) {
        case 1:
            return 1.0;
        case 10:
            return 10.0;
        case 999:
            return 1000.0;
        default:
            return std::nullopt;
    }
}

bool parseDecimal(std::string_view t, double& value) {
    platform::Number<double> n = platform::parseNumber<double>(t, kDmNumber);
    if (n.status != platform::NumberStatus::Ok)
        return false;
    value = n.value;
    return true;
}

namespace {

// Field access for one file; every failure throws ReadFailure with the full message.
class Fields {
  public:
    explicit Fields(const std::string& fileName) : fileName_(fileName) {}

    std::string where(std::size_t line) const {
        return fileName_ + " " + std::to_string(line) + "行目";
    }
    std::string where(const DmLine& line, const Field& f) const {
        return where(line.number) + " " + columns(f) + "（" + f.name + "）";
    }

    std::string_view text(const DmLine& line, const Field& f) const {
        if (line.text.size() < static_cast<std::size_t>(f.last))
            throw ReadFailure(where(line.number) + "が短すぎます: " + columns(f) + "（" + f.name +
                              "）がありません（行の長さ " + std::to_string(line.text.size()) +
                              " バイト）");
        return line.text.substr(static_cast<std::size_t>(f.first - 1),
                                static_cast<std::size_t>(f.last - f.first + 1));
    }

    double number(const DmLine& line, const Field& f) const {
        if (line.text.size() >= static_cast<std::size_t>(f.last)) {
            std::string_view t =
                trimBlanks(line.text.substr(static_cast<std::size_t>(f.first - 1),
                                            static_cast<std::size_t>(f.last - f.first + 1)));
            platform::Number<double> n = platform::parseNumber<double>(t, kDmNumber);
            if (n.status == platform::NumberStatus::Ok)
                return n.value;
        }
        notANumber(line, f);
    }

    // Why the field is no number: the line is too short for it, it is empty, or it holds
    // something else.
    [[noreturn]] void notANumber(const DmLine& line, const Field& f) const {
        std::string_view raw = text(line, f);
        if (trimBlanks(raw).empty())
            throw ReadFailure(where(line, f) + "が空です");
        throw ReadFailure(where(line, f) + "が数値ではありません: 「" + shown(raw) + "」");
    }

    long integer(const DmLine& line, const Field& f, long min, long max) const {
        double v = number(line, f);
        if (v != std::floor(v))
            throw ReadFailure(where(line, f) + "が整数ではありません: 「" +
                              shown(trimBlanks(text(line, f))) + "」");
        if (v < static_cast<double>(min) || v > static_cast<double>(max))
            throw ReadFailure(where(line, f) + "の値 " + converter::formatReal(v) +
                              " が範囲外です（" + std::to_string(min) + "～" + std::to_string(max) +
                              "）");
        return static_cast<long>(v);
    }

  private:
    const std::string& fileName_;
};

}  // namespace

std::string lineSourceFailure(const platform::LineSource& lines, const std::string& fileName) {
    if (lines.failure() == platform::LineSource::Failure::LineTooLong)
        return fileName + " " + std::to_string(lines.lineNumber() + 1) + "行目が長すぎます（" +
               std::to_string(platform::LineSource::kMaxLine) +
               " バイトを超えています）。DMファイルではないようです。";
    return "DMファイル「" + fileName + "」を" + std::to_string(lines.lineNumber() + 1) +
           "行目で読めなくなりました（" + lines.error() + "）。";
}

platform::Result<std::uint64_t> estimateStream(platform::LineSource& lines,
                                               const std::string& fileName) {
    using Estimate = platform::Result<std::uint64_t>;
    std::uint64_t bytes = 0;
    Fields fields(fileName);
    DmLine line;
    bool sheet = false;
    try {
        while (lines.next(line.text)) {
            line.number = lines.lineNumber();
            if (line.text.size() < 2)
                continue;
            if (line.text[0] == 'E' && (line.text[1] == '1' || line.text[1] == '2')) {
                long n = fields.integer(line, kPointCount, 0, 9999);
                bytes += 16 + 4 * static_cast<std::uint64_t>(n + (n & 1));
            } else if (line.text[0] == 'M' && line.text[1] == ' ') {
                sheet = true;
            }
        }
    } catch (const ReadFailure& f) {
        return Estimate::failure(f.what());
    }
    if (lines.failed())
        return Estimate::failure(lineSourceFailure(lines, fileName));
    if (!sheet)
        return Estimate::failure(
            "「" + fileName + "」はDMファイルではありません（「M 」レコードがありません" +
            (lines.lineNumber() == 0 ? "。ファイルが空です" : "") + "）。何も作成しませんでした。");
    return bytes;
}

platform::Result<std::uint64_t> estimateStream(std::string_view data, const std::string& fileName) {
    platform::LineSource lines(data);
    return estimateStream(lines, fileName);
}

DmReader::DmReader(platform::LineSource& lines, std::string fileName)
    : lines_(lines), fileName_(std::move(fileName)) {}

DmReader::DmReader(std::string_view data, std::string fileName)
    : ownLines_(std::in_place, data), lines_(*ownLines_), fileName_(std::move(fileName)) {}

bool DmReader::nextLine(DmLine& line) {
    if (lines_.next(line.text)) {
        line.number = lines_.lineNumber();
        return true;
    }
    if (lines_.failed())
        throw FileFailure(lineSourceFailure(lines_, fileName_));
    return false;
}

DmEvent DmReader::next() {
    if (failed_)
        return DmEvent::Failed;
    try {
        return step();
    } catch (const ReadFailure& f) {
        failed_ = true;
        failedAtUnit_ = f.atUnitCode;
        failure_ = f.what();
        return DmEvent::Failed;
    }
}

DmEvent DmReader::step() {
    for (;;) {
        if (groupLeft_ > 0) {
            if (std::optional<DmEvent> ev = readGroupElement())
                return *ev;
            continue;
        }
        DmLine line;
        if (!nextLine(line))
            return DmEvent::End;
        std::string_view code = line.text.substr(0, 2);
        if (code == "M ") {
            readSheet(line);
            return DmEvent::Sheet;
        }
        if (code == "H ")
            startGroup(line);
        else if (everyElement_ && code.size() == 2 && code[0] == 'E' && code[1] >= '0' &&
                 code[1] <= '9')
            return skip(line, elementCode(code), SkipReason::OutsideGroup, 0);
        // "I ", "G ", element records outside a group and anything else: nothing.
    }
}

DmLine DmReader::nextLineOrFail(const DmLine& owner, const char* what, long have, long want) {
    // The owner's bytes lie in the source's buffer, which the next read may reuse.
    const char code[2] = {owner.text.size() > 0 ? owner.text[0] : ' ',
                          owner.text.size() > 1 ? owner.text[1] : ' '};
    DmLine line;
    if (!nextLine(line))
        throw FileFailure(fileName_ + ": " + std::to_string(lines_.lineNumber()) +
                          "行目でファイルが終わっています。" + std::to_string(owner.number) +
                          "行目の「" + shown(std::string_view(code, 2)) + "」レコードの" + what +
                          " " + std::to_string(want) + " 行のうち " + std::to_string(have) +
                          " 行しかありません");
    return line;
}

void DmReader::readSheet(const DmLine& first) {
    Fields fields(fileName_);
    fields.number(first, kSheetCheck);
    DmLine second;
    if (!nextLine(second))
        throw ReadFailure(fileName_ + ": " + std::to_string(first.number) +
                          "行目の「M 」レコードの2行目がありません（ファイルの終わり）");
    SheetRecord s;
    s.line = first.number;
    s.name = shown(trimBlanks(fields.text(first, kSheetName)));
    s.nmin = fields.number(second, kNmin);
    s.emin = fields.number(second, kEmin);
    s.nmax = fields.number(second, kNmax);
    s.emax = fields.number(second, kEmax);
    std::string_view unitText = fields.text(second, kUnitCode);
    double unit = 0;
    std::optional<double> f;
    if (parseDecimal(trimBlanks(unitText), unit) && unit == std::floor(unit) &&
        std::fabs(unit) < 1000)
        f = unitFactor(static_cast<int>(unit));
    if (!f)
        throw ReadFailure("座標値の単位の値が間違っています！\n" + fields.where(second, kUnitCode) +
                              ": 「" + shown(unitText) + "」（1, 10, 999 のどれか）",
                          true);
    s.unitCode = static_cast<int>(unit);
    std::optional<converter::SheetTransform> t =
        converter::ReadExtent(s.nmin, s.emin, s.nmax, s.emax, *f, 1);
    if (!t)
        throw ReadFailure(fields.where(second.number) + ": 図郭の範囲が不正です（最小北座標 " +
                          converter::formatReal(s.nmin) + "、最大北座標 " +
                          converter::formatReal(s.nmax) + "、最小東座標 " +
                          converter::formatReal(s.emin) + "、最大東座標 " +
                          converter::formatReal(s.emax) + "）");
    s.transform = *t;
    sheet_ = s;
    haveSheet_ = true;
}

void DmReader::startGroup(const DmLine& header) {
    Fields fields(fileName_);
    if (!haveSheet_)
        throw ReadFailure(fields.where(header.number) +
                          ": 「M 」レコードより前に要素グループ（「H 」レコード）があります");
    groupSize_ = fields.integer(header, kGroupSize, 0, 99999);
    groupLeft_ = groupSize_;
    groupLine_ = header.number;
}

std::optional<DmEvent> DmReader::readGroupElement() {
    Fields fields(fileName_);
    DmLine record;
    long index = groupSize_ - groupLeft_ + 1;
    if (!nextLine(record))
        throw FileFailure(fileName_ + ": " + std::to_string(lines_.lineNumber()) +
                          "行目でファイルが終わっています。" + std::to_string(groupLine_) +
                          "行目の「H 」レコードの要素 " + std::to_string(groupSize_) +
                          " 個のうち " + std::to_string(index - 1) + " 個しかありません");
    --groupLeft_;
    std::string_view codeText = record.text.substr(0, 2);
    if (codeText == "H " || codeText == "M ")
        throw ReadFailure(fields.where(record.number) + ": " + std::to_string(groupLine_) +
                          "行目の「H 」レコードの要素 " + std::to_string(index) +
                          " 個目のはずの行が「" + codeOf(record) + "」レコードです（要素数 " +
                          std::to_string(groupSize_) + " が多すぎます）");
    fields.integer(record, kClassPrefix, 0, 255);
    const int code = elementCode(codeText);
    if (code == 1 || code == 2) {
        if (readLineElement(record))
            return DmEvent::LineElement;
        return std::nullopt;
    }
    const long lines = followingLines(record, code);
    if (!everyElement_) {
        skipLines(record, lines, "付属行");
        return std::nullopt;
    }
    switch (code) {
        case 3:
        case 4:
            if (drawAll_)
                return readCurve(record, code, lines);
            return skip(record, code, SkipReason::NotRequested, lines);
        case 7:
            if (drawAll_)
                return readAnnotation(record, lines);
            return skip(record, code, SkipReason::NotRequested, lines);
        case 5:
        case 6:
            return skip(record, code, SkipReason::NoPointKind, lines);
        default:
            return skip(record, code, SkipReason::UnknownCode, lines);
    }
}

// Columns 32–35 for every element record. Where an "E5", an "E7" or a record of an unknown
// code leaves them empty or gives no count, the old rule: one line after "E7", none after
// the others.
long DmReader::followingLines(const DmLine& record, int code) {
    Fields fields(fileName_);
    if (code == 3 || code == 4 || code == 6)
        return fields.integer(record, kExtraCount, 0, 9999);
    const long fallback = code == 7 ? 1 : 0;
    try {
        return fields.integer(record, kExtraCount, 0, 9999);
    } catch (const ReadFailure&) {
        return fallback;
    }
}

void DmReader::skipLines(const DmLine& record, long count, const char* what) {
    for (long i = 0; i < count; ++i) nextLineOrFail(record, what, i, count);
}

DmEvent DmReader::skip(const DmLine& record, int code, SkipReason reason, long lines,
                       std::string detail) {
    SkippedRecord& s = skipped_;
    s.line = record.number;
    s.code = code;
    s.codeText = codeOf(record);
    s.classText = record.text.size() > 2
                      ? shown(trimBlanks(record.text.substr(
                            2, std::min<std::size_t>(4, record.text.size() - 2))))
                      : std::string();
    s.reason = reason;
    s.detail = std::move(detail);
    // The record's bytes go with the next read: everything is taken from it by now.
    skipLines(record, lines, "付属行");
    return DmEvent::Skipped;
}

void DmReader::readElementHeader(const DmLine& record, LineElementRecord& e) {
    Fields fields(fileName_);
    e.line = record.number;
    e.isE1 = record.text[1] == '1';
    e.code = record.text[1] - '0';
    e.classPrefix = static_cast<int>(fields.integer(record, kClassPrefix, 0, 255));
    e.classCode = static_cast<int>(fields.integer(record, kClassCode, -999, 9999));
    long kind = fields.integer(record, kDataKind, 0, 9);
    if (kind != 2 && kind != 3 && kind != 6)
        throw ReadFailure(fields.where(record, kDataKind) + "が 2, 3, 6 のどれでもありません: 「" +
                          shown(fields.text(record, kDataKind)) + "」");
    e.dataKind = static_cast<int>(kind);
    e.pointsPerLine = kind == 2 ? 6 : 4;
    e.pointCount = static_cast<int>(fields.integer(record, kPointCount, 0, 9999));
    e.lineCount = static_cast<int>(fields.integer(record, kLineCount, 0, 9999));
    if (e.pointCount > e.lineCount * e.pointsPerLine)
        throw ReadFailure(fields.where(record.number) + ": 点数 " + std::to_string(e.pointCount) +
                          " が座標行 " + std::to_string(e.lineCount) + " 行（1行 " +
                          std::to_string(e.pointsPerLine) + " 点）に収まりません");
    e.points.clear();
}

void DmReader::readCoordinateLines(const DmLine& record, LineElementRecord& e) {
    Fields fields(fileName_);
    const int width = e.dataKind == 2 ? 14 : 21;
    const std::size_t recordLine = record.number;
    for (int j = 0; j < e.lineCount; ++j) {
        DmLine line = nextLineOrFail(record, "座標行", j, e.lineCount);
        ++linesRead_;
        int first = j * e.pointsPerLine;
        int stop = std::min(e.pointCount, first + e.pointsPerLine);
        for (int k = first; k < stop; ++k) {
            int col = (k - first) * width + 1;
            RawPoint p;
            try {
                p.north = fields.number(line, Field{col, col + 6, "北座標"});
                p.east = fields.number(line, Field{col + 7, col + 13, "東座標"});
                if (width == 21)
                    fields.number(line, Field{col + 14, col + 20, "高さ"});
            } catch (const ReadFailure& f) {
                throw ReadFailure(std::string(f.what()) + "（" + std::to_string(recordLine) +
                                  "行目の要素の第 " + std::to_string(k + 1) + " 点）");
            }
            e.points.push_back(p);
        }
    }
}

bool DmReader::readLineElement(const DmLine& record) {
    LineElementRecord& e = element_;
    readElementHeader(record, e);
    if (wanted_ && !wanted_(e)) {
        skipLines(record, e.lineCount, "座標行");
        return false;
    }
    readCoordinateLines(record, e);
    return true;
}

// A circle or arc: its three defining points in coordinate lines laid out as those of a
// line element. A fault in its own fields passes it over as Unreadable (the lines columns
// 32–35 announce are still consumed); the end of the file stops the reading.
DmEvent DmReader::readCurve(const DmLine& record, int code, long lines) {
    // The record's bytes go with the first line read after it.
    const std::size_t number = record.number;
    const std::string codeText = codeOf(record);
    const std::string classText(trimBlanks(record.text.substr(2, 4)));
    linesRead_ = 0;
    try {
        readElementHeader(record, element_);
        if (element_.pointCount != 3)
            throw ReadFailure(Fields(fileName_).where(record, kPointCount) +
                              "が 3 ではありません: " + std::to_string(element_.pointCount));
        readCoordinateLines(record, element_);
        return DmEvent::LineElement;
    } catch (const FileFailure&) {
        throw;
    } catch (const ReadFailure& f) {
        SkippedRecord& s = skipped_;
        s.line = number;
        s.code = code;
        s.codeText = codeText;
        s.classText = shown(classText);
        s.reason = SkipReason::Unreadable;
        s.detail = f.what();
        skipLines(DmLine{number, s.codeText}, lines - linesRead_, "付属行");
        return DmEvent::Skipped;
    }
}

// An annotation: anchor and text counts from the record, the text from columns 21–84 of
// the lines that follow it.
DmEvent DmReader::readAnnotation(const DmLine& record, long lines) {
    Fields fields(fileName_);
    AnnotationRecord& a = annotation_;
    a = AnnotationRecord();
    a.line = record.number;
    std::optional<long> chars;
    try {
        a.classPrefix = static_cast<int>(fields.integer(record, kClassPrefix, 0, 255));
        a.classCode = static_cast<int>(fields.integer(record, kClassCode, -999, 9999));
        a.anchor.north = fields.number(record, kAnchorNorth);
        a.anchor.east = fields.number(record, kAnchorEast);
        try {
            chars = fields.integer(record, kCharCount, 0, 9999);
        } catch (const ReadFailure&) {
            // No count: the whole text, less trailing blanks.
        }
    } catch (const ReadFailure& f) {
        return skip(record, 7, SkipReason::Unreadable, lines, f.what());
    }
    const DmLine owner{record.number, "E7"};
    for (long i = 0; i < lines; ++i) {
        DmLine line = nextLineOrFail(owner, "付属行", i, lines);
        std::string_view t =
            line.text.size() > kTextFirst ? line.text.substr(kTextFirst, kTextWidth) : "";
        a.text.append(t);
        a.text.append(kTextWidth - t.size(), ' ');
    }
    if (chars) {
        std::size_t at = 0;
        for (long c = 0; c < *chars && at < a.text.size(); ++c)
            at += platform::isCp932LeadByte(static_cast<unsigned char>(a.text[at])) ? 2 : 1;
        a.text.resize(std::min(at, a.text.size()));
    }
    while (!a.text.empty() && a.text.back() == ' ') a.text.pop_back();
    return DmEvent::Annotation;
}

}  // namespace dm
