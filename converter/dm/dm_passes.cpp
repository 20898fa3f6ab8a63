#include "converter/dm/dm_passes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "pdbformat/feature_attr_rec.h"
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

// Short names of the skip reasons in the account, long ones in the log.
const char* const kReasonNames[kSkipReasons] = {"指定なし",   "点要素",   "不明なコード",
                                                "グループ外", "読めない", "範囲外"};
const char* const kReasonTexts[kSkipReasons] = {
    "注記・円・円弧の変換が指定されていません",
    "図形データベースに点の要素がありません",
    "要素コードが E1～E7 のどれでもありません",
    "要素グループ（「H 」レコード）の外にあります",
    "読めません",
    "16 ビットの座標範囲の外にあります",
};

std::string count(long n) {
    return std::to_string(n);
}

}  // namespace

std::optional<std::vector<converter::DevicePoint>> curvePoints(int code, converter::DevicePoint a,
                                                               converter::DevicePoint b,
                                                               converter::DevicePoint c) {
    using converter::DevicePoint;
    constexpr double kPi = std::numbers::pi;
    const double bx = b.x - a.x, by = b.y - a.y, cx = c.x - a.x, cy = c.y - a.y;
    const double lb = bx * bx + by * by, lc = cx * cx + cy * cy;
    const double cross = bx * cy - by * cx;
    // Also two points alike: the cross product is then 0.
    if (std::fabs(cross) <= 1e-12 * std::sqrt(lb * lc))
        return std::nullopt;
    // The centre, relative to a.
    const double ux = (cy * lb - by * lc) / (2 * cross);
    const double uy = (bx * lc - cx * lb) / (2 * cross);
    const double r = std::hypot(ux, uy);
    const DevicePoint centre{a.x + ux, a.y + uy};
    auto angleOf = [&](DevicePoint p) { return std::atan2(p.y - centre.y, p.x - centre.x); };
    const double start = angleOf(a);
    auto fromStart = [&](DevicePoint p) {
        double t = std::fmod(angleOf(p) - start, 2 * kPi);
        return t < 0 ? t + 2 * kPi : t;
    };
    double sweep = 2 * kPi;
    if (code != 3) {
        const double tb = fromStart(b), tc = fromStart(c);
        sweep = tb < tc ? tc : tc - 2 * kPi;
    }
    // A chord spanning the angle step strays r (1 − cos(step / 2)) from the circle.
    const double step = r > 1 ? std::min(2 * std::acos(1 - 1 / r), kPi / 2) : kPi / 2;
    const long segments = std::clamp(static_cast<long>(std::fabs(sweep) / step) + 1, 1L, 2047L);
    std::vector<DevicePoint> points;
    points.reserve(static_cast<std::size_t>(segments) + 1);
    points.push_back(a);
    for (long i = 1; i < segments; ++i) {
        const double t = start + sweep * static_cast<double>(i) / static_cast<double>(segments);
        points.push_back({centre.x + r * std::cos(t), centre.y + r * std::sin(t)});
    }
    points.push_back(code == 3 ? a : c);
    return points;
}

std::string accountText(const std::string& fileName, const DmAccount& a) {
    long read = 0;
    for (long n : a.read) read += n;
    long skipped = 0;
    for (long n : a.skipped) skipped += n;
    std::string t = fileName + " の要素レコード " + count(read) + " 件:";
    for (int k = 1; k <= 7; ++k)
        t += std::string(k == 1 ? " " : "、") + "E" + std::to_string(k) + " " + count(a.read[k]);
    t += "、その他 " + count(a.read[0]);
    t += "\n  描画 " + count(a.lines + a.areas + a.circles + a.arcs + a.labels) + " 件: 線 " +
         count(a.lines) + "、面 " + count(a.areas) + "、円 " + count(a.circles) + "、円弧 " +
         count(a.arcs) + "、注記 " + count(a.labels);
    t += "\n  描画しなかった要素 " + count(skipped) + " 件:";
    for (int r = 0; r < kSkipReasons; ++r)
        t += std::string(r == 0 ? " " : "、") + kReasonNames[r] + " " + count(a.skipped[r]);
    t += "\n  範囲外で除いた点 " + count(a.pointsOutside) + "、範囲の端で切った円・円弧 " +
         count(a.clippedCurves) + "、直線で描いた円・円弧 " + count(a.straightCurves) +
         "、24 バイトに切り詰めた注記 " + count(a.cutTexts);
    return t;
}

