#include <gtest/gtest.h>

#include "converter/core/transform.h"

namespace {

using converter::BoxOf;
using converter::CheckDevice;
using converter::ReadExtent;
using converter::ToDevice;

TEST(ReadExtent, RangesAspectFactorsAndOriginOrRefusal) {
    // D1..D4 = minimum north, minimum east, maximum north, maximum east.
    struct Case {
        double d1, d2, d3, d4;
        double Re, Rn, sx, sy, originEast, originNorth;
    };
    const Case cases[] = {{0, 0, 1.5, 2, 2000, 1500, 1, 0.75, 0, 1500},
                          {10, 20, 11, 21, 1000, 1000, 1, 1, 20000, 11000},
                          {0, 0, 2, 1, 1000, 2000, 0.5, 1, 0, 2000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.d1 << ", " << c.d2 << ", " << c.d3 << ", " << c.d4);
        auto e = ReadExtent(c.d1, c.d2, c.d3, c.d4);
        ASSERT_TRUE(e);
        EXPECT_DOUBLE_EQ(e->Re, c.Re);
        EXPECT_DOUBLE_EQ(e->Rn, c.Rn);
        EXPECT_DOUBLE_EQ(e->sx, c.sx);
        EXPECT_DOUBLE_EQ(e->sy, c.sy);
        EXPECT_DOUBLE_EQ(e->originEast, c.originEast);
        EXPECT_DOUBLE_EQ(e->originNorth, c.originNorth);
    }
    EXPECT_FALSE(ReadExtent(0, 0, 0, 2));  // no north range
    EXPECT_FALSE(ReadExtent(0, 5, 1, 5));  // no east range
    EXPECT_FALSE(ReadExtent(3, 0, 1, 2));  // maximum below minimum
    EXPECT_FALSE(ReadExtent(0, 0, 1, std::numeric_limits<double>::infinity()));
}

TEST(ToDevice, MapsTheSheetOntoTheDeviceSpace) {
    auto wide = *ReadExtent(0, 0, 1.5, 2);  // Re 2000, Rn 1500
    auto tall = *ReadExtent(0, 0, 2, 1);    // Re 1000, Rn 2000
    struct Case {
        const converter::SheetTransform* extent;
        double north, east, x, y;
    };
    const Case cases[] = {{&wide, 0, 0, -32000, 24000},
                          {&wide, 1.5, 2, 32000, -24000},
                          {&wide, 0.75, 1, 0, 0},
                          {&tall, 0, 1, 16000, 32000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.north << ", " << c.east);
        auto p = ToDevice(*c.extent, c.north, c.east);
        EXPECT_DOUBLE_EQ(p.x, c.x);
        EXPECT_DOUBLE_EQ(p.y, c.y);
    }
}

TEST(CheckDevice, AcceptsTheSixteenBitRangeRoundingHalvesToEvenOrRejectsWithItsText) {
    struct Case {
        double x, y;
        int id;
        int rx, ry;           // when accepted
        std::string message;  // when rejected
    };
    const Case cases[] = {
        {32767, -32767, 1, 32767, -32767, ""},
        {0.5, 1.5, 1, 0, 2, ""},
        {2.5, -0.5, 1, 2, 0, ""},
        {32767.4, 0, 5, 0, 0, "x オーバーフロー： X=32767.4"},  // rounds to 32767, still outside
        {32800.5, 99999, 5, 0, 0, "x オーバーフロー： X=32800.5"},
        {0, -40000.25, 17, 0, 0, "y オーバーフロー：Y=-40000.25 ID=17"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        auto r = CheckDevice(c.x, c.y, c.id);
        EXPECT_EQ(r.accepted, c.message.empty());
        if (r.accepted) {
            EXPECT_EQ(r.x, c.rx);
            EXPECT_EQ(r.y, c.ry);
        } else {
            EXPECT_EQ(r.message, c.message);
        }
    }
}

TEST(BoxOf, BoxesFromUnroundedPointsAndDegenerateOnes) {
    struct Case {
        std::vector<std::pair<double, double>> points;
        bool degenerate;
        pdb::Box box;  // checked when not degenerate
    };
    const Case cases[] = {
        // left -10.4 → -10, top -3.5 → -4, width 31.0, height 9.0
        {{{-10.4, 5.5}, {20.6, -3.5}, {0, 0}}, false, {-10, -4, 31, 9}},
        // width 40000 keeps its 16-bit pattern: 40000 − 65536
        {{{-20000, 0}, {20000, 10}}, false, {-20000, 0, -25536, 10}},
        {{{3, 4}, {3, 9}}, false, {3, 4, 0, 5}},
        {{}, true, {}},
        {{{3, 4}}, true, {}},
        {{{3, 4}, {3, 4}}, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.points.size());
        BoxOf box;
        for (auto [x, y] : c.points) box.add(x, y);
        EXPECT_EQ(box.degenerate(), c.degenerate);
        if (!c.degenerate) {
            EXPECT_EQ(box.box(), c.box);
        }
    }
}

TEST(LabelBox, FourHundredSquareAroundTheAnchor) {
    EXPECT_EQ(converter::LabelBox(0, 0), (pdb::Box{-200, -200, 400, 400}));
    EXPECT_EQ(converter::LabelBox(1000.5, -99.5), (pdb::Box{800, -300, 400, 400}));
    EXPECT_TRUE(converter::LabelBoxFits(32000, -32000));
    // Each side may reach the 16-bit limit (±32767), not pass it.
    EXPECT_TRUE(converter::LabelBoxFits(-32567, 32567));
    EXPECT_TRUE(converter::LabelBoxFits(32567, -32567));
    EXPECT_FALSE(converter::LabelBoxFits(32567.5, 0));
    EXPECT_FALSE(converter::LabelBoxFits(32600, 0));
    EXPECT_FALSE(converter::LabelBoxFits(0, -32600));
}

TEST(FrameValues, RoundedToSixteenBitsOrNamed) {
    std::array<double, 12> numbers{35, 40, 123, 139, 45, 0.5, 35, 39, 1.5, 139, 46, 599.5};
    std::size_t bad = 99;
    auto values = converter::FrameValues(numbers, &bad);
    ASSERT_TRUE(values);
    EXPECT_EQ((*values)[2], 123);
    EXPECT_EQ((*values)[5], 0);
    EXPECT_EQ((*values)[8], 2);
    EXPECT_EQ((*values)[11], 600);
    numbers[7] = 40000;
    EXPECT_FALSE(converter::FrameValues(numbers, &bad));
    EXPECT_EQ(bad, 7u);
    EXPECT_STREQ(converter::frameValueName(bad), "bLatMin");
    numbers[7] = -32768.4;  // rounds to -32768, still 16 bits
    EXPECT_TRUE(converter::FrameValues(numbers, &bad));
}

TEST(FormatReal, FifteenSignificantDigitsWithoutExponent) {
    using converter::formatReal;
    EXPECT_EQ(formatReal(-31.25), "-31.25");
    EXPECT_EQ(formatReal(12000), "12000");
    EXPECT_EQ(formatReal(32800.5), "32800.5");
    EXPECT_EQ(formatReal(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(formatReal(-0.0), "0");
    EXPECT_EQ(formatReal(0.0000125), "0.0000125");
    EXPECT_EQ(formatReal(-7.275957614183426e-12), "-0.00000000000727595761418343");
}

}  // namespace
