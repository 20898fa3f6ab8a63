// The editor dialog's command buttons: read, save and delete through the database-file
// dialog, and the attribute conversion through its own dialog.
#include "editor/ui/attribute_conversion_dialog.h"
#include "editor/ui/database_file_dialog.h"
#include "editor/ui/design_commands.h"
#include "editor/ui/editor_dialog.h"
#include "editor/ui/lorvex_file_dialog.h"

namespace lorvex {

platform::FileChooser& EditorDialog::fileChooser() {
    if (!chooser_) {
        ownChooser_ = std::make_unique<LorvexFileChooser>(this);
        chooser_ = ownChooser_.get();
    }
    return *chooser_;
}

void EditorDialog::onReadClicked() {
    std::optional<editor::DesignTarget> target =
        askDesignTarget(kReadCaption, {state_, *prompter_, fileChooser(), this});
    if (!target)
        return;
    // The model lays the page out again also when no design carries the code.
    model_->read(*target);
    showWorkingDesign();
}

void EditorDialog::onSaveClicked() {
    runSaveCommand({state_, *prompter_, fileChooser(), this});
}

void EditorDialog::onDeleteClicked() {
    runDeleteCommand({state_, *prompter_, fileChooser(), this});
}

void EditorDialog::onAttrConvertClicked() {
    runAttributeConversion(state_, *prompter_, fileChooser(), this);
}

}  // namespace lorvex
