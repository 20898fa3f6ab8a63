#include "editor/model/commands.h"

#include "editor/model/check_report.h"
#include "editor/model/design_ops.h"
#include "platform/files.h"

namespace editor {
namespace {

void message(platform::Prompter& prompter, const char* text) {
    prompter.show(text, "", platform::Icon::Warning, platform::Buttons::Ok);
}

bool confirm(platform::Prompter& prompter, const char* question) {
    return platform::isAffirmative(
        prompter.show(question, "", platform::Icon::Question, platform::Buttons::OkCancel));
}

bool refusedAsTooLong(const DesignTarget& target, platform::Prompter& prompter) {
    const char* refusal = tooLongMessage(target);
    if (refusal)
        message(prompter, refusal);
    return refusal != nullptr;
}

}  // namespace

const char* tooLongMessage(const DesignTarget& target) {
    if (target.databaseName.size() >= kNameFieldBytes)
        return kNameTooLongMessage;
    if (target.code.size() >= kNameFieldBytes)
        return kCodeTooLongMessage;
    return nullptr;
}

CommandResult ReadCommand(EditorState& state, const DesignTarget& target,
                          platform::Prompter& prompter) {
    if (refusedAsTooLong(target, prompter))
        return CommandResult::Failed;
    bool ok = SelectDesign(state.image, state.working, target.path, target.databaseName,
                           target.code, prompter);
    return ok ? CommandResult::Done : CommandResult::Failed;
}

CommandResult SaveCommand(EditorState& state, const DesignTarget& target,
                          platform::Prompter& prompter) {
    if (refusedAsTooLong(target, prompter))
        return CommandResult::Failed;
    if (platform::fileExists(target.path) &&
        !confirm(prompter, "指定されたファイルが存在します。\n上書きしますか？"))
        return CommandResult::Cancelled;
    platform::Result<pdb::LoadStatus> loaded = pdb::LoadDatabase(state.image, target.path);
    if (!loaded.ok()) {
        // The file is left alone, and so is its report: there is nothing new to describe.
        prompter.show(loaded.error(), "", platform::Icon::Warning, platform::Buttons::Ok);
        return CommandResult::Failed;
    }
    // The database and its report are put in place together: a report always describes the
    // database beside it.
    platform::OutputSet outputs;
    StoreResult stored = StoreDesign(state.image, state.working, target.path, target.databaseName,
                                     target.code, prompter, outputs);
    if (stored != StoreResult::Staged)
        return CommandResult::Failed;
    platform::Status report = StageCheckReport(state.image, state.working, target.path, outputs);
    if (!report)
        prompter.show(report.error(), "", platform::Icon::Warning, platform::Buttons::Ok);
    platform::WriteError error;
    if (outputs.commit(&error))
        return CommandResult::Done;
    if (error.path == target.path)
        prompter.show(pdb::WriteFailure(error).error(), "", platform::Icon::Critical,
                      platform::Buttons::Ok);
    else if (report)  // else its message was shown above
        prompter.show(CheckReportFailure(error), "", platform::Icon::Warning,
                      platform::Buttons::Ok);
    return CommandResult::Failed;
}

CommandResult DeleteCommand(EditorState& state, const DesignTarget& target,
                            platform::Prompter& prompter) {
    if (refusedAsTooLong(target, prompter))
        return CommandResult::Failed;
    if (target.databaseName != "Master") {
        message(prompter, "指定されたファイルはマスターPDBではありません。");
        return CommandResult::Failed;
    }
    if (!platform::fileExists(target.path)) {
        message(prompter, "指定されたファイルが存在しません。");
        return CommandResult::Failed;
    }
    if (!confirm(prompter, "指定されたレコードを削除します。\nよろしいですか？"))
        return CommandResult::Cancelled;
    return RemoveDesign(state.image, target.path, target.code, prompter) ? CommandResult::Done
                                                                         : CommandResult::Failed;
}

}  // namespace editor
