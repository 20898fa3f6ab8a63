// The whole DM conversion: the databases it writes byte for byte, the sample sheet end to
// end, real data, and what broken input and failed writes leave behind.
#include "converter/dm/dm2pdb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "converter/attrconv/pdb2csv.h"
#include "converter/dm/dm_attributes.h"
#include "dm_builder.h"
#include "pdbformat/graphic_stream.h"
#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/scripted_prompter.h"

using namespace dmtest;
using testsupport::Bytes;

namespace {

const platform::LocalDate kDay{2001, 12, 5};  // Palm day stamp bytes B8 33 14 00
const std::array<double, 12> kNoFrame{};

const char* const kStarted = "処理を開始します！( 1 / 3 )";
const char* const kGraphicDone = "図形PDBファイル作成処理が終了しました！( 2 / 3 )";
const char* const kAttrDone = "属性PDBファイル作成処理が完了しました！( 3 / 3 )";

struct Conversion {
    dm::Dm2PdbResult result;
    std::vector<platform::PromptCall> calls;
    std::string graphicPath;
    std::string attrPath;
};

// Writes data as folder/name and converts it into the same folder.
Conversion convert(const testsupport::TempDir& dir, const std::string& data,
                   const std::string& name = "t.dm",
                   const std::array<double, 12>& frame = kNoFrame) {
    std::string dmPath = dir.file(name);
    testsupport::writeBytes(dmPath, Bytes(data.begin(), data.end()));
    platform::ScriptedPrompter prompter;
    Conversion run;
    run.result = dm::dm2pdb(dmPath, dir.path(), frame, kDay, prompter);
    run.calls = prompter.calls();
    std::string base = name.substr(0, name.find('.'));
    run.graphicPath = dir.file(base + "_G.pdb");
    run.attrPath = dir.file(base + "_A.pdb");
    return run;
}

std::vector<std::string> textsOf(const Conversion& run) {
    std::vector<std::string> out;
    for (const auto& c : run.calls) out.push_back(c.text);
    return out;
}

// The independent reader loads the file with these record lengths.
void expectPalmLoads(const std::string& path, const std::string& name,
                     const std::vector<std::size_t>& lengths) {
    testsupport::PalmView v = testsupport::palmRead(path);
    ASSERT_TRUE(v.loaded) << path << ": " << v.error;
    EXPECT_EQ(v.name, name);
    EXPECT_EQ(v.type, "DATA");
    EXPECT_EQ(v.creator, "KWIB");
    EXPECT_EQ(v.recordLengths, lengths) << path;
}

// Both databases of a conversion load in the independent reader: the graphic one with
// records of the given lengths, the attribute one with `areas` records of 128 bytes.
void expectBothLoad(const Conversion& c, const std::string& base,
                    const std::vector<std::size_t>& graphicLengths, std::size_t areas) {
    expectPalmLoads(c.graphicPath, base + "_G", graphicLengths);
    expectPalmLoads(c.attrPath, base + "_A", std::vector<std::size_t>(areas, 128));
}

pdb::GraphicFile walk(const std::string& path) {
    Bytes bytes = testsupport::readBytes(path);
    pdb::GraphicReadResult r = pdb::ReadGraphicDatabase(bytes);
    EXPECT_TRUE(r.ok) << path << ": " << r.error;
    return r.file;
}

std::vector<pdb::FeatureAttrRec> attrRecords(const std::string& path) {
    Bytes bytes = testsupport::readBytes(path);
    pdb::FeatureAttrRecords r = pdb::readFeatureAttrRecords(bytes, path);
    EXPECT_FALSE(r.problem) << *r.problem;
    return r.records;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The box of an attribute record, to compare with an element's box.
pdb::Box boxOf(const pdb::FeatureAttrRec& r) {
    return {r.TopLeftX, r.TopLeftY, r.ExtentX, r.ExtentY};
}

// Bytes of a fixed pseudo-random sequence with no "M " at the start of any line.
std::string randomBytes(std::size_t n) {
    std::string out;
    std::uint32_t seed = 1;
    for (std::size_t i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        out += static_cast<char>(seed >> 24);
        if (out.size() >= 3 && out.compare(out.size() - 3, 3, "\nM ") == 0)
            out.back() = '!';
    }
    return out;
}

// ASCII text as UTF-16 (little-endian, with its byte-order mark).
std::string utf16(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

Bytes slice(const Bytes& b, std::size_t at, std::size_t n) {
    return Bytes(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n));
}

}  // namespace

TEST(Dm2Pdb, ALineElementIsWrittenByteForByteAndTheFileEndsAfterIt) {
    testsupport::TempDir dir;
    // Sheet 0..1 × 0..1 m, unit code 999: x = 64000 e − 32000, y = 32000 − 64000 n.
    std::string data = file({sheet(0, 0, 1, 1, 999),
                             {group(1)},
                             lineElement("E2", 2301, {{0.5, 0.25}, {0.5, 0.5}, {0.75, 0.75}})});
    Conversion run = convert(dir, data);
    ASSERT_EQ(run.result.outcome, converter::Outcome::Done) << textsOf(run).back();
    EXPECT_EQ(textsOf(run), (std::vector<std::string>{kStarted, kGraphicDone, kAttrDone}));
    for (const auto& c : run.calls) {
        EXPECT_EQ(c.title, &c == &run.calls.back() ? "attrDMPDBcreate" : "dm2pdb");
        EXPECT_EQ(c.icon, platform::Icon::Information);
    }

    Bytes g = testsupport::readBytes(run.graphicPath);
    // Estimate 16 + 4 × 4 = 32 → N = 1; stream at 80 + 8 = 88: frame header 48 bytes, then
    // the line element of 32 bytes; no zero fill after it.
    ASSERT_EQ(g.size(), 88u + 48u + 32u);
    EXPECT_EQ(slice(g, 0, 10), (Bytes{'t', '_', 'G', 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(slice(g, 32, 16), (Bytes{0x00, 0x08, 0x00, 0x00, 0xB8, 0x33, 0x14, 0x00, 0xB8, 0x33,
                                       0x14, 0x00, 0xB8, 0x33, 0x14, 0x00}));
    EXPECT_EQ(testsupport::be16(g, 76), 1);  // iRecNum
    EXPECT_EQ(slice(g, 78, 8), (Bytes{0, 0, 0, 88, 0x40, 0, 0, 1}));
    // Frame header: kind 1, class 1, length 10, a 32-bit zero, origins Emin 0, Nmax 1,
    // extents Re 1000 and Rn 1000.
    EXPECT_EQ(slice(g, 88, 24), (Bytes{1, 1, 0, 10, 0, 0, 0,    0,    0, 0, 0,    0,
                                       0, 0, 0, 1,  0, 0, 0x03, 0xE8, 0, 0, 0x03, 0xE8}));
    // The element: 04 17 00 05 50 00 00 00; box −16000 (C1 80), −16000, 32000 (7D 00),
    // 16000 (3E 80); points (−16000, 0), (0, 0), (16000, −16000); 4 fill bytes.
    EXPECT_EQ(slice(g, 136, 32),
              (Bytes{0x04, 0x17, 0x00, 0x05, 0x50, 0x00, 0x00, 0x00, 0xC1, 0x80, 0xC1,
                     0x80, 0x7D, 0x00, 0x3E, 0x80, 0xC1, 0x80, 0x00, 0x00, 0x00, 0x00,
                     0x00, 0x00, 0x3E, 0x80, 0xC1, 0x80, 0x00, 0x00, 0x00, 0x00}));
    expectPalmLoads(run.graphicPath, "t_G", {80});
    // No closed areas: the attribute database is 80 bytes, header, empty list and gap.
    EXPECT_EQ(testsupport::readBytes(run.attrPath).size(), 80u);
    expectPalmLoads(run.attrPath, "t_A", {});
}

TEST(Dm2Pdb, RecordCountFollowsTheEstimateAndTheStream) {
    testsupport::TempDir dir;
    // 5 and 8 points: estimate 88 → N 1; the stream is 48 + 40 + 48 = 136 bytes.
    Conversion small = convert(dir,
                               file({sheet(0, 0, 1, 1, 999),
                                     {group(2)},
                                     lineElement("E1", 2301, std::vector<Pt>(5, Pt{0.1, 0.1})),
                                     lineElement("E2", 2301, std::vector<Pt>(8, Pt{0.1, 0.2}))}),
                               "small.dm");
    EXPECT_EQ(small.result.estimatedRecords, 1u);
    EXPECT_EQ(small.result.graphicRecords, 1u);
    EXPECT_EQ(testsupport::readBytes(small.graphicPath).size(), 88u + 136u);
    expectBothLoad(small, "small", {136}, 0);

    // No "E1"/"E2": the estimate gives N 0, enlarged to 1 so that the frame header lies in
    // a record: header, one list entry (88), gap, the 48-byte frame header.
    Conversion none = convert(dir, file({sheet(0, 0, 1, 1, 999)}), "none.dm");
    EXPECT_EQ(none.result.estimatedRecords, 0u);
    EXPECT_EQ(none.result.graphicRecords, 1u);
    Bytes g = testsupport::readBytes(none.graphicPath);
    ASSERT_EQ(g.size(), 136u);
    EXPECT_EQ(testsupport::be32(g, 78), 88u);
    EXPECT_EQ(g[88], 1);
    expectBothLoad(none, "none", {48}, 0);

    // Eight elements of 28 points fill the estimate exactly (8 × 128 = 1024 → N 1); the
    // frame header pushes the stream to 1072 bytes, so N grows to 2: records of 1024 and 48.
    std::vector<std::vector<std::string>> parts{sheet(0, 0, 1, 1, 999), {group(8)}};
    for (int i = 0; i < 8; ++i)
        parts.push_back(lineElement("E2", 2101, std::vector<Pt>(28, Pt{0.5, 0.5})));
    Conversion grown = convert(dir, file(parts), "grown.dm");
    EXPECT_EQ(grown.result.estimatedRecords, 1u);
    EXPECT_EQ(grown.result.graphicRecords, 2u);
    Bytes gg = testsupport::readBytes(grown.graphicPath);
    ASSERT_EQ(gg.size(), 96u + 1072u);
    EXPECT_EQ(testsupport::be32(gg, 78), 96u);
    EXPECT_EQ(testsupport::be32(gg, 86), 96u + 1024u);
    expectBothLoad(grown, "grown", {1024, 48}, 0);
    EXPECT_EQ(walk(grown.graphicPath).elements.size(), 9u);

    // Thirty 8-point "E1" records outside any group: estimate 30 × 48 = 1440 → N 2, but they
    // write nothing; the stream is the frame header alone, so the file has one record.
    parts = {sheet(0, 0, 1, 1, 999)};
    for (int i = 0; i < 30; ++i)
        parts.push_back(lineElement("E1", 2101, std::vector<Pt>(8, Pt{0.5, 0.5})));
    Conversion loose = convert(dir, file(parts), "loose.dm");
    EXPECT_EQ(loose.result.estimatedRecords, 2u);
    EXPECT_EQ(loose.result.graphicRecords, 1u);
    expectBothLoad(loose, "loose", {48}, 0);
}

TEST(Dm2Pdb, AreasGetMatchingAttributeRecords) {
    testsupport::TempDir dir;
    // The closed square 0.25–0.75 on the sheet 0..1 × 0..1 with unit code 999: area box and
    // record box −16000, −16000, 32000, 32000.
    std::vector<Pt> square{{0.25, 0.25}, {0.25, 0.75}, {0.75, 0.75}, {0.75, 0.25}, {0.25, 0.25}};
    std::vector<Pt> small{{0.5, 0.5}, {0.5, 0.625}, {0.625, 0.625}, {0.5, 0.5}};
    Conversion run = convert(dir,
                             file({sheet(0, 0, 1, 1, 999),
                                   {group(3)},
                                   lineElement("E1", 3001, square),
                                   lineElement("E1", 2301, square),
                                   lineElement("E2", 3002, small)}),
                             "areas.dm", {33, 14, 300, 131, 36, 0, 33, 13, 905, 131, 36, 125});
    ASSERT_EQ(run.result.outcome, converter::Outcome::Done);
    EXPECT_EQ(run.result.areaCount, 2);

    pdb::GraphicFile g = walk(run.graphicPath);
    ASSERT_EQ(g.elements.size(), 4u);
    auto frame = pdb::DecodeFrameBody(g.elements[0]);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->frameValues,
              (std::array<std::int16_t, 12>{33, 14, 300, 131, 36, 0, 33, 13, 905, 131, 36, 125}));
    EXPECT_EQ(g.elements[1].header, (pdb::ElementHeader{6, 30, 7, 32, 1}));
    EXPECT_EQ(g.elements[2].header, (pdb::ElementHeader{4, 23, 7, 80, 0}));
    EXPECT_EQ(g.elements[3].header, (pdb::ElementHeader{6, 30, 6, 32, 2}));

    std::vector<pdb::FeatureAttrRec> recs = attrRecords(run.attrPath);
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(boxOf(recs[0]), (pdb::Box{-16000, -16000, 32000, 32000}));
    // The small outline: x 0 to 8000, y −8000 to 0.
    EXPECT_EQ(recs[1].ID, 2u);
    EXPECT_EQ(boxOf(recs[1]), (pdb::Box{0, -8000, 8000, 8000}));

    Bytes a = testsupport::readBytes(run.attrPath);
    // 80 + 8 × 2 + 128 × 2, records at 96 and 224.
    ASSERT_EQ(a.size(), 352u);
    EXPECT_EQ(slice(a, 78, 16), (Bytes{0, 0, 0, 96, 0x40, 0, 0, 1, 0, 0, 0, 224, 0x40, 0, 0, 2}));
    // ID 1, StatusCode 3, SymbolCode 0, UserData 0, the box, X and Y 0.
    EXPECT_EQ(slice(a, 96, 24), (Bytes{0,    0,    0,    1,    3, 0, 0, 0, 0xC1, 0x80, 0xC1, 0x80,
                                       0x7D, 0x00, 0x7D, 0x00, 0, 0, 0, 0, 0,    0,    0,    0}));
    // Text1: 自動算出代表点 in Shift-JIS, then 18 zero bytes; all else zero.
    Bytes text1{0x8E, 0xA9, 0x93, 0xAE, 0x8E, 0x5A, 0x8F, 0x6F, 0x91, 0xE3, 0x95, 0x5C, 0x93, 0x5F};
    text1.resize(32, 0);
    EXPECT_EQ(slice(a, 120, 32), text1);
    EXPECT_EQ(slice(a, 152, 72), Bytes(72, 0));
    expectBothLoad(run, "areas", {48 + 40 + 40 + 32}, 2);

    // pdb2csv prints k,3,0,0, the box, 0,0, the text, an empty field and zeros.
    EXPECT_EQ(converter::formatAttrCsvLine(recs[0]),
              platform::toCp932(
                  "1,3,0,0,-16000,-16000,32000,32000,0,0,自動算出代表点,,0,0,0,0,0,0,0,0,0,"));
}

TEST(Dm2Pdb, OverflowKeepsTheGraphicDatabaseWalkable) {
    testsupport::TempDir dir;
    std::vector<Pt> outline{{0.25, 0.25}, {0.5, 2},   {0.75, 0.75},
                            {0.75, 0.25}, {0.5, 0.5}, {0.25, 0.25}};
    Conversion run = convert(dir, file({sheet(0, 0, 1, 1, 999),
                                        {group(2)},
                                        lineElement("E1", 3001, outline, 3),
                                        lineElement("E2", 2101, {{0.5, 0.5}, {0.5, 0.75}}, 3)}));
    ASSERT_EQ(run.result.outcome, converter::Outcome::Done);
    EXPECT_EQ(textsOf(run),
              (std::vector<std::string>{
                  kStarted, "x オーバーフロー： X=96000\nt.dm 5行目（4行目の要素の第 2 点）",
                  kGraphicDone, kAttrDone}));
    pdb::GraphicFile g = walk(run.graphicPath);
    ASSERT_EQ(g.elements.size(), 3u);
    // Three points kept: body length 5, then 4 fill bytes; the next element follows.
    EXPECT_EQ(g.elements[1].header, (pdb::ElementHeader{6, 30, 5, 32, 1}));
    EXPECT_EQ(g.elements[1].fillBytes, 4u);
    auto body = pdb::DecodePointBody(g.elements[1]);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->box, (pdb::Box{-16000, 0, 16000, 16000}));
    EXPECT_EQ(g.elements[2].header.kind, 4);
    std::vector<pdb::FeatureAttrRec> recs = attrRecords(run.attrPath);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(boxOf(recs[0]), body->box);
    expectBothLoad(run, "t", {48 + 32 + 24}, 1);
}

TEST(Dm2Pdb, OneFrameHeaderPerSheetRecordWhereItStands) {
    testsupport::TempDir dir;
    Conversion run = convert(dir, file({sheet(0, 0, 1, 1, 999),
                                        {group(1)},
                                        lineElement("E2", 2101, {{0.5, 0.5}, {0.5, 0.75}}),
                                        sheet(0, 0, 2, 2, 999),
                                        {group(1)},
                                        lineElement("E2", 2101, {{0.5, 0.5}, {0.5, 0.75}})}));
    ASSERT_EQ(run.result.outcome, converter::Outcome::Done);
    pdb::GraphicFile g = walk(run.graphicPath);
    ASSERT_EQ(g.elements.size(), 4u);
    EXPECT_EQ(g.elements[2].header.kind, 1);
    EXPECT_EQ(pdb::DecodeFrameBody(g.elements[2])->extentEast, 2000);
    // The second element uses the second sheet: e 0.5 of 2 m → x = −16000.
    EXPECT_EQ(pdb::DecodePointBody(g.elements[3])->points[0].first, -16000);
    EXPECT_EQ(pdb::DecodePointBody(g.elements[1])->points[0].first, 0);
    expectBothLoad(run, "t", {48 + 24 + 48 + 24}, 0);
}

TEST(Dm2Pdb, TheSampleSheetConvertsEndToEnd) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter prompter;
    dm::Dm2PdbResult r =
        dm::dm2pdb(KWIB_SOURCE_DIR "/samples/dm/sample.dm", dir.path(), kNoFrame, kDay, prompter);
    ASSERT_EQ(r.outcome, converter::Outcome::Done) << prompter.texts().back();
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{kStarted, kGraphicDone, kAttrDone}));
    EXPECT_EQ(r.areaCount, 4);
    pdb::GraphicFile g = walk(dir.file("sample_G.pdb"));
    std::vector<pdb::FeatureAttrRec> recs = attrRecords(dir.file("sample_A.pdb"));
    ASSERT_EQ(recs.size(), 4u);
    // Frame, five building elements (four closed), two roads, the railway, the river.
    ASSERT_EQ(g.elements.size(), 10u);
    std::vector<int> kinds;
    std::size_t area = 0;
    for (const auto& e : g.elements) {
        kinds.push_back(e.header.kind);
        if (e.header.kind != 6)
            continue;
        auto body = pdb::DecodePointBody(e);
        ASSERT_TRUE(body);
        ASSERT_LT(area, recs.size());
        EXPECT_EQ(recs[area].ID, static_cast<std::uint32_t>(e.header.serial));
        EXPECT_EQ(boxOf(recs[area]), body->box);
        ++area;
    }
    EXPECT_EQ(kinds, (std::vector<int>{1, 6, 6, 6, 6, 4, 4, 4, 4, 4}));
    std::vector<int> styles;
    for (std::size_t i = 5; i < 10; ++i) styles.push_back(g.elements[i].header.style);
    EXPECT_EQ(styles, (std::vector<int>{32, 0, 0, 80, 112}));

    // Sheet E 44000–44400 m, N 7500–7800 m in millimetres: Re 400000, Rn 300000, sx 1,
    // sy 0.75, so x = 0.16 e − 32000 and y = 24000 − 0.16 n. The four buildings:
    //   e 50000–62500,   n 100000–112500 → x −24000…−22000, y 8000…6000
    //   e 120000–140000, n 150000–165000 → x −12800…−9600,  y 0…−2400
    //   e 200000–250000, n 50000–75000   → x 0…8000,        y 16000…12000
    //   e 300000–312500, n 200000–225000 → x 16000…18000,   y −8000…−12000
    std::string expected =
        "1,3,0,0,-24000,6000,2000,2000,0,0,自動算出代表点,,0,0,0,0,0,0,0,0,0,\r\n"
        "2,3,0,0,-12800,-2400,3200,2400,0,0,自動算出代表点,,0,0,0,0,0,0,0,0,0,\r\n"
        "3,3,0,0,0,12000,8000,4000,0,0,自動算出代表点,,0,0,0,0,0,0,0,0,0,\r\n"
        "4,3,0,0,16000,-12000,2000,4000,0,0,自動算出代表点,,0,0,0,0,0,0,0,0,0,\r\n";
    EXPECT_EQ(converter::formatAttrCsv(recs), platform::toCp932(expected));
    Bytes gb = testsupport::readBytes(dir.file("sample_G.pdb"));
    expectPalmLoads(dir.file("sample_G.pdb"), "sample_G", {gb.size() - 88});
    expectPalmLoads(dir.file("sample_A.pdb"), "sample_A", {128, 128, 128, 128});
}

