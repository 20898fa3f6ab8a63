#include <gtest/gtest.h>

#include "pdbformat/graphic_map.h"
#include "pdbformat/graphic_stream.h"
#include "platform/files.h"
#include "platform/local_date.h"
#include "support/test_support.h"

namespace {

using testsupport::be16;
using testsupport::be32;
using testsupport::Bytes;
using testsupport::TempDir;

std::array<std::uint8_t, 32> nameField(const std::string& text) {
    std::array<std::uint8_t, 32> f{};
    for (std::size_t i = 0; i < text.size() && i < 32; ++i) f[i] = std::uint8_t(text[i]);
    return f;
}

// A frame header element: kind 1, class 1, body length 10, a 40-byte body of given bytes.
void appendFrame(pdb::GraphicDatabase& g) {
    g.AppendElement({pdb::kKindFrame, 1, pdb::kFrameBodyLength, 0, 0});
    g.AppendBE32(1000);
    g.AppendBE32(2000);
    g.AppendBE32(3000);
    g.AppendBE32(4000);
    for (int i = 0; i < 12; ++i) g.AppendBE16(std::uint16_t(i + 1));
}

void appendArea(pdb::GraphicDatabase& g, int points, std::int16_t serial) {
    auto at = g.BeginPointElement(pdb::kKindArea, 1, 32, serial);
    for (int i = 0; i < points; ++i) g.AppendPoint(std::int16_t(i * 10), std::int16_t(-i * 10));
    g.EndPointElement(at, {0, std::int16_t(-(points - 1) * 10), std::int16_t((points - 1) * 10),
                           std::int16_t((points - 1) * 10)});
}

// A database held in memory only (never finished to a file).
pdb::GraphicDatabase scratch(std::size_t records = 1) {
    pdb::GraphicDatabase g;
    g.BeginGraphicDatabase("unused", nameField("x"), 0, records);
    return g;
}

Bytes slice(const Bytes& b, std::size_t at, std::size_t n) {
    return Bytes(b.begin() + long(at), b.begin() + long(at + n));
}

Bytes encode(const pdb::GraphicDatabase& g) {
    auto file = g.EncodeGraphicDatabase();
    EXPECT_TRUE(file) << file.error();
    return file ? *file : Bytes{};
}

// The elements of g as the reader walks them (the test fails when it does not walk).
std::vector<pdb::GraphicElement> walk(const pdb::GraphicDatabase& g) {
    auto read = pdb::ReadGraphicDatabase(encode(g));
    EXPECT_TRUE(read.ok) << read.error;
    return read.file.elements;
}

void expectPalmReads(const std::string& path, std::size_t records) {
    testsupport::PalmView view = testsupport::palmRead(path);
    ASSERT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.recordLengths, std::vector<std::size_t>(records, 1024));
    EXPECT_EQ(view.type, "DATA");
    EXPECT_EQ(view.creator, "KWIB");
    EXPECT_EQ(view.version, 0);
}

TEST(GraphicRecordCount, RoundsTheEstimateUpToWholeRecords) {
    for (auto [estimate, records] :
         {std::pair<std::size_t, std::size_t>{24, 1}, {1024, 1}, {1025, 2}, {3072, 3}, {3073, 4}})
        EXPECT_EQ(pdb::GraphicRecordCount(estimate), records) << estimate;
}

