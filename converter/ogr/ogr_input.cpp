// Reading vector datasets through GDAL/OGR (see vector_io.h).
#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <mutex>

#include "converter/core/transform.h"
#include "converter/ogr/vector_io.h"

namespace ogr {

void Bounds::add(const XY& p) {
    if (empty) {
        minEast = maxEast = p.east;
        minNorth = maxNorth = p.north;
        empty = false;
        return;
    }
    minEast = std::min(minEast, p.east);
    maxEast = std::max(maxEast, p.east);
    minNorth = std::min(minNorth, p.north);
    maxNorth = std::max(maxNorth, p.north);
}

namespace {

namespace fs = std::filesystem;

void registerDrivers() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        // GDAL's own messages would reach stderr; the operations word their own from
        // CPLGetLastErrorMsg.
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

std::string lastGdalError() {
    std::string text = CPLGetLastErrorMsg();
    return text.empty() ? std::string("GDAL が理由を返しませんでした") : text;
}

struct GdalClose {
    void operator()(GDALDataset* ds) const { GDALClose(ds); }
};
using DatasetPtr = std::unique_ptr<GDALDataset, GdalClose>;

struct Transform {
    void operator()(OGRCoordinateTransformation* ct) const {
        OGRCoordinateTransformation::DestroyCT(ct);
    }
};

bool isVectorFileName(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".gml" || ext == ".xml" || ext == ".shp" || ext == ".gpkg" || ext == ".geojson" ||
           ext == ".json";
}

bool isGmlFileName(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    return ext == ".gml" || ext == ".xml" || ext == ".GML" || ext == ".XML";
}

// The centroid of a ring by the shoelace formula; the mean of its points when its area is 0.
XY ringCentroid(const std::vector<XY>& ring) {
    double a = 0, cx = 0, cy = 0;
    const XY o = ring.front();  // about the first point, for precision
    for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
        const double x0 = ring[i].east - o.east, y0 = ring[i].north - o.north;
        const double x1 = ring[i + 1].east - o.east, y1 = ring[i + 1].north - o.north;
        const double c = x0 * y1 - x1 * y0;
        a += c;
        cx += (x0 + x1) * c;
        cy += (y0 + y1) * c;
    }
    if (a == 0) {
        XY mean;
        for (const XY& p : ring) {
            mean.east += p.east / double(ring.size());
            mean.north += p.north / double(ring.size());
        }
        return mean;
    }
    return {o.east + cx / (3 * a), o.north + cy / (3 * a)};
}

// Even-odd test of a point against a closed ring.
bool inRing(const XY& p, const std::vector<XY>& ring) {
    bool in = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const XY& a = ring[i];
        const XY& b = ring[j];
        if ((a.north > p.north) != (b.north > p.north) &&
            p.east < (b.east - a.east) * (p.north - a.north) / (b.north - a.north) + a.east)
            in = !in;
    }
    return in;
}

std::vector<XY> pointsOf(const OGRSimpleCurve& curve) {
    std::vector<XY> out;
    out.reserve(static_cast<std::size_t>(curve.getNumPoints()));
    for (int i = 0; i < curve.getNumPoints(); ++i) out.push_back({curve.getX(i), curve.getY(i)});
    return out;
}

// The anchor of a polygon: its outer ring's centroid when that lies inside the polygon
// (not in a hole), otherwise a point GEOS finds on its surface.
XY polygonAnchor(const OGRPolygon& polygon, const std::vector<XY>& outer) {
    XY c = ringCentroid(outer);
    bool inside = inRing(c, outer);
    for (int h = 0; inside && h < polygon.getNumInteriorRings(); ++h)
        inside = !inRing(c, pointsOf(*polygon.getInteriorRing(h)));
    if (inside)
        return c;
    // The C entry point: OGRSurface::PointOnSurface(OGRPoint*) refuses an empty point to
    // fill and so never gives one.
    std::unique_ptr<OGRGeometry> p(OGRGeometry::FromHandle(
        OGR_G_PointOnSurface(OGRGeometry::ToHandle(const_cast<OGRPolygon*>(&polygon)))));
    if (p && wkbFlatten(p->getGeometryType()) == wkbPoint && !p->IsEmpty())
        return {p->toPoint()->getX(), p->toPoint()->getY()};
    return c;
}

bool closedRing(const std::vector<XY>& line) {
    return line.size() >= 4 && line.front().east == line.back().east &&
           line.front().north == line.back().north;
}

