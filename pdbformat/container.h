#pragma once
// The Palm database container: 72-byte header, list header, 8-byte record-list entries,
// a 2-byte gap, then the records back to back. Numbers are big-endian in the file and
// in host order in these structures.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

// The database name up to its terminator.
std::string databaseName(const PdbHeader& header);
// Sets the name, cut to 31 bytes without splitting a double-byte character; zero-filled.
void setDatabaseName(PdbHeader& header, std::string_view name);

}  // namespace pdb
