#pragma once
// The editor's in-memory image of one database (PdbImage), and the operations that
// read a database file into it and write it back whole.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "pdbformat/attr_rec.h"
#include "pdbformat/container.h"
#include "pdbformat/disp_rec.h"
#include "platform/files.h"
#include "platform/large_block_allocator.h"

namespace pdb {

// The editor tells its databases apart by name alone, byte for byte.
enum class DatabaseKind { Master, Default, Attribute };
DatabaseKind kindOfName(std::string_view name);
const char* kindLabel(DatabaseKind kind);  // "master", "default", "attribute"

using DesignList = std::vector<DispRec, platform::LargeBlockAllocator<DispRec>>;

struct PdbImage {
    PdbHeader header;
    ListHeader listHeader;
    std::vector<RecList> recList;
    // The design records held, followed by one spare empty design.
    DesignList designs = DesignList(1);
    // The attribute records held (attribute databases only), followed by one spare.
    std::vector<AttrRec> attrRecs = std::vector<AttrRec>(1);
    bool fromFile = false;             // false: a new image (no file was there)
    std::size_t recordsNotLoaded = 0;  // records of a "Default" file after its first

    std::size_t heldDesigns() const { return designs.empty() ? 0 : designs.size() - 1; }
    std::size_t heldAttrRecs() const { return attrRecs.empty() ? 0 : attrRecs.size() - 1; }
    DatabaseKind kind() const { return kindOfName(databaseName(header)); }
};

// Turns the image into a new, empty database: version 100, type "DATA", creator "KWIB",
// zero dates, one all-zero design record. The database name is left as it was.
void MakeNewImage(PdbImage& image);

// What LoadDatabase made of the file: its image, or a new image where no file was.
enum class LoadStatus { Loaded, NewImage };

// Reads the file into the image. A file that does not exist gives a new image.
// A file that exists but cannot be read, whose length or record list disagrees with
// the record count its header gives (records back to back after the gap), that holds a
// design whose counts exceed the capacities, or that needs more memory than there is, is
// refused: the image is then left as it was and the failure names the file and says why.
platform::Result<LoadStatus> LoadDatabase(PdbImage& image, const std::string& path);
// The same for bytes already in memory; path only names the file in messages.
platform::Result<LoadStatus> LoadDatabaseBytes(PdbImage& image, const std::uint8_t* data,
                                               std::size_t size, const std::string& path);

// Rebuilds the record list and returns the whole file's bytes. Writes no more records
// than the image holds.
platform::Bytes EncodeDatabase(PdbImage& image);

// The same, handing the bytes to sink piece by piece (header and list first, then one
// record at a time); stops early when sink returns false.
bool EncodeDatabase(PdbImage& image,
                    const std::function<bool(const std::uint8_t*, std::size_t)>& sink);

// Rebuilds the record list and writes the whole image to the file, atomically: on any
// failure the file that was there before is unchanged and the failure says why
// ("ファイルが開けません。" when the file cannot be created).
platform::Status WriteDatabase(PdbImage& image, const std::string& path);

// The same as one file of a run's outputs: the file goes into the set, which the caller
// commits with the run's other outputs.
platform::Status StageDatabase(PdbImage& image, const std::string& path,
                               platform::OutputSet& outputs);

// The message of a failed write of a database: "ファイルが開けません。" when the file
// cannot be created, else "ファイルの書込みに失敗しました。", then the path and the reason.
platform::Status WriteFailure(const platform::WriteError& error);

// Offset of record i as the editor lays it out for the given kind and record count.
std::uint32_t recordOffset(DatabaseKind kind, std::size_t recordCount, std::size_t i);

}  // namespace pdb
