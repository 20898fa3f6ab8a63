// Feeds arbitrary bytes to the converter's attribute CSV reader: it must accept or refuse
// with a line and column inside the text, never crash; what it accepts must encode into a
// database of exactly the expected size and decode back to the same records.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "converter/core/attr_csv.h"
#include "converter/core/conversion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    converter::AttrCsvResult result = converter::readAttrCsv(text);
    if (result.problem) {
        if (result.problem->line == 0 || result.problem->what.empty())
            std::abort();
        converter::describeCsvProblem("fuzz.csv", *result.problem);
        return 0;
    }
    std::array<std::uint8_t, 32> name{};
    platform::Bytes file = pdb::encodeFeatureAttrDatabase(name, result.records, 0);
    std::size_t n = result.records.size();
    if (file.size() != 80 + 8 * n + 128 * n)
        std::abort();
    for (std::size_t k = 0; k < n; ++k) {
        std::span<const std::uint8_t, 128> rec(file.data() + 80 + 8 * n + 128 * k, 128);
        if (!(pdb::decodeFeatureAttrRec(rec) == result.records[k]))
            std::abort();
    }
    return 0;
}
