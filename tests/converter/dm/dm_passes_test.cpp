// The graphic and attribute passes: what each element becomes, device coordinates worked
// out by hand, overflow and degenerate elements, and the two passes agreeing on areas.
#include "converter/dm/dm_passes.h"

#include <gtest/gtest.h>

#include "dm_builder.h"
#include "platform/scripted_prompter.h"

using namespace dmtest;

namespace {

struct Recorded {
    std::vector<dm::FrameHeader> frames;
    struct Element {
        dm::GraphicElement header;
        std::vector<dm::DevicePoint> points;
    };
    std::vector<Element> elements;
    std::vector<std::string> order;  // "frame" / "element" in stream order
};

class RecordingSink : public dm::GraphicSink {
  public:
    Recorded got;
    void frameHeader(const dm::FrameHeader& h) override {
        got.frames.push_back(h);
        got.order.push_back("frame");
    }
    void element(const dm::GraphicElement& e) override {
        got.elements.push_back({e, *e.points});
        got.elements.back().header.points = nullptr;
        got.order.push_back("element");
    }
    void label(const pdb::Box&, const std::array<std::uint8_t, pdb::kLabelNameSize>&) override {
        got.order.push_back("label");
    }
};

// One graphic pass over data, recording what it writes and says.
struct GraphicRun {
    RecordingSink sink;
    platform::ScriptedPrompter prompter;
    dm::PassResult result;
    GraphicRun(const std::string& data, const dm::FrameValues& frame = {}) {
        result = dm::runGraphicPass(data, "t.dm", frame, sink, prompter);
    }
};

using Box = std::array<int, 5>;  // id or serial, left, top, width, height

Box boxOf(const dm::GraphicElement& e) {
    return {e.serial, e.left, e.top, e.width, e.height};
}

Box boxOf(const dm::AreaBox& a) {
    return {a.id, a.left, a.top, a.width, a.height};
}

// kind, class, style, serial
std::array<int, 4> kindOf(const dm::GraphicElement& e) {
    return {e.kind, e.elementClass, e.style, e.serial};
}

std::vector<std::pair<int, int>> xy(const std::vector<dm::DevicePoint>& pts) {
    std::vector<std::pair<int, int>> out;
    for (auto p : pts) out.emplace_back(p.x, p.y);
    return out;
}

// A closed square with east and north from lo to hi (first point repeated last).
std::vector<Pt> square(double lo, double hi) {
    return {{lo, lo}, {lo, hi}, {hi, hi}, {hi, lo}, {lo, lo}};
}

}  // namespace

TEST(DmGraphicPass, ElementsGetKindClassStyleAndAreaSerialNumbers) {
    // Sheet 0..1 × 0..1 in metres, unit code 999 (metres): Re = Rn = 1000, f = 1000, so
    // x = 64000 e − 32000 and y = −(64000 n − 32000).
    std::string data = file({sheet(0, 0, 1, 1, 999),
                             {group(5)},
                             lineElement("E2", 2301, {{0.5, 0.25}, {0.5, 0.5}, {0.75, 0.75}}),
                             lineElement("E1", 3001, square(0.25, 0.75)),
                             lineElement("E1", 2301, square(0.25, 0.75)),
                             lineElement("E2", 5101, {{0, 0}, {1, 1}}),
                             lineElement("E1", 3004, {{0.5, 0.5}, {0.5, 0.75}, {0.5, 0.5}})});
    GraphicRun run(data);
    ASSERT_TRUE(run.result.ok) << run.result.message;
    EXPECT_EQ(run.result.areaCount, 2);
    EXPECT_TRUE(run.prompter.calls().empty());
    std::vector<std::string> order{"frame", "element", "element", "element", "element", "element"};
    EXPECT_EQ(run.sink.got.order, order);
    const auto& el = run.sink.got.elements;

    // Kind, class, style, serial: E2 2301 a line (4) of style 80; the closed 3001 outline
    // an area (6) with serial 1 and style 32; the same outline with class 2301 stays a
    // line; 5101 a river of style 112; a 3-point closed 3004 element an area with serial 2.
    std::vector<std::array<int, 4>> kinds;
    for (const auto& e : el) kinds.push_back(kindOf(e.header));
    EXPECT_EQ(
        kinds,
        (std::vector<std::array<int, 4>>{
            {4, 23, 80, 0}, {6, 30, 32, 1}, {4, 23, 80, 0}, {4, 51, 112, 0}, {6, 30, 32, 2}}));
    // (n 0.5, e 0.25) → (−16000, 0); (0.5, 0.5) → (0, 0); (0.75, 0.75) → (16000, −16000).
    EXPECT_EQ(xy(el[0].points),
              (std::vector<std::pair<int, int>>{{-16000, 0}, {0, 0}, {16000, -16000}}));
    EXPECT_EQ(boxOf(el[0].header), (Box{0, -16000, -16000, 32000, 16000}));
    EXPECT_EQ(el[1].points.size(), 5u);
    // The sheet's corners map to (−32000, 32000) and (32000, −32000).
    EXPECT_EQ(xy(el[3].points),
              (std::vector<std::pair<int, int>>{{-32000, 32000}, {32000, -32000}}));
}

