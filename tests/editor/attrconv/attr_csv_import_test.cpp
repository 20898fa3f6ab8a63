// Reading the CSV back: cells and line ends, the record count, the conversions of each
// field, short and long rows, and the files that are refused.
#include <gtest/gtest.h>

#include <limits>

#include "attr_fixtures.h"
#include "editor/attrconv/attr_csv_import.h"
#include "support/test_support.h"

using namespace attrtest;
using namespace std::string_literals;
using editor::CsvCellReader;
using editor::ImportProblem;

namespace {

const std::string kHeader = "h1\r\nh2\r\nh3\r\nh4,\r\n";
const std::string kSaveAsShiftJis = "CSV は Shift-JIS で保存して下さい。";

struct Imported {
    pdb::PdbImage image;
    editor::ImportResult result;
};

Imported importText(const std::string& csv, const editor::DispRec& design) {
    Imported out{attributeImage(design, {}), {}};
    out.result = editor::ImportAttributesCsvText(out.image, csv, "in.csv");
    return out;
}

// One list, one integer, one real and two string values per row.
editor::DispRec smallDesign() {
    return designWithCounts(1, 1, 1, 2);
}

std::vector<ImportProblem::Kind> kinds(const editor::ImportResult& r) {
    std::vector<ImportProblem::Kind> out;
    for (const auto& p : r.problems) out.push_back(p.kind);
    return out;
}

}  // namespace

TEST(ReadCell, CellsEndAtTheDelimiterAtLfOrCrLfAndAtTheEnd) {
    CsvCellReader reader("a,b\r\nc\n,\r\nx\ry,last");
    struct Want {
        const char* text;
        CsvCellReader::End end;
        std::size_t lineAfter;
    };
    const Want wants[] = {
        {"a", CsvCellReader::End::Delimiter, 1},
        {"b", CsvCellReader::End::LineEnd, 2},
        {"c", CsvCellReader::End::LineEnd, 3},
        {"", CsvCellReader::End::Delimiter, 3},
        {"", CsvCellReader::End::LineEnd, 4},
        {"x\ry", CsvCellReader::End::Delimiter, 4},
        {"last", CsvCellReader::End::LineEnd, 4},
        // At the end already: an empty cell ending at a line end, again and again.
        {"", CsvCellReader::End::LineEnd, 4},
        {"", CsvCellReader::End::LineEnd, 4},
    };
    for (const Want& w : wants) {
        CsvCellReader::Cell cell = reader.ReadCell(',');
        EXPECT_EQ(cell.text, w.text);
        EXPECT_EQ(cell.end, w.end) << w.text;
        EXPECT_EQ(reader.line(), w.lineAfter) << w.text;
        EXPECT_FALSE(cell.cut());
    }
    EXPECT_TRUE(reader.atEnd());
}

TEST(ReadCell, CellsOver255BytesAreCutWithoutSplittingACharacter) {
    const std::string text = std::string(300, 'x') + ",next";
    CsvCellReader reader(text);
    CsvCellReader::Cell cell = reader.ReadCell(',');
    EXPECT_EQ(cell.text, std::string(255, 'x'));
    EXPECT_EQ(cell.fullLength, 300u);
    EXPECT_TRUE(cell.cut());
    EXPECT_EQ(reader.ReadCell(',').text, "next");  // the rest of the long cell is consumed

    // 254 single bytes, then a double-byte character across the limit.
    const std::string kanji = sj("山");
    const std::string text2 = std::string(254, 'y') + kanji + "z";
    CsvCellReader split(text2);
    cell = split.ReadCell(',');
    EXPECT_EQ(cell.text, std::string(254, 'y'));
    EXPECT_EQ(cell.fullLength, 257u);
    EXPECT_EQ(cell.end, CsvCellReader::End::LineEnd);
}

TEST(ImportAttributesCsv, RecordCountFollowsTheLineEndsAfterTheHeaderRows) {
    Imported only = importText(kHeader, smallDesign());
    ASSERT_TRUE(only.result.ok);
    EXPECT_EQ(only.image.listHeader.iRecNum, 1);
    EXPECT_EQ(only.image.heldAttrRecs(), 0u);

    // Row 4 without its line end still completes the header rows.
    Imported noLf = importText("h1\nh2\nh3\nh4", smallDesign());
    ASSERT_TRUE(noLf.result.ok);
    EXPECT_EQ(noLf.image.listHeader.iRecNum, 1);

    // LF alone ends lines as well; a blank line is a record whose ID is 0; a last row
    // without its line end is a record too.
    Imported rows = importText("h1\nh2\nh3\nh4\n5\n\n7,1\r\n9", smallDesign());
    ASSERT_TRUE(rows.result.ok);
    EXPECT_EQ(rows.image.listHeader.iRecNum, 5);
    ASSERT_EQ(rows.image.heldAttrRecs(), 4u);
    EXPECT_EQ(rows.image.attrRecs[0].ID, 5);
    EXPECT_TRUE(pdb::sameBytes(rows.image.attrRecs[1], pdb::AttrRec{}));
    EXPECT_EQ(rows.image.attrRecs[2].ID, 7);
    EXPECT_EQ(rows.image.attrRecs[2].StatusCode, 1);
    EXPECT_EQ(rows.image.attrRecs[3].ID, 9);
    EXPECT_TRUE(rows.result.problems.empty());
}

