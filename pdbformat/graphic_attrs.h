#pragma once
// Which attribute record belongs to which area of a graphic database.
//
// A map conversion writes a graphic database ("_G.pdb") and an attribute database
// ("_A.pdb") side by side, but no field of either names the other's entries; the link is
// in how each conversion numbers them:
//
// - Digital Map 2500: every building record read gets the next serial number, and the
//   attribute database holds one record per building record, in the same order. Record k
//   (1-based) belongs to the area whose serial number is k. A building whose element was
//   dropped (no point inside the device range, too many points) leaves a serial unused,
//   so areas and records are matched by serial, not by counting areas.
// - DM: an attribute record is written for every closed building outline, the same
//   elements in the same order that became area elements. Record k belongs to the k-th
//   area element of the stream.
//
// When the numbers do not fit together (more buildings than records, records left over,
// serial numbers out of order) the files were not written by one run, and no area is
// linked: the caller says so rather than showing a record that may belong elsewhere.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pdbformat/graphic_stream.h"

namespace pdb {

// The conversion that wrote a graphic database, told from its elements: labels and the
// classes 1 to 4 come only from the Digital Map 2500 conversion; the DM conversion takes
// its classes from the first two digits of a four-digit class code (10 and above).
enum class GraphicMaker { Unknown, DigitalMap2500, Dm };
GraphicMaker GraphicMakerOf(std::span<const ElementHeader> elements);
// "数値地図2500", "DM", "不明".
const char* GraphicMakerName(GraphicMaker maker);

struct AreaAttributeLinks {
    GraphicMaker maker = GraphicMaker::Unknown;
    std::size_t areaCount = 0;    // area elements in the stream
    std::size_t recordCount = 0;  // attribute records
    // For each element of the stream (by its index), the 0-based index of its attribute
    // record; empty for elements that are not areas and for every area when problem is set.
    std::vector<std::optional<std::size_t>> recordOfElement;
    // Why no area is linked (UTF-8, for the user: both counts and what disagrees); empty
    // when the link holds.
    std::string problem;
};

// elements: the headers of every element of the stream, in stream order.
AreaAttributeLinks LinkAreasToAttributes(std::span<const ElementHeader> elements,
                                         std::size_t recordCount);

}  // namespace pdb
