#include "converter/digitalmap/sheet_reader.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <new>

#include "platform/cp932.h"
#include "platform/files.h"

namespace digitalmap {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

bool FieldReader::atLineEnd(std::size_t i) const {
    return i < data_.size() && (data_[i] == '\n' || data_[i] == '\r');
}

void FieldReader::consumeLineEnd() {
    if (pos_ < data_.size() && data_[pos_] == '\r')
        ++pos_;
    if (pos_ < data_.size() && data_[pos_] == '\n')
        ++pos_;
    ++line_;
}

void FieldReader::skipLine() {
    while (pos_ < data_.size() && !atLineEnd(pos_)) ++pos_;
    if (pos_ < data_.size())
        consumeLineEnd();
    afterComma_ = false;
}

bool FieldReader::next(std::string& field) {
    field.clear();
    for (;;) {
        while (pos_ < data_.size() && isBlank(data_[pos_])) ++pos_;
        if (pos_ >= data_.size()) {
            if (afterComma_) {  // "a,b," at the very end: one empty field
                afterComma_ = false;
                fieldLine_ = line_;
                return true;
            }
            return false;
        }
        if (atLineEnd(pos_)) {
            if (afterComma_) {  // a comma right before the line end ends an empty field
                afterComma_ = false;
                fieldLine_ = line_;
                consumeLineEnd();
                return true;
            }
            consumeLineEnd();  // an empty line holds no field
            continue;
        }
        break;
    }
    fieldLine_ = line_;
    if (data_[pos_] == '"') {
        ++pos_;
        while (pos_ < data_.size() && data_[pos_] != '"') {
            if (data_[pos_] == '\n')
                ++line_;
            field.push_back(data_[pos_++]);
        }
        if (pos_ < data_.size())
            ++pos_;  // closing quote
        // Anything between the closing quote and the delimiter is not part of the field.
        while (pos_ < data_.size() && data_[pos_] != ',' && !atLineEnd(pos_)) ++pos_;
    } else {
        while (pos_ < data_.size() && data_[pos_] != ',' && !atLineEnd(pos_))
            field.push_back(data_[pos_++]);
        while (!field.empty() && isBlank(field.back())) field.pop_back();
    }
    if (pos_ < data_.size() && data_[pos_] == ',') {
        ++pos_;
        afterComma_ = true;
    } else {
        afterComma_ = false;
        if (pos_ < data_.size())
            consumeLineEnd();
    }
    return true;
}

std::optional<long long> parseInteger(std::string_view text) {
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<double> parseReal(std::string_view text) {
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    double value = 0;
    auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string notANumberMessage(const std::string& label, std::size_t line, const char* field,
                              std::string_view text, bool wantInteger) {
    return label + " の " + std::to_string(line) + " 行目：" + field + "「" +
           platform::toUtf8(text) + "」が" + (wantInteger ? "整数" : "数値") + "ではありません。";
}

bool readInputFile(const std::string& path, const std::string& label, std::string& data,
                   std::string& error) {
    if (!platform::fileExists(path)) {
        error = "入力ファイルがありません：" + label + "（" + path + "）";
        return false;
    }
    // Read straight into the string: sheet files run to megabytes. One larger than the
    // machine's memory is refused before any of it is read.
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::streamoff size = in ? static_cast<std::streamoff>(in.tellg()) : -1;
    if (size >= 0) {
        auto tooLarge = [&] {
            error = "入力ファイルが大きすぎて読み込めません：" + label + "（" +
                    std::to_string(size) + " バイト）";
            return false;
        };
        long pages = ::sysconf(_SC_PHYS_PAGES);
        long pageSize = ::sysconf(_SC_PAGE_SIZE);
        if (pages > 0 && pageSize > 0 &&
            static_cast<unsigned long long>(size) >
                static_cast<unsigned long long>(pages) * static_cast<unsigned long long>(pageSize))
            return tooLarge();
        try {
            data.resize(static_cast<std::size_t>(size));
        } catch (const std::bad_alloc&) {
            return tooLarge();
        }
        in.seekg(0);
        in.read(data.data(), size);
    }
    if (!in || size < 0) {
        error = "入力ファイルを読めません：" + label + "（" + std::strerror(errno) + "）";
        return false;
    }
    return true;
}

bool SheetFile::open(const std::string& path, std::string label) {
    label_ = std::move(label);
    read_ = 0;
    limit_ = 0;
    error_.clear();
    if (!readInputFile(path, label_, data_, error_))
        return false;
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