TEST(ImportAttributesCsv, IntegersKeepTheirLowBitsAndOutOfRangeIsReported) {
    // StatusCode 300 stores 44 (0x12C → 0x2C); -1 stores FF; Cmb 256 stores 0.
    Imported in = importText(kHeader + "4294967295,300,-1,65535,-32768,0,0,0,0,0,256\r\n" +
                                 "4294967296,128,-129,65536,-32769,0,0,0,0,0,-1\r\n",
                             smallDesign());
    ASSERT_TRUE(in.result.ok);
    const pdb::AttrRec& a = in.image.attrRecs[0];
    EXPECT_EQ(a.ID, -1);  // FFFFFFFF
    EXPECT_EQ(static_cast<std::uint8_t>(a.StatusCode), 0x2C);
    EXPECT_EQ(static_cast<std::uint8_t>(a.SymbolCode), 0xFF);
    EXPECT_EQ(static_cast<std::uint16_t>(a.UserData), 0xFFFF);
    EXPECT_EQ(static_cast<std::uint16_t>(a.TopLeftX), 0x8000);
    EXPECT_EQ(a.Cmb[0], 0);
    const pdb::AttrRec& b = in.image.attrRecs[1];
    EXPECT_EQ(b.ID, 0);  // 2^32 keeps no low bits
    EXPECT_EQ(static_cast<std::uint8_t>(b.StatusCode), 0x80);
    EXPECT_EQ(static_cast<std::uint8_t>(b.SymbolCode), 0x7F);
    EXPECT_EQ(b.UserData, 0);
    EXPECT_EQ(static_cast<std::uint16_t>(b.TopLeftX), 0x7FFF);
    EXPECT_EQ(b.Cmb[0], 0xFF);

    // Out of range: 300 and 256 in row 5; 4294967296, -129, 65536, -32769 in row 6.
    // 128, -1, 65535 and -32768 have their bit patterns in the field and pass.
    ASSERT_EQ(in.result.problemCount, 6u);
    const ImportProblem& first = in.result.problems[0];
    EXPECT_EQ(first.kind, ImportProblem::Kind::OutOfRange);
    EXPECT_EQ(first.line, 5u);
    EXPECT_EQ(first.column, 2u);
    EXPECT_EQ(first.field, "StatusCode");
    EXPECT_EQ(first.cell, "300");
    EXPECT_EQ(first.stored, "44");
    EXPECT_EQ(in.result.problems[1].field, "Cmb[1]");
    EXPECT_EQ(in.result.problems[1].column, 11u);
    EXPECT_EQ(in.result.problems[2].field, "項目名称(ID)");
    EXPECT_EQ(in.result.problems[2].line, 6u);
}

TEST(ImportAttributesCsv, IntegerCellsReadTheirLeadingNumber) {
    Imported in = importText(kHeader + "  12 ,+7,,12abc,abc,-,3.9,0,0,0\r\n", smallDesign());
    ASSERT_TRUE(in.result.ok);
    const pdb::AttrRec& r = in.image.attrRecs[0];
    EXPECT_EQ(r.ID, 12);
    EXPECT_EQ(r.StatusCode, 7);
    EXPECT_EQ(r.SymbolCode, 0);  // empty cell: 0, nothing to report
    EXPECT_EQ(r.UserData, 12);   // "12abc"
    EXPECT_EQ(r.TopLeftX, 0);    // "abc"
    EXPECT_EQ(r.TopLeftY, 0);    // "-"
    EXPECT_EQ(r.ExtentX, 3);     // "3.9"
    std::vector<std::string> fields;
    for (const auto& p : in.result.problems) {
        EXPECT_EQ(p.kind, ImportProblem::Kind::NotANumber);
        fields.push_back(p.field + "=" + p.stored);
    }
    EXPECT_EQ(fields,
              (std::vector<std::string>{"UserData=12", "TopLeftX=0", "TopLeftY=0", "ExtentX=3"}));
}

