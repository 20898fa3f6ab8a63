#pragma once
// A screen design (DispRec) as JSON text and back, in the form docs/design-json.md
// describes: UTF-8 texts, every object with its kind, number, page, position, size, texts
// and limits, keys in a fixed order and one object per line, so that designs can be kept
// under version control and compared. The text of a design read back gives the same
// record byte for byte: fields whose bytes no plain value describes (bytes after a text's
// terminator, text that is not Shift-JIS, a page number that is no page, unused slots
// holding data) are carried as hexadecimal bytes.
#include <string>
#include <string_view>

#include "editor/model/kinds.h"

namespace editor {

// The JSON text of a design (ends with a line break).
std::string DesignToJson(const DispRec& design);

struct DesignJsonResult {
    bool ok = false;
    DispRec design;
    // When refused: the JSON path of the bad value and why, in Japanese
    // ("objects[3].labelX: ...").
    std::string error;
};

// The design a JSON text describes, or the first bad value found. Every value is checked:
// unknown and missing keys, types, ranges, texts without a Shift-JIS code (with the
// character and its position) or too long for their field, objects missing or listed twice.
DesignJsonResult DesignFromJson(std::string_view text);

}  // namespace editor
