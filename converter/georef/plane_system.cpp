// Zones, datums, their EPSG codes and the PROJ transform of plane coordinates.
#include <proj.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "converter/core/transform.h"
#include "converter/georef/georef.h"
#include "platform/files.h"

namespace georef {
namespace {

constexpr std::array<const char*, 19> kRoman = {
    "I",  "II",  "III",  "IV",  "V",  "VI",  "VII",  "VIII",  "IX", "X",
    "XI", "XII", "XIII", "XIV", "XV", "XVI", "XVII", "XVIII", "XIX"};

bool validZone(int zone) {
    return zone >= kFirstZone && zone <= kLastZone;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string zoneProblem(std::string_view text) {
    return "座標系の系番号「" + std::string(text) + "」は 1 から 19 の整数でなければなりません。";
}

}  // namespace

std::string_view datumWord(Datum datum) {
    switch (datum) {
        case Datum::Tokyo:
            return "tokyo";
        case Datum::Jgd2000:
            return "jgd2000";
        case Datum::Jgd2011:
            return "jgd2011";
    }
    return "";
}

std::string_view datumName(Datum datum) {
    switch (datum) {
        case Datum::Tokyo:
            return "旧日本測地系";
        case Datum::Jgd2000:
            return "JGD2000";
        case Datum::Jgd2011:
            return "JGD2011";
    }
    return "";
}

Result<Datum> parseDatum(std::string_view text) {
    const std::string_view plain = trimBlanks(text);
    const std::string lower = lowerAscii(plain);
    for (Datum d : kDatums)
        if (lower == datumWord(d) || plain == datumName(d))
            return d;
    return Result<Datum>::failure("測地系「" + std::string(text) +
                                  "」が分かりません（tokyo（旧日本測地系）、jgd2000、jgd2011 "
                                  "のどれかを指定して下さい）。");
}

Result<int> parseZone(std::string_view text) {
    const std::string_view plain = trimBlanks(text);
    int zone = 0;
    auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), zone);
    if (ec != std::errc() || end != plain.data() + plain.size() || !validZone(zone))
        return Result<int>::failure(zoneProblem(text));
    return zone;
}

std::string zoneName(int zone) {
    return "第" + (validZone(zone) ? std::string(kRoman[zone - 1]) : std::to_string(zone)) + "系";
}

std::optional<int> zoneFromDmFileName(std::string_view path) {
    return zoneFromSheetName(platform::fileNameOf(path));
}

std::optional<int> zoneFromSheetName(std::string_view name) {
    if (name.size() < 2 || name[0] < '0' || name[0] > '9' || name[1] < '0' || name[1] > '9')
        return std::nullopt;
    const int zone = (name[0] - '0') * 10 + (name[1] - '0');
    if (!validZone(zone))
        return std::nullopt;
    return zone;
}

Result<int> planeEpsg(int zone, Datum datum) {
    if (!validZone(zone))
        return Result<int>::failure(zoneProblem(std::to_string(zone)));
    switch (datum) {
        case Datum::Tokyo:
            return 30160 + zone;
        case Datum::Jgd2000:
            return 2442 + zone;
        case Datum::Jgd2011:
            return 6668 + zone;
    }
    return Result<int>::failure(zoneProblem(std::to_string(zone)));
}

int geographicEpsg(Datum datum) {
    switch (datum) {
        case Datum::Tokyo:
            return 4301;
        case Datum::Jgd2000:
            return 4612;
        case Datum::Jgd2011:
            return 6668;
    }
    return 0;
}

// ---- PROJ ----

struct PlaneToGeographic::State {
    PJ_CONTEXT* context = nullptr;
    PJ* operation = nullptr;
    int planeCode = 0;
    int geographicCode = 0;
    // Area of use of the plane system, degrees.
    double west = -180, south = -90, east = 180, north = 90;
    // PROJ's last log message: it goes into our messages instead of onto stderr.
    std::string log;

    ~State() {
        if (operation)
            proj_destroy(operation);
        if (context)
            proj_context_destroy(context);
    }
};

namespace {

void keepLog(void* data, int /*level*/, const char* message) {
    if (data && message)
        static_cast<std::string*>(data)->assign(message);
}

struct PjFree {
    void operator()(PJ* pj) const { proj_destroy(pj); }
};
using PjHandle = std::unique_ptr<PJ, PjFree>;

std::string withLog(const std::string& log) {
    return log.empty() ? std::string() : "（PROJ：" + log + "）";
}

}  // namespace