TEST(Dm2Pdb, BrokenInputGivesItsMessageAndWritesNothing) {
    struct Case {
        const char* what;
        std::string data;
        std::string message;
    };
    std::vector<Case> cases{
        {"wrong unit code",
         file({sheet(0, 0, 1, 1, 5), {group(1)}, lineElement("E2", 2101, {{0.5, 0.5}})}),
         "座標値の単位の値が間違っています！\nt.dm 2行目 45-47桁（座標値の単位）: 「  5」（1, 10, "
         "999 のどれか）"},
        {"short line", file({sheet(0, 0, 1, 1, 1), {group(1), "E7"}}),
         "t.dm 4行目が短すぎます: 3-4桁（分類コード上位）がありません（行の長さ 2 バイト）"},
        {"non-numeric point count in the estimate",
         file({sheet(0, 0, 1, 1, 1),
               {group(1), record({{1, "E2"}, {3, "2101"}, {21, "2"}, {28, "abcd"}})}}),
         "t.dm 4行目 28-31桁（点数）が数値ではありません: 「abcd」"},
        {"group before the sheet", file({{group(0)}, sheet(0, 0, 1, 1, 1)}),
         "t.dm 1行目: 「M 」レコードより前に要素グループ（「H 」レコード）があります"},
        {"missing second sheet line", file({{sheet(0, 0, 1, 1, 1)[0]}}),
         "t.dm: 1行目の「M 」レコードの2行目がありません（ファイルの終わり）"},
        {"count past the end",
         file({sheet(0, 0, 1, 1, 1), {group(2)}, lineElement("E2", 2101, {{1, 1}, {2, 2}})}),
         "t.dm: 5行目でファイルが終わっています。3行目の「H 」レコードの要素 2 個のうち 1 "
         "個しかありません"},
        // Files that are not DM files at all: no "M " record.
        {"empty file", "",
         "「t.dm」はDMファイルではありません（「M 」レコードがありません。"
         "ファイルが空です）。何も作成しませんでした。"},
        {"random bytes", randomBytes(20000),
         "「t.dm」はDMファイルではありません（「M "
         "」レコードがありません）。何も作成しませんでした。"},
        {"UTF-16 text of a DM file", utf16(file({sheet(0, 0, 1, 1, 1), {group(0)}})),
         "「t.dm」はDMファイルではありません（「M "
         "」レコードがありません）。何も作成しませんでした。"},
        {"no line end in the first megabyte", std::string(1 << 20, 'M'),
         "t.dm 1行目が長すぎます（1048575 バイトを超えています）。DMファイルではないようです。"},
    };
    const Bytes earlier{'o', 'l', 'd'};
    for (const Case& c : cases) {
        testsupport::TempDir dir;
        testsupport::writeBytes(dir.file("t_G.pdb"), earlier);
        testsupport::writeBytes(dir.file("t_A.pdb"), earlier);
        Conversion run = convert(dir, c.data);
        EXPECT_EQ(run.result.outcome, converter::Outcome::Failed) << c.what;
        ASSERT_EQ(run.calls.size(), 2u) << c.what;
        EXPECT_EQ(run.calls[0].text, kStarted);
        EXPECT_EQ(run.calls[1].text, c.message) << c.what;
        EXPECT_EQ(run.calls[1].icon, platform::Icon::Critical);
        EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"t.dm", "t_A.pdb", "t_G.pdb"}))
            << c.what;
        EXPECT_EQ(testsupport::readBytes(run.graphicPath), earlier) << c.what;
        EXPECT_EQ(testsupport::readBytes(run.attrPath), earlier) << c.what;
    }
}

