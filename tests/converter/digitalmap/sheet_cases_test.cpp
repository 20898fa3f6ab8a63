// Edge cases of the conversion, each a small sheet folder under tests/data laid over the
// base sheet (tests/data/nsdi_base). The base sheet's extent is 0, 0, 1.5, 2 (Re 2000,
// Rn 1500, sx 1, sy 0.75), so a point (north n, east e) maps to x = 32000 e − 32000,
// y = 24000 − 32000 n: every expected coordinate below is worked out from that.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "case_support.h"
#include "converter/core/conversion.h"
#include "platform/cp932.h"

namespace {

using casesupport::CaseRun;
using casesupport::elementsOfKind;
using casesupport::normalMessages;
using casesupport::SheetCase;
using casesupport::walkGraphic;
using Points = std::vector<std::pair<std::int16_t, std::int16_t>>;
using Messages = std::vector<std::string>;

std::string sjis(const char* utf8) {
    return platform::toCp932(utf8);
}

// Messages of a normal run with extra ones inserted after the given progress step
// (0: before the first progress message).
Messages withMessages(std::initializer_list<std::pair<int, std::string>> extra) {
    Messages normal = normalMessages();
    Messages out;
    for (int step = 0; step <= 7; ++step) {
        if (step > 0)
            out.push_back(normal[std::size_t(step - 1)]);
        for (const auto& [after, text] : extra)
            if (after == step)
                out.push_back(text);
    }
    return out;
}

pdb::PointBody pointBody(const pdb::GraphicElement* e) {
    auto body = pdb::DecodePointBody(*e);
    EXPECT_TRUE(body);
    return body ? *body : pdb::PointBody{};
}

void expectNoOutputs(const CaseRun& r) {
    EXPECT_FALSE(r.done);
    EXPECT_FALSE(testsupport::exists(r.paths.graphicDb));
    EXPECT_FALSE(testsupport::exists(r.paths.attrCsv));
    EXPECT_FALSE(testsupport::exists(r.paths.attrDb));
}

// A case's run with what it wrote, read before its folder goes away: the graphic database
// walked, the CSV lines and the attribute database bytes.
struct Outputs : CaseRun {
    pdb::GraphicFile g;
    std::vector<std::string> csv;
    testsupport::Bytes attr;
};

Outputs runCase(const char* name) {
    SheetCase sheet(name);
    Outputs out{sheet.run(), {}, {}, {}};
    out.g = walkGraphic(out.paths.graphicDb);
    if (testsupport::exists(out.paths.attrCsv))
        out.csv = casesupport::csvLines(testsupport::readText(out.paths.attrCsv));
    if (testsupport::exists(out.paths.attrDb))
        out.attr = testsupport::readBytes(out.paths.attrDb);
    return out;
}

// Outline of the base building: arc 17 (3 points), then arc 18 without its first point.
const Points kBaseOutline{{-16000, 8000},  {0, 8000},   {0, -8000},
                          {-16000, -8000}, {-16000, 0}, {-16000, 8000}};

TEST(SheetCases, BaseSheetBuildingOfTwoArcs) {
    SheetCase sheet("");
    CaseRun r = sheet.run();
    EXPECT_TRUE(r.done);
    EXPECT_EQ(r.messages, normalMessages());
    // Estimate 24 + 32 + 32 + 40 + 24 + 32 + 24 = 208: one record.
    auto bytes = testsupport::readBytes(r.paths.graphicDb);
    EXPECT_EQ(bytes.size(), 1112u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data()), 11),
              std::string("53394525_G\0", 11));
    auto g = walkGraphic(r.paths.graphicDb);
    ASSERT_EQ(g.elements.size(), 6u);

    auto frame = pdb::DecodeFrameBody(g.elements[0]);
    ASSERT_TRUE(frame);
    EXPECT_EQ(g.elements[0].offset, 0u);
    EXPECT_EQ(frame->originEast, 0);
    EXPECT_EQ(frame->originNorth, 1500);
    EXPECT_EQ(frame->extentEast, 2000);
    EXPECT_EQ(frame->extentNorth, 1500);

    const auto& area = g.elements[1];
    EXPECT_EQ(area.header, (pdb::ElementHeader{6, 1, 8, 32, 1}));
    EXPECT_EQ(area.fillBytes, 0u);
    auto body = pointBody(&area);
    EXPECT_EQ(body.points, kBaseOutline);
    EXPECT_EQ(body.box, (pdb::Box{-16000, -8000, 16000, 16000}));

    const auto& label = g.elements[2];
    EXPECT_EQ(label.header, (pdb::ElementHeader{17, 10, 8, 0, 0}));
    auto name = pdb::DecodeLabelBody(label);
    ASSERT_TRUE(name);
    EXPECT_EQ(name->box, (pdb::Box{15800, 7800, 400, 400}));  // anchor (0.5, 1.5) → (16000, 8000)
    EXPECT_EQ(name->name, sjis("本町一丁目"));

    // block: (−24000, 16000) to (24000, 16000); width 48000 is stored as 48000 − 65536
    EXPECT_EQ(g.elements[3].header, (pdb::ElementHeader{4, 2, 4, 0, 0}));
    EXPECT_EQ(pointBody(&g.elements[3]).box, (pdb::Box{-24000, 16000, -17536, 0}));
    // river of 3 points: body length 5 and four fill bytes
    EXPECT_EQ(g.elements[4].header, (pdb::ElementHeader{4, 4, 5, 112, 0}));
    EXPECT_EQ(g.elements[4].fillBytes, 4u);
    EXPECT_EQ(pointBody(&g.elements[4]).points,
              (Points{{-32000, -16000}, {0, -16000}, {32000, -20800}}));
    EXPECT_EQ(g.elements[5].header, (pdb::ElementHeader{4, 3, 4, 80, 0}));
    EXPECT_EQ(pointBody(&g.elements[5]).box, (pdb::Box{-32000, -24000, -1536, -17536}));
    EXPECT_EQ(g.trailingZeroBytes, 1024u - 208);

    // The attribute CSV and database of building 7 named ビル, anchored at (0, 0).
    EXPECT_EQ(testsupport::readText(r.paths.attrCsv),
              "7,3,0,0,-200,-200,400,400,0,0," + sjis("ビル") + ",,0,0,0,0,0,0,0,0,0,\r\n");
    auto a = testsupport::readBytes(r.paths.attrDb);
    ASSERT_EQ(a.size(), 80u + 8 + 128);
    const testsupport::Bytes start{0x00, 0x00, 0x00, 0x07, 0x03, 0x00, 0x00, 0x00, 0xFF, 0x38,
                                   0xFF, 0x38, 0x01, 0x90, 0x01, 0x90, 0x00, 0x00, 0x00, 0x00,
                                   0x00, 0x00, 0x00, 0x00, 0x83, 0x72, 0x83, 0x8B};
    EXPECT_EQ(testsupport::Bytes(a.begin() + 88, a.begin() + 88 + 28), start);
    for (std::size_t i = 88 + 28; i < a.size(); ++i) EXPECT_EQ(a[i], 0) << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(a.data()), 11),
              std::string("53394525_A\0", 11));
}

