#include "editor/model/kinds.h"

#include <cstdio>

#include "editor/model/text_field.h"
#include "platform/cp932.h"

namespace editor {
namespace {

struct KindInfo {
    const char* displayName;
    const char* shortName;
    const char* countName;
    int weight;
    int pageLimit;  // 0 = none
    std::uint16_t labelX, labelY;
    std::int16_t objectX, objectY;
    std::uint16_t width, height;
    std::uint8_t inputRestriction;
    const char* fixedLabel;  // label text of the fixed objects, else nullptr
};

const KindInfo kKinds[kKindCount] = {
    {"選択リスト", "Cmb", "選択リスト", 3, 15, 20, 270, 75, -3, 75, 25, 0, nullptr},
    {"整数値テキスト", "Int", "整数", 2, 6, 20, 270, 75, -3, 75, 25, 1, nullptr},
    {"実数値テキスト", "Real", "実数", 2, 6, 20, 270, 75, -3, 75, 25, 1, nullptr},
    {"文字列テキスト", "Str", "文字列", 2, 7, 20, 270, 75, -3, 75, 25, 0, nullptr},
    {"状態遷移ボタン", "Btn", "状態遷移ボタン", 1, 0, 20, 270, 0, 0, 75, 25, 0, nullptr},
    {"ラベル(注記)", "Label", "ラベル", 1, 4, 20, 270, 0, 0, 75, 25, 0, nullptr},
    {"ID番号", "IdNumber", "ID番号", 2, 0, 10, 35, 75, -3, 75, 25, 1, "ID番号"},
    {"検索ボタン", "SearchButton", "検索ボタン", 1, 0, 170, 32, 0, 0, 75, 25, 0, "検 索"},
    {"更新ボタン", "UpdateButton", "更新ボタン", 1, 0, 155, 285, 0, 0, 70, 25, 0, "更 新"},
    {"閉じるボタン", "CloseButton", "閉じるボタン", 1, 0, 235, 285, 0, 0, 70, 25, 0, "閉じる"},
};

const KindInfo& info(ObjectKind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

// Order in which the kinds' slots are packed in a record.
constexpr ObjectKind kPackingOrder[kKindCount] = {
    ObjectKind::IdNumber,     ObjectKind::SearchButton, ObjectKind::Cmb, ObjectKind::Int,
    ObjectKind::Real,         ObjectKind::Str,          ObjectKind::Btn, ObjectKind::Label,
    ObjectKind::UpdateButton, ObjectKind::CloseButton};

}  // namespace

int weightOf(ObjectKind kind) {
    return info(kind).weight;
}

std::optional<int> pageLimitOf(ObjectKind kind) {
    int limit = info(kind).pageLimit;
    return limit > 0 ? std::optional<int>(limit) : std::nullopt;
}

const char* kindDisplayName(ObjectKind kind) {
    return info(kind).displayName;
}
const char* kindShortName(ObjectKind kind) {
    return info(kind).shortName;
}

std::string countFieldName(std::size_t countIndex) {
    return std::string("オブジェクト数(") + kKinds[countIndex].countName + ")";
}

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

ObjectSlot defaultSlot(ObjectKind kind, int number, int page) {
    const KindInfo& k = info(kind);
    ObjectSlot s;
    s.pageNumber = kNotPlaced;
    if (k.fixedLabel) {
        setFieldText(s.labelText, platform::toCp932(k.fixedLabel));
    } else {
        char text[40];
        if (kind == ObjectKind::Btn)
            std::snprintf(text, sizeof text, "%s[%d][%d]", k.shortName, page, number);
        else
            std::snprintf(text, sizeof text, "%s[%d]", k.shortName, number + 1);
        setFieldText(s.labelText, text);
    }
    s.labelX = k.labelX;
    s.labelY = k.labelY;
    s.objectX = k.objectX;
    s.objectY = k.objectY;
    s.objectWidth = k.width;
    s.objectHeight = k.height;
    s.itemCount = 5;
    s.inputRestriction = k.inputRestriction;
    return s;
}

DispRec freshWorkingDesign() {
    DispRec d;
    d.counts = kStandardCounts;
    for (ObjectKind kind : kAllKinds) {
        std::size_t c = kStandardCounts[static_cast<std::size_t>(kind)];
        if (kind == ObjectKind::Btn) {
            for (int p = 0; p < int(kPageCount); ++p)
                for (int t = 0; t < int(kPageCount); ++t)
                    d.slots[slotIndex(kind, t, p)] = defaultSlot(kind, t, p);
        } else if (kind == ObjectKind::UpdateButton || kind == ObjectKind::CloseButton) {
            for (int p = 0; p < int(kPageCount); ++p)
                d.slots[slotIndex(kind, 0, p)] = defaultSlot(kind, 0, p);
        } else {
            for (int n = 0; n < int(c); ++n)
                d.slots[slotIndex(kind, n, 0)] = defaultSlot(kind, n, 0);
        }
    }
    return d;
}

}  // namespace editor
