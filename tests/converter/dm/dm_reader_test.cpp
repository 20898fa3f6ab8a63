// The DM reader: lines, number fields, record kinds, both coordinate layouts, and the
// columns of a line counted in bytes (broken files: the dm2pdb/broken case).
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