TEST(SheetCases, TheBuildingOutlineFollowsTheArcsAsRead) {
    const Points arc17{{-16000, 8000}, {0, 8000}, {0, -8000}};
    struct Case {
        const char* name;
        Messages messages;
        Points outline;
        int bodyLength;
        std::size_t fill;
    };
    const Case cases[] = {
        // A reference −17 uses arc 17 forward.
        {"nsdi_reverse_ref", normalMessages(), kBaseOutline, 8, 0},
        // Arc 18 after an arc of no points is never loaded: the outline is arc 17 alone.
        {"nsdi_arc_n0", normalMessages(), arc17, 5, 4},
        // The sizing pass and the arc table both meet the end after line 10; the run goes on.
        {"nsdi_eof_arcs",
         withMessages({{0,
                        "[error] nsdi2pdb: レコード総数が間違っています！\n"
                        "TATEMONO/tatemono.arc（10 行目）"},
                       {0,
                        "[error] Arc: ファイルの終わり。レコード総数が間違っています！\n"
                        "TATEMONO/tatemono.arc（10 行目）"}}),
         kBaseOutline, 8, 0},
        {"nsdi_too_many_arcs",
         withMessages({{0,
                        "[error] nsdi2pdb: TATEMONO/tatemono.arc の 6 行目：アーク（ID=18）"
                        "がヘッダーのアーク数 1 を超えています。これ以降のアークは読み込みま"
                        "せん。"}}),
         arc17, 5, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Outputs r = runCase(c.name);
        EXPECT_EQ(r.messages, c.messages);
        auto areas = elementsOfKind(r.g, pdb::kKindArea);
        ASSERT_EQ(areas.size(), 1u);
        EXPECT_EQ(areas[0]->header.bodyLength, c.bodyLength);
        EXPECT_EQ(areas[0]->fillBytes, c.fill);
        EXPECT_EQ(pointBody(areas[0]).points, c.outline);
    }
}

TEST(SheetCases, SheetWithoutTowns) {
    Outputs r = runCase("nsdi_no_towns");
    EXPECT_EQ(r.messages, normalMessages());
    EXPECT_TRUE(elementsOfKind(r.g, pdb::kKindLabel).empty());
    EXPECT_EQ(elementsOfKind(r.g, pdb::kKindArea).size(), 1u);
    EXPECT_EQ(elementsOfKind(r.g, pdb::kKindLine).size(), 3u);
}

TEST(SheetCases, DegenerateRiverEndsItsStageOnly) {
    Outputs r = runCase("nsdi_degenerate_river");
    EXPECT_EQ(r.messages, withMessages({{4, "[error] : 不正なラインストリング！"}}));
    auto rivers = elementsOfKind(r.g, pdb::kKindLine, 4);
    ASSERT_EQ(rivers.size(), 1u);  // the second river is not written
    EXPECT_EQ(pointBody(rivers[0]).box, pdb::Box{});
    EXPECT_EQ(pointBody(rivers[0]).points, (Points{{0, -16000}, {0, -16000}}));
    EXPECT_EQ(elementsOfKind(r.g, pdb::kKindLine, 3).size(), 1u);  // stage 5 still ran
}

TEST(SheetCases, ValueCountsGivePairsRoundedHalfToEven) {
    Outputs r = runCase("nsdi_pairs");
    EXPECT_EQ(r.messages, normalMessages());
    const auto& lines = r.csv;
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(casesupport::splitCsvLine(lines[0])[10], sjis("ビル"));  // q = 3: two pairs
    EXPECT_EQ(casesupport::splitCsvLine(lines[1])[10], "");            // q = 1: none
    EXPECT_EQ(casesupport::splitCsvLine(lines[2])[10], sjis("倉庫"));  // read in step
    auto areas = elementsOfKind(r.g, pdb::kKindArea);
    ASSERT_EQ(areas.size(), 3u);
    EXPECT_EQ(areas[2]->header.serial, 3);
}

TEST(SheetCases, CommaInANameIsQuoted) {
    Outputs r = runCase("nsdi_comma_names");
    EXPECT_EQ(r.messages, normalMessages());
    const auto& lines = r.csv;
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(",\"" + sjis("山田,鈴木商店") + "\","), std::string::npos);
    EXPECT_EQ(casesupport::splitCsvLine(lines[0]).size(), 22u);
    const auto& a = r.attr;
    std::string text1(reinterpret_cast<const char*>(&a[88 + 24]), sjis("山田,鈴木商店").size());
    EXPECT_EQ(text1, sjis("山田,鈴木商店"));
}

