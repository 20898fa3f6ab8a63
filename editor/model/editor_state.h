#pragma once
// What the editor holds while it runs: its one database image and, beside it, the
// working design the user edits.
#include "editor/model/kinds.h"
#include "pdbformat/pdb_image.h"

namespace editor {

struct EditorState {
    pdb::PdbImage image;
    DispRec working;
};

// The state of a freshly opened editor: an empty image (record count 0) whose design
// buffer holds one design with the standard counts, and the fresh working design.
void ResetEditor(EditorState& state);

}  // namespace editor