TEST(Dm2Pdb, AWrongUnitCodeInALaterSheetKeepsWhatCameBeforeIt) {
    testsupport::TempDir dir;
    std::vector<Pt> square{{0.25, 0.25}, {0.25, 0.75}, {0.75, 0.75}, {0.75, 0.25}, {0.25, 0.25}};
    // Lines 1-2 sheet, 3 group, 4-5 the area, 6-7 a road; lines 8-9 the second sheet.
    Conversion run = convert(dir, file({sheet(0, 0, 1, 1, 999),
                                        {group(2)},
                                        lineElement("E1", 3001, square),
                                        lineElement("E2", 2101, {{0.5, 0.5}, {0.5, 0.75}}),
                                        sheet(0, 0, 2, 2, 7),
                                        {group(1)},
                                        lineElement("E1", 3001, square)}));
    EXPECT_EQ(run.result.outcome, converter::Outcome::Done);
    EXPECT_EQ(textsOf(run), (std::vector<std::string>{
                                kStarted,
                                "座標値の単位の値が間違っています！\nt.dm 9行目 45-47桁（座標値の"
                                "単位）: 「  7」（1, 10, 999 のどれか）",
                                kGraphicDone, kAttrDone}));
    EXPECT_EQ(run.calls[1].icon, platform::Icon::Critical);
    EXPECT_EQ(run.result.areaCount, 1);
    pdb::GraphicFile g = walk(run.graphicPath);
    ASSERT_EQ(g.elements.size(), 3u);  // the frame header, the area and the road
    EXPECT_EQ(g.elements[1].header, (pdb::ElementHeader{6, 30, 7, 32, 1}));
    EXPECT_EQ(g.elements[2].header.kind, 4);
    std::vector<pdb::FeatureAttrRec> recs = attrRecords(run.attrPath);
    ASSERT_EQ(recs.size(), 1u);
    EXPECT_EQ(boxOf(recs[0]), (pdb::Box{-16000, -16000, 32000, 32000}));
    expectBothLoad(run, "t", {48 + 40 + 24}, 1);
}