PlaneToGeographic::PlaneToGeographic(std::unique_ptr<State> state) : state_(std::move(state)) {}
PlaneToGeographic::PlaneToGeographic(PlaneToGeographic&&) noexcept = default;
PlaneToGeographic& PlaneToGeographic::operator=(PlaneToGeographic&&) noexcept = default;
PlaneToGeographic::~PlaneToGeographic() = default;

Result<PlaneToGeographic> PlaneToGeographic::create(int zone, Datum datum) {
    auto plane = planeEpsg(zone, datum);
    if (!plane)
        return Result<PlaneToGeographic>::failure(plane.error());
    return createFromCodes(*plane, geographicEpsg(datum));
}

Result<PlaneToGeographic> PlaneToGeographic::createFromCodes(int planeCode, int geographicCode) {
    using R = Result<PlaneToGeographic>;
    auto state = std::make_unique<State>();
    state->planeCode = planeCode;
    state->geographicCode = geographicCode;
    state->context = proj_context_create();
    if (!state->context)
        return R::failure("PROJ を初期化できません。");
    proj_log_func(state->context, &state->log, &keepLog);
    if (!proj_context_get_database_path(state->context))
        return R::failure("PROJ の座標系データベース proj.db が見つかりません" +
                          withLog(state->log) +
                          "。PROJ のデータ（Debian のパッケージ proj-data）を入れて下さい。");

    std::string problem;
    auto crs = [&](int code, const char* role) -> PjHandle {
        state->log.clear();
        const std::string id = "EPSG:" + std::to_string(code);
        PjHandle pj(proj_create(state->context, id.c_str()));
        if (pj && !proj_is_crs(pj.get()))
            pj.reset();
        if (!pj)
            problem = std::string(role) + " " + id + " は PROJ の座標系データベースにありません" +
                      withLog(state->log) + "。";
        return pj;
    };
    PjHandle planeCrs = crs(planeCode, "平面直角座標系");
    if (!planeCrs)
        return R::failure(problem);
    PjHandle geoCrs = crs(geographicCode, "緯度経度の座標系");
    if (!geoCrs)
        return R::failure(problem);

    const char* areaName = nullptr;
    double w = 0, s = 0, e = 0, n = 0;
    if (proj_get_area_of_use(state->context, planeCrs.get(), &w, &s, &e, &n, &areaName) &&
        w > -1000) {
        state->west = w;
        state->south = s;
        state->east = e;
        state->north = n;
    }
    state->log.clear();
    state->operation = proj_create_crs_to_crs_from_pj(state->context, planeCrs.get(), geoCrs.get(),
                                                      nullptr, nullptr);
    if (!state->operation)
        return R::failure("EPSG:" + std::to_string(planeCode) +
                          " から EPSG:" + std::to_string(geographicCode) +
                          " への変換を PROJ で作れません" + withLog(state->log) + "。");
    return PlaneToGeographic(std::move(state));
}

Result<GeoPoint> PlaneToGeographic::toGeographic(PlanePoint point) {
    State& s = *state_;
    s.log.clear();
    proj_errno_reset(s.operation);
    // Both systems keep their authority's axis order: the plane systems northing first,
    // the geographic ones latitude first.
    PJ_COORD out = proj_trans(s.operation, PJ_FWD, proj_coord(point.north, point.east, 0, 0));
    const int err = proj_errno(s.operation);
    if (err != 0 || !std::isfinite(out.v[0]) || !std::isfinite(out.v[1])) {
        std::string why = s.log.empty() && err != 0
                              ? std::string(proj_context_errno_string(s.context, err))
                              : s.log;
        return Result<GeoPoint>::failure("平面直角座標（北 " + converter::formatReal(point.north) +
                                         " m、東 " + converter::formatReal(point.east) +
                                         " m、EPSG:" + std::to_string(s.planeCode) +
                                         "）を緯度経度に変換できません" + withLog(why) + "。");
    }
    return GeoPoint{out.v[0], out.v[1]};
}

bool PlaneToGeographic::nearArea(GeoPoint point) const {
    const State& s = *state_;
    return point.latitude >= s.south - kAreaMargin && point.latitude <= s.north + kAreaMargin &&
           point.longitude >= s.west - kAreaMargin && point.longitude <= s.east + kAreaMargin;
}

std::string PlaneToGeographic::areaText() const {
    const State& s = *state_;
    return "北緯 " + converter::formatFixed(s.south, 2) + "〜" +
           converter::formatFixed(s.north, 2) + "°、東経 " + converter::formatFixed(s.west, 2) +
           "〜" + converter::formatFixed(s.east, 2) + "°";
}

int PlaneToGeographic::planeCode() const {
    return state_->planeCode;
}

int PlaneToGeographic::geographicCode() const {
    return state_->geographicCode;
}

}  // namespace georef
