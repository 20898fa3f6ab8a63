// nsdi_sheetgen DIR [BUILDINGS]: writes a synthetic sheet folder (the sample when no
// building count is given).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sheet_generator.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: nsdi_sheetgen DIR [BUILDINGS]\n");
        return 2;
    }
    sheetgen::SheetOptions options;
    if (argc == 3)
        options = sheetgen::optionsForBuildings(std::strtoul(argv[2], nullptr, 10));
    auto counts = sheetgen::writeSheet(argv[1], options);
    std::printf(
        "%zu buildings (%zu named), %zu building arcs, %zu towns, %zu blocks, %zu river "
        "arcs, %zu railway arcs\n",
        counts.buildings, counts.namedBuildings, counts.buildingArcs, counts.towns, counts.blocks,
        counts.riverArcs, counts.railwayArcs);
    return 0;
}