TEST(ImportAttributesCsv, RealsAreRoundedOnceToSinglePrecision) {
    editor::DispRec design = designWithCounts(0, 0, 10, 1);
    Imported in = importText(
        kHeader + "0,0,0,0,0,0,0,0,0,0,1.25,0.1,-2.5e3,.5,1e39,1e-50,x,16777217, 7. ,3e\r\n",
        design);
    ASSERT_TRUE(in.result.ok);
    const auto& real = in.image.attrRecs[0].Real;
    EXPECT_EQ(floatBits(real[0]), 0x3FA00000u);             // 1.25 exactly
    EXPECT_EQ(floatBits(real[1]), 0x3DCCCCCDu);             // nearest single to 0.1
    EXPECT_EQ(floatBits(real[2]), 0xC51C4000u);             // -2500
    EXPECT_EQ(floatBits(real[3]), 0x3F000000u);             // 0.5
    EXPECT_EQ(real[4], std::numeric_limits<float>::max());  // too large: reported
    EXPECT_EQ(floatBits(real[5]), 0u);                      // too small: zero
    EXPECT_EQ(floatBits(real[6]), 0u);                      // not a number: reported
    // 16777217 lies halfway between two singles: ties to even, 16777216.
    EXPECT_EQ(floatBits(real[7]), 0x4B800000u);
    EXPECT_EQ(floatBits(real[8]), 0x40E00000u);  // " 7. "
    EXPECT_EQ(floatBits(real[9]), 0x40400000u);  // "3e": 3, then text that is not a number
    EXPECT_EQ(kinds(in.result),
              (std::vector<ImportProblem::Kind>{ImportProblem::Kind::OutOfRange,
                                                ImportProblem::Kind::NotANumber,
                                                ImportProblem::Kind::NotANumber}));
}

TEST(ImportAttributesCsv, ShortRowsFinishTheirRecordAndLongRowsAreCutOff) {
    // Row cut after ID; a full row with surplus cells; a row with empty surplus cells.
    const std::string csv = kHeader + "7\r\n" + "8,1,1,1,1,1,1,1,1,1,2,3,4.5,s1,s2,extra,more\r\n" +
                            "9,0,0,0,0,0,0,0,0,0,0,0,0,a,b,,\r\n";
    Imported in = importText(csv, smallDesign());
    ASSERT_TRUE(in.result.ok);
    ASSERT_EQ(in.image.heldAttrRecs(), 3u);
    pdb::AttrRec onlyId;
    onlyId.ID = 7;
    EXPECT_TRUE(pdb::sameBytes(in.image.attrRecs[0], onlyId));
    EXPECT_EQ(in.image.attrRecs[1].ID, 8);
    EXPECT_EQ(editor::fieldText(in.image.attrRecs[1].Str[1]), "s2");
    EXPECT_EQ(in.image.attrRecs[2].ID, 9);  // the surplus did not become a record
    ASSERT_EQ(in.result.problemCount, 1u);
    EXPECT_EQ(in.result.problems[0].kind, ImportProblem::Kind::ExtraCells);
    EXPECT_EQ(in.result.problems[0].line, 6u);
    EXPECT_EQ(in.result.problems[0].column, 16u);
    EXPECT_EQ(in.result.problems[0].cell, "extra");
}

TEST(ImportAttributesCsv, WithoutStringTextsTheStr1CellIsSkipped) {
    Imported in = importText(kHeader + "1,0,0,0,0,0,0,0,0,0,text\r\n2,0,0,0,0,0,0,0,0,0,t,x\r\n",
                             designWithCounts(0, 0, 0, 0));
    ASSERT_TRUE(in.result.ok);
    EXPECT_EQ(in.image.attrRecs[0].ID, 1);
    EXPECT_EQ(editor::fieldText(in.image.attrRecs[0].Str[0]), "");
    EXPECT_EQ(in.image.attrRecs[1].ID, 2);
    ASSERT_EQ(in.result.problemCount, 1u);  // only the cell after Str[1]
    EXPECT_EQ(in.result.problems[0].column, 12u);
}

