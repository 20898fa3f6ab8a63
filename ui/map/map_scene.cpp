#include "ui/map/map_scene.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "platform/cp932.h"

namespace mapview {
namespace {

// Drawing rank of a kind: areas first, labels last.
int rankOf(std::uint8_t kind) {
    switch (kind) {
        case pdb::kKindArea:
            return 0;
        case pdb::kKindLine:
            return 1;
        case pdb::kKindLabel:
            return 3;
        default:
            return 2;
    }
}

bool drawable(std::uint8_t kind) {
    return kind == pdb::kKindArea || kind == pdb::kKindLine || kind == pdb::kKindLabel;
}

// What the features of a layer are, from the style codes and classes the conversions write.
std::string featureName(const Layer& layer, pdb::GraphicMaker maker) {
    if (layer.kind == pdb::kKindLabel)
        return "地名";
    if (layer.kind == pdb::kKindArea)
        return layer.style == 32 ? "建物" : "面";
    switch (layer.style) {
        case 112:
            return "河川";
        case 80:
            return "鉄道";
        case 32:
            return "建物の線";
        default:
            return maker == pdb::GraphicMaker::DigitalMap2500 && layer.elementClass == 2 ? "街区線"
                                                                                         : "線";
    }
}

double distanceToSegment(double px, double py, pdb::MapPoint a, pdb::MapPoint b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(px - (a.x + t * dx), py - (a.y + t * dy));
}

}  // namespace

std::string KindName(std::uint8_t kind) {
    switch (kind) {
        case pdb::kKindFrame:
            return "図枠ヘッダー";
        case pdb::kKindLine:
            return "線";
        case pdb::kKindArea:
            return "面";
        case pdb::kKindLabel:
            return "注記";
        default:
            return "種類 " + std::to_string(kind);
    }
}

MapScene::MapScene(pdb::GraphicMap map) : map_(std::move(map)) {
    sheet_ = pdb::SheetGeometryOf(map_.frame, map_.maker);
    const std::size_t n = map_.elements.size();
    bounds_.resize(n);
    layerOf_.assign(n, -1);
    std::map<std::pair<int, int>, std::size_t> layerIndex;  // (rank, kind·class) → layer
    for (std::size_t i = 0; i < n; ++i) {
        const pdb::MapElement& e = map_.elements[i];
        DeviceRect r{double(e.box.left), double(e.box.top), double(e.box.left) + e.box.width,
                     double(e.box.top) + e.box.height};
        if (e.pointCount > 0) {
            const pdb::MapPoint* p = &map_.points[e.firstPoint];
            r = {double(p->x), double(p->y), double(p->x), double(p->y)};
            for (std::uint32_t k = 1; k < e.pointCount; ++k) {
                r.left = std::min(r.left, double(p[k].x));
                r.right = std::max(r.right, double(p[k].x));
                r.top = std::min(r.top, double(p[k].y));
                r.bottom = std::max(r.bottom, double(p[k].y));
            }
        }
        bounds_[i] = r;
        if (!drawable(e.header.kind))
            continue;
        auto key =
            std::make_pair(rankOf(e.header.kind), e.header.kind * 256 + e.header.elementClass);
        auto [it, added] = layerIndex.emplace(key, 0);
        if (added) {
            Layer layer;
            layer.kind = e.header.kind;
            layer.elementClass = e.header.elementClass;
            layer.style = e.header.style;
            layers_.push_back(layer);
            it->second = layers_.size() - 1;
        }
        layers_[it->second].count++;
        layerOf_[i] = static_cast<std::int32_t>(it->second);
    }
    // Layers in drawing order; elements in the order of their layers' ranks.
    std::vector<std::size_t> newIndex(layers_.size());
    std::size_t next = 0;
    for (const auto& [key, old] : layerIndex) newIndex[old] = next++;
    std::vector<Layer> ordered(layers_.size());
    for (std::size_t old = 0; old < layers_.size(); ++old) ordered[newIndex[old]] = layers_[old];
    layers_ = std::move(ordered);
    for (auto& l : layerOf_)
        if (l >= 0)
            l = static_cast<std::int32_t>(newIndex[static_cast<std::size_t>(l)]);
    for (Layer& layer : layers_)
        layer.name = featureName(layer, map_.maker) + "（種類 " + std::to_string(layer.kind) +
                     "・分類 " + std::to_string(layer.elementClass) + "）";

    for (std::size_t i = 0; i < n; ++i)
        if (layerOf_[i] >= 0)
            drawOrder_.push_back(static_cast<std::uint32_t>(i));
    std::stable_sort(
        drawOrder_.begin(), drawOrder_.end(), [this](std::uint32_t a, std::uint32_t b) {
            return rankOf(map_.elements[a].header.kind) < rankOf(map_.elements[b].header.kind);
        });
}

std::optional<std::size_t> MapScene::layerOf(std::size_t i) const {
    if (layerOf_[i] < 0)
        return std::nullopt;
    return static_cast<std::size_t>(layerOf_[i]);
}

std::string MapScene::labelUtf8(std::size_t i) const {
    return platform::toUtf8(map_.elements[i].labelText);
}

bool MapScene::shownAt(const std::vector<bool>& shown, std::size_t i) const {
    const std::int32_t layer = layerOf_[i];
    return layer >= 0 && (shown.empty() || shown[static_cast<std::size_t>(layer)]);
}

void MapScene::collect(const DeviceRect& rect, const std::vector<bool>& shown,
                       std::vector<std::uint32_t>& out) const {
    out.clear();
    for (std::uint32_t i : drawOrder_)
        if (bounds_[i].meets(rect) && shownAt(shown, i))
            out.push_back(i);
}

std::optional<std::size_t> MapScene::hitTest(double x, double y, double tolerance,
                                             const std::vector<bool>& shown) const {
    const DeviceRect probe{x - tolerance, y - tolerance, x + tolerance, y + tolerance};
    for (auto it = drawOrder_.rbegin(); it != drawOrder_.rend(); ++it) {
        const std::size_t i = *it;
        if (!bounds_[i].meets(probe) || !shownAt(shown, i))
            continue;
        const pdb::MapElement& e = map_.elements[i];
        if (e.header.kind == pdb::kKindLabel)
            return i;
        if (e.pointCount == 0)
            continue;
        const pdb::MapPoint* p = &map_.points[e.firstPoint];
        if (e.pointCount == 1) {
            if (distanceToSegment(x, y, p[0], p[0]) <= tolerance)
                return i;
            continue;
        }
        // An area's outline closes back to its first point; a line's does not.
        const bool area = e.header.kind == pdb::kKindArea;
        const std::uint32_t edges = area ? e.pointCount : e.pointCount - 1;
        bool inside = false;
        for (std::uint32_t k = 0; k < edges; ++k) {
            const pdb::MapPoint a = p[k], b = p[(k + 1) % e.pointCount];
            if (distanceToSegment(x, y, a, b) <= tolerance)
                return i;
            // Even-odd rule: count the edges a ray to the east crosses.
            if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / double(b.y - a.y))
                inside = !inside;
        }
        if (area && inside)
            return i;
    }
    return std::nullopt;
}

void MapScene::attachAttributes(std::string path, std::vector<pdb::FeatureAttrRec> records) {
    attributePath_ = std::move(path);
    records_ = std::move(records);
    links_ = pdb::LinkAreasToAttributes(map_.headers(), records_.size());
}

const pdb::FeatureAttrRec* MapScene::recordOf(std::size_t i) const {
    if (!links_ || !links_->recordOfElement[i])
        return nullptr;
    return &records_[*links_->recordOfElement[i]];
}

}  // namespace mapview
