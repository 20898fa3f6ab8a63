#include "converter/georef/georef.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string_view>

#include "converter/dm/dm_reader.h"
#include "platform/files.h"
#include "support/test_support.h"

namespace {

using georef::Datum;

constexpr double dms(double d, double m, double s) {
    return d + m / 60 + s / 3600;
}

// Plane coordinates to latitude and longitude, against values found without PROJ.
// Origins: the published origins of the zones (X = Y = 0). Other rows: plane coordinates
// computed from the round latitude and longitude by the Gauss–Krüger forward series
// (Krüger's series in n to n^6, k0 = 0.9999; GRS80 a = 6378137, 1/f = 298.257222101 for
// JGD; Bessel a = 6377397.155, 1/f = 299.152813 for Tokyo), to 0.1 mm. In every row but
// the origins north and east differ by kilometres, so reading them in the wrong order
// (easting first, or longitude first) misses by far more than the tolerance.
TEST(Georef, PlaneToGeographicMatchesOriginsAndSeries) {
    struct Row {
        int zone;
        Datum datum;
        int planeEpsg;
        double north, east;
        double latitude, longitude;
    };
    const Row rows[] = {
        {1, Datum::Jgd2011, 6669, 0, 0, 33, dms(129, 30, 0)},
        {9, Datum::Jgd2011, 6677, 0, 0, 36, dms(139, 50, 0)},
        {11, Datum::Tokyo, 30171, 0, 0, 44, dms(140, 15, 0)},
        {14, Datum::Jgd2000, 2456, 0, 0, 26, 142},
        {18, Datum::Jgd2011, 6686, 0, 0, 20, 136},
        {9, Datum::Jgd2011, 6677, -55420.5581, -30240.1622, dms(35, 30, 0), dms(139, 30, 0)},
        {2, Datum::Jgd2000, 2444, 7496.7932, 45130.7584, dms(33, 4, 0), dms(131, 29, 0)},
        {12, Datum::Jgd2000, 2454, -105144.1529, -73320.2152, dms(43, 3, 0), dms(141, 21, 0)},
        {14, Datum::Jgd2011, 6682, 120033.1614, 19834.3644, dms(27, 5, 0), dms(142, 12, 0)},
        {9, Datum::Tokyo, 30169, -36974.4818, -7543.4781, dms(35, 40, 0), dms(139, 45, 0)},
        {1, Datum::Tokyo, 30161, -27660.4145, 34355.0650, dms(32, 45, 0), dms(129, 52, 0)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("zone " + std::to_string(r.zone) + " " +
                     std::string(georef::datumWord(r.datum)) + " N " + std::to_string(r.north));
        auto transform = georef::PlaneToGeographic::create(r.zone, r.datum);
        ASSERT_TRUE(transform) << transform.error();
        EXPECT_EQ(transform->planeCode(), r.planeEpsg);
        auto geo = transform->toGeographic({r.north, r.east});
        ASSERT_TRUE(geo) << geo.error();
        EXPECT_NEAR(geo->latitude, r.latitude, 1e-8);
        EXPECT_NEAR(geo->longitude, r.longitude, 1e-8);
    }
}

TEST(Georef, DmsRoundsTenthsHalfToEvenAndCarries) {
    struct Row {
        double degrees;
        georef::Dms expected;
    };
    const Row rows[] = {
        {36, {36, 0, 0}},
        {dms(33, 4, 12.25), {33, 4, 122}},      // half a tenth: to the even 122
        {dms(33, 4, 12.35), {33, 4, 124}},      // half a tenth: to the even 124
        {dms(131, 28, 59.94), {131, 28, 599}},  // 59.94 s stays below 60
        {dms(131, 28, 59.95), {131, 29, 0}},    // 599.5 tenths to even 600: next minute
        {dms(33, 59, 59.96), {34, 0, 0}},       // 60.0 s and 60 min: next degree
    };
    for (const Row& r : rows) EXPECT_EQ(georef::toDms(r.degrees), r.expected) << r.degrees;
}

// The frame computed for the real excerpt (see RealDmExcerptFrame).
constexpr georef::FrameValues kExcerptFrame = {33, 4, 490, 131, 28, 167, 33, 4, 0, 131, 29, 335};

TEST(Georef, FrameWarningNamesTheMistypedBox) {
    using Typed = std::array<double, 12>;
    auto typed = [](std::initializer_list<std::pair<std::size_t, double>> changes) {
        Typed t;
        for (std::size_t i = 0; i < 12; ++i) t[i] = kExcerptFrame[i];
        for (auto [i, v] : changes) t[i] = v;
        return t;
    };
    const char* ask = "このまま作成しますか？";
    struct Row {
        Typed values;
        std::string expected;
    };
    const Row rows[] = {
        {typed({}), ""},
        {typed({{2, 500}}), ""},                        // 1.0 s: not more than 1 second
        {typed({{2, 490.5}, {7, 3}, {8, 599.6}}), ""},  // stored 490; 33°03'60.0" is 33°04'00.0"
        {typed({{2, 613}}),
         std::string("図枠左上の北緯（1/10秒）の値が計算値と 12.3 秒違います。") + ask},
        {typed({{2, 501}}),
         std::string("図枠左上の北緯（1/10秒）の値が計算値と 1.1 秒違います。") + ask},
        {typed({{3, 113}}),
         std::string("図枠左上の東経（度）の値が計算値と 64800.0 秒違います。") + ask},
        {typed({{7, 3}, {8, 580}}),  // 33°03'58.0": the minutes are the first box that differs
         std::string("図枠右下の北緯（分）の値が計算値と 2.0 秒違います。") + ask},
        {typed({{7, 40}, {10, 30}}),
         std::string("図枠右下の北緯（分）の値が計算値と 2160.0 秒違います。\n"
                     "図枠右下の東経（分）の値が計算値と 60.0 秒違います。") +
             ask},
    };
    for (const Row& r : rows) EXPECT_EQ(georef::frameWarning(r.values, kExcerptFrame), r.expected);
}

// The real DM excerpts: sheet 02JF711 of zone II (JGD2000, EPSG:2444 by their source). The
// "M " record gives the extent in metres; the expected corners come from the Gauss–Krüger
// series inverted by Newton's method (see the first test), the frame from those corners.
// The bottom-right latitude is 33°03'59.973": its seconds round up to 60.0 and carry.
TEST(Georef, RealDmExcerptFrame) {
    const std::string root = testsupport::realDataDir();
    if (root.empty())
        GTEST_SKIP() << "no ../shared/realdata beside the checkout (the excerpts are not ours "
                        "to commit)";
    for (const char* name :
         {"02JF711_lines0001-0054.dm", "02JF711_lines0001-0025+35425-35437.dm"}) {
        const std::string path = root + "/dm/MIERUNE__dmconverter/" + name;
        SCOPED_TRACE(path);
        auto mapped = platform::MappedFile::open(path);
        ASSERT_TRUE(mapped);
        dm::DmReader reader(
            std::string_view(reinterpret_cast<const char*>(mapped->data()), mapped->size()), name);
        ASSERT_EQ(reader.next(), dm::DmEvent::Sheet) << reader.failure();
        const dm::SheetRecord& s = reader.sheet();
        auto zone = georef::zoneFromDmFileName(path);
        ASSERT_EQ(zone, 2);
        auto sheet = georef::computeSheetFrame({s.nmin, s.emin, s.nmax, s.emax},
                                               georef::ExtentSource::DmFile, std::nullopt, *zone,
                                               Datum::Jgd2000);
        ASSERT_TRUE(sheet) << sheet.error();
        // A 1:2500 sheet: 2 km east–west, 1.5 km north–south.
        EXPECT_EQ(sheet->metres.maxEast - sheet->metres.minEast, 2000);
        EXPECT_EQ(sheet->metres.maxNorth - sheet->metres.minNorth, 1500);
        const georef::Frame& f = sheet->frame;
        EXPECT_NEAR(f.topLeft.latitude, 33.08026781622318, 1e-8);
        EXPECT_NEAR(f.topLeft.longitude, 131.47129596344783, 1e-8);
        EXPECT_NEAR(f.bottomRight.latitude, 33.06665915845426, 1e-8);
        EXPECT_NEAR(f.bottomRight.longitude, 131.4926424470013, 1e-8);
        EXPECT_EQ(f.values, kExcerptFrame);
    }
}

// A Digital Map 2500 header states no unit: the sheet's size decides it (the boundary is
// the geometric mean of 2 and 2000, about 63.2), or the caller. A DM file's is metres.
TEST(Georef, ExtentUnitFollowsSheetSizeUnlessGiven) {
    using georef::ExtentUnit;
    const georef::PlaneExtent metres{-36000, -9000, -34500, -7000}, kilometres{-36, -9, -34.5, -7};
    const auto sheet = georef::ExtentSource::DigitalMapSheet;
    struct Row {
        georef::PlaneExtent raw;
        georef::ExtentSource source;
        std::optional<ExtentUnit> given;
        ExtentUnit unit;
    };
    const Row rows[] = {
        {metres, sheet, std::nullopt, ExtentUnit::Metres},
        {kilometres, sheet, std::nullopt, ExtentUnit::Kilometres},
        {{0, 0, 50, 63}, sheet, std::nullopt, ExtentUnit::Kilometres},
        {{0, 0, 50, 64}, sheet, std::nullopt, ExtentUnit::Metres},
        {kilometres, sheet, ExtentUnit::Metres, ExtentUnit::Metres},
        {kilometres, georef::ExtentSource::DmFile, std::nullopt, ExtentUnit::Metres}};
    for (const Row& r : rows) {
        auto computed = georef::computeSheetFrame(r.raw, r.source, r.given, 9, Datum::Tokyo);
        ASSERT_TRUE(computed) << computed.error();
        EXPECT_EQ(computed->unit.unit, r.unit) << r.raw.maxEast;
    }
    auto m = georef::computeSheetFrame(metres, sheet, std::nullopt, 9, Datum::Tokyo);
    auto km = georef::computeSheetFrame(kilometres, sheet, std::nullopt, 9, Datum::Tokyo);
    EXPECT_EQ(km->frame.values, m->frame.values);
    EXPECT_NE(km->summary.find("長辺 2 から判断"), std::string::npos) << km->summary;
}

TEST(Georef, ZoneFromDmFileName) {
    EXPECT_EQ(georef::zoneFromDmFileName("/data/09LD351.dm"), 9);
    EXPECT_EQ(georef::zoneFromDmFileName("19"), 19);
    for (const char* name :
         {"20AB.dm", "00AB.dm", "9", "1-LD351.dm", "0ALD351.dm", "sheet09/sample.dm"})
        EXPECT_EQ(georef::zoneFromDmFileName(name), std::nullopt) << name;
}

// A frame may lie up to half a degree outside the bounding box of the zone's area of use
// (coastal sheets reach into the sea). Zone XVIII's area is 20.37–20.48°N, 136.02–136.16°E:
// a sheet at its origin (20°N 136°E) lies south-west of it, one 100 km north and 57 km east
// of the origin (about 20.9°N 136.55°E) north-east of it; 100 km south is too far.
TEST(Georef, AreaCheckAllowsHalfADegree) {
    const std::pair<georef::PlaneExtent, bool> rows[] = {{{0, 0, 1500, 2000}, true},
                                                         {{98000, 56000, 99500, 58000}, true},
                                                         {{-100000, 0, -98500, 2000}, false}};
    for (const auto& [extent, accepted] : rows) {
        auto frame = georef::computeFrame(extent, 18, Datum::Jgd2011);
        EXPECT_EQ(bool(frame), accepted) << extent.minNorth << " " << frame.error();
    }
}

// Every refusal names the value it refuses.
TEST(Georef, BadInputNamesTheValue) {
    const georef::PlaneExtent sheet{7500, 44000, 9000, 46000};
    struct Row {
        std::string error;
        std::string named;
    };
    auto frameError = [](const georef::PlaneExtent& e, int zone) {
        return georef::computeFrame(e, zone, Datum::Jgd2011).error();
    };
    const Row rows[] = {
        {georef::parseZone("0").error(), "系番号「0」"},
        {georef::parseZone("20").error(), "系番号「20」"},
        {georef::parseZone("2a").error(), "系番号「2a」"},
        {frameError(sheet, 0), "系番号「0」"},
        {frameError(sheet, 20), "系番号「20」"},
        {georef::parseDatum("wgs84").error(), "測地系「wgs84」"},
        {georef::parseExtentUnit("cm").error(), "単位「cm」"},
        {frameError({9000, 44000, 9000, 46000}, 2), "最小北 9000、最小東 44000、最大北 9000"},
        {frameError({7500, 46000, 9000, 46000}, 2), "最小東 46000、最大北 9000、最大東 46000"},
        // Beyond what the projection covers (PROJ refuses), and 900 km north of zone II.
        {frameError({7500000, 44000000, 9000000, 46000000}, 2), "北 9000000 m、東 44000000 m"},
        {frameError({750000, 44000, 900000, 46000}, 2), "北 900000 m、東 44000 m"},
        {georef::PlaneToGeographic::createFromCodes(9999999, 6668).error(), "EPSG:9999999"},
    };
    for (const Row& r : rows) EXPECT_NE(r.error.find(r.named), std::string::npos) << r.error;
    EXPECT_EQ(*georef::parseDatum(" JGD2011 "), Datum::Jgd2011);
    EXPECT_EQ(*georef::parseDatum("旧日本測地系"), Datum::Tokyo);
}

TEST(Georef, MissingProjDatabaseIsAMessage) {
    testsupport::TempDir empty;
    ASSERT_EQ(setenv("PROJ_DATA", empty.path().c_str(), 1), 0);
    auto transform = georef::PlaneToGeographic::create(9, Datum::Jgd2011);
    unsetenv("PROJ_DATA");
    ASSERT_FALSE(transform);
    EXPECT_NE(transform.error().find("proj.db"), std::string::npos) << transform.error();
}

}  // namespace
