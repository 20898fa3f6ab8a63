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
using Bytes = std::vector<std::uint8_t>;

const platform::LocalDate kApril1st2001{2001, 4, 1};

// A line with the given ID and every other field 0 or empty.
std::string line(const std::string& id) {
    return id + ",0,0,0,0,0,0,0,0,0,,,0,0,0,0,0,0,0,0,0,";
}

void writeText(const std::string& path, const std::string& text) {
    testsupport::writeBytes(path, Bytes(text.begin(), text.end()));
}

Bytes at(const Bytes& b, std::size_t offset, std::size_t len) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(offset),
                 b.begin() + static_cast<std::ptrdiff_t>(offset + len));
}

// Converts the CSV text in a file named name; returns the database's bytes after checking
// that Palm::PDB reads it with n records of 128 bytes.
Bytes convert(const testsupport::TempDir& dir, const std::string& name, const std::string& csv,
              std::size_t n, platform::Prompter& p, platform::LocalDate today = kApril1st2001) {
    writeText(dir.file(name + ".csv"), csv);
    EXPECT_EQ(converter::csv2pdbFile(dir.file(name + ".csv"), today, p), Outcome::Done);
    testsupport::PalmView view = testsupport::palmRead(dir.file(name + ".pdb"));
    EXPECT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.recordLengths, std::vector<std::size_t>(n, 128));
    return testsupport::readBytes(dir.file(name + ".pdb"));
}

TEST(Csv2pdbPaths, OutputBesideTheCsv) {
    EXPECT_EQ(converter::csv2pdbOutputPath("/data/a.b.csv"), "/data/a.b.pdb");
    EXPECT_EQ(converter::csv2pdbOutputPath("list.CSV"), "list.pdb");
    for (const char* refused : {"/data/list", "/data.d/list", "/data/list.", ""})
        EXPECT_EQ(converter::csv2pdbOutputPath(refused), std::nullopt) << refused;
}

TEST(Csv2pdbRun, ThreeLinesGiveTheDocumentedDatabase) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
    Bytes b =
        convert(dir, "list", line("1") + "\r\n" + line("2") + "\r\n" + line("-1") + "\r\n", 3, p);
    ASSERT_EQ(b.size(), 488u);  // 80 + 8 × 3 + 128 × 3
    EXPECT_EQ(at(b, 0, 5), (Bytes{'l', 'i', 's', 't', 0}));
    EXPECT_EQ(at(b, 32, 16),
              (Bytes{0, 8, 0, 0, 0xB6, 0xEC, 0x20, 0, 0xB6, 0xEC, 0x20, 0, 0xB6, 0xEC, 0x20, 0}));
    EXPECT_EQ(at(b, 76, 28), (Bytes{0,    3, 0, 0, 0, 104, 0x40, 0,   0,    1, 0, 0, 0, 232,
                                    0x40, 0, 0, 2, 0, 0,   1,    104, 0x40, 0, 0, 3, 0, 0}));
    EXPECT_EQ(at(b, 104, 4), (Bytes{0, 0, 0, 1}));
    EXPECT_EQ(at(b, 360, 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    ASSERT_EQ(p.calls().size(), 2u);
    EXPECT_EQ(p.calls()[0].text, dir.file("list.pdb") + "を作成します！");
    EXPECT_EQ(p.calls()[1].text, "処理が終了しました！");
    for (const auto& call : p.calls()) {
        EXPECT_EQ(call.title, "csv2pdb");
        EXPECT_EQ(call.icon, platform::Icon::Information);
        EXPECT_EQ(call.buttons, platform::Buttons::Ok);
    }
    b = convert(dir, "d", line("1"), 1, p, {2001, 12, 5});
    EXPECT_EQ(at(b, 36, 12),
              (Bytes{0xB8, 0x33, 0x14, 0, 0xB8, 0x33, 0x14, 0, 0xB8, 0x33, 0x14, 0}));
}

TEST(Csv2pdbRun, DatabaseNamesFromTheFileName) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
    EXPECT_EQ(at(convert(dir, "a.b", line("1"), 1, p), 0, 2), (Bytes{'a', 0}));

    // 32 characters: cut to 31 bytes and the terminator; pdb2csv still accepts it, and a
    // database written earlier with all 32 bytes.
    std::string name32 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef";
    Bytes b = convert(dir, name32, line("5"), 1, p);
    EXPECT_EQ(at(b, 0, 32), [&] {
        Bytes n(name32.begin(), name32.end() - 1);
        n.push_back(0);
        return n;
    }());
    EXPECT_EQ(converter::pdb2csvFiles(dir.file(name32 + ".pdb"), dir.file("1.csv"), p),
              Outcome::Done);
    std::copy(name32.begin(), name32.end(), b.begin());
    testsupport::writeBytes(dir.file(name32 + ".pdb"), b);
    EXPECT_EQ(converter::pdb2csvFiles(dir.file(name32 + ".pdb"), dir.file("2.csv"), p),
              Outcome::Done);

    // A blank is stored as a zero byte; pdb2csv then refuses the name.
    EXPECT_EQ(at(convert(dir, "my data", line("1"), 1, p), 0, 8),
              (Bytes{'m', 'y', 0, 'd', 'a', 't', 'a', 0}));
    p.clear();
    EXPECT_EQ(converter::pdb2csvFiles(dir.file("my data.pdb"), dir.file("my.csv"), p),
              Outcome::Failed);
    EXPECT_EQ(p.texts().at(0).rfind(" データベース名が違っています！\n", 0), 0u);
}

