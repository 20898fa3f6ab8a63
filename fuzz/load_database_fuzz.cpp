// Feeds arbitrary bytes to the database reader: it must refuse or load, never crash,
// and whatever it loads must encode back without touching memory it does not own.
#include <cstddef>
#include <cstdint>

#include "pdbformat/pdb_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pdb::PdbImage image;
    platform::Result<pdb::LoadStatus> result =
        pdb::LoadDatabaseBytes(image, data, size, "fuzz.pdb");
    if (result.ok()) {
        platform::Bytes again = pdb::EncodeDatabase(image);
        pdb::PdbImage reread;
        (void)pdb::LoadDatabaseBytes(reread, again.data(), again.size(), "again.pdb");
    }
    return 0;
}
