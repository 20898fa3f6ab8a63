// The editor dialog's command buttons: read, save and delete through the database-file
// dialog, the attribute conversion through its own dialog, and designs to and from JSON.
#include <QUndoStack>

#include "editor/designjson/design_transfer.h"
#include "editor/ui/attribute_conversion_dialog.h"
#include "editor/ui/database_file_dialog.h"
#include "editor/ui/design_commands.h"
#include "editor/ui/editor_dialog.h"
#include "editor/ui/lorvex_file_dialog.h"
#include "platform/files.h"

namespace lorvex {

platform::FileChooser& EditorDialog::fileChooser() {
    if (!chooser_) {
        ownChooser_ = std::make_unique<LorvexFileChooser>(this);
        chooser_ = ownChooser_.get();
    }
    return *chooser_;
}

void EditorDialog::onReadClicked() {
    // A read replaces the working design: unsaved changes are asked about first.
    if (!confirmLeavingChanges())
        return;
    std::optional<editor::DesignTarget> target =
        askDesignTarget(kReadCaption, {state_, *prompter_, fileChooser(), this});
    if (!target)
        return;
    // The model lays the page out again also when no design carries the code.
    bool designRead = false;
    model_->read(*target, &designRead);
    if (designRead) {
        // The history before it describes a design that is no longer here: undoing it
        // would mix pieces of that design into the one just read.
        undoStack_->clear();
        model_->resetRecording();
    } else {
        recordChange("読込");
    }
    showWorkingDesign();
}

editor::CommandResult EditorDialog::saveDesign() {
    commitFieldEdits();
    editor::CommandResult result = runSaveCommand({state_, *prompter_, fileChooser(), this});
    if (result == editor::CommandResult::Done) {
        undoStack_->setClean();
        model_->resetRecording();
    }
    return result;
}

void EditorDialog::onSaveClicked() {
    saveDesign();
}

void EditorDialog::onDeleteClicked() {
    commitFieldEdits();
    runDeleteCommand({state_, *prompter_, fileChooser(), this});
}

void EditorDialog::onAttrConvertClicked() {
    commitFieldEdits();
    runAttributeConversion(state_, *prompter_, fileChooser(), this);
}

namespace {

constexpr const char* kExportCaption = "画面設計情報のJSON書出し";
constexpr const char* kImportCaption = "画面設計情報のJSON読込";

// The master database and code of a JSON command, or nothing (after a message when the
// database named is not a master).
std::optional<editor::DesignTarget> askMasterTarget(const char* caption,
                                                    const CommandContext& context) {
    std::optional<editor::DesignTarget> target = askDesignTarget(caption, context);
    if (target && target->databaseName != "Master") {
        context.prompter.show("指定されたファイルはマスターPDBではありません。", "",
                              platform::Icon::Warning, platform::Buttons::Ok);
        return std::nullopt;
    }
    return target;
}

}  // namespace

void EditorDialog::onExportJsonClicked() {
    commitFieldEdits();
    const CommandContext context{state_, *prompter_, fileChooser(), this};
    std::optional<editor::DesignTarget> target = askMasterTarget(kExportCaption, context);
    if (!target)
        return;
    std::optional<std::string> json = fileChooser().choose(
        fileRequest(FileKind::Json, true, "JSONファイルに書出し", "lorvex/designJson"));
    if (!json)
        return;
    if (platform::fileExists(*json) && !platform::isAffirmative(prompter_->show(
                                           "指定されたファイルが存在します。\n上書きしますか？", "",
                                           platform::Icon::Question, platform::Buttons::OkCancel)))
        return;
    editor::ExportDesignCommand(target->path, target->code, *json, *prompter_);
}

void EditorDialog::onImportJsonClicked() {
    commitFieldEdits();
    std::optional<std::string> json = fileChooser().choose(
        fileRequest(FileKind::Json, false, "JSONファイルを開く", "lorvex/designJson"));
    if (!json)
        return;
    const CommandContext context{state_, *prompter_, fileChooser(), this};
    std::optional<editor::DesignTarget> target = askMasterTarget(kImportCaption, context);
    if (!target)
        return;
    editor::ImportDesignCommand(*json, target->path, target->code, *prompter_);
}

}  // namespace lorvex
