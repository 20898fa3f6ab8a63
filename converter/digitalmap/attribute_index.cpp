#include "converter/digitalmap/attribute_index.h"

#include <cmath>

#include "converter/digitalmap/sheet_reader.h"

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

// Reads the polygon ID (second field) of a record whose keyword is already read.
bool readId(FieldReader& fields, const std::string& label, long long& id, std::string& error) {
    std::string text;
    if (!fields.next(text)) {
        error = endedEarly(label, fields.line());
        return false;
    }
    auto v = parseInteger(text);
    if (!v) {
        error = notANumberMessage(label, fields.line(), "属性レコードのポリゴン ID", text, true);
        return false;
    }
    id = *v;
    return true;
}

}  // namespace

bool LoadTownNames(std::string_view data, const std::string& label, NameIndex& index,
                   std::string& error) {
    FieldReader fields(data);
    fields.skipLine();
    std::string keyword, text;
    while (fields.next(keyword)) {
        long long id = 0;
        if (!readId(fields, label, id, error))
            return false;
        for (int i = 0; i < 4; ++i) {
            if (!fields.next(text)) {
                error = endedEarly(label, fields.line());
                return false;
            }
        }
        index.names().try_emplace(id, text);  // the first record of an ID keeps its name
    }
    return true;
}

bool LoadBuildingNames(std::string_view data, const std::string& label, NameIndex& index,
                       std::string& error) {
    FieldReader fields(data);
    fields.skipLine();
    std::string keyword, text;
    while (fields.next(keyword)) {
        long long id = 0;
        if (!readId(fields, label, id, error))
            return false;
        if (!fields.next(text)) {
            error = endedEarly(label, fields.line());
            return false;
        }
        auto q = parseInteger(text);
        if (!q) {
            error = notANumberMessage(label, fields.line(), "属性レコードの値の数", text, true);
            return false;
        }
        if (*q < 0) {
            error = label + " の " + std::to_string(fields.line()) +
                    " 行目：属性レコードの値の数「" + text + "」が負です。";
            return false;
        }
        std::string name;
        long long pairs = pairCount(*q);
        for (long long p = 0; p < pairs; ++p) {
            std::string code;
            if (!fields.next(code) || !fields.next(text)) {
                error = endedEarly(label, fields.line());
                return false;
            }
            if (p == 0)
                name = text;
        }
        index.names()[id] = name;  // a later record of the same ID wins
    }
    return true;
}

}  // namespace digitalmap
