// Latitude and longitude through ogr2pdb into device coordinates and back out through
// pdb2ogr: every point comes back within one device unit of where it was, for extents of
// different sizes and shapes (the unit is the extent's longer side ÷ 64000).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "converter/ogr/ogr2pdb.h"
#include "converter/ogr/pdb2ogr.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace {

struct Case {
    const char* name;
    double lon0, lat0;     // south-west corner of the features
    double width, height;  // degrees spanned
};

std::string pt(double lon, double lat) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "[%.9f, %.9f]", lon, lat);
    return buf;
}

// Polygons (one of two parts with a hole), lines and named points spread over the extent,
// at irregular fractions so that no coordinate falls on a whole device unit.
std::string dataset(const Case& c) {
    auto at = [&](double fx, double fy) {
        return pt(c.lon0 + fx * c.width, c.lat0 + fy * c.height);
    };
    std::string f = R"({"type": "FeatureCollection", "name": "survey", "features": [)";
    f += R"({"type": "Feature", "properties": {"name": "a"}, "geometry": {"type": "Polygon",
          "coordinates": [[)" +
         at(0, 0) + "," + at(0.137, 0.011) + "," + at(0.151, 0.173) + "," + at(0.019, 0.161) + "," +
         at(0, 0) + "]]}},";
    f += R"({"type": "Feature", "properties": {"name": "b"}, "geometry": {"type": "MultiPolygon",
          "coordinates": [[[)" +
         at(0.5, 0.5) + "," + at(0.731, 0.5) + "," + at(0.731, 0.693) + "," + at(0.5, 0.693) + "," +
         at(0.5, 0.5) + "],[" + at(0.55, 0.55) + "," + at(0.6, 0.55) + "," + at(0.6, 0.6) + "," +
         at(0.55, 0.55) + "]],[[" + at(0.8, 0.9) + "," + at(0.97, 0.93) + "," + at(0.91, 1) + "," +
         at(0.8, 0.9) + "]]]}},";
    f += R"({"type": "Feature", "properties": {}, "geometry": {"type": "LineString",
          "coordinates": [)" +
         at(0.01, 0.99) + "," + at(0.333, 0.777) + "," + at(0.666, 0.3141) + "," + at(1, 0.2718) +
         "]}},";
    f += R"({"type": "Feature", "properties": {"name": "c"}, "geometry": {"type": "Point",
          "coordinates": )" +
         at(0.4242, 0.5757) + "}}]}";
    return f;
}

// The points of every feature of a file in zone IX, in order, with their kind.
std::vector<std::pair<ogr::GeometryClass, std::vector<ogr::XY>>> pointsOf(const std::string& path) {
    auto in = ogr::VectorInput::open(path, "");
    EXPECT_TRUE(in) << in.error();
    std::vector<std::pair<ogr::GeometryClass, std::vector<ogr::XY>>> out;
    if (!in)
        return out;
    EXPECT_TRUE((*in)->setTarget(6677));
    EXPECT_TRUE((*in)->read(0, std::nullopt, [&](const ogr::InputFeature& f) {
        for (const auto& part : f.shape.parts) out.emplace_back(f.shape.kind, part);
        return true;
    }));
    return out;
}

TEST(OgrRoundTrip, PointsComeBackWithinOneDeviceUnit) {
    const Case cases[] = {
        {"a city block, wider than high", 139.7600, 35.6800, 0.0050, 0.0021},
        {"a narrow valley, higher than wide", 138.9001, 36.2002, 0.0013, 0.0310},
        {"a whole town", 140.1003, 35.9007, 0.1500, 0.1100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        std::ofstream(dir.file("survey.geojson")) << dataset(c);
        platform::ScriptedPrompter prompter;
        ogr::Ogr2PdbOptions options;
        options.input = dir.file("survey.geojson");
        options.outDir = dir.path();
        options.zone = 9;
        options.today = {2001, 12, 5};
        auto converted = ogr::ogr2pdb(options, prompter);
        ASSERT_EQ(converted.outcome, converter::Outcome::Done) << prompter.texts().front();
        auto back = ogr::pdb2ogr(converted.graphicPath, converted.attrPath, dir.file("back.gpkg"),
                                 9, georef::Datum::Jgd2011, prompter);
        ASSERT_EQ(back.outcome, converter::Outcome::Done) << prompter.texts().back();

        const ogr::Bounds& e = converted.account.extent;
        const double unit = std::max(e.maxEast - e.minEast, e.maxNorth - e.minNorth) / 64000;
        auto input = pointsOf(dir.file("survey.geojson"));
        auto output = pointsOf(dir.file("back.gpkg"));
        // Output: the frame, the three areas, the label, then the line; input in file order.
        ASSERT_EQ(output.size(), 6u);
        ASSERT_EQ(input.size(), 5u);
        const std::pair<std::size_t, std::size_t> pairs[] = {
            {0, 1}, {1, 2}, {2, 3}, {4, 4}, {3, 5}};
        for (auto [i, o] : pairs) {
            ASSERT_EQ(input[i].second.size(), output[o].second.size()) << "feature " << i;
            for (std::size_t k = 0; k < input[i].second.size(); ++k) {
                EXPECT_LE(std::fabs(input[i].second[k].east - output[o].second[k].east), unit)
                    << "feature " << i << " point " << k;
                EXPECT_LE(std::fabs(input[i].second[k].north - output[o].second[k].north), unit)
                    << "feature " << i << " point " << k;
            }
        }
    }
}

}  // namespace
