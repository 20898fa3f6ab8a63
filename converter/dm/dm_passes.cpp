#include "converter/dm/dm_passes.h"

#include <cmath>

#include "pdbformat/graphic_stream.h"

namespace dm {
namespace {

using converter::formatReal;

const char* const kFrameNames[12] = {"左上緯度（度）", "左上緯度（分）", "左上緯度（秒）",
                                     "左上経度（度）", "左上経度（分）", "左上経度（秒）",
                                     "右下緯度（度）", "右下緯度（分）", "右下緯度（秒）",
                                     "右下経度（度）", "右下経度（分）", "右下経度（秒）"};

std::string where(const std::string& fileName, std::size_t line) {
    return fileName + " " + std::to_string(line) + "行目";
}

// The frame header of a sheet record; false when a value does not fit its 32-bit field.
bool frameHeaderOf(const SheetRecord& s, const FrameValues& frame, FrameHeader& h,
                   const std::string& fileName, std::string& message) {
    const converter::SheetTransform& t = s.transform;
    const double values[4] = {t.originEast, t.originNorth, t.Re, t.Rn};
    const char* const names[4] = {"最小東座標", "最大北座標", "東西の範囲", "南北の範囲"};
    std::int32_t* const fields[4] = {&h.originEast, &h.originNorth, &h.extentEast, &h.extentNorth};
    for (int i = 0; i < 4; ++i) {
        std::optional<std::int32_t> rounded = converter::roundTo32(values[i]);
        if (!rounded) {
            message = where(fileName, s.line + 1) + ": " + names[i] + " " +
                      formatReal(std::nearbyint(values[i])) + " が 32 ビットの範囲を超えています";
            return false;
        }
        *fields[i] = *rounded;
    }
    h.frame = frame;
    return true;
}

std::string overflowMessage(const Rejection& r, const LineElementRecord& e,
                            const std::string& fileName) {
    return r.message + "\n" + where(fileName, e.lineOfPoint(r.point)) + "（" +
           std::to_string(e.line) + "行目の要素の第 " + std::to_string(r.point + 1) + " 点）";
}

}  // namespace

platform::Result<FrameValues> frameValuesFrom(const std::array<double, 12>& numbers) {
    std::size_t bad = 0;
    std::optional<FrameValues> values = converter::FrameValues(numbers, &bad);
    if (!values)
        return platform::Result<FrameValues>::failure(
            std::string("枠の値 ") + kFrameNames[bad] +
            " が 16 ビットの範囲外です: " + formatReal(numbers[bad]));
    return *values;
}

std::uint8_t styleCodeOf(int classCode) {
    if (classCode >= 3001 && classCode <= 3004)
        return 32;
    if ((classCode >= 2301 && classCode <= 2306) || classCode == 2309 ||
        (classCode >= 2311 && classCode <= 2315))
        return 80;
    if (classCode >= 5101 && classCode <= 5106)
        return 112;
    return 0;
}

void placeElement(const LineElementRecord& e, const converter::SheetTransform& t,
                  PlacedElement& out) {
    out.points.clear();
    out.rejected.clear();
    out.box = converter::BoxOf();
    out.lastAccepted = RawPoint();
    std::size_t skipLine = static_cast<std::size_t>(-1);
    for (std::size_t k = 0; k < e.points.size(); ++k) {
        std::size_t coordLine = e.coordinateLineOf(k);
        if (coordLine == skipLine)
            continue;
        const RawPoint& p = e.points[k];
        converter::DevicePoint d = converter::ToDevice(t, p.north, p.east);
        converter::DeviceCheck check = converter::CheckDevice(d.x, d.y);
        if (!check.accepted) {
            out.rejected.push_back({k, std::move(check.message)});
            skipLine = coordLine;
            continue;
        }
        out.box.add(d);
        out.points.push_back({check.x, check.y});
        out.lastAccepted = p;
    }
}

bool isClosedArea(const LineElementRecord& e) {
    return e.pointCount > 2 && isAreaClass(e.classCode) && e.points.front() == e.points.back();
}

PassResult runGraphicPass(std::string_view data, const std::string& fileName,
                          const FrameValues& frame, GraphicSink& sink,
                          platform::Prompter& prompter) {
    platform::LineSource lines(data);
    return runGraphicPass(lines, fileName, frame, sink, prompter);
}

PassResult runGraphicPass(platform::LineSource& lines, const std::string& fileName,
                          const FrameValues& frame, GraphicSink& sink,
                          platform::Prompter& prompter) {
    PassResult result;
    DmReader reader(lines, fileName);
    PlacedElement placed;
    for (;;) {
        DmEvent ev = reader.next();
        if (ev == DmEvent::End)
            return result;
        if (ev == DmEvent::Failed) {
            if (reader.failedAtUnitCode() && reader.haveSheet()) {
                result.stoppedAtSheet = reader.failure();
                return result;
            }
            result.ok = false;
            result.message = reader.failure();
            return result;
        }
        if (ev == DmEvent::Sheet) {
            FrameHeader h;
            if (!frameHeaderOf(reader.sheet(), frame, h, fileName, result.message)) {
                result.ok = false;
                return result;
            }
            sink.frameHeader(h);
            continue;
        }
        const LineElementRecord& e = reader.element();
        placeElement(e, reader.sheet().transform, placed);
        for (const Rejection& r : placed.rejected)
            prompter.show(overflowMessage(r, e, fileName), "", platform::Icon::Critical,
                          platform::Buttons::Ok);
        if (!placed.box.empty() && placed.box.degenerate())
            prompter.show(
                "不正なラインストリング！(処理は続行) x=" + formatReal(placed.lastAccepted.east) +
                    " y=" + formatReal(placed.lastAccepted.north) + "\n" + where(fileName, e.line),
                "", platform::Icon::Warning, platform::Buttons::Ok);
        GraphicElement g;
        g.kind = 4;
        g.elementClass = static_cast<std::uint8_t>(e.classPrefix);
        g.style = styleCodeOf(e.classCode);
        if (isClosedArea(e)) {
            if (result.areaCount == 32767) {
                result.ok = false;
                result.message = where(fileName, e.line) + ": 面の数が 32767 を超えました";
                return result;
            }
            ++result.areaCount;
            g.kind = 6;
            g.serial = static_cast<std::int16_t>(result.areaCount);
        }
        const pdb::Box box = placed.box.box();
        g.left = box.left;
        g.top = box.top;
        g.width = box.width;
        g.height = box.height;
        g.points = &placed.points;
        sink.element(g);
        if (sink.full()) {
            result.ok = false;
            result.message = where(fileName, e.line) + ": 図形データが大きすぎます（" +
                             std::to_string(pdb::kMaxGraphicRecords) +
                             " レコード（1 レコード 1024 バイト）に収まりません）。";
            return result;
        }
    }
}

PassResult runAttributePass(std::string_view data, const std::string& fileName, int expectedAreas,
                            std::vector<AreaBox>& areas) {
    platform::LineSource lines(data);
    return runAttributePass(lines, fileName, expectedAreas, areas);
}

PassResult runAttributePass(platform::LineSource& lines, const std::string& fileName,
                            int expectedAreas, std::vector<AreaBox>& areas) {
    PassResult result;
    areas.clear();
    DmReader reader(lines, fileName);
    // Only building outlines of more than two points can be areas; the points of other
    // elements are not needed here.
    reader.onlyElementsWhere(
        [](const LineElementRecord& e) { return e.pointCount > 2 && isAreaClass(e.classCode); });
    PlacedElement placed;
    auto disagree = [&](const std::string& at) {
        result.ok = false;
        result.message = at + "図形PDBの面の数 " + std::to_string(expectedAreas) +
                         " と属性の面の数が一致しません（DMファイルが変更された可能性があります）";
        return result;
    };
    for (;;) {
        DmEvent ev = reader.next();
        if (ev == DmEvent::Failed && reader.failedAtUnitCode() && reader.haveSheet()) {
            result.stoppedAtSheet = reader.failure();
            break;
        }
        if (ev == DmEvent::Failed) {
            result.ok = false;
            result.message = reader.failure();
            return result;
        }
        if (ev == DmEvent::End)
            break;
        if (ev != DmEvent::LineElement || !isClosedArea(reader.element()))
            continue;
        const LineElementRecord& e = reader.element();
        if (result.areaCount == expectedAreas)
            return disagree(where(fileName, e.line) + ": ");
        placeElement(e, reader.sheet().transform, placed);
        ++result.areaCount;
        AreaBox a;
        a.id = result.areaCount;
        const pdb::Box box = placed.box.box();
        a.left = box.left;
        a.top = box.top;
        a.width = box.width;
        a.height = box.height;
        areas.push_back(a);
    }
    if (result.areaCount != expectedAreas)
        return disagree(fileName + ": ");
    return result;
}

}  // namespace dm