TEST(Csv2pdbRefused, AFileNameThatGivesNoSingleByteDatabaseName) {
    // The name would be stored empty or cut, and pdb2csv would refuse the database after
    // "処理が終了しました！": refused before anything is announced or written.
    const std::pair<const char*, const char*> cases[] = {
        {"調査データ", "1 バイトで表せない文字「調」があります"},
        {"ab建物", "1 バイトで表せない文字「建」があります"},
        {"", "ファイル名から作るデータベース名が空になります"},
    };
    for (const auto& [name, why] : cases) {
        testsupport::TempDir dir;
        const std::string csv = dir.file(std::string(name) + ".csv");
        const std::string pdb = dir.file(std::string(name) + ".pdb");
        writeText(csv, line("1"));
        testsupport::writeBytes(pdb, Bytes{'e', 'a', 'r', 'l', 'y'});
        platform::ScriptedPrompter p;
        EXPECT_EQ(converter::csv2pdbFile(csv, kApril1st2001, p), Outcome::Failed) << name;
        ASSERT_EQ(p.calls().size(), 1u) << name;
        EXPECT_EQ(p.calls()[0].icon, platform::Icon::Critical);
        const std::string& text = p.calls()[0].text;
        EXPECT_EQ(text.rfind("「" + csv + "」は変換できません。", 0), 0u) << text;
        EXPECT_NE(text.find(why), std::string::npos) << text;
        EXPECT_NE(text.find("半角英数字のファイル名（例: data1.csv）"), std::string::npos) << text;
        EXPECT_EQ(testsupport::readText(pdb), "early") << name;
    }
}

TEST(Csv2pdbRun, TextsTooLongAreCutOnACharacterAndReportedAndTheRunGoesOn) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
    const std::string a = "\x82\xA0";  // あ
    // Text1 33 bytes (one too many); Text2 19 bytes and あ, cut before it; Text3 45 bytes.
    std::string csv = "1,0,0,0,0,0,0,0,0,0," + std::string(33, 'a') + ",,0,0,0,0,0,0,0,0,0,\r\n" +
                      "2,0,0,0,0,0,0,0,0,0,," + std::string(19, 'b') + a + ",0,0,0,0,0,0,0,0,0," +
                      std::string(45, 'c') + "\r\n";
    Bytes b = convert(dir, "cut", csv, 2, p);
    const std::string path = dir.file("cut.csv");
    EXPECT_EQ(
        p.texts(),
        (std::vector<std::string>{
            dir.file("cut.pdb") + "を作成します！",
            path + " の 1 行目、11 列目（Text1）：文字列が長すぎます（33 バイト。この項目は 32 "
                   "バイトまでです）。32 バイトに切り詰めて続けます。",
            path + " の 2 行目、12 列目（Text2）：文字列が長すぎます（21 バイト。この項目は 20 "
                   "バイトまでです）。19 バイトに切り詰めて続けます。",
            "エラー：compressDbcs\n" + path +
                " の 2 行目、22 列目（Text3）：文字列が長すぎます（45 バイト。この項目は 40 "
                "バイトまでです）。40 バイトに切り詰めて続けます。",
            "処理が終了しました！"}));
    for (std::size_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(p.calls()[i].icon, platform::Icon::Warning);
        EXPECT_EQ(p.calls()[i].title, "csv2pdb");
    }
    // Records at 96 and 224: Text1 at 24, Text2 at 56, Text3 at 88.
    EXPECT_EQ(at(b, 96 + 24, 32), Bytes(32, 'a'));
    Bytes text2(19, 'b');
    text2.push_back(0);
    EXPECT_EQ(at(b, 224 + 56, 20), text2);
    EXPECT_EQ(at(b, 224 + 88, 40), Bytes(40, 'c'));
}

