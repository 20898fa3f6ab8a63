// The CSV written from an attribute database: header rows from design record 0, data
// rows with their number formats, CR LF line ends, and the failure to write.
#include <gtest/gtest.h>

#include "attr_fixtures.h"
#include "editor/attrconv/attr_csv_export.h"
#include "platform/files.h"
#include "support/test_support.h"

using namespace attrtest;

namespace {

// Design with one list, one integer, one real and two string texts, laid out by hand.
editor::DispRec smallDesign() {
    editor::DispRec d = designWithCounts(1, 1, 1, 2);
    auto place = [&](std::size_t slot, int page, const char* label) {
        d.slots[slot].pageNumber = static_cast<std::uint8_t>(page);
        editor::setFieldText(d.slots[slot].labelText, sj(label));
    };
    place(2, 0, "種別");
    editor::setFieldText(d.slots[2].items, std::string("A\r\nB\r\nC\r\n"));
    place(3, 255, "unplaced label");  // not on any page: empty cells, the column kept
    place(4, 7, "面積");
    place(5, 1, "名称");
    place(6, 2, "備考");
    return d;
}

pdb::AttrRec smallRecord() {
    pdb::AttrRec r;
    r.ID = 1000;
    r.StatusCode = -1;  // byte FF
    r.SymbolCode = 5;
    r.UserData = -2;
    r.TopLeftX = 10;
    r.TopLeftY = 20;
    r.ExtentX = 30;
    r.ExtentY = 40;
    r.X = 123456;
    r.Y = -7;
    r.Cmb[0] = 0xFF;
    r.Cmb[1] = 9;  // beyond c0: not written
    r.Int[0] = -42;
    r.Real[0] = 2.5f;
    setStr(r, 0, sj("東京"));
    setStr(r, 2, "beyond c3");
    return r;
}

}  // namespace

TEST(AttributesCsvText, SmallDesignByteForByte) {
    pdb::PdbImage image = attributeImage(smallDesign(), {smallRecord()});
    const std::string expected =
        sj("項目名称(ID)") +
        ",StatusCode,SymbolCode,UserData,TopLeftX,TopLeftY,ExtentX,ExtentY,X,Y,"
        "Cmb[1],Int[1],Real[1],Str[1],Str[2]\r\n" +
        sj("ページ番号") + ",,,,,,,,,,0,,7,1,2\r\n" + sj("ラベル名称") + ",,,,,,,,,," + sj("種別") +
        ",," + sj("面積") + "," + sj("名称") + "," + sj("備考") + "\r\n" + sj("項目名称(Cmb)") +
        ",,,,,,,,,,0:\"A\" 1:\"B\" 2:\"C\" ,\r\n" +
        "1000,-1,5,-2,10,20,30,40,123456,-7,255,-42,2.500000," + sj("東京") + ",\r\n";
    EXPECT_EQ(editor::AttributesCsvText(image), expected);
}

TEST(AttributesCsvText, StandardCountsGive130CellsAndRow4Has60PlusComma) {
    editor::DispRec design = editor::freshWorkingDesign();
    pdb::AttrRec rec;
    for (std::size_t k = 0; k < pdb::kStrValues; ++k) setStr(rec, k, "s" + std::to_string(k));
    pdb::PdbImage image = attributeImage(design, {rec, pdb::AttrRec{}});
    auto lines = crlfLines(editor::AttributesCsvText(image));
    ASSERT_EQ(lines.size(), 6u);
    // Row 4: 60 cells, then a comma: 61 pieces, the last empty.
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(pieces(lines[i]), i == 3 ? 61u : 130u) << "row " << i + 1;
    EXPECT_EQ(lines[3].back(), ',');
    // Row 1 ends with the last string column; the data row with the last string value.
    EXPECT_TRUE(
        lines[0].ends_with(",Real[30],Str[1],Str[2],Str[3],Str[4],Str[5],Str[6],Str[7],"
                           "Str[8],Str[9],Str[10]"));
    EXPECT_TRUE(lines[4].ends_with(",s8,s9"));
}

TEST(AttributesCsvText, Rows2And3TakeSlots2To121UnderTheStandardCounts) {
    editor::DispRec design = editor::freshWorkingDesign();
    std::string pages;
    for (std::size_t slot = 0; slot < editor::kSlotCount; ++slot) {
        design.slots[slot].pageNumber = static_cast<std::uint8_t>(slot % 8);
        if (slot >= 2 && slot <= 121)
            pages += "," + std::to_string(slot % 8);
    }
    // A design without records gives the four header rows only.
    auto lines = crlfLines(editor::AttributesCsvText(attributeImage(design, {})));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], sj("ページ番号") + ",,,,,,,,," + pages);
    // The fresh design labels its objects "Cmb[1]" (slot 2) to "Str[10]" (slot 121).
    EXPECT_TRUE(lines[2].starts_with(sj("ラベル名称") + ",,,,,,,,,,Cmb[1],Cmb[2],")) << lines[2];
    EXPECT_NE(lines[2].find(",Cmb[50],Int[1],"), std::string::npos);
    EXPECT_NE(lines[2].find(",Int[30],Real[1],"), std::string::npos);
    EXPECT_NE(lines[2].find(",Real[30],Str[1],"), std::string::npos);
    EXPECT_TRUE(lines[2].ends_with(",Str[9],Str[10]")) << lines[2];
}

