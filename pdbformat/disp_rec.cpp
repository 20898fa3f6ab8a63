#include "pdbformat/disp_rec.h"

#include <algorithm>
#include <cstring>

#include "platform/endian.h"

namespace pdb {
namespace {

constexpr std::size_t kCodeOffset = 0;
constexpr std::size_t kCountsOffset = 32;
constexpr std::size_t kTitlesOffset = 42;
constexpr std::size_t kModalOffset = 298;
constexpr std::size_t kSlotsOffset = 306;

std::uint16_t get16(const std::uint8_t* p, bool bigEndian) {
    return bigEndian ? platform::getBE16(p) : platform::getLE16(p);
}
void put16(std::uint8_t* p, std::uint16_t v, bool bigEndian) {
    bigEndian ? platform::putBE16(p, v) : platform::putLE16(p, v);
}

void readSlot(const std::uint8_t* p, ObjectSlot& s, bool bigEndian) {
    s.pageNumber = p[0];
    std::memcpy(s.labelText.data(), p + 1, 33);
    s.labelX = get16(p + 34, bigEndian);
    s.labelY = get16(p + 36, bigEndian);
    s.objectX = static_cast<std::int16_t>(get16(p + 38, bigEndian));
    s.objectY = static_cast<std::int16_t>(get16(p + 40, bigEndian));
    s.objectWidth = get16(p + 42, bigEndian);
    s.objectHeight = get16(p + 44, bigEndian);
    std::memcpy(s.items.data(), p + 46, 128);
    s.itemCount = p[174];
    s.inputRestriction = p[175];
}

void writeSlot(const ObjectSlot& s, std::uint8_t* p, bool bigEndian) {
    p[0] = s.pageNumber;
    std::memcpy(p + 1, s.labelText.data(), 33);
    put16(p + 34, s.labelX, bigEndian);
    put16(p + 36, s.labelY, bigEndian);
    put16(p + 38, static_cast<std::uint16_t>(s.objectX), bigEndian);
    put16(p + 40, static_cast<std::uint16_t>(s.objectY), bigEndian);
    put16(p + 42, s.objectWidth, bigEndian);
    put16(p + 44, s.objectHeight, bigEndian);
    std::memcpy(p + 46, s.items.data(), 128);
    p[174] = s.itemCount;
    p[175] = s.inputRestriction;
}

}  // namespace

namespace {
// Count names for messages, in count-table order.
const char* const kCountNames[kKindCount] = {
    "選択リスト", "整数",   "実数",       "文字列",     "状態遷移ボタン",
    "ラベル",     "ID番号", "検索ボタン", "更新ボタン", "閉じるボタン"};

// Order in which the kinds' slots are packed in a record.
constexpr ObjectKind kPackingOrder[kKindCount] = {
    ObjectKind::IdNumber,     ObjectKind::SearchButton, ObjectKind::Cmb, ObjectKind::Int,
    ObjectKind::Real,         ObjectKind::Str,          ObjectKind::Btn, ObjectKind::Label,
    ObjectKind::UpdateButton, ObjectKind::CloseButton};

}  // namespace

std::size_t slotIndex(ObjectKind kind, int number, int page) {
    switch (kind) {
        case ObjectKind::IdNumber:
            return 0;
        case ObjectKind::SearchButton:
            return 1;
        case ObjectKind::Cmb:
            return 2 + std::size_t(number);
        case ObjectKind::Int:
            return 52 + std::size_t(number);
        case ObjectKind::Real:
            return 82 + std::size_t(number);
        case ObjectKind::Str:
            return 112 + std::size_t(number);
        case ObjectKind::Btn:
            return 122 + 8 * std::size_t(page) + std::size_t(number);
        case ObjectKind::Label:
            return 186 + std::size_t(number);
        case ObjectKind::UpdateButton:
            return 216 + std::size_t(page);
        case ObjectKind::CloseButton:
            return 224 + std::size_t(page);
    }
    return 0;
}

std::optional<ObjectKind> kindOfSlot(const std::array<std::uint8_t, kKindCount>& counts,
                                     std::size_t slot) {
    std::size_t pages = counts[static_cast<std::size_t>(ObjectKind::Btn)];
    std::size_t start = 0;
    for (ObjectKind kind : kPackingOrder) {
        std::size_t c = counts[static_cast<std::size_t>(kind)];
        std::size_t n = (kind == ObjectKind::Btn || kind == ObjectKind::UpdateButton ||
                         kind == ObjectKind::CloseButton)
                            ? c * pages
                            : c;
        if (slot < start + n)
            return kind;
        start += n;
    }
    return std::nullopt;
}

std::optional<std::size_t> countOverCapacity(const std::array<std::uint8_t, kKindCount>& counts) {
    for (std::size_t i = 0; i < kKindCount; ++i)
        if (counts[i] > kCapacities[i])
            return i;
    return std::nullopt;
}

std::string countFieldName(std::size_t countIndex) {
    return std::string("オブジェクト数(") + kCountNames[countIndex] + ")";
}

std::size_t convertedSlotCount(const std::array<std::uint8_t, kKindCount>& c) {
    std::size_t n =
        std::size_t{c[4]} * (c[4] + c[8] + c[9]) + c[0] + c[1] + c[2] + c[3] + c[5] + c[6] + c[7];
    return std::min(n, kSlotCount);
}

void SwapDispRec(const std::uint8_t* file, DispRec& host) {
    std::memcpy(host.code.data(), file + kCodeOffset, 32);
    std::memcpy(host.counts.data(), file + kCountsOffset, kKindCount);
    for (std::size_t p = 0; p < kPageCount; ++p) {
        std::memcpy(host.titles[p].data(), file + kTitlesOffset + 32 * p, 32);
        host.modalFlags[p] = file[kModalOffset + p];
    }
    std::size_t converted = convertedSlotCount(host.counts);
    for (std::size_t s = 0; s < kSlotCount; ++s)
        readSlot(file + kSlotsOffset + kObjectSlotSize * s, host.slots[s], s < converted);
}

void SwapDispRec(const DispRec& host, std::uint8_t* file) {
    std::memcpy(file + kCodeOffset, host.code.data(), 32);
    std::memcpy(file + kCountsOffset, host.counts.data(), kKindCount);
    for (std::size_t p = 0; p < kPageCount; ++p) {
        std::memcpy(file + kTitlesOffset + 32 * p, host.titles[p].data(), 32);
        file[kModalOffset + p] = host.modalFlags[p];
    }
    std::size_t converted = convertedSlotCount(host.counts);
    for (std::size_t s = 0; s < kSlotCount; ++s)
        writeSlot(host.slots[s], file + kSlotsOffset + kObjectSlotSize * s, s < converted);
}

}  // namespace pdb
