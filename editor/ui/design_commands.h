#pragma once
// The editor's read, save and delete commands as the buttons "読 込", "保 存" and
// "レコード削除" run them: the database-file dialog with the command's caption, then the
// command itself (editor/model/commands.h) on the editor's state.
#include <optional>

#include "editor/model/commands.h"
#include "editor/model/editor_state.h"
#include "platform/file_chooser.h"
#include "platform/prompter.h"

class QWidget;

namespace lorvex {

struct CommandContext {
    editor::EditorState& state;
    platform::Prompter& prompter;
    platform::FileChooser& chooser;
    QWidget* parent = nullptr;  // the dialogs' parent window
};

// Runs DatabaseFileDialog modally with the caption; nothing when it was cancelled.
// "読 込" reads through the editing model with what it returns (EditingModel::read).
std::optional<editor::DesignTarget> askDesignTarget(const char* caption,
                                                    const CommandContext& context);

// "保 存": overwrite question, store, check report.
editor::CommandResult runSaveCommand(const CommandContext& context);

// "レコード削除": the working design and the preview are left alone.
editor::CommandResult runDeleteCommand(const CommandContext& context);

}  // namespace lorvex
