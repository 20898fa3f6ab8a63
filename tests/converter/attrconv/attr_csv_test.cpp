// The attribute CSV reader: field syntax, the conversion table with its ranges and
// rounding, text fields, and every kind of refused input with its line and column.
#include "converter/attrconv/attr_csv.h"

#include <gtest/gtest.h>

#include <array>
#include <map>

namespace {

using converter::FeatureAttrRec;
using converter::readAttrCsv;
using Bytes = std::vector<std::uint8_t>;

// A CSV line of 22 fields: every number 0 and every text empty, except the columns given.
std::string csvLine(const std::map<int, std::string>& fields) {
    std::string line;
    for (int column = 1; column <= 22; ++column) {
        if (column > 1)
            line += ',';
        auto it = fields.find(column);
        bool text = column == 11 || column == 12 || column == 22;
        line += it != fields.end() ? it->second : (text ? "" : "0");
    }
    return line;
}

// The one record of a one-line CSV; fails the test when the line is refused.
FeatureAttrRec readOne(const std::string& line) {
    converter::AttrCsvResult r = readAttrCsv(line);
    EXPECT_FALSE(r.problem) << (r.problem ? r.problem->what : "");
    EXPECT_EQ(r.records.size(), 1u);
    return r.records.empty() ? FeatureAttrRec{} : r.records[0];
}

// The problem of a refused CSV.
converter::CsvProblem refused(const std::string& csv) {
    converter::AttrCsvResult r = readAttrCsv(csv);
    EXPECT_TRUE(r.problem) << "accepted: " << csv;
    return r.problem.value_or(converter::CsvProblem{});
}

void expectRefusedAt(const std::string& csv, std::size_t line, int column,
                     const std::string& whatPart) {
    converter::CsvProblem p = refused(csv);
    EXPECT_EQ(p.line, line) << csv;
    EXPECT_EQ(p.column, column) << csv;
    EXPECT_NE(p.what.find(whatPart), std::string::npos) << p.what;
}

template <std::size_t N>
Bytes bytesOf(const std::array<std::uint8_t, N>& a) {
    return Bytes(a.begin(), a.end());
}

TEST(AttrCsvFields, LeadingBlanksQuotesAndLineEnds) {
    std::string csv = csvLine({{1, "  7"}, {11, "\"a,b\""}, {12, " \t\"x y\" "}}) + "\r\n" +
                      csvLine({{1, "8"}}) + "\n" + "\n" + "   \r\n" + csvLine({{1, "9"}}) + "\r" +
                      csvLine({{1, "10"}});
    converter::AttrCsvResult r = readAttrCsv(csv);
    ASSERT_FALSE(r.problem) << r.problem->what;
    ASSERT_EQ(r.records.size(), 4u);
    EXPECT_EQ(r.records[0].ID, 7u);
    EXPECT_EQ(converter::fieldText(r.records[0].Text1), "a,b");
    EXPECT_EQ(converter::fieldText(r.records[0].Text2), "x y");
    EXPECT_EQ(r.records[1].ID, 8u);
    EXPECT_EQ(r.records[2].ID, 9u);
    EXPECT_EQ(r.records[3].ID, 10u);  // the last line has no line end
}

TEST(AttrCsvFields, EmptyInputGivesNoRecords) {
    EXPECT_TRUE(readAttrCsv("").records.empty());
    EXPECT_FALSE(readAttrCsv("").problem);
    EXPECT_FALSE(readAttrCsv("\r\n\r\n").problem);
}

TEST(AttrCsvNumbers, EveryColumnLandsInItsField) {
    FeatureAttrRec r = readOne("1,2,3,4,5,6,7,8,9,10,t1,t2,13,14,15,16,17,18,19,20,21,t3");
    EXPECT_EQ(r.ID, 1u);
    EXPECT_EQ(r.StatusCode, 2);
    EXPECT_EQ(r.SymbolCode, 3);
    EXPECT_EQ(r.UserData, 4);
    EXPECT_EQ(r.TopLeftX, 5);
    EXPECT_EQ(r.TopLeftY, 6);
    EXPECT_EQ(r.ExtentX, 7);
    EXPECT_EQ(r.ExtentY, 8);
    EXPECT_EQ(r.X, 9);
    EXPECT_EQ(r.Y, 10);
    EXPECT_EQ(converter::fieldText(r.Text1), "t1");
    EXPECT_EQ(converter::fieldText(r.Text2), "t2");
    EXPECT_EQ(r.Value1, 13);
    EXPECT_EQ(r.Value2, 14);
    EXPECT_EQ(r.Flag1, 15);
    EXPECT_EQ(r.Flag2, 16);
    EXPECT_EQ(r.Flag3, 17);
    EXPECT_EQ(r.Flag4, 18);
    EXPECT_EQ(r.Flag5, 19);
    EXPECT_EQ(r.Flag6, 20);
    EXPECT_EQ(r.Value3, 21);
    EXPECT_EQ(converter::fieldText(r.Text3), "t3");
}

TEST(AttrCsvNumbers, SixteenBitPatternsAndTheirLimits) {
    // 65535 and -1 both store FF FF; 65536 stores 00 00 (65536 - 65536).
    EXPECT_EQ(readOne(csvLine({{4, "65535"}})).UserData, 0xFFFF);
    EXPECT_EQ(readOne(csvLine({{4, "-1"}})).UserData, 0xFFFF);
    EXPECT_EQ(readOne(csvLine({{4, "65536"}})).UserData, 0x0000);
    EXPECT_EQ(readOne(csvLine({{4, "98303"}})).UserData, 0x7FFF);  // 98303 - 65536 = 32767
    EXPECT_EQ(readOne(csvLine({{5, "40000"}})).TopLeftX, -25536);  // 40000 - 65536
    EXPECT_EQ(readOne(csvLine({{8, "-32768"}})).ExtentY, -32768);
    expectRefusedAt(csvLine({{4, "98304"}}), 1, 4, "範囲外");
    expectRefusedAt(csvLine({{7, "-32769"}}), 1, 7, "範囲外");
    // Value1 to Value3 take signed 16-bit values only.
    EXPECT_EQ(readOne(csvLine({{13, "-1"}})).Value1, 0xFFFF);
    EXPECT_EQ(readOne(csvLine({{21, "32767"}})).Value3, 0x7FFF);
    expectRefusedAt(csvLine({{13, "40000"}}), 1, 13, "-32768 ～ 32767");
    expectRefusedAt(csvLine({{14, "32768"}}), 1, 14, "範囲外");
    expectRefusedAt(csvLine({{21, "-32769"}}), 1, 21, "範囲外");
}

TEST(AttrCsvNumbers, BytesIdsAndCoordinates) {
    EXPECT_EQ(readOne(csvLine({{2, "255"}})).StatusCode, 255);
    expectRefusedAt(csvLine({{2, "256"}}), 1, 2, "0 ～ 255");
    expectRefusedAt(csvLine({{3, "-1"}}), 1, 3, "範囲外");
    expectRefusedAt(csvLine({{20, "256"}}), 1, 20, "範囲外");
    EXPECT_EQ(readOne(csvLine({{1, "-1"}})).ID, 0xFFFFFFFFu);
    EXPECT_EQ(readOne(csvLine({{1, "2147483647"}})).ID, 0x7FFFFFFFu);
    EXPECT_EQ(readOne(csvLine({{1, "-2147483648"}})).ID, 0x80000000u);
    expectRefusedAt(csvLine({{1, "2147483648"}}), 1, 1, "範囲外");
    // X and Y: 4294967295 and -1 both store FF FF FF FF; 3000000000 - 4294967296.
    EXPECT_EQ(readOne(csvLine({{9, "4294967295"}})).X, -1);
    EXPECT_EQ(readOne(csvLine({{9, "-1"}})).X, -1);
    EXPECT_EQ(readOne(csvLine({{10, "3000000000"}})).Y, -1294967296);
    EXPECT_EQ(readOne(csvLine({{10, "6442450943"}})).Y, 2147483647);
    EXPECT_EQ(readOne(csvLine({{9, "-2147483648"}})).X, -2147483647 - 1);
    expectRefusedAt(csvLine({{9, "6442450944"}}), 1, 9, "範囲外");
    expectRefusedAt(csvLine({{10, "-2147483649"}}), 1, 10, "範囲外");
}

TEST(AttrCsvNumbers, RoundedToNearestHalvesToEven) {
    EXPECT_EQ(readOne(csvLine({{2, "2.5"}})).StatusCode, 2);
    EXPECT_EQ(readOne(csvLine({{2, "3.5"}})).StatusCode, 4);
    EXPECT_EQ(readOne(csvLine({{2, "3.49"}})).StatusCode, 3);
    EXPECT_EQ(readOne(csvLine({{5, "-2.5"}})).TopLeftX, -2);
    EXPECT_EQ(readOne(csvLine({{1, "1e3"}})).ID, 1000u);
    EXPECT_EQ(readOne(csvLine({{1, "+12"}})).ID, 12u);
    EXPECT_EQ(readOne(csvLine({{1, "\"12\""}})).ID, 12u);
    EXPECT_EQ(readOne(csvLine({{1, "12  "}})).ID, 12u);
    // 255.5 rounds to 256, outside a byte; 255.4 rounds to 255.
    expectRefusedAt(csvLine({{15, "255.5"}}), 1, 15, "範囲外");
    EXPECT_EQ(readOne(csvLine({{15, "255.4"}})).Flag1, 255);
    // X: 2147483647.5 is reduced first (-2147483648.5) and then rounds to even.
    EXPECT_EQ(readOne(csvLine({{9, "2147483647.5"}})).X, -2147483647 - 1);
}

TEST(AttrCsvNumbers, WhatIsNotANumber) {
    expectRefusedAt(csvLine({{5, "12a"}}), 1, 5, "「12a」 は数値ではありません");
    expectRefusedAt(csvLine({{6, "abc"}}), 1, 6, "数値ではありません");
    expectRefusedAt(csvLine({{6, "+-1"}}), 1, 6, "数値ではありません");
    expectRefusedAt(csvLine({{6, "1.2.3"}}), 1, 6, "数値ではありません");
    expectRefusedAt(csvLine({{6, "inf"}}), 1, 6, "数値ではありません");
    expectRefusedAt(csvLine({{7, ""}}), 1, 7, "数値がありません");
    expectRefusedAt(csvLine({{8, "  "}}), 1, 8, "数値がありません");
    expectRefusedAt(csvLine({{1, "1e999"}}), 1, 1, "範囲外");
}

TEST(AttrCsvText, StoredZeroPaddedAndCutToTheField) {
    FeatureAttrRec r = readOne(csvLine({{11, "abc  "}}));
    Bytes expected{0x61, 0x62, 0x63};
    expected.resize(32, 0);
    EXPECT_EQ(bytesOf(r.Text1), expected);

    // Shift-JIS text is stored as its bytes: ビル is 83 72 83 8B.
    r = readOne(csvLine({{11, "\x83\x72\x83\x8B"}}));
    expected = {0x83, 0x72, 0x83, 0x8B};
    expected.resize(32, 0);
    EXPECT_EQ(bytesOf(r.Text1), expected);

    // One byte more than the field is cut to the field; two or more are refused.
    r = readOne(csvLine(
        {{11, std::string(33, 'a')}, {12, std::string(21, 'b')}, {22, std::string(41, 'c')}}));
    EXPECT_EQ(bytesOf(r.Text1), Bytes(32, 'a'));
    EXPECT_EQ(bytesOf(r.Text2), Bytes(20, 'b'));
    EXPECT_EQ(bytesOf(r.Text3), Bytes(40, 'c'));
    expectRefusedAt(csvLine({{11, std::string(34, 'a')}}), 1, 11, "34 バイト");
    expectRefusedAt(csvLine({{12, std::string(22, 'a')}}), 1, 12, "20 バイトまで");
    expectRefusedAt(csvLine({{22, std::string(42, 'a')}}), 1, 22, "長すぎます");

    // Trailing blanks do not make a text too long; a cut never splits あ (82 A0).
    r = readOne(csvLine({{12, std::string(20, 'd') + "     "}}));
    EXPECT_EQ(bytesOf(r.Text2), Bytes(20, 'd'));
    r = readOne(csvLine({{12, std::string(19, 'e') + "\x82\xA0"}}));
    expected.assign(19, 'e');
    expected.push_back(0);
    EXPECT_EQ(bytesOf(r.Text2), expected);
}

TEST(AttrCsvRefused, FieldCountsAndQuotes) {
    std::string line22 = csvLine({});
    expectRefusedAt(line22.substr(0, line22.rfind(',')), 1, 22, "21 項目しかありません");
    expectRefusedAt(line22 + ",0", 1, 23, "多すぎます");
    expectRefusedAt(line22 + ",", 1, 23, "多すぎます");
    expectRefusedAt(csvLine({{11, "\"abc"}}), 1, 11, "閉じる二重引用符");
    expectRefusedAt(csvLine({{12, "\"abc\"x"}}), 1, 12, "余分な文字");
    // The line number counts blank lines, so it is the line an editor shows.
    expectRefusedAt(csvLine({}) + "\n\n" + csvLine({{3, "x"}}) + "\n", 3, 3, "数値ではありません");
}

TEST(AttrCsvRefused, BytesThatAreNotText) {
    // A binary file: its first control character is reported, not its field count.
    std::string binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    expectRefusedAt(binary, 2, 1, "制御文字（0x1A）があります。テキストのファイルではない");
    expectRefusedAt(csvLine({}) + "\n" + csvLine({{11, std::string("a\0b", 3)}}), 2, 11,
                    "制御文字（0x00）");
    expectRefusedAt(csvLine({}) + std::string(",,,\x7f", 4), 1, 25, "0x7F");
    expectRefusedAt(csvLine({{22, "a\x82"}}), 1, 22, "Shift-JIS");
    expectRefusedAt(csvLine({{22, "\x82\x20z"}}), 1, 22, "0x82 0x20");
    expectRefusedAt(csvLine({{12, "\xFF"}}), 1, 12, "0xFF");
    expectRefusedAt(csvLine({{1, std::string("1\x01", 2)}}), 1, 1, "制御文字（0x01）");
}

TEST(AttrCsvRefused, MoreThan32767Records) {
    std::string one = csvLine({}) + "\r\n";
    std::string csv;
    csv.reserve(one.size() * 32768 + 4);
    for (int i = 0; i < 32767; ++i) csv += one;
    converter::AttrCsvResult ok = readAttrCsv(csv + "\r\n");
    ASSERT_FALSE(ok.problem);
    EXPECT_EQ(ok.records.size(), 32767u);
    // The 32768th record sits on line 32769 here, after a blank line.
    expectRefusedAt(csv + "\r\n" + one, 32769, 0, "多すぎます");
}

TEST(AttrCsvRefused, DescribedWithFileLineAndField) {
    converter::CsvProblem p{4, 13, "「40000」 は範囲外です（-32768 ～ 32767）。"};
    EXPECT_EQ(converter::describeCsvProblem("/d/a.csv", p),
              "/d/a.csv の 4 行目、13 列目（Value1）：「40000」 は範囲外です（-32768 ～ 32767）。");
    converter::CsvProblem whole{9, 0, "レコードが多すぎます。"};
    EXPECT_EQ(converter::describeCsvProblem("a.csv", whole),
              "a.csv の 9 行目：レコードが多すぎます。");
    converter::CsvProblem extra{2, 23, "項目が多すぎます。"};
    EXPECT_EQ(converter::describeCsvProblem("a.csv", extra),
              "a.csv の 2 行目、23 列目：項目が多すぎます。");
}

}  // namespace
