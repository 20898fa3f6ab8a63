#include "converter/digitalmap/sheet_reader.h"

#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/text.h"

namespace digitalmap {

bool FieldReader::next(std::string& field) {
    while (!inLine_) {
        if (!lines_.next(line_))
            return false;
        pos_ = 0;
        inLine_ = line_.find_first_not_of(" \t") != std::string_view::npos;
    }
    platform::CsvField f = platform::nextCsvField(line_, pos_);
    field.assign(f.text);
    fieldLine_ = lines_.lineNumber();
    inLine_ = !f.last;
    return true;
}

void FieldReader::skipLine() {
    if (inLine_)
        inLine_ = false;
    else
        lines_.next(line_);
}

std::optional<long long> parseInteger(std::string_view text) {
    auto n = platform::parseNumber<long long>(text);
    return n.status == platform::NumberStatus::Ok ? std::optional(n.value) : std::nullopt;
}

std::optional<double> parseReal(std::string_view text) {
    auto n = platform::parseNumber<double>(text);
    return n.status == platform::NumberStatus::Ok ? std::optional(n.value) : std::nullopt;
}

std::string notANumberMessage(const std::string& label, std::size_t line, const char* field,
                              std::string_view text, bool wantInteger) {
    return label + " の " + std::to_string(line) + " 行目：" + field + "「" +
           platform::toUtf8(text) + "」が" + (wantInteger ? "整数" : "数値") + "ではありません。";
}

platform::Result<std::string> readInputFile(const std::string& path, const std::string& label) {
    if (!platform::fileExists(path))
        return platform::Result<std::string>::failure("入力ファイルがありません：" + label + "（" +
                                                      path + "）");
    auto file = platform::readFile(path);
    if (!file)
        return platform::Result<std::string>::failure("入力ファイルを読めません：" + label + "（" +
                                                      file.error() + "）");
    return std::move(file->bytes);
}

bool SheetFile::open(const std::string& path, std::string label) {
    label_ = std::move(label);
    read_ = 0;
    limit_ = 0;
    error_.clear();
    platform::Result<std::string> data = readInputFile(path, label_);
    if (!data) {
        error_ = data.error();
        return false;
    }
    data_ = std::move(*data);
    fields_ = FieldReader(data_);
    return true;
}

ReadStatus SheetFile::field(std::string& text) {
    return fields_.next(text) ? ReadStatus::Ok : ReadStatus::EndOfFile;
}

ReadStatus SheetFile::integerField(long long& value, const char* name) {
    std::string text;
    if (!fields_.next(text))
        return ReadStatus::EndOfFile;
    auto v = parseInteger(text);
    if (!v) {
        error_ = notANumberMessage(label_, fields_.line(), name, text, true);
        return ReadStatus::Bad;
    }
    value = *v;
    return ReadStatus::Ok;
}

ReadStatus SheetFile::realField(double& value, const char* name) {
    std::string text;
    if (!fields_.next(text))
        return ReadStatus::EndOfFile;
    auto v = parseReal(text);
    if (!v) {
        error_ = notANumberMessage(label_, fields_.line(), name, text, false);
        return ReadStatus::Bad;
    }
    value = *v;
    return ReadStatus::Ok;
}

ReadStatus SheetFile::startRecord() {
    ++read_;
    return ReadStatus::Ok;
}

#define KWIB_READ(expr)                \
    do {                               \
        ReadStatus status_ = (expr);   \
        if (status_ != ReadStatus::Ok) \
            return status_;            \
    } while (false)

ReadStatus SheetFile::readHeader(ExtentHeader& header) {
    std::string text;
    KWIB_READ(field(text));
    header.line = fields_.line();
    KWIB_READ(field(text));
    KWIB_READ(field(text));
    KWIB_READ(integerField(header.recordCount, "ヘッダーのレコード数（4 番目の項目）"));
    KWIB_READ(integerField(header.arcCount, "ヘッダーのアーク数（5 番目の項目）"));
    KWIB_READ(field(text));
    KWIB_READ(field(text));
    KWIB_READ(realField(header.d1, "ヘッダーの最小北座標（8 番目の項目）"));
    KWIB_READ(realField(header.d2, "ヘッダーの最小東座標（9 番目の項目）"));
    KWIB_READ(realField(header.d3, "ヘッダーの最大北座標（10 番目の項目）"));
    KWIB_READ(realField(header.d4, "ヘッダーの最大東座標（11 番目の項目）"));
    read_ = 0;
    limit_ = header.validCount() ? header.recordCount - 1 : 0;
    return ReadStatus::Ok;
}

ReadStatus SheetFile::countField(long long& count, const char* name) {
    KWIB_READ(integerField(count, name));
    // What follows a record by its count are records too, so a count larger than the
    // records the header leaves cannot be right; nor can a negative one.
    long long left = limit_ - read_;
    if (count < 0 || count > left) {
        error_ = label_ + " の " + std::to_string(fields_.line()) + " 行目：" + name + " " +
                 std::to_string(count) +
                 (count < 0 ? " が負です。"
                            : " が、ヘッダーのレコード数から残るレコード数 " +
                                  std::to_string(left) + " を超えています。");
        return ReadStatus::Bad;
    }
    return ReadStatus::Ok;
}

ReadStatus SheetFile::readArc(ArcRecord& arc) {
    startRecord();
    std::string keyword;
    KWIB_READ(field(keyword));
    arc.line = fields_.line();
    KWIB_READ(integerField(arc.code, "アークレコードの種別コード"));
    KWIB_READ(integerField(arc.id, "アークレコードのアーク ID"));
    KWIB_READ(countField(arc.pointCount, "アークレコードの点数"));
    return ReadStatus::Ok;
}

ReadStatus SheetFile::readPoint(PointRecord& point) {
    startRecord();
    KWIB_READ(realField(point.north, "点レコードの北座標"));
    KWIB_READ(realField(point.east, "点レコードの東座標"));
    return ReadStatus::Ok;
}

ReadStatus SheetFile::readPolygon(PolygonRecord& polygon) {
    startRecord();
    std::string keyword;
    KWIB_READ(field(keyword));
    polygon.line = fields_.line();
    KWIB_READ(integerField(polygon.id, "ポリゴンレコードのポリゴン ID"));
    KWIB_READ(countField(polygon.arcRefs, "ポリゴンレコードのアーク参照数"));
    KWIB_READ(realField(polygon.north, "ポリゴンレコードの代表点の北座標"));
    KWIB_READ(realField(polygon.east, "ポリゴンレコードの代表点の東座標"));
    return ReadStatus::Ok;
}

ReadStatus SheetFile::readArcRef(long long& arcId) {
    startRecord();
    return integerField(arcId, "アーク参照");
}

#undef KWIB_READ

}  // namespace digitalmap
