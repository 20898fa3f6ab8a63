#pragma once
// The design check report: a Shift-JIS text file with CR LF line ends written beside a
// database with each save that writes it, describing the sizes, positions, counts, header and
// designs.
#include <string>

#include "editor/model/kinds.h"
#include "pdbformat/pdb_image.h"
#include "platform/files.h"

namespace editor {

// The report's bytes for the image and the working design.
std::string CheckReportText(const pdb::PdbImage& image, const DispRec& working);

// The report's path: the database path with its last four characters replaced by
// ".txt", or "" when the path is shorter than that.
std::string CheckReportPath(const std::string& databasePath);

// Adds the report beside the database to outputs, the set that puts the database in place.
// A report that cannot be written fails the whole set; a failure says why it was skipped
// or could not be written.
platform::Status StageCheckReport(const pdb::PdbImage& image, const DispRec& working,
                                  const std::string& databasePath, platform::OutputSet& outputs);

// The message of a report that could not be written (and so neither was the database).
std::string CheckReportFailure(const platform::WriteError& error);

}  // namespace editor