void addPolygon(const OGRPolygon& polygon, Shape& shape) {
    const OGRLinearRing* outer = polygon.getExteriorRing();
    if (!outer || outer->getNumPoints() == 0)
        return;
    std::vector<XY> ring = pointsOf(*outer);
    shape.holes += polygon.getNumInteriorRings();
    shape.anchors.push_back(polygonAnchor(polygon, ring));
    shape.parts.push_back(std::move(ring));
}

void addLine(const OGRLineString& line, Shape& shape) {
    std::vector<XY> points = pointsOf(line);
    if (points.empty())
        return;
    std::optional<XY> anchor;
    if (closedRing(points)) {
        OGRLinearRing ring;
        ring.addSubLineString(&line);
        OGRPolygon polygon;
        polygon.addRing(&ring);
        anchor = polygonAnchor(polygon, points);
    }
    shape.anchors.push_back(anchor);
    shape.parts.push_back(std::move(points));
}

void addPoint(const OGRPoint& point, Shape& shape) {
    if (point.IsEmpty())
        return;
    shape.parts.push_back({XY{point.getX(), point.getY()}});
    shape.anchors.emplace_back();
}

// Outer rings clockwise as seen on the map, inner rings anticlockwise, whatever the file
// format's own convention (a shapefile turns them, GeoJSON the other way), so the same
// features give the same elements from every format.
void orient(OGRGeometry& g) {
    const OGRwkbGeometryType flat = wkbFlatten(g.getGeometryType());
    if (flat == wkbMultiPolygon || flat == wkbGeometryCollection) {
        auto& collection = *g.toGeometryCollection();
        for (int i = 0; i < collection.getNumGeometries(); ++i)
            orient(*collection.getGeometryRef(i));
    } else if (flat == wkbPolygon) {
        auto& polygon = *g.toPolygon();
        for (int r = 0; r <= polygon.getNumInteriorRings(); ++r) {
            OGRLinearRing* ring =
                r == 0 ? polygon.getExteriorRing() : polygon.getInteriorRing(r - 1);
            if (ring && ring->getNumPoints() > 2 && (ring->isClockwise() != 0) != (r == 0))
                ring->reverseWindingOrder();
        }
    }
}

GeometryClass classOf(OGRwkbGeometryType flat) {
    switch (flat) {
        case wkbPoint:
        case wkbMultiPoint:
            return GeometryClass::Point;
        case wkbLineString:
        case wkbMultiLineString:
        case wkbCircularString:
        case wkbCompoundCurve:
        case wkbMultiCurve:
            return GeometryClass::Line;
        case wkbPolygon:
        case wkbMultiPolygon:
        case wkbCurvePolygon:
        case wkbMultiSurface:
            return GeometryClass::Polygon;
        default:
            return GeometryClass::Any;
    }
}

// The parts of one geometry of the shape's kind; parts of other kinds (from a clip that
// touches an edge) are left out.
void collect(const OGRGeometry& g, Shape& shape) {
    const OGRwkbGeometryType flat = wkbFlatten(g.getGeometryType());
    if (flat == wkbGeometryCollection || flat == wkbMultiPolygon || flat == wkbMultiLineString ||
        flat == wkbMultiPoint) {
        const auto& collection = *g.toGeometryCollection();
        for (int i = 0; i < collection.getNumGeometries(); ++i)
            collect(*collection.getGeometryRef(i), shape);
        return;
    }
    if (classOf(flat) != shape.kind)
        return;
    if (flat == wkbPolygon)
        addPolygon(*g.toPolygon(), shape);
    else if (flat == wkbLineString)
        addLine(*g.toLineString(), shape);
    else if (flat == wkbPoint)
        addPoint(*g.toPoint(), shape);
}

}  // namespace

struct VectorInput::State {
    struct Layer {
        GDALDataset* dataset = nullptr;
        OGRLayer* layer = nullptr;
        std::unique_ptr<OGRCoordinateTransformation, Transform> transform;
    };
    std::vector<DatasetPtr> datasets;
    std::vector<Layer> layers;
    std::vector<LayerInfo> infos;
};

VectorInput::VectorInput(std::unique_ptr<State> state) : state_(std::move(state)) {}
VectorInput::~VectorInput() = default;

const std::vector<LayerInfo>& VectorInput::layers() const {
    return state_->infos;
}

