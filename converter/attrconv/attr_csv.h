#pragma once
// The converter's attribute CSV: 22 fields a line in FeatureAttrRec order, no header line,
// Shift-JIS. Reading it is shared by csv2pdb and the map conversions' attribute step.
//
// Field syntax: a field ends at a comma or at the end of the line; blanks (space, tab) in
// front of a field are skipped; a field that starts with a double quote runs to the next
// double quote and may hold commas (the quotes are not part of the value). Lines end with
// CR LF, LF or CR; blank lines are skipped. Numbers may have a sign, a decimal point and an
// exponent and are rounded to the nearest integer, halves to the even neighbour.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "converter/attrconv/feature_attr_rec.h"

namespace converter {

constexpr int kAttrCsvColumns = 22;

// Column names, 1-based ("ID" for 1, "Text3" for 22).
const char* attrCsvColumnName(int column);

// Why a CSV was refused: the physical line (1-based, blank lines included), the column
// (1-based; 0 when the problem concerns the whole line) and what is wrong (UTF-8).
struct CsvProblem {
    std::size_t line = 0;
    int column = 0;
    std::string what;
};

struct AttrCsvResult {
    std::vector<FeatureAttrRec> records;
    std::optional<CsvProblem> problem;  // set when the CSV was refused; records then partial
};

// Reads every record of the CSV text. Refuses, at the first problem: a field that is
// missing, not a number or outside its accepted range; more than 22 fields; an unclosed
// double quote; control characters, a UTF-8 byte-order mark or bytes that are not Shift-JIS
// text; a text more than one byte longer than its field; more than kMaxFeatureAttrRecs
// records.
//
// Accepted ranges: ID -2147483648..2147483647; StatusCode, SymbolCode, Flag1-6 0..255;
// UserData, TopLeftX/Y, ExtentX/Y -32768..98303 (above 32767 stored as value - 65536);
// X, Y -2147483648..6442450943 (above 2147483647 reduced by 4294967296 before rounding);
// Value1-3 -32768..32767. A text one byte longer than its field is cut to the field.
AttrCsvResult readAttrCsv(std::string_view text);

// "PATH の L 行目、C 列目（NAME）：WHAT" (or without the column when it is 0).
std::string describeCsvProblem(const std::string& path, const CsvProblem& problem);

}  // namespace converter
