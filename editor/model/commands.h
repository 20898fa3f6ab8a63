#pragma once
// The editor's read, save and delete commands, from the moment the database-file dialog
// has returned its path, database name and identification code. The Qt dialog and the
// command-line tool both call these.
#include <string>

#include "editor/model/editor_state.h"
#include "platform/prompter.h"

namespace editor {

// What the database-file dialog returns.
struct DesignTarget {
    std::string path;          // file path
    std::string databaseName;  // Shift-JIS: "Master", "Default" or an attribute database name
    std::string code;          // Shift-JIS identification code
};

enum class CommandResult { Done, Cancelled, Failed };

// "読 込": SelectDesign. The caller then lays out the current page and refreshes.
CommandResult ReadCommand(EditorState& state, const DesignTarget& target,
                          platform::Prompter& prompter);

// "保 存": overwrite question, LoadDatabase, StoreDesign, then the check report. The
// database and the report are replaced together or not at all: a refused store or a
// failed write leaves both as they were.
CommandResult SaveCommand(EditorState& state, const DesignTarget& target,
                          platform::Prompter& prompter);

// "レコード削除": name check, existence check, confirmation, RemoveDesign.
CommandResult DeleteCommand(EditorState& state, const DesignTarget& target,
                            platform::Prompter& prompter);

}  // namespace editor
