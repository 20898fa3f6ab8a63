#include "converter/digitalmap/attribute_index.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "converter/digitalmap/sheet_reader.h"
#include "platform/cp932.h"

namespace digitalmap {

const std::string& NameIndex::nameOf(long long id) const {
    static const std::string empty;
    auto it = names_.find(id);
    return it == names_.end() ? empty : it->second;
}

long long pairCount(long long q) {
    return static_cast<long long>(std::nearbyint(static_cast<double>(q) / 2));
}

namespace {

std::string endedEarly(const std::string& label, std::size_t line) {
    return label + " の " + std::to_string(line) +
           " 行目：レコードの途中でファイルが終わっています。";
}

std::string hexBytes(std::string_view bytes) {
    std::string out;
    char buf[8];
    for (unsigned char b : bytes) {
        std::snprintf(buf, sizeof buf, "%s0x%02X", out.empty() ? "" : " ", b);
        out += buf;
    }
    return out;
}

// 1-based line of the byte at pos (lines end at LF, CR LF or CR).
std::size_t lineAt(std::string_view data, std::size_t pos) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < pos; ++i)
        if (data[i] == '\n' || (data[i] == '\r' && (i + 1 >= data.size() || data[i + 1] != '\n')))
            ++line;
    return line;
}

}  // namespace

std::optional<std::string> AttributeFileEncodingProblem(std::string_view data,
                                                        const std::string& label) {
    auto at = [&](std::size_t pos) {
        return label + " の " + std::to_string(lineAt(data, pos)) + " 行目：";
    };
    const std::string advice = "属性ファイルは Shift-JIS で保存してください。";
    for (std::size_t i = 0; i < data.size(); ++i) {
        auto b = static_cast<unsigned char>(data[i]);
        if ((b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F)
            return at(i) + "制御文字（" + hexBytes(data.substr(i, 1)) +
                   "）があります。Shift-JIS のテキストのファイルではないようです。";
    }
    // Shift-JIS text is hardly ever valid UTF-8 (its lead bytes 0x81-0x9F cannot start a
    // UTF-8 character), so a file that is UTF-8 throughout was saved in UTF-8.
    const std::size_t firstWide =
        std::find_if(data.begin(), data.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
        data.begin();
    if (firstWide < data.size() && !platform::firstInvalidUtf8(data)) {
        // The line's text from there, at most 60 bytes, not cut inside a character.
        std::size_t end = data.find_first_of("\r\n", firstWide);
        std::string_view rest = data.substr(
            firstWide, end == std::string_view::npos ? std::string_view::npos : end - firstWide);
        std::size_t n = std::min<std::size_t>(rest.size(), 60);
        while (n > 0 && n < rest.size() && (static_cast<unsigned char>(rest[n]) & 0xC0) == 0x80)
            --n;
        return at(firstWide) + "UTF-8 で書かれているようです（「" + std::string(rest.substr(0, n)) +
               "」）。" + advice;
    }
    if (std::optional<std::size_t> bad = platform::firstInvalidCp932(data)) {
        return at(*bad) + "Shift-JIS の文字として読めないバイト（" +
               hexBytes(data.substr(*bad, std::min<std::size_t>(2, data.size() - *bad))) +
               "）があります。" + advice;
    }
    return std::nullopt;
}

namespace {

using Names = platform::Result<NameIndex>;

// Walks the records of an attribute file: its first line is skipped, then each record's
// keyword and polygon ID are read and the rest of the record is left to readRest (which
// returns a failure, or nothing). A failure names the file, the line and the field.
template <typename ReadRest>
Names forEachRecord(std::string_view data, const std::string& label, ReadRest readRest) {
    if (auto problem = AttributeFileEncodingProblem(data, label))
        return Names::failure(*problem);
    NameIndex index;
    FieldReader fields(data);
    fields.skipLine();
    std::string keyword, text;
    while (fields.next(keyword)) {
        if (!fields.next(text))
            return Names::failure(endedEarly(label, fields.line()));
        std::optional<long long> id = parseInteger(text);
        if (!id)
            return Names::failure(
                notANumberMessage(label, fields.line(), "属性レコードのポリゴン ID", text, true));
        if (std::optional<std::string> failure = readRest(fields, *id, index))
            return Names::failure(*failure);
    }
    return index;
}

}  // namespace

Names LoadTownNames(std::string_view data, const std::string& label) {
    return forEachRecord(data, label, [&](FieldReader& fields, long long id, NameIndex& index) {
        std::string text;
        for (int i = 0; i < 4; ++i)
            if (!fields.next(text))
                return std::optional(endedEarly(label, fields.line()));
        index.names().try_emplace(id, text);  // the first record of an ID keeps its name
        return std::optional<std::string>();
    });
}

Names LoadBuildingNames(std::string_view data, const std::string& label) {
    return forEachRecord(data, label, [&](FieldReader& fields, long long id, NameIndex& index) {
        using Failure = std::optional<std::string>;
        std::string text;
        if (!fields.next(text))
            return Failure(endedEarly(label, fields.line()));
        auto q = parseInteger(text);
        if (!q)
            return Failure(
                notANumberMessage(label, fields.line(), "属性レコードの値の数", text, true));
        if (*q < 0)
            return Failure(label + " の " + std::to_string(fields.line()) +
                           " 行目：属性レコードの値の数「" + text + "」が負です。");
        std::string name;
        const std::size_t countLine = fields.line();
        const std::string count = text;
        long long pairs = pairCount(*q);
        for (long long p = 0; p < pairs; ++p) {
            std::string code;
            if (!fields.next(code) || !fields.next(text)) {
                // The file ran out while reading the pairs: the count is what is wrong.
                return Failure(label + " の " + std::to_string(countLine) +
                               " 行目：属性レコードの値の数「" + count +
                               "」に対して、ファイルの終わりまでに値が " + std::to_string(p) +
                               " 組しかありません。");
            }
            if (p == 0)
                name = text;
        }
        index.names()[id] = name;  // a later record of the same ID wins
        return Failure();
    });
}

}  // namespace digitalmap