TEST(DmGraphicPass, FrameHeaderTakesSheetValuesWithoutScaling) {
    // Nmin 0, Emin 0, Nmax 1.5, Emax 2: Re 2000, Rn 1500, origins Emin = 0 and
    // Nmax = 1.5 → 2 (halves to even), not 1500.
    dm::FrameValues frame{35, 40, 123, 139, 45, 0, 35, 39, 500, 139, 46, 300};
    std::string data = file({sheet(0, 0, 1.5, 2, 1)});
    GraphicRun run(data, frame);
    ASSERT_TRUE(run.result.ok);
    ASSERT_EQ(run.sink.got.frames.size(), 1u);
    const dm::FrameHeader& h = run.sink.got.frames[0];
    EXPECT_EQ(h.originEast, 0);
    EXPECT_EQ(h.originNorth, 2);
    EXPECT_EQ(h.extentEast, 2000);
    EXPECT_EQ(h.extentNorth, 1500);
    EXPECT_EQ(h.frame, frame);
}

TEST(DmGraphicPass, UnitCodesScaleOffsetsToMillimetres) {
    // Sheet 0..2 m east, 0..1.5 m north: Re = 2000 mm, sx = 1, sy = 0.75.
    // Unit 1 (mm): e = 2000 reaches the east edge, x = 32000.
    // Unit 999 (m): e = 2 does.  Unit 10 (cm): e = 200 does.
    for (auto [unit, edge] : {std::pair{1, 2000.0}, {999, 2.0}, {10, 200.0}}) {
        std::string data = file(
            {sheet(0, 0, 1.5, 2, unit), {group(1)}, lineElement("E2", 2101, {{0, edge}, {0, 0}})});
        GraphicRun run(data);
        ASSERT_TRUE(run.result.ok);
        ASSERT_EQ(run.sink.got.elements.size(), 1u);
        // North 0 lies on the bottom edge: y = −(0 − 32000) × 0.75 = 24000.
        EXPECT_EQ(xy(run.sink.got.elements[0].points),
                  (std::vector<std::pair<int, int>>{{32000, 24000}, {-32000, 24000}}))
            << "unit " << unit;
    }
}

TEST(DmGraphicPass, ElementsOutsideGroupsAndOtherCodesWriteNothing) {
    std::string data = file({sheet(0, 0, 1, 1, 999),
                             lineElement("E1", 3001, square(0.25, 0.75)),
                             {group(1), record({{1, "E7"}, {3, "81"}}), "text of the note"}});
    GraphicRun run(data);
    ASSERT_TRUE(run.result.ok) << run.result.message;
    EXPECT_EQ(run.sink.got.order, std::vector<std::string>{"frame"});
    EXPECT_EQ(run.result.areaCount, 0);
}

