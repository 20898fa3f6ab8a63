// The map frame of a sheet: corners, rounding to tenths of seconds, the unit of the
// extent, and the check of typed frame values.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "converter/core/transform.h"
#include "converter/georef/georef.h"

namespace georef {
namespace {

std::string dmsText(const Dms& a) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d°%02d′%02d.%d″", a.degrees, a.minutes, a.tenths / 10,
                  a.tenths % 10);
    return buf;
}

std::string extentText(const PlaneExtent& e) {
    return "最小北 " + converter::formatReal(e.minNorth) + "、最小東 " +
           converter::formatReal(e.minEast) + "、最大北 " + converter::formatReal(e.maxNorth) +
           "、最大東 " + converter::formatReal(e.maxEast);
}

std::optional<std::string> extentProblem(const PlaneExtent& e) {
    const bool finite = std::isfinite(e.minNorth) && std::isfinite(e.minEast) &&
                        std::isfinite(e.maxNorth) && std::isfinite(e.maxEast);
    if (finite && e.maxNorth > e.minNorth && e.maxEast > e.minEast)
        return std::nullopt;
    return "図郭の範囲が不正です（" + extentText(e) +
           "）。最大値は最小値より大きくなければなりません。";
}

std::string unitName(ExtentUnit unit) {
    return unit == ExtentUnit::Kilometres ? "キロメートル" : "メートル";
}

// Seconds of arc in tenths of a corner coordinate given as degrees, minutes, tenths.
double tenthsOf(double degrees, double minutes, double tenths) {
    return degrees * 36000 + minutes * 600 + tenths;
}

}  // namespace

Dms toDms(double degrees) {
    if (degrees < 0) {
        Dms d = toDms(-degrees);
        return {-d.degrees, -d.minutes, -d.tenths};
    }
    // First to 1/10000 s (3 mm on the ground, far below what the transform can tell), so
    // that seconds that are a decimal half tenth round as a half, to even.
    const long long units = std::llround(degrees * 36'000'000.0);
    long long tenths = units / 1000;
    const long long rest = units % 1000;
    if (rest > 500 || (rest == 500 && tenths % 2 != 0))
        ++tenths;
    return {static_cast<int>(tenths / 36000), static_cast<int>(tenths % 36000 / 600),
            static_cast<int>(tenths % 600)};
}

Result<Frame> computeFrame(const PlaneExtent& metres, int zone, Datum datum) {
    auto transform = PlaneToGeographic::create(zone, datum);
    if (!transform)
        return Result<Frame>::failure(transform.error());
    if (auto problem = extentProblem(metres))
        return Result<Frame>::failure(*problem);

    Frame frame;
    const struct {
        const char* name;
        PlanePoint plane;
        GeoPoint* geo;
    } corners[] = {{"図枠左上", {metres.maxNorth, metres.minEast}, &frame.topLeft},
                   {"図枠右下", {metres.minNorth, metres.maxEast}, &frame.bottomRight}};
    for (const auto& c : corners) {
        auto geo = transform->toGeographic(c.plane);
        if (!geo)
            return Result<Frame>::failure(std::string(c.name) + "：" + geo.error());
        if (!transform->nearArea(*geo))
            return Result<Frame>::failure(
                std::string(c.name) + "（北 " + converter::formatReal(c.plane.north) + " m、東 " +
                converter::formatReal(c.plane.east) + " m）は" + zoneName(zone) + "（" +
                std::string(datumName(datum)) + "）では北緯 " +
                converter::formatFixed(geo->latitude, 4) + "°、東経 " +
                converter::formatFixed(geo->longitude, 4) + "° になり、" + zoneName(zone) +
                "の区域（" + transform->areaText() +
                "）から遠く離れています。系番号、測地系と図郭の範囲を確かめて下さい。");
        *c.geo = *geo;
    }
    const Dms parts[] = {toDms(frame.topLeft.latitude), toDms(frame.topLeft.longitude),
                         toDms(frame.bottomRight.latitude), toDms(frame.bottomRight.longitude)};
    for (std::size_t i = 0; i < 4; ++i) {
        frame.values[i * 3] = parts[i].degrees;
        frame.values[i * 3 + 1] = parts[i].minutes;
        frame.values[i * 3 + 2] = parts[i].tenths;
    }
    return frame;
}

Result<ExtentUnit> parseExtentUnit(std::string_view text) {
    if (text == "m")
        return ExtentUnit::Metres;
    if (text == "km")
        return ExtentUnit::Kilometres;
    return Result<ExtentUnit>::failure("図郭の単位「" + std::string(text) +
                                       "」が分かりません（m か km を指定して下さい）。");
}

