#include <cstring>
#include <functional>

#include <gtest/gtest.h>

#include "pdbformat/feature_attr_rec.h"
#include "pdbformat/pdb_image.h"
#include "pdbformat/text_field.h"
#include "support/test_support.h"

namespace {

using testsupport::be16;
using testsupport::be32;
using testsupport::Bytes;
using testsupport::TempDir;

constexpr std::size_t kDesign = 41138;
constexpr std::size_t kAttr = 636;

// A design with every kind at its capacity and distinct values in every slot.
pdb::DispRec fullDesign() {
    pdb::DispRec d;
    d.counts = pdb::kCapacities;
    for (std::size_t s = 0; s < pdb::kSlotCount; ++s) {
        d.slots[s].labelX = std::uint16_t(7 * s + 1);
        d.slots[s].objectY = std::int16_t(-std::int16_t(s));
    }
    return d;
}

// An image of the given kind holding designs with codes "D0", "D1", ... and attribute records.
pdb::PdbImage makeImage(const char* name, std::size_t designs, std::size_t attrs) {
    pdb::PdbImage image;
    pdb::MakeNewImage(image);
    pdb::setDatabaseName(image.header, name);
    image.designs.assign(designs + 1, pdb::DispRec{});
    for (std::size_t i = 0; i < designs; ++i) {
        image.designs[i] = fullDesign();
        pdb::setFieldText(image.designs[i].code, "D" + std::to_string(i));
    }
    image.attrRecs.assign(attrs + 1, pdb::AttrRec{});
    for (std::size_t i = 0; i < attrs; ++i) image.attrRecs[i].ID = std::int32_t(1000 + i);
    image.listHeader.iRecNum = std::uint16_t(name == std::string("Master") ? designs : attrs + 1);
    return image;
}

void expectPalmReads(const std::string& path, const std::vector<std::size_t>& lengths) {
    testsupport::PalmView view = testsupport::palmRead(path);
    ASSERT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.recordLengths, lengths);
    EXPECT_EQ(view.type, "DATA");
    EXPECT_EQ(view.creator, "KWIB");
}

TEST(ContainerLayout, MasterDatabaseOfThreeDesigns) {
    TempDir dir;
    pdb::PdbImage image = makeImage("Master", 3, 0);
    ASSERT_TRUE(pdb::WriteDatabase(image, dir.file("m.pdb")).ok());
    Bytes b = testsupport::readBytes(dir.file("m.pdb"));
    EXPECT_EQ(b.size(), 123518u);
    EXPECT_EQ(be16(b, 76), 3);
    EXPECT_EQ(be32(b, 78), 104u);
    EXPECT_EQ(be32(b, 86), 41242u);
    EXPECT_EQ(be32(b, 94), 82380u);
    EXPECT_EQ(be32(b, 72), 0u);  // NextRecList
    // record attributes and unique IDs are zero, the gap is zero
    for (std::size_t at : {82u, 83u, 84u, 85u, 102u, 103u}) EXPECT_EQ(b[at], 0) << at;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[82380]), 2), "D2");
    expectPalmReads(dir.file("m.pdb"), {kDesign, kDesign, kDesign});
}

TEST(ContainerLayout, AttributeDatabaseOfFourRecords) {
    TempDir dir;
    pdb::PdbImage image = makeImage("survey", 1, 3);
    ASSERT_TRUE(pdb::WriteDatabase(image, dir.file("a.pdb")).ok());
    Bytes b = testsupport::readBytes(dir.file("a.pdb"));
    EXPECT_EQ(b.size(), 43158u);
    EXPECT_EQ(be32(b, 78), 112u);
    EXPECT_EQ(be32(b, 86), 41250u);
    EXPECT_EQ(be32(b, 94), 41886u);
    EXPECT_EQ(be32(b, 102), 42522u);
    EXPECT_EQ(be32(b, 41250), 1000u);  // ID of the first attribute record
    EXPECT_EQ(be32(b, 42522), 1002u);
    expectPalmReads(dir.file("a.pdb"), {kDesign, kAttr, kAttr, kAttr});
}

