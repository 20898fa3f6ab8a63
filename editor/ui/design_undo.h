#pragma once
// One entry of the editor's undo history: a recorded change of the working design
// (editor/model/design_change.h) that the dialog reverts on undo and applies on redo,
// showing the object and page it concerns.
#include <QUndoCommand>
#include <functional>

#include "editor/model/editing_model.h"

namespace lorvex {

class DesignUndoCommand : public QUndoCommand {
  public:
    // Consecutive commands of one merge kind become one entry: nudges of the same object,
    // page switches.
    enum MergeKind { NoMerge = -1, NudgeMerge = 1, PageMerge = 2 };
    // Puts the change in (forward) or takes it out, then shows the selection given.
    using Restore = std::function<void(const editor::DesignChange& change, bool forward,
                                       const editor::Selection& selection)>;

    DesignUndoCommand(const QString& text, editor::RecordedChange change, MergeKind merge,
                      Restore restore);

    void undo() override;
    void redo() override;
    int id() const override { return merge_; }
    bool mergeWith(const QUndoCommand* other) override;

  private:
    editor::RecordedChange change_;
    MergeKind merge_;
    Restore restore_;
    bool pushed_ = false;  // the change was made before the command was pushed
};

}  // namespace lorvex