Result<UnitChoice> chooseExtentUnit(const PlaneExtent& raw, std::optional<ExtentUnit> given) {
    if (auto problem = extentProblem(raw))
        return Result<UnitChoice>::failure(*problem);
    UnitChoice choice;
    choice.longSide = std::max(raw.maxNorth - raw.minNorth, raw.maxEast - raw.minEast);
    choice.given = given.has_value();
    // The geometric mean of 2 and 2000: a side nearer 2 by ratio is kilometres.
    const double kKilometresBelow = std::sqrt(2.0 * 2000.0);
    choice.unit =
        given ? *given
              : (choice.longSide < kKilometresBelow ? ExtentUnit::Kilometres : ExtentUnit::Metres);
    return choice;
}

PlaneExtent toMetres(const PlaneExtent& raw, ExtentUnit unit) {
    const double f = unit == ExtentUnit::Kilometres ? 1000.0 : 1.0;
    return {raw.minNorth * f, raw.minEast * f, raw.maxNorth * f, raw.maxEast * f};
}

Result<SheetFrame> computeSheetFrame(const PlaneExtent& raw, ExtentSource source,
                                     std::optional<ExtentUnit> unit, int zone, Datum datum) {
    using R = Result<SheetFrame>;
    auto plane = planeEpsg(zone, datum);
    if (!plane)
        return R::failure(plane.error());
    const bool dm = source == ExtentSource::DmFile;
    auto choice = chooseExtentUnit(raw, dm && !unit ? std::optional(ExtentUnit::Metres) : unit);
    if (!choice)
        return R::failure(choice.error());
    choice->given = unit.has_value();

    const std::string why = choice->given ? "指定による"
                            : dm          ? "DMファイルの図郭はメートル単位"
                                          : "長辺 " + converter::formatReal(choice->longSide) +
                                       " から判断。縮尺 1/2500 の図郭は約 2 km × 1.5 km";
    const std::string extentLine = "図郭：北 " + converter::formatReal(raw.minNorth) + "〜" +
                                   converter::formatReal(raw.maxNorth) + "、東 " +
                                   converter::formatReal(raw.minEast) + "〜" +
                                   converter::formatReal(raw.maxEast) + "（単位は" +
                                   unitName(choice->unit) + "：" + why + "）";
    SheetFrame sheet;
    sheet.unit = *choice;
    sheet.metres = toMetres(raw, choice->unit);
    auto frame = computeFrame(sheet.metres, zone, datum);
    if (!frame)
        return R::failure(frame.error() + "\n" + extentLine);
    sheet.frame = *frame;

    auto corner = [](const char* name, const GeoPoint& g) {
        return std::string(name) + "：北緯 " + converter::formatFixed(g.latitude, 7) + "°（" +
               dmsText(toDms(g.latitude)) + "）、東経 " + converter::formatFixed(g.longitude, 7) +
               "°（" + dmsText(toDms(g.longitude)) + "）";
    };
    const PlaneExtent& m = sheet.metres;
    sheet.summary =
        "図枠を計算しました：" + zoneName(zone) + "、" + std::string(datumName(datum)) +
        "（EPSG:" + std::to_string(*plane) + " → EPSG:" + std::to_string(geographicEpsg(datum)) +
        "）\n" + extentLine + "\n大きさ：東西 " + converter::formatReal(m.maxEast - m.minEast) +
        " m × 南北 " + converter::formatReal(m.maxNorth - m.minNorth) + " m\n" +
        corner("図枠左上", frame->topLeft) + "\n" + corner("図枠右下", frame->bottomRight);
    return sheet;
}

std::string frameBoxLabel(std::size_t index) {
    static constexpr std::array<const char*, 2> kCorners = {"図枠左上", "図枠右下"};
    static constexpr std::array<const char*, 2> kAxes = {"北緯", "東経"};
    static constexpr std::array<const char*, 3> kUnits = {"度", "分", "1/10秒"};
    if (index >= kFrameValueCount)
        return {};
    return std::string(kCorners[index / 6]) + "の" + kAxes[index / 3 % 2] + "（" +
           kUnits[index % 3] + "）";
}

std::string frameWarning(const std::array<double, kFrameValueCount>& typed,
                         const FrameValues& computed) {
    std::string text;
    for (std::size_t base = 0; base < kFrameValueCount; base += 3) {
        // Values count as stored: rounded to integers, halves to even.
        const double t[3] = {std::nearbyint(typed[base]), std::nearbyint(typed[base + 1]),
                             std::nearbyint(typed[base + 2])};
        const double difference =
            std::fabs(tenthsOf(t[0], t[1], t[2]) -
                      tenthsOf(computed[base], computed[base + 1], computed[base + 2]));
        if (!(difference > 10))
            continue;
        // The first box that differs: the seconds when degrees and minutes agree.
        std::size_t k = 0;
        while (k < 2 && t[k] == computed[base + k]) ++k;
        text += frameBoxLabel(base + k) + "の値が計算値と " +
                converter::formatFixed(difference / 10, 1) + " 秒違います。\n";
    }
    if (text.empty())
        return text;
    text.pop_back();
    return text + "このまま作成しますか？";
}

std::string frameValuesText(const FrameValues& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            text += ',';
        text += std::to_string(values[i]);
    }
    return text;
}

}  // namespace georef