TEST(DmGraphicPass, CoincidentPointsWarnOnceAndTheElementStays) {
    std::string data =
        file({sheet(0, 0, 1, 1, 999),
              {group(1)},
              lineElement("E2", 2101, {{0.25, 0.5}, {0.25, 0.5}, {0.25, 0.5}, {0.25, 0.5}})});
    GraphicRun run(data);
    ASSERT_TRUE(run.result.ok);
    ASSERT_EQ(run.prompter.calls().size(), 1u);
    EXPECT_EQ(run.prompter.calls()[0].text,
              "不正なラインストリング！(処理は続行) x=0.5 y=0.25\nt.dm 4行目");
    EXPECT_EQ(run.prompter.calls()[0].icon, platform::Icon::Warning);
    EXPECT_EQ(run.prompter.calls()[0].title, "");
    ASSERT_EQ(run.sink.got.elements.size(), 1u);
    EXPECT_EQ(run.sink.got.elements[0].points.size(), 4u);
    EXPECT_EQ(boxOf(run.sink.got.elements[0].header), (Box{0, 0, 16000, 0, 0}));
}

TEST(DmGraphicPass, OverflowDropsTheRestOfTheLineAndBothPassesStayInStep) {
    // 4 points a coordinate line. Point 2 lies outside the sheet (e = 2 → x = 96000): it and
    // points 3 and 4 of its line are dropped; points 5 and 6 on the next line are kept.
    // The outline still counts as an area: its first and last points are equal in the file.
    std::vector<Pt> outline{{0.25, 0.25}, {0.5, 2},   {0.75, 0.75},
                            {0.75, 0.25}, {0.5, 0.5}, {0.25, 0.25}};
    std::string data = file({sheet(0, 0, 1, 1, 999),
                             {group(3)},
                             lineElement("E1", 3001, outline, 3),
                             lineElement("E2", 2101, {{-1, 0.5}, {0.5, 0.5}}, 3),
                             lineElement("E1", 3002, square(0.25, 0.5), 3)});
    GraphicRun run(data);
    ASSERT_TRUE(run.result.ok) << run.result.message;
    const auto& el = run.sink.got.elements;
    std::vector<std::string> texts{"x オーバーフロー： X=96000\nt.dm 5行目（4行目の要素の第 2 点）",
                                   // n = −1 → y = −(−64000 − 32000) = 96000
                                   "y オーバーフロー：Y=96000\nt.dm 8行目（7行目の要素の第 1 点）"};
    EXPECT_EQ(run.prompter.texts(), texts);
    for (const auto& c : run.prompter.calls()) EXPECT_EQ(c.icon, platform::Icon::Critical);

    ASSERT_EQ(el.size(), 3u);
    EXPECT_EQ(el[0].header.kind, 6);
    // Kept: (0.25, 0.25) → (−16000, 16000); (0.5, 0.5) → (0, 0); (0.25, 0.25) again.
    EXPECT_EQ(xy(el[0].points),
              (std::vector<std::pair<int, int>>{{-16000, 16000}, {0, 0}, {-16000, 16000}}));
    EXPECT_EQ(boxOf(el[0].header), (Box{1, -16000, 0, 16000, 16000}));
    // Both points of the river share the rejected point's line: nothing is left of it.
    EXPECT_TRUE(el[1].points.empty());
    EXPECT_EQ(el[1].header.width, 0);
    EXPECT_EQ(el[2].header.serial, 2);

    // The attribute pass finds the same areas with the same boxes.
    std::vector<dm::AreaBox> areas;
    dm::PassResult a = dm::runAttributePass(data, "t.dm", run.result.areaCount, areas);
    ASSERT_TRUE(a.ok) << a.message;
    ASSERT_EQ(areas.size(), 2u);
    EXPECT_EQ(boxOf(areas[0]), boxOf(el[0].header));
    EXPECT_EQ(boxOf(areas[1]), boxOf(el[2].header));
}

TEST(DmAttributePass, ClosedOutlinesGiveOneBoxEachInFileOrder) {
    // Sheet 0..1 × 0..1: the square 0.25–0.75 in metres (unit code 999) and the same square
    // in millimetres (unit code 1) both give left −16000, top −16000, extents 32000.
    for (auto [unit, lo, hi] : {std::tuple{999, 0.25, 0.75}, {1, 250.0, 750.0}}) {
        std::string data =
            file({sheet(0, 0, 1, 1, unit),
                  {group(4)},
                  lineElement("E1", 3001, square(lo, hi)),
                  lineElement("E1", 3003, {{lo, lo}, {hi, hi}, {lo, lo}}),  // 3 points: an area
                  lineElement("E1", 3001, {{lo, lo}, {lo, lo}}),            // 2 points: never
                  lineElement("E1", 2301, square(lo, hi))});                // not a building
        std::vector<dm::AreaBox> areas;
        dm::PassResult r = dm::runAttributePass(data, "t.dm", 2, areas);
        ASSERT_TRUE(r.ok) << r.message;
        ASSERT_EQ(areas.size(), 2u);
        EXPECT_EQ(boxOf(areas[0]), (Box{1, -16000, -16000, 32000, 32000}));
        EXPECT_EQ(areas[1].id, 2);
    }
}