TEST(SheetCases, BrokenInputStopsBeforeAnythingIsWritten) {
    // The missing file's message ends with its full path, added below.
    const std::pair<const char*, Messages> cases[] = {
        {"nsdi_missing_file", {"[error] nsdi2pdb: 入力ファイルがありません：GYOUSEI/tyome.atr"}},
        {"nsdi_bad_count",
         {"[error] : レコード数の指定が間違っています！\nGAIKU/gaiku.arc（1 行目、レコード数 0）"}},
        {"nsdi_bad_count_stage",
         {normalMessages()[0],
          "[error] : レコード数の指定がまちがっています！\nTATEMONO/tatemono.pgn（1 行目、"
          "レコード数 262144）"}},
        // An invalid extent is reported before anything is written.
        {"nsdi_zero_extent",
         {"[error] nsdi2pdb: KASEN/kasen.arc の 1 行目：図郭の範囲が不正です（最小北 0、最小東 "
          "0、最大北 0、最大東 2）。最大値は最小値より大きくなければなりません。"}},
        // A count that cannot be right is refused at the line that holds it.
        {"nsdi_negative_count",
         {"[error] nsdi2pdb: GAIKU/gaiku.arc の 2 行目：アークレコードの点数 -5 が負です。"}},
        {"nsdi_absurd_count",
         {normalMessages()[0],
          "[error] nsdi2pdb: TATEMONO/tatemono.pgn の 2 行目：ポリゴンレコードのアーク参照数 "
          "999999999 が、ヘッダーのレコード数から残るレコード数 2 を超えています。"}},
        {"nsdi_bad_arc_count",
         {"[error] nsdi2pdb: TATEMONO/tatemono.arc の 1 行目：ヘッダーのアーク数（5 番目の項目）-5 "
          "が不正です（0 から、レコード数 − 1 の 9 まで）。"}},
        // An attribute file saved in another encoding, named with its line.
        {"nsdi_utf8_attributes",
         {"[error] nsdi2pdb: TATEMONO/tatemono.atr の 1 行目：UTF-8 で書かれているようです（「建物"
          "属性,ID,値の数,コードと値」）。属性ファイルは Shift-JIS で保存してください。"}},
    };
    for (auto [name, messages] : cases) {
        SCOPED_TRACE(name);
        SheetCase sheet(name);
        if (name == std::string("nsdi_missing_file"))
            messages[0] += "（" + sheet.sheetFile("GYOUSEI/tyome.atr") + "）";
        CaseRun r = sheet.run();
        EXPECT_EQ(r.messages, messages);
        expectNoOutputs(r);
    }
}

