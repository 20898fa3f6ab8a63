#pragma once
// Where a map sheet lies on the earth. Sheets give their extent in a Japanese plane
// rectangular coordinate system (zones 1 to 19) of one of three datums; this module turns
// plane coordinates into latitude and longitude with PROJ and computes the map frame that
// the settings forms ask for: degrees, minutes and tenths of seconds of the frame's
// top-left and bottom-right corners.
//
// Nothing here throws. Failures come back as UTF-8 Japanese messages that name the value
// concerned. Every PlaneToGeographic owns a PROJ context of its own, so threads that each
// use their own objects (computeFrame and computeSheetFrame make one per call) can run at
// the same time.
#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/result.h"

namespace georef {

// A value, or the message that says why there is none.
template <class T>
using Result = platform::Result<T>;

// ---- Zones and datums ----

enum class Datum { Tokyo, Jgd2000, Jgd2011 };
inline constexpr std::array<Datum, 3> kDatums = {Datum::Tokyo, Datum::Jgd2000, Datum::Jgd2011};
inline constexpr int kFirstZone = 1;
inline constexpr int kLastZone = 19;

// "tokyo", "jgd2000", "jgd2011": the words of the command line.
std::string_view datumWord(Datum datum);
// "旧日本測地系", "JGD2000", "JGD2011": the names the forms show.
std::string_view datumName(Datum datum);
// A datum from its word or its name (Latin letters in either case, blanks around allowed).
Result<Datum> parseDatum(std::string_view text);
// A zone number 1 to 19 in decimal digits (blanks around allowed).
Result<int> parseZone(std::string_view text);
// "第II系" for zone 2; "第20系" for a number outside 1 to 19.
std::string zoneName(int zone);
// The zone a DM sheet's name gives by the usual sheet naming: its first two characters as a
// number 01 to 19 ("02JF711" gives 2).
std::optional<int> zoneFromSheetName(std::string_view name);
// The same for a DM file's name ("09LD351.dm" gives 9). The folders before it do not count.
std::optional<int> zoneFromDmFileName(std::string_view path);

// EPSG codes: the plane system of a zone (30161–30179 Tokyo, 2443–2461 JGD2000, 6669–6687
// JGD2011) and the datum's geographic system (4301, 4612, 6668).
Result<int> planeEpsg(int zone, Datum datum);
int geographicEpsg(Datum datum);

// ---- Transform ----

// A point of a plane system in metres: north (the system's X) and east (its Y).
struct PlanePoint {
    double north = 0;
    double east = 0;
};
// Latitude and longitude in degrees, north and east positive.
struct GeoPoint {
    double latitude = 0;
    double longitude = 0;
};

// A plane system's transform to the same datum's latitude and longitude.
class PlaneToGeographic {
  public:
    static Result<PlaneToGeographic> create(int zone, Datum datum);
    // Between two EPSG codes: a projected system and a geographic one.
    static Result<PlaneToGeographic> createFromCodes(int planeEpsg, int geographicEpsg);

    PlaneToGeographic(PlaneToGeographic&&) noexcept;
    PlaneToGeographic& operator=(PlaneToGeographic&&) noexcept;
    ~PlaneToGeographic();

    // Fails (naming the point) when PROJ cannot transform it.
    Result<GeoPoint> toGeographic(PlanePoint point);
    // True when a point lies inside, or within kAreaMargin degrees of, the area the plane
    // system is made for (the bounding box of its area of use).
    bool nearArea(GeoPoint point) const;
    // The area as text for messages: "北緯 30.18〜33.99°、東経 129.76〜132.05°".
    std::string areaText() const;
    int planeCode() const;
    int geographicCode() const;

    static constexpr double kAreaMargin = 0.5;