TEST(DmAttributePass, ACountThatDisagreesWithTheGraphicPassIsRefused) {
    std::string data =
        file({sheet(0, 0, 1, 1, 999), {group(1)}, lineElement("E1", 3001, square(0.25, 0.75))});
    std::vector<dm::AreaBox> areas;
    dm::PassResult more = dm::runAttributePass(data, "t.dm", 2, areas);
    EXPECT_FALSE(more.ok);
    EXPECT_EQ(
        more.message,
        "t.dm: 図形PDBの面の数 2 と属性の面の数が一致しません（DMファイルが変更された可能性があ"
        "ります）");
    dm::PassResult fewer = dm::runAttributePass(data, "t.dm", 0, areas);
    EXPECT_FALSE(fewer.ok);
    EXPECT_EQ(fewer.message.rfind("t.dm 4行目: 図形PDBの面の数 0 と", 0), 0u) << fewer.message;
}

TEST(DmFrameValues, RoundHalvesToEvenAndRefuseWhatDoesNotFit) {
    std::array<double, 12> numbers{35, 40, 12.5, 139, 45, 13.5, -0.5, 0, 0, 0, 0, 32767};
    auto out = dm::frameValuesFrom(numbers);
    ASSERT_TRUE(out);
    EXPECT_EQ((*out)[2], 12);
    EXPECT_EQ((*out)[5], 14);
    EXPECT_EQ((*out)[6], 0);
    EXPECT_EQ((*out)[11], 32767);
    numbers[9] = 40000;
    out = dm::frameValuesFrom(numbers);
    EXPECT_FALSE(out);
    EXPECT_EQ(out.error(), "枠の値 右下経度（度） が 16 ビットの範囲外です: 40000");
}

TEST(DmTransform, UnitTableStyleTableAndBoxes) {
    EXPECT_EQ(dm::unitFactor(1), 1.0);
    EXPECT_EQ(dm::unitFactor(10), 10.0);
    EXPECT_EQ(dm::unitFactor(999), 1000.0);
    for (int bad : {0, 2, 100, 1000, -1}) EXPECT_FALSE(dm::unitFactor(bad)) << bad;

    // Re = 1000, Rn = 2000: sx = 0.5, sy = 1; (north 0, east 1) with f = 1000 → (16000, 32000).
    // The origin values are the corners as they stand.
    converter::SheetTransform t = *converter::ReadExtent(0, 0, 2, 1, 1000, 1);
    EXPECT_EQ(t.sx, 0.5);
    EXPECT_EQ(t.sy, 1);
    EXPECT_EQ(converter::ToDevice(t, 0, 1).x, 16000);
    EXPECT_EQ(converter::ToDevice(t, 0, 1).y, 32000);
    EXPECT_EQ(t.originNorth, 2);

    // The codes at both ends of each run of the style table, and codes just outside.
    std::vector<int> styles;
    const int codes[] = {3001, 3004, 3005, 2301, 2306, 2307, 2309, 2310,
                         2311, 2315, 2316, 5101, 5106, 5107, 1103};
    for (int code : codes) styles.push_back(dm::styleCodeOf(code));
    EXPECT_EQ(styles, (std::vector<int>{32, 32, 0, 80, 80, 0, 80, 0, 80, 80, 0, 112, 112, 0, 0}));

    converter::BoxOf b;
    b.add(-20000, 0.5);
    b.add(20000, 1.5);
    EXPECT_EQ(b.box().left, -20000);
    EXPECT_EQ(b.box().top, 0);         // 0.5 → 0, halves to even
    EXPECT_EQ(b.box().width, -25536);  // 40000 carried as its 16-bit pattern
    EXPECT_EQ(b.box().height, 1);
    EXPECT_FALSE(b.degenerate());
}