TEST(Dm2Pdb, MissingInputsAndFailedWritesLeaveEarlierFilesAlone) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter prompter;
    EXPECT_EQ(dm::dm2pdb("", dir.path(), kNoFrame, kDay, prompter).outcome,
              converter::Outcome::Failed);
    EXPECT_EQ(dm::dm2pdb("x.dm", "", kNoFrame, kDay, prompter).outcome, converter::Outcome::Failed);
    EXPECT_EQ(dm::dm2pdb(dir.file("absent.dm"), dir.path(), kNoFrame, kDay, prompter).outcome,
              converter::Outcome::Failed);
    std::array<double, 12> badFrame{};
    badFrame[0] = 70000;
    EXPECT_EQ(dm::dm2pdb(dir.file("absent.dm"), dir.path(), badFrame, kDay, prompter).outcome,
              converter::Outcome::Failed);
    // A name that gives no single-byte database name, before the run starts.
    std::string japanese = dir.file("調査.dm");
    testsupport::writeBytes(japanese, Bytes{'M', ' '});
    EXPECT_EQ(dm::dm2pdb(japanese, dir.path(), kNoFrame, kDay, prompter).outcome,
              converter::Outcome::Failed);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{
                  "DMファイルを指定して下さい！", "PDBファイルのディレクトリを指定して下さい！",
                  kStarted, "DMファイル「" + dir.file("absent.dm") + "」がありません。",
                  "枠の値 左上緯度（度） が 16 ビットの範囲外です: 70000",
                  "「" + japanese +
                      "」は変換できません。ファイル名から作るデータベース名「調査」に、1 バイトで"
                      "表せない文字「調」があります。データベース名は半角文字だけで作ります。半角"
                      "英数字のファイル名（例: data1.dm）に変えてから変換してください。何も作成し"
                      "ませんでした。"}));
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"調査.dm"});
    std::filesystem::remove(japanese);

    // An earlier graphic database survives a failed write, and no attribute stage follows.
    std::string good =
        file({sheet(0, 0, 1, 1, 999),
              {group(1)},
              lineElement("E1", 3001, {{0.25, 0.25}, {0.25, 0.75}, {0.75, 0.75}, {0.25, 0.25}})});
    testsupport::writeBytes(dir.file("t_G.pdb"), Bytes{1, 2, 3});
    platform::testing::WriteFaults faults(10);
    Conversion failed = convert(dir, good);
    faults.end();
    EXPECT_EQ(failed.result.outcome, converter::Outcome::Failed);
    ASSERT_EQ(failed.calls.size(), 2u);
    EXPECT_EQ(failed.calls[1].text.rfind(
                  "図形PDBファイル「" + dir.file("t_G.pdb") + "」を書き込めません（", 0),
              0u)
        << failed.calls[1].text;
    EXPECT_NE(failed.calls[1].text.find("以前のファイルはそのまま残っています。"),
              std::string::npos);
    EXPECT_EQ(testsupport::readBytes(dir.file("t_G.pdb")), (Bytes{1, 2, 3}));
    EXPECT_FALSE(testsupport::exists(dir.file("t_A.pdb")));

    // The pair is replaced together: a failed write of the attribute database, the last
    // output, keeps the earlier graphic database too, and leaves no temporary file.
    testsupport::TempDir sized;
    std::size_t graphicSize = testsupport::readBytes(convert(sized, good).graphicPath).size();
    testsupport::writeBytes(dir.file("t_A.pdb"), Bytes{4, 5, 6});
    platform::testing::WriteFaults faults2(graphicSize + 10);
    Conversion late = convert(dir, good);
    faults2.end();
    EXPECT_EQ(late.result.outcome, converter::Outcome::Failed);
    EXPECT_EQ(
        textsOf(late).back().rfind("ファイル「" + dir.file("t_A.pdb") + "」を書き込めません（", 0),
        0u)
        << textsOf(late).back();
    EXPECT_EQ(testsupport::readBytes(dir.file("t_G.pdb")), (Bytes{1, 2, 3}));
    EXPECT_EQ(testsupport::readBytes(dir.file("t_A.pdb")), (Bytes{4, 5, 6}));
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"t.dm", "t_A.pdb", "t_G.pdb"}));

    // A folder that does not exist, not to be made: asked before the first box, nothing made.
    platform::ScriptedPrompter p2;
    p2.answerNext(platform::Answer::No);
    std::string dmPath = dir.file("t.dm");
    dm::Dm2PdbResult r = dm::dm2pdb(dmPath, dir.file("no-such-folder"), kNoFrame, kDay, p2);
    EXPECT_EQ(r.outcome, converter::Outcome::Failed);
    EXPECT_EQ(p2.texts(),
              (std::vector<std::string>{"PDBファイルのディレクトリ「" + dir.file("no-such-folder") +
                                        "」がありません。作成しますか？"}));
    EXPECT_FALSE(testsupport::exists(dir.file("no-such-folder")));
}