TEST(SheetCases, EarlyEndOfTheBuildingPolygons) {
    Outputs r = runCase("nsdi_eof_buildings");
    EXPECT_EQ(r.messages,
              withMessages({{1,
                             "[error] arc: ファイルの終わり。レコード総数が間違っています！\n"
                             "TATEMONO/tatemono.pgn（6 行目）"},
                            {6,
                             "[error] attrCSVcreate: ファイルの終わり。レコード総数が間違って"
                             "います！\nTATEMONO/tatemono.pgn（6 行目）"}}));
    EXPECT_EQ(elementsOfKind(r.g, pdb::kKindArea).size(), 1u);  // building 8 is incomplete
    // The CSV keeps the lines written before the end: buildings 7 and 8.
    const auto& lines = r.csv;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(0, 2), "8,");
}

TEST(SheetCases, EarlyEndOfTheTownPolygons) {
    Outputs r = runCase("nsdi_eof_towns");
    EXPECT_EQ(r.messages,
              withMessages({{0,
                             "[error] nsdi2pdb: レコード総数が間違っています！\n"
                             "GYOUSEI/tyome.pgn（4 行目）"},
                            {2,
                             "[error] tyome: ファイルの終わり。レコード総数が間違っています！\n"
                             "GYOUSEI/tyome.pgn（4 行目）"}}));
    EXPECT_EQ(elementsOfKind(r.g, pdb::kKindLabel).size(), 1u);
}

TEST(SheetCases, EarlyEndOfALineFile) {
    Outputs r = runCase("nsdi_eof_lines");
    const std::string eof =
        "[error] nsdi2pdb: レコード総数が間違っています！\nKASEN/kasen.arc（5 行目）";
    EXPECT_EQ(r.messages, withMessages({{0, eof}, {4, eof}}));
    auto rivers = elementsOfKind(r.g, pdb::kKindLine, 4);
    ASSERT_EQ(rivers.size(), 1u);
    EXPECT_EQ(pointBody(rivers[0]).points.size(), 3u);
    EXPECT_EQ(elementsOfKind(r.g, pdb::kKindLine, 3).size(), 1u);
}

// A run that ends on an error, early or after the graphic database is complete, replaces
// none of the three outputs and leaves no temporary file.
TEST(SheetCases, AFailedRunKeepsEveryEarlierOutput) {
    Messages late = normalMessages();
    late.resize(6);  // up to the graphic database
    late.push_back(
        "[error] attrCSVcreate: TATEMONO/tatemono.atr の 2 行目：属性レコードのポリゴン "
        "ID「7x」が整数ではありません。");
    const std::pair<const char*, Messages> cases[] = {
        {"nsdi_not_number",
         {"[error] nsdi2pdb: GAIKU/gaiku.arc の 4 行目：点レコードの東座標「abc」が数値ではありま"
          "せん。"}},
        {"nsdi_bad_atr", late},
    };
    for (const auto& [name, messages] : cases) {
        SCOPED_TRACE(name);
        SheetCase sheet(name);
        auto paths = digitalmap::MakeSheetPaths(sheet.sheetDir(), sheet.outDir());
        for (const auto& p : {paths.graphicDb, paths.attrCsv, paths.attrDb})
            testsupport::writeBytes(p, testsupport::Bytes{'o', 'l', 'd'});
        CaseRun r = sheet.run();
        EXPECT_FALSE(r.done);
        EXPECT_EQ(r.messages, messages);
        for (const auto& p : {paths.graphicDb, paths.attrCsv, paths.attrDb})
            EXPECT_EQ(testsupport::readText(p), "old") << p;
        for (const auto& e : std::filesystem::directory_iterator(sheet.outDir()))
            EXPECT_EQ(e.path().filename().string().find(".kwib-tmp-"), std::string::npos);
    }
}

