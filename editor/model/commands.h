#pragma once
// The editor's read, save and delete commands, from the moment the database-file dialog
// has returned its path, database name and identification code. The Qt dialog and the
// command-line tool both call these.
#include <cstddef>
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

// A database name or identification code fills a 32-byte field with its terminator:
// 32 bytes or more of Shift-JIS are refused, with the database-file dialog's messages,
// rather than cut (two codes sharing their first 31 bytes would overwrite each other).
constexpr std::size_t kNameFieldBytes = 32;
constexpr const char* kNameTooLongMessage =
    "データベース名が長すぎます。\n31文字以内にして下さい。";
constexpr const char* kCodeTooLongMessage = "識別コード名が長すぎます。\n31文字以内にして下さい。";
// The message refusing the target's database name or code, or null when both fit.
const char* tooLongMessage(const DesignTarget& target);

// Every command below first refuses a target whose name or code does not fit, with that
// message and nothing read or written.

// The question before a design carrying code is replaced in a master database (UTF-8).
std::string replaceCodeQuestion(const std::string& code);

// "読 込": SelectDesign. EditingModel::read runs it and then lays the current page out.
CommandResult ReadCommand(EditorState& state, const DesignTarget& target,
                          platform::Prompter& prompter);

// "保 存": overwrite question, LoadDatabase, StoreDesign, then the check report. The
// question is asked for an existing file under a name other than "Master", and under
// "Master" only when the file holds a design carrying the code (naming it); adding a new
// code replaces nothing. The
// database and the report are replaced together or not at all: a refused store or a
// failed write leaves both as they were.
CommandResult SaveCommand(EditorState& state, const DesignTarget& target,
                          platform::Prompter& prompter);

// "レコード削除": name check, existence check, confirmation naming the code (Enter
// answers Cancel), RemoveDesign.
CommandResult DeleteCommand(EditorState& state, const DesignTarget& target,
                            platform::Prompter& prompter);

}  // namespace editor