TEST(ContainerLayout, FreshDefaultDatabaseAndEmptyDatabase) {
    TempDir dir;
    pdb::PdbImage image;
    pdb::setDatabaseName(image.header, "Default");
    EXPECT_EQ(*pdb::LoadDatabase(image, dir.file("none.pdb")), pdb::LoadStatus::NewImage);
    ASSERT_TRUE(pdb::WriteDatabase(image, dir.file("d.pdb")).ok());
    Bytes b = testsupport::readBytes(dir.file("d.pdb"));
    ASSERT_EQ(b.size(), 88u + kDesign);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()), 8), std::string("Default\0", 8));
    EXPECT_EQ(be16(b, 32), 0);    // attributes
    EXPECT_EQ(be16(b, 34), 100);  // version
    for (std::size_t at = 36; at < 60; at += 4) EXPECT_EQ(be32(b, at), 0u) << at;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[60]), 8), "DATAKWIB");
    EXPECT_EQ(be16(b, 76), 1);
    EXPECT_EQ(be32(b, 78), 88u);
    expectPalmReads(dir.file("d.pdb"), {kDesign});

    pdb::PdbImage empty = makeImage("Master", 0, 0);
    ASSERT_TRUE(pdb::WriteDatabase(empty, dir.file("e.pdb")).ok());
    EXPECT_EQ(testsupport::readBytes(dir.file("e.pdb")).size(), 80u);
    // An empty attribute database reads back holding no record of either kind.
    pdb::PdbImage emptyAttr = makeImage("survey", 0, 0);
    emptyAttr.listHeader.iRecNum = 0;
    ASSERT_TRUE(pdb::WriteDatabase(emptyAttr, dir.file("a.pdb")).ok());
    pdb::PdbImage loaded = makeImage("Master", 1, 1);
    ASSERT_EQ(*pdb::LoadDatabase(loaded, dir.file("a.pdb")), pdb::LoadStatus::Loaded);
    EXPECT_EQ(loaded.heldDesigns(), 0u);
    EXPECT_EQ(loaded.heldAttrRecs(), 0u);
}

TEST(ContainerLayout, KindsAreToldApartByTheExactName) {
    EXPECT_EQ(pdb::kindOfName("Master"), pdb::DatabaseKind::Master);
    EXPECT_EQ(pdb::kindOfName("master"), pdb::DatabaseKind::Attribute);
    EXPECT_EQ(pdb::kindOfName("Default"), pdb::DatabaseKind::Default);
    EXPECT_EQ(pdb::kindOfName("Default "), pdb::DatabaseKind::Attribute);

    // A file named "master" loads as an attribute database: one design, the rest attributes.
    TempDir dir;
    pdb::PdbImage image = makeImage("master", 1, 2);
    ASSERT_TRUE(pdb::WriteDatabase(image, dir.file("x.pdb")).ok());
    pdb::PdbImage loaded;
    ASSERT_TRUE(pdb::LoadDatabase(loaded, dir.file("x.pdb")).ok());
    EXPECT_EQ(loaded.heldDesigns(), 1u);
    EXPECT_EQ(loaded.heldAttrRecs(), 2u);
}

TEST(ContainerRoundTrip, ReadingThenWritingChangesNoByte) {
    TempDir dir;
    for (const char* name : {"Master", "survey", "Default"}) {
        pdb::PdbImage image = makeImage(name, name[0] == 'M' ? 2 : 1, name[0] == 's' ? 2 : 0);
        image.header.creationDate = 0x12345678;
        image.header.modificationNumber = 7;
        image.header.uniqueIdSeed = 0xA0B0C0D0;
        image.designs[0].slots[5].objectY = -3;
        image.designs[0].titles[2][0] = 'T';
        ASSERT_TRUE(pdb::WriteDatabase(image, dir.file("first.pdb")).ok());
        pdb::PdbImage loaded;
        ASSERT_EQ(*pdb::LoadDatabase(loaded, dir.file("first.pdb")), pdb::LoadStatus::Loaded);
        EXPECT_EQ(loaded.designs[0], image.designs[0]);
        ASSERT_TRUE(pdb::WriteDatabase(loaded, dir.file("second.pdb")).ok());
        EXPECT_EQ(testsupport::readBytes(dir.file("first.pdb")),
                  testsupport::readBytes(dir.file("second.pdb")))
            << name;
    }
}

