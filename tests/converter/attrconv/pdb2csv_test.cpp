// pdb2csv: the printed form of every field from hand-made record bytes, the name check,
// damaged databases, and the round trip of csv2pdb's accepted range edges.
#include "converter/attrconv/pdb2csv.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "converter/attrconv/csv2pdb.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace {

using converter::Outcome;
using Bytes = std::vector<std::uint8_t>;

// A converter attribute database made by hand: the name, n at offset 76, the record list
// and the records at 80 + 8n.
Bytes database(const std::string& name, const std::vector<Bytes>& records) {
    std::size_t n = records.size();
    Bytes b(80 + 8 * n, 0);
    std::copy(name.begin(), name.end(), b.begin());
    b[32] = 0;
    b[33] = 8;
    std::copy_n("DATAKWIB", 8, b.begin() + 60);
    b[76] = static_cast<std::uint8_t>(n >> 8);
    b[77] = static_cast<std::uint8_t>(n);
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t pos = 80 + 8 * n + 128 * k;
        b[78 + 8 * k + 0] = static_cast<std::uint8_t>(pos >> 24);
        b[78 + 8 * k + 1] = static_cast<std::uint8_t>(pos >> 16);
        b[78 + 8 * k + 2] = static_cast<std::uint8_t>(pos >> 8);
        b[78 + 8 * k + 3] = static_cast<std::uint8_t>(pos);
        b[78 + 8 * k + 4] = 0x40;
        b[78 + 8 * k + 7] = static_cast<std::uint8_t>(k + 1);
        b.insert(b.end(), records[k].begin(), records[k].end());
    }
    return b;
}

void put(Bytes& rec, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), rec.begin() + static_cast<std::ptrdiff_t>(at));
}

TEST(Pdb2csvPrinting, EachColumnSignedOrUnsigned) {
    Bytes rec(128, 0);
    put(rec, 0, {0xFF, 0xFF, 0xFF, 0xFF});               // ID
    put(rec, 4, {0xFE, 0x07});                           // StatusCode, SymbolCode
    put(rec, 6, {0xFF, 0xFF});                           // UserData
    put(rec, 8, {0xFF, 0xFF});                           // TopLeftX
    put(rec, 10, {0x80, 0x00});                          // TopLeftY
    put(rec, 12, {0x7F, 0xFF});                          // ExtentX
    put(rec, 14, {0x01, 0x90});                          // ExtentY 400
    put(rec, 16, {0xFF, 0xFF, 0xFF, 0xFF});              // X
    put(rec, 20, {0x80, 0x00, 0x00, 0x00});              // Y
    std::fill(rec.begin() + 24, rec.begin() + 56, 'a');  // Text1: 32 bytes, no zero
    put(rec, 56, {0x61, 0x62, 0x63, 0x00, 0x78});        // Text2: abc
    put(rec, 76, {0xFF, 0xFF, 0x00, 0x0C});              // Value1, Value2
    put(rec, 80, {1, 2, 3, 4, 5, 0xFF});                 // Flag1..6
    put(rec, 86, {0xFF, 0xFF});                          // Value3
    put(rec, 88, {0x83, 0x72, 0x83, 0x8B});              // Text3: ビル
    testsupport::TempDir dir;
    testsupport::writeBytes(dir.file("list.pdb"), database("list", {rec}));
    platform::ScriptedPrompter p;
    ASSERT_EQ(converter::pdb2csvFiles(dir.file("list.pdb"), dir.file("out.csv"), p), Outcome::Done);
    EXPECT_EQ(testsupport::readText(dir.file("out.csv")),
              "4294967295,254,7,65535,-1,-32768,32767,400,-1,-2147483648," + std::string(32, 'a') +
                  ",abc,65535,12,1,2,3,4,5,255,65535,\x83\x72\x83\x8B\r\n");
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_EQ(p.calls()[0].text, "処理が終了しました！");
    EXPECT_EQ(p.calls()[0].title, "pdb2csv");
    EXPECT_EQ(p.calls()[0].icon, platform::Icon::Information);
}

