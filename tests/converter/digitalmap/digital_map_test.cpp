#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cmath>

#include <filesystem>
#include <fstream>

#include "case_support.h"
#include "converter/core/conversion.h"
#include "converter/core/transform.h"
#include "platform/cp932.h"

namespace {

namespace fs = std::filesystem;
using casesupport::elementsOfKind;
using casesupport::normalMessages;
using casesupport::SheetCase;
using casesupport::walkGraphic;
using Messages = std::vector<std::string>;

Messages runMessages(const std::string& sheet, const std::string& out,
                     const std::array<double, 12>& frame = {}) {
    platform::ScriptedPrompter prompter;
    if (digitalmap::CreateFromDigitalMap(sheet, out, frame, {2001, 12, 5}, prompter))
        casesupport::expectDatabasesLoad(out, digitalmap::SheetBaseName(sheet));
    Messages m;
    for (const auto& call : prompter.calls()) m.push_back(casesupport::formatCall(call));
    return m;
}

TEST(SheetPaths, OutputsAreNamedAfterTheSheetFolder) {
    auto p = digitalmap::MakeSheetPaths("/nsdi/53394525", "/pdb");
    EXPECT_EQ(p.base, "53394525");
    EXPECT_EQ(p.graphicDb, "/pdb/53394525_G.pdb");
    EXPECT_EQ(p.attrDb, "/pdb/53394525_A.pdb");
    EXPECT_EQ(p.attrCsv, "/pdb/53394525.csv");
    EXPECT_EQ(p.tatemonoArc, "/nsdi/53394525/TATEMONO/tatemono.arc");
    EXPECT_EQ(p.tyomeAtr, "/nsdi/53394525/GYOUSEI/tyome.atr");
    EXPECT_EQ(p.othersArc, "/nsdi/53394525/OTHERS/others.arc");
    // A trailing "/" does not make an empty base name.
    EXPECT_EQ(digitalmap::SheetBaseName("/nsdi/53394525/"), "53394525");
    EXPECT_EQ(digitalmap::SheetBaseName("53394525"), "53394525");
    // "." names the folder it stands for
    testsupport::TempDir dir;
    fs::create_directories(dir.file("53394525/TATEMONO"));
    auto dot = digitalmap::MakeSheetPaths(dir.file("53394525/TATEMONO/.."), "/pdb");
    EXPECT_EQ(dot.graphicDb, "/pdb/53394525_G.pdb");
}

TEST(CreateFromDigitalMap, FoldersMustBeGiven) {
    EXPECT_EQ(runMessages("", ""),
              (Messages{"[error] : メッシュ番号のディレクトリを指定して下さい！"}));
    SheetCase sheet("");
    EXPECT_EQ(runMessages(sheet.sheetDir(), ""),
              (Messages{"[error] : PDBファイルのディレクトリを指定して下さい！"}));
    // A missing output folder is offered before the first box; Yes makes it.
    Messages made = runMessages(sheet.sheetDir(), sheet.outDir() + "/absent");
    EXPECT_EQ(made.at(0), "[question] : PDBファイルのディレクトリ「" + sheet.outDir() +
                              "/absent」がありません。作成しますか？");
    EXPECT_EQ(Messages(made.begin() + 1, made.end()), normalMessages());
}

TEST(CreateFromDigitalMap, FrameValuesAreStoredRoundedOrRefusedByName) {
    SheetCase sheet("");
    std::array<double, 12> frame{35, 40, 123.5, 139, 45, 10.5, 35, 39, 590, 139, 46, 44};
    EXPECT_EQ(runMessages(sheet.sheetDir(), sheet.outDir(), frame), normalMessages());
    auto g = walkGraphic(sheet.outDir() + "/53394525_G.pdb");
    auto body = pdb::DecodeFrameBody(g.elements.at(0));
    ASSERT_TRUE(body);
    EXPECT_EQ(body->frameValues,
              (std::array<std::int16_t, 12>{35, 40, 124, 139, 45, 10, 35, 39, 590, 139, 46, 44}));

    frame[4] = 32767.5;  // rounds to 32768
    EXPECT_EQ(runMessages(sheet.sheetDir(), sheet.outDir(), frame),
              (Messages{"[error] : 図枠の値 tLonMin（32767.5）は -32768 から 32767 の整数でなければ"
                        "なりません。"}));
}

TEST(CreateFromDigitalMap, DatabaseNamesComeFromTheFileNames) {
    testsupport::TempDir dir;
    SheetCase base("");
    std::string sheet = dir.file("ab c");
    fs::copy(base.sheetDir(), sheet, fs::copy_options::recursive);
    EXPECT_EQ(runMessages(sheet, dir.path()), normalMessages());
    // "ab c" → 61 62 00 63: the blank is stored as a zero byte; the rest of the field is zero.
    for (char kind : {'G', 'A'}) {
        testsupport::Bytes name{0x61, 0x62, 0x00, 0x63, 0x5F, std::uint8_t(kind)};
        name.resize(32, 0);
        auto db = testsupport::readBytes(dir.file(std::string("ab c_") + kind + ".pdb"));
        ASSERT_GE(db.size(), 32u);
        EXPECT_EQ(testsupport::Bytes(db.begin(), db.begin() + 32), name) << kind;
    }
}

TEST(CreateFromDigitalMap, RecordCountGrowsWhenSharedArcsOutrunTheEstimate) {
    // Twenty buildings share one arc of 100 points: the estimate counts the arc once
    // (24 + 416 + 40 + 24 + 32 + 24 = 560, one record) while the stream repeats it twenty
    // times (48 + 20 × 416 + 40 + 24 + 32 + 24 = 8488 bytes, nine records).
    SheetCase sheet("");
    std::string arcs = "H,m,t,102,1,x,y,0,0,1.5,2\r\nL,1,17,100\r\n";
    for (int i = 0; i < 100; ++i)
        arcs += std::to_string(0.01 * i) + "," + std::to_string(0.015 * i) + "\r\n";
    std::ofstream(sheet.sheetFile("TATEMONO/tatemono.arc"), std::ios::binary) << arcs;
    std::string polygons = "H,m,t,41,1,x,y,0,0,1.5,2\r\n";
    for (int b = 1; b <= 20; ++b) polygons += "P," + std::to_string(b) + ",1,0.75,1\r\n17\r\n";
    std::ofstream(sheet.sheetFile("TATEMONO/tatemono.pgn"), std::ios::binary) << polygons;
    auto r = sheet.run();
    EXPECT_EQ(r.messages, normalMessages());
    auto bytes = testsupport::readBytes(r.paths.graphicDb);
    auto g = walkGraphic(r.paths.graphicDb);
    ASSERT_EQ(g.recList.size(), 9u);
    EXPECT_EQ(bytes.size(), 80u + 8 * 9 + 1024 * 9);
    EXPECT_EQ(g.stream.size() - g.trailingZeroBytes, 8488u);
    EXPECT_EQ(elementsOfKind(g, pdb::kKindArea).size(), 20u);
    // run() has loaded both databases in the independent reader: nine graphic records,
    // one attribute record per CSV line.
    EXPECT_EQ(casesupport::csvLines(testsupport::readText(r.paths.attrCsv)).size(), 20u);
}

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

// The sample sheet of the demo: 48 buildings in 6 blocks, 4 towns, a river of 2 arcs and a
// railway of 3; every building is a rectangle whose anchor is its centre.
class SampleSheet : public ::testing::Test {
  protected:
    static std::string sampleDir() { return KWIB_SOURCE_DIR "/samples/dm2500/53394525"; }
    testsupport::TempDir out;
};

TEST_F(SampleSheet, ConvertsEndToEnd) {
    // runMessages also loads both databases in the independent reader.
    ASSERT_EQ(runMessages(sampleDir(), out.path()), normalMessages());

    auto g = walkGraphic(out.file("53394525_G.pdb"));
    auto areas = elementsOfKind(g, pdb::kKindArea);
    ASSERT_EQ(areas.size(), 48u);
    EXPECT_EQ(elementsOfKind(g, pdb::kKindLabel).size(), 4u);
    EXPECT_EQ(elementsOfKind(g, pdb::kKindLine, 2).size(), 6u);
    EXPECT_EQ(elementsOfKind(g, pdb::kKindLine, 4).size(), 2u);
    EXPECT_EQ(elementsOfKind(g, pdb::kKindLine, 3).size(), 3u);

    // The CSV and the attribute database agree line for line, and each line's anchor is
    // the centre of its building's box in the graphic database.
    auto lines = casesupport::csvLines(testsupport::readText(out.file("53394525.csv")));
    ASSERT_EQ(lines.size(), 48u);
    auto a = testsupport::readBytes(out.file("53394525_A.pdb"));
    ASSERT_EQ(a.size(), 80u + 8 * 48 + 128 * 48);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto f = casesupport::splitCsvLine(lines[i]);
        ASSERT_EQ(f.size(), 22u) << lines[i];
        auto rec = pdb::decodeFeatureAttrRec(
            std::span<const std::uint8_t, 128>(a.data() + 80 + 8 * 48 + 128 * i, 128));
        EXPECT_EQ(std::to_string(rec.ID), f[0]);
        EXPECT_EQ(rec.StatusCode, 3);
        EXPECT_EQ(std::to_string(rec.TopLeftX), f[4]);
        EXPECT_EQ(std::to_string(rec.TopLeftY), f[5]);
        EXPECT_EQ(rec.ExtentX, 400);
        EXPECT_EQ(rec.ExtentY, 400);
        EXPECT_EQ(pdb::storedText(rec.Text1), f[10]);
        EXPECT_EQ(areas[i]->header.serial, std::int16_t(i + 1));
        auto box = pdb::DecodePointBody(*areas[i])->box;
        double x = std::stod(f[8]), y = std::stod(f[9]);
        EXPECT_NEAR(box.left + box.width / 2.0, x, 1.0) << i;
        EXPECT_NEAR(box.top + box.height / 2.0, y, 1.0) << i;
    }
    // Building 7 has no attribute record: its name is empty, not its neighbour's.
    EXPECT_EQ(casesupport::splitCsvLine(lines[6])[10], "");
    EXPECT_EQ(casesupport::splitCsvLine(lines[5])[10], platform::toCp932("住宅6"));
    EXPECT_EQ(casesupport::splitCsvLine(lines[11])[10], platform::toCp932("山田,鈴木商店"));
}

TEST_F(SampleSheet, CommandLineMessagesAndExitCodes) {
    const std::string cli = KWIB_BINARY_DIR "/cli/vornik-cli";
    if (!fs::exists(cli))
        GTEST_SKIP() << "vornik-cli is not built in this configuration";
    auto exitCode = [&](const std::string& args, const std::string& err = "/dev/null") {
        int status = std::system(("'" + cli + "' nsdi2pdb " + args + " 2>'" + err + "'").c_str());
        return WEXITSTATUS(status);
    };
    const std::string sheet = "'" + sampleDir() + "'";
    const std::string folder = "'" + out.path() + "'";
    std::string err = out.file("stderr.txt");
    EXPECT_EQ(exitCode(sheet + " " + folder + " --today 2001-12-05", err), 0);
    EXPECT_EQ(testsupport::readText(err),
              testsupport::readText(KWIB_SOURCE_DIR "/samples/dm2500/expected_messages.txt"));
    EXPECT_EQ(exitCode(sheet), 2);                                  // no output folder
    EXPECT_EQ(exitCode(sheet + " " + folder + " --frame 1,2"), 2);  // too few frame values
    EXPECT_EQ(exitCode("'" + out.path() + "/none' " + folder), 1);  // no such sheet
}

}  // namespace