TEST(GraphicDatabaseLayout, ThreeRecordsAndAnElementAcrossARecordBoundary) {
    TempDir dir;
    pdb::GraphicDatabase g;
    g.BeginGraphicDatabase(dir.file("g.pdb"), nameField("g"), 0, 3);
    appendFrame(g);
    // 48 bytes of frame, then areas of 4 points (32 bytes each): the 31st area spans
    // stream bytes 1008..1039 and so crosses from record 1 into record 2.
    for (int i = 1; i <= 40; ++i) appendArea(g, 4, std::int16_t(i));
    platform::Status finished = g.FinishGraphicDatabase();
    ASSERT_TRUE(finished) << finished.error();
    Bytes b = testsupport::readBytes(dir.file("g.pdb"));
    ASSERT_EQ(b.size(), 3176u);
    EXPECT_EQ(slice(b, 78, 24), (Bytes{0,    0, 0, 104, 0x40, 0, 0,    1,    0,    0, 0x04, 0x68,
                                       0x40, 0, 0, 2,   0,    0, 0x08, 0x68, 0x40, 0, 0,    3}));
    auto read = pdb::ReadGraphicDatabase(b);
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.file.elements.size(), 41u);
    const auto& straddling = read.file.elements[31];
    EXPECT_EQ(straddling.offset, 48u + 30 * 32);
    EXPECT_EQ(straddling.header.serial, 31);
    auto body = pdb::DecodePointBody(straddling);
    ASSERT_TRUE(body);
    EXPECT_EQ(body->points.size(), 4u);
    EXPECT_EQ(body->points[3], std::make_pair(std::int16_t(30), std::int16_t(-30)));
    EXPECT_EQ(read.file.trailingZeroBytes, 3072u - 48 - 40 * 32);
    expectPalmReads(dir.file("g.pdb"), 3);
    // The viewer places an element of the second record (stream 1040) in the file.
    auto map = pdb::ReadGraphicMap(dir.file("g.pdb"));
    ASSERT_TRUE(map) << map.error();
    EXPECT_EQ(map->elements[32].fileOffset, 0x468u + (48 + 31 * 32 - 1024));
}

TEST(GraphicElements, AreaOfThreePointsIsFilledAndOfFourIsNot) {
    pdb::GraphicDatabase g = scratch();
    appendArea(g, 3, 1);
    EXPECT_EQ(g.position(), 32u);  // 8 + 20 + 4 fill
    appendArea(g, 4, 2);
    EXPECT_EQ(g.position(), 64u);  // 8 + 24, no fill
    // kind 6, class 1, length 5, style 32, serial 1; box (0, -20, 20, 20);
    // points (0,0) (10,-10) (20,-20); four zero fill bytes
    EXPECT_EQ(slice(g.stream(), 0, 32),
              (Bytes{6, 1, 0, 5, 32, 0,  0,    1,    0, 0,  0xFF, 0xEC, 0, 20, 0, 20,
                     0, 0, 0, 0, 0,  10, 0xFF, 0xF6, 0, 20, 0xFF, 0xEC, 0, 0,  0, 0}));
    // the second: length 6 and serial 2, no fill
    EXPECT_EQ(slice(g.stream(), 32, 8), (Bytes{6, 1, 0, 6, 32, 0, 0, 2}));
}

TEST(GraphicElements, LabelIsFortyBytes) {
    pdb::GraphicDatabase g = scratch();
    g.AppendElement({pdb::kKindLabel, 10, pdb::kLabelBodyLength, 0, 0});
    auto box = g.AppendZeroBox();
    std::string name = "\x82\xA0\x82\xA2";  // two double-byte characters
    name.resize(pdb::kLabelNameSize, '\0');
    g.AppendBytes(name.data(), name.size());
    g.AppendFill();
    g.PatchBox(box, {-200, 100, 400, 400});
    EXPECT_EQ(g.position(), 40u);
    auto elements = walk(g);
    ASSERT_EQ(elements.size(), 1u);
    auto label = pdb::DecodeLabelBody(elements[0]);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->box, (pdb::Box{-200, 100, 400, 400}));
    EXPECT_EQ(label->name, "\x82\xA0\x82\xA2");
}

TEST(GraphicElements, ElementsEndedEarlyOrAbandonedLeaveAWalkableStream) {
    // An element announced for more points but ended early stays walkable: the body
    // length counts what was written and the fill follows it.
    pdb::GraphicDatabase g = scratch();
    auto at = g.BeginPointElement(pdb::kKindLine, 4, 112, 0);
    g.AppendPoint(1, 2);
    EXPECT_EQ(g.pointCount(at), 1u);
    g.EndPointElement(at, {1, 2, 0, 0});
    appendArea(g, 2, 7);
    // Rewind drops an abandoned element.
    auto abandoned = g.BeginPointElement(pdb::kKindArea, 1, 32, 2);
    g.AppendPoint(5, 5);
    g.Rewind(abandoned);
    EXPECT_EQ(g.position(), 48u);
    appendArea(g, 4, 3);
    auto elements = walk(g);
    ASSERT_EQ(elements.size(), 3u);
    EXPECT_EQ(elements[0].header, (pdb::ElementHeader{4, 4, 3, 112, 0}));
    EXPECT_EQ(elements[0].fillBytes, 4u);
    EXPECT_EQ(elements[1].offset, 24u);
    EXPECT_EQ(elements[1].header.serial, 7);
    EXPECT_EQ(elements[2].offset, 48u);
    EXPECT_EQ(elements[2].header.serial, 3);
}