  private:
    struct State;
    explicit PlaneToGeographic(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// ---- Frame ----

// A sheet's extent: minimum north, minimum east, maximum north, maximum east.
struct PlaneExtent {
    double minNorth = 0;
    double minEast = 0;
    double maxNorth = 0;
    double maxEast = 0;
};

// An angle as the forms hold it: degrees, minutes, tenths of seconds (12.3 s is 123).
struct Dms {
    int degrees = 0;
    int minutes = 0;
    int tenths = 0;
    friend bool operator==(const Dms&, const Dms&) = default;
};
// Rounds a non-negative angle to tenths of seconds (halves to even), carrying into
// minutes and degrees when the seconds come to 60.0 and the minutes to 60.
Dms toDms(double degrees);

inline constexpr std::size_t kFrameValueCount = 12;
// The twelve values in the forms' order: top-left latitude degrees, minutes, tenths of
// seconds; top-left longitude; bottom-right latitude; bottom-right longitude.
using FrameValues = std::array<int, kFrameValueCount>;

struct Frame {
    GeoPoint topLeft;      // (maximum north, minimum east)
    GeoPoint bottomRight;  // (minimum north, maximum east)
    FrameValues values{};
};

// The frame of an extent in metres. Fails, naming the value, for a zone outside 1 to 19,
// an empty or reversed extent, a corner PROJ cannot transform, or a corner far outside the
// zone's area.
Result<Frame> computeFrame(const PlaneExtent& metres, int zone, Datum datum);

// ---- Extent units ----

enum class ExtentUnit { Metres, Kilometres };
// "m" or "km".
Result<ExtentUnit> parseExtentUnit(std::string_view text);

// The unit of a Digital Map 2500 sheet's header extent, which its files do not state.
struct UnitChoice {
    ExtentUnit unit = ExtentUnit::Metres;
    bool given = false;   // given by the caller rather than judged from the size
    double longSide = 0;  // the extent's longer side in its own unit
};
// A 1:2500 sheet measures about 2 km × 1.5 km, so a longer side nearer 2 than 2000 (below
// the geometric mean, about 63) is kilometres, otherwise metres. A given unit wins. Fails
// for an empty, reversed or non-finite extent.
Result<UnitChoice> chooseExtentUnit(const PlaneExtent& raw, std::optional<ExtentUnit> given);
PlaneExtent toMetres(const PlaneExtent& raw, ExtentUnit unit);

// ---- One call for a sheet (the forms' "図枠を計算" and the conversions' automatic frame) ----

enum class ExtentSource {
    DmFile,           // the "M " record's extent, in metres
    DigitalMapSheet,  // the header extent of the sheet's files, unit judged from its size
};

struct SheetFrame {
    Frame frame;
    PlaneExtent metres;
    UnitChoice unit;
    // The message that shows the computed frame: zone, datum and EPSG codes, the extent
    // and its unit (and how the unit was decided), the sheet's size, and both corners.
    std::string summary;
};
// unit: the unit given by the user, if any (a DM file's extent is metres otherwise).
Result<SheetFrame> computeSheetFrame(const PlaneExtent& raw, ExtentSource source,
                                     std::optional<ExtentUnit> unit, int zone, Datum datum);

// ---- Checking typed values ----

// The label of a frame box in messages: "図枠左上の北緯（度）", … "図枠右下の東経（1/10秒）".
std::string frameBoxLabel(std::size_t index);

// Compares the twelve values typed into a form (each taken as stored: rounded to an
// integer, halves to even) with the computed ones, corner coordinate by corner coordinate
// in seconds. For each coordinate more than 1 second away, names its most significant box
// that differs: "図枠左上の北緯（分）の値が計算値と 60.0 秒違います。"; the lines are joined
// and end with "このまま作成しますか？". Empty when every coordinate is within 1 second.
std::string frameWarning(const std::array<double, kFrameValueCount>& typed,
                         const FrameValues& computed);

// "33,4,490,131,28,167,…": the twelve values as the command line's --frame takes them.
std::string frameValuesText(const FrameValues& values);

}  // namespace georef
