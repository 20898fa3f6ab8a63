#include <gtest/gtest.h>

#include "converter/digitalmap/attribute_index.h"
#include "converter/digitalmap/digital_map.h"
#include "converter/digitalmap/sheet_reader.h"
#include "platform/cp932.h"
#include "support/test_support.h"

namespace {

using digitalmap::FieldReader;
using digitalmap::ReadStatus;
using digitalmap::SheetFile;

std::vector<std::pair<std::string, std::size_t>> allFields(std::string_view text) {
    FieldReader reader(text);
    std::vector<std::pair<std::string, std::size_t>> out;
    std::string f;
    while (reader.next(f)) out.emplace_back(f, reader.line());
    return out;
}

TEST(FieldReader, FieldsFlowAcrossLineEnds) {
    using V = std::vector<std::pair<std::string, std::size_t>>;
    EXPECT_EQ(allFields("a,b\r\nc\nd,e"), (V{{"a", 1}, {"b", 1}, {"c", 2}, {"d", 3}, {"e", 3}}));
    // blanks around fields dropped; empty lines hold no field
    EXPECT_EQ(allFields("  a ,\tb\t\r\n\r\n\r\n c "), (V{{"a", 1}, {"b", 1}, {"c", 4}}));
    // empty fields between commas and before a line end
    EXPECT_EQ(allFields("a,,b,\r\nc"), (V{{"a", 1}, {"", 1}, {"b", 1}, {"", 1}, {"c", 2}}));
    EXPECT_EQ(allFields("a,"), (V{{"a", 1}, {"", 1}}));
    EXPECT_TRUE(allFields("").empty());
    EXPECT_TRUE(allFields("\r\n\n").empty());
}

TEST(FieldReader, QuotedFieldsHoldCommasAndBlanks) {
    using V = std::vector<std::pair<std::string, std::size_t>>;
    EXPECT_EQ(allFields("1,\"a, b \",2\r\n"), (V{{"1", 1}, {"a, b ", 1}, {"2", 1}}));
    EXPECT_EQ(allFields("\"x\"  ,\"\""), (V{{"x", 1}, {"", 1}}));
    // Shift-JIS trail bytes never look like delimiters
    std::string sjis = platform::toCp932("表,ソ");  // 95 5C, 83 5C
    EXPECT_EQ(allFields(sjis), (V{{platform::toCp932("表"), 1}, {platform::toCp932("ソ"), 1}}));
}

TEST(FieldReader, SkipLineDropsTheRestOfTheLine) {
    FieldReader reader("title,with,\"many\" fields\r\nATR,1\r\n");
    reader.skipLine();
    std::string f;
    ASSERT_TRUE(reader.next(f));
    EXPECT_EQ(f, "ATR");
    EXPECT_EQ(reader.line(), 2u);
}

TEST(NumberFields, IntegersAndReals) {
    EXPECT_EQ(digitalmap::parseInteger("-17"), -17);
    EXPECT_EQ(digitalmap::parseInteger("+5"), 5);
    for (const char* bad : {"5.0", "12a", ""}) EXPECT_FALSE(digitalmap::parseInteger(bad)) << bad;
    EXPECT_EQ(digitalmap::parseReal("-36000.125"), -36000.125);
    EXPECT_EQ(digitalmap::parseReal("1e3"), 1000);
    EXPECT_EQ(digitalmap::parseReal("+2"), 2);
    for (const char* bad : {"abc", "inf", "1.5.2"}) EXPECT_FALSE(digitalmap::parseReal(bad)) << bad;
}

class SheetFileTest : public ::testing::Test {
  protected:
    bool open(SheetFile& file, const std::string& text) {
        std::string path = dir.file("f.arc");
        testsupport::writeBytes(path, testsupport::Bytes(text.begin(), text.end()));
        return file.open(path, "GAIKU/gaiku.arc");
    }
    testsupport::TempDir dir;
};

TEST_F(SheetFileTest, HeaderAndRecordsCountAgainstC) {
    SheetFile f;
    // C = 5: one arc of 3 points is exactly four records after the header.
    ASSERT_TRUE(
        open(f, "H,m,t,5,1,x,y,0,0,1.5,2\r\nL,1,9,3\r\n0,0\r\n1,1\r\n0.5,2\r\nL,1,10,2\r\n"));
    digitalmap::ExtentHeader h;
    ASSERT_EQ(f.readHeader(h), ReadStatus::Ok);
    EXPECT_EQ(h.recordCount, 5);
    EXPECT_EQ(h.arcCount, 1);
    EXPECT_DOUBLE_EQ(h.d3, 1.5);
    EXPECT_DOUBLE_EQ(h.d4, 2);
    EXPECT_TRUE(h.validCount());
    digitalmap::ArcRecord arc;
    ASSERT_EQ(f.readArc(arc), ReadStatus::Ok);
    EXPECT_EQ(arc.id, 9);
    EXPECT_EQ(arc.pointCount, 3);
    digitalmap::PointRecord p;
    for (int i = 0; i < 3; ++i) ASSERT_EQ(f.readPoint(p), ReadStatus::Ok);
    EXPECT_DOUBLE_EQ(p.north, 0.5);
    EXPECT_DOUBLE_EQ(p.east, 2);
    EXPECT_FALSE(f.recordsLeft());  // the arc after them is not read
}

TEST(ExtentHeader, RecordCountLimits) {
    digitalmap::ExtentHeader h;
    for (auto [count, valid] : {std::pair{0, false}, {1, true}, {262143, true}, {262144, false}}) {
        h.recordCount = count;
        EXPECT_EQ(h.validCount(), valid) << count;
    }
}

TEST_F(SheetFileTest, EarlyEndNonNumericFieldsAndMissingFile) {
    SheetFile f;
    ASSERT_TRUE(open(f, "H,m,t,9,1,x,y,0,0,1.5,2\r\nL,1,9\r\n"));
    digitalmap::ExtentHeader h;
    ASSERT_EQ(f.readHeader(h), ReadStatus::Ok);
    digitalmap::ArcRecord arc;
    EXPECT_EQ(f.readArc(arc), ReadStatus::EndOfFile);

    SheetFile g;
    ASSERT_TRUE(open(g, "H,m,t,9,1,x,y,0,0,1.5,2\r\nL,1,9,3\r\n0,0\r\n1,x1\r\n"));
    ASSERT_EQ(g.readHeader(h), ReadStatus::Ok);
    ASSERT_EQ(g.readArc(arc), ReadStatus::Ok);
    digitalmap::PointRecord p;
    ASSERT_EQ(g.readPoint(p), ReadStatus::Ok);
    EXPECT_EQ(g.readPoint(p), ReadStatus::Bad);
    EXPECT_EQ(g.error(),
              "GAIKU/gaiku.arc の 4 行目：点レコードの東座標「x1」が数値ではありません。");

    SheetFile k;
    ASSERT_TRUE(open(k, "H,m,t,many,1,x,y,0,0,1.5,2\r\n"));
    EXPECT_EQ(k.readHeader(h), ReadStatus::Bad);
    EXPECT_NE(k.error().find("レコード数"), std::string::npos) << k.error();
    EXPECT_NE(k.error().find("「many」"), std::string::npos) << k.error();

    SheetFile missing;
    EXPECT_FALSE(missing.open(dir.file("nothing.arc"), "KASEN/kasen.arc"));
    EXPECT_NE(missing.error().find("KASEN/kasen.arc"), std::string::npos) << missing.error();
}

TEST(AttributeIndex, TownNamesTakeTheFirstRecordOfAnId) {
    std::string atr =
        "header line, skipped\r\nA,7,x,y,z,first\r\nA,8,x,y,z,\"other, name\"\r\n"
        "A,7,x,y,z,second\r\n";
    auto index = digitalmap::LoadTownNames(atr, "GYOUSEI/tyome.atr");
    ASSERT_TRUE(index) << index.error();
    EXPECT_EQ(index->nameOf(7), "first");
    EXPECT_EQ(index->nameOf(8), "other, name");
    EXPECT_EQ(index->nameOf(9), "");
}

TEST(AttributeIndex, BuildingNamesTakeTheFirstPairOfTheLastRecord) {
    // q = 4 and q = 3 carry two pairs, q = 1 none (0.5 rounds to 0).
    std::string atr =
        "skip\r\n"
        "A,1,4,c1,one,c2,two\r\n"
        "A,2,3,c1,alpha,c2,beta\r\n"
        "A,3,1\r\n"
        "A,4,2,c1,early\r\n"
        "A,4,2,c1,late\r\n"
        "A,5,4,c1\r\nx,c2,y\r\n";  // a record spread over two lines
    auto index = digitalmap::LoadBuildingNames(atr, "TATEMONO/tatemono.atr");
    ASSERT_TRUE(index) << index.error();
    const char* names[] = {"one", "alpha", "", "late", "x", ""};  // IDs 1 to 6
    for (int id = 1; id <= 6; ++id) EXPECT_EQ(index->nameOf(id), names[id - 1]) << id;
    EXPECT_EQ(digitalmap::pairCount(3), 2);
    EXPECT_EQ(digitalmap::pairCount(5), 2);
    EXPECT_EQ(digitalmap::pairCount(1), 0);
}

TEST(AttributeIndex, MalformedRecordsAreNamed) {
    auto failure = [](platform::Result<digitalmap::NameIndex> r) {
        EXPECT_FALSE(r);
        return r.error();
    };
    EXPECT_EQ(failure(digitalmap::LoadBuildingNames("skip\r\nA,1,4,c1,one\r\n", "T/t.atr")),
              "T/t.atr の 2 行目：属性レコードの値の数「4」に対して、ファイルの終わりまでに"
              "値が 1 組しかありません。");
    EXPECT_EQ(failure(digitalmap::LoadBuildingNames("skip\r\nA,1\r\n", "T/t.atr")),
              "T/t.atr の 2 行目：レコードの途中でファイルが終わっています。");
    std::string error =
        failure(digitalmap::LoadBuildingNames("skip\r\nA,one,2,c,v\r\n", "T/t.atr"));
    EXPECT_NE(error.find("2 行目"), std::string::npos) << error;
    EXPECT_NE(error.find("「one」"), std::string::npos) << error;
    EXPECT_EQ(failure(digitalmap::LoadBuildingNames("skip\r\nA,1,-2\r\n", "T/t.atr")),
              "T/t.atr の 2 行目：属性レコードの値の数「-2」が負です。");
    failure(digitalmap::LoadTownNames("skip\r\nA,1,x,y\r\n", "G/t.atr"));
}

TEST(AttributeIndex, AFileInAnotherEncodingIsNamedWithItsLine) {
    const std::pair<std::string, std::string> cases[] = {
        // UTF-8 throughout: the first line with a character above ASCII.
        {"skip\r\nATR,7,2,01,\xE3\x83\x93\xE3\x83\xAB\r\n",
         "2 行目：UTF-8 で書かれているようです（「ビル」）。属性ファイルは Shift-JIS で保存して"
         "ください。"},
        // A long line is shown up to 60 bytes from its first wide character.
        {"skip\r\nATR,7,2,01,\xE3\x83\x93" + std::string(70, 'a') + "\r\n",
         "2 行目：UTF-8 で書かれているようです（「ビ" + std::string(57, 'a') +
             "」）。属性ファイルは Shift-JIS で保存してください。"},
        // Shift-JIS with a byte that no Shift-JIS character has.
        {"\x8C\x9A\x95\xA8\r\nATR,7,2,01,\x83\x72\xFF\r\n",
         "2 行目：Shift-JIS の文字として読めないバイト（0xFF 0x0D）があります。属性ファイルは "
         "Shift-JIS で保存してください。"},
        // UTF-16 (big-endian, no byte-order mark) of "A": its zero byte is a control character.
        {std::string("\0A", 2),
         "1 行目：制御文字（0x00）があります。Shift-JIS のテキストのファイルではないようです。"},
    };
    for (const auto& [atr, what] : cases) {
        auto buildings = digitalmap::LoadBuildingNames(atr, "T/t.atr");
        EXPECT_FALSE(buildings);
        EXPECT_EQ(buildings.error(), "T/t.atr の " + what);
        auto towns = digitalmap::LoadTownNames(atr, "G/t.atr");
        EXPECT_FALSE(towns);
        EXPECT_EQ(towns.error(), "G/t.atr の " + what);
    }
}

}  // namespace

TEST(BuildingCsvLine, TwentyTwoColumns) {
    EXPECT_EQ(
        digitalmap::BuildingCsvLine(7, 0, 0, platform::toCp932("ビル")),
        "7,3,0,0,-200,-200,400,400,0,0," + platform::toCp932("ビル") + ",,0,0,0,0,0,0,0,0,0,");
    // corners rounded halves to even, anchor unrounded
    EXPECT_EQ(digitalmap::BuildingCsvLine(12, 300.5, -31.25, ""),
              "12,3,0,0,100,-231,400,400,300.5,-31.25,,,0,0,0,0,0,0,0,0,0,");
    EXPECT_EQ(digitalmap::BuildingCsvLine(1, 0.5, 1.5, "a,b"),
              "1,3,0,0,-200,-198,400,400,0.5,1.5,\"a,b\",,0,0,0,0,0,0,0,0,0,");
}
