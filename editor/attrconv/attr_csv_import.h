#pragma once
// CSV → attribute records, shaped by design record 0 of the image: the four header rows
// are skipped, and every following line becomes one attribute record.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pdbformat/pdb_image.h"
#include "platform/line_source.h"

namespace editor {

constexpr std::size_t kCellBytes = 255;  // longest cell text kept
constexpr std::size_t kCsvHeaderRows = 4;
// iRecNum is 16-bit and counts the design record too.
constexpr std::size_t kMaxAttrRecords = 65535 - 1;

// Reads CSV text cell by cell. Lines end at LF or CR LF; every delimiter ends a cell
// (there is no quoting, and blanks are part of a cell). Works on text held in memory.
class CsvCellReader {
  public:
    enum class End { Delimiter, LineEnd };
    struct Cell {
        std::string_view text;  // at most kCellBytes, never ending inside a double-byte character
        End end = End::LineEnd;
        std::size_t fullLength = 0;  // length before cutting
        bool cut() const { return fullLength > text.size(); }
    };

    explicit CsvCellReader(std::string_view csv) : csv_(csv), lines_(csv) {}

    // Reads up to the delimiter, a line end or the end of the text and consumes what
    // ended the cell. The end of the text counts as a line end, also when the reader is
    // already there (the cell is then empty).
    Cell ReadCell(char delimiter);
    // Consumes the rest of the current line with its line end.
    void skipLine();
    bool atEnd() const { return !inLine_ && lines_.exhausted(); }
    // 1-based number of the line the next cell starts on.
    std::size_t line() const;
    // Why the text stopped being read before its end (a line longer than the reader takes).
    bool failed() const { return lines_.failed(); }

  private:
    std::string_view csv_;
    platform::LineSource lines_;
    std::string_view text_;  // the line being read
    std::size_t pos_ = 0;
    bool inLine_ = false;  // cells of text_ are left
};

// Something in the CSV that the import had to bend to fit the record.
struct ImportProblem {
    enum class Kind {
        CellTooLong,  // over 255 bytes, cut
        TextTooLong,  // a Str cell over 31 bytes, cut
        NotANumber,   // a number cell with other text; its leading number (or 0) is stored
        OutOfRange,   // a number beyond its field; the low bits are stored
        ExtraCells,   // non-empty cells after the last expected one, skipped
    };
    Kind kind;
    std::size_t line = 0;    // 1-based line of the file
    std::size_t column = 0;  // 1-based cell of the line
    std::string field;       // column name, e.g. "StatusCode" or "Cmb[3]"
    std::string cell;        // the cell's text (Shift-JIS; over 40 bytes, cut and marked "...")
    std::string stored;      // what was stored, as text (numbers only)
};

struct ImportResult {
    bool ok = true;
    std::string message;  // UTF-8, why nothing was imported
    std::size_t records = 0;
    std::vector<ImportProblem> problems;  // the first kMaxListedProblems
    std::size_t problemCount = 0;         // all of them
};
constexpr std::size_t kMaxListedProblems = 20;

// Replaces the image's attribute records and record count (m rows → iRecNum m + 1) from
// the CSV text. Refuses, leaving the image as it was, text holding a NUL byte, text that
// ends before its four header rows, more rows than iRecNum can count, text that is not
// Shift-JIS (UTF-8, or bytes that are no code page 932 text; the message names line and
// column), and a file too large for memory. Every new record starts zero-filled; a short
// row leaves the rest of its record zero.
// path only names the file in messages.
ImportResult ImportAttributesCsvText(pdb::PdbImage& image, std::string_view csv,
                                     const std::string& path);
// The same for a file.
ImportResult ImportAttributesCsv(pdb::PdbImage& image, const std::string& path);

// UTF-8 description of the problems, one line each, for a message box.
std::string describeProblems(const ImportResult& result, const std::string& path);

}  // namespace editor