platform::Result<std::unique_ptr<VectorInput>> VectorInput::open(const std::string& path,
                                                                 const std::string& encoding) {
    using Opened = platform::Result<std::unique_ptr<VectorInput>>;
    registerDrivers();
    std::error_code ec;
    if (!fs::exists(path, ec))
        return Opened::failure("入力「" + path + "」がありません。");
    std::vector<std::string> files;
    if (fs::is_directory(path, ec)) {
        for (const auto& entry : fs::directory_iterator(path, ec))
            if (entry.is_regular_file(ec) && isVectorFileName(entry.path()))
                files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        if (files.empty())
            return Opened::failure("フォルダー「" + path +
                                   "」に読めるベクターファイル（.gml .xml .shp .gpkg .geojson "
                                   ".json）がありません。");
    } else {
        files.push_back(path);
    }

    auto state = std::make_unique<State>();
    for (const std::string& file : files) {
        const std::string name = fs::path(file).filename().string();
        CPLErrorReset();
        CPLStringList options;
        if (isGmlFileName(file))
            options.AddNameValue("WRITE_GFS", "NO");  // no schema file beside the user's data
        DatasetPtr ds(GDALDataset::Open(file.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr,
                                        options.List()));
        if (ds && !encoding.empty() &&
            std::string(ds->GetDriver()->GetDescription()) == "ESRI Shapefile") {
            options.AddNameValue("ENCODING", encoding.c_str());
            ds.reset(GDALDataset::Open(file.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr,
                                       options.List()));
        }
        if (!ds) {
            const std::string why = CPLGetLastErrorMsg();
            return Opened::failure(
                "「" + file +
                "」は GDAL で読めるベクターデータ（GeoPackage、シェープファイル、"
                "GeoJSON、GML など）ではありません" +
                (why.empty() ? "" : "（" + why + "）") + "。");
        }
        for (int i = 0; i < ds->GetLayerCount(); ++i) {
            OGRLayer* layer = ds->GetLayer(i);
            LayerInfo info;
            info.file = name;
            info.name = layer->GetName();
            // A layer that does not state one type (GeoJSON with polygons and multi-polygons)
            // is "Unknown (any)" to OGR; the layer list says what that means.
            info.geometryType = layer->GetGeomType() == wkbUnknown
                                    ? "混在"
                                    : OGRGeometryTypeToName(layer->GetGeomType());
            info.featureCount = layer->GetFeatureCount(TRUE);
            OGRFeatureDefn* defn = layer->GetLayerDefn();
            for (int f = 0; f < defn->GetFieldCount(); ++f)
                info.fields.push_back(defn->GetFieldDefn(f)->GetNameRef());
            info.hasSystem = layer->GetSpatialRef() != nullptr;
            state->infos.push_back(std::move(info));
            state->layers.push_back({ds.get(), layer, nullptr});
        }
        state->datasets.push_back(std::move(ds));
    }
    return std::unique_ptr<VectorInput>(new VectorInput(std::move(state)));
}

platform::Status VectorInput::setTarget(int epsg) {
    registerDrivers();
    OGRSpatialReference target;
    if (target.importFromEPSG(epsg) != OGRERR_NONE)
        return platform::Status::failure("座標系 EPSG:" + std::to_string(epsg) +
                                         " を PROJ のデータベースに見つけられません。");
    target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);  // x east, y north
    for (std::size_t i = 0; i < state_->layers.size(); ++i) {
        auto& l = state_->layers[i];
        l.transform.reset();
        const OGRSpatialReference* source = l.layer->GetSpatialRef();
        if (!source || source->IsSame(&target))
            continue;
        CPLErrorReset();
        l.transform.reset(OGRCreateCoordinateTransformation(source, &target));
        if (!l.transform)
            return platform::Status::failure("レイヤー「" + state_->infos[i].name + "」（" +
                                             state_->infos[i].file +
                                             "）の座標系を EPSG:" + std::to_string(epsg) +
                                             " に変換できません（" + lastGdalError() + "）。");
    }
    return {};
}

