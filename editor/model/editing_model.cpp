#include "editor/model/editing_model.h"

#include <algorithm>
#include <cstdlib>

#include "editor/model/kinds.h"
#include "platform/cp932.h"

namespace editor {
namespace {

constexpr long long kNumberCeiling = 1000000000LL;
// A label's field holds 32 bytes and its terminator; the editor enters at most 31.
constexpr std::size_t kLabelBytes = 31;

std::size_t kindIndex(ObjectKind kind) {
    return static_cast<std::size_t>(kind);
}

// Kinds whose objects sit on one page each (their slot depends on the page).
bool isPerPage(ObjectKind kind) {
    return kind == ObjectKind::Btn || kind == ObjectKind::UpdateButton ||
           kind == ObjectKind::CloseButton;
}

// Kinds shown with a label control beside their main control.
bool hasLabelControl(ObjectKind kind) {
    return kind == ObjectKind::Cmb || kind == ObjectKind::Int || kind == ObjectKind::Real ||
           kind == ObjectKind::Str || kind == ObjectKind::IdNumber;
}

// Kinds the type selector lists.
bool isSelectable(ObjectKind kind) {
    return kindIndex(kind) <= kindIndex(ObjectKind::Label);
}

// A count byte of the working design, never above its kind's capacity, so loops over it
// stay inside the record.
int countOf(const DispRec& design, ObjectKind kind) {
    std::size_t k = kindIndex(kind);
    return std::min<int>(design.counts[k], kCapacities[k]);
}

// Stores text cut to whole characters of at most maxBytes, below what the field holds.
template <std::size_t N>
void setFieldTextLimited(std::array<char, N>& field, const std::string& text,
                         std::size_t maxBytes) {
    setFieldText(field,
                 std::string_view(text).substr(0, platform::cp932PrefixLength(text, maxBytes)));
}

bool insideOpen(int value, int low, int high) {
    return low < value && value < high;
}

}  // namespace

bool FieldEnables::anyAttribute() const {
    return labelText || pageNumber || labelX || labelY || width || height || labelWidth ||
           direction || offset || items || itemCount || inputRestriction;
}

ObjectBounds boundsOf(const ObjectSlot& slot) {
    int lx = slot.labelX;
    int ly = slot.labelY;
    int ox = slot.objectX;
    int oy = slot.objectY;
    int w = static_cast<std::int16_t>(slot.objectWidth);
    int h = static_cast<std::int16_t>(slot.objectHeight);
    ObjectBounds b;
    b.left = std::min(lx, lx + ox);
    b.top = std::min(ly, ly + oy);
    b.right = std::max(lx + ox, lx + ox + w);
    b.bottom = std::max(ly + kLabelHeight, ly + oy + h);
    b.controlRight = lx + ox + w;
    b.controlBottom = ly + oy + h;
    return b;
}

long long leadingNumber(const std::string& text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(kNumberCeiling, value * 10 + (text[i] - '0'));
    return negative ? -value : value;
}

EditingModel::EditingModel(EditorState& state, platform::Prompter& prompter)
    : state_(state), prompter_(prompter) {
    fillNumberList();
}

void EditingModel::start() {
    ResetEditor(state_);
    partCounts_.fill(0);
    moveDragActive_ = false;
    resizeDragActive_ = false;
    anchorX_ = anchorY_ = 0;
    kind_ = ObjectKind::Cmb;
    page_ = 0;
    fillNumberList();
    relayoutPage();
    resetRecording();
}

void EditingModel::restoreSelection(const Selection& selection) {
    if (isSelectable(selection.kind))
        kind_ = selection.kind;
    fillNumberList();
    selectNumber(selection.number);
    page_ = std::clamp(selection.page, 0, int(kPageCount) - 1);
    countPage();
}

RecordedChange EditingModel::takeChange() {
    RecordedChange recorded{changeBetween(recorded_, state_.working), recordedSelection_,
                            selection()};
    resetRecording();
    return recorded;
}

void EditingModel::resetRecording() {
    recorded_ = state_.working;
    recordedSelection_ = selection();
}

int EditingModel::capacityOf(ObjectKind kind) const {
    // The number list follows the count table of the first design the image holds.
    const auto& counts =
        state_.image.designs.empty() ? state_.working.counts : state_.image.designs[0].counts;
    std::size_t k = kindIndex(kind);
    return std::min<int>(counts[k], kCapacities[k]);
}

void EditingModel::fillNumberList() {
    numberEntries_.clear();
    int c = capacityOf(kind_);
    for (int i = 0; i < c; ++i)
        numberEntries_.push_back(std::to_string(kind_ == ObjectKind::Btn ? i : i + 1));
    number_ = 0;
}

void EditingModel::selectKind(ObjectKind kind) {
    if (!isSelectable(kind))
        return;
    kind_ = kind;
    fillNumberList();
}

void EditingModel::selectNumber(int index) {
    if (index >= 0 && index < int(numberEntries_.size()))
        number_ = index;
}

void EditingModel::selectPage(int page) {
    page_ = std::clamp(page, 0, int(kPageCount) - 1);
    relayoutPage();
}

ObjectSlot& EditingModel::locate(ObjectKind kind, int number, int page) {
    int n = std::clamp(number, 0, std::max(0, int(kCapacities[kindIndex(kind)]) - 1));
    int p = std::clamp(page, 0, int(kPageCount) - 1);
    return state_.working.slots[slotIndex(kind, n, p)];
}

const ObjectSlot& EditingModel::locate(ObjectKind kind, int number, int page) const {
    return const_cast<EditingModel*>(this)->locate(kind, number, page);
}

std::size_t EditingModel::currentSlotIndex() const {
    return static_cast<std::size_t>(&currentSlot() - state_.working.slots.data());
}

bool EditingModel::showChecked() const {
    return currentSlot().pageNumber == page_;
}

FieldEnables EditingModel::enablesFor(const ObjectSlot& slot) const {
    FieldEnables e;  // step 1: everything usable
    auto disableAttributes = [&e] {
        e.labelText = e.pageNumber = e.labelX = e.labelY = e.width = e.height = e.labelWidth =
            e.direction = e.offset = e.items = e.itemCount = e.inputRestriction = false;
    };
    // Step 2: placed on another page.
    if (slot.pageNumber != kNotPlaced && slot.pageNumber != page_) {
        e.show = false;
        disableAttributes();
    }
    // Step 3: objects without a label have no label width, offset or restriction.
    if (kind_ == ObjectKind::Btn || kind_ == ObjectKind::Label ||
        kind_ == ObjectKind::SearchButton || kind_ == ObjectKind::UpdateButton ||
        kind_ == ObjectKind::CloseButton) {
        e.labelWidth = e.direction = e.offset = e.inputRestriction = false;
    }
    // Step 4.
    if (kind_ == ObjectKind::UpdateButton || kind_ == ObjectKind::CloseButton)
        e.numberSelector = false;
    // Step 5.
    if (kind_ == ObjectKind::Cmb) {
        e.height = e.inputRestriction = false;
    } else {
        e.items = e.itemCount = false;
        if (kind_ == ObjectKind::Int || kind_ == ObjectKind::Real || kind_ == ObjectKind::IdNumber)
            e.inputRestriction = false;
    }
    // Step 6: not placed.
    if (slot.pageNumber == kNotPlaced)
        disableAttributes();
    // Step 7: no state-transition button leads to its own page.
    if (kind_ == ObjectKind::Btn && number_ == page_)
        e.show = false;
    return e;
}

CurrentObjectView EditingModel::view() const {
    const ObjectSlot& slot = currentSlot();
    CurrentObjectView v;
    FieldValues& f = v.fields;
    f.pageTitle = fieldText(state_.working.titles[std::size_t(page_)]);
    f.labelText = fieldText(slot.labelText);
    f.labelX = std::to_string(slot.labelX);
    f.labelY = std::to_string(slot.labelY);
    f.width = std::to_string(slot.objectWidth);
    f.height = std::to_string(slot.objectHeight);
    f.labelWidth = std::to_string(slot.objectX);
    f.direction = slot.objectY < 0 ? 1 : 0;
    f.offset = std::to_string(std::abs(int(slot.objectY)));
    f.items = fieldText(slot.items);
    f.itemCount = std::to_string(slot.itemCount);
    f.centring = state_.working.modalFlags[std::size_t(page_)] != 0;
    f.inputRestriction = slot.inputRestriction != 0;
    v.pageNumber = static_cast<std::int8_t>(slot.pageNumber);
    v.partCount = partCounts_[std::size_t(page_)];
    v.shown = slot.pageNumber == page_;
    v.enables = enablesFor(slot);
    return v;
}

void EditingModel::applyFields(const FieldValues& fields) {
    DispRec& d = state_.working;
    setFieldText(d.titles[std::size_t(page_)], fields.pageTitle);
    d.modalFlags[std::size_t(page_)] = fields.centring ? 1 : 0;

    // An object that is not placed here has its fields disabled: they hold its stored
    // values, so it keeps them.
    if (!view().enables.anyAttribute())
        return;
    ObjectSlot& slot = locate(kind_, number_, page_);
    setFieldTextLimited(slot.labelText, fields.labelText, kLabelBytes);
    setFieldText(slot.items, fields.items);
    slot.itemCount = static_cast<std::uint8_t>(leadingNumber(fields.itemCount) & 0xFF);
    slot.inputRestriction = fields.inputRestriction ? 1 : 0;

    long long x = leadingNumber(fields.labelX);
    long long y = leadingNumber(fields.labelY);
    long long lw = leadingNumber(fields.labelWidth);
    long long s = leadingNumber(fields.offset);
    if (fields.direction == 1)
        s = -s;
    long long w = leadingNumber(fields.width);
    long long h = leadingNumber(fields.height);
    long long left = std::min(x, x + lw);
    long long top = std::min(y, y + s);
    long long right = std::max(x + lw, x + lw + w);
    long long bottom = std::max(y + kLabelHeight, y + s + h);
    if (left >= kScreenMinLeft && top >= kScreenMinTop && right < kScreenLimit &&
        bottom < kScreenLimit && w >= kMinObjectSize && h >= kMinObjectSize) {
        slot.labelX = static_cast<std::uint16_t>(x);
        slot.labelY = static_cast<std::uint16_t>(y);
        slot.objectX = static_cast<std::int16_t>(lw);
        slot.objectY = static_cast<std::int16_t>(s);
        slot.objectWidth = static_cast<std::uint16_t>(w);
        slot.objectHeight = static_cast<std::uint16_t>(h);
    }
}

void EditingModel::setShown(bool checked) {
    if (!view().enables.show)
        return;
    locate(kind_, number_, page_).pageNumber =
        checked ? static_cast<std::uint8_t>(page_) : kNotPlaced;
    relayoutPage();
}

void EditingModel::countPage() {
    const DispRec& d = state_.working;
    int total = 0;
    kindCounts_.fill(0);
    for (std::size_t s = 0; s < kSlotCount; ++s) {
        std::optional<ObjectKind> kind = kindOfSlot(d.counts, s);
        if (!kind)
            break;
        if (d.slots[s].pageNumber != page_)
            continue;
        total += weightOf(*kind);
        ++kindCounts_[kindIndex(*kind)];
    }
    partCounts_[std::size_t(page_)] = total;
}

bool EditingModel::pageOverFull() const {
    if (partCounts_[std::size_t(page_)] > kPagePartLimit)
        return true;
    for (ObjectKind kind : kAllKinds) {
        std::optional<int> limit = pageLimitOf(kind);
        if (limit && kindCounts_[kindIndex(kind)] > *limit)
            return true;
    }
    return false;
}

void EditingModel::relayoutPage() {
    DispRec& d = state_.working;
    auto place = [this](ObjectSlot& slot, std::uint16_t x, std::uint16_t y) {
        slot.labelX = x;
        slot.labelY = y;
        slot.pageNumber = static_cast<std::uint8_t>(page_);
    };
    place(d.slots[slotIndex(ObjectKind::IdNumber, 0, page_)], 10, 35);
    place(d.slots[slotIndex(ObjectKind::SearchButton, 0, page_)], 170, 32);
    place(d.slots[slotIndex(ObjectKind::UpdateButton, 0, page_)], 155, 285);
    place(d.slots[slotIndex(ObjectKind::CloseButton, 0, page_)], 235, 285);

    countPage();
    if (!pageOverFull())
        return;
    if (refreshHook_)
        refreshHook_();
    prompter_.show(kTooManyPartsMessage, "", platform::Icon::Warning, platform::Buttons::Ok);
    // The current object is taken off the page only when it lies on it: an object on
    // another page, or none placed at all, has nothing to do with this page's count.
    ObjectSlot& slot = locate(kind_, number_, page_);
    if (slot.pageNumber == page_) {
        slot.pageNumber = kNotPlaced;
        partCounts_[std::size_t(page_)] -= weightOf(kind_);
        --kindCounts_[kindIndex(kind_)];
    }
}

CommandResult EditingModel::read(const DesignTarget& target, bool* designRead) {
    CommandResult result = ReadCommand(state_, target, prompter_);
    if (designRead) {
        // SelectDesign copies a master's design only when one carries the code.
        bool found = pdb::kindOfName(target.databaseName) != pdb::DatabaseKind::Master;
        for (std::size_t i = 0; !found && i < state_.image.heldDesigns(); ++i)
            found = fieldText(state_.image.designs[i].code) == target.code;
        *designRead = result == CommandResult::Done && found;
    }
    relayoutPage();
    return result;
}

PreviewItem EditingModel::previewItem(ObjectKind kind, int number, int page) const {
    const ObjectSlot& slot = locate(kind, number, page);
    PreviewItem item;
    item.kind = kind;
    item.number = number;
    item.page = page;
    item.slot = static_cast<std::size_t>(&slot - state_.working.slots.data());
    int lx = slot.labelX, ly = slot.labelY;
    if (hasLabelControl(kind))
        item.label = ScreenRect{lx, ly, slot.objectX, kLabelHeight};
    item.main =
        ScreenRect{lx + slot.objectX, ly + slot.objectY, slot.objectWidth, slot.objectHeight};
    item.text = fieldText(slot.labelText);
    return item;
}

std::vector<PreviewItem> EditingModel::previewItems(int page) const {
    std::vector<PreviewItem> items;
    for (ObjectKind kind : kAllKinds) {
        int count = countOf(state_.working, kind);
        int pages = isPerPage(kind) ? int(kPageCount) : 1;
        for (int n = 0; n < count; ++n)
            for (int p = 0; p < pages; ++p)
                if (locate(kind, n, p).pageNumber == page)
                    items.push_back(previewItem(kind, n, p));
    }
    return items;
}

bool EditingModel::nudge(int dx, int dy, NudgeMode mode) {
    if (!showChecked())
        return false;
    ObjectSlot& slot = locate(kind_, number_, page_);
    ObjectBounds b = boundsOf(slot);
    if (mode == NudgeMode::Move) {
        if (b.left + dx < kScreenMinLeft || b.top + dy < kScreenMinTop ||
            b.right + dx >= kScreenLimit || b.bottom + dy >= kScreenLimit)
            return false;
        slot.labelX = static_cast<std::uint16_t>(slot.labelX + dx);
        slot.labelY = static_cast<std::uint16_t>(slot.labelY + dy);
        return true;
    }
    if (b.controlRight + dx >= kScreenLimit || b.controlBottom + dy >= kScreenLimit)
        return false;
    // Sizes may go below 20 (even below zero) here; the next drag step repairs them.
    slot.objectWidth = static_cast<std::uint16_t>(slot.objectWidth + dx);
    if (kind_ != ObjectKind::Cmb)
        slot.objectHeight = static_cast<std::uint16_t>(slot.objectHeight + dy);
    return dx != 0 || (dy != 0 && kind_ != ObjectKind::Cmb);
}

bool EditingModel::selectObjectAt(int x, int y) {
    bool hit = false;
    ObjectKind hitKind = kind_;
    int hitNumber = number_;
    // The fixed objects (ID field, search, update and close buttons) are not listed by
    // the type selector, so they are not selectable: a click on them keeps the selection.
    for (ObjectKind kind : kAllKinds) {
        if (!isSelectable(kind))
            continue;
        int count = countOf(state_.working, kind);
        for (int n = 0; n < count; ++n) {
            const ObjectSlot& slot = locate(kind, n, page_);
            if (slot.pageNumber != page_)
                continue;
            ObjectBounds b = boundsOf(slot);
            if (insideOpen(x, kPreviewOriginX + b.left, kPreviewOriginX + b.right) &&
                insideOpen(y, kPreviewOriginY + b.top, kPreviewOriginY + b.bottom)) {
                hit = true;
                hitKind = kind;
                hitNumber = n;
            }
        }
    }
    if (hit) {
        if (hitKind != kind_) {
            kind_ = hitKind;
            fillNumberList();
        }
        selectNumber(hitNumber);
    }
    return hit;
}

void EditingModel::click(int x, int y, const FieldValues& fields) {
    applyFields(fields);
    selectObjectAt(x, y);
    anchorX_ = x;
    anchorY_ = y;
}

bool EditingModel::repairSmallSize(ObjectSlot& slot) {
    bool repaired = false;
    if (static_cast<std::int16_t>(slot.objectWidth) < kMinObjectSize) {
        slot.objectWidth = kMinObjectSize;
        repaired = true;
    }
    if (static_cast<std::int16_t>(slot.objectHeight) < kMinObjectSize) {
        slot.objectHeight = kMinObjectSize;
        repaired = true;
    }
    return repaired;
}

DragOutcome EditingModel::dragStep(int x, int y, bool leftOnly) {
    DragOutcome out;
    ObjectSlot& slot = locate(kind_, number_, page_);
    if (repairSmallSize(slot)) {
        out.changed = true;
        return out;
    }
    int dx = x - anchorX_;
    int dy = y - anchorY_;
    ObjectBounds b = boundsOf(slot);
    if (x < kPreviewOriginX + 5 || x > kPreviewOriginX + kScreenLimit ||
        y < kPreviewOriginY + kScreenMinTop || y > kPreviewOriginY + kScreenLimit)
        return out;
    // A movement without the left button ends any drag before the zones are tested, so
    // the resize zone is hit-tested afresh on every such movement.
    if (!leftOnly)
        moveDragActive_ = resizeDragActive_ = false;
    bool placedHere = slot.pageNumber == page_;
    bool inResizeZone = insideOpen(x, kPreviewOriginX + b.controlRight - 10,
                                   kPreviewOriginX + b.controlRight + 10) &&
                        insideOpen(y, kPreviewOriginY + b.controlBottom - 10,
                                   kPreviewOriginY + b.controlBottom + 10);
    if (inResizeZone || resizeDragActive_) {
        resizeDragActive_ = leftOnly;
        if (placedHere)
            out.pointer = PointerShape::Resize;
        if (leftOnly) {
            out.changed = nudge(dx, dy, NudgeMode::Resize);
            anchorX_ = x;
            anchorY_ = y;
        }
        return out;
    }
    bool onBody = insideOpen(x, kPreviewOriginX + b.left, kPreviewOriginX + b.right) &&
                  insideOpen(y, kPreviewOriginY + b.top, kPreviewOriginY + b.bottom);
    if (onBody || moveDragActive_) {
        moveDragActive_ = leftOnly;
        if (placedHere)
            out.pointer = PointerShape::Move;
        if (leftOnly) {
            out.changed = nudge(dx, dy, NudgeMode::Move);
            anchorX_ = x;
            anchorY_ = y;
        }
    }
    return out;
}

bool EditingModel::release() {
    ObjectSlot& slot = locate(kind_, number_, page_);
    // A resize step may have left a size below 20, even below zero; repair it now rather
    // than keep it until a later pointer movement, so it never reaches a saved file.
    repairSmallSize(slot);
    return slot.pageNumber == page_;
}

}  // namespace editor
