#pragma once
// The Palm database container: 72-byte header, list header, 8-byte record-list entries,
// a 2-byte gap, then the records back to back. Numbers are big-endian in the file and
// in host order in these structures.
//
// Every database of both programs is read and written through readHead and encodeHead:
// the editor's master, default and attribute databases (PdbImage), the converter's
// attribute databases (FeatureAttrRec) and the graphic databases. What follows the gap is
// up to each database's own layout.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace pdb {

constexpr std::size_t kHeaderSize = 72;
constexpr std::size_t kListHeaderSize = 6;
constexpr std::size_t kRecListSize = 8;
constexpr std::size_t kGapSize = 2;
// Offset of the first record-list entry, and of the records when the list is empty.
constexpr std::size_t kRecListOffset = kHeaderSize + kListHeaderSize;  // 78
constexpr std::size_t recordsOffset(std::size_t recordCount) {
    return kRecListOffset + kRecListSize * recordCount + kGapSize;
}

struct PdbHeader {
    std::array<char, 32> name{};  // Shift-JIS, NUL-terminated
    std::uint16_t attributes = 0;
    std::uint16_t version = 0;
    std::uint32_t creationDate = 0;
    std::uint32_t modificationDate = 0;
    std::uint32_t lastBackupDate = 0;
    std::uint32_t modificationNumber = 0;
    std::uint32_t appInfoOffset = 0;
    std::uint32_t sortInfoOffset = 0;
    std::array<char, 4> type{};
    std::array<char, 4> creator{};
    std::uint32_t uniqueIdSeed = 0;
    friend bool operator==(const PdbHeader&, const PdbHeader&) = default;
};

struct ListHeader {
    std::uint32_t NextRecList = 0;
    std::uint16_t iRecNum = 0;
    friend bool operator==(const ListHeader&, const ListHeader&) = default;
};

struct RecList {
    std::uint32_t iRecPos = 0;
    std::uint8_t attributes = 0;
    std::uint32_t uniqueId = 0;  // 24 bits
    friend bool operator==(const RecList&, const RecList&) = default;
};

// Reverses the order of the width bytes of one field in place; its own inverse.
void ReverseBytes(std::size_t width, std::uint8_t* field);

// File bytes ↔ host structures. Name, type and creator are copied as they stand.
void SwapHeader(const std::uint8_t* file, PdbHeader& host);
void SwapHeader(const PdbHeader& host, std::uint8_t* file);
void SwapListHeader(const std::uint8_t* file, ListHeader& host);
void SwapListHeader(const ListHeader& host, std::uint8_t* file);
void SwapRecList(const std::uint8_t* file, RecList& host);
void SwapRecList(const RecList& host, std::uint8_t* file);

// ---- Reading and writing ------------------------------------------------------------

// The header, list header and record list at the start of a database file.
struct ContainerHead {
    PdbHeader header;
    ListHeader listHeader;
    std::vector<RecList> recList;
    // Bytes the head takes: 78 until the record count is known, then up to the end of the
    // gap. The head is complete when the bytes read hold that many.
    std::size_t needed = kRecListOffset;
    bool complete = false;
};

// Reads the head from the first bytes of a file. Bytes too short for the header leave it
// empty; bytes too short for the record list leave the header and list header read and
// the record list empty.
ContainerHead readHead(std::span<const std::uint8_t> bytes);

// The bytes before the first record: the header, the list header (NextRecList 0, iRecNum
// the number of entries), the record list and the zero gap.
platform::Bytes encodeHead(const PdbHeader& header, const std::vector<RecList>& recList);

// The converter's databases: attributes 8, version 0, the Palm day stamp in all three
// dates, type "DATA", creator "KWIB", the name field as it is to be stored.
constexpr std::uint16_t kConverterDatabaseAttributes = 8;
constexpr std::uint8_t kConverterRecordAttributes = 0x40;
PdbHeader converterHeader(const std::array<std::uint8_t, 32>& nameField, std::uint32_t dayStamp);
// The converter's record list: n records of recordSize bytes back to back after the gap,
// attributes 0x40, unique IDs 1 to n.
std::vector<RecList> converterRecordList(std::size_t n, std::size_t recordSize);

// The database name up to its terminator.
std::string databaseName(const PdbHeader& header);
// Sets the name, cut to 31 bytes without splitting a double-byte character; zero-filled.
void setDatabaseName(PdbHeader& header, std::string_view name);

}  // namespace pdb
