#pragma once
// A readable text dump of a graphic database ("_G.pdb") and, optionally, of the attribute
// records that belong to its areas: what `vornik-cli dump` prints.
//
//   FILE: database "sample_G", type DATA, creator KWIB, attributes 8, version 0
//   dates 2001-12-05 2001-12-05 2001-12-05, modification 0, app info 0, sort info 0,
//      seed 0, next list 0                                              (one line)
//   records 1 (88 40 1): stream 384 bytes, 10 elements in 384, zero fill 0
//   @0 frame class 1 style 0 serial 0 length 10: origin E 44000 N 7800, extent E 400000
//      N 300000, values 0,0,0,0,0,0,0,0,0,0,0,0                         (one line)
//   @48 area class 30 style 32 serial 1 length 7+fill: box -24000,6000 2000x2000, 5 points
//      -24000,8000 -22000,8000 ...                                      (one line)
//     attributes 1: 1,3,0,0,-24000,6000,2000,2000,0,0,自動算出代表点,,0,0,0,0,0,0,0,0,0,
//   @1968 label class 10 style 0 serial 0 length 8: box -16200,11800 400x400, "本町一丁目"
//
// Offsets (@) are within the element stream; the record list shows each record's position,
// attributes (hex) and unique ID. "length" is the body length in 4-byte units, "+fill" the
// four zero bytes after an odd body. A body of another kind, or of the wrong size for its
// kind, is shown as hex bytes. The attribute record of an area is the one whose position
// (1-based) equals the area's serial number, printed as pdb2csv prints it (in UTF-8); when
// the number of records and of areas differ, a last line says so. Label text is converted
// from Shift-JIS to UTF-8.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pdbformat/feature_attr_rec.h"

namespace converter {

struct GraphicDump {
    std::string text;                    // the dump, as far as the stream could be walked
    std::optional<std::string> problem;  // why the walk stopped (UTF-8, with its offset)
};

GraphicDump dumpGraphicDatabase(std::span<const std::uint8_t> file, const std::string& shownName,
                                const std::vector<pdb::FeatureAttrRec>* attributes);

}  // namespace converter
