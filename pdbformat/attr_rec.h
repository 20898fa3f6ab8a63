#pragma once
// The editor's 636-byte attribute record (AttrRec): identification and geometry fields,
// then the values of the design's selection lists, integer, real and string texts.
#include <array>
#include <cstddef>
#include <cstdint>

namespace pdb {

constexpr std::size_t kAttrRecSize = 636;
constexpr std::size_t kCmbValues = 50;
constexpr std::size_t kIntValues = 30;
constexpr std::size_t kRealValues = 30;
constexpr std::size_t kStrValues = 10;
constexpr std::size_t kStrValueSize = 32;

struct AttrRec {
    std::int32_t ID = 0;
    std::int8_t StatusCode = 0;
    std::int8_t SymbolCode = 0;
    std::int16_t UserData = 0;
    std::int16_t TopLeftX = 0;
    std::int16_t TopLeftY = 0;
    std::int16_t ExtentX = 0;
    std::int16_t ExtentY = 0;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::array<std::uint8_t, kCmbValues> Cmb{};
    std::array<std::uint8_t, 2> unused{};
    std::array<std::int32_t, kIntValues> Int{};
    std::array<float, kRealValues> Real{};
    std::array<std::array<char, kStrValueSize>, kStrValues> Str{};  // NUL-terminated Shift-JIS
};

// Bit-exact comparison (Real values compared by their bits).
bool sameBytes(const AttrRec& a, const AttrRec& b);

// File bytes ↔ host record; every number is big-endian in the file.
void SwapAttrRec(const std::uint8_t* file, AttrRec& host);
void SwapAttrRec(const AttrRec& host, std::uint8_t* file);

}  // namespace pdb
