// csv2pdb as the main menu runs it: output path and database name, the messages, the
// bytes written, and refused input that leaves an earlier database as it was.
#include "converter/attrconv/csv2pdb.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "converter/attrconv/pdb2csv.h"
#include "platform/files.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace {

using converter::Outcome;
using testsupport::be16;
using testsupport::be32;
using Bytes = std::vector<std::uint8_t>;

const platform::LocalDate kApril1st2001{2001, 4, 1};

std::string zeros22(const std::string& first) {
    std::string line = first;
    for (int i = 2; i <= 22; ++i) line += (i == 11 || i == 12 || i == 22) ? "," : ",0";
    return line;
}

void writeText(const std::string& path, const std::string& text) {
    testsupport::writeBytes(path, Bytes(text.begin(), text.end()));
}

Bytes slice(const Bytes& b, std::size_t at, std::size_t len) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(at),
                 b.begin() + static_cast<std::ptrdiff_t>(at + len));
}

TEST(Csv2pdbPaths, OutputBesideTheCsv) {
    EXPECT_EQ(converter::csv2pdbOutputPath("/data/a.b.csv"), "/data/a.b.pdb");
    EXPECT_EQ(converter::csv2pdbOutputPath("/data/list.csv"), "/data/list.pdb");
    EXPECT_EQ(converter::csv2pdbOutputPath("list.CSV"), "list.pdb");
    EXPECT_EQ(converter::csv2pdbOutputPath("/data/list"), std::nullopt);
    EXPECT_EQ(converter::csv2pdbOutputPath("/data.d/list"), std::nullopt);
    EXPECT_EQ(converter::csv2pdbOutputPath("/data/list."), std::nullopt);
    EXPECT_EQ(converter::csv2pdbOutputPath(""), std::nullopt);
}

TEST(Csv2pdbRun, ThreeLinesGiveTheDocumentedDatabase) {
    testsupport::TempDir dir;
    std::string csv = dir.file("list.csv");
    writeText(csv, zeros22("1") + "\r\n" + zeros22("2") + "\r\n" + zeros22("-1") + "\r\n");
    platform::ScriptedPrompter p;
    ASSERT_EQ(converter::csv2pdbFile(csv, kApril1st2001, p), Outcome::Done);

    ASSERT_EQ(p.calls().size(), 2u);
    EXPECT_EQ(p.calls()[0].text, dir.file("list.pdb") + "を作成します！");
    EXPECT_EQ(p.calls()[1].text, "処理が終了しました！");
    for (const auto& call : p.calls()) {
        EXPECT_EQ(call.title, "csv2pdb");
        EXPECT_EQ(call.icon, platform::Icon::Information);
        EXPECT_EQ(call.buttons, platform::Buttons::Ok);
    }

    Bytes b = testsupport::readBytes(dir.file("list.pdb"));
    ASSERT_EQ(b.size(), 488u);  // 80 + 8 × 3 + 128 × 3
    EXPECT_EQ(slice(b, 0, 5), (Bytes{'l', 'i', 's', 't', 0}));
    EXPECT_EQ(be16(b, 76), 3);
    // Record-list entries: iRecPos, attributes 0x40, unique ID.
    EXPECT_EQ(slice(b, 78, 24), (Bytes{0, 0, 0, 104, 0x40, 0, 0, 1,  //
                                       0, 0, 0, 232, 0x40, 0, 0, 2,  //
                                       0, 0, 1, 104, 0x40, 0, 0, 3}));
    for (std::size_t at : {36u, 40u, 44u})
        EXPECT_EQ(slice(b, at, 4), (Bytes{0xB6, 0xEC, 0x20, 0x00}));
    EXPECT_EQ(be32(b, 104), 1u);
    EXPECT_EQ(be32(b, 232), 2u);
    EXPECT_EQ(slice(b, 360, 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));

    testsupport::PalmView view = testsupport::palmRead(dir.file("list.pdb"));
    ASSERT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.name, "list");
    EXPECT_EQ(view.recordLengths, (std::vector<std::size_t>{128, 128, 128}));
}

TEST(Csv2pdbRun, TodayGivesTheDayStamp) {
    testsupport::TempDir dir;
    std::string csv = dir.file("d.csv");
    writeText(csv, zeros22("1"));
    platform::ScriptedPrompter p;
    ASSERT_EQ(converter::csv2pdbFile(csv, {2001, 12, 5}, p), Outcome::Done);
    Bytes b = testsupport::readBytes(dir.file("d.pdb"));
    for (std::size_t at : {36u, 40u, 44u})
        EXPECT_EQ(slice(b, at, 4), (Bytes{0xB8, 0x33, 0x14, 0x00}));
    EXPECT_EQ(testsupport::palmRead(dir.file("d.pdb")).recordLengths.size(), 1u);
}