TEST(Pdb2csvPrinting, TextsThatWouldNotReadBackAreQuoted) {
    converter::FeatureAttrRec r;
    converter::storeText(r.Text1, "a,b");
    converter::storeText(r.Text2, " lead");
    converter::storeText(r.Text3, "q\"x,y");  // holds a quote: cannot be quoted
    EXPECT_EQ(converter::formatAttrCsvLine(r),
              "0,0,0,0,0,0,0,0,0,0,\"a,b\",\" lead\",0,0,0,0,0,0,0,0,0,q\"x,y");
}

TEST(Pdb2csvRun, NoRecordsGiveAnEmptyCsv) {
    testsupport::TempDir dir;
    testsupport::writeBytes(dir.file("e.pdb"), database("e", {}));
    platform::ScriptedPrompter p;
    ASSERT_EQ(converter::pdb2csvFiles(dir.file("e.pdb"), dir.file("e.csv"), p), Outcome::Done);
    EXPECT_TRUE(testsupport::exists(dir.file("e.csv")));
    EXPECT_EQ(testsupport::readText(dir.file("e.csv")), "");
    EXPECT_EQ(p.texts(), std::vector<std::string>{"処理が終了しました！"});
}

TEST(Pdb2csvName, PrefixIgnoringCase) {
    auto matches = [](const std::string& stored, const std::string& expected) {
        Bytes field(32, 0);
        std::copy(stored.begin(), stored.end(), field.begin());
        return converter::databaseNameMatches(field, expected);
    };
    EXPECT_TRUE(matches("list", "list"));
    EXPECT_TRUE(matches("LIST", "list"));
    EXPECT_TRUE(matches("listA", "list"));
    EXPECT_FALSE(matches("li", "list"));
    EXPECT_FALSE(matches("my\0data", "my data"));
    EXPECT_TRUE(matches("anything", ""));
    // A name stored with all 32 bytes passes for the file's longer name.
    std::string full(32, 'n');
    EXPECT_TRUE(matches(full, std::string(40, 'N')));
    // Double-byte names compare byte for byte: 建 is 8C 9A.
    EXPECT_TRUE(
        matches("\x8C\x9A"
                "1",
                "建"));
    EXPECT_FALSE(matches("\x8C\x9B", "建"));
    // Case folding does not touch trail bytes: ア is 83 41, 83 61 is ビ... not ア.
    EXPECT_FALSE(matches("\x83\x61", "ア"));
}

TEST(Pdb2csvRefused, WrongNameLeavesTheEarlierCsv) {
    testsupport::TempDir dir;
    testsupport::writeBytes(dir.file("list.pdb"), database("li", {Bytes(128, 0)}));
    testsupport::writeBytes(dir.file("out.csv"), Bytes{'o', 'l', 'd'});
    platform::ScriptedPrompter p;
    EXPECT_EQ(converter::pdb2csvFiles(dir.file("list.pdb"), dir.file("out.csv"), p),
              Outcome::Failed);
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_EQ(p.calls()[0].text, " データベース名が違っています！");
    EXPECT_EQ(p.calls()[0].title, "pdb2csv");
    EXPECT_EQ(p.calls()[0].icon, platform::Icon::Critical);
    EXPECT_EQ(testsupport::readText(dir.file("out.csv")), "old");
}

// The database is refused with a message holding whatPart; the earlier CSV stays.
void expectRefused(const Bytes& file, const std::string& whatPart) {
    testsupport::TempDir dir;
    testsupport::writeBytes(dir.file("t.pdb"), file);
    testsupport::writeBytes(dir.file("t.csv"), Bytes{'o', 'l', 'd'});
    platform::ScriptedPrompter p;
    EXPECT_EQ(converter::pdb2csvFiles(dir.file("t.pdb"), dir.file("t.csv"), p), Outcome::Failed);
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_NE(p.calls()[0].text.find(whatPart), std::string::npos) << p.calls()[0].text;
    EXPECT_EQ(testsupport::readText(dir.file("t.csv")), "old");
}

TEST(Pdb2csvRefused, DamagedDatabases) {
    Bytes two = database("t", {Bytes(128, 1), Bytes(128, 2)});
    two.resize(two.size() - 1);
    expectRefused(two, "レコード 2（全 2 件）が途中で切れています");
    Bytes header = database("t", {});
    header.resize(60);
    expectRefused(header, "短すぎます（60 バイト");
    expectRefused(Bytes{'t'}, "データベース名が違っています");
    Bytes one = database("t", {Bytes(128, 0)});
    one.resize(100);
    expectRefused(one, "レコード 1（全 1 件）");
}

