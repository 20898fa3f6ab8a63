#include "pdbformat/attr_rec.h"

#include <bit>
#include <cstring>

#include "platform/endian.h"

namespace pdb {

using platform::getBE16;
using platform::getBE32;
using platform::putBE16;
using platform::putBE32;

void SwapAttrRec(const std::uint8_t* f, AttrRec& r) {
    r.ID = static_cast<std::int32_t>(getBE32(f));
    r.StatusCode = static_cast<std::int8_t>(f[4]);
    r.SymbolCode = static_cast<std::int8_t>(f[5]);
    r.UserData = static_cast<std::int16_t>(getBE16(f + 6));
    r.TopLeftX = static_cast<std::int16_t>(getBE16(f + 8));
    r.TopLeftY = static_cast<std::int16_t>(getBE16(f + 10));
    r.ExtentX = static_cast<std::int16_t>(getBE16(f + 12));
    r.ExtentY = static_cast<std::int16_t>(getBE16(f + 14));
    r.X = static_cast<std::int32_t>(getBE32(f + 16));
    r.Y = static_cast<std::int32_t>(getBE32(f + 20));
    std::memcpy(r.Cmb.data(), f + 24, kCmbValues);
    std::memcpy(r.unused.data(), f + 74, 2);
    for (std::size_t k = 0; k < kIntValues; ++k)
        r.Int[k] = static_cast<std::int32_t>(getBE32(f + 76 + 4 * k));
    for (std::size_t k = 0; k < kRealValues; ++k)
        r.Real[k] = std::bit_cast<float>(getBE32(f + 196 + 4 * k));
    for (std::size_t k = 0; k < kStrValues; ++k)
        std::memcpy(r.Str[k].data(), f + 316 + kStrValueSize * k, kStrValueSize);
}

void SwapAttrRec(const AttrRec& r, std::uint8_t* f) {
    putBE32(f, static_cast<std::uint32_t>(r.ID));
    f[4] = static_cast<std::uint8_t>(r.StatusCode);
    f[5] = static_cast<std::uint8_t>(r.SymbolCode);
    putBE16(f + 6, static_cast<std::uint16_t>(r.UserData));
    putBE16(f + 8, static_cast<std::uint16_t>(r.TopLeftX));
    putBE16(f + 10, static_cast<std::uint16_t>(r.TopLeftY));
    putBE16(f + 12, static_cast<std::uint16_t>(r.ExtentX));
    putBE16(f + 14, static_cast<std::uint16_t>(r.ExtentY));
    putBE32(f + 16, static_cast<std::uint32_t>(r.X));
    putBE32(f + 20, static_cast<std::uint32_t>(r.Y));
    std::memcpy(f + 24, r.Cmb.data(), kCmbValues);
    std::memcpy(f + 74, r.unused.data(), 2);
    for (std::size_t k = 0; k < kIntValues; ++k)
        putBE32(f + 76 + 4 * k, static_cast<std::uint32_t>(r.Int[k]));
    for (std::size_t k = 0; k < kRealValues; ++k)
        putBE32(f + 196 + 4 * k, std::bit_cast<std::uint32_t>(r.Real[k]));
    for (std::size_t k = 0; k < kStrValues; ++k)
        std::memcpy(f + 316 + kStrValueSize * k, r.Str[k].data(), kStrValueSize);
}

bool sameBytes(const AttrRec& a, const AttrRec& b) {
    std::uint8_t x[kAttrRecSize], y[kAttrRecSize];
    SwapAttrRec(a, x);
    SwapAttrRec(b, y);
    return std::memcmp(x, y, kAttrRecSize) == 0;
}

}  // namespace pdb
