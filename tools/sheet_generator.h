#pragma once
// Writes synthetic Digital Map 2500 sheet folders: city blocks in a grid, each with two
// rows of terraced buildings whose party walls are arcs shared by neighbours, town polygons
// with Japanese names, block outlines, a river and a railway. Used for the sample sheet,
// the end-to-end tests and the benchmark.
#include <cstddef>
#include <string>

namespace sheetgen {

struct SheetOptions {
    int blocksEast = 3;       // blocks across the sheet
    int blocksNorth = 2;      // blocks up the sheet
    int buildingsPerRow = 4;  // two rows per block
    int townsEast = 2;        // town polygons across and up
    int townsNorth = 2;
    bool namedBuildings = true;  // attribute records for most buildings
    // Repeated IDs: a second arc with the ID of arc 1, later building attribute records for
    // every third named building, a second record for the first town.
    bool duplicates = false;
};

struct SheetCounts {
    std::size_t buildings = 0;
    std::size_t buildingArcs = 0;
    std::size_t towns = 0;
    std::size_t blocks = 0;
    std::size_t riverArcs = 0;
    std::size_t railwayArcs = 0;
    std::size_t namedBuildings = 0;
};

// Creates dir and its TATEMONO, GYOUSEI, GAIKU, KASEN and OTHERS folders and files.
SheetCounts writeSheet(const std::string& dir, const SheetOptions& options);

// Options for a sheet of about the given number of buildings.
SheetOptions optionsForBuildings(std::size_t buildings);

}  // namespace sheetgen
