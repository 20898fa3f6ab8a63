#pragma once
// A whole graphic database drawn into a square picture: a PNG through QImage or an SVG
// through QSvgGenerator, both by paintMap. The picture shows the 16-bit device range with
// a small margin, the sheet inside it and a scale bar in its lower left corner.
#include <QImage>
#include <optional>
#include <string>

#include "platform/result.h"
#include "ui/map/map_painter.h"
#include "ui/map/map_scene.h"

namespace mapview {

enum class PictureKind { Png, Svg };
// The kind of picture a file name asks for by its extension (any case), if any.
std::optional<PictureKind> PictureKindOf(const std::string& path);

// The view of the whole device range in a square of size pixels.
MapView WholeView(int size);

// The picture as an image (size × size pixels).
QImage RenderImage(const MapScene& scene, int size, const PaintOptions& options);

// The picture's file bytes. PNG is written with fast compression (zlib level 1), which
// takes half the time of the default for files a few per cent larger.
inline constexpr int kPngQuality = 85;
QByteArray RenderPicture(const MapScene& scene, PictureKind kind, int size,
                         const PaintOptions& options);

// Writes the picture to path, PNG or SVG by its extension (".png", ".svg", any case),
// whole or not at all: an earlier file of that name survives a failure. Fails naming the
// file for another extension or a file that cannot be written.
platform::Status RenderToFile(const MapScene& scene, const std::string& path, int size,
                              const PaintOptions& options);

}  // namespace mapview
