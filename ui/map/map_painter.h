#pragma once
// Paints a graphic database on any QPainter: the viewer's canvas, a PNG image, an SVG
// file. One routine for all three, so what the viewer shows is what the files show.
//
// Palette (chosen to stay legible in grey print and at a glance; README "The map view"):
//
//   outside the 16-bit device range   #E4E4E4, the range's edge dashed #8C8C8C
//   device range outside the sheet    #F6F6F2
//   the sheet (frame header extent)   white, edge #404040
//   building areas (style 32)         fill #D8D8D8, outline #4A4A4A
//   other areas                       fill #E9E2C8, outline #7A6E50
//   block and other lines (style 0)   #9A8870
//   rivers (style 112)                #2F6FD0, 2 px
//   railways (style 80)               black 3 px under white 1.5 px dashes
//   building-class lines (style 32)   #4A4A4A
//   labels                            #202020, IPAGothic, centred on the anchor
//   attribute names (with --attrs)    #505080, IPAGothic, smaller, at the record's box centre
//   the selected element              #FF7A00, 3 px
//
// Coordinates: device x to the east and y downward, as on the handheld; a MapView places
// them on the paint device without flipping. Line widths and label sizes are in pixels
// whatever the zoom.
#include <QPainter>
#include <QSizeF>
#include <cstdint>
#include <optional>
#include <vector>

#include "ui/map/map_scene.h"

namespace mapview {

// Which part of device space a paint device shows.
struct MapView {
    double scale = 1;          // pixels per device unit
    double left = 0, top = 0;  // the device point at pixel (0, 0)

    QPointF toPixel(double x, double y) const { return {(x - left) * scale, (y - top) * scale}; }
    QPointF toDevice(QPointF pixel) const {
        return {left + pixel.x() / scale, top + pixel.y() / scale};
    }
    DeviceRect visible(QSizeF pixels) const {
        return {left, top, left + pixels.width() / scale, top + pixels.height() / scale};
    }
    // Shows rect whole and centred, margin pixels from the nearer edges.
    static MapView fit(const DeviceRect& rect, QSizeF pixels, double margin);
    // Zooms by factor about the pixel point, which keeps showing the same device point.
    MapView zoomedAbout(QPointF pixel, double factor) const;
};

// The rectangle a view that fits "the whole sheet" shows: the device range.
DeviceRect WholeMap(const MapScene& scene);

struct PaintOptions {
    std::vector<bool> layerShown;  // one per layer; empty: all shown
    bool attributeNames = false;   // the linked records' names (Text1)
    int labelPixelSize = 12;
    std::optional<std::size_t> selected;
};

// Paints everything visible in a viewport of the given size, background included.
// Returns how many elements it drew.
std::size_t paintMap(QPainter& painter, const MapScene& scene, const MapView& view, QSizeF viewport,
                     const PaintOptions& options);

// A scale bar of a round length (1, 2 or 5 × a power of ten metres) at most maxPixels long,
// its left end at origin (its baseline), labelled "100 m" or "2 km".
void paintScaleBar(QPainter& painter, double metresPerPixel, QPointF origin, double maxPixels);

// "500 m", "2 km", "0.5 m".
QString metresText(double metres);

}  // namespace mapview
