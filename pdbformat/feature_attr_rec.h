#pragma once
// FeatureAttrRec, the converter's 128-byte attribute record, and the converter attribute
// database: a Palm database of FeatureAttrRec records and no design record, as csv2pdb and
// the two map conversions write it and pdb2csv reads it.
//
// File layout (every number big-endian):
//   0   name, 32 bytes: one byte per character, blanks and padding stored as 0, at most 31
//       characters so the field keeps its terminator
//   32  attributes 8, version 0, creation/modification/backup dates = Palm day stamp,
//       modification number 0, app-info and sort-info offsets 0, "DATA", "KWIB", seed 0
//   72  NextRecList 0, iRecNum n
//   78  n record-list entries: iRecPos 80 + 8n + 128(k-1), attributes 0x40, unique ID k
//   78 + 8n  2-byte gap, then the n records back to back; the file ends after the last one.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/local_date.h"

namespace pdb {

constexpr std::size_t kFeatureAttrRecSize = 128;
// iRecNum is written as a signed 16-bit count.
constexpr std::size_t kMaxFeatureAttrRecs = 32767;

// One record in host order. Numbers hold the bit pattern stored in the file; their types
// are the ones pdb2csv prints them as (so a UserData of -1 is stored as 65535). Text fields
// hold Shift-JIS bytes, zero-padded, without a terminator when the text fills the field;
// fill them with storeText.
struct FeatureAttrRec {
    std::uint32_t ID = 0;                  // offset 0
    std::uint8_t StatusCode = 0;           // 4
    std::uint8_t SymbolCode = 0;           // 5
    std::uint16_t UserData = 0;            // 6
    std::int16_t TopLeftX = 0;             // 8
    std::int16_t TopLeftY = 0;             // 10
    std::int16_t ExtentX = 0;              // 12
    std::int16_t ExtentY = 0;              // 14
    std::int32_t X = 0;                    // 16
    std::int32_t Y = 0;                    // 20
    std::array<std::uint8_t, 32> Text1{};  // 24
    std::array<std::uint8_t, 20> Text2{};  // 56
    std::uint16_t Value1 = 0;              // 76
    std::uint16_t Value2 = 0;              // 78
    std::uint8_t Flag1 = 0;                // 80
    std::uint8_t Flag2 = 0;                // 81
    std::uint8_t Flag3 = 0;                // 82
    std::uint8_t Flag4 = 0;                // 83
    std::uint8_t Flag5 = 0;                // 84
    std::uint8_t Flag6 = 0;                // 85
    std::uint16_t Value3 = 0;              // 86
    std::array<std::uint8_t, 40> Text3{};  // 88
    friend bool operator==(const FeatureAttrRec&, const FeatureAttrRec&) = default;
};

// Record ↔ its 128 file bytes, field by field.
void encodeFeatureAttrRec(const FeatureAttrRec& rec,
                          std::span<std::uint8_t, kFeatureAttrRecSize> out);
FeatureAttrRec decodeFeatureAttrRec(std::span<const std::uint8_t, kFeatureAttrRecSize> in);

// Stores Shift-JIS text in a zero-padded text field: trailing half-width blanks are stored
// as 0, and a text longer than the field is cut to it without splitting a double-byte
// character. Returns the number of text bytes kept.
std::size_t storeText(std::span<std::uint8_t> field, std::string_view sjis);

// The text of a zero-padded field: its bytes up to the first zero byte (all of them when
// there is none), less a lead byte left without its trail byte. Shift-JIS.
std::string storedText(std::span<const std::uint8_t> field);

// Whole days from 1904-01-01 to the date, times 86400, as the unsigned 32-bit value stored
// in the three header dates (2001-04-01 gives 3068928000, bytes B6 EC 20 00).
std::uint32_t palmDayStamp(const platform::LocalDate& date);

// The whole database file: header, record list, gap and records.
platform::Bytes encodeFeatureAttrDatabase(const std::array<std::uint8_t, 32>& nameField,
                                          const std::vector<FeatureAttrRec>& records,
                                          std::uint32_t dayStamp);

// The records of a converter attribute database (record k at 80 + 8n + 128(k-1), n from
// iRecNum), or why the file cannot hold them (UTF-8, naming the file and the record).
struct FeatureAttrRecords {
    std::vector<FeatureAttrRec> records;
    std::optional<std::string> problem;
};
FeatureAttrRecords readFeatureAttrRecords(std::span<const std::uint8_t> file,
                                          const std::string& path);

}  // namespace pdb
