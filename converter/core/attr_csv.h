#pragma once
// The converter's attribute CSV: 22 fields a line in pdb::FeatureAttrRec order, no header line,
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

#include "pdbformat/feature_attr_rec.h"
#include "platform/line_source.h"

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

// A text longer than its field, cut to it: where it stands, its length and what was kept
// (in bytes, Shift-JIS, trailing blanks not counted).
struct TextCut {
    std::size_t line = 0;
    int column = 0;
    std::size_t bytes = 0;
    std::size_t kept = 0;
    std::size_t fieldSize = 0;
};

struct AttrCsvResult {
    std::vector<pdb::FeatureAttrRec> records;
    std::vector<TextCut> cuts;          // in file order
    std::optional<CsvProblem> problem;  // set when the CSV was refused; records then partial
};

// Reads every record of the CSV. Refuses, at the first problem: a field that is missing,
// not a number or outside its accepted range; more than 22 fields; an unclosed double
// quote; a line longer than platform::LineSource::kMaxLine; more than pdb::kMaxFeatureAttrRecs
// records; and, before any field is looked at, control characters, a UTF-8 byte-order
// mark or bytes that are not Shift-JIS text.
//
// Accepted ranges: ID -2147483648..2147483647; StatusCode, SymbolCode, Flag1-6 0..255;
// UserData, TopLeftX/Y, ExtentX/Y -32768..98303 (above 32767 stored as value - 65536);
// X, Y -2147483648..6442450943 (above 2147483647 reduced by 4294967296 before rounding);
// Value1-3 -32768..32767. A text longer than its field is cut to the field without
// splitting a double-byte character, and the cut is listed.
//
// The lines are read twice from the source (line ends CR LF, LF or CR): a check for text
// that no CSV holds, then the conversion. Memory does not grow with the file beyond the
// records kept.
AttrCsvResult readAttrCsv(platform::LineSource& lines);
AttrCsvResult readAttrCsv(std::string_view text);

// "PATH の L 行目、C 列目（NAME）：WHAT" (or without the column when it is 0).
std::string describeCsvProblem(const std::string& path, const CsvProblem& problem);

// The report of a cut text, naming file, line and column: a text two or more bytes too long
// starts with the field conversion's own "エラー：compressDbcs".
std::string describeTextCut(const std::string& path, const TextCut& cut);

}  // namespace converter
