#pragma once
// The map frame and coordinate transform of both map conversions: plane coordinates of a
// sheet (north, east, measured from its minimum corner) to the signed 16-bit device space
// of the graphic database, where x grows east, y grows south, the sheet's centre is (0, 0)
// and its longer side spans -32000 to 32000. Also the range check with its overflow texts,
// element and label boxes, the roundings of stored values, the real-number text of
// messages and the frame values of the settings forms.
//
// The two conversions differ in units only. A Digital Map 2500 sheet gives its extent and
// its points in the same unit, and its frame header carries the corners × 1000. A DM file
// gives its extent in metres and its points in the unit its "M " record names, which the
// unit factor f turns into millimetres (the unit of Re and Rn); its frame header carries
// the corners as they are.
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "pdbformat/graphic_stream.h"

namespace converter {

constexpr double kDeviceLimit = 32767;

// The transform of one sheet, from the four values of its extent.
struct SheetTransform {
    double Re = 1;  // east range × 1000
    double Rn = 1;  // north range × 1000
    double sx = 1;  // aspect factors: the longer side gets 1
    double sy = 1;
    double f = 1000;         // a point's unit → the unit of Re and Rn
    double originEast = 0;   // minimum east × originScale
    double originNorth = 0;  // maximum north × originScale
};

// D1 to D4: minimum north, minimum east, maximum north, maximum east. Nothing when a range
// is not positive (or a value is not finite): the transform divides by both ranges.
// f and originScale are 1000 for a Digital Map 2500 sheet; a DM file passes its unit
// factor and 1.
std::optional<SheetTransform> ReadExtent(double d1, double d2, double d3, double d4,
                                         double f = 1000, double originScale = 1000);

struct DevicePoint {
    double x = 0;
    double y = 0;
};

// Device coordinates of a point, in double precision and in this order of operations:
// x = ((f × east ÷ Re) × 64000 − 32000) × sx, y = ((f × north ÷ Rn) × 64000 − 32000) × sy × (−1).
inline DevicePoint ToDevice(const SheetTransform& t, double north, double east) {
    return {((t.f * east / t.Re) * 64000 - 32000) * t.sx,
            ((t.f * north / t.Rn) * 64000 - 32000) * t.sy * (-1)};
}

// A point of a sheet: north and east from its minimum corner, in the unit of its points.
struct SheetPoint {
    double north = 0;
    double east = 0;
};

// The inverse of ToDevice: the point of the sheet that maps to device (x, y).
inline SheetPoint FromDevice(const SheetTransform& t, double x, double y) {
    return {(-y / t.sy + 32000) / 64000 * t.Rn / t.f, (x / t.sx + 32000) / 64000 * t.Re / t.f};
}

// Rounds to the nearest integer, halves to even, and keeps the low 16 bits.
inline std::int16_t roundTo16(double v) {
    if (!std::isfinite(v) || std::fabs(v) > 1e15)
        return 0;
    auto r = static_cast<long long>(std::nearbyint(v));
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(r & 0xFFFF));
}

// Range check of one transformed point: x first, then y, each within -32767 to 32767. An
// accepted point carries its stored values (rounded, halves to even); a rejected one the
// overflow text ("x オーバーフロー： X=…" or "y オーバーフロー：Y=…", followed by
// " ID=…" for y when a record ID is given).
struct DeviceCheck {
    bool accepted = false;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::string message;  // UTF-8
};
std::string overflowMessage(double x, double y, std::optional<long long> recordId);
inline DeviceCheck CheckDevice(double x, double y,
                               std::optional<long long> recordId = std::nullopt) {
    DeviceCheck c;
    if (!(x >= -kDeviceLimit && x <= kDeviceLimit) || !(y >= -kDeviceLimit && y <= kDeviceLimit)) {
        c.message = overflowMessage(x, y, recordId);
        return c;
    }
    c.accepted = true;
    c.x = roundTo16(x);
    c.y = roundTo16(y);
    return c;
}

// Bounding box of the points of one element, from the unrounded device coordinates.
class BoxOf {
  public:
    void add(double x, double y) {
        minX_ = x < minX_ ? x : minX_;
        maxX_ = x > maxX_ ? x : maxX_;
        minY_ = y < minY_ ? y : minY_;
        maxY_ = y > maxY_ ? y : maxY_;
        ++count_;
    }
    void add(const DevicePoint& p) { add(p.x, p.y); }
    bool empty() const { return count_ == 0; }
    // Width and height both zero (one point, or all points alike; also no point at all).
    bool degenerate() const;
    // left and top rounded; width and height the absolute differences, 65536 subtracted
    // above 32767, rounded; each stored as its 16-bit pattern. All zero without a point.
    pdb::Box box() const;

  private:
    double minX_ = 2000000000;
    double minY_ = 2000000000;
    double maxX_ = -2000000000;
    double maxY_ = -2000000000;
    std::size_t count_ = 0;
};

// Box of a place name around its transformed anchor: (x − 200, y − 200, 400, 400).
pdb::Box LabelBox(double x, double y);
// True when the whole label box lies inside the device range.
bool LabelBoxFits(double x, double y);

// Rounds (halves to even) a value that must fit in 32 bits; nothing when it does not.
std::optional<std::int32_t> roundTo32(double v);

// The twelve frame values of the settings form as stored: each rounded (halves to even).
// A value outside -32768 to 32767 (or not a number) gives nothing and *badIndex is set to
// its 0-based position.
std::optional<std::array<std::int16_t, 12>> FrameValues(const std::array<double, 12>& numbers,
                                                        std::size_t* badIndex);
// Names of the settings form's twelve boxes, in order (tLatDeg … bLonSec); index 0 to 11.
const char* frameValueName(std::size_t index);

// A real with a fixed number of decimals: 35.6812345.
std::string formatFixed(double v, int decimals);

// A real as decimal text: up to 15 significant digits, "." as the decimal point, no
// exponent (32800.5, -31.25, 12000, 0.0000125), and 0 rather than -0.
std::string formatReal(double v);

}  // namespace converter
