// The DM reader: lines, number fields, record kinds, both coordinate layouts, and the
// message of every way a file can break the format.
#include "converter/dm/dm_reader.h"

#include <gtest/gtest.h>

#include "dm_builder.h"

using namespace dmtest;

namespace {

std::vector<std::string> readAll(dm::DmReader& r, std::vector<dm::LineElementRecord>* elements) {
    std::vector<std::string> events;
    for (;;) {
        dm::DmEvent ev = r.next();
        if (ev == dm::DmEvent::End)
            return events;
        if (ev == dm::DmEvent::Failed) {
            events.push_back("failed: " + r.failure());
            return events;
        }
        if (ev == dm::DmEvent::Sheet) {
            events.push_back("sheet " + std::to_string(r.sheet().line));
        } else {
            events.push_back("element " + std::to_string(r.element().line));
            if (elements)
                elements->push_back(r.element());
        }
    }
}

// The failure message a file gives.
std::string failureOf(const std::string& data) {
    dm::DmReader r(data, "t.dm");
    auto events = readAll(r, nullptr);
    if (events.empty() || events.back().rfind("failed: ", 0) != 0)
        return "(no failure)";
    return r.failure();
}

}  // namespace

TEST(DmNumbers, DecimalFieldsAcceptPlainNumbersOnly) {
    // Values are correctly rounded, like the compiler's literals; beyond 15 significant
    // digits the slow path still rounds correctly.
    const std::pair<const char*, double> good[] = {
        {"12", 12},
        {"-0.25", -0.25},
        {"+3", 3},
        {".5", 0.5},
        {"1.", 1},
        {"0.1", 0.1},
        {"1234567.891", 1234567.891},
        {"12345678901234567890.5", 12345678901234567890.5}};
    for (auto [text, value] : good) {
        double v = -1;
        EXPECT_TRUE(dm::parseDecimal(text, v)) << text;
        EXPECT_EQ(v, value) << text;
    }
    double v = -1;
    for (const char* bad :
         {"", "-", ".", "+.", "1e3", "inf", "nan", "1 2", "1.2.3", "0x10", "--1", "1-", "１"})
        EXPECT_FALSE(dm::parseDecimal(bad, v)) << bad;
}

TEST(DmEstimate, CountsEveryE1AndE2LineWithEvenPointCounts) {
    // 5 and 8 points: (16 + 4 × 6) + (16 + 4 × 8) = 40 + 48 = 88.
    std::string data = file({sheet(0, 0, 1, 1, 999),
                             {group(2)},
                             lineElement("E1", 2301, std::vector<Pt>(5, Pt{0.1, 0.1})),
                             lineElement("E2", 2301, std::vector<Pt>(8, Pt{0.1, 0.2}))});
    auto e = dm::estimateStream(data, "t.dm");
    ASSERT_TRUE(e) << e.error();
    EXPECT_EQ(*e, 88u);

    // An "E1" outside any group counts too; other codes do not.
    std::string loose = file({sheet(0, 0, 1, 1, 999),
                              lineElement("E1", 2301, std::vector<Pt>(3, Pt{0.1, 0.1})),
                              {record({{1, "E3"}, {28, "  40"}})}});
    e = dm::estimateStream(loose, "t.dm");
    EXPECT_EQ(*e, 16u + 16u);

    EXPECT_FALSE(dm::estimateStream(file({sheet(0, 0, 1, 1, 1), {"E2"}}), "t.dm"));  // no count
    std::string bad = file({{record({{1, "E2"}, {28, " 1x "}})}});
    e = dm::estimateStream(bad, "t.dm");
    EXPECT_FALSE(e);
    EXPECT_EQ(e.error(), "t.dm 1行目 28-31桁（点数）が数値ではありません: 「 1x 」");
}

TEST(DmReader, ColumnsCountBytesNotCharacters) {
    // Japanese text before columns 66–67 of the "M " line: 2 bytes per character.
    std::string first = record({{1, "M 01"}, {66, " 1"}});
    first.replace(10, 8, "\x8e\x6c\x92\xd2\x92\xac\x8a\x4f");  // 四辻町外 in Shift-JIS
    std::string data = file({{first, sheet(0, 0, 1, 1, 1)[1]}});
    EXPECT_EQ(failureOf(data), "(no failure)");
}

TEST(DmReader, TheTwoDimensionalLayoutReadsSixPointsOfFourteenColumns) {
    std::string coords =
        "      1      2      3      4      5      6      7      8      9     10"
        "     11     12";
    std::string data =
        file({sheet(0, 0, 1, 1, 1),
              {group(1), record({{1, "E2"}, {3, "2101"}, {21, "2"}, {28, "   6"}, {32, "   1"}}),
               coords}});
    dm::DmReader r(data, "t.dm");
    std::vector<dm::LineElementRecord> elements;
    readAll(r, &elements);
    ASSERT_EQ(elements.size(), 1u);
    ASSERT_EQ(elements[0].points.size(), 6u);
    EXPECT_EQ(elements[0].points[0], (dm::RawPoint{1, 2}));
    EXPECT_EQ(elements[0].points[5], (dm::RawPoint{11, 12}));
}

