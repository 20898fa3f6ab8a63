#pragma once
// The design check report: a Shift-JIS text file with CR LF line ends written beside a
// database after each save, describing the sizes, positions, counts, header and designs.
#include <string>

#include "editor/model/disprec.h"
#include "pdbformat/pdb_image.h"

namespace editor {

// The report's bytes for the image and the working design.
std::string CheckReportText(const pdb::PdbImage& image, const DispRec& working);

// The report's path: the database path with its last four characters replaced by
// ".txt", or "" when the path is shorter than that.
std::string CheckReportPath(const std::string& databasePath);

struct ReportResult {
    bool written = false;
    std::string message;  // UTF-8, why it was skipped
};

// Writes the report beside the database (atomically).
ReportResult WriteCheckReport(const pdb::PdbImage& image, const DispRec& working,
                              const std::string& databasePath);

}  // namespace editor
