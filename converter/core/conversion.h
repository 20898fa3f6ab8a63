#pragma once
// What every conversion shares: how it ended, the paths and database names it makes from
// its input's name, and writing its outputs (the converter attribute database of
// pdbformat/feature_attr_rec.h among them) whole, with their failure messages.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdbformat/feature_attr_rec.h"
#include "platform/files.h"
#include "platform/local_date.h"
#include "platform/prompter.h"

namespace converter {

// How an operation of the main menu ended: it reached its end, it ended on an error that
// it reported, or the user cancelled a file dialog (nothing reported, nothing written).
enum class Outcome { Done, Failed, Cancelled };

// folder + "/" + name, without doubling a "/" that ends the folder.
std::string joinPath(const std::string& folder, const std::string& name);

// The file name of a path without its folder and from its first "." on:
// "/data/a.b.pdb" gives "a.b" → "a". A trailing "/" does not count as the last one.
std::string baseNameOf(std::string_view path);

// Why a database name made from a file name (UTF-8) cannot be stored: it is empty, or it
// holds a character without a single-byte code (which would leave the name empty or cut,
// and the database unreadable to pdb2csv). A sentence naming the name, or nothing when the
// name can be stored.
std::optional<std::string> databaseNameProblem(std::string_view name);

// The message refusing an input whose name gives such a database name: names the file,
// says why and suggests a half-width name with the file's extension.
std::string refusedFileNameMessage(const std::string& path, const std::string& problem);

// The 32-byte database name field for a name (UTF-8): cut to 31 characters, one byte per
// character through Module1::byteConv, blanks and padding as 0. A character without a
// single-byte code shows "エラー：byteConv"; the name then keeps the characters before it.
std::array<std::uint8_t, 32> databaseNameField(std::string_view name, platform::Prompter& prompter);

// Writes a converter attribute database to path, whole or not at all (an earlier file
// survives a failure). The database name is baseNameOf(path), through databaseNameField;
// the three dates are pdb::palmDayStamp(today). More than pdb::kMaxFeatureAttrRecs records, or a
// failed write, shows an error naming the file (critical icon, the given title; empty
// means the application's title) and returns false.
bool writeFeatureAttrDatabase(const std::string& path,
                              const std::vector<pdb::FeatureAttrRec>& records,
                              const platform::LocalDate& today, platform::Prompter& prompter,
                              std::string_view title = "");

// The same as one file of a run's outputs: the database goes into the set, which the run
// commits with commitOutputs once all its outputs are there.
bool stageFeatureAttrDatabase(platform::OutputSet& outputs, const std::string& path,
                              const std::vector<pdb::FeatureAttrRec>& records,
                              const platform::LocalDate& today, platform::Prompter& prompter,
                              std::string_view title = "");

// Puts a run's outputs in place; a failure shows which file could not be written and why
// (critical icon, the given title) and returns false, every earlier file being kept.
bool commitOutputs(platform::OutputSet& outputs, platform::Prompter& prompter,
                   std::string_view title = "");

// "ファイル「PATH」を作成できません（…）。" or "…を書き込めません（…）。", saying that the
// earlier file is still there when there is one.
std::string writeFailureText(const platform::WriteError& error);

}  // namespace converter
