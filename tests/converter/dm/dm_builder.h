#pragma once
// Builds DM files for tests record by record: 84-byte fixed-column lines with fields placed
// at their columns, so every test states its columns and values in the open.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace dmtest {

// An 84-byte blank line with each text placed at its 1-based column.
inline std::string record(const std::vector<std::pair<int, std::string>>& fields) {
    std::string line(84, ' ');
    for (const auto& [col, text] : fields) line.replace(col - 1, text.size(), text);
    return line;
}

// A number right-justified in a field of the given width.
inline std::string num(double v, int width = 7) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*.*g", width, 15, v);
    return buf;
}

// "M " record: line 1 with a number in columns 66–67, line 2 with the sheet corners
// (Nmin, Emin, Nmax, Emax in columns 1–28) and the unit code in columns 45–47.
inline std::vector<std::string> sheet(double nmin, double emin, double nmax, double emax,
                                      int unitCode) {
    return {record({{1, "M 99XX001 TEST"}, {66, " 1"}}), record({{1, num(nmin)},
                                                                 {8, num(emin)},
                                                                 {15, num(nmax)},
                                                                 {22, num(emax)},
                                                                 {45, num(unitCode, 3)}})};
}

// "H " record announcing c element records.
inline std::string group(int c, const std::string& layer = "3000") {
    return record({{1, "H "}, {3, layer}, {19, num(c, 5)}});
}

struct Pt {
    double north;
    double east;
};

// "E1"/"E2" record and its coordinate lines. dataKind 2 writes 6 points of 14 columns a
// line, 3 writes 4 points of 21 columns (height 0). Unused slots hold zeros.
inline std::vector<std::string> lineElement(const std::string& code, int classCode,
                                            const std::vector<Pt>& pts, int dataKind = 2) {
    int perLine = dataKind == 2 ? 6 : 4;
    int lines = static_cast<int>((pts.size() + perLine - 1) / perLine);
    std::vector<std::string> out{record({{1, code},
                                         {3, num(classCode, 4)},
                                         {21, std::to_string(dataKind)},
                                         {28, num(static_cast<double>(pts.size()), 4)},
                                         {32, num(lines, 4)}})};
    for (int l = 0; l < lines; ++l) {
        std::string text;
        for (int s = 0; s < perLine; ++s) {
            std::size_t k = static_cast<std::size_t>(l * perLine + s);
            Pt p = k < pts.size() ? pts[k] : Pt{0, 0};
            text += num(p.north) + num(p.east) + (dataKind == 2 ? "" : num(0));
        }
        out.push_back(text);
    }
    return out;
}

// Joins lines with CR LF, as DM files are delivered.
inline std::string file(const std::vector<std::vector<std::string>>& parts) {
    std::string out;
    for (const auto& part : parts)
        for (const auto& line : part) out += line + "\r\n";
    return out;
}

}  // namespace dmtest
