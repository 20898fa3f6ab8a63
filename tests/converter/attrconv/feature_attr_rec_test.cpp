// FeatureAttrRec's byte layout, the Palm day stamp, the database name field and the
// converter attribute database writer.
#include "converter/attrconv/feature_attr_rec.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace {

using converter::FeatureAttrRec;
using testsupport::be16;
using testsupport::be32;
using Bytes = std::vector<std::uint8_t>;

Bytes slice(const Bytes& b, std::size_t at, std::size_t len) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(at),
                 b.begin() + static_cast<std::ptrdiff_t>(at + len));
}

Bytes encode(const FeatureAttrRec& r) {
    Bytes out(128, 0xEE);
    converter::encodeFeatureAttrRec(r, std::span<std::uint8_t, 128>(out.data(), 128));
    return out;
}

TEST(FeatureAttrRecLayout, EveryFieldAtItsOffsetBigEndian) {
    FeatureAttrRec r;
    r.ID = 0x01020304;
    r.StatusCode = 0x05;
    r.SymbolCode = 0x06;
    r.UserData = 0x0708;
    r.TopLeftX = 0x090A;
    r.TopLeftY = -2;  // FF FE
    r.ExtentX = 0x0D0E;
    r.ExtentY = -32768;  // 80 00
    r.X = 0x11121314;
    r.Y = -1;  // FF FF FF FF
    r.Text1.fill(0x41);
    r.Text2.fill(0x42);
    r.Value1 = 0x4D4E;
    r.Value2 = 0xFFFF;
    r.Flag1 = 0x51;
    r.Flag2 = 0x52;
    r.Flag3 = 0x53;
    r.Flag4 = 0x54;
    r.Flag5 = 0x55;
    r.Flag6 = 0x56;
    r.Value3 = 0x5758;
    r.Text3.fill(0x43);
    Bytes b = encode(r);
    EXPECT_EQ(slice(b, 0, 24),
              (Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0xFF, 0xFE,
                     0x0D, 0x0E, 0x80, 0x00, 0x11, 0x12, 0x13, 0x14, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(slice(b, 24, 32), Bytes(32, 0x41));
    EXPECT_EQ(slice(b, 56, 20), Bytes(20, 0x42));
    EXPECT_EQ(slice(b, 76, 12),
              (Bytes{0x4D, 0x4E, 0xFF, 0xFF, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58}));
    EXPECT_EQ(slice(b, 88, 40), Bytes(40, 0x43));

    FeatureAttrRec back =
        converter::decodeFeatureAttrRec(std::span<const std::uint8_t, 128>(b.data(), 128));
    EXPECT_EQ(back, r);
}

TEST(FeatureAttrRecText, StoredZeroPaddedAndNeverSplit) {
    std::array<std::uint8_t, 32> t{};
    t.fill(0xEE);
    EXPECT_EQ(converter::storeText(t, "abc  "), 3u);
    Bytes expected{0x61, 0x62, 0x63};
    expected.resize(32, 0);
    EXPECT_EQ(Bytes(t.begin(), t.end()), expected);

    // A text that fills the field keeps no terminator.
    EXPECT_EQ(converter::storeText(t, std::string(32, 'x')), 32u);
    EXPECT_EQ(Bytes(t.begin(), t.end()), Bytes(32, 'x'));

    // 31 single bytes then あ (82 A0): the double-byte character would end at byte 33,
    // so it is left out whole.
    std::string cut = std::string(31, 'y') + "\x82\xA0";
    EXPECT_EQ(converter::storeText(t, cut), 31u);
    EXPECT_EQ(t[30], 'y');
    EXPECT_EQ(t[31], 0);

    // A full-width blank (81 40) is text, not padding.
    std::array<std::uint8_t, 4> s{};
    converter::storeText(s, "a\x81\x40 ");
    EXPECT_EQ(Bytes(s.begin(), s.end()), (Bytes{0x61, 0x81, 0x40, 0x00}));
}

TEST(FeatureAttrRecText, FieldTextStopsAtTheFirstZero) {
    Bytes f{0x61, 0x62, 0x63, 0x00, 0x78};
    EXPECT_EQ(converter::fieldText(f), "abc");
    Bytes full(32, 'z');
    EXPECT_EQ(converter::fieldText(full), std::string(32, 'z'));
    // A lead byte whose trail byte is missing is not printed half.
    Bytes dangling{0x61, 0x82, 0x00};
    EXPECT_EQ(converter::fieldText(dangling), "a");
    Bytes atEnd{0x61, 0x62, 0x82};
    EXPECT_EQ(converter::fieldText(atEnd), "ab");
    Bytes kanji{0x82, 0xA0, 0x41, 0x00};
    EXPECT_EQ(converter::fieldText(kanji), "\x82\xA0\x41");
}

TEST(PalmDayStamp, DaysSince1904TimesSeconds) {
    // 2001-04-01 is 35520 days after 1904-01-01: 35520 × 86400 = 3068928000 = 0xB6EC2000.
    EXPECT_EQ(converter::palmDayStamp({2001, 4, 1}), 0xB6EC2000u);
    // 2001-12-05 is 248 days later: 35768 × 86400 = 3090355200 = 0xB8331400.
    EXPECT_EQ(converter::palmDayStamp({2001, 12, 5}), 0xB8331400u);
    EXPECT_EQ(converter::palmDayStamp({1904, 1, 1}), 0u);
    EXPECT_EQ(converter::palmDayStamp({1904, 1, 2}), 86400u);
}

TEST(DatabaseName, BaseNameOfAPath) {
    EXPECT_EQ(converter::baseNameOf("/data/a.b.pdb"), "a");
    EXPECT_EQ(converter::baseNameOf("/data/list.pdb"), "list");
    EXPECT_EQ(converter::baseNameOf("/pdb/53394525_A.pdb"), "53394525_A");
    EXPECT_EQ(converter::baseNameOf("list.pdb"), "list");
    EXPECT_EQ(converter::baseNameOf("/a.dir/x"), "x");
}

TEST(DatabaseName, OneBytePerCharacterWithTerminator) {
    platform::ScriptedPrompter p;
    auto field = converter::databaseNameField("my data", p);
    Bytes expected{'m', 'y', 0, 'd', 'a', 't', 'a'};
    expected.resize(32, 0);
    EXPECT_EQ(Bytes(field.begin(), field.end()), expected);

    // 32 characters are cut to 31 so the field keeps its terminator.
    std::string longName = "abcdefghijklmnopqrstuvwxyz012345";
    ASSERT_EQ(longName.size(), 32u);
    field = converter::databaseNameField(longName, p);
    EXPECT_EQ(Bytes(field.begin(), field.begin() + 31),
              Bytes(longName.begin(), longName.end() - 1));
    EXPECT_EQ(field[31], 0);
    EXPECT_TRUE(p.calls().empty());

    // A double-byte character cannot be stored: the byteConv report, the name keeps the
    // characters before it.
    field = converter::databaseNameField("ab建物", p);
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_EQ(p.calls()[0].text, "エラー：byteConv");
    EXPECT_EQ(p.calls()[0].title, "byteConv");
    expected = {'a', 'b'};
    expected.resize(32, 0);
    EXPECT_EQ(Bytes(field.begin(), field.end()), expected);
}

// Reads the file back with Palm::PDB and checks the container by hand.
void expectConverterDatabase(const std::string& path, std::size_t n, std::uint32_t stamp) {
    Bytes b = testsupport::readBytes(path);
    ASSERT_EQ(b.size(), 80 + 8 * n + 128 * n);
    EXPECT_EQ(be16(b, 32), 8);
    EXPECT_EQ(be16(b, 34), 0);
    EXPECT_EQ(be32(b, 36), stamp);
    EXPECT_EQ(be32(b, 40), stamp);
    EXPECT_EQ(be32(b, 44), stamp);
    EXPECT_EQ(be32(b, 48), 0u);
    EXPECT_EQ(be32(b, 52), 0u);
    EXPECT_EQ(be32(b, 56), 0u);
    EXPECT_EQ(slice(b, 60, 8), (Bytes{'D', 'A', 'T', 'A', 'K', 'W', 'I', 'B'}));
    EXPECT_EQ(be32(b, 68), 0u);
    EXPECT_EQ(be32(b, 72), 0u);
    EXPECT_EQ(be16(b, 76), n);
    for (std::size_t k = 0; k < n; ++k) {
        EXPECT_EQ(be32(b, 78 + 8 * k), 80 + 8 * n + 128 * k);
        EXPECT_EQ(b[78 + 8 * k + 4], 0x40);
        EXPECT_EQ(slice(b, 78 + 8 * k + 5, 3), (Bytes{0, 0, static_cast<std::uint8_t>(k + 1)}));
    }
    EXPECT_EQ(be16(b, 78 + 8 * n), 0);
    testsupport::PalmView view = testsupport::palmRead(path);
    ASSERT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.type, "DATA");
    EXPECT_EQ(view.creator, "KWIB");
    EXPECT_EQ(view.recordLengths, std::vector<std::size_t>(n, 128));
}

TEST(WriteFeatureAttrDatabase, ThreeRecordsGive488Bytes) {
    testsupport::TempDir dir;
    std::vector<FeatureAttrRec> recs(3);
    recs[0].ID = 1;
    recs[1].ID = 2;
    recs[2].ID = 0xFFFFFFFF;
    converter::storeText(recs[2].Text3, "end");
    platform::ScriptedPrompter p;
    std::string path = dir.file("list.pdb");
    ASSERT_TRUE(converter::writeFeatureAttrDatabase(path, recs, {2001, 4, 1}, p, "csv2pdb"));
    EXPECT_TRUE(p.calls().empty());
    expectConverterDatabase(path, 3, 0xB6EC2000u);
    Bytes b = testsupport::readBytes(path);
    EXPECT_EQ(slice(b, 0, 5), (Bytes{'l', 'i', 's', 't', 0}));
    EXPECT_EQ(slice(b, 36, 4), (Bytes{0xB6, 0xEC, 0x20, 0x00}));
    EXPECT_EQ(be32(b, 104), 1u);
    EXPECT_EQ(be32(b, 232), 2u);
    EXPECT_EQ(be32(b, 360), 0xFFFFFFFFu);
    EXPECT_EQ(slice(b, 360 + 88, 4), (Bytes{'e', 'n', 'd', 0}));
    EXPECT_EQ(testsupport::palmRead(path).name, "list");
}

TEST(WriteFeatureAttrDatabase, NoRecordsGive80Bytes) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
    std::string path = dir.file("empty.pdb");
    ASSERT_TRUE(converter::writeFeatureAttrDatabase(path, {}, {2001, 12, 5}, p));
    expectConverterDatabase(path, 0, 0xB8331400u);
}

