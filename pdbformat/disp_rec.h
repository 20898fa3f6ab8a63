#pragma once
// The screen-design record (DispRec): one set of data-entry screens of the handheld,
// up to 8 pages and 232 object slots. Held in host order; converted field by field
// to and from the 41138 big-endian bytes of a database record.
//
// The record's count table c0..c9 numbers the ten kinds of object (ObjectKind); which
// slots a kind occupies, how many of them a record may count and how many slots the
// byte-order conversion covers all follow from it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace pdb {

constexpr std::size_t kDispRecSize = 41138;
constexpr std::size_t kObjectSlotSize = 176;
constexpr std::size_t kSlotCount = 232;
constexpr std::size_t kPageCount = 8;
constexpr std::size_t kKindCount = 10;
constexpr std::uint8_t kNotPlaced = 255;

struct ObjectSlot {
    std::uint8_t pageNumber = 0;       // 0..7, 255 = not placed
    std::array<char, 33> labelText{};  // Shift-JIS, NUL-terminated
    std::uint16_t labelX = 0;
    std::uint16_t labelY = 0;
    std::int16_t objectX = 0;  // offset of the object from the label (the label width)
    std::int16_t objectY = 0;
    std::uint16_t objectWidth = 0;
    std::uint16_t objectHeight = 0;
    std::array<char, 128> items{};  // selection items separated by CR LF
    std::uint8_t itemCount = 0;     // number of displayed items
    std::uint8_t inputRestriction = 0;
    friend bool operator==(const ObjectSlot&, const ObjectSlot&) = default;
};

struct DispRec {
    std::array<char, 32> code{};                    // identification code
    std::array<std::uint8_t, kKindCount> counts{};  // c0..c9
    std::array<std::array<char, 32>, kPageCount> titles{};
    std::array<std::uint8_t, kPageCount> modalFlags{};
    std::array<ObjectSlot, kSlotCount> slots{};
    friend bool operator==(const DispRec&, const DispRec&) = default;
};

// The ten kinds of object, numbered in the order of the count table.
enum class ObjectKind : std::uint8_t {
    Cmb = 0,
    Int = 1,
    Real = 2,
    Str = 3,
    Btn = 4,
    Label = 5,
    IdNumber = 6,
    SearchButton = 7,
    UpdateButton = 8,
    CloseButton = 9,
};

constexpr std::array<ObjectKind, kKindCount> kAllKinds = {
    ObjectKind::Cmb,        ObjectKind::Int,          ObjectKind::Real,
    ObjectKind::Str,        ObjectKind::Btn,          ObjectKind::Label,
    ObjectKind::IdNumber,   ObjectKind::SearchButton, ObjectKind::UpdateButton,
    ObjectKind::CloseButton};

// Largest count each kind's count byte may hold (c4 is the number of pages).
constexpr std::array<std::uint8_t, kKindCount> kCapacities = {50, 30, 30, 10, 8, 30, 1, 1, 1, 1};

// Slot index of an object: IdNumber 0, SearchButton 1, Cmb 2 + n, Int 52 + n, Real 82 + n,
// Str 112 + n, Btn 122 + 8 × page + n, Label 186 + n, UpdateButton 216 + page, CloseButton
// 224 + page. Kinds other than Btn, UpdateButton and CloseButton ignore the page;
// UpdateButton and CloseButton ignore the number.
std::size_t slotIndex(ObjectKind kind, int number, int page);

// The kind of slot s under the given count table (slots packed in the order IdNumber,
// SearchButton, Cmb, Int, Real, Str, Btn, Label, UpdateButton, CloseButton), or nothing
// when s lies past the counted slots.
std::optional<ObjectKind> kindOfSlot(const std::array<std::uint8_t, kKindCount>& counts,
                                     std::size_t slot);

// First count byte above its capacity, if any.
std::optional<std::size_t> countOverCapacity(const std::array<std::uint8_t, kKindCount>& counts);
// Name of the count byte in messages and reports ("オブジェクト数(選択リスト)").
std::string countFieldName(std::size_t countIndex);

// Number of slots the byte-order conversion covers:
// c4 × (c4 + c8 + c9) + c0 + c1 + c2 + c3 + c5 + c6 + c7, at most 232.
std::size_t convertedSlotCount(const std::array<std::uint8_t, kKindCount>& counts);

// File bytes → host record, and host record → file bytes. The six 16-bit geometry
// fields of the first convertedSlotCount() slots are big-endian in the file; the slots
// after them are carried as they stand (little-endian), as the handheld's tools keep them.
void SwapDispRec(const std::uint8_t* file, DispRec& host);
void SwapDispRec(const DispRec& host, std::uint8_t* file);

}  // namespace pdb
