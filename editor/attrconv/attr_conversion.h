#pragma once
// The attribute conversion command, from the moment the conversion dialog has returned:
// input check, overwrite question, then attribute database → CSV or CSV → attribute
// database on the editor's image. The Qt dialog and the command-line tool both call it.
#include <cstddef>
#include <optional>
#include <string>

#include "editor/model/commands.h"
#include "editor/model/editor_state.h"
#include "platform/prompter.h"

namespace editor {

// The conversion types in the order of the dialog's sorted list.
enum class ConversionType { CsvToPdb = 0, PdbToCsv = 1 };

// What the conversion dialog hands back.
struct AttributeConversion {
    ConversionType type = ConversionType::CsvToPdb;
    std::string inputPath;
    std::string outputPath;
    // CSV → PDB only:
    std::string masterPath;
    std::string databaseName;   // Shift-JIS, 1 to 31 bytes, neither "Master" nor "Default"
    std::size_t codeIndex = 0;  // the chosen design, by its record number in the master
    // When set, the first design of the master carrying this code (Shift-JIS) is used
    // instead of codeIndex.
    std::optional<std::string> code;
};

// Runs the conversion. On success the editor's image holds the converted database and
// nothing is reported (apart from a warning about texts the CSV cannot carry); the
// working design is never touched. Every refusal shows its message, writes nothing and
// leaves the image as it was. A CSV whose cells had to be cut, or that holds text where
// numbers belong, is described and converted only when the user agrees.
CommandResult AttributeConversionCommand(EditorState& state, const AttributeConversion& request,
                                         platform::Prompter& prompter);

}  // namespace editor
