// The attribute CSV reader: field syntax, the conversion table with its ranges and
// rounding (texts and refused input: the csv2pdb and csv2pdb-refused cases).
#include "converter/core/attr_csv.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using converter::readAttrCsv;
using pdb::FeatureAttrRec;
using Bytes = std::vector<std::uint8_t>;

// A CSV line of 22 fields: numbers 0 and texts empty, except the columns given.
std::string csvLine(const std::map<int, std::string>& fields) {
    std::string line;
    for (int column = 1; column <= 22; ++column) {
        auto it = fields.find(column);
        bool text = column == 11 || column == 12 || column == 22;
        line += (column > 1 ? "," : "") +
                (it != fields.end() ? it->second : std::string(text ? "" : "0"));
    }
    return line;
}

// The record of a one-line CSV with one column set, as its 128 file bytes.
Bytes recordOf(int column, const std::string& value) {
    converter::AttrCsvResult r = readAttrCsv(csvLine({{column, value}}));
    EXPECT_FALSE(r.problem) << column << " " << value << ": " << r.problem->what;
    Bytes b(128);
    if (r.records.size() == 1)
        pdb::encodeFeatureAttrRec(r.records[0], std::span<std::uint8_t, 128>(b.data(), 128));
    return b;
}

Bytes at(const Bytes& b, std::size_t offset, std::size_t len) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(offset),
                 b.begin() + static_cast<std::ptrdiff_t>(offset + len));
}

TEST(AttrCsvFields, BlanksQuotesLineEndsAndBlankLines) {
    std::string csv = csvLine({{1, "  7"}, {11, "\"a,b\""}, {12, " \t\"x y\" "}}) + "\r\n" +
                      csvLine({{1, "8"}}) + "\n\n   \r\n" + csvLine({{1, "9"}}) + "\r" +
                      csvLine({{1, "10"}});  // the last line has no line end
    converter::AttrCsvResult r = readAttrCsv(csv);
    ASSERT_FALSE(r.problem) << r.problem->what;
    ASSERT_EQ(r.records.size(), 4u);
    EXPECT_EQ(pdb::storedText(r.records[0].Text1), "a,b");
    EXPECT_EQ(pdb::storedText(r.records[0].Text2), "x y");
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(r.records[i].ID, 7 + i);
    EXPECT_TRUE(readAttrCsv("\r\n\r\n").records.empty());
    EXPECT_FALSE(readAttrCsv("").problem);
}

TEST(AttrCsvNumbers, EachColumnStoredAtItsOffset) {
    struct Case {
        int column;
        std::string value;
        std::size_t offset;
        Bytes stored;
    };
    const std::vector<Case> cases = {
        {1, "-1", 0, {0xFF, 0xFF, 0xFF, 0xFF}},
        {1, "-2147483648", 0, {0x80, 0, 0, 0}},
        {1, "1e3", 0, {0, 0, 0x03, 0xE8}},
        {1, "\"+12\"", 0, {0, 0, 0, 12}},
        {2, "2.5", 4, {2}},  // halves to the even neighbour
        {2, "3.5", 4, {4}},
        {3, "255.4", 5, {255}},
        {4, "65535", 6, {0xFF, 0xFF}},
        {4, "-1", 6, {0xFF, 0xFF}},
        {4, "65536", 6, {0x00, 0x00}},
        {4, "98303", 6, {0x7F, 0xFF}},
        {5, "40000", 8, {0x9C, 0x40}},  // 40000 - 65536 = -25536
        {6, "-2.5", 10, {0xFF, 0xFE}},
        {7, "32767", 12, {0x7F, 0xFF}},
        {8, "-32768", 14, {0x80, 0x00}},
        {9, "4294967295", 16, {0xFF, 0xFF, 0xFF, 0xFF}},
        {9, "-1", 16, {0xFF, 0xFF, 0xFF, 0xFF}},
        {9, "2147483647.5", 16, {0x80, 0, 0, 0}},  // reduced first, then rounded to even
        {10, "3000000000", 20, {0xB2, 0xD0, 0x5E, 0x00}},
        {10, "6442450943", 20, {0x7F, 0xFF, 0xFF, 0xFF}},
        {13, "-1", 76, {0xFF, 0xFF}},
        {14, "32767", 78, {0x7F, 0xFF}},
        {15, "1", 80, {1}},
        {20, "255", 85, {255}},
        {21, "-32768", 86, {0x80, 0x00}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(at(recordOf(c.column, c.value), c.offset, c.stored.size()), c.stored)
            << "column " << c.column << " value " << c.value;
}

}  // namespace
