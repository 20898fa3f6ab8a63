#pragma once
// A change to the working design as plain data: the object slots, page titles and
// modal-dialog flags it touched, each as it was before and as it is after. The editor's
// undo history holds these; apply() does the change again and revert() takes it back.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "editor/model/kinds.h"

namespace editor {

struct DesignChange {
    struct SlotChange {
        std::size_t index = 0;
        ObjectSlot before, after;
    };
    struct PageChange {
        std::size_t index = 0;
        std::array<char, 32> titleBefore{}, titleAfter{};
        std::uint8_t modalBefore = 0, modalAfter = 0;
    };
    std::vector<SlotChange> slotChanges;
    std::vector<PageChange> pageChanges;

    bool empty() const { return slotChanges.empty() && pageChanges.empty(); }
    void apply(DispRec& design) const;
    void revert(DispRec& design) const;
    // This change followed by a later one, as one change; parts the later one puts back
    // as they were drop out.
    void append(const DesignChange& later);
};

// What differs between two states of a design, in its slots, titles and modal flags
// (the identification code and the counts are not edited: a read replaces them whole).
DesignChange changeBetween(const DispRec& before, const DispRec& after);

}  // namespace editor
