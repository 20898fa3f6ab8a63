// FeatureAttrRec's byte layout and text fields, the Palm day stamp, the database name
// field and the converter attribute database writer.
#include "converter/attrconv/feature_attr_rec.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace {

using converter::FeatureAttrRec;
using Bytes = std::vector<std::uint8_t>;

template <typename C>
Bytes bytesOf(const C& c, std::size_t at = 0, std::size_t len = std::size_t(-1)) {
    len = std::min(len, c.size() - at);
    return Bytes(c.begin() + static_cast<std::ptrdiff_t>(at),
                 c.begin() + static_cast<std::ptrdiff_t>(at + len));
}

Bytes padded(Bytes b, std::size_t size) {
    b.resize(size, 0);
    return b;
}

TEST(FeatureAttrRecLayout, EveryFieldAtItsOffsetBigEndian) {
    FeatureAttrRec r;
    r.ID = 0x01020304;
    r.StatusCode = 0x05, r.SymbolCode = 0x06, r.UserData = 0x0708, r.TopLeftX = 0x090A;
    r.TopLeftY = -2, r.ExtentX = 0x0D0E, r.ExtentY = -32768;
    r.X = 0x11121314, r.Y = -1;
    r.Text1.fill('A'), r.Text2.fill('B'), r.Text3.fill('C');
    r.Value1 = 0x4D4E, r.Value2 = 0xFFFF, r.Value3 = 0x5758;
    r.Flag1 = 0x51, r.Flag2 = 0x52, r.Flag3 = 0x53, r.Flag4 = 0x54, r.Flag5 = 0x55, r.Flag6 = 0x56;
    Bytes b(128, 0xEE);
    converter::encodeFeatureAttrRec(r, std::span<std::uint8_t, 128>(b.data(), 128));
    EXPECT_EQ(bytesOf(b, 0, 24),
              (Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0xFF, 0xFE,
                     0x0D, 0x0E, 0x80, 0x00, 0x11, 0x12, 0x13, 0x14, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(bytesOf(b, 24, 32), Bytes(32, 'A'));
    EXPECT_EQ(bytesOf(b, 56, 20), Bytes(20, 'B'));
    EXPECT_EQ(bytesOf(b, 76, 12),
              (Bytes{0x4D, 0x4E, 0xFF, 0xFF, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58}));
    EXPECT_EQ(bytesOf(b, 88, 40), Bytes(40, 'C'));
    EXPECT_EQ(converter::decodeFeatureAttrRec(std::span<const std::uint8_t, 128>(b.data(), 128)),
              r);
}

TEST(FeatureAttrRecText, ZeroPaddedNeverSplitAndReadToTheFirstZero) {
    std::array<std::uint8_t, 32> t{};
    t.fill(0xEE);
    EXPECT_EQ(converter::storeText(t, "abc  "), 3u);  // 61 62 63 and 29 zero bytes
    EXPECT_EQ(bytesOf(t), padded({0x61, 0x62, 0x63}, 32));
    EXPECT_EQ(converter::storeText(t, std::string(32, 'x')), 32u);  // full: no terminator
    EXPECT_EQ(bytesOf(t), Bytes(32, 'x'));
    // 31 bytes then あ (82 A0) would end at byte 33: あ is left out whole.
    EXPECT_EQ(converter::storeText(t, std::string(31, 'y') + "\x82\xA0"), 31u);
    EXPECT_EQ(bytesOf(t), padded(Bytes(31, 'y'), 32));
    std::array<std::uint8_t, 4> s{};
    converter::storeText(s, "a\x81\x40 ");  // a full-width blank is text
    EXPECT_EQ(bytesOf(s), (Bytes{0x61, 0x81, 0x40, 0x00}));

    EXPECT_EQ(converter::fieldText(Bytes{0x61, 0x62, 0x63, 0x00, 0x78}), "abc");
    EXPECT_EQ(converter::fieldText(Bytes(32, 'z')), std::string(32, 'z'));
    EXPECT_EQ(converter::fieldText(Bytes{0x61, 0x82, 0x00}), "a");  // lead byte without trail
    EXPECT_EQ(converter::fieldText(Bytes{0x61, 0x62, 0x82}), "ab");
}

TEST(FeatureAttrDatabaseHeader, DayStampAndName) {
    // 2001-04-01 is 35520 days after 1904-01-01: × 86400 = 3068928000 = 0xB6EC2000;
    // 2001-12-05 is 248 days later: 35768 × 86400 = 3090355200 = 0xB8331400.
    EXPECT_EQ(converter::palmDayStamp({2001, 4, 1}), 0xB6EC2000u);
    EXPECT_EQ(converter::palmDayStamp({2001, 12, 5}), 0xB8331400u);
    EXPECT_EQ(converter::palmDayStamp({1904, 1, 2}), 86400u);

    EXPECT_EQ(converter::baseNameOf("/data/a.b.pdb"), "a");
    EXPECT_EQ(converter::baseNameOf("/pdb/53394525_A.pdb"), "53394525_A");
    EXPECT_EQ(converter::baseNameOf("/a.dir/x"), "x");

    platform::ScriptedPrompter p;
    EXPECT_EQ(bytesOf(converter::databaseNameField("my data", p)),
              padded({'m', 'y', 0, 'd', 'a', 't', 'a'}, 32));
    std::string name32 = "abcdefghijklmnopqrstuvwxyz012345";
    EXPECT_EQ(bytesOf(converter::databaseNameField(name32, p)),
              padded(Bytes(name32.begin(), name32.end() - 1), 32));  // 31 bytes + terminator
    EXPECT_TRUE(p.calls().empty());
    EXPECT_EQ(bytesOf(converter::databaseNameField("ab建物", p)), padded({'a', 'b'}, 32));
    EXPECT_EQ(p.texts(), std::vector<std::string>{"エラー：byteConv"});
}

TEST(WriteFeatureAttrDatabase, EmptyAndLargestDatabases) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
    ASSERT_TRUE(converter::writeFeatureAttrDatabase(dir.file("e.pdb"), {}, {2001, 12, 5}, p));
    Bytes b = testsupport::readBytes(dir.file("e.pdb"));
    ASSERT_EQ(b.size(), 80u);  // header, empty list and gap
    EXPECT_EQ(bytesOf(b, 32, 16),
              (Bytes{0, 8, 0, 0, 0xB8, 0x33, 0x14, 0, 0xB8, 0x33, 0x14, 0, 0xB8, 0x33, 0x14, 0}));
    EXPECT_EQ(
        bytesOf(b, 48, 32),
        padded({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'D', 'A', 'T', 'A', 'K', 'W', 'I', 'B'}, 32));
    testsupport::PalmView view = testsupport::palmRead(dir.file("e.pdb"));
    ASSERT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.name, "e");
    EXPECT_TRUE(view.recordLengths.empty());

    const std::size_t n = 32767;
    ASSERT_TRUE(converter::writeFeatureAttrDatabase(
        dir.file("big.pdb"), std::vector<FeatureAttrRec>(n), {2001, 4, 1}, p));
    b = testsupport::readBytes(dir.file("big.pdb"));
    ASSERT_EQ(b.size(), 80 + 8 * n + 128 * n);
    // The last entry: iRecPos 80 + 8n + 128(n-1), attributes 0x40, unique ID 0x007FFF.
    EXPECT_EQ(testsupport::be32(b, 78 + 8 * (n - 1)), 80 + 8 * n + 128 * (n - 1));
    EXPECT_EQ(bytesOf(b, 78 + 8 * (n - 1) + 4, 4), (Bytes{0x40, 0x00, 0x7F, 0xFF}));
    EXPECT_EQ(testsupport::palmRead(dir.file("big.pdb")).recordLengths,
              std::vector<std::size_t>(n, 128));
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
    EXPECT_FALSE(converter::writeFeatureAttrDatabase(path, std::vector<FeatureAttrRec>(32768),
                                                     {2001, 4, 1}, p, "csv2pdb"));
    EXPECT_FALSE(converter::writeFeatureAttrDatabase(dir.file("none") + "/a.pdb", {}, {2001, 4, 1},
                                                     p, "csv2pdb"));
    EXPECT_EQ(testsupport::readBytes(path), earlier);
    EXPECT_FALSE(testsupport::exists(dir.file("none") + "/a.pdb"));
    ASSERT_EQ(p.calls().size(), 3u);
    EXPECT_EQ(p.calls()[0].title, "attrPDBcreate");
    EXPECT_EQ(p.calls()[0].icon, platform::Icon::Critical);
    EXPECT_EQ(p.calls()[0].text, "ファイル「" + path +
                                     "」を書き込めません（Input/output error）。"
                                     "以前のファイルはそのまま残っています。");
    EXPECT_EQ(p.calls()[1].text,
              "ファイル「" + path + "」に書くレコードが多すぎます（32768 件、32767 件まで）。");
    EXPECT_NE(p.calls()[2].text.find("none/a.pdb」を作成できません"), std::string::npos);
}

}  // namespace