TEST(Dm2Pdb, AttributeStageRefusesACountThatDoesNotMatchTheFile) {
    testsupport::TempDir dir;
    std::string data =
        file({sheet(0, 0, 1, 1, 999),
              {group(1)},
              lineElement("E1", 3001, {{0.25, 0.25}, {0.25, 0.75}, {0.75, 0.75}, {0.25, 0.25}})});
    testsupport::writeBytes(dir.file("t.dm"), Bytes(data.begin(), data.end()));
    platform::ScriptedPrompter prompter;
    EXPECT_EQ(dm::attrDMPDBcreate(dir.path(), "t_A", 2, dir.file("t.dm"), kDay, prompter),
              converter::Outcome::Failed);
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].title, "attrDMPDBcreate");
    EXPECT_EQ(prompter.calls()[0].icon, platform::Icon::Critical);
    EXPECT_FALSE(testsupport::exists(dir.file("t_A.pdb")));
}

TEST(Dm2PdbRealData, CompleteExcerptConvertsWithoutAnyMessageButTheStages) {
    std::string path = realDmFile(kCompleteExcerpt);
    if (path.empty())
        GTEST_SKIP() << "shared real DM data not found beside the checkout";
    testsupport::TempDir dir;
    platform::ScriptedPrompter prompter;
    dm::Dm2PdbResult r = dm::dm2pdb(path, dir.path(), kNoFrame, kDay, prompter);
    ASSERT_EQ(r.outcome, converter::Outcome::Done) << prompter.texts().back();
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{kStarted, kGraphicDone, kAttrDone}));
    std::string gpath = dir.file("02JF711_lines0001-0025+35425-35437_G.pdb");
    pdb::GraphicFile g = walk(gpath);
    ASSERT_EQ(g.elements.size(), 2u);  // frame header and the E2 1103 boundary line
    auto body = pdb::DecodePointBody(g.elements[1]);
    ASSERT_TRUE(body);
    ASSERT_EQ(body->points.size(), 83u);
    // Sheet N 7500–9000 m, E 44000–46000 m, unit code 1 (mm): Re = 2 000 000,
    // Rn = 1 500 000, sx = 1, sy = 0.75.
    //   point 1 (n 352340, e 0): x = −32000;
    //     y = −(352340 / 1.5e6 × 64000 − 32000) × 0.75 = −(15033.173 − 32000) × 0.75 = 12725.12
    //   point 2 (n 344310, e 8440): x = 8440 / 2e6 × 64000 − 32000 = 270.08 − 32000 = −31729.92;
    //     y = −(14690.56 − 32000) × 0.75 = 12982.08
    //   point 83 (n 1041880, e 2000000): x = 32000;
    //     y = −(44453.547 − 32000) × 0.75 = −9340.16
    EXPECT_EQ(body->points[0], (std::pair<std::int16_t, std::int16_t>{-32000, 12725}));
    EXPECT_EQ(body->points[1], (std::pair<std::int16_t, std::int16_t>{-31730, 12982}));
    EXPECT_EQ(body->points[82], (std::pair<std::int16_t, std::int16_t>{32000, -9340}));
    // 48 + 8 + 8 + 4 × 83 + 4 fill = 400 bytes of stream in one record.
    // The database names are cut to 31 bytes, which here drops the "_G" and "_A".
    expectPalmLoads(gpath, "02JF711_lines0001-0025+35425-35", {400});
    expectPalmLoads(dir.file("02JF711_lines0001-0025+35425-35437_A.pdb"),
                    "02JF711_lines0001-0025+35425-35", {});
}

TEST(Dm2PdbRealData, TruncatedExcerptEndsWithTheLineWhereTheFileRanOut) {
    std::string path = realDmFile(kTruncatedExcerpt);
    if (path.empty())
        GTEST_SKIP() << "shared real DM data not found beside the checkout";
    testsupport::TempDir dir;
    platform::ScriptedPrompter prompter;
    dm::Dm2PdbResult r = dm::dm2pdb(path, dir.path(), kNoFrame, kDay, prompter);
    EXPECT_EQ(r.outcome, converter::Outcome::Failed);
    EXPECT_EQ(prompter.texts(),
              (std::vector<std::string>{kStarted,
                                        std::string(kTruncatedExcerpt) +
                                            ": 54行目でファイルが終わっています。26行目の「H "
                                            "」レコードの要素 192 個のうち 3 個しかありません"}));
    EXPECT_TRUE(filesIn(dir.path()).empty());
}