TEST(ContainerRoundTrip, WritingRecomputesOnlyTheListAndNextRecList) {
    TempDir dir;
    pdb::PdbImage image = makeImage("Master", 2, 0);
    ASSERT_TRUE(pdb::WriteDatabase(image, dir.file("a.pdb")).ok());
    Bytes b = testsupport::readBytes(dir.file("a.pdb"));
    // A file from another tool: NextRecList set, list entries with attributes and IDs.
    b[75] = 9;
    b[82] = 0x40;
    b[85] = 5;
    b[90] = 0x40;
    b[93] = 6;
    testsupport::writeBytes(dir.file("b.pdb"), b);
    pdb::PdbImage loaded;
    ASSERT_TRUE(pdb::LoadDatabase(loaded, dir.file("b.pdb")).ok());
    EXPECT_EQ(loaded.listHeader.NextRecList, 9u);
    EXPECT_EQ(loaded.recList[0].attributes, 0x40);
    EXPECT_EQ(loaded.recList[1].uniqueId, 6u);
    ASSERT_TRUE(pdb::WriteDatabase(loaded, dir.file("c.pdb")).ok());
    EXPECT_EQ(testsupport::readBytes(dir.file("c.pdb")), testsupport::readBytes(dir.file("a.pdb")));
}

TEST(ContainerRoundTrip, SlotsPastTheCountedOnesAreCarriedAsTheyStand) {
    pdb::DispRec d;
    d.counts = {2, 0, 0, 0, 0, 0, 1, 1, 0, 0};  // 4 converted slots
    d.slots[3].labelX = 0x0102;
    d.slots[4].labelX = 0x0102;
    std::vector<std::uint8_t> bytes(kDesign);
    pdb::SwapDispRec(d, bytes.data());
    const std::size_t slot3 = 306 + 176 * 3 + 34, slot4 = 306 + 176 * 4 + 34;
    EXPECT_EQ(bytes[slot3], 0x01);  // big-endian
    EXPECT_EQ(bytes[slot3 + 1], 0x02);
    EXPECT_EQ(bytes[slot4], 0x02);  // unconverted
    EXPECT_EQ(bytes[slot4 + 1], 0x01);
    pdb::DispRec back;
    pdb::SwapDispRec(bytes.data(), back);
    EXPECT_EQ(back, d);
}

TEST(AttributeRecord, FieldsAreBigEndianAtTheirOffsets) {
    pdb::AttrRec r;
    r.ID = 1000;
    r.StatusCode = -1;
    r.UserData = -2;
    r.X = -5;
    r.Cmb[0] = 255;
    r.Int[29] = 0x01020304;
    r.Real[0] = 1.5f;
    std::string s31(31, 'x');
    std::memcpy(r.Str[0].data(), s31.c_str(), 32);
    std::memcpy(r.Str[1].data(), "next", 5);
    std::vector<std::uint8_t> b(kAttr);
    pdb::SwapAttrRec(r, b.data());
    EXPECT_EQ(be32(b, 0), 0x000003E8u);
    EXPECT_EQ(b[4], 0xFF);
    EXPECT_EQ(be16(b, 6), 0xFFFE);
    EXPECT_EQ(be32(b, 16), 0xFFFFFFFBu);
    EXPECT_EQ(b[24], 0xFF);
    EXPECT_EQ(be32(b, 76 + 4 * 29), 0x01020304u);
    EXPECT_EQ(be32(b, 196), 0x3FC00000u);
    EXPECT_EQ(b[316 + 30], 'x');
    EXPECT_EQ(b[316 + 31], 0);  // terminator in the last byte of a 31-byte value
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[348]), 4), "next");

    pdb::AttrRec back;
    pdb::SwapAttrRec(b.data(), back);
    EXPECT_EQ(back.StatusCode, -1);
    EXPECT_EQ(back.Cmb[0], 255);
    EXPECT_EQ(back.Real[0], 1.5f);
    EXPECT_TRUE(pdb::sameBytes(back, r));
}

