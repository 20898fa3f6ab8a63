// pdb2csv: the printed form of every field from hand-made record bytes, the name check,
// damaged databases, and the round trip of csv2pdb's accepted range edges.
#include "converter/attrconv/pdb2csv.h"

#include <gtest/gtest.h>

#include <cmath>
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
    testsupport::writeBytes(dir.file("e.pdb"), database("e", {}));
    platform::ScriptedPrompter p;
    ASSERT_EQ(converter::pdb2csvFiles(dir.file("list.pdb"), dir.file("out.csv"), p), Outcome::Done);
    EXPECT_EQ(testsupport::readText(dir.file("out.csv")),
              "4294967295,254,7,65535,-1,-32768,32767,400,-1,-2147483648," + std::string(32, 'a') +
                  ",abc,65535,12,1,2,3,4,5,255,65535,\x83\x72\x83\x8B\r\n");
    // No records: an empty CSV and the final message all the same.
    ASSERT_EQ(converter::pdb2csvFiles(dir.file("e.pdb"), dir.file("e.csv"), p), Outcome::Done);
    EXPECT_EQ(testsupport::readText(dir.file("e.csv")), "");
    ASSERT_EQ(p.calls().size(), 2u);
    for (const auto& call : p.calls()) {
        EXPECT_EQ(call.text, "処理が終了しました！");
        EXPECT_EQ(call.title, "pdb2csv");
        EXPECT_EQ(call.icon, platform::Icon::Information);
    }
}

TEST(Pdb2csvPrinting, TextsThatWouldNotReadBackAreQuoted) {
    pdb::FeatureAttrRec r;
    pdb::storeText(r.Text1, "a,b");
    pdb::storeText(r.Text2, " lead");
    pdb::storeText(r.Text3, "q\"x,y");  // holds a quote: cannot be quoted
    EXPECT_EQ(converter::formatAttrCsvLine(r),
              "0,0,0,0,0,0,0,0,0,0,\"a,b\",\" lead\",0,0,0,0,0,0,0,0,0,q\"x,y");
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
    EXPECT_FALSE(matches("li", "list"));  // the zero byte is compared with "s"
    EXPECT_FALSE(matches(std::string("my\0data", 7), "my data"));
    EXPECT_TRUE(matches(std::string(32, 'n'), std::string(40, 'N')));  // 32 bytes, no zero
    EXPECT_TRUE(
        matches("\x8C\x9A"
                "1",
                "建"));                       // 建 is 8C 9A
    EXPECT_FALSE(matches("\x83\x61", "ア"));  // ア is 83 41: trail bytes keep their case
}

// The database is refused with a message holding what; an earlier CSV stays.
void expectRefused(const Bytes& file, const std::string& what, const char* pdb = "t.pdb",
                   const char* csv = "t.csv") {
    testsupport::TempDir dir;
    if (!file.empty())
        testsupport::writeBytes(dir.file(pdb), file);
    testsupport::writeBytes(dir.file("t.csv"), Bytes{'o', 'l', 'd'});
    platform::ScriptedPrompter p;
    EXPECT_EQ(converter::pdb2csvFiles(dir.file(pdb), dir.file(csv), p), Outcome::Failed);
    ASSERT_EQ(p.calls().size(), 1u);
    EXPECT_EQ(p.calls()[0].title, "pdb2csv");
    EXPECT_EQ(p.calls()[0].icon, platform::Icon::Critical);
    EXPECT_NE(p.calls()[0].text.find(what), std::string::npos) << p.calls()[0].text;
    EXPECT_EQ(testsupport::readText(dir.file("t.csv")), "old");
}

