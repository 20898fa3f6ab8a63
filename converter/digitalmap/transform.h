#pragma once
// The map frame and coordinate transform of a Digital Map 2500 sheet: plane coordinates
// (north, east, measured from the sheet's minimum corner) to the signed 16-bit device
// space of the graphic database, where x grows east, y grows south, the sheet's centre is
// (0, 0) and its longer side spans -32000 to 32000.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "pdbformat/graphic_stream.h"

namespace digitalmap {

constexpr double kDeviceLimit = 32767;

// The extent of one data file, from the four reals D1 to D4 of its header
// (minimum north, minimum east, maximum north, maximum east).
struct Extent {
    double Re = 1;  // east range × 1000
    double Rn = 1;  // north range × 1000
    double sx = 1;  // aspect factors: the longer side gets 1
    double sy = 1;
    double originEast = 0;   // D2 × 1000
    double originNorth = 0;  // D3 × 1000
};

// Nothing when a range is not positive (or a value is not finite): the transform divides
// by both ranges.
std::optional<Extent> ReadExtent(double d1, double d2, double d3, double d4);

struct DevicePoint {
    double x = 0;
    double y = 0;
};

// Device coordinates of a point, in double precision and in this order of operations.
DevicePoint ToDevice(const Extent& extent, double north, double east);

// Range check of one transformed point. An accepted point carries its stored values
// (rounded, halves to even); a rejected one the overflow message
// ("x オーバーフロー： X=…" or "y オーバーフロー：Y=… ID=…").
struct DeviceCheck {
    bool accepted = false;
    std::int16_t x = 0;
    std::int16_t y = 0;
    std::string message;  // UTF-8
};
DeviceCheck CheckDevice(double x, double y, long long recordId);

// Bounding box of the points of one element, from the unrounded device coordinates.
class BoxOf {
  public:
    void add(double x, double y);
    void add(const DevicePoint& p) { add(p.x, p.y); }
    bool empty() const { return count_ == 0; }
    // Width and height both zero (one point, or all points alike; also no point at all).
    bool degenerate() const;
    // left and top rounded; width and height the absolute differences, 65536 subtracted
    // above 32767, rounded; each stored as its 16-bit pattern.
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

// Rounds to the nearest integer, halves to even, and keeps the low 16 bits.
std::int16_t roundTo16(double v);
// Rounds (halves to even) a value that must fit in 32 bits; nothing when it does not.
std::optional<std::int32_t> roundTo32(double v);

// The twelve frame values of the settings form as stored: each rounded (halves to even).
// A value outside -32768 to 32767 (or not a number) gives nothing and *badIndex is set to
// its 0-based position.
std::optional<std::array<std::int16_t, 12>> FrameValues(const std::array<double, 12>& numbers,
                                                        std::size_t* badIndex);
// Names of the settings form's twelve boxes, in order (tLatDeg … bLonSec).
const char* frameValueName(std::size_t index);

// A real as decimal text: up to 15 significant digits, "." as the decimal point, no
// exponent for ordinary values (32800.5, -31.25, 12000), and 0 rather than -0.
std::string formatReal(double v);

}  // namespace digitalmap
