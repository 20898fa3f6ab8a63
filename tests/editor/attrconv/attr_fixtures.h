#pragma once
// Designs, records and small helpers shared by the attribute conversion tests.
#include <cstring>
#include <string>
#include <vector>

#include "editor/model/kinds.h"
#include "pdbformat/pdb_image.h"
#include "platform/cp932.h"

namespace attrtest {

inline std::string sj(const char* utf8) {
    return platform::toCp932(utf8);
}

// A design with the given counts of selection lists, integer, real and string texts; the
// other counts as a fresh editor has them, every object unplaced.
inline editor::DispRec designWithCounts(int c0, int c1, int c2, int c3) {
    editor::DispRec d = editor::freshWorkingDesign();
    d.counts[0] = static_cast<std::uint8_t>(c0);
    d.counts[1] = static_cast<std::uint8_t>(c1);
    d.counts[2] = static_cast<std::uint8_t>(c2);
    d.counts[3] = static_cast<std::uint8_t>(c3);
    editor::setFieldText(d.code, "K1");
    return d;
}

// An attribute database image holding the design and the records.
inline pdb::PdbImage attributeImage(const editor::DispRec& design,
                                    const std::vector<pdb::AttrRec>& records,
                                    const char* name = "attrdb") {
    pdb::PdbImage image;
    pdb::MakeNewImage(image);
    pdb::setDatabaseName(image.header, name);
    image.designs.assign(2, editor::DispRec{});
    image.designs[0] = design;
    image.attrRecs.assign(records.begin(), records.end());
    image.attrRecs.emplace_back();
    image.listHeader.iRecNum = static_cast<std::uint16_t>(records.size() + 1);
    return image;
}

inline void setStr(pdb::AttrRec& rec, std::size_t k, const std::string& sjis) {
    editor::setFieldText(rec.Str[k], sjis);
}

// The lines of a CSV text without their CR LF ends (the text must end with CR LF).
inline std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no CR LF>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Number of comma-separated pieces of a line.
inline std::size_t pieces(const std::string& line) {
    std::size_t n = 1;
    for (char c : line) n += c == ',';
    return n;
}

inline std::uint32_t floatBits(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
}

}  // namespace attrtest
