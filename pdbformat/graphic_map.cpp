#include "pdbformat/graphic_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/files.h"

namespace pdb {
namespace {

using MapResult = platform::Result<GraphicMap>;

bool isFrameHeader(const GraphicElement& e) {
    return e.header.kind == kKindFrame && e.header.elementClass == 1 &&
           e.header.bodyLength == kFrameBodyLength;
}

std::string quoted(const std::string& path) {
    return "「" + path + "」";
}

MapElement decodeElement(const GraphicElement& e, GraphicMap& map) {
    MapElement m;
    m.streamOffset = e.offset;
    m.header = e.header;
    if (e.header.kind == kKindArea || e.header.kind == kKindLine) {
        if (std::optional<PointBody> body = DecodePointBody(e)) {
            m.box = body->box;
            m.firstPoint = static_cast<std::uint32_t>(map.points.size());
            m.pointCount = static_cast<std::uint32_t>(body->points.size());
            for (const auto& [x, y] : body->points) map.points.push_back({x, y});
        }
    } else if (e.header.kind == kKindLabel) {
        if (std::optional<LabelBody> body = DecodeLabelBody(e)) {
            m.box = body->box;
            m.labelText = std::move(body->name);
        }
    }
    return m;
}

}  // namespace

std::vector<ElementHeader> GraphicMap::headers() const {
    std::vector<ElementHeader> all;
    all.reserve(elements.size());
    for (const MapElement& e : elements) all.push_back(e.header);
    return all;
}

MapResult ReadGraphicMap(std::span<const std::uint8_t> bytes, const std::string& path) {
    GraphicReadResult read = ReadGraphicDatabase(bytes);
    const GraphicFile& file = read.file;
    if (!read.ok && !read.failedAt)
        return MapResult::failure(quoted(path) + "は Palm データベースとして読めません：" +
                                  read.error);
    // Both map conversions start the stream with the frame header; an attribute or
    // screen-design database walks no further than its first bytes.
    if (file.elements.empty() || !isFrameHeader(file.elements.front()))
        return MapResult::failure(quoted(path) +
                                  "は図形PDBではありません：要素ストリーム（ファイルの " +
                                  std::to_string(FileOffsetOfStream(file, 0)) +
                                  " バイト目から）が図枠ヘッダーで始まっていません。");
    if (!read.ok)
        return MapResult::failure(quoted(path) + "の要素ストリームをたどれません（ファイルの " +
                                  std::to_string(FileOffsetOfStream(file, *read.failedAt)) +
                                  " バイト目）：" + read.error);

    GraphicMap map;
    map.path = path;
    for (char c : file.header.name) {
        if (c == 0)
            break;
        map.name.push_back(c);
    }
    map.recordCount = file.recList.size();
    map.streamLength = file.stream.size();
    map.elements.reserve(file.elements.size());
    // Elements come in stream order, so their records are found walking the list once.
    std::size_t record = 0, recordStart = 0;
    for (const GraphicElement& e : file.elements) {
        MapElement& m = map.elements.emplace_back(decodeElement(e, map));
        while (record + 1 < file.recordLengths.size() &&
               e.offset >= recordStart + file.recordLengths[record])
            recordStart += file.recordLengths[record++];
        m.fileOffset = file.recList[record].iRecPos + (e.offset - recordStart);
    }
    map.frame = *DecodeFrameBody(file.elements.front());
    map.maker = GraphicMakerOf(map.headers());
    return map;
}

MapResult ReadGraphicMap(const std::string& path) {
    platform::Result<platform::FileContents> contents = platform::readFile(path);
    if (!contents)
        return MapResult::failure(quoted(path) + "を読めません（" + contents.error() + "）。");
    return ReadGraphicMap(contents->asBytes(), path);
}

std::string AngleText(std::int16_t degrees, std::int16_t minutes, std::int16_t tenths) {
    char text[64];
    std::snprintf(text, sizeof text, "%d°%02d′%02d.%d″", degrees, minutes, tenths / 10,
                  std::abs(tenths % 10));
    return text;
}

std::vector<std::string> FrameCornerLines(const FrameBody& frame) {
    const auto& v = frame.frameValues;
    bool unset = true;
    for (std::int16_t value : v) unset = unset && value == 0;
    if (unset)
        return {"図枠の緯度経度：設定されていません（すべて 0）"};
    auto corner = [&](const char* which, std::size_t i) {
        return std::string(which) + " 北緯 " + AngleText(v[i], v[i + 1], v[i + 2]) + " 東経 " +
               AngleText(v[i + 3], v[i + 4], v[i + 5]);
    };
    return {corner("図枠左上", 0), corner("図枠右下", 6)};
}

std::optional<SheetGeometry> SheetGeometryOf(const FrameBody& frame, GraphicMaker maker) {
    if (frame.extentEast <= 0 || frame.extentNorth <= 0)
        return std::nullopt;
    const double re = frame.extentEast, rn = frame.extentNorth;
    // The sheet's longer side spans the whole device range, the other its share of it.
    const double sx = re > rn ? 1.0 : re / rn;
    const double sy = re > rn ? rn / re : 1.0;
    SheetGeometry g;
    g.left = -32000 * sx;
    g.right = 32000 * sx;
    g.top = -32000 * sy;
    g.bottom = 32000 * sy;

    const double longSide = std::max(re, rn);
    const double kMetresBelow = std::sqrt(2000.0 * 2000000.0);
    bool millimetres = true;
    if (maker == GraphicMaker::Dm) {
        g.unitNote = "DMの図郭はメートル単位（図枠ヘッダーにはその 1000 倍）";
    } else {
        millimetres = longSide >= kMetresBelow;
        char side[32];
        std::snprintf(side, sizeof side, "%.0f", longSide);
        g.unitNote = std::string("図枠ヘッダーの長辺 ") + side + " から" +
                     (millimetres ? "ミリメートル" : "メートル") +
                     "と判断（縮尺 1/2500 の図郭は約 2 km × 1.5 km）";
    }
    const double toMetres = millimetres ? 0.001 : 1.0;
    g.metresEast = re * toMetres;
    g.metresNorth = rn * toMetres;
    g.metresPerUnit = g.metresEast / (64000 * sx);
    return g;
}

}  // namespace pdb
