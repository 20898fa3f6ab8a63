#include "editor/model/design_change.h"

#include <algorithm>

namespace editor {

void DesignChange::apply(DispRec& design) const {
    for (const SlotChange& c : slotChanges) design.slots[c.index] = c.after;
    for (const PageChange& c : pageChanges) {
        design.titles[c.index] = c.titleAfter;
        design.modalFlags[c.index] = c.modalAfter;
    }
}

void DesignChange::revert(DispRec& design) const {
    for (const SlotChange& c : slotChanges) design.slots[c.index] = c.before;
    for (const PageChange& c : pageChanges) {
        design.titles[c.index] = c.titleBefore;
        design.modalFlags[c.index] = c.modalBefore;
    }
}

void DesignChange::append(const DesignChange& later) {
    for (const SlotChange& c : later.slotChanges) {
        auto it = std::find_if(slotChanges.begin(), slotChanges.end(),
                               [&](const SlotChange& s) { return s.index == c.index; });
        if (it == slotChanges.end())
            slotChanges.push_back(c);
        else
            it->after = c.after;
    }
    for (const PageChange& c : later.pageChanges) {
        auto it = std::find_if(pageChanges.begin(), pageChanges.end(),
                               [&](const PageChange& p) { return p.index == c.index; });
        if (it == pageChanges.end()) {
            pageChanges.push_back(c);
        } else {
            it->titleAfter = c.titleAfter;
            it->modalAfter = c.modalAfter;
        }
    }
    std::erase_if(slotChanges, [](const SlotChange& c) { return c.before == c.after; });
    std::erase_if(pageChanges, [](const PageChange& c) {
        return c.titleBefore == c.titleAfter && c.modalBefore == c.modalAfter;
    });
}

DesignChange changeBetween(const DispRec& before, const DispRec& after) {
    DesignChange change;
    for (std::size_t s = 0; s < kSlotCount; ++s)
        if (!(before.slots[s] == after.slots[s]))
            change.slotChanges.push_back({s, before.slots[s], after.slots[s]});
    for (std::size_t p = 0; p < kPageCount; ++p)
        if (before.titles[p] != after.titles[p] || before.modalFlags[p] != after.modalFlags[p])
            change.pageChanges.push_back(
                {p, before.titles[p], after.titles[p], before.modalFlags[p], after.modalFlags[p]});
    return change;
}

}  // namespace editor
