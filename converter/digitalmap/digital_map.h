#pragma once
// The Digital Map 2500 conversion: one sheet folder into a graphic database
// (B + "_G.pdb"), an attribute CSV (B + ".csv") and an attribute database (B + "_A.pdb")
// in the output folder, B being the sheet folder's name.
//
// CreateFromDigitalMap runs the whole conversion in stages announced through the Prompter:
// input checks, a sizing pass, buildings (1/7), place names (2/7), blocks (3/7), rivers
// (4/7), railways (5/7), the graphic database (6/7), then attrCSVcreate, which makes the
// CSV and calls attrPDBcreate, which makes the attribute database and reports (7/7).
//
// The three outputs are replaced together or not at all: each is written to a temporary
// file at its stage, and all three are put in place just before the "( 7 / 7 )" message,
// so a run that ends early, or fails to write any of them, leaves earlier files of those
// names untouched. Arc, attribute and name lookups use indexes built once, so the
// run takes time in proportion to the sheet.
#include <array>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/local_date.h"
#include "platform/prompter.h"

namespace digitalmap {

struct SheetPaths {
    std::string base;  // B
    std::string tatemonoArc, tatemonoPgn, tatemonoAtr;
    std::string tyomePgn, tyomeAtr;
    std::string gaikuArc, kasenArc, othersArc;
    std::string graphicDb, attrDb, attrCsv;
};

// B: the part of the sheet folder's path after its last "/" (trailing "/" ignored);
// the whole text when there is none. "/nsdi/53394525" gives "53394525".
std::string SheetBaseName(std::string_view sheetDir);
// The input and output paths; a sheet folder given as "." or ".." takes the base name of the
// folder it stands for.
SheetPaths MakeSheetPaths(const std::string& sheetDir, const std::string& outDir);

// The whole run. frame holds the twelve numbers of the settings form in the order tLatDeg,
// tLatMin, tLatSec, tLonDeg, tLonMin, tLonSec, bLatDeg, …, bLonSec. today gives the Palm
// day stamp. True when the run reached its end (the "( 7 / 7 )" message was shown), which
// is when the settings form closes.
bool CreateFromDigitalMap(const std::string& sheetDir, const std::string& outDir,
                          const std::array<double, 12>& frame, const platform::LocalDate& today,
                          platform::Prompter& prompter);

// Adds the attribute CSV of the sheet's buildings (one line per polygon record of
// tatemono.pgn) to the run's outputs, then calls attrPDBcreate. True when attrPDBcreate
// reached its end.
bool attrCSVcreate(const std::string& csvPath, const std::string& sheetDir,
                   const std::string& attrDbPath, const platform::LocalDate& today,
                   platform::Prompter& prompter, platform::OutputSet& outputs);

// Turns the attribute CSV (csvText, the bytes of csvPath in the run's outputs) into the
// attribute database, puts all the run's outputs in place and reports the end of the whole
// conversion. True when it reached its end.
bool attrPDBcreate(const std::string& csvPath, const std::string& csvText,
                   const std::string& attrDbPath, const platform::LocalDate& today,
                   platform::Prompter& prompter, platform::OutputSet& outputs);

// One CSV line (without its line end) for a building: ID, 3, 0, 0, the rounded top-left
// corner of its 400 × 400 box, 400, 400, the unrounded anchor, the name (in double quotes
// when it holds a comma), then the empty and zero columns up to 22.
std::string BuildingCsvLine(long long id, double x, double y, std::string_view sjisName);

}  // namespace digitalmap