TEST(Pdb2csvRefused, UnreadableOrSameFile) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
    EXPECT_EQ(converter::pdb2csvFiles(dir.file("none.pdb"), dir.file("o.csv"), p), Outcome::Failed);
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_NE(p.calls()[0].text.find("none.pdb」を読めません"), std::string::npos);
    EXPECT_FALSE(testsupport::exists(dir.file("o.csv")));

    p.clear();
    Bytes db = database("same", {Bytes(128, 0)});
    testsupport::writeBytes(dir.file("same.pdb"), db);
    EXPECT_EQ(converter::pdb2csvFiles(dir.file("same.pdb"), dir.file("same.pdb"), p),
              Outcome::Failed);
    EXPECT_EQ(testsupport::readBytes(dir.file("same.pdb")), db);

    // The CSV cannot be put in place: a folder of that name is there.
    p.clear();
    std::filesystem::create_directory(dir.file("dir.csv"));
    EXPECT_EQ(converter::pdb2csvFiles(dir.file("same.pdb"), dir.file("dir.csv"), p),
              Outcome::Failed);
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_NE(p.calls()[0].text.find("dir.csv」を書き込めません"), std::string::npos);
}

TEST(Pdb2csvDialogs, DatabaseThenCsvBesideIt) {
    testsupport::TempDir dir;
    testsupport::writeBytes(dir.file("list.pdb"), database("list", {Bytes(128, 0)}));
    platform::ScriptedFileChooser chooser;
    platform::ScriptedPrompter p;
    chooser.answerNext(dir.file("list.pdb"));
    chooser.answerNext(dir.file("list.csv"));
    EXPECT_EQ(converter::pdb2csv(chooser, "/opt/vornik", p), Outcome::Done);
    ASSERT_EQ(chooser.requests().size(), 2u);
    EXPECT_EQ(chooser.requests()[0].title, "PDBファイルを選択");
    EXPECT_EQ(chooser.requests()[0].defaultExtension, "pdb");
    EXPECT_EQ(chooser.requests()[0].initialFolder, "/opt/vornik");
    EXPECT_EQ(chooser.requests()[1].title, "CSVファイルを選択");
    EXPECT_EQ(chooser.requests()[1].defaultExtension, "csv");
    EXPECT_EQ(chooser.requests()[1].initialFolder, dir.path() + "/");
    EXPECT_EQ(testsupport::readText(dir.file("list.csv")),
              "0,0,0,0,0,0,0,0,0,0,,,0,0,0,0,0,0,0,0,0,\r\n");

    // Cancelling either dialog ends the run without a message or a file.
    p.clear();
    chooser.answerNext(std::nullopt);
    EXPECT_EQ(converter::pdb2csv(chooser, "/opt/vornik", p), Outcome::Cancelled);
    chooser.answerNext(dir.file("list.pdb"));
    chooser.answerNext(std::nullopt);
    EXPECT_EQ(converter::pdb2csv(chooser, "/opt/vornik", p), Outcome::Cancelled);
    EXPECT_TRUE(p.calls().empty());
}

// Round trip over every column's range edges. The expected printed value is the one in the
// column's printed range with the same low bits as the value csv2pdb accepted, worked out
// here with plain modular arithmetic.
struct Edge {
    int column;
    std::string written;  // as in the CSV
    long long value;      // the rounded number csv2pdb keeps (before storing its low bits)
};

std::string printed(int column, long long v) {
    auto mod = [](long long x, long long m) { return ((x % m) + m) % m; };
    switch (column) {
        case 1:  // unsigned 32
            return std::to_string(mod(v, 4294967296LL));
        case 2:
        case 3:
        case 15:
        case 16:
        case 17:
        case 18:
        case 19:
        case 20:
            return std::to_string(mod(v, 256));
        case 4:
        case 13:
        case 14:
        case 21:  // unsigned 16
            return std::to_string(mod(v, 65536));
        case 5:
        case 6:
        case 7:
        case 8: {  // signed 16
            long long u = mod(v, 65536);
            return std::to_string(u >= 32768 ? u - 65536 : u);
        }
        default: {  // 9, 10: signed 32
            long long u = mod(v, 4294967296LL);
            return std::to_string(u >= 2147483648LL ? u - 4294967296LL : u);
        }
    }
}