std::string skippedLine(const SkippedRecord& s) {
    std::string t = std::to_string(s.line) + "行目 " + s.codeText + " 分類 " +
                    (s.classText.empty() ? "-" : s.classText) + ": " +
                    kReasonTexts[static_cast<int>(s.reason)];
    if (!s.detail.empty())
        t += "（" + s.detail + "）";
    return t;
}

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
                          const FrameValues& frame, GraphicSink& sink, platform::Prompter& prompter,
                          const GraphicOptions& options) {
    platform::LineSource lines(data);
    return runGraphicPass(lines, fileName, frame, sink, prompter, options);
}

namespace {

// The graphic pass over one file: the reader's events turned into elements, every element
// record counted.
class GraphicPass {
  public:
    GraphicPass(platform::LineSource& lines, const std::string& fileName, GraphicSink& sink,
                platform::Prompter& prompter, const GraphicOptions& options)
        : reader_(lines, fileName),
          fileName_(fileName),
          sink_(sink),
          prompter_(prompter),
          options_(options) {
        reader_.readEveryElement(options.allElements);
    }

    PassResult run(const FrameValues& frame);

  private:
    bool lineElement();  // false when the pass must stop (result_ says why)
    bool curve();
    bool annotation();
    void skipped(const SkippedRecord& s);
    bool written(std::size_t line);
    void warnCutTexts();

