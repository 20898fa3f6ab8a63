#include "converter/core/transform.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace converter {

std::optional<SheetTransform> ReadExtent(double d1, double d2, double d3, double d4, double f,
                                         double originScale) {
    for (double d : {d1, d2, d3, d4})
        if (!std::isfinite(d))
            return std::nullopt;
    SheetTransform e;
    e.f = f;
    e.Re = (d4 - d2) * 1000;
    e.Rn = (d3 - d1) * 1000;
    if (!(e.Re > 0) || !(e.Rn > 0) || !std::isfinite(e.Re) || !std::isfinite(e.Rn))
        return std::nullopt;
    if (e.Re > e.Rn) {
        e.sx = 1;
        e.sy = e.Rn / e.Re;
    } else {
        e.sx = e.Re / e.Rn;
        e.sy = 1;
    }
    e.originEast = d2 * originScale;
    e.originNorth = d3 * originScale;
    return e;
}

namespace {

bool outside(double v) {
    return !(v >= -kDeviceLimit && v <= kDeviceLimit);
}

}  // namespace

std::string overflowMessage(double x, double y, std::optional<long long> recordId) {
    if (outside(x))
        return "x オーバーフロー： X=" + formatReal(x);
    std::string message = "y オーバーフロー：Y=" + formatReal(y);
    if (recordId)
        message += " ID=" + std::to_string(*recordId);
    return message;
}

bool BoxOf::degenerate() const {
    return count_ == 0 || (minX_ == maxX_ && minY_ == maxY_);
}

pdb::Box BoxOf::box() const {
    if (count_ == 0)
        return {};
    double width = std::fabs(minX_ - maxX_);
    double height = std::fabs(maxY_ - minY_);
    if (width > 32767)
        width -= 65536;
    if (height > 32767)
        height -= 65536;
    return {roundTo16(minX_), roundTo16(minY_), roundTo16(width), roundTo16(height)};
}

pdb::Box LabelBox(double x, double y) {
    return {roundTo16(x - 200), roundTo16(y - 200), 400, 400};
}

bool LabelBoxFits(double x, double y) {
    return !outside(x - 200) && !outside(y - 200) && !outside(x + 200) && !outside(y + 200);
}

std::optional<std::int32_t> roundTo32(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    double r = std::nearbyint(v);
    if (r < std::numeric_limits<std::int32_t>::min() ||
        r > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(r);
}

std::optional<std::array<std::int16_t, 12>> FrameValues(const std::array<double, 12>& numbers,
                                                        std::size_t* badIndex) {
    std::array<std::int16_t, 12> values{};
    for (std::size_t i = 0; i < 12; ++i) {
        double r = std::nearbyint(numbers[i]);
        if (!std::isfinite(r) || r < -32768 || r > 32767) {
            if (badIndex)
                *badIndex = i;
            return std::nullopt;
        }
        values[i] = static_cast<std::int16_t>(r);
    }
    return values;
}

const char* frameValueName(std::size_t index) {
    static constexpr std::array<const char*, 12> names = {
        "tLatDeg", "tLatMin", "tLatSec", "tLonDeg", "tLonMin", "tLonSec",
        "bLatDeg", "bLatMin", "bLatSec", "bLonDeg", "bLonMin", "bLonSec"};
    return names[index];
}

std::string formatFixed(double v, int decimals) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string formatReal(double v) {
    if (v == 0 || !std::isfinite(v))
        return v == 0 ? "0" : (std::isnan(v) ? "NaN" : (v > 0 ? "Infinity" : "-Infinity"));
    char buf[512];
    double magnitude = std::fabs(v);
    if (magnitude >= 1e-4 && magnitude < 1e15) {
        std::snprintf(buf, sizeof buf, "%.15g", v);
        return buf;
    }
    if (magnitude >= 1e15) {
        std::snprintf(buf, sizeof buf, "%.0f", v);
        return buf;
    }
    // Small values in fixed notation: 15 significant digits, trailing zeros dropped.
    int decimals = 14 - static_cast<int>(std::floor(std::log10(magnitude)));
    if (decimals > 330)
        decimals = 330;
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string text = buf;
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    if (text == "-0" || text == "0" || text.empty())
        return "0";
    return text;
}

}  // namespace converter
