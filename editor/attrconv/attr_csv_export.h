#pragma once
// Attribute database → CSV: four header rows that name and describe the columns from
// design record 0, then one row per attribute record. Shift-JIS bytes, CR LF line ends.
#include <cstddef>
#include <string>

#include "editor/model/kinds.h"
#include "pdbformat/pdb_image.h"

namespace editor {

// The value columns a design gives a CSV row: c0 Cmb, c1 Int, c2 Real values and S Str
// columns, where S is c3, or 1 when c3 is 0 (a Str[1] column is always written).
struct CsvShape {
    std::size_t cmb = 0;
    std::size_t ints = 0;
    std::size_t reals = 0;
    std::size_t strs = 0;        // c3
    std::size_t strColumns = 1;  // S
    // Objects described by rows 2 and 3: c0 + c1 + c2 + c3, but at least one.
    std::size_t describedObjects() const;
};
CsvShape csvShapeOf(const DispRec& design);

// The whole CSV for the attribute database in the image (design record 0 and the
// attribute records it holds).
std::string AttributesCsvText(const pdb::PdbImage& image);

struct ExportResult {
    bool ok = true;
    std::string message;  // UTF-8: why the file was not written
    // UTF-8, empty when there is nothing to say: string values holding a comma or a line
    // break, which are written as they stand and so would not read back as one cell.
    std::string warning;
};

// The warning above for the image's records, or "" when every string value is safe.
std::string separatorWarning(const pdb::PdbImage& image);

// Writes the CSV to the file atomically: on failure the file that was there before is
// unchanged and the message says why.
ExportResult ExportAttributesCsv(const pdb::PdbImage& image, const std::string& path);

}  // namespace editor
