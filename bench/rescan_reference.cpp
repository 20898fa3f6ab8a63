#include "rescan_reference.h"

#include <cmath>
#include <vector>

#include "converter/core/attr_csv.h"
#include "converter/core/conversion.h"
#include "converter/core/transform.h"
#include "converter/digitalmap/digital_map.h"
#include "converter/digitalmap/sheet_reader.h"
#include "pdbformat/graphic_stream.h"
#include "platform/files.h"
#include "platform/scripted_prompter.h"

namespace rescan {

namespace {

using namespace digitalmap;
using namespace converter;

struct Arc {
    long long id = 0;
    std::vector<PointRecord> points;
};

std::string readFile(const std::string& path) {
    auto file = platform::readFile(path);
    return file ? file->bytes : std::string();
}

// tyome.atr read in full: the name of the first record with the ID.
std::string scanTownName(const std::string& path, long long id) {
    std::string data = readFile(path);
    FieldReader f(data);
    f.skipLine();
    std::string keyword, text, name;
    bool found = false;
    while (f.next(keyword)) {
        f.next(text);
        long long recordId = parseInteger(text).value_or(0);
        for (int i = 0; i < 4; ++i) f.next(text);
        if (recordId == id && !found) {
            name = text;
            found = true;
        }
    }
    return name;
}

// tatemono.atr read in full: the first pair's value of the last record with the ID.
std::string scanBuildingName(const std::string& path, long long id) {
    std::string data = readFile(path);
    FieldReader f(data);
    f.skipLine();
    std::string keyword, text, name;
    while (f.next(keyword)) {
        f.next(text);
        long long recordId = parseInteger(text).value_or(0);
        f.next(text);
        long long pairs = static_cast<long long>(
            std::nearbyint(static_cast<double>(parseInteger(text).value_or(0)) / 2.0));
        std::string first;
        for (long long p = 0; p < pairs; ++p) {
            f.next(text);
            f.next(text);
            if (p == 0)
                first = text;
        }
        if (recordId == id)
            name = first;
    }
    return name;
}

bool header(SheetFile& file, const std::string& path, SheetTransform& extent, ExtentHeader& h) {
    if (!file.open(path, path) || file.readHeader(h) != ReadStatus::Ok || !h.validCount())
        return false;
    auto e = ReadExtent(h.d1, h.d2, h.d3, h.d4);
    if (!e)
        return false;
    extent = *e;
    return true;
}

std::uint64_t estimateOf(const std::string& path, bool polygons) {
    SheetFile file;
    SheetTransform e;
    ExtentHeader h;
    if (!header(file, path, e, h))
        return 0;
    std::uint64_t estimate = 0;
    while (file.recordsLeft()) {
        if (polygons) {
            PolygonRecord p;
            if (file.readPolygon(p) != ReadStatus::Ok || p.arcRefs < 1)
                break;
            estimate += 40;
            long long r;
            for (long long k = 0; k < p.arcRefs && file.recordsLeft(); ++k) file.readArcRef(r);
        } else {
            ArcRecord a;
            if (file.readArc(a) != ReadStatus::Ok || a.pointCount < 1)
                break;
            auto n = static_cast<std::uint64_t>(a.pointCount);
            estimate += 16 + 4 * (n + n % 2);
            PointRecord pt;
            for (long long k = 0; k < a.pointCount && file.recordsLeft(); ++k) file.readPoint(pt);
        }
    }
    return estimate;
}

bool lines(pdb::GraphicDatabase& g, const std::string& path, std::uint8_t cls, std::uint8_t style) {
    SheetFile file;
    SheetTransform e;
    ExtentHeader h;
    if (!header(file, path, e, h))
        return false;
    while (file.recordsLeft()) {
        ArcRecord a;
        if (file.readArc(a) != ReadStatus::Ok || a.pointCount < 1)
            break;
        auto at = g.BeginPointElement(pdb::kKindLine, cls, style, 0);
        BoxOf box;
        for (long long i = 0; i < a.pointCount; ++i) {
            PointRecord pt;
            if (file.readPoint(pt) != ReadStatus::Ok)
                return false;
            auto d = ToDevice(e, pt.north, pt.east);
            auto c = CheckDevice(d.x, d.y, a.id);
            if (!c.accepted)
                return false;
            box.add(d);
            g.AppendPoint(c.x, c.y);
        }
        g.EndPointElement(at, box.box());
    }
    return true;
}

}  // namespace

bool convertByRescanning(const std::string& sheetDir, const std::string& outDir,
                         const platform::LocalDate& today) {
    SheetPaths paths = MakeSheetPaths(sheetDir, outDir);

    std::uint64_t estimate = 24 + estimateOf(paths.tatemonoArc, false) +
                             estimateOf(paths.tyomePgn, true) + estimateOf(paths.gaikuArc, false) +
                             estimateOf(paths.kasenArc, false) + estimateOf(paths.othersArc, false);
    SheetFile othersFile;
    SheetTransform frame;
    ExtentHeader h;
    if (!header(othersFile, paths.othersArc, frame, h))
        return false;
    pdb::GraphicDatabase g;
    std::array<std::uint8_t, 32> name{};
    if (!converter::databaseNameField(paths.base + "_G", name))
        return false;
    g.BeginGraphicDatabase(paths.graphicDb, name, pdb::palmDayStamp(today),
                           pdb::GraphicRecordCount(estimate));
    g.AppendElement({pdb::kKindFrame, 1, pdb::kFrameBodyLength, 0, 0});
    for (double v : {frame.originEast, frame.originNorth, frame.Re, frame.Rn})
        g.AppendBE32(static_cast<std::uint32_t>(static_cast<std::int32_t>(std::nearbyint(v))));
    for (int i = 0; i < 12; ++i) g.AppendBE16(0);

    // The arc table, searched from the start for every reference.
    std::vector<Arc> arcs;
    {
        SheetFile file;
        SheetTransform e;
        if (!header(file, paths.tatemonoArc, e, h))
            return false;
        while (file.recordsLeft()) {
            ArcRecord a;
            if (file.readArc(a) != ReadStatus::Ok || a.pointCount < 1)
                break;
            arcs.push_back({a.id, {}});
            for (long long k = 0; k < a.pointCount; ++k) {
                PointRecord pt;
                if (file.readPoint(pt) != ReadStatus::Ok)
                    return false;
                arcs.back().points.push_back(pt);
            }
        }
    }
    {
        SheetFile file;
        SheetTransform e;
        if (!header(file, paths.tatemonoPgn, e, h))
            return false;
        std::int16_t serial = 0;
        while (file.recordsLeft()) {
            PolygonRecord p;
            if (file.readPolygon(p) != ReadStatus::Ok || p.arcRefs < 1)
                break;
            ++serial;
            std::vector<PointRecord> outline;
            for (long long k = 1; k <= p.arcRefs; ++k) {
                long long r = 0;
                if (file.readArcRef(r) != ReadStatus::Ok)
                    return false;
                for (const Arc& arc : arcs) {
                    if (arc.id != std::llabs(r))
                        continue;
                    outline.insert(outline.end(), arc.points.begin() + (k == 1 ? 0 : 1),
                                   arc.points.end());
                }
            }
            auto at = g.BeginPointElement(pdb::kKindArea, 1, 32, serial);
            BoxOf box;
            for (const PointRecord& pt : outline) {
                auto d = ToDevice(e, pt.north, pt.east);
                auto c = CheckDevice(d.x, d.y, p.id);
                if (!c.accepted)
                    return false;
                box.add(d);
                g.AppendPoint(c.x, c.y);
            }
            g.EndPointElement(at, box.box());
        }
    }
    {
        SheetFile file;
        SheetTransform e;
        if (!header(file, paths.tyomePgn, e, h))
            return false;
        while (file.recordsLeft()) {
            PolygonRecord p;
            if (file.readPolygon(p) != ReadStatus::Ok || p.arcRefs < 1)
                break;
            auto d = ToDevice(e, p.north, p.east);
            g.AppendElement({pdb::kKindLabel, 10, pdb::kLabelBodyLength, 0, 0});
            g.PatchBox(g.AppendZeroBox(), LabelBox(d.x, d.y));
            std::array<std::uint8_t, 24> field{};
            pdb::storeText(field, scanTownName(paths.tyomeAtr, p.id));
            g.AppendBytes(field.data(), field.size());
            long long r;
            for (long long k = 0; k < p.arcRefs && file.recordsLeft(); ++k) file.readArcRef(r);
        }
    }
    if (!lines(g, paths.gaikuArc, 2, 0) || !lines(g, paths.kasenArc, 4, 112) ||
        !lines(g, paths.othersArc, 3, 80) || !g.FinishGraphicDatabase())
        return false;

    // The attribute CSV, with tatemono.atr read in full for every building.
    std::string csv;
    {
        SheetFile file;
        SheetTransform e;
        if (!header(file, paths.tatemonoPgn, e, h))
            return false;
        while (file.recordsLeft()) {
            PolygonRecord p;
            if (file.readPolygon(p) != ReadStatus::Ok || p.arcRefs < 1)
                break;
            auto d = ToDevice(e, p.north, p.east);
            csv +=
                BuildingCsvLine(p.id, d.x, d.y, scanBuildingName(paths.tatemonoAtr, p.id)) + "\r\n";
            long long r;
            for (long long k = 0; k < p.arcRefs && file.recordsLeft(); ++k) file.readArcRef(r);
        }
    }
    if (!platform::writeFileAtomically(paths.attrCsv, csv))
        return false;
    auto records = converter::readAttrCsv(csv);
    return !records.problem &&
           converter::writeFeatureAttrDatabase(paths.attrDb, records.records, today).ok();
}

}  // namespace rescan