platform::Status VectorInput::read(std::size_t index, const std::optional<Bounds>& clip,
                                   const std::function<bool(const InputFeature&)>& visit) {
    State::Layer& l = state_->layers[index];
    const LayerInfo& info = state_->infos[index];
    OGRFeatureDefn* defn = l.layer->GetLayerDefn();
    std::vector<OGRFieldType> types;
    for (int f = 0; f < defn->GetFieldCount(); ++f)
        types.push_back(defn->GetFieldDefn(f)->GetType());

    OGRPolygon clipPolygon;
    OGREnvelope clipEnvelope;
    if (clip) {
        OGRLinearRing ring;
        ring.addPoint(clip->minEast, clip->minNorth);
        ring.addPoint(clip->maxEast, clip->minNorth);
        ring.addPoint(clip->maxEast, clip->maxNorth);
        ring.addPoint(clip->minEast, clip->maxNorth);
        ring.addPoint(clip->minEast, clip->minNorth);
        clipPolygon.addRing(&ring);
        clipPolygon.getEnvelope(&clipEnvelope);
    }

    InputFeature feature;
    l.layer->ResetReading();
    CPLErrorReset();
    while (OGRFeatureUniquePtr f{l.layer->GetNextFeature()}) {
        feature.fid = f->GetFID();
        feature.values.assign(types.size(), std::nullopt);
        for (std::size_t k = 0; k < types.size(); ++k) {
            const int field = static_cast<int>(k);
            if (!f->IsFieldSetAndNotNull(field))
                continue;
            if (types[k] == OFTInteger || types[k] == OFTInteger64)
                feature.values[k] = std::to_string(f->GetFieldAsInteger64(field));
            else if (types[k] == OFTReal)
                feature.values[k] = converter::formatReal(f->GetFieldAsDouble(field));
            else
                feature.values[k] = f->GetFieldAsString(field);
        }

        Shape& shape = feature.shape;
        shape = Shape{};
        OGRGeometry* g = f->GetGeometryRef();
        if (g && !g->IsEmpty()) {
            shape.typeName = OGRGeometryTypeToName(g->getGeometryType());
            std::unique_ptr<OGRGeometry> linear;
            if (g->hasCurveGeometry()) {
                linear.reset(g->getLinearGeometry());
                g = linear.get();
            }
            shape.kind = classOf(wkbFlatten(g->getGeometryType()));
            if (shape.kind != GeometryClass::Any && l.transform &&
                g->transform(l.transform.get()) != OGRERR_NONE)
                return platform::Status::failure("レイヤー「" + info.name + "」（" + info.file +
                                                 "）の地物 " + std::to_string(feature.fid) +
                                                 " の座標を変換できません（" + lastGdalError() +
                                                 "）。");
            if (shape.kind == GeometryClass::Polygon)
                orient(*g);
            std::unique_ptr<OGRGeometry> cut;
            if (shape.kind != GeometryClass::Any && clip) {
                OGREnvelope e;
                g->getEnvelope(&e);
                if (!clipEnvelope.Intersects(e)) {
                    shape.outside = true;
                } else if (!clipEnvelope.Contains(e)) {
                    cut.reset(shape.kind == GeometryClass::Point ? nullptr
                                                                 : g->Intersection(&clipPolygon));
                    if (shape.kind != GeometryClass::Point) {
                        if (!cut)
                            return platform::Status::failure(
                                "レイヤー「" + info.name + "」（" + info.file + "）の地物 " +
                                std::to_string(feature.fid) + " を範囲で切り取れません（" +
                                lastGdalError() + "）。");
                        g = cut.get();
                        orient(*g);
                    }
                    shape.clipped = true;
                }
            }
            if (!shape.outside && shape.kind != GeometryClass::Any)
                collect(*g, shape);
            if (shape.kind == GeometryClass::Point && clip && shape.clipped) {
                // Points are kept or dropped one by one.
                std::vector<std::vector<XY>> kept;
                for (auto& part : shape.parts)
                    if (part[0].east >= clip->minEast && part[0].east <= clip->maxEast &&
                        part[0].north >= clip->minNorth && part[0].north <= clip->maxNorth)
                        kept.push_back(std::move(part));
                shape.parts = std::move(kept);
                shape.anchors.assign(shape.parts.size(), std::nullopt);
            }
            if (shape.kind != GeometryClass::Any && shape.parts.empty())
                shape.outside = true;
        }
        if (!visit(feature))
            return {};
        CPLErrorReset();  // what is left concerns this feature, not the reading of the next
    }
    if (CPLGetLastErrorType() >= CE_Failure)
        return platform::Status::failure("レイヤー「" + info.name + "」（" + info.file +
                                         "）を読めません（" + lastGdalError() + "）。");
    return {};
}

}  // namespace ogr