class BadDatabases : public ::testing::Test {
  protected:
    // Writes bytes, tries to load them into an image that already holds something, and
    // checks the refusal left that image alone.
    platform::Result<pdb::LoadStatus> load(const Bytes& bytes) {
        testsupport::writeBytes(dir.file("bad.pdb"), bytes);
        image = makeImage("Master", 1, 0);
        platform::Result<pdb::LoadStatus> r = pdb::LoadDatabase(image, dir.file("bad.pdb"));
        if (!r.ok()) {
            EXPECT_EQ(pdb::fieldText(image.designs[0].code), "D0");
        }
        return r;
    }
    Bytes goodMaster(std::size_t designs) {
        pdb::PdbImage m = makeImage("Master", designs, 0);
        return pdb::EncodeDatabase(m);
    }
    TempDir dir;
    pdb::PdbImage image;
};

// Each file is refused with a message naming it and what disagrees; the image keeps
// what it held.
TEST_F(BadDatabases, AHeaderThatDisagreesWithTheFileIsRefused) {
    const Bytes master2 = goodMaster(2);  // 96 + 2 designs = 82372 bytes
    pdb::PdbImage a = makeImage("survey", 1, 2);
    const Bytes attr3 = pdb::EncodeDatabase(a);  // 104 + design + 2 × 636 = 42514 bytes
    auto edit = [](Bytes b, const std::function<void(Bytes&)>& change) {
        change(b);
        return b;
    };
    auto setCount = [](Bytes& b, std::uint8_t n) {
        b[76] = 0;
        b[77] = n;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        std::string message;  // after the quoted path
    };
    const Case cases[] = {
        {"shorter than the header", Bytes(77, 0),
         "はPDBファイルではありません（77 バイト。ヘッダーには 78 バイト必要です）。"},
        {"master cut short", edit(master2, [](Bytes& b) { b.pop_back(); }),
         "は途中で切れています（レコード数 2 には 82372 バイト必要ですが、82371 "
         "バイトしかありません）。"},
        // The header counts no design while two follow: a store would drop them.
        {"master counting 0 of its designs", edit(master2, [&](Bytes& b) { setCount(b, 0); }),
         "はヘッダーのレコード数と長さが合いません（レコード数 0 なら 80 "
         "バイトのはずですが、82372 バイトあります）。"},
        {"master with bytes after its last design", edit(master2, [](Bytes& b) { b.push_back(0); }),
         "はヘッダーのレコード数と長さが合いません（レコード数 2 なら 82372 "
         "バイトのはずですが、82373 バイトあります）。"},
        {"attribute database counting fewer records",
         edit(attr3, [&](Bytes& b) { setCount(b, 2); }),
         "はヘッダーのレコード数と長さが合いません（レコード数 2 なら 41870 "
         "バイトのはずですが、42514 バイトあります）。"},
        {"attribute database counting more records", edit(attr3, [&](Bytes& b) { setCount(b, 4); }),
         "は途中で切れています（レコード数 4 には 43158 バイト必要ですが、42514 "
         "バイトしかありません）。"},
        {"default database without its other designs",
         edit(master2,
              [](Bytes& b) {
                  std::memcpy(b.data(), "Default\0", 8);
                  b.resize(96 + kDesign);
              }),
         "は途中で切れています（レコード数 2 には 82372 バイト必要ですが、41234 "
         "バイトしかありません）。"},
        {"record list placing a design elsewhere", edit(master2, [](Bytes& b) { b[89] += 4; }),
         "のレコードリストが合いません（レコード 1 の位置が 41238 ですが、レコード数 "
         "2 なら 41234 のはずです）。"},
        {"counts above the capacities",
         edit(master2, [](Bytes& b) { b[96 + kDesign + 32 + 4] = 9; }),  // c4 of design 1
         "のレコード 1 のオブジェクト数(状態遷移ボタン) が 9 で、上限 8 "
         "を超えています。"},
    };
    for (const Case& c : cases) {
        platform::Result<pdb::LoadStatus> r = load(c.bytes);
        EXPECT_FALSE(r) << c.name;
        EXPECT_EQ(r.error(), "「" + dir.file("bad.pdb") + "」" + c.message) << c.name;
    }
}

