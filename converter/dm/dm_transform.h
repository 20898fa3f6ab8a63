#pragma once
// The DM coordinate transform and the per-class drawing values of DM elements.
//
// A DM point is an offset from the sheet's minimum corner in the unit its "M " record
// names (millimetres, centimetres or metres), while the sheet corners are in metres. The
// unit factor f turns the offset into millimetres, the unit of Re and Rn.
#include <cstdint>
#include <optional>
#include <string>

namespace dm {

// Unit code of the "M " record → f: 1 (millimetres) → 1, 10 (centimetres) → 10,
// 999 (metres) → 1000; any other code has none.
std::optional<double> unitFactor(int unitCode);

struct SheetTransform {
    double f = 1;
    double re = 0;  // (Emax − Emin) × 1000
    double rn = 0;  // (Nmax − Nmin) × 1000
    double sx = 1;
    double sy = 1;

    // Device coordinates of a point, in double precision and in this order of operations.
    double x(double east) const { return ((f * east / re) * 64000 - 32000) * sx; }
    double y(double north) const { return ((f * north / rn) * 64000 - 32000) * sy * (-1); }
};

// Re, Rn and the aspect factors of a sheet; the longer side spans the full device range.
// Requires Emax > Emin and Nmax > Nmin (the caller checks).
SheetTransform makeTransform(double nmin, double emin, double nmax, double emax, double f);

// Drawing style of a line or area element by its class code.
std::uint8_t styleCodeOf(int classCode);
// Class codes of building outlines, the elements that become areas when closed.
inline bool isAreaClass(int classCode) {
    return classCode >= 3001 && classCode <= 3004;
}

constexpr double kDeviceLimit = 32767;
inline bool inDeviceRange(double v) {
    return v >= -kDeviceLimit && v <= kDeviceLimit;
}

// A real as decimal text with up to 15 significant digits and no exponent for ordinary
// values (32800.5, -31.25, 12000).
std::string decimalText(double v);

// Rounds to the nearest integer, halves to even, for a value known to fit in 16 bits.
std::int16_t roundToInt16(double v);

// Bounding box of the points of one element, from the unrounded device coordinates.
class BoxBuilder {
  public:
    void add(double x, double y) {
        if (x < minX_)
            minX_ = x;
        if (x > maxX_)
            maxX_ = x;
        if (y < minY_)
            minY_ = y;
        if (y > maxY_)
            maxY_ = y;
        any_ = true;
    }
    bool empty() const { return !any_; }
    // Left, top, width and height as stored: rounded, halves to even; a width or height
    // above 32767 is carried as its 16-bit pattern. All zero when no point was added.
    std::int16_t left() const;
    std::int16_t top() const;
    std::int16_t width() const;
    std::int16_t height() const;
    bool degenerate() const { return any_ && maxX_ - minX_ == 0 && maxY_ - minY_ == 0; }

  private:
    double minX_ = 2000000000.0;
    double minY_ = 2000000000.0;
    double maxX_ = -2000000000.0;
    double maxY_ = -2000000000.0;
    bool any_ = false;
};

}  // namespace dm
