#include "converter/ogr/pdb2ogr.h"

#include <map>
#include <new>

#include "converter/core/transform.h"
#include "converter/ogr/vector_io.h"
#include "pdbformat/feature_attr_rec.h"
#include "pdbformat/graphic_stream.h"
#include "platform/cp932.h"
#include "platform/files.h"

namespace ogr {
namespace {

using platform::Buttons;
using platform::Icon;
using Value = std::variant<std::monostate, long long, std::string>;

constexpr const char* kRecordFields[] = {
    "ID",    "StatusCode", "SymbolCode", "UserData", "TopLeftX", "TopLeftY", "ExtentX", "ExtentY",
    "X",     "Y",          "Text1",      "Text2",    "Value1",   "Value2",   "Flag1",   "Flag2",
    "Flag3", "Flag4",      "Flag5",      "Flag6",    "Value3",   "Text3"};

template <std::size_t N>
std::string text(const std::array<std::uint8_t, N>& field) {
    return platform::toUtf8(pdb::storedText(field));
}

std::vector<Value> recordValues(const pdb::FeatureAttrRec& r) {
    auto n = [](long long v) { return Value(v); };
    return {n(r.ID),       n(r.StatusCode), n(r.SymbolCode), n(r.UserData), n(r.TopLeftX),
            n(r.TopLeftY), n(r.ExtentX),    n(r.ExtentY),    n(r.X),        n(r.Y),
            text(r.Text1), text(r.Text2),   n(r.Value1),     n(r.Value2),   n(r.Flag1),
            n(r.Flag2),    n(r.Flag3),      n(r.Flag4),      n(r.Flag5),    n(r.Flag6),
            n(r.Value3),   text(r.Text3)};
}

struct Frame {
    converter::SheetTransform t;
    double minEast = 0, minNorth = 0;
};

Frame frameOf(const pdb::FrameBody& body) {
    const double minEast = body.originEast / 1000.0;
    const double maxNorth = body.originNorth / 1000.0;
    const double maxEast = minEast + body.extentEast / 1000.0;
    const double minNorth = maxNorth - body.extentNorth / 1000.0;
    Frame f;
    f.minEast = minEast;
    f.minNorth = minNorth;
    if (auto t = converter::ReadExtent(minNorth, minEast, maxNorth, maxEast))
        f.t = *t;
    return f;
}

XY toPlane(const Frame& f, double x, double y) {
    const converter::SheetPoint p = converter::FromDevice(f.t, x, y);
    return {f.minEast + p.east, f.minNorth + p.north};
}

}  // namespace

Pdb2OgrResult pdb2ogr(const std::string& graphicPath, const std::string& attrPath,
                      const std::string& outPath, int zone, georef::Datum datum,
                      platform::Prompter& prompter) {
    Pdb2OgrResult result;
    auto fail = [&](const std::string& message) {
        prompter.show(message, kPdb2OgrTitle, Icon::Critical, Buttons::Ok);
        return result;
    };
    try {
        auto epsg = georef::planeEpsg(zone, datum);
        if (!epsg)
            return fail(epsg.error());
        auto file = platform::readFile(graphicPath);
        if (!file)
            return fail("図形PDBファイル「" + graphicPath + "」を読めません（" + file.error() +
                        "）。");
        pdb::GraphicReadResult graphic = pdb::ReadGraphicDatabase(file->asBytes());
        if (!graphic.ok)
            return fail("「" + graphicPath + "」は図形PDBファイルとして読めません：" +
                        graphic.error);
        const auto& elements = graphic.file.elements;
        if (elements.empty() || elements[0].header.kind != pdb::kKindFrame)
            return fail("「" + graphicPath +
                        "」は図枠ヘッダーで始まっていません（図形PDBファイルではありません）。");

        std::map<std::uint32_t, pdb::FeatureAttrRec> records;
        if (!attrPath.empty()) {
            auto attr = platform::readFile(attrPath);
            if (!attr)
                return fail("属性PDBファイル「" + attrPath + "」を読めません（" + attr.error() +
                            "）。");
            pdb::FeatureAttrRecords read = pdb::readFeatureAttrRecords(attr->asBytes(), attrPath);
            if (read.problem)
                return fail(*read.problem);
            for (const pdb::FeatureAttrRec& r : read.records) records.emplace(r.ID, r);
        }

        std::vector<OutputField> fields = {
            {"kind", false}, {"class", false}, {"style", false}, {"serial", false}, {"text", true}};
        const std::size_t base = fields.size();
        if (!attrPath.empty())
            for (const char* name : kRecordFields)
                fields.push_back({name, std::string_view(name).starts_with("Text")});

        std::vector<OutputFeature> features;
        Frame frame;
        for (const pdb::GraphicElement& e : elements) {
            OutputFeature out;
            out.values.assign(fields.size(), std::monostate{});
            out.values[0] = Value(static_cast<long long>(e.header.kind));
            out.values[1] = Value(static_cast<long long>(e.header.elementClass));
            out.values[2] = Value(static_cast<long long>(e.header.style));
            out.values[3] = Value(static_cast<long long>(e.header.serial));
            if (e.header.kind == pdb::kKindFrame) {
                auto body = pdb::DecodeFrameBody(e);
                if (!body)
                    return fail("「" + graphicPath + "」の図枠ヘッダー（ストリームの " +
                                std::to_string(e.offset) + " バイト目）の長さが違います。");
                frame = frameOf(*body);
                out.kind = GeometryClass::Polygon;
                for (auto [x, y] : {std::pair{-32000.0, 32000.0},
                                    {32000.0, 32000.0},
                                    {32000.0, -32000.0},
                                    {-32000.0, -32000.0}})
                    out.points.push_back(toPlane(frame, x * frame.t.sx, y * frame.t.sy));
                ++result.frames;
            } else if (e.header.kind == pdb::kKindLabel) {
                auto body = pdb::DecodeLabelBody(e);
                if (!body)
                    continue;
                out.kind = GeometryClass::Point;
                out.points.push_back(toPlane(frame, body->box.left + body->box.width / 2.0,
                                             body->box.top + body->box.height / 2.0));
                out.values[4] = Value(platform::toUtf8(body->name));
                ++result.labels;
            } else if (e.header.kind == pdb::kKindArea || e.header.kind == pdb::kKindLine) {
                auto body = pdb::DecodePointBody(e);
                if (!body || body->points.empty())
                    continue;
                const bool area = e.header.kind == pdb::kKindArea;
                out.kind = area ? GeometryClass::Polygon : GeometryClass::Line;
                for (auto [x, y] : body->points) out.points.push_back(toPlane(frame, x, y));
                if (area) {
                    ++result.areas;
                    auto r = records.find(static_cast<std::uint32_t>(e.header.serial));
                    if (r != records.end() && !attrPath.empty()) {
                        std::vector<Value> values = recordValues(r->second);
                        std::copy(values.begin(), values.end(), out.values.begin() + long(base));
                        ++result.withRecord;
                    }
                } else {
                    ++result.lines;
                }
            } else {
                continue;  // a kind this toolkit does not write
            }
            features.push_back(std::move(out));
        }

        auto bytes =
            encodeVectorFile(outPath, converter::baseNameOf(graphicPath), *epsg, fields, features);
        if (!bytes)
            return fail(bytes.error());
        platform::WriteError error;
        if (!platform::writeFileAtomically(outPath, *bytes, &error))
            return fail(converter::writeFailureText(error));
        prompter.show("「" + outPath + "」に書き出しました：図枠 " + std::to_string(result.frames) +
                          "、面 " + std::to_string(result.areas) + "（属性レコードあり " +
                          std::to_string(result.withRecord) + "）、線 " +
                          std::to_string(result.lines) + "、ラベル " +
                          std::to_string(result.labels) + "。",
                      kPdb2OgrTitle, Icon::Information, Buttons::Ok);
        result.outcome = converter::Outcome::Done;
        return result;
    } catch (const std::bad_alloc&) {
        return fail("メモリが足りないため、「" + graphicPath + "」の書き出しを中止しました。");
    }
}

}  // namespace ogr
