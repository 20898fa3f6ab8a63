// The attribute CSV reader: field syntax, the conversion table with its ranges and
// rounding, text fields, and every kind of refused input with its line and column.
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

TEST(AttrCsvText, ZeroPaddedAndCutToTheField) {
    Bytes b = recordOf(11, "abc  ");
    Bytes abc{0x61, 0x62, 0x63};
    abc.resize(32, 0);
    EXPECT_EQ(at(b, 24, 32), abc);
    EXPECT_EQ(at(recordOf(11, "\x83\x72\x83\x8B"), 24, 5), (Bytes{0x83, 0x72, 0x83, 0x8B, 0}));
    // One byte more than the field is cut to it; trailing blanks do not count.
    EXPECT_EQ(at(recordOf(11, std::string(33, 'a')), 24, 32), Bytes(32, 'a'));
    EXPECT_EQ(at(recordOf(12, std::string(21, 'b')), 56, 20), Bytes(20, 'b'));
    EXPECT_EQ(at(recordOf(22, std::string(41, 'c')), 88, 40), Bytes(40, 'c'));
    EXPECT_EQ(at(recordOf(12, std::string(20, 'd') + "     "), 56, 20), Bytes(20, 'd'));
    // A cut never splits あ (82 A0).
    Bytes cut(19, 'e');
    cut.push_back(0);
    EXPECT_EQ(at(recordOf(12, std::string(19, 'e') + "\x82\xA0"), 56, 20), cut);
}

TEST(AttrCsvRefused, LineColumnAndReason) {
    struct Case {
        std::string csv;
        std::size_t line;
        int column;
        std::string what;
    };
    std::string ok = csvLine({});
    std::string ok32767;
    for (int i = 0; i < 32767; ++i) ok32767 += ok + "\r\n";
    const std::vector<Case> cases = {
        {csvLine({{4, "98304"}}), 1, 4, "「98304」 は範囲外です（-32768 ～ 98303）。"},
        {csvLine({{7, "-32769"}}), 1, 7, "範囲外"},
        {csvLine({{13, "40000"}}), 1, 13, "「40000」 は範囲外です（-32768 ～ 32767）。"},
        {csvLine({{21, "-32769"}}), 1, 21, "範囲外"},
        {csvLine({{14, "32767.5"}}), 1, 14, "範囲外"},  // rounds to 32768
        {csvLine({{2, "256"}}), 1, 2, "（0 ～ 255）"},
        {csvLine({{3, "-1"}}), 1, 3, "範囲外"},
        {csvLine({{15, "255.5"}}), 1, 15, "範囲外"},
        {csvLine({{1, "2147483648"}}), 1, 1, "範囲外"},
        {csvLine({{1, "1e999"}}), 1, 1, "範囲外"},
        {csvLine({{9, "6442450944"}}), 1, 9, "（-2147483648 ～ 6442450943）"},
        {csvLine({{10, "-2147483649"}}), 1, 10, "範囲外"},
        {csvLine({{5, "12a"}}), 1, 5, "「12a」 は数値ではありません。"},
        {csvLine({{6, "+-1"}}), 1, 6, "数値ではありません"},
        {csvLine({{6, "1.2.3"}}), 1, 6, "数値ではありません"},
        {csvLine({{6, "inf"}}), 1, 6, "数値ではありません"},
        {csvLine({{7, "  "}}), 1, 7, "数値がありません。"},
        {ok.substr(0, ok.rfind(',')), 1, 22, "項目が足りません（1 行に 22 項目必要ですが、21 項目"},
        {ok + ",0", 1, 23, "項目が多すぎます"},
        {ok + ",", 1, 23, "項目が多すぎます"},
        {csvLine({{11, "\"abc"}}), 1, 11, "閉じる二重引用符（\"）がありません。"},
        {csvLine({{12, "\"abc\"x"}}), 1, 12, "余分な文字があります"},
        {csvLine({{22, "a\x82"}}), 1, 22, "Shift-JIS の文字として読めないバイト（0x82）"},
        {csvLine({{22, "\x82\x20z"}}), 1, 22, "（0x82 0x20）"},
        {csvLine({{12, "\xFF"}}), 1, 12, "0xFF"},
        // Line numbers count blank lines, so they are the lines an editor shows.
        {ok + "\n\n" + csvLine({{3, "x"}}) + "\n", 3, 3, "数値ではありません"},
        // Not a text file: the first control character, before any field is looked at.
        {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), 2, 1,
         "制御文字（0x1A）があります。テキストのファイルではないようです。"},
        {ok + "\n" + csvLine({{11, std::string("a\0b", 3)}}), 2, 11, "制御文字（0x00）"},
        {ok + ",,,\x7f", 1, 25, "0x7F"},
        {"\xEF\xBB\xBF" + ok, 1, 0, "UTF-8 のファイルのようです"},
        // The 32768th record, on line 32769 after a blank line.
        {ok32767 + "\r\n" + ok, 32769, 0, "レコードが多すぎます（32767 件まで）。"},
    };
    for (const Case& c : cases) {
        converter::AttrCsvResult r = readAttrCsv(c.csv);
        ASSERT_TRUE(r.problem) << "accepted: " << c.csv.substr(0, 200);
        EXPECT_EQ(r.problem->line, c.line) << c.what;
        EXPECT_EQ(r.problem->column, c.column) << c.what;
        EXPECT_NE(r.problem->what.find(c.what), std::string::npos) << r.problem->what;
    }
    EXPECT_EQ(readAttrCsv(ok32767 + "\r\n").records.size(), 32767u);
}

}  // namespace