TEST(WriteFeatureAttrDatabase, FailuresLeaveTheEarlierFile) {
    testsupport::TempDir dir;
    std::string path = dir.file("keep.pdb");
    Bytes earlier{1, 2, 3};
    testsupport::writeBytes(path, earlier);
    platform::ScriptedPrompter p;

    platform::testing::failWritesAfter(100);
    EXPECT_FALSE(converter::writeFeatureAttrDatabase(path, std::vector<FeatureAttrRec>(3),
                                                     {2001, 4, 1}, p, "attrPDBcreate"));
    platform::testing::failWritesAfter(std::nullopt);
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_EQ(p.calls()[0].title, "attrPDBcreate");
    EXPECT_EQ(p.calls()[0].icon, platform::Icon::Critical);
    EXPECT_NE(p.calls()[0].text.find(path), std::string::npos);
    EXPECT_NE(p.calls()[0].text.find("以前のファイルはそのまま残っています"), std::string::npos);
    EXPECT_EQ(testsupport::readBytes(path), earlier);

    // More records than iRecNum can count.
    p.clear();
    EXPECT_FALSE(converter::writeFeatureAttrDatabase(path, std::vector<FeatureAttrRec>(32768),
                                                     {2001, 4, 1}, p, "csv2pdb"));
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_NE(p.calls()[0].text.find("32768 件"), std::string::npos);
    EXPECT_EQ(testsupport::readBytes(path), earlier);

    // A folder that does not exist: the file cannot be created.
    p.clear();
    std::string missing = dir.file("no-such-folder") + "/a.pdb";
    EXPECT_FALSE(converter::writeFeatureAttrDatabase(missing, {}, {2001, 4, 1}, p));
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_NE(p.calls()[0].text.find("を作成できません"), std::string::npos);
    EXPECT_EQ(p.calls()[0].text.find("以前のファイル"), std::string::npos);
    EXPECT_FALSE(testsupport::exists(missing));
}

TEST(WriteFeatureAttrDatabase, LargestCountIsReadBack) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
    std::string path = dir.file("big.pdb");
    ASSERT_TRUE(converter::writeFeatureAttrDatabase(path, std::vector<FeatureAttrRec>(32767),
                                                    {2001, 4, 1}, p));
    Bytes b = testsupport::readBytes(path);
    ASSERT_EQ(b.size(), 80 + 8 * 32767 + 128 * 32767);
    EXPECT_EQ(be16(b, 76), 32767);
    // The last entry: offset 80 + 8n + 128(n-1), unique ID n = 0x007FFF.
    EXPECT_EQ(be32(b, 78 + 8 * 32766), 80 + 8 * 32767 + 128 * 32766u);
    EXPECT_EQ(slice(b, 78 + 8 * 32766 + 5, 3), (Bytes{0x00, 0x7F, 0xFF}));
    testsupport::PalmView view = testsupport::palmRead(path);
    ASSERT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.recordLengths.size(), 32767u);
}

}  // namespace
