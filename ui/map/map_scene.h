#pragma once
// A graphic database ready to be drawn and pointed at: its elements with the device
// rectangle each covers, grouped into layers by kind and class, in drawing order, and the
// attribute records linked to its areas. Plain C++: the painter, the viewer's hit-testing
// and the tests use it alike.
//
// Drawing order: areas, then lines, then elements of other kinds, then labels, each in
// stream order, so that outlines and names are never hidden under a building's fill.
// A redraw asks for the elements whose rectangle meets the visible part (collect), so a
// zoomed-in view touches only what it shows.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pdbformat/feature_attr_rec.h"
#include "pdbformat/graphic_attrs.h"
#include "pdbformat/graphic_map.h"

namespace mapview {

// A rectangle of device coordinates (x east, y down), edges included.
struct DeviceRect {
    double left = 0, top = 0, right = 0, bottom = 0;
    bool meets(const DeviceRect& o) const {
        return left <= o.right && o.left <= right && top <= o.bottom && o.top <= bottom;
    }
    DeviceRect grown(double by) const { return {left - by, top - by, right + by, bottom + by}; }
};

// The whole 16-bit device range.
inline constexpr DeviceRect kDeviceBounds{-32768, -32768, 32767, 32767};

// The elements of one kind and class.
struct Layer {
    std::uint8_t kind = 0;
    std::uint8_t elementClass = 0;
    std::uint8_t style = 0;  // of its first element
    std::size_t count = 0;
    std::string name;  // UTF-8: "建物（種類 6・分類 1）"
};

// What a kind of element is called: "面", "線", "注記", "図枠ヘッダー", "種類 9".
std::string KindName(std::uint8_t kind);

class MapScene {
  public:
    explicit MapScene(pdb::GraphicMap map);

    const pdb::GraphicMap& map() const { return map_; }
    const pdb::MapElement& element(std::size_t i) const { return map_.elements[i]; }
    std::size_t size() const { return map_.elements.size(); }
    const std::optional<pdb::SheetGeometry>& sheet() const { return sheet_; }

    // Layers of drawable elements (frame headers are not drawn), in drawing order.
    const std::vector<Layer>& layers() const { return layers_; }
    // The layer an element belongs to, or nothing for a frame header.
    std::optional<std::size_t> layerOf(std::size_t i) const;
    // The rectangle an element covers: its points (areas, lines), its box (labels).
    const DeviceRect& bounds(std::size_t i) const { return bounds_[i]; }
    // A label's name, UTF-8.
    std::string labelUtf8(std::size_t i) const;

    // Elements of the shown layers whose rectangle meets rect, in drawing order.
    // shown: one flag per layer (all shown when empty).
    void collect(const DeviceRect& rect, const std::vector<bool>& shown,
                 std::vector<std::uint32_t>& out) const;
    // The topmost element of a shown layer at (x, y): inside an area, within tolerance
    // (device units) of a line or an area's outline, inside a label's box grown by it.
    std::optional<std::size_t> hitTest(double x, double y, double tolerance,
                                       const std::vector<bool>& shown) const;

    // The attribute database beside the graphic one: its records and their link to the
    // areas (see pdbformat/graphic_attrs.h).
    void attachAttributes(std::string path, std::vector<pdb::FeatureAttrRec> records);
    bool hasAttributes() const { return links_.has_value(); }
    const std::string& attributePath() const { return attributePath_; }
    const pdb::AreaAttributeLinks* links() const { return links_ ? &*links_ : nullptr; }
    const std::vector<pdb::FeatureAttrRec>& records() const { return records_; }
    // The record linked to an element, if any.
    const pdb::FeatureAttrRec* recordOf(std::size_t i) const;

  private:
    bool shownAt(const std::vector<bool>& shown, std::size_t i) const;

    pdb::GraphicMap map_;
    std::optional<pdb::SheetGeometry> sheet_;
    std::vector<Layer> layers_;
    std::vector<std::int32_t> layerOf_;  // -1 for frame headers
    std::vector<DeviceRect> bounds_;
    std::vector<std::uint32_t> drawOrder_;
    std::string attributePath_;
    std::vector<pdb::FeatureAttrRec> records_;
    std::optional<pdb::AreaAttributeLinks> links_;
};

}  // namespace mapview
