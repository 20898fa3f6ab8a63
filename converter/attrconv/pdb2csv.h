#pragma once
// pdb2csv: a converter attribute database back into an attribute CSV, one CR LF line of 22
// fields per pdb::FeatureAttrRec. The database's stored name must begin with its file's base
// name (letter case ignored). Messages carry the title "pdb2csv".
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "converter/attrconv/csv2pdb.h"
#include "converter/core/conversion.h"
#include "platform/file_chooser.h"
#include "platform/prompter.h"

namespace converter {

// True when the 32-byte stored name begins with the expected name (UTF-8), letter case
// ignored. The expected name is cut to 31 bytes as the writers cut it, so databases
// written with a full 32-byte name still pass. A zero byte of the stored name matches
// nothing but itself: "li" stored does not pass for "list".
bool databaseNameMatches(std::span<const std::uint8_t> storedName, std::string_view expected);

// One CSV line (Shift-JIS, without its line end): ID unsigned 32-bit, StatusCode and
// SymbolCode unsigned 8-bit, UserData unsigned 16-bit, TopLeftX to ExtentY signed 16-bit,
// X and Y signed 32-bit, the texts up to their first zero byte, Value1 to Value3 unsigned
// 16-bit, the flags unsigned 8-bit. A text holding a comma or starting with a blank is
// written in double quotes (when it holds none itself) so it reads back as one field.
std::string formatAttrCsvLine(const pdb::FeatureAttrRec& rec);
// All lines, each ended by CR LF.
std::string formatAttrCsv(const std::vector<pdb::FeatureAttrRec>& records);

// Everything after the two file dialogs: checks that the file is a Palm database (its
// header and record list fit in it) and its name, converts every record and writes the CSV
// atomically, then reports the end. A wrong name shows " データベース名が違っています！"
// followed by the file and both names; any other failure shows an error naming the file.
// Nothing is written unless the conversion succeeds. Only the bytes the records can take
// are read, however large the file.
Outcome pdb2csvFiles(const std::string& pdbPath, const std::string& csvPath,
                     platform::Prompter& prompter);

// The main-menu operation: asks for the database ("PDBファイルを選択", starting in the
// program's folder) and the CSV ("CSVファイルを選択", starting in the database's folder),
// then pdb2csvFiles. Cancelling either dialog ends it quietly.
Outcome pdb2csv(platform::FileChooser& chooser, const std::string& programFolder,
                platform::Prompter& prompter);

}  // namespace converter
