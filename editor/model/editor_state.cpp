#include "editor/model/editor_state.h"

#include "editor/model/kinds.h"

namespace editor {

void ResetEditor(EditorState& state) {
    state.image = pdb::PdbImage{};
    state.image.listHeader = pdb::ListHeader{0, 0};
    state.image.recList.clear();
    // The design buffer holds one design: no code, the standard counts, all else zero.
    state.image.designs.assign(1, DispRec{});
    state.image.designs[0].counts = kStandardCounts;
    state.image.attrRecs.assign(1, pdb::AttrRec{});
    state.working = freshWorkingDesign();
}

}  // namespace editor