TEST(DmReader, EveryBrokenFileStopsWithAMessageNamingLineAndField) {
    auto body = [](std::vector<std::vector<std::string>> parts) {
        std::vector<std::vector<std::string>> all{sheet(0, 0, 1, 1, 1)};
        all.insert(all.end(), parts.begin(), parts.end());
        return file(all);
    };
    // The wrong unit code, a missing second "M " line, a group before any "M " record and a
    // group cut off by the end of the file: Dm2Pdb.BrokenInputGivesItsMessageAndWritesNothing.
    // A line too short for a field.
    EXPECT_EQ(failureOf(body({{group(1), "E2301"}})),
              "t.dm 4行目が短すぎます: 3-6桁（分類コード）がありません（行の長さ 5 バイト）");
    // Non-numeric columns.
    EXPECT_EQ(failureOf(body({{group(1), record({{1, "E2"}, {3, "23"}, {5, "x1"}})}})),
              "t.dm 4行目 3-6桁（分類コード）が数値ではありません: 「23x1」");
    EXPECT_EQ(
        failureOf(body(
            {{group(1), record({{1, "E2"}, {3, "2301"}, {21, "2"}, {28, "   1"}, {32, "  x "}})}})),
        "t.dm 4行目 32-35桁（座標行数）が数値ではありません: 「  x 」");
    EXPECT_EQ(failureOf(body({{record({{1, "H "}, {19, "0 \t  "}})}})), "(no failure)");
    EXPECT_EQ(failureOf(body({{record({{1, "H "}, {19, "     "}})}})),
              "t.dm 3行目 19-23桁（要素数）が空です");
    EXPECT_EQ(failureOf(body({{record({{1, "H "}, {19, "  1.5"}})}})),
              "t.dm 3行目 19-23桁（要素数）が整数ではありません: 「1.5」");
    EXPECT_EQ(failureOf(body({{record({{1, "H "}, {19, "   -1"}})}})),
              "t.dm 3行目 19-23桁（要素数）の値 -1 が範囲外です（0～99999）");
    std::vector<std::string> badPoint = lineElement("E2", 2301, {{1, 2}, {3, 4}});
    badPoint[1].replace(21, 7, "   4.x ");
    EXPECT_EQ(
        failureOf(body({{group(1)}, badPoint})),
        "t.dm 5行目 22-28桁（東座標）が数値ではありません: 「   4.x 」（4行目の要素の第 2 点）");
    EXPECT_EQ(failureOf(file({{record({{1, "M "}, {66, "ab"}})}})),
              "t.dm 1行目 66-67桁（「M 」レコードの数値欄）が数値ではありません: 「ab」");
    // Counts that run past the end of the file.
    std::vector<std::string> cut = lineElement("E2", 2301, std::vector<Pt>(13, Pt{1, 1}));
    cut.pop_back();
    EXPECT_EQ(failureOf(body({{group(1)}, cut})),
              "t.dm: 6行目でファイルが終わっています。4行目の「E2」レコードの座標行 3 行のうち 2 "
              "行しかありません");
    EXPECT_EQ(failureOf(body({{group(1), record({{1, "E7"}, {3, "81"}})}})),
              "t.dm: 4行目でファイルが終わっています。4行目の「E7」レコードの付属行 1 行のうち 0 "
              "行しかありません");
    // A group that announces more elements than it has before the next group.
    EXPECT_EQ(failureOf(body({{group(2)}, lineElement("E2", 2301, {{1, 2}}), {group(0)}})),
              "t.dm 6行目: 3行目の「H 」レコードの要素 2 個目のはずの行が「H "
              "」レコードです（要素数 2 が多すぎます）");
    // More points than the coordinate lines hold, and an unknown data kind.
    EXPECT_EQ(
        failureOf(body(
            {{group(1), record({{1, "E2"}, {3, "2301"}, {21, "2"}, {28, "   7"}, {32, "   1"}})}})),
        "t.dm 4行目: 点数 7 が座標行 1 行（1行 6 点）に収まりません");
    EXPECT_EQ(
        failureOf(body(
            {{group(1), record({{1, "E2"}, {3, "2301"}, {21, "4"}, {28, "   1"}, {32, "   1"}})}})),
        "t.dm 4行目 21桁（データ区分）が 2, 3, 6 のどれでもありません: 「4」");
    // Sheets without extent, north or east.
    EXPECT_EQ(failureOf(file({sheet(0, 5, 1, 5, 1)})).rfind("t.dm 2行目: 図郭の範囲が不正です", 0),
              0u);
    EXPECT_EQ(
        failureOf(file({sheet(5, 0, 5, 1, 1)})),
        "t.dm 2行目: 図郭の範囲が不正です（最小北座標 5、最大北座標 5、最小東座標 0、最大東座標 "
        "1）");
    // Bytes that are not Shift-JIS are shown escaped.
    EXPECT_EQ(failureOf(body({{record({{1, "H "}, {19, "  \xff\xfe "}})}})),
              "t.dm 3行目 19-23桁（要素数）が数値ではありません: 「  \\xFF\\xFE 」");
}
