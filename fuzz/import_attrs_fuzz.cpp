// Feeds arbitrary text to the attribute CSV import under a design whose value counts come
// from the first four bytes. The import must refuse or fill exactly the records it
// counts; its first rows, exported and imported again, must export to the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editor/attrconv/attr_csv_export.h"
#include "editor/attrconv/attr_csv_import.h"
#include "editor/model/kinds.h"

namespace {

// The empty database with the fresh design is made once; each run copies it.
const pdb::PdbImage& freshImage() {
    static const pdb::PdbImage image = [] {
        pdb::PdbImage made;
        pdb::MakeNewImage(made);
        made.designs[0] = editor::freshWorkingDesign();
        return made;
    }();
    return image;
}

pdb::PdbImage imageWithCounts(const std::uint8_t* data) {
    pdb::PdbImage image = freshImage();
    for (std::size_t k = 0; k < 4; ++k)
        image.designs[0].counts[k] =
            static_cast<std::uint8_t>(data[k] % (editor::kCapacities[k] + 1));
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return 0;
    pdb::PdbImage image = imageWithCounts(data);
    std::string_view csv(reinterpret_cast<const char*>(data + 4), size - 4);
    editor::ImportResult first = editor::ImportAttributesCsvText(image, csv, "fuzz.csv");
    if (!first.ok)
        return 0;
    if (image.listHeader.iRecNum != first.records + 1 || image.heldAttrRecs() != first.records)
        std::abort();

    // Rows are written and read one at a time, so the round trip of the first eight shows
    // all it can; later rows (each written with all its columns) would only add time.
    const std::size_t rows = std::min<std::size_t>(first.records, 8);
    image.attrRecs.resize(rows + 1);
    const std::string exported = editor::AttributesCsvText(image);
    pdb::PdbImage again = imageWithCounts(data);
    editor::ImportResult second = editor::ImportAttributesCsvText(again, exported, "again.csv");
    if (!second.ok || second.records != rows)
        std::abort();
    if (editor::AttributesCsvText(again) != exported)
        std::abort();
    return 0;
}
