// The base name and the converter attribute database writer. The record layout is pinned
// by the CSV reader's tests (every column at its offset) and pdb2csv's hand-made record
// bytes.
#include "converter/core/conversion.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/test_support.h"

namespace {

using pdb::FeatureAttrRec;
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

TEST(ConversionNames, BaseName) {
    EXPECT_EQ(converter::baseNameOf("/pdb/53394525_A.pdb"), "53394525_A");
    EXPECT_EQ(converter::baseNameOf("/a.dir/x"), "x");
}

TEST(WriteFeatureAttrDatabase, EmptyAndLargestDatabases) {
    testsupport::TempDir dir;
    ASSERT_TRUE(converter::writeFeatureAttrDatabase(dir.file("e.pdb"), {}, {2001, 12, 5}));
    Bytes b = testsupport::readBytes(dir.file("e.pdb"));
    ASSERT_EQ(b.size(), 80u);  // header, empty list and gap
    EXPECT_EQ(
        bytesOf(b, 48, 32),
        padded({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'D', 'A', 'T', 'A', 'K', 'W', 'I', 'B'}, 32));
    testsupport::PalmView view = testsupport::palmRead(dir.file("e.pdb"));
    ASSERT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.name, "e");
    EXPECT_TRUE(view.recordLengths.empty());

    const std::size_t n = 32767;
    ASSERT_TRUE(converter::writeFeatureAttrDatabase(dir.file("big.pdb"),
                                                    std::vector<FeatureAttrRec>(n), {2001, 4, 1}));
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
    platform::testing::WriteFaults faults(100);
    platform::Status failedWrite =
        converter::writeFeatureAttrDatabase(path, std::vector<FeatureAttrRec>(3), {2001, 4, 1});
    faults.end();
    platform::Status tooMany =
        converter::writeFeatureAttrDatabase(path, std::vector<FeatureAttrRec>(32768), {2001, 4, 1});
    platform::Status noFolder =
        converter::writeFeatureAttrDatabase(dir.file("none") + "/a.pdb", {}, {2001, 4, 1});
    EXPECT_EQ(testsupport::readBytes(path), earlier);
    EXPECT_FALSE(testsupport::exists(dir.file("none") + "/a.pdb"));
    EXPECT_EQ(failedWrite.error(), "ファイル「" + path +
                                       "」を書き込めません（Input/output error）。"
                                       "以前のファイルはそのまま残っています。");
    EXPECT_EQ(tooMany.error(),
              "ファイル「" + path + "」に書くレコードが多すぎます（32768 件、32767 件まで）。");
    EXPECT_NE(noFolder.error().find("none/a.pdb」を作成できません"), std::string::npos);
}

}  // namespace
