#include "editor/model/commands.h"

#include "editor/model/check_report.h"
#include "editor/model/design_ops.h"
#include "editor/model/kinds.h"
#include "platform/cp932.h"
#include "platform/files.h"

namespace editor {
namespace {

void message(platform::Prompter& prompter, const char* text) {
    prompter.show(text, "", platform::Icon::Warning, platform::Buttons::Ok);
}

bool confirm(platform::Prompter& prompter, const std::string& question,
             platform::Buttons buttons = platform::Buttons::OkCancel) {
    return platform::isAffirmative(prompter.show(question, "", platform::Icon::Question, buttons));
}

// True when the master database at path holds a design carrying code, so that storing
// under code replaces it. A file that cannot be read holds none here; the load that
// follows reports it.
bool masterHoldsCode(const std::string& path, const std::string& code) {
    pdb::PdbImage image;
    if (code.empty() || !pdb::LoadDatabase(image, path).ok() ||
        image.kind() != pdb::DatabaseKind::Master)
        return false;
    for (std::size_t i = 0; i < image.heldDesigns(); ++i)
        if (fieldText(image.designs[i].code) == code)
            return true;
    return false;
}

bool refusedAsTooLong(const DesignTarget& target, platform::Prompter& prompter) {
    const char* refusal = tooLongMessage(target);
    if (refusal)
        message(prompter, refusal);
    return refusal != nullptr;
}

}  // namespace

std::string replaceCodeQuestion(const std::string& code) {
    return "指定されたファイルに識別コード「" + platform::toUtf8(code) +
           "」のレコードが存在します。\n上書きしますか？";
}

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
    // Under "Master" only a design that carries the code is replaced, so only then is there
    // something to ask about; any other name replaces the file's design.
    if (platform::fileExists(target.path)) {
        if (pdb::kindOfName(target.databaseName) != pdb::DatabaseKind::Master) {
            if (!confirm(prompter, "指定されたファイルが存在します。\n上書きしますか？"))
                return CommandResult::Cancelled;
        } else if (masterHoldsCode(target.path, target.code) &&
                   !confirm(prompter, replaceCodeQuestion(target.code))) {
            return CommandResult::Cancelled;
        }
    }
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
    if (!confirm(prompter,
                 "指定されたレコード（識別コード「" + platform::toUtf8(target.code) +
                     "」）を削除します。\nよろしいですか？",
                 platform::Buttons::OkCancelDefaultCancel))
        return CommandResult::Cancelled;
    return RemoveDesign(state.image, target.path, target.code, prompter) ? CommandResult::Done
                                                                         : CommandResult::Failed;
}

}  // namespace editor
