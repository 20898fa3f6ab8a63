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
#include "platform/prompter.h"

namespace converter {

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

// The text of a field: its bytes up to the first zero byte (all of them when there is
// none), less a lead byte left without its trail byte. Shift-JIS.
std::string fieldText(std::span<const std::uint8_t> field);

// Whole days from 1904-01-01 to the date, times 86400, as the unsigned 32-bit value stored
// in the three header dates (2001-04-01 gives 3068928000, bytes B6 EC 20 00).
std::uint32_t palmDayStamp(const platform::LocalDate& date);

// The file name of a path without its folder and from its first "." on:
// "/data/a.b.pdb" gives "a.b" → "a". A trailing "/" does not count as the last one.
std::string baseNameOf(std::string_view path);

// Why a database name made from a file name (UTF-8) cannot be stored: it is empty, or it
// holds a character without a single-byte code (which would leave the name empty or cut,
// and the database unreadable to pdb2csv). A sentence naming the name, or nothing when the
// name can be stored.
std::optional<std::string> databaseNameProblem(std::string_view name);

// The message refusing an input whose name gives such a database name: names the file,
// says why and suggests a half-width name with the file's extension.
std::string refusedFileNameMessage(const std::string& path, const std::string& problem);

// The 32-byte database name field for a name (UTF-8): cut to 31 characters, one byte per
// character through Module1::byteConv, blanks and padding as 0. A character without a
// single-byte code shows "エラー：byteConv"; the name then keeps the characters before it.
std::array<std::uint8_t, 32> databaseNameField(std::string_view name, platform::Prompter& prompter);

// The whole database file: header, record list, gap and records.
platform::Bytes encodeFeatureAttrDatabase(const std::array<std::uint8_t, 32>& nameField,
                                          const std::vector<FeatureAttrRec>& records,
                                          std::uint32_t dayStamp);

// Writes a converter attribute database to path, whole or not at all (an earlier file
// survives a failure). The database name is baseNameOf(path), through databaseNameField;
// the three dates are palmDayStamp(today). More than kMaxFeatureAttrRecs records, or a
// failed write, shows an error naming the file (critical icon, the given title; empty
// means the application's title) and returns false.
bool writeFeatureAttrDatabase(const std::string& path, const std::vector<FeatureAttrRec>& records,
                              const platform::LocalDate& today, platform::Prompter& prompter,
                              std::string_view title = "");

// The same as one file of a run's outputs: the database goes into the set, which the run
// commits with commitOutputs once all its outputs are there.
bool stageFeatureAttrDatabase(platform::OutputSet& outputs, const std::string& path,
                              const std::vector<FeatureAttrRec>& records,
                              const platform::LocalDate& today, platform::Prompter& prompter,
                              std::string_view title = "");

// Puts a run's outputs in place; a failure shows which file could not be written and why
// (critical icon, the given title) and returns false, every earlier file being kept.
bool commitOutputs(platform::OutputSet& outputs, platform::Prompter& prompter,
                   std::string_view title = "");

// "ファイル「PATH」を作成できません（…）。" or "…を書き込めません（…）。", saying that the
// earlier file is still there when there is one.
std::string writeFailureText(const platform::WriteError& error);

}  // namespace converter
