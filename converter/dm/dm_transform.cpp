#include "converter/dm/dm_transform.h"

#include <cmath>
#include <cstdio>

namespace dm {

std::optional<double> unitFactor(int unitCode) {
    switch (unitCode) {
        case 1:
            return 1.0;
        case 10:
            return 10.0;
        case 999:
            return 1000.0;
        default:
            return std::nullopt;
    }
}

SheetTransform makeTransform(double nmin, double emin, double nmax, double emax, double f) {
    SheetTransform t;
    t.f = f;
    t.re = (emax - emin) * 1000;
    t.rn = (nmax - nmin) * 1000;
    if (t.re > t.rn) {
        t.sx = 1;
        t.sy = t.rn / t.re;
    } else {
        t.sx = t.re / t.rn;
        t.sy = 1;
    }
    return t;
}

std::uint8_t styleCodeOf(int classCode) {
    if (classCode >= 3001 && classCode <= 3004)
        return 32;
    if ((classCode >= 2301 && classCode <= 2306) || classCode == 2309 ||
        (classCode >= 2311 && classCode <= 2315))
        return 80;
    if (classCode >= 5101 && classCode <= 5106)
        return 112;
    return 0;
}

std::string decimalText(double v) {
    char buf[64];
    // %.15g switches to an exponent only for magnitudes of 1e15 and more or below 1e-4.
    std::snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

std::int16_t roundToInt16(double v) {
    return static_cast<std::int16_t>(std::nearbyint(v));
}

namespace {

// A width or height: rounded, then above 32767 carried as its 16-bit pattern.
std::int16_t extentField(double extent) {
    double r = std::nearbyint(std::fabs(extent));
    if (r > 32767)
        r -= 65536;
    return static_cast<std::int16_t>(r);
}

}  // namespace

std::int16_t BoxBuilder::left() const {
    return any_ ? roundToInt16(minX_) : std::int16_t{0};
}
std::int16_t BoxBuilder::top() const {
    return any_ ? roundToInt16(minY_) : std::int16_t{0};
}
std::int16_t BoxBuilder::width() const {
    return any_ ? extentField(maxX_ - minX_) : std::int16_t{0};
}
std::int16_t BoxBuilder::height() const {
    return any_ ? extentField(maxY_ - minY_) : std::int16_t{0};
}

}  // namespace dm