    DmReader reader_;
    const std::string& fileName_;
    GraphicSink& sink_;
    platform::Prompter& prompter_;
    const GraphicOptions& options_;
    PassResult result_;
    PlacedElement placed_;
    std::vector<DevicePoint> run_;  // a stretch of a circle or arc inside the device range
    std::size_t firstCutText_ = 0;
};

PassResult GraphicPass::run(const FrameValues& frame) {
    DmAccount& account = result_.account;
    for (;;) {
        DmEvent ev = reader_.next();
        switch (ev) {
            case DmEvent::End:
                warnCutTexts();
                return std::move(result_);
            case DmEvent::Failed:
                if (reader_.failedAtUnitCode() && reader_.haveSheet()) {
                    warnCutTexts();
                    result_.stoppedAtSheet = reader_.failure();
                    return std::move(result_);
                }
                result_.ok = false;
                result_.message = reader_.failure();
                return std::move(result_);
            case DmEvent::Sheet: {
                FrameHeader h;
                if (!frameHeaderOf(reader_.sheet(), frame, h, fileName_, result_.message)) {
                    result_.ok = false;
                    return std::move(result_);
                }
                sink_.frameHeader(h);
                break;
            }
            case DmEvent::LineElement:
                ++account.read[static_cast<std::size_t>(reader_.element().code)];
                if (!(reader_.element().code <= 2 ? lineElement() : curve()))
                    return std::move(result_);
                break;
            case DmEvent::Annotation:
                ++account.read[7];
                if (!annotation())
                    return std::move(result_);
                break;
            case DmEvent::Skipped:
                ++account.read[static_cast<std::size_t>(reader_.skipped().code)];
                skipped(reader_.skipped());
                break;
        }
    }
}

void GraphicPass::skipped(const SkippedRecord& s) {
    ++result_.account.skipped[static_cast<std::size_t>(s.reason)];
    if (options_.log)
        options_.log->add(s);
}

// After each element: a stream the database cannot take ends the pass.
bool GraphicPass::written(std::size_t line) {
    if (!sink_.full())
        return true;
    result_.ok = false;
    result_.message = where(fileName_, line) + ": 図形データが大きすぎます（" +
                      std::to_string(pdb::kMaxGraphicRecords) +
                      " レコード（1 レコード 1024 バイト）に収まりません）。";
    return false;
}

bool GraphicPass::lineElement() {
    const LineElementRecord& e = reader_.element();
    placeElement(e, reader_.sheet().transform, placed_);
    result_.account.pointsOutside += static_cast<long>(placed_.rejected.size());
    for (const Rejection& r : placed_.rejected)
        prompter_.show(overflowMessage(r, e, fileName_), "", platform::Icon::Critical,
                       platform::Buttons::Ok);
    if (!placed_.box.empty() && placed_.box.degenerate())
        prompter_.show(
            "不正なラインストリング！(処理は続行) x=" + formatReal(placed_.lastAccepted.east) +
                " y=" + formatReal(placed_.lastAccepted.north) + "\n" + where(fileName_, e.line),
            "", platform::Icon::Warning, platform::Buttons::Ok);
    GraphicElement g;
    g.kind = 4;
    g.elementClass = static_cast<std::uint8_t>(e.classPrefix);
    g.style = styleCodeOf(e.classCode);
    if (isClosedArea(e)) {
        if (result_.areaCount == 32767) {
            result_.ok = false;
            result_.message = where(fileName_, e.line) + ": 面の数が 32767 を超えました";
            return false;
        }
        ++result_.areaCount;
        ++result_.account.areas;
        g.kind = 6;
        g.serial = static_cast<std::int16_t>(result_.areaCount);
    } else {
        ++result_.account.lines;
    }
    const pdb::Box box = placed_.box.box();
    g.left = box.left;
    g.top = box.top;
    g.width = box.width;
    g.height = box.height;
    g.points = &placed_.points;
    sink_.element(g);
    return written(e.line);
}

// A circle or an arc becomes line elements along it: one, or one for each stretch inside
// the device range when it leaves that range. Three points on one line give the line
// through them, with a warning.
bool GraphicPass::curve() {
    const LineElementRecord& e = reader_.element();
    const converter::SheetTransform& t = reader_.sheet().transform;
    converter::DevicePoint d[3];
    for (int i = 0; i < 3; ++i) d[i] = converter::ToDevice(t, e.points[i].north, e.points[i].east);
    std::vector<converter::DevicePoint> path;
    if (auto points = curvePoints(e.code, d[0], d[1], d[2])) {
        path = std::move(*points);
    } else {
        ++result_.account.straightCurves;
        path.assign(d, d + 3);
        prompter_.show(std::string(e.code == 3 ? "円" : "円弧") +
                           "を決める3点が一直線上にあるため、直線として描きます。\n" +
                           where(fileName_, e.line),
                       "", platform::Icon::Warning, platform::Buttons::Ok);
    }
    GraphicElement g;
    g.kind = 4;
    g.elementClass = static_cast<std::uint8_t>(e.classPrefix);
    g.style = styleCodeOf(e.classCode);
    std::vector<DevicePoint>& run = run_;
    run.clear();
    converter::BoxOf box;
    int pieces = 0;
    bool cut = false;
    auto flush = [&] {
        if (run.size() >= 2) {
            const pdb::Box b = box.box();
            g.left = b.left;
            g.top = b.top;
            g.width = b.width;
            g.height = b.height;
            g.points = &run;
            sink_.element(g);
            ++pieces;
        }
        run.clear();
        box = converter::BoxOf();
    };
    for (const converter::DevicePoint& p : path) {
        converter::DeviceCheck check = converter::CheckDevice(p.x, p.y);
        if (!check.accepted) {
            cut = true;
            flush();
            continue;
        }
        run.push_back({check.x, check.y});
        box.add(p);
    }
    flush();
    if (pieces == 0) {
        SkippedRecord s;
        s.line = e.line;
        s.code = e.code;
        s.codeText = {'E', static_cast<char>('0' + e.code)};
        s.classText = std::to_string(e.classCode);
        s.reason = SkipReason::OutsideRange;
        skipped(s);
        return true;
    }
    ++(e.code == 3 ? result_.account.circles : result_.account.arcs);
    if (cut)
        ++result_.account.clippedCurves;
    return written(e.line);
}

// An annotation becomes a label at its anchor, its text cut to the name field on a
// character boundary.
bool GraphicPass::annotation() {
    const AnnotationRecord& a = reader_.annotation();
    const converter::DevicePoint anchor =
        converter::ToDevice(reader_.sheet().transform, a.anchor.north, a.anchor.east);
    if (!converter::LabelBoxFits(anchor.x, anchor.y)) {
        SkippedRecord s;
        s.line = a.line;
        s.code = 7;
        s.codeText = "E7";
        s.classText = std::to_string(a.classCode);
        s.reason = SkipReason::OutsideRange;
        skipped(s);
        return true;
    }
    std::array<std::uint8_t, pdb::kLabelNameSize> name{};
    pdb::storeText(name, a.text);
    if (a.text.size() > name.size() && result_.account.cutTexts++ == 0)
        firstCutText_ = a.line;
    sink_.label(converter::LabelBox(anchor.x, anchor.y), name);
    ++result_.account.labels;
    return written(a.line);
}

void GraphicPass::warnCutTexts() {
    if (result_.account.cutTexts == 0)
        return;
    prompter_.show("注記 " + count(result_.account.cutTexts) +
                       " 件の文字列がラベルの 24 バイトに収まらないため、文字の区切りで切り詰め"
                       "ました（最初は " +
                       where(fileName_, firstCutText_) + "）。",
                   "", platform::Icon::Warning, platform::Buttons::Ok);
}

}  // namespace

PassResult runGraphicPass(platform::LineSource& lines, const std::string& fileName,
                          const FrameValues& frame, GraphicSink& sink, platform::Prompter& prompter,
                          const GraphicOptions& options) {
    GraphicPass pass(lines, fileName, sink, prompter, options);
    return pass.run(frame);
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
