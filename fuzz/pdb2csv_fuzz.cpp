// Feeds arbitrary bytes to pdb2csv's database reader, name check and CSV printer: they must
// never read outside the file, and every record read must print as one CR LF line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "converter/attrconv/pdb2csv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> file(data, size);
    if (size >= 32)
        converter::databaseNameMatches(file.first(32), "fuzz");
    pdb::FeatureAttrRecords db = pdb::readFeatureAttrRecords(file, "fuzz.pdb");
    if (db.problem)
        return 0;
    std::string csv = converter::formatAttrCsv(db.records);
    std::size_t lines = 0;
    for (std::size_t i = 0; i + 1 < csv.size(); ++i)
        if (csv[i] == '\r' && csv[i + 1] == '\n')
            ++lines;
    if (lines < db.records.size())
        std::abort();
    return 0;
}