TEST(Pdb2csvRoundTrip, EveryAcceptedRangeEdgeComesBack) {
    std::vector<Edge> edges = {
        {1, "-2147483648", -2147483648LL},
        {1, "2147483647", 2147483647},
        {1, "-1", -1},
        {1, "0", 0},
        {1, "12.5", 12},
        {2, "0", 0},
        {2, "255", 255},
        {2, "2.5", 2},
        {3, "3.5", 4},
        {3, "255", 255},
    };
    for (int c = 4; c <= 8; ++c)
        for (auto [w, v] : std::vector<std::pair<std::string, long long>>{{"-32768", -32768},
                                                                          {"-1", -1},
                                                                          {"32767", 32767},
                                                                          {"32768", 32768},
                                                                          {"40000", 40000},
                                                                          {"65535", 65535},
                                                                          {"65536", 65536},
                                                                          {"98303", 98303}})
            edges.push_back({c, w, v});
    for (int c = 9; c <= 10; ++c)
        for (auto [w, v] :
             std::vector<std::pair<std::string, long long>>{{"-2147483648", -2147483648LL},
                                                            {"-1", -1},
                                                            {"2147483647", 2147483647},
                                                            {"2147483648", 2147483648LL},
                                                            {"3000000000", 3000000000LL},
                                                            {"4294967295", 4294967295LL},
                                                            {"6442450943", 6442450943LL}})
            edges.push_back({c, w, v});
    for (int c : {13, 14, 21})
        for (auto [w, v] : std::vector<std::pair<std::string, long long>>{
                 {"-32768", -32768}, {"-1", -1}, {"0", 0}, {"32767", 32767}})
            edges.push_back({c, w, v});
    for (int c = 15; c <= 20; ++c) {
        edges.push_back({c, "0", 0});
        edges.push_back({c, "255", 255});
    }

    // One line per edge, every other column 0, texts varied.
    std::string csv;
    std::string expected;
    std::vector<std::string> texts = {"", "abc  ", "\"a,b\"", "\x83\x72\x83\x8B",
                                      std::string(33, 'z')};
    std::vector<std::string> textsBack = {"", "abc", "\"a,b\"", "\x83\x72\x83\x8B",
                                          std::string(32, 'z')};
    for (std::size_t i = 0; i < edges.size(); ++i) {
        std::string in, out;
        for (int c = 1; c <= 22; ++c) {
            if (c > 1) {
                in += ',';
                out += ',';
            }
            if (c == 11 || c == 12 || c == 22) {
                std::size_t t = (i + static_cast<std::size_t>(c)) % texts.size();
                if (c == 12 && t == 4)
                    t = 0;  // 33 bytes only fit a 32- or 40-byte field
                in += texts[t];
                // 33 bytes are cut to a 32-byte field and fit the 40-byte one.
                out += (c == 22 && t == 4) ? texts[t] : textsBack[t];
            } else if (c == edges[i].column) {
                in += edges[i].written;
                out += printed(c, edges[i].value);
            } else {
                in += "0";
                out += "0";
            }
        }
        csv += in + "\r\n";
        expected += out + "\r\n";
    }
    testsupport::TempDir dir;
    testsupport::writeBytes(dir.file("edges.csv"), Bytes(csv.begin(), csv.end()));
    platform::ScriptedPrompter p;
    ASSERT_EQ(converter::csv2pdbFile(dir.file("edges.csv"), {2001, 4, 1}, p), Outcome::Done)
        << (p.calls().size() > 1 ? p.calls()[1].text : "");
    testsupport::PalmView view = testsupport::palmRead(dir.file("edges.pdb"));
    ASSERT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.recordLengths, std::vector<std::size_t>(edges.size(), 128));
    ASSERT_EQ(converter::pdb2csvFiles(dir.file("edges.pdb"), dir.file("back.csv"), p),
              Outcome::Done);
    std::string back = testsupport::readText(dir.file("back.csv"));
    EXPECT_EQ(back, expected);
}

}  // namespace
