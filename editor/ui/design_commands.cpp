#include "editor/ui/design_commands.h"

#include "editor/ui/database_file_dialog.h"

namespace lorvex {

std::optional<editor::DesignTarget> askDesignTarget(const char* caption,
                                                    const CommandContext& context) {
    DatabaseFileDialog dialog(QString::fromUtf8(caption), context.prompter, context.chooser,
                              context.parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.target();
}

editor::CommandResult runSaveCommand(const CommandContext& context) {
    std::optional<editor::DesignTarget> target = askDesignTarget(kSaveCaption, context);
    if (!target)
        return editor::CommandResult::Cancelled;
    return editor::SaveCommand(context.state, *target, context.prompter);
}

editor::CommandResult runDeleteCommand(const CommandContext& context) {
    std::optional<editor::DesignTarget> target = askDesignTarget(kDeleteCaption, context);
    if (!target)
        return editor::CommandResult::Cancelled;
    return editor::DeleteCommand(context.state, *target, context.prompter);
}

}  // namespace lorvex
