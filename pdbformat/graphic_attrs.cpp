#include "pdbformat/graphic_attrs.h"

#include <algorithm>

namespace pdb {
namespace {

constexpr std::uint8_t kFirstDmClass = 10;

std::string countsText(std::size_t records, const char* what, std::size_t areas) {
    return "属性レコードが " + std::to_string(records) + " 件、" + what + "が " +
           std::to_string(areas) + " 件で、数が合いません。";
}

// Areas in stream order with their serial numbers strictly increasing from 1 or more: the
// index of the first area that breaks the order, or nothing.
std::optional<std::size_t> serialOutOfOrder(std::span<const ElementHeader> elements) {
    long previous = 0;
    std::size_t area = 0;
    for (const ElementHeader& e : elements) {
        if (e.kind != kKindArea)
            continue;
        ++area;
        if (e.serial <= previous)
            return area;
        previous = e.serial;
    }
    return std::nullopt;
}

}  // namespace

GraphicMaker GraphicMakerOf(std::span<const ElementHeader> elements) {
    bool digitalMap = false, dm = false;
    for (const ElementHeader& e : elements) {
        if (e.kind == kKindLabel)
            digitalMap = true;
        else if (e.kind == kKindArea || e.kind == kKindLine)
            (e.elementClass >= kFirstDmClass ? dm : digitalMap) = true;
    }
    if (digitalMap == dm)
        return GraphicMaker::Unknown;
    return digitalMap ? GraphicMaker::DigitalMap2500 : GraphicMaker::Dm;
}

const char* GraphicMakerName(GraphicMaker maker) {
    switch (maker) {
        case GraphicMaker::DigitalMap2500:
            return "数値地図2500";
        case GraphicMaker::Dm:
            return "DM";
        case GraphicMaker::Unknown:
            break;
    }
    return "不明";
}

AreaAttributeLinks LinkAreasToAttributes(std::span<const ElementHeader> elements,
                                         std::size_t recordCount) {
    AreaAttributeLinks links;
    links.maker = GraphicMakerOf(elements);
    links.recordCount = recordCount;
    links.recordOfElement.resize(elements.size());
    long highestSerial = 0;
    for (const ElementHeader& e : elements)
        if (e.kind == kKindArea) {
            ++links.areaCount;
            highestSerial = std::max<long>(highestSerial, e.serial);
        }
    const std::optional<std::size_t> outOfOrder = serialOutOfOrder(elements);
    const bool bySerial = links.maker == GraphicMaker::DigitalMap2500;
    const bool byOrder = links.maker == GraphicMaker::Dm;

    if (bySerial || links.maker == GraphicMaker::Unknown) {
        if (outOfOrder) {
            links.problem = "面要素の通し番号が 1 から順に並んでいません（" +
                            std::to_string(*outOfOrder) + " 番目の面要素）。";
            return links;
        }
        if (static_cast<std::size_t>(highestSerial) != recordCount) {
            links.problem = countsText(recordCount, "建物（面要素の通し番号の最大）",
                                       static_cast<std::size_t>(highestSerial));
            return links;
        }
    }
    if (byOrder || links.maker == GraphicMaker::Unknown) {
        if (links.areaCount != recordCount) {
            links.problem = countsText(recordCount, "面要素", links.areaCount);
            return links;
        }
    }
    // Without a maker both rules held, so they give the same records.
    std::size_t k = 0;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].kind != kKindArea)
            continue;
        links.recordOfElement[i] = byOrder ? k : static_cast<std::size_t>(elements[i].serial) - 1;
        ++k;
    }
    return links;
}

}  // namespace pdb
