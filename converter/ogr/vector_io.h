#pragma once
// The converter's only window onto GDAL/OGR: vector datasets read as layers of features in
// one plane rectangular coordinate system, taken apart into the parts the databases hold,
// and features written back as a GeoPackage or GeoJSON file. ogr_input.cpp and
// ogr_output.cpp implement it; nothing else includes GDAL's headers.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "converter/ogr/mapping.h"
#include "platform/files.h"
#include "platform/result.h"

namespace ogr {

// A point of the plane system in metres.
struct XY {
    double east = 0;
    double north = 0;
};

struct Bounds {
    double minEast = 0;
    double minNorth = 0;
    double maxEast = 0;
    double maxNorth = 0;
    bool empty = true;
    void add(const XY& p);
};

struct LayerInfo {
    std::string file;  // the file's name (without its folder)
    std::string name;
    std::string geometryType;  // as OGR names it ("Polygon", "Multi Line String", …), or 混在
    long long featureCount = 0;
    std::vector<std::string> fields;
    bool hasSystem = false;  // the layer states its coordinate system
};

// One feature, in the target plane system, taken apart.
struct Shape {
    GeometryClass kind = GeometryClass::Any;  // Any: no geometry, or one of another kind
    std::string typeName;                     // the geometry's type as OGR names it
    // Polygon: the outer ring of each part (closed: its last point repeats its first);
    // line: each line; point: one point per part.
    std::vector<std::vector<XY>> parts;
    // Polygon parts and closed lines: the point a label or attribute record stands on (the
    // centroid when it lies inside, another point inside otherwise); other parts: none.
    std::vector<std::optional<XY>> anchors;
    int holes = 0;         // inner rings left out
    bool clipped = false;  // cut at the clip rectangle
    bool outside = false;  // wholly outside the clip rectangle: no parts
};

struct InputFeature {
    long long fid = 0;
    Shape shape;
    std::vector<std::optional<std::string>> values;  // by the layer's field index, UTF-8
};

class VectorInput {
  public:
    // A vector file, or a folder: every .gml, .xml, .shp, .gpkg, .geojson and .json file in
    // it, by name. encoding (empty: the file's own) is what a shapefile's text is in, for
    // one whose .cpg is missing or wrong. Fails, naming the file, for anything GDAL cannot
    // read as vector data.
    static platform::Result<std::unique_ptr<VectorInput>> open(const std::string& path,
                                                               const std::string& encoding);
    ~VectorInput();

    const std::vector<LayerInfo>& layers() const;
    // Reads into the plane system with this EPSG code from now on. A layer without a system
    // of its own is taken to be in it already. Fails naming a layer whose system cannot be
    // transformed.
    platform::Status setTarget(int epsg);
    // Visits every feature of a layer in order; visit returns false to stop. clip: cut the
    // features at this rectangle. Fails naming the layer and feature GDAL cannot read.
    platform::Status read(std::size_t layer, const std::optional<Bounds>& clip,
                          const std::function<bool(const InputFeature&)>& visit);

  private:
    struct State;
    explicit VectorInput(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// ---- Writing ----

struct OutputFeature {
    GeometryClass kind = GeometryClass::Point;  // Polygon: points is its ring
    std::vector<XY> points;
    std::vector<std::variant<std::monostate, long long, std::string>> values;  // by field; null
};
struct OutputField {
    std::string name;
    bool text = false;  // otherwise an integer
};

// A whole GeoPackage (path ending ".gpkg") or GeoJSON file (".geojson", ".json") of one
// layer in the plane system epsg, as bytes for the caller to write. Fails for any other
// extension or when GDAL cannot make it.
platform::Result<platform::Bytes> encodeVectorFile(const std::string& path,
                                                   const std::string& layerName, int epsg,
                                                   const std::vector<OutputField>& fields,
                                                   const std::vector<OutputFeature>& features);

}  // namespace ogr