TEST(Csv2pdbRun, DatabaseNamesFromTheFileName) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
    // a.b.csv: the name stops at the first ".".
    writeText(dir.file("a.b.csv"), zeros22("1"));
    ASSERT_EQ(converter::csv2pdbFile(dir.file("a.b.csv"), kApril1st2001, p), Outcome::Done);
    EXPECT_EQ(testsupport::palmRead(dir.file("a.b.pdb")).name, "a");

    // 32 characters: cut to 31 bytes, the terminator kept; pdb2csv accepts it.
    std::string longName = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef";
    ASSERT_EQ(longName.size(), 32u);
    writeText(dir.file(longName + ".csv"), zeros22("5"));
    ASSERT_EQ(converter::csv2pdbFile(dir.file(longName + ".csv"), kApril1st2001, p), Outcome::Done);
    Bytes b = testsupport::readBytes(dir.file(longName + ".pdb"));
    EXPECT_EQ(slice(b, 0, 31), Bytes(longName.begin(), longName.end() - 1));
    EXPECT_EQ(b[31], 0);
    testsupport::PalmView view = testsupport::palmRead(dir.file(longName + ".pdb"));
    ASSERT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.name, longName.substr(0, 31));
    p.clear();
    EXPECT_EQ(converter::pdb2csvFiles(dir.file(longName + ".pdb"), dir.file("back.csv"), p),
              Outcome::Done);

    // A blank becomes a zero byte, and pdb2csv then refuses the name.
    writeText(dir.file("my data.csv"), zeros22("1"));
    p.clear();
    ASSERT_EQ(converter::csv2pdbFile(dir.file("my data.csv"), kApril1st2001, p), Outcome::Done);
    b = testsupport::readBytes(dir.file("my data.pdb"));
    EXPECT_EQ(slice(b, 0, 8), (Bytes{'m', 'y', 0, 'd', 'a', 't', 'a', 0}));
    EXPECT_EQ(testsupport::palmRead(dir.file("my data.pdb")).recordLengths.size(), 1u);
    p.clear();
    EXPECT_EQ(converter::pdb2csvFiles(dir.file("my data.pdb"), dir.file("my.csv"), p),
              Outcome::Failed);
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_EQ(p.calls()[0].text, " データベース名が違っています！");
    EXPECT_FALSE(testsupport::exists(dir.file("my.csv")));
}

TEST(Csv2pdbRun, DoubleByteFileNameReportsByteConv) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
    writeText(dir.file("ab建物.csv"), zeros22("1"));
    ASSERT_EQ(converter::csv2pdbFile(dir.file("ab建物.csv"), kApril1st2001, p), Outcome::Done);
    ASSERT_EQ(p.calls().size(), 3u);
    EXPECT_EQ(p.calls()[1].text, "エラー：byteConv");
    Bytes b = testsupport::readBytes(dir.file("ab建物.pdb"));
    EXPECT_EQ(slice(b, 0, 3), (Bytes{'a', 'b', 0}));
    EXPECT_EQ(testsupport::palmRead(dir.file("ab建物.pdb")).recordLengths.size(), 1u);
}

// The CSV is refused: one error naming the file, line and column after the announcement,
// and the database written before is unchanged.
void expectRefusedKeepingEarlier(const std::string& csvText, const std::string& whatPart) {
    SCOPED_TRACE(whatPart);
    testsupport::TempDir dir;
    std::string csv = dir.file("list.csv");
    writeText(csv, csvText);
    Bytes earlier{'e', 'a', 'r', 'l', 'y'};
    testsupport::writeBytes(dir.file("list.pdb"), earlier);
    platform::ScriptedPrompter p;
    EXPECT_EQ(converter::csv2pdbFile(csv, kApril1st2001, p), Outcome::Failed);
    ASSERT_EQ(p.calls().size(), 2u);
    EXPECT_EQ(p.calls()[1].title, "csv2pdb");
    EXPECT_EQ(p.calls()[1].icon, platform::Icon::Critical);
    EXPECT_NE(p.calls()[1].text.find(csv + " の "), std::string::npos) << p.calls()[1].text;
    EXPECT_NE(p.calls()[1].text.find(whatPart), std::string::npos) << p.calls()[1].text;
    EXPECT_EQ(testsupport::readBytes(dir.file("list.pdb")), earlier);
}

