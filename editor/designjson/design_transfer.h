#pragma once
// Designs moved between a master database and a JSON file (design_json.h): what
// "lorvex-cli export-design" and "import-design" run, and the editor's buttons
// "JSON書出し" and "JSON読込" after their file choices. Messages go through the Prompter.
#include <string>

#include "editor/model/commands.h"
#include "platform/prompter.h"

namespace editor {

// Writes the design carrying code in the master database at masterPath to jsonPath
// (replaced whole, or left as it was when the write fails).
CommandResult ExportDesignCommand(const std::string& masterPath, const std::string& code,
                                  const std::string& jsonPath, platform::Prompter& prompter);

// Reads the design of jsonPath and stores it under code into the master database at
// masterPath (a new one when no file is there), with its check report: replacing the
// design carrying code after a question naming it, else the first design without a code,
// else appended. The record stored is the one the JSON describes byte for byte, with code
// as its identification code. A bad value is refused naming the file and its JSON path.
CommandResult ImportDesignCommand(const std::string& jsonPath, const std::string& masterPath,
                                  const std::string& code, platform::Prompter& prompter);

}  // namespace editor