TEST(SheetCases, OverflowingPointsCutTheirElementShort) {
    Outputs r = runCase("nsdi_overflow");
    EXPECT_EQ(r.messages, withMessages({{1, "[error] : x オーバーフロー： X=64000"},
                                        {5, "[error] : y オーバーフロー：Y=56000 ID=1"}}));
    auto areas = elementsOfKind(r.g, pdb::kKindArea);
    ASSERT_EQ(areas.size(), 1u);
    // The building keeps its three accepted points, with length, fill and box to match.
    EXPECT_EQ(areas[0]->header.bodyLength, 5);
    EXPECT_EQ(areas[0]->fillBytes, 4u);
    auto body = pointBody(areas[0]);
    EXPECT_EQ(body.points, (Points{{-16000, 8000}, {0, 8000}, {0, -8000}}));
    EXPECT_EQ(body.box, (pdb::Box{-16000, -8000, 16000, 16000}));
    // The railway stage ends at the rejected point; its first line keeps two points.
    auto railways = elementsOfKind(r.g, pdb::kKindLine, 3);
    ASSERT_EQ(railways.size(), 1u);
    EXPECT_EQ(pointBody(railways[0]).points, (Points{{-32000, 24000}, {0, 8000}}));
    EXPECT_EQ(pointBody(railways[0]).box, (pdb::Box{-32000, 8000, 32000, 16000}));
}

TEST(SheetCases, PlaceNameLongerThanItsField) {
    Outputs r = runCase("nsdi_long_name");
    EXPECT_EQ(r.messages, withMessages({{2, "[error] compressDbcs: エラー：compressDbcs"}}));
    auto labels = elementsOfKind(r.g, pdb::kKindLabel);
    ASSERT_EQ(labels.size(), 1u);
    // 30 bytes of name: the first 24 (twelve characters) are kept.
    EXPECT_EQ(pdb::DecodeLabelBody(*labels[0])->name, sjis("本町一丁目西二番街北側ブ"));
}

TEST(SheetCases, BuildingNameLongerThanText1) {
    Outputs r = runCase("nsdi_long_building_name");
    EXPECT_EQ(r.messages, withMessages({{6, "[error] compressDbcs: エラー：compressDbcs"}}));
    // 40 bytes of name: the CSV and the database both keep the first 32 (sixteen characters).
    const std::string cut = sjis("国立研究開発法人総合地図情報技術");
    const auto& lines = r.csv;
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(casesupport::splitCsvLine(lines[0])[10], cut);
    const auto& a = r.attr;
    ASSERT_EQ(a.size(), 80u + 8 + 128);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&a[88 + 24]), 32), cut);
}

TEST(SheetCases, OutlineOfMoreThan2048PointsIsRefused) {
    SheetCase sheet("");
    // Arc 17 of 2048 points along a diagonal, arc 18 of 2: building 7 (arc 17 alone) has
    // 2048 points, building 8 (arcs 17 and 18) 2049.
    std::string arcs = "H,m,t,2053,2,x,y,0,0,1.5,2\r\nL,1,17,2048\r\n";
    for (int i = 0; i < 2048; ++i)
        arcs += std::to_string(0.5 * i / 2048) + "," + std::to_string(1.0 * i / 2048) + "\r\n";
    arcs += "L,1,18,2\r\n0.5,1\r\n1,1\r\n";
    std::ofstream(sheet.sheetFile("TATEMONO/tatemono.arc"), std::ios::binary) << arcs;
    std::ofstream(sheet.sheetFile("TATEMONO/tatemono.pgn"), std::ios::binary)
        << "H,m,t,6,2,x,y,0,0,1.5,2\r\nP,7,1,0.75,1\r\n17\r\nP,8,2,0.75,1\r\n17\r\n18\r\n";
    CaseRun r = sheet.run();
    EXPECT_EQ(r.messages,
              withMessages({{1,
                             "[error] nsdi2pdb: TATEMONO/tatemono.pgn の 4 行目：建物（ID=8）の"
                             "外形が 2048 点を超えています（2049 点）。この建物は書き込みませ"
                             "ん。"}}));
    auto g = walkGraphic(r.paths.graphicDb);
    auto areas = elementsOfKind(g, pdb::kKindArea);
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_EQ(areas[0]->header.bodyLength, 2050);
    // The estimate (24 + 16 + 8192 + 16 + 8 + ...) covered the stream: N from the estimate.
    EXPECT_EQ(g.recList.size(), pdb::GraphicRecordCount(g.stream.size() - g.trailingZeroBytes));
}

}  // namespace
