#pragma once
// What the editor gives each kind of object beyond the record layout: weights, per-page
// limits, display names and the defaults of a fresh editor. The editor works on the
// format's design record under the names below.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "pdbformat/disp_rec.h"
#include "pdbformat/text_field.h"

namespace editor {

using pdb::convertedSlotCount;
using pdb::countFieldName;
using pdb::countOverCapacity;
using pdb::DispRec;
using pdb::fieldText;
using pdb::kAllKinds;
using pdb::kCapacities;
using pdb::kDispRecSize;
using pdb::kindOfSlot;
using pdb::kKindCount;
using pdb::kNotPlaced;
using pdb::kObjectSlotSize;
using pdb::kPageCount;
using pdb::kSlotCount;
using pdb::ObjectKind;
using pdb::ObjectSlot;
using pdb::setFieldText;
using pdb::slotIndex;
using pdb::SwapDispRec;

// Counts that fill all 232 slots: 50, 30, 30, 10, 8, 30, 1, 1, 1, 1.
constexpr std::array<std::uint8_t, kKindCount> kStandardCounts = kCapacities;

// Weight of a placed object in the page's part count.
int weightOf(ObjectKind kind);

constexpr int kPagePartLimit = 99;
// Per-page limit of a kind, or nothing where the kind has none.
std::optional<int> pageLimitOf(ObjectKind kind);

// UTF-8 names: the type-selector and check-report texts ("選択リスト", ...).
const char* kindDisplayName(ObjectKind kind);
// Short name used in default label texts ("Cmb", "Int", ...).
const char* kindShortName(ObjectKind kind);

// The defaults of one object as a fresh editor sets them (not placed, 5 displayed items).
// For Btn, number is the target page and page the page the button sits on.
ObjectSlot defaultSlot(ObjectKind kind, int number, int page);

// The working design of a fresh editor: standard counts, every object at its defaults,
// empty titles, modal-dialog flags 0, no identification code.
DispRec freshWorkingDesign();

}  // namespace editor
