#include "converter/georef/georef.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
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

// The frame of the real excerpt (below) as computed frame.
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
    const std::string dir = root + "/dm/MIERUNE__dmconverter";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.path().extension() != ".dm")
            continue;
        ++files;
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        auto mapped = platform::MappedFile::open(path);
        ASSERT_TRUE(mapped);
        dm::DmReader reader(
            std::string_view(reinterpret_cast<const char*>(mapped->data()), mapped->size()),
            entry.path().filename().string());
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
    EXPECT_EQ(files, 2);
}

// A Digital Map 2500 header states no unit: the sheet's size decides it, or the caller.
TEST(Georef, ExtentUnitFollowsSheetSizeUnlessGiven) {
    const georef::PlaneExtent metres{-36000, -9000, -34500, -7000};
    const georef::PlaneExtent kilometres{-36, -9, -34.5, -7};
    auto frameOf = [](const georef::PlaneExtent& e, std::optional<georef::ExtentUnit> unit) {
        return georef::computeSheetFrame(e, georef::ExtentSource::DigitalMapSheet, unit, 9,
                                         Datum::Tokyo);
    };
    auto m = frameOf(metres, std::nullopt);
    auto km = frameOf(kilometres, std::nullopt);
    ASSERT_TRUE(m) << m.error();
    ASSERT_TRUE(km) << km.error();
    EXPECT_EQ(m->unit.unit, georef::ExtentUnit::Metres);
    EXPECT_EQ(km->unit.unit, georef::ExtentUnit::Kilometres);
    EXPECT_FALSE(km->unit.given);
    EXPECT_NE(km->summary.find("長辺 2 から判断"), std::string::npos) << km->summary;
    EXPECT_EQ(km->frame.values, m->frame.values);
    // Near the boundary (the geometric mean of 2 and 2000, about 63.2).
    EXPECT_EQ(georef::chooseExtentUnit({0, 0, 50, 63}, std::nullopt)->unit,
              georef::ExtentUnit::Kilometres);
    EXPECT_EQ(georef::chooseExtentUnit({0, 0, 50, 64}, std::nullopt)->unit,
              georef::ExtentUnit::Metres);
    // A given unit wins, and a DM file's extent is metres whatever its size.
    auto given = frameOf(metres, georef::ExtentUnit::Kilometres);
    ASSERT_FALSE(given);
    EXPECT_NE(given.error().find("単位はキロメートル：指定による"), std::string::npos);
    auto dm = georef::computeSheetFrame(kilometres, georef::ExtentSource::DmFile, std::nullopt, 9,
                                        Datum::Tokyo);
    ASSERT_TRUE(dm) << dm.error();
    EXPECT_EQ(dm->metres.maxEast - dm->metres.minEast, 2);
}

TEST(Georef, ZoneFromDmFileName) {
    const std::pair<const char*, std::optional<int>> rows[] = {
        {"02JF711_lines0001-0054.dm", 2},   {"/data/09LD351.dm", 9},   {"19A.dm", 19},
        {"20AB.dm", std::nullopt},          {"00AB.dm", std::nullopt}, {"9LD351.dm", std::nullopt},
        {"sheet09/sample.dm", std::nullopt}};
    for (const auto& [name, zone] : rows) EXPECT_EQ(georef::zoneFromDmFileName(name), zone) << name;
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
        {frameError({9000, 44000, 7500, 46000}, 2), "最小北 9000、最小東 44000、最大北 7500"},
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