TEST(Pdb2csvRefused, WrongNameDamagedOrUnreadable) {
    Bytes one = database("t", {Bytes(128, 0)});
    // A real name mismatch keeps its message, with the file and both names.
    expectRefused(one, " データベース名が違っています！\nデータベースファイル「", "tt.pdb");
    expectRefused(one, "tt.pdb」に記録された名前「t」が、ファイル名から決まる名前「tt」で",
                  "tt.pdb");
    Bytes two = database("t", {Bytes(128, 1), Bytes(128, 2)});
    two.pop_back();  // 80 + 8 × 2 + 128 × 2 = 352 bytes needed
    expectRefused(two,
                  "t.pdb」のレコード 2（全 2 件）が途中で切れています（ファイルは 351 "
                  "バイトで、352 バイト必要です）");
    // Files that are no Palm database, before their name is looked at.
    Bytes header = one;
    header.resize(60);
    const std::string notPalm = "t.pdb」は Palm のデータベースではありません（";
    expectRefused(header,
                  notPalm + "ヘッダーだけで 78 バイト必要ですが、60 バイトしかありません）");
    expectRefused(Bytes{'t'}, notPalm);
    Bytes text(200, 'a');  // iRecNum 0x6161: its record list would end at 199512
    text[0] = 't';
    text[1] = 0;
    expectRefused(text, notPalm + "ヘッダーのレコード数 24929 のレコードリスト");
    testsupport::TempDir empty;
    testsupport::writeBytes(empty.file("t.pdb"), {});
    platform::ScriptedPrompter quiet;
    EXPECT_EQ(converter::pdb2csvFiles(empty.file("t.pdb"), empty.file("t.csv"), quiet),
              Outcome::Failed);
    EXPECT_EQ(quiet.texts(),
              std::vector<std::string>{"データベースファイル「" + empty.file("t.pdb") +
                                       "」は Palm のデータベースではありません（ファ"
                                       "イルが空です）。CSV ファイルは作成しませんで"
                                       "した。"});
    expectRefused({}, "t.pdb」を読めません");
    expectRefused(one, "同じファイルは選べません", "t.pdb", "t.pdb");
    // The CSV cannot be put in place: a folder of that name is there.
    testsupport::TempDir dir;
    testsupport::writeBytes(dir.file("t.pdb"), one);
    std::filesystem::create_directory(dir.file("d.csv"));
    platform::ScriptedPrompter p;
    EXPECT_EQ(converter::pdb2csvFiles(dir.file("t.pdb"), dir.file("d.csv"), p), Outcome::Failed);
    EXPECT_NE(p.calls().at(0).text.find("d.csv」を書き込めません"), std::string::npos);
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

// The printed value of a number csv2pdb kept: the one in the column's printed range with
// the same low 8, 16 or 32 bits, by plain modular arithmetic.
std::string printed(int column, long long v) {
    auto wrap = [](long long x, long long m, bool isSigned) {
        long long u = ((x % m) + m) % m;
        return std::to_string(isSigned && u >= m / 2 ? u - m : u);
    };
    if (column == 1)
        return wrap(v, 4294967296LL, false);
    if (column == 9 || column == 10)
        return wrap(v, 4294967296LL, true);
    if (column >= 5 && column <= 8)
        return wrap(v, 65536, true);
    if (column == 4 || column == 13 || column == 14 || column == 21)
        return wrap(v, 65536, false);
    return wrap(v, 256, false);
}

TEST(Pdb2csvRoundTrip, EveryAcceptedRangeEdgeComesBack) {
    // Each column's accepted edges (and a few values between) as written; csv2pdb rounds
    // halves to even, as llrint does.
    using Cells = std::vector<std::string>;
    const Cells id = {"-2147483648", "-1", "0", "12.5", "2147483647"};
    const Cells byte = {"0", "2.5", "3.5", "255"};
    const Cells pattern16 = {"-32768", "-1", "32767", "32768", "40000", "65535", "65536", "98303"};
    const Cells coord = {"-2147483648", "-1",         "2147483647", "2147483648",
                         "3000000000",  "4294967295", "6442450943"};
    const Cells signed16 = {"-32768", "-1", "0", "32767"};
    // Texts as written and as they come back (trailing blanks dropped, cut to the field,
    // a comma kept inside quotes); 33 bytes fit the 40-byte Text3 only.
    std::vector<std::pair<std::string, std::string>> texts = {
        {"", ""},
        {"abc  ", "abc"},
        {"\"a,b\"", "\"a,b\""},
        {"\x83\x72\x83\x8B", "\x83\x72\x83\x8B"}};

    std::string csv, expected;
    int lineNo = 0;
    auto addLine = [&](int column, const std::string& value) {
        std::string in, out;
        for (int c = 1; c <= 22; ++c) {
            std::string sep = c > 1 ? "," : "";
            if (c == 11 || c == 12 || c == 22) {
                const auto& t = texts[static_cast<std::size_t>(lineNo + c) % texts.size()];
                bool longText = lineNo % 5 == 0 && c != 12;
                in += sep + (longText ? std::string(33, 'z') : t.first);
                out += sep + (longText ? std::string(c == 11 ? 32 : 33, 'z') : t.second);
            } else {
                in += sep + (c == column ? value : "0");
                out += sep + (c == column ? printed(c, std::llrint(std::stod(value))) : "0");
            }
        }
        csv += in + "\r\n";
        expected += out + "\r\n";
        ++lineNo;
    };
    for (const auto& v : id) addLine(1, v);
    for (int c : {2, 3, 15, 16, 17, 18, 19, 20})
        for (const auto& v : byte) addLine(c, v);
    for (int c = 4; c <= 8; ++c)
        for (const auto& v : pattern16) addLine(c, v);
    for (int c : {9, 10})
        for (const auto& v : coord) addLine(c, v);
    for (int c : {13, 14, 21})
        for (const auto& v : signed16) addLine(c, v);

    testsupport::TempDir dir;
    testsupport::writeBytes(dir.file("edges.csv"), Bytes(csv.begin(), csv.end()));
    platform::ScriptedPrompter p;
    ASSERT_EQ(converter::csv2pdbFile(dir.file("edges.csv"), {2001, 4, 1}, p), Outcome::Done)
        << p.calls().back().text;
    testsupport::PalmView view = testsupport::palmRead(dir.file("edges.pdb"));
    ASSERT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.recordLengths, std::vector<std::size_t>(std::size_t(lineNo), 128));
    ASSERT_EQ(converter::pdb2csvFiles(dir.file("edges.pdb"), dir.file("back.csv"), p),
              Outcome::Done);
    EXPECT_EQ(testsupport::readText(dir.file("back.csv")), expected);
}

}  // namespace
