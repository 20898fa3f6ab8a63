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
#include "platform/result.h"

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
// character through Module1::byteConv, blanks and padding as 0. Fails as byteConv does for a
// character without a single-byte code; the field then keeps the characters before it.
platform::Status databaseNameField(std::string_view name, std::array<std::uint8_t, 32>& field);

// Adds a converter attribute database (the name field as given, the three dates
// pdb::palmDayStamp(today)) to a run's outputs, which the run puts in place with
// commitOutputs once all its outputs are there. Fails, naming the file, with more than
// pdb::kMaxFeatureAttrRecs records or when the file cannot be written.
platform::Status stageFeatureAttrDatabase(platform::OutputSet& outputs, const std::string& path,
                                          const std::array<std::uint8_t, 32>& nameField,
                                          const std::vector<pdb::FeatureAttrRec>& records,
                                          const platform::LocalDate& today);

// Makes sure a map conversion's output folder can take its files, before the run shows its
// first message: a folder that is not there is offered to be made (a question; made on
// Yes), a path that is not a folder or a folder that cannot be written to is reported.
// True when the run may go on.
bool prepareOutputFolder(const std::string& folder, platform::Prompter& prompter);

// Puts a run's outputs in place. Fails saying which file could not be written and why;
// every earlier file is then kept.
platform::Status commitOutputs(platform::OutputSet& outputs);

// Writes a converter attribute database on its own, whole or not at all (an earlier file
// survives a failure), named baseNameOf(path) (a name databaseNameProblem accepts).
platform::Status writeFeatureAttrDatabase(const std::string& path,
                                          const std::vector<pdb::FeatureAttrRec>& records,
                                          const platform::LocalDate& today);

// "ファイル「PATH」を作成できません（…）。" or "…を書き込めません（…）。", saying that the
// earlier file is still there when there is one.
std::string writeFailureText(const platform::WriteError& error);

}  // namespace converter
