#include <gtest/gtest.h>

#include "converter/digitalmap/transform.h"

namespace {

using digitalmap::BoxOf;
using digitalmap::CheckDevice;
using digitalmap::ReadExtent;
using digitalmap::ToDevice;

TEST(ReadExtent, RangesAspectFactorsAndOrigin) {
    // D1..D4 = minimum north, minimum east, maximum north, maximum east.
    auto e = ReadExtent(0, 0, 1.5, 2);
    ASSERT_TRUE(e);
    EXPECT_DOUBLE_EQ(e->Re, 2000);
    EXPECT_DOUBLE_EQ(e->Rn, 1500);
    EXPECT_DOUBLE_EQ(e->sx, 1);
    EXPECT_DOUBLE_EQ(e->sy, 0.75);

    auto square = ReadExtent(10, 20, 11, 21);
    ASSERT_TRUE(square);
    EXPECT_DOUBLE_EQ(square->sx, 1);
    EXPECT_DOUBLE_EQ(square->sy, 1);
    EXPECT_DOUBLE_EQ(square->originEast, 20000);
    EXPECT_DOUBLE_EQ(square->originNorth, 11000);

    auto tall = ReadExtent(0, 0, 2, 1);
    ASSERT_TRUE(tall);
    EXPECT_DOUBLE_EQ(tall->sx, 0.5);
    EXPECT_DOUBLE_EQ(tall->sy, 1);
}

TEST(ReadExtent, RefusesEmptyOrInvertedRanges) {
    EXPECT_FALSE(ReadExtent(0, 0, 0, 2));  // no north range
    EXPECT_FALSE(ReadExtent(0, 5, 1, 5));  // no east range
    EXPECT_FALSE(ReadExtent(3, 0, 1, 2));  // maximum below minimum
    EXPECT_FALSE(ReadExtent(0, 0, 1, std::numeric_limits<double>::infinity()));
}

TEST(ToDevice, MapsTheSheetOntoTheDeviceSpace) {
    auto e = *ReadExtent(0, 0, 1.5, 2);  // Re 2000, Rn 1500
    auto corner = ToDevice(e, 0, 0);
    EXPECT_DOUBLE_EQ(corner.x, -32000);
    EXPECT_DOUBLE_EQ(corner.y, 24000);
    auto far = ToDevice(e, 1.5, 2);
    EXPECT_DOUBLE_EQ(far.x, 32000);
    EXPECT_DOUBLE_EQ(far.y, -24000);
    auto centre = ToDevice(e, 0.75, 1);
    EXPECT_DOUBLE_EQ(centre.x, 0);
    EXPECT_DOUBLE_EQ(centre.y, 0);

    auto tall = *ReadExtent(0, 0, 2, 1);  // Re 1000, Rn 2000
    auto p = ToDevice(tall, 0, 1);
    EXPECT_DOUBLE_EQ(p.x, 16000);
    EXPECT_DOUBLE_EQ(p.y, 32000);
}

TEST(CheckDevice, AcceptsTheSixteenBitRangeAndRoundsHalvesToEven) {
    auto edge = CheckDevice(32767, -32767, 1);
    EXPECT_TRUE(edge.accepted);
    EXPECT_EQ(edge.x, 32767);
    EXPECT_EQ(edge.y, -32767);
    auto halves = CheckDevice(0.5, 1.5, 1);
    EXPECT_TRUE(halves.accepted);
    EXPECT_EQ(halves.x, 0);
    EXPECT_EQ(halves.y, 2);
    auto more = CheckDevice(2.5, -0.5, 1);
    EXPECT_EQ(more.x, 2);
    EXPECT_EQ(more.y, 0);
}

TEST(CheckDevice, RejectsWithTheOverflowTexts) {
    auto x = CheckDevice(32767.4, 0, 5);  // would round to 32767, still outside
    EXPECT_FALSE(x.accepted);
    EXPECT_EQ(x.message, "x オーバーフロー： X=32767.4");
    EXPECT_EQ(CheckDevice(32800.5, 99999, 5).message, "x オーバーフロー： X=32800.5");
    auto y = CheckDevice(0, -40000.25, 17);
    EXPECT_FALSE(y.accepted);
    EXPECT_EQ(y.message, "y オーバーフロー：Y=-40000.25 ID=17");
}

TEST(BoxOf, BoxFromUnroundedPoints) {
    BoxOf box;
    box.add(-10.4, 5.5);
    box.add(20.6, -3.5);
    box.add(0, 0);
    EXPECT_FALSE(box.degenerate());
    // left -10.4 → -10, top -3.5 → -4, width 31.0, height 9.0
    EXPECT_EQ(box.box(), (pdb::Box{-10, -4, 31, 9}));
}

TEST(BoxOf, WideBoxesKeepTheirSixteenBitPattern) {
    BoxOf box;
    box.add(-20000, 0);
    box.add(20000, 10);
    EXPECT_EQ(box.box().width, -25536);  // 40000 − 65536
    EXPECT_EQ(box.box().height, 10);
}

TEST(BoxOf, OnePointOrCoincidentPointsAreDegenerate) {
    BoxOf none;
    EXPECT_TRUE(none.degenerate());
    BoxOf one;
    one.add(3, 4);
    EXPECT_TRUE(one.degenerate());
    BoxOf same;
    same.add(3, 4);
    same.add(3, 4);
    EXPECT_TRUE(same.degenerate());
    BoxOf line;
    line.add(3, 4);
    line.add(3, 9);
    EXPECT_FALSE(line.degenerate());
}

TEST(LabelBox, FourHundredSquareAroundTheAnchor) {
    EXPECT_EQ(digitalmap::LabelBox(0, 0), (pdb::Box{-200, -200, 400, 400}));
    EXPECT_EQ(digitalmap::LabelBox(1000.5, -99.5), (pdb::Box{800, -300, 400, 400}));
    EXPECT_TRUE(digitalmap::LabelBoxFits(32000, -32000));
    EXPECT_FALSE(digitalmap::LabelBoxFits(32600, 0));
    EXPECT_FALSE(digitalmap::LabelBoxFits(0, -32600));
}

TEST(FrameValues, RoundedToSixteenBitsOrNamed) {
    std::array<double, 12> numbers{35, 40, 123, 139, 45, 0.5, 35, 39, 1.5, 139, 46, 599.5};
    std::size_t bad = 99;
    auto values = digitalmap::FrameValues(numbers, &bad);
    ASSERT_TRUE(values);
    EXPECT_EQ((*values)[2], 123);
    EXPECT_EQ((*values)[5], 0);
    EXPECT_EQ((*values)[8], 2);
    EXPECT_EQ((*values)[11], 600);
    numbers[7] = 40000;
    EXPECT_FALSE(digitalmap::FrameValues(numbers, &bad));
    EXPECT_EQ(bad, 7u);
    EXPECT_STREQ(digitalmap::frameValueName(bad), "bLatMin");
    numbers[7] = -32768.4;  // rounds to -32768, still 16 bits
    EXPECT_TRUE(digitalmap::FrameValues(numbers, &bad));
}

TEST(FormatReal, FifteenSignificantDigitsWithoutExponent) {
    using digitalmap::formatReal;
    EXPECT_EQ(formatReal(-31.25), "-31.25");
    EXPECT_EQ(formatReal(12000), "12000");
    EXPECT_EQ(formatReal(32800.5), "32800.5");
    EXPECT_EQ(formatReal(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(formatReal(-0.0), "0");
    EXPECT_EQ(formatReal(0.0000125), "0.0000125");
    EXPECT_EQ(formatReal(-7.275957614183426e-12), "-0.00000000000727595761418343");
}

}  // namespace
