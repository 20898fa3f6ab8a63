#include "editor/ui/design_undo.h"

namespace lorvex {

DesignUndoCommand::DesignUndoCommand(const QString& text, editor::RecordedChange change,
                                     MergeKind merge, Restore restore)
    : QUndoCommand(text), change_(std::move(change)), merge_(merge), restore_(std::move(restore)) {}

void DesignUndoCommand::undo() {
    restore_(change_.change, false, change_.before);
}

void DesignUndoCommand::redo() {
    // The first redo is the push: the user has just made the change.
    if (!pushed_) {
        pushed_ = true;
        return;
    }
    restore_(change_.change, true, change_.after);
}

bool DesignUndoCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = dynamic_cast<const DesignUndoCommand*>(other);
    if (!next || next->merge_ != merge_ || merge_ == NoMerge)
        return false;
    // Nudges merge only while they move the same object.
    if (merge_ == NudgeMerge && !(next->change_.before == change_.after))
        return false;
    change_.change.append(next->change_.change);
    change_.after = next->change_.after;
    // Back where it started (a page shown and left again): nothing left to undo.
    setObsolete(change_.change.empty());
    return true;
}

}  // namespace lorvex
