#pragma once
// A graphic database read for looking at: every element of its stream decoded (header,
// box, points, label text), and what its frame header says about the sheet (where its
// corners lie, how large it is on the ground). The map viewer, the renderer and the
// dump read graphic databases through this.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pdbformat/graphic_attrs.h"
#include "pdbformat/graphic_stream.h"
#include "platform/result.h"

namespace pdb {

struct MapPoint {
    std::int16_t x = 0;
    std::int16_t y = 0;
};

struct MapElement {
    std::size_t streamOffset = 0;  // where its header starts in the element stream
    std::size_t fileOffset = 0;    // the same place in the file
    ElementHeader header;
    Box box;  // as stored (areas, lines, labels); zero for other kinds
    // Areas and lines: their points are GraphicMap::points[firstPoint, firstPoint + pointCount).
    std::uint32_t firstPoint = 0;
    std::uint32_t pointCount = 0;
    std::string labelText;  // labels: the name, Shift-JIS
};

struct GraphicMap {
    std::string path;
    std::string name;  // database name, Shift-JIS, up to its first zero byte
    std::size_t recordCount = 0;
    std::size_t streamLength = 0;      // bytes of the records joined
    std::vector<MapElement> elements;  // in stream order, frame headers included
    std::vector<MapPoint> points;
    FrameBody frame;  // the first frame header
    GraphicMaker maker = GraphicMaker::Unknown;

    std::vector<ElementHeader> headers() const;
};

// Reads a graphic database. Refuses, naming the file: a file that is not a Palm database
// or whose record list does not describe it; a database whose stream does not start with
// a frame header (an attribute or screen-design database); a stream that cannot be walked
// to its end, saying at which offset of the file and of the stream the walk stopped.
platform::Result<GraphicMap> ReadGraphicMap(std::span<const std::uint8_t> file,
                                            const std::string& path);
platform::Result<GraphicMap> ReadGraphicMap(const std::string& path);

// ---- The frame header ----

// "35°40′12.3″" for 35, 40, 123 (tenths of a second).
std::string AngleText(std::int16_t degrees, std::int16_t minutes, std::int16_t tenths);
// The corners as the handheld reads them, one line each:
// "左上 北緯 35°40′00.0″ 東経 139°45′00.0″" and "右下 …"; a frame of twelve zeros
// (the settings forms' default) says that it was not set.
std::vector<std::string> FrameCornerLines(const FrameBody& frame);

// Where the sheet lies in device coordinates and how large it is on the ground.
//
// The frame header's extents are the sheet's extents × 1000. A DM file gives its extent
// in metres, so there they are millimetres. A Digital Map 2500 sheet does not state its
// unit (kilometres or metres), so the stored extents are metres or millimetres; a 1:2500
// sheet is about 2 km × 1.5 km, so a longer side below the geometric mean of 2000 and
// 2,000,000 (about 63,000) is metres and anything larger millimetres. The same judgement
// serves a database whose maker cannot be told.
struct SheetGeometry {
    // The longer side spans −32000 to 32000, the shorter side its share of that.
    double left = 0, top = 0, right = 0, bottom = 0;
    double metresEast = 0, metresNorth = 0;  // the sheet's size on the ground
    double metresPerUnit = 0;                // ground metres per device unit
    std::string unitNote;  // how the unit of the extents was decided, for the user
};
// Nothing when an extent is zero or negative.
std::optional<SheetGeometry> SheetGeometryOf(const FrameBody& frame, GraphicMaker maker);

}  // namespace pdb