TEST_F(BadDatabases, ADefaultFileWithMoreRecordsLoadsOnlyItsFirst) {
    Bytes b = goodMaster(3);
    std::memcpy(b.data(), "Default\0", 8);
    platform::Result<pdb::LoadStatus> r = load(b);
    ASSERT_TRUE(r) << r.error();
    ASSERT_EQ(*r, pdb::LoadStatus::Loaded);
    EXPECT_EQ(image.heldDesigns(), 1u);
    EXPECT_EQ(image.recordsNotLoaded, 2u);
    EXPECT_EQ(pdb::fieldText(image.designs[0].code), "D0");
    // Written back, it holds one record only: never more than the image holds.
    EXPECT_EQ(pdb::EncodeDatabase(image).size(), 88u + kDesign);
}

TEST(ContainerWrites, AFailedWriteKeepsTheEarlierFile) {
    TempDir dir;
    pdb::PdbImage image = makeImage("Master", 2, 0);
    ASSERT_TRUE(pdb::WriteDatabase(image, dir.file("m.pdb")).ok());
    Bytes before = testsupport::readBytes(dir.file("m.pdb"));
    image.designs[0].titles[0][0] = 'Z';
    platform::testing::WriteFaults faults(50000);
    platform::Status r = pdb::WriteDatabase(image, dir.file("m.pdb"));
    faults.end();
    EXPECT_FALSE(r);
    EXPECT_EQ(r.error().rfind("ファイルの書込みに失敗しました。", 0), 0u);
    EXPECT_EQ(testsupport::readBytes(dir.file("m.pdb")), before);

    platform::Status noDir = pdb::WriteDatabase(image, dir.file("missing/m.pdb"));
    EXPECT_FALSE(noDir);
    EXPECT_EQ(noDir.error().rfind("ファイルが開けません。", 0), 0u);
    EXPECT_NE(noDir.error().find("missing/m.pdb"), std::string::npos);
}

TEST(FeatureAttrRecText, ZeroPaddedNeverSplitAndReadToTheFirstZero) {
    auto bytesOf = [](const auto& c) { return Bytes(c.begin(), c.end()); };
    auto padded = [](Bytes b, std::size_t size) {
        b.resize(size, 0);
        return b;
    };
    std::array<std::uint8_t, 32> t{};
    t.fill(0xEE);
    EXPECT_EQ(pdb::storeText(t, "abc  "), 3u);  // 61 62 63 and 29 zero bytes
    EXPECT_EQ(bytesOf(t), padded({0x61, 0x62, 0x63}, 32));
    // 31 bytes then あ (82 A0) would end at byte 33: あ is left out whole.
    EXPECT_EQ(pdb::storeText(t, std::string(31, 'y') + "\x82\xA0"), 31u);
    std::array<std::uint8_t, 4> s{};
    pdb::storeText(s, "a\x81\x40 ");  // a full-width blank is text
    EXPECT_EQ(bytesOf(s), (Bytes{0x61, 0x81, 0x40, 0x00}));

    EXPECT_EQ(pdb::storedText(Bytes{0x61, 0x82, 0x00}), "a");  // lead byte without trail
    EXPECT_EQ(pdb::storedText(Bytes{0x61, 0x62, 0x82}), "ab");
}

TEST(FeatureAttrRecText, PalmDayStamp) {
    // Seconds since 1904-01-01; the 2001 examples are checked in the written bytes by csv2pdb.
    EXPECT_EQ(pdb::palmDayStamp({1904, 1, 2}), 86400u);
}

}  // namespace
