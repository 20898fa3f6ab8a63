#include "editor/model/kinds.h"

#include <cstdio>

#include "platform/cp932.h"

namespace editor {
namespace {

struct KindInfo {
    const char* displayName;
    const char* shortName;
    int weight;
    int pageLimit;  // 0 = none
    std::uint16_t labelX, labelY;
    std::int16_t objectX, objectY;
    std::uint16_t width, height;
    std::uint8_t inputRestriction;
    const char* fixedLabel;  // label text of the fixed objects, else nullptr
};

const KindInfo kKinds[kKindCount] = {
    {"選択リスト", "Cmb", 3, 15, 20, 270, 75, -3, 75, 25, 0, nullptr},
    {"整数値テキスト", "Int", 2, 6, 20, 270, 75, -3, 75, 25, 1, nullptr},
    {"実数値テキスト", "Real", 2, 6, 20, 270, 75, -3, 75, 25, 1, nullptr},
    {"文字列テキスト", "Str", 2, 7, 20, 270, 75, -3, 75, 25, 0, nullptr},
    {"状態遷移ボタン", "Btn", 1, 0, 20, 270, 0, 0, 75, 25, 0, nullptr},
    {"ラベル(注記)", "Label", 1, 4, 20, 270, 0, 0, 75, 25, 0, nullptr},
    {"ID番号", "IdNumber", 2, 0, 10, 35, 75, -3, 75, 25, 1, "ID番号"},
    {"検索ボタン", "SearchButton", 1, 0, 170, 32, 0, 0, 75, 25, 0, "検 索"},
    {"更新ボタン", "UpdateButton", 1, 0, 155, 285, 0, 0, 70, 25, 0, "更 新"},
    {"閉じるボタン", "CloseButton", 1, 0, 235, 285, 0, 0, 70, 25, 0, "閉じる"},
};

const KindInfo& info(ObjectKind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

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
