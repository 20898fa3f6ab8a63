#pragma once
// csv2pdb: an attribute CSV into a converter attribute database written beside it under
// the same name with the extension "pdb" (/data/list.csv gives /data/list.pdb, database
// name "list"). Messages carry the title "csv2pdb".
#include <optional>
#include <string>
#include <string_view>

#include "converter/core/conversion.h"
#include "platform/file_chooser.h"
#include "platform/local_date.h"
#include "platform/prompter.h"

namespace converter {

// The database path for a CSV path: everything up to and including the last "." of the
// file name, then "pdb" (/data/a.b.csv gives /data/a.b.pdb). Nothing when the file name has
// no "." before its last character.
std::optional<std::string> csv2pdbOutputPath(std::string_view csvPath);

// Everything after the file dialog: announces the output file, reads and converts the
// whole CSV, writes the database atomically and reports the end. A refused CSV or a failed
// write shows an error that names the file (and the line and field) and writes nothing; so
// does a file name that gives no single-byte database name, before anything is announced.
// A text too long for its field is cut, reported with its line and column, and the run
// goes on.
Outcome csv2pdbFile(const std::string& csvPath, const platform::LocalDate& today,
                    platform::Prompter& prompter);

// The main-menu operation: asks for the CSV ("CSVファイルを選択", starting in the program's
// folder), then csv2pdbFile. Cancelling the dialog ends it quietly.
Outcome csv2pdb(platform::FileChooser& chooser, const std::string& programFolder,
                const platform::LocalDate& today, platform::Prompter& prompter);

}  // namespace converter