TEST(AttributesCsvText, NoValueCountsStillGiveOneDescribedObjectAndOneStrColumn) {
    editor::DispRec design = designWithCounts(0, 0, 0, 0);
    design.slots[2].pageNumber = 4;
    editor::setFieldText(design.slots[2].labelText, std::string("slot2"));
    pdb::AttrRec rec;
    rec.ID = 3;
    setStr(rec, 0, "first");
    setStr(rec, 1, "second");
    auto lines = crlfLines(editor::AttributesCsvText(attributeImage(design, {rec})));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], sj("項目名称(ID)") +
                            ",StatusCode,SymbolCode,UserData,TopLeftX,TopLeftY,ExtentX,"
                            "ExtentY,X,Y,Str[1]");
    EXPECT_EQ(lines[1], sj("ページ番号") + ",,,,,,,,,,4");
    EXPECT_EQ(lines[2], sj("ラベル名称") + ",,,,,,,,,,slot2");
    EXPECT_EQ(lines[3], sj("項目名称(Cmb)") + ",,,,,,,,,,");
    EXPECT_EQ(lines[4], "3,0,0,0,0,0,0,0,0,0,first");
}

TEST(AttributesCsvText, ItemListsOfSelectionLists) {
    editor::DispRec design = designWithCounts(4, 0, 0, 1);
    editor::setFieldText(design.slots[2].items, std::string("A\r\nB\r\nC"));
    editor::setFieldText(design.slots[3].items, std::string(""));
    editor::setFieldText(design.slots[4].items, std::string("x\r\n\r\n") + sj("山"));
    // An item with a comma would split the cell: the cell is quoted instead.
    editor::setFieldText(design.slots[5].items, std::string("1,5\r\n2"));
    auto lines = crlfLines(editor::AttributesCsvText(attributeImage(design, {})));
    EXPECT_EQ(lines[3], sj("項目名称(Cmb)") + ",,,,,,,,,,0:\"A\" 1:\"B\" 2:\"C\" ,," +
                            "0:\"x\" 1:\"\" 2:\"" + sj("山") + "\" ," +
                            "\"0:\"\"1,5\"\" 1:\"\"2\"\" \",");
}

TEST(AttributesCsvText, NumberFormats) {
    editor::DispRec design = designWithCounts(2, 2, 6, 1);
    pdb::AttrRec rec;
    rec.ID = -2147483647 - 1;
    rec.StatusCode = -128;
    rec.SymbolCode = 127;
    rec.UserData = -32768;
    rec.TopLeftX = 32767;
    rec.X = 2147483647;
    rec.Cmb = {0x80, 0x00};
    rec.Int[0] = -1;
    rec.Int[1] = 2147483647;
    rec.Real[0] = 0.1f;  // 0.100000001490116...
    rec.Real[1] = -1.25f;
    rec.Real[2] = 1234.5678f;  // 1234.5677490234375
    rec.Real[3] = 16777216.0f;
    rec.Real[4] = 1e-7f;  // below six decimals
    rec.Real[5] = -0.0f;
    auto lines = crlfLines(editor::AttributesCsvText(attributeImage(design, {rec})));
    EXPECT_EQ(lines[4],
              "-2147483648,-128,127,-32768,32767,0,0,0,2147483647,0,128,0,-1,2147483647,"
              "0.100000,-1.250000,1234.567749,16777216.000000,0.000000,-0.000000,");
}

TEST(AttributesCsvText, LabelsThatWouldBreakTheLayoutAreQuoted) {
    editor::DispRec design = designWithCounts(0, 0, 0, 3);
    design.slots[2].pageNumber = 0;
    editor::setFieldText(design.slots[2].labelText, std::string("a,b"));
    design.slots[3].pageNumber = 0;
    editor::setFieldText(design.slots[3].labelText, std::string("\"hi\" there"));
    design.slots[4].pageNumber = 0;
    editor::setFieldText(design.slots[4].labelText, std::string("say \"hi\""));
    auto lines = crlfLines(editor::AttributesCsvText(attributeImage(design, {})));
    EXPECT_EQ(lines[2], sj("ラベル名称") + ",,,,,,,,,,\"a,b\",\"\"\"hi\"\" there\",say \"hi\"");
}

TEST(ExportAttributesCsv, WritesTheFileAndWarnsAboutSeparatorsInTexts) {
    testsupport::TempDir dir;
    pdb::AttrRec plain = smallRecord();
    pdb::AttrRec withComma = smallRecord();
    setStr(withComma, 0, "a,b");
    pdb::PdbImage image = attributeImage(smallDesign(), {plain, withComma});
    const std::string path = dir.file("out.csv");
    editor::ExportResult r = editor::ExportAttributesCsv(image, path);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(testsupport::readText(path), editor::AttributesCsvText(image));
    EXPECT_NE(r.warning.find("レコード 2 Str[1]: a,b"), std::string::npos) << r.warning;
    EXPECT_NE(r.warning.find("（1 件）"), std::string::npos) << r.warning;

    image = attributeImage(smallDesign(), {plain});
    EXPECT_TRUE(editor::ExportAttributesCsv(image, path).warning.empty());
}

TEST(ExportAttributesCsv, FailureNamesTheFileAndKeepsTheEarlierOne) {
    testsupport::TempDir dir;
    pdb::PdbImage image = attributeImage(smallDesign(), {smallRecord()});

    const std::string missingFolder = dir.file("no/such/folder/out.csv");
    editor::ExportResult r = editor::ExportAttributesCsv(image, missingFolder);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.starts_with("ファイルが開けません。\n編集中でないか確認してください。\n" +
                                      missingFolder))
        << r.message;

    const std::string existing = dir.file("keep.csv");
    testsupport::writeBytes(existing, {'o', 'l', 'd'});
    platform::testing::WriteFaults faults(100);
    r = editor::ExportAttributesCsv(image, existing);
    faults.end();
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.starts_with("ファイルの書込みに失敗しました。")) << r.message;
    EXPECT_EQ(testsupport::readText(existing), "old");
}
