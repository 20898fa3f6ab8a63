#pragma once
// The ten kinds of object of a screen design: their slots, capacities, weights,
// per-page limits and the defaults a fresh editor gives them.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "editor/model/disprec.h"

namespace editor {

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

// Counts that fill all 232 slots: 50, 30, 30, 10, 8, 30, 1, 1, 1, 1.
constexpr std::array<std::uint8_t, kKindCount> kStandardCounts = {50, 30, 30, 10, 8,
                                                                  30, 1,  1,  1,  1};
// Largest count each kind's count byte may hold (c4 is the number of pages).
constexpr std::array<std::uint8_t, kKindCount> kCapacities = {50, 30, 30, 10, 8, 30, 1, 1, 1, 1};

// Weight of a placed object in the page's part count.
int weightOf(ObjectKind kind);

constexpr int kPagePartLimit = 99;
// Per-page limit of a kind, or nothing where the kind has none.
std::optional<int> pageLimitOf(ObjectKind kind);

// UTF-8 names: the type-selector and check-report texts ("選択リスト", ...).
const char* kindDisplayName(ObjectKind kind);
// Short name used in default label texts ("Cmb", "Int", ...).
const char* kindShortName(ObjectKind kind);
// Name of the count byte in messages and reports ("オブジェクト数(選択リスト)").
std::string countFieldName(std::size_t countIndex);

// Slot index of an object. Kinds other than Btn, UpdateButton and CloseButton ignore
// the page; UpdateButton and CloseButton ignore the number.
std::size_t slotIndex(ObjectKind kind, int number, int page);

// The kind of slot s under the given count table (slots packed in the order IdNumber,
// SearchButton, Cmb, Int, Real, Str, Btn, Label, UpdateButton, CloseButton), or nothing
// when s lies past the counted slots.
std::optional<ObjectKind> kindOfSlot(const std::array<std::uint8_t, kKindCount>& counts,
                                     std::size_t slot);

// First count byte above its capacity, if any.
std::optional<std::size_t> countOverCapacity(const std::array<std::uint8_t, kKindCount>& counts);

// The defaults of one object as a fresh editor sets them (not placed, 5 displayed items).
// For Btn, number is the target page and page the page the button sits on.
ObjectSlot defaultSlot(ObjectKind kind, int number, int page);

// The working design of a fresh editor: standard counts, every object at its defaults,
// empty titles, modal-dialog flags 0, no identification code.
DispRec freshWorkingDesign();

}  // namespace editor
