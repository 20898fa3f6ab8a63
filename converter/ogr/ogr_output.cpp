// Writing features through GDAL/OGR (see vector_io.h). The file is made in GDAL's memory
// file system and handed back as bytes, so the caller writes it whole or not at all.
#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <atomic>
#include <filesystem>
#include <mutex>

#include "converter/ogr/vector_io.h"

namespace ogr {
namespace {

using Encoded = platform::Result<platform::Bytes>;

std::string lowerExtension(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string gdalError() {
    std::string text = CPLGetLastErrorMsg();
    return text.empty() ? std::string("GDAL が理由を返しませんでした") : text;
}

}  // namespace

platform::Result<platform::Bytes> encodeVectorFile(const std::string& path,
                                                   const std::string& layerName, int epsg,
                                                   const std::vector<OutputField>& fields,
                                                   const std::vector<OutputFeature>& features) {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        CPLSetErrorHandler(CPLQuietErrorHandler);
    });
    const std::string ext = lowerExtension(path);
    const char* driverName = ext == ".gpkg"                        ? "GPKG"
                             : ext == ".geojson" || ext == ".json" ? "GeoJSON"
                                                                   : nullptr;
    if (!driverName)
        return Encoded::failure(
            "出力「" + path +
            "」の形式が分かりません（.gpkg か .geojson で終わる名前にして下さい）。");
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName);
    if (!driver)
        return Encoded::failure(std::string("GDAL に ") + driverName + " の書き出しがありません。");

    static std::atomic<int> serial{0};
    const std::string memPath = "/vsimem/kwib-pdb2ogr-" + std::to_string(serial++) + ext;
    CPLErrorReset();
    struct Unlink {
        const std::string& path;
        ~Unlink() { VSIUnlink(path.c_str()); }
    } unlink{memPath};  // declared before the dataset, so it runs after the dataset closes
    auto fail = [&](const std::string& what) {
        return Encoded::failure("「" + path + "」を作れません：" + what + "（" + gdalError() +
                                "）。");
    };
    {
        std::unique_ptr<GDALDataset> ds(
            driver->Create(memPath.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        if (!ds)
            return fail("データセット");
        OGRSpatialReference srs;
        srs.importFromEPSG(epsg);
        srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        CPLStringList options;
        if (ext != ".gpkg") {
            options.AddNameValue("WRITE_NAME", "NO");
            options.AddNameValue("COORDINATE_PRECISION", "4");  // 0.1 mm, below a device unit
            options.AddNameValue("SIGNIFICANT_FIGURES", "15");
        }
        OGRLayer* layer = ds->CreateLayer(layerName.c_str(), &srs, wkbUnknown, options.List());
        if (!layer)
            return fail("レイヤー");
        for (const OutputField& f : fields) {
            OGRFieldDefn defn(f.name.c_str(), f.text ? OFTString : OFTInteger64);
            if (layer->CreateField(&defn) != OGRERR_NONE)
                return fail("フィールド " + f.name);
        }
        if (ext == ".gpkg" && layer->StartTransaction() != OGRERR_NONE)
            return fail("地物");
        for (const OutputFeature& feature : features) {
            OGRFeature out(layer->GetLayerDefn());
            for (std::size_t k = 0; k < feature.values.size() && k < fields.size(); ++k) {
                const int field = static_cast<int>(k);
                if (const auto* n = std::get_if<long long>(&feature.values[k]))
                    out.SetField(field, static_cast<GIntBig>(*n));
                else if (const auto* t = std::get_if<std::string>(&feature.values[k]))
                    out.SetField(field, t->c_str());
                else
                    out.SetFieldNull(field);
            }
            if (feature.kind == GeometryClass::Point && !feature.points.empty()) {
                out.SetGeometryDirectly(
                    new OGRPoint(feature.points[0].east, feature.points[0].north));
            } else {
                auto* line =
                    feature.kind == GeometryClass::Polygon ? new OGRLinearRing : new OGRLineString;
                for (const XY& p : feature.points) line->addPoint(p.east, p.north);
                if (feature.kind == GeometryClass::Polygon) {
                    auto* polygon = new OGRPolygon;
                    line->closeRings();
                    polygon->addRingDirectly(static_cast<OGRLinearRing*>(line));
                    out.SetGeometryDirectly(polygon);
                } else {
                    out.SetGeometryDirectly(line);
                }
            }
            if (layer->CreateFeature(&out) != OGRERR_NONE)
                return fail("地物");
        }
        if (ext == ".gpkg" && layer->CommitTransaction() != OGRERR_NONE)
            return fail("地物");
        ds.reset();  // GDALClose: the file is complete only now
    }
    if (CPLGetLastErrorType() >= CE_Failure)
        return fail("書き出し");
    vsi_l_offset length = 0;
    GByte* data = VSIGetMemFileBuffer(memPath.c_str(), &length, FALSE);
    if (!data)
        return fail("書き出し");
    return platform::Bytes(data, data + length);
}

}  // namespace ogr