TEST(Csv2pdbRefused, MessageNamesLineAndFieldAndTheEarlierFileStays) {
    std::string ok = line("1") + "\r\n";
    std::string many;
    for (int i = 0; i < 32768; ++i) many += ok;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {ok + line("x"), " の 2 行目、1 列目（ID）：「x」 は数値ではありません。"},
        {ok + ok + line("1").substr(0, 30), " の 3 行目、18 列目（Flag4）：項目が足りません"},
        {"1,2,3,98304" + line("").substr(6), " の 1 行目、4 列目（UserData）：「98304」 は範囲外"},
        {line("1") + ",9", " の 1 行目、23 列目：項目が多すぎます"},
        {std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0",
                     10),
         " の 1 行目、1 列目（ID）：制御文字"},
        {many, " の 32768 行目：レコードが多すぎます"},
    };
    for (const auto& [csv, what] : cases) {
        testsupport::TempDir dir;
        writeText(dir.file("list.csv"), csv);
        testsupport::writeBytes(dir.file("list.pdb"), Bytes{'e', 'a', 'r', 'l', 'y'});
        platform::ScriptedPrompter p;
        EXPECT_EQ(converter::csv2pdbFile(dir.file("list.csv"), kApril1st2001, p), Outcome::Failed);
        ASSERT_EQ(p.calls().size(), 2u);
        EXPECT_EQ(p.calls()[1].title, "csv2pdb");
        EXPECT_EQ(p.calls()[1].icon, platform::Icon::Critical);
        EXPECT_NE(p.calls()[1].text.find(dir.file("list.csv") + what), std::string::npos)
            << p.calls()[1].text;
        EXPECT_EQ(testsupport::readText(dir.file("list.pdb")), "early");
    }
}

TEST(Csv2pdbRefused, PathsAndFiles) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
    // No "." in the file name: refused before anything is announced or written.
    EXPECT_EQ(converter::csv2pdbFile(dir.file("list"), kApril1st2001, p), Outcome::Failed);
    EXPECT_NE(p.calls().at(0).text.find("「.」がありません"), std::string::npos);
    EXPECT_FALSE(testsupport::exists(dir.file("pdb")));
    // A CSV named *.pdb would be replaced by its own database.
    writeText(dir.file("x.pdb"), line("1"));
    EXPECT_EQ(converter::csv2pdbFile(dir.file("x.pdb"), kApril1st2001, p), Outcome::Failed);
    EXPECT_EQ(testsupport::readText(dir.file("x.pdb")), line("1"));
    // A CSV that cannot be read.
    p.clear();
    EXPECT_EQ(converter::csv2pdbFile(dir.file("missing.csv"), kApril1st2001, p), Outcome::Failed);
    EXPECT_NE(p.calls().at(1).text.find("missing.csv」を読めません"), std::string::npos);
    EXPECT_FALSE(testsupport::exists(dir.file("missing.pdb")));
    // An output that cannot be put in place: a folder stands where the file would go.
    p.clear();
    writeText(dir.file("busy.csv"), line("1"));
    ASSERT_EQ(::mkdir(dir.file("busy.pdb").c_str(), 0755), 0);
    EXPECT_EQ(converter::csv2pdbFile(dir.file("busy.csv"), kApril1st2001, p), Outcome::Failed);
    EXPECT_NE(p.calls().at(1).text.find("busy.pdb」を書き込めません"), std::string::npos);
    // A write that fails half way leaves the earlier database.
    writeText(dir.file("half.csv"), line("1") + "\n" + line("2"));
    testsupport::writeBytes(dir.file("half.pdb"), Bytes{1, 2, 3});
    platform::testing::WriteFaults faults(200);
    EXPECT_EQ(converter::csv2pdbFile(dir.file("half.csv"), kApril1st2001, p), Outcome::Failed);
    faults.end();
    EXPECT_EQ(testsupport::readBytes(dir.file("half.pdb")), (Bytes{1, 2, 3}));
}

TEST(Csv2pdbDialog, AsksForTheCsvAndEndsQuietlyOnCancel) {
    testsupport::TempDir dir;
    platform::ScriptedFileChooser chooser;
    platform::ScriptedPrompter p;
    chooser.answerNext(std::nullopt);
    EXPECT_EQ(converter::csv2pdb(chooser, "/opt/vornik", kApril1st2001, p), Outcome::Cancelled);
    EXPECT_TRUE(p.calls().empty());
    const platform::FileRequest& r = chooser.requests().at(0);
    EXPECT_EQ(r.title, "CSVファイルを選択");
    EXPECT_EQ(r.filterPattern, "*.csv");
    EXPECT_EQ(r.defaultExtension, "CSV");
    EXPECT_EQ(r.initialFolder, "/opt/vornik");
    EXPECT_FALSE(r.save);
    writeText(dir.file("c.csv"), line("3"));
    chooser.answerNext(dir.file("c.csv"));
    EXPECT_EQ(converter::csv2pdb(chooser, "/opt/vornik", kApril1st2001, p), Outcome::Done);
    EXPECT_EQ(testsupport::palmRead(dir.file("c.pdb")).recordLengths.size(), 1u);
}

}  // namespace