TEST(GraphicDatabaseLayout, RecordCountGrowsWhenTheEstimateFallsShort) {
    TempDir dir;
    pdb::GraphicDatabase g;
    g.BeginGraphicDatabase(dir.file("short.pdb"), nameField("short"), 0, 1);
    appendFrame(g);
    for (int i = 1; i <= 100; ++i) appendArea(g, 4, std::int16_t(i));  // 48 + 3200 bytes
    EXPECT_EQ(g.recordCount(), 4u);
    platform::Status finished = g.FinishGraphicDatabase();
    ASSERT_TRUE(finished) << finished.error();
    Bytes b = testsupport::readBytes(dir.file("short.pdb"));
    ASSERT_EQ(b.size(), 80u + 8 * 4 + 1024 * 4);
    EXPECT_EQ(be16(b, 76), 4);
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(be32(b, 78 + 8 * k), 112u + 1024 * k);
        EXPECT_EQ(b[85 + 8 * k], k + 1);
    }
    auto read = pdb::ReadGraphicDatabase(b);
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.file.elements.size(), 101u);
    expectPalmReads(dir.file("short.pdb"), 4);
}

TEST(GraphicDatabaseLayout, RefusesMoreThan32767Records) {
    pdb::GraphicDatabase g = scratch(32768);
    auto file = g.EncodeGraphicDatabase();
    EXPECT_FALSE(file);
    EXPECT_NE(file.error().find("32767"), std::string::npos) << file.error();
}

TEST(GraphicDatabaseWrite, FailedWriteKeepsTheEarlierFile) {
    TempDir dir;
    std::string path = dir.file("keep_G.pdb");
    testsupport::writeBytes(path, Bytes{1, 2, 3});
    pdb::GraphicDatabase g;
    g.BeginGraphicDatabase(path, nameField("keep_G"), 0, 1);
    appendFrame(g);
    platform::testing::WriteFaults faults(100);
    platform::Status finished = g.FinishGraphicDatabase();
    faults.end();
    EXPECT_FALSE(finished);
    EXPECT_NE(finished.error().find("keep_G.pdb"), std::string::npos) << finished.error();
    EXPECT_EQ(testsupport::readBytes(path), (Bytes{1, 2, 3}));
}

TEST(GraphicReader, ReportsAnElementRunningPastTheStream) {
    pdb::GraphicDatabase g = scratch();
    appendFrame(g);
    auto at = g.position();
    appendArea(g, 4, 1);
    g.PatchBodyLength(at, 300);  // 1200 bytes of body cannot fit in 1024 - 48
    auto read = pdb::ReadGraphicDatabase(encode(g));
    EXPECT_FALSE(read.ok);
    EXPECT_NE(read.error.find("オフセット 48"), std::string::npos) << read.error;
    EXPECT_EQ(read.file.elements.size(), 1u);
}

TEST(GraphicReader, ReportsBrokenContainers) {
    EXPECT_FALSE(pdb::ReadGraphicDatabase(Bytes(50, 0)).ok);
    pdb::GraphicDatabase g = scratch(2);
    appendFrame(g);
    Bytes b = encode(g);
    // a record position beyond the end of the file
    Bytes bad = b;
    bad[86 + 2] = 0x7F;
    auto read = pdb::ReadGraphicDatabase(bad);
    EXPECT_FALSE(read.ok);
    EXPECT_NE(read.error.find("レコード 2"), std::string::npos) << read.error;
    // non-zero bytes where the fill of an odd-length element belongs
    pdb::GraphicDatabase h = scratch();
    appendArea(h, 3, 1);
    Bytes c = encode(h);
    c[88 + 29] = 1;
    EXPECT_FALSE(pdb::ReadGraphicDatabase(c).ok);
    // an element of kind 0 followed by data is not fill
    Bytes d = encode(h);
    d[88 + 40] = 5;
    EXPECT_FALSE(pdb::ReadGraphicDatabase(d).ok);
}

}  // namespace