TEST(ImportAttributesCsv, LongTextsAreCutToFitTheirField) {
    const std::string kanji = sj("山");
    const std::string thirty(30, 'a');
    // Str[1]: 30 bytes and a double-byte character; Str[2]: 300 bytes.
    const std::string csv = kHeader + "1,0,0,0,0,0,0,0,0,0,0,0,0," + thirty + kanji + "," +
                            std::string(300, 'b') + "\r\n";
    Imported in = importText(csv, smallDesign());
    ASSERT_TRUE(in.result.ok);
    const pdb::AttrRec& r = in.image.attrRecs[0];
    EXPECT_EQ(editor::fieldText(r.Str[0]), thirty);
    EXPECT_EQ(editor::fieldText(r.Str[1]), std::string(31, 'b'));
    EXPECT_EQ(r.Str[1][31], '\0');
    EXPECT_EQ(kinds(in.result),
              (std::vector<ImportProblem::Kind>{ImportProblem::Kind::TextTooLong,
                                                ImportProblem::Kind::TextTooLong}));

    // A 300-byte number cell: cut, and far out of range.
    Imported num = importText(kHeader + std::string(300, '9') + "\r\n", smallDesign());
    EXPECT_EQ(kinds(num.result),
              (std::vector<ImportProblem::Kind>{ImportProblem::Kind::CellTooLong,
                                                ImportProblem::Kind::OutOfRange}));
}

TEST(ImportAttributesCsv, ProblemListIsCappedButCounted) {
    std::string csv = kHeader;
    for (int i = 0; i < 30; ++i) csv += "x\r\n";
    Imported in = importText(csv, smallDesign());
    ASSERT_TRUE(in.result.ok);
    EXPECT_EQ(in.result.problemCount, 30u);
    EXPECT_EQ(in.result.problems.size(), editor::kMaxListedProblems);
    std::string text = editor::describeProblems(in.result, "in.csv");
    EXPECT_TRUE(text.starts_with(
        "CSVファイル「in.csv」には、そのままでは格納できないセルが 30 件あります。\n"
        "5 行目 1 列目 項目名称(ID): 「x」は数値ではありません。0 を格納します。\n"))
        << text;
    EXPECT_TRUE(text.ends_with("\n（ほか 10 件）")) << text;
}

TEST(ImportAttributesCsv, RefusedOrUnreadableFilesLeaveTheImageAsItWas) {
    pdb::AttrRec kept;
    kept.ID = 42;
    struct Case {
        std::string csv;
        std::string message;
    };
    const Case cases[] = {
        // Empty, UTF-8, binary and too many rows are in the lorvex attrs session. A lead
        // byte without its trail byte, a byte no code page 932 text holds in a header row,
        // a UTF-8 byte-order mark:
        {kHeader + "1,0,0,0,0,0,0,0,0,0,0,0,0,\x93\x8C,a\x81\x20"
                   "b\r\n",
         "「in.csv」の 5 行目、15 列目（Str[2]）：Shift-JIS の文字として読めないバイト（0x81 "
         "0x20）があります。" +
             kSaveAsShiftJis},
        {"h1\r\nh2,\x80\r\nh3\r\nh4\r\n1\r\n",
         "「in.csv」の 2 行目、2 列目（StatusCode）：Shift-JIS の文字として読めないバイト（0x80 "
         "0x0D）があります。" +
             kSaveAsShiftJis},
        {"\xEF\xBB\xBF" + kHeader + "1\r\n",
         "「in.csv」の 1 行目：UTF-8 のファイルのようです（先頭に BOM があります）。" +
             kSaveAsShiftJis},
    };
    for (const Case& c : cases) {
        pdb::PdbImage image = attributeImage(smallDesign(), {kept});
        editor::ImportResult r = editor::ImportAttributesCsvText(image, c.csv, "in.csv");
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(image.listHeader.iRecNum, 2);
        ASSERT_EQ(image.heldAttrRecs(), 1u);
        EXPECT_EQ(image.attrRecs[0].ID, 42);
    }
    // A path that cannot be read as a file: here a folder.
    testsupport::TempDir dir;
    pdb::PdbImage image = attributeImage(smallDesign(), {kept});
    editor::ImportResult r = editor::ImportAttributesCsv(image, dir.path());
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.starts_with("「" + dir.path() + "」を読み込めません（")) << r.message;
    EXPECT_EQ(image.heldAttrRecs(), 1u);
}

TEST(ImportAttributesCsv, RowCountStopsAtWhatIRecNumCanCount) {
    // 65534 rows fill iRecNum (65535 with the design); one more is refused.
    std::string csv = kHeader;
    for (std::size_t i = 0; i < editor::kMaxAttrRecords; ++i) csv += "1\n";
    Imported full = importText(csv, smallDesign());
    ASSERT_TRUE(full.result.ok) << full.result.message;
    EXPECT_EQ(full.image.listHeader.iRecNum, 65535);
    EXPECT_EQ(full.image.heldAttrRecs(), 65534u);

    EXPECT_FALSE(importText(csv + "1", smallDesign()).result.ok);
}
