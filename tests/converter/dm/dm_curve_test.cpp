// Circles and arcs through three device points: where the points lie, how many there are
// and that no chord strays a unit from the curve.
#include <gtest/gtest.h>

#include <cmath>

#include "converter/dm/dm_passes.h"

namespace {

using converter::DevicePoint;

double distance(DevicePoint p, DevicePoint q) {
    return std::hypot(p.x - q.x, p.y - q.y);
}

// Distance from p to the segment q–r.
double toSegment(DevicePoint p, DevicePoint q, DevicePoint r) {
    const double dx = r.x - q.x, dy = r.y - q.y, len2 = dx * dx + dy * dy;
    double t = len2 == 0 ? 0 : ((p.x - q.x) * dx + (p.y - q.y) * dy) / len2;
    t = std::clamp(t, 0.0, 1.0);
    return distance(p, {q.x + t * dx, q.y + t * dy});
}

TEST(DmCurve, PointsLieOnTheCurveWithChordsUnderOneUnit) {
    const double s = 6400 / std::sqrt(2.0);
    struct Case {
        const char* what;
        int code;
        DevicePoint a, b, c, centre;
        double radius;
        std::size_t points;
    };
    // Segments: the sweep over 2 acos(1 − 1/r), rounded down, plus one; at most 2047.
    const Case cases[] = {
        {"full circle r 6400", 3, {0, -6400}, {6400, 0}, {0, 6400}, {0, 0}, 6400, 179},
        {"quarter arc", 4, {0, -6400}, {s, -s}, {6400, 0}, {0, 0}, 6400, 46},
        {"arc the long way round", 4, {6400, 0}, {-6400, 0}, {0, -6400}, {0, 0}, 6400, 135},
        {"circle off the origin", 3, {1000, 500}, {1100, 600}, {1000, 700}, {1000, 600}, 100, 24},
        {"tiny circle: at most a quarter turn a chord",
         3,
         {0, 0},
         {0.4, 0.4},
         {0, 0.8},
         {0, 0.4},
         0.4,
         6},
        {"huge circle: 2048 points", 3, {-1e6, 0}, {0, 1e6}, {1e6, 0}, {0, 0}, 1e6, 2048},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto got = dm::curvePoints(c.code, c.a, c.b, c.c);
        ASSERT_TRUE(got);
        const std::vector<DevicePoint>& p = *got;
        ASSERT_EQ(p.size(), c.points);
        EXPECT_EQ(distance(p.front(), c.a), 0);
        EXPECT_EQ(distance(p.back(), c.code == 3 ? c.a : c.c), 0);
        double nearB = 1e9;
        for (std::size_t i = 0; i < p.size(); ++i) {
            EXPECT_NEAR(distance(p[i], c.centre), c.radius, 1e-6 * c.radius) << "point " << i;
            if (i == 0)
                continue;
            nearB = std::min(nearB, toSegment(c.b, p[i - 1], p[i]));
            const double half = distance(p[i - 1], p[i]) / 2;
            const double sagitta = c.radius - std::sqrt(c.radius * c.radius - half * half);
            if (c.points < 2048) {
                EXPECT_LT(sagitta, 1) << "chord " << i;
            }
        }
        EXPECT_LT(nearB, 1) << "the curve passes through its second point";
    }
}

TEST(DmCurve, ThreePointsOnOneLineOrTwoAlikeGiveNoCurve) {
    EXPECT_FALSE(dm::curvePoints(4, {0, 0}, {100, 100}, {300, 300}));
    EXPECT_FALSE(dm::curvePoints(3, {0, 0}, {100, 100}, {0, 0}));
    EXPECT_FALSE(dm::curvePoints(4, {5, 5}, {5, 5}, {300, 0}));
}

}  // namespace