TEST(Csv2pdbRefused, EachFailureNamesLineAndField) {
    std::string ok = zeros22("1") + "\r\n";
    expectRefusedKeepingEarlier(ok + zeros22("x"),
                                "2 行目、1 列目（ID）：「x」 は数値ではありません");
    expectRefusedKeepingEarlier(ok + ok + zeros22("1").substr(0, 30),
                                "3 行目、18 列目（Flag4）：項目が足りません");
    expectRefusedKeepingEarlier("1,2,3,98304" + zeros22("").substr(6),
                                "1 行目、4 列目（UserData）");
    expectRefusedKeepingEarlier(zeros22("1") + ",9", "1 行目、23 列目");
    expectRefusedKeepingEarlier(std::string("\x7f"
                                            "ELF\x02\x01\x01\0\0\0",
                                            10),
                                "1 行目");
    std::string many;
    for (int i = 0; i < 32768; ++i) many += ok;
    expectRefusedKeepingEarlier(many, "32768 行目：レコードが多すぎます");
}

TEST(Csv2pdbRefused, PathsAndFiles) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
    // No "." in the file name: refused before anything is announced.
    EXPECT_EQ(converter::csv2pdbFile(dir.file("list"), kApril1st2001, p), Outcome::Failed);
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_NE(p.calls()[0].text.find("「.」がありません"), std::string::npos);
    EXPECT_FALSE(testsupport::exists(dir.file("pdb")));

    // A CSV named *.pdb would be replaced by its own database.
    p.clear();
    writeText(dir.file("x.pdb"), zeros22("1"));
    EXPECT_EQ(converter::csv2pdbFile(dir.file("x.pdb"), kApril1st2001, p), Outcome::Failed);
    EXPECT_EQ(testsupport::readText(dir.file("x.pdb")), zeros22("1"));

    // A CSV that cannot be read.
    p.clear();
    EXPECT_EQ(converter::csv2pdbFile(dir.file("missing.csv"), kApril1st2001, p), Outcome::Failed);
    ASSERT_EQ(p.calls().size(), 2u);
    EXPECT_NE(p.calls()[1].text.find("missing.csv」を読めません"), std::string::npos);
    EXPECT_FALSE(testsupport::exists(dir.file("missing.pdb")));

    // An output that cannot be put in place (a folder stands where the file would go).
    p.clear();
    writeText(dir.file("busy.csv"), zeros22("1"));
    ASSERT_EQ(::mkdir(dir.file("busy.pdb").c_str(), 0755), 0);
    EXPECT_EQ(converter::csv2pdbFile(dir.file("busy.csv"), kApril1st2001, p), Outcome::Failed);
    ASSERT_EQ(p.calls().size(), 2u);
    EXPECT_NE(p.calls()[1].text.find("busy.pdb」を書き込めません"), std::string::npos);

    // A write that fails half way leaves the earlier database.
    p.clear();
    writeText(dir.file("half.csv"), zeros22("1") + "\n" + zeros22("2"));
    Bytes earlier{1, 2, 3};
    testsupport::writeBytes(dir.file("half.pdb"), earlier);
    platform::testing::failWritesAfter(200);
    EXPECT_EQ(converter::csv2pdbFile(dir.file("half.csv"), kApril1st2001, p), Outcome::Failed);
    platform::testing::failWritesAfter(std::nullopt);
    EXPECT_EQ(testsupport::readBytes(dir.file("half.pdb")), earlier);
    EXPECT_NE(p.calls().back().text.find("以前のファイルはそのまま残っています"),
              std::string::npos);
}

TEST(Csv2pdbDialog, AsksForTheCsvAndEndsQuietlyOnCancel) {
    testsupport::TempDir dir;
    platform::ScriptedFileChooser chooser;
    platform::ScriptedPrompter p;
    chooser.answerNext(std::nullopt);
    EXPECT_EQ(converter::csv2pdb(chooser, "/opt/vornik", kApril1st2001, p), Outcome::Cancelled);
    EXPECT_TRUE(p.calls().empty());
    ASSERT_EQ(chooser.requests().size(), 1u);
    const platform::FileRequest& r = chooser.requests()[0];
    EXPECT_EQ(r.title, "CSVファイルを選択");
    EXPECT_EQ(r.filterPattern, "*.csv");
    EXPECT_EQ(r.defaultExtension, "CSV");
    EXPECT_EQ(r.initialFolder, "/opt/vornik");
    EXPECT_TRUE(r.save);

    writeText(dir.file("c.csv"), zeros22("3"));
    chooser.answerNext(dir.file("c.csv"));
    EXPECT_EQ(converter::csv2pdb(chooser, "/opt/vornik", kApril1st2001, p), Outcome::Done);
    EXPECT_EQ(testsupport::palmRead(dir.file("c.pdb")).recordLengths.size(), 1u);
}

}  // namespace
