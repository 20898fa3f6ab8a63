// The attribute conversion command: both directions on the editor's image, the round
// trip, what a spreadsheet reader makes of the file, and every refusal.
#include <gtest/gtest.h>

#include <cstdio>

#include "attr_fixtures.h"
#include "editor/attrconv/attr_conversion.h"
#include "editor/attrconv/attr_csv_import.h"
#include "platform/files.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

using namespace attrtest;
using editor::AttributeConversion;
using editor::CommandResult;
using editor::ConversionType;
using platform::Answer;

namespace {

constexpr std::size_t kRows = 3;

// The standard design with placed objects, Japanese labels and item lists.
editor::DispRec richDesign() {
    editor::DispRec d = editor::freshWorkingDesign();
    editor::setFieldText(d.code, sj("道路台帳"));
    for (std::size_t slot = 2; slot < 122; slot += 3) d.slots[slot].pageNumber = slot % 8;
    editor::setFieldText(d.slots[2].labelText, sj("種別,区分"));
    editor::setFieldText(d.slots[2].items, sj("国道\r\n県道\r\n市道"));
    editor::setFieldText(d.slots[3].items, sj("有\r\n無\r\n"));
    return d;
}

// Records with every kind of value; reals chosen so that six decimals carry them.
std::vector<pdb::AttrRec> richRecords() {
    std::vector<pdb::AttrRec> recs(kRows);
    const float reals[] = {0.1f, -273.15f, 2.5f, 1234.5678f, -0.125f, 3.5e6f, 0.0f, 99.99f};
    for (std::size_t i = 0; i < kRows; ++i) {
        pdb::AttrRec& r = recs[i];
        const int s = static_cast<int>(i) + 1;
        r.ID = 1000 * s;
        r.StatusCode = static_cast<std::int8_t>(-s);
        r.SymbolCode = static_cast<std::int8_t>(100 + s);
        r.UserData = static_cast<std::int16_t>(-32768 + s);
        r.TopLeftX = static_cast<std::int16_t>(-300 * s);
        r.TopLeftY = static_cast<std::int16_t>(300 * s);
        r.ExtentX = 32767;
        r.ExtentY = static_cast<std::int16_t>(s);
        r.X = -2147483647 - 1 + s;
        r.Y = 2147483647 - s;
        for (std::size_t k = 0; k < pdb::kCmbValues; ++k)
            r.Cmb[k] = static_cast<std::uint8_t>(k * 5 + i);
        for (std::size_t k = 0; k < pdb::kIntValues; ++k)
            r.Int[k] = static_cast<std::int32_t>(k * 100003) * (k % 2 ? -1 : 1) + s;
        for (std::size_t k = 0; k < pdb::kRealValues; ++k) r.Real[k] = reals[(k + i) % 8];
        for (std::size_t k = 0; k < pdb::kStrValues; ++k)
            setStr(r, k, sj("名称") + std::to_string(k) + sj("ｶﾅ") + std::to_string(i));
        setStr(r, 9, std::string(31, 'z'));  // a full field
    }
    return recs;
}

void writeImage(pdb::PdbImage image, const std::string& path) {
    platform::Status w = pdb::WriteDatabase(image, path);
    ASSERT_TRUE(w) << w.error();
}

// A master database of two designs; its header values are not those of a new image.
pdb::PdbImage richMaster() {
    editor::DispRec other = designWithCounts(1, 0, 0, 1);
    editor::setFieldText(other.code, std::string("OTHER"));
    pdb::PdbImage master = masterImage({other, richDesign()});
    master.header.attributes = 0x18;
    master.header.creationDate = 12345;
    master.header.modificationNumber = 7;
    master.header.uniqueIdSeed = 99;
    return master;
}

struct Fixture {
    testsupport::TempDir dir;
    std::string master = dir.file("master.pdb");
    std::string attr = dir.file("attr.pdb");
    std::string csv = dir.file("attr.csv");
    editor::EditorState state;
    platform::ScriptedPrompter prompter;

    Fixture() {
        editor::ResetEditor(state);
        writeImage(richMaster(), master);
        writeImage(attributeImage(richDesign(), richRecords()), attr);
    }

    CommandResult toCsv(const std::string& in, const std::string& out) {
        AttributeConversion r;
        r.type = ConversionType::PdbToCsv;
        r.inputPath = in;
        r.outputPath = out;
        return run(r);
    }
    AttributeConversion toPdbRequest(const std::string& in, const std::string& out) {
        AttributeConversion r;
        r.type = ConversionType::CsvToPdb;
        r.inputPath = in;
        r.outputPath = out;
        r.masterPath = master;
        r.databaseName = sj("属性テスト");
        r.codeIndex = 1;
        return r;
    }
    CommandResult run(const AttributeConversion& r) {
        return editor::AttributeConversionCommand(state, r, prompter);
    }
    CommandResult toPdb(const std::string& in, const std::string& out) {
        return run(toPdbRequest(in, out));
    }
    void writeCsv(const std::string& path, const std::string& text) {
        testsupport::writeBytes(path, testsupport::Bytes(text.begin(), text.end()));
    }
};

// An attribute database as the independent reader sees it: the design and then rows
// attribute records, with the given name.
void expectPalmAttributeDatabase(const std::string& path, std::size_t rows,
                                 const std::string& name) {
    testsupport::PalmView view = testsupport::palmRead(path);
    ASSERT_TRUE(view.loaded) << view.error;
    EXPECT_EQ(view.name, name);
    EXPECT_EQ(view.type, "DATA");
    EXPECT_EQ(view.creator, "KWIB");
    ASSERT_EQ(view.recordLengths.size(), rows + 1);
    EXPECT_EQ(view.recordLengths[0], 41138u);
    for (std::size_t i = 1; i <= rows; ++i) EXPECT_EQ(view.recordLengths[i], 636u) << i;
}

std::vector<std::string> pythonCellCounts(const std::string& csvPath) {
    std::string cmd =
        "python3 '" KWIB_TESTS_DIR "/editor/attrconv/csv_cell_counts.py' '" + csvPath + "' 2>&1";
    std::vector<std::string> counts;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return counts;
    char line[256];
    while (std::fgets(line, sizeof line, p)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        counts.push_back(s);
    }
    pclose(p);
    return counts;
}

}  // namespace

TEST(AttributeConversion, RoundTripKeepsTheCsvAndTheRecordsWithTheDesignByIndexOrCode) {
    Fixture f;
    editor::DispRec workingBefore = f.state.working;
    ASSERT_EQ(f.toCsv(f.attr, f.csv), CommandResult::Done);
    EXPECT_TRUE(f.prompter.calls().empty());
    EXPECT_EQ(pdb::databaseName(f.state.image.header), "attrdb");  // the image holds the input
    EXPECT_EQ(f.state.image.heldAttrRecs(), kRows);
    // Python's csv reader sees 130 cells in rows 1 to 3 and the data rows; row 4 has 60
    // cells and the empty one after its trailing comma.
    std::vector<std::string> expected = {"130", "130", "130", "61"};
    expected.resize(4 + kRows, "130");
    EXPECT_EQ(pythonCellCounts(f.csv), expected);

    const std::string out = f.dir.file("back.pdb");
    ASSERT_EQ(f.toPdb(f.csv, out), CommandResult::Done);
    EXPECT_TRUE(f.prompter.calls().empty());
    expectPalmAttributeDatabase(out, kRows, sj("属性テスト"));

    pdb::PdbImage back;
    ASSERT_EQ(*pdb::LoadDatabase(back, out), pdb::LoadStatus::Loaded);
    const auto originals = richRecords();
    ASSERT_EQ(back.heldAttrRecs(), kRows);
    for (std::size_t i = 0; i < kRows; ++i)
        EXPECT_TRUE(pdb::sameBytes(back.attrRecs[i], originals[i])) << "record " << i + 1;
    EXPECT_EQ(back.designs[0], richDesign());  // the design chosen by its index
    // The master's header values, apart from the name.
    EXPECT_EQ(back.header.attributes, 0x18);
    EXPECT_EQ(back.header.version, 100);
    EXPECT_EQ(back.header.creationDate, 12345u);
    EXPECT_EQ(back.header.modificationNumber, 7u);
    EXPECT_EQ(back.header.uniqueIdSeed, 99u);

    // After the conversion the editor's image holds the new database; the working
    // design is untouched.
    EXPECT_EQ(f.state.image.kind(), pdb::DatabaseKind::Attribute);
    EXPECT_EQ(f.state.image.listHeader.iRecNum, kRows + 1);
    EXPECT_EQ(f.state.working, workingBefore);

    const std::string again = f.dir.file("again.csv");
    ASSERT_EQ(f.toCsv(out, again), CommandResult::Done);
    EXPECT_EQ(testsupport::readBytes(again), testsupport::readBytes(f.csv));

    // A code chooses the first design of the master carrying it, whatever the index.
    AttributeConversion r = f.toPdbRequest(f.csv, f.dir.file("coded.pdb"));
    r.codeIndex = 0;
    r.code = sj("道路台帳");
    ASSERT_EQ(f.run(r), CommandResult::Done);
    EXPECT_EQ(editor::fieldText(f.state.image.designs[0].code), sj("道路台帳"));
    EXPECT_EQ(f.state.image.heldDesigns(), 1u);
    expectPalmAttributeDatabase(f.dir.file("coded.pdb"), kRows, sj("属性テスト"));
}

TEST(AttributeConversion, AnsweringCancelToTheOverwriteQuestionWritesNothing) {
    Fixture f;
    f.writeCsv(f.csv, "old csv");
    f.prompter.answerNext(Answer::Cancel);
    EXPECT_EQ(f.toCsv(f.attr, f.csv), CommandResult::Cancelled);
    EXPECT_EQ(f.prompter.texts(),
              std::vector<std::string>{"出力ファイルが既に存在します。\n上書きしますか？"});
    EXPECT_EQ(testsupport::readText(f.csv), "old csv");

    const std::string input = f.dir.file("in.csv");
    f.writeCsv(input, "h\nh\nh\nh\n1\n");
    f.prompter.clear();
    f.prompter.answerNext(Answer::Cancel);
    EXPECT_EQ(f.toPdb(input, f.attr), CommandResult::Cancelled);
    expectPalmAttributeDatabase(f.attr, kRows, "attrdb");
}

TEST(AttributeConversion, BadCsvInputIsRefusedAndTheEarlierOutputSurvives) {
    Fixture f;
    const std::string out = f.dir.file("out.pdb");
    writeImage(attributeImage(richDesign(), richRecords(), "keep"), out);
    expectPalmAttributeDatabase(out, kRows, "keep");
    const testsupport::Bytes before = testsupport::readBytes(out);

    // Deterministic garbage holding every byte value, NUL included.
    std::string garbage;
    std::uint32_t x = 12345;
    for (int i = 0; i < 5000; ++i) {
        x = x * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(x >> 16));
    }
    std::string tooMany = "h\nh\nh\nh\n";
    for (std::size_t i = 0; i <= editor::kMaxAttrRecords; ++i) tooMany += "\n";

    struct Case {
        const char* name;
        std::string csv;
        std::string messageStart;
    };
    const std::string in = f.dir.file("bad.csv");
    const Case cases[] = {
        {"empty", "", "「" + in + "」は見出しの4行の途中で終わっています（0 行"},
        {"three rows", "a\r\nb\r\nc\r\n", "「" + in + "」は見出しの4行の途中で終わっています"},
        {"UTF-8", "項目名称(ID)\nh\nh\nh\n南区\n", "「" + in + "」の 1 行目、1 列目"},
        {"garbage", garbage, "「" + in + "」はテキストファイルではありません"},
        {"too many rows", tooMany, "「" + in + "」のデータ行が多すぎます（65535 行）"},
    };
    for (const Case& c : cases) {
        f.writeCsv(in, c.csv);
        f.prompter.clear();
        EXPECT_EQ(f.toPdb(in, out), CommandResult::Failed) << c.name;
        ASSERT_EQ(f.prompter.calls().size(), 2u) << c.name;  // overwrite question, then refusal
        EXPECT_TRUE(f.prompter.calls()[1].text.starts_with(c.messageStart))
            << c.name << ": " << f.prompter.calls()[1].text;
        EXPECT_EQ(testsupport::readBytes(out), before) << c.name;
    }
}

TEST(AttributeConversion, CellsThatDoNotFitAreShownAndConvertedOnlyWhenAccepted) {
    Fixture f;
    const std::string out = f.dir.file("out.pdb");
    writeImage(attributeImage(richDesign(), {}, "keep"), out);
    expectPalmAttributeDatabase(out, 0, "keep");
    const testsupport::Bytes before = testsupport::readBytes(out);
    const std::string in = f.dir.file("long.csv");
    f.writeCsv(in, "h\nh\nh\nh\n" + std::string(300, '7') + ",1\n");

    f.prompter.answerNext(Answer::Ok);      // overwrite
    f.prompter.answerNext(Answer::Cancel);  // the problems
    EXPECT_EQ(f.toPdb(in, out), CommandResult::Cancelled);
    ASSERT_EQ(f.prompter.calls().size(), 2u);
    const std::string& question = f.prompter.calls()[1].text;
    EXPECT_TRUE(question.starts_with("CSVファイル「" + in +
                                     "」には、そのままでは格納できないセルが 2 件あります。\n"
                                     "5 行目 1 列目 項目名称(ID): セルが255バイトを超えているため"))
        << question;
    EXPECT_TRUE(question.ends_with("\nこのまま変換しますか？")) << question;
    EXPECT_EQ(testsupport::readBytes(out), before);

    f.prompter.clear();
    EXPECT_EQ(f.toPdb(in, out), CommandResult::Done);
    expectPalmAttributeDatabase(out, 1, sj("属性テスト"));
    EXPECT_EQ(f.state.image.attrRecs[0].StatusCode, 1);
}

TEST(AttributeConversion, EachRefusalHasItsMessageAndWritesNothing) {
    Fixture f;
    const std::string csvIn = f.dir.file("in.csv");
    f.writeCsv(csvIn, "h\nh\nh\nh\n1\n");
    const std::string missing = f.dir.file("missing.csv");
    const std::string out = f.dir.file("never.pdb");

    struct Case {
        const char* name;
        AttributeConversion request;
        std::string message;
    };
    auto pdbRequest = [&](auto change) {
        AttributeConversion r = f.toPdbRequest(csvIn, out);
        change(r);
        return r;
    };
    const std::string notMaster = "選択されたファイルがマスターPDBファイルではありません。\n";
    const std::string notAttr = "選択されたファイルが属性PDBファイルではありません。\n";
    auto reserved = [](const std::string& name) {
        return "データベース名「" + name +
               "」は属性PDBファイルには使えません。\nMaster と Default 以外の名前にして下さい。";
    };
    const Case cases[] = {
        {"missing input", pdbRequest([&](auto& r) { r.inputPath = missing; }),
         "指定された入力ファイルが存在しません。\n" + missing},
        {"master is an attribute database", pdbRequest([&](auto& r) { r.masterPath = f.attr; }),
         notMaster + f.attr},
        {"master does not exist",
         pdbRequest([&](auto& r) { r.masterPath = f.dir.file("none.pdb"); }),
         notMaster + f.dir.file("none.pdb")},
        {"code index past the designs", pdbRequest([&](auto& r) { r.codeIndex = 2; }),
         "選択された識別コード（3 番目）がマスターPDBファイルにありません。\n" + f.master},
        {"code not in the master", pdbRequest([&](auto& r) { r.code = std::string("NONE"); }),
         "識別コード「NONE」のデザインがマスターPDBファイルにありません。\n" + f.master},
        {"name Master", pdbRequest([&](auto& r) { r.databaseName = "Master"; }),
         reserved("Master")},
        {"name Default", pdbRequest([&](auto& r) { r.databaseName = "Default"; }),
         reserved("Default")},
        {"empty name", pdbRequest([&](auto& r) { r.databaseName = ""; }),
         "データベース名を入力して下さい。"},
        {"32-byte name", pdbRequest([&](auto& r) {
             r.databaseName = std::string(16, 'a') + sj("あいうえおかきく");
         }),
         "データベース名が長すぎます。\n31文字以内にして下さい。"},
        {"output is the master", pdbRequest([&](auto& r) { r.outputPath = f.master; }),
         notAttr + f.master},
    };
    for (const Case& c : cases) {
        f.prompter.clear();
        EXPECT_EQ(f.run(c.request), CommandResult::Failed) << c.name;
        EXPECT_EQ(f.prompter.texts(), std::vector<std::string>{c.message}) << c.name;
        EXPECT_FALSE(testsupport::exists(out)) << c.name;
    }
    expectPalmAttributeDatabase(f.attr, kRows, "attrdb");
    EXPECT_EQ(testsupport::palmRead(f.master).recordLengths.size(), 2u);

    // A 31-byte name is accepted.
    AttributeConversion r = f.toPdbRequest(csvIn, out);
    r.databaseName = std::string(15, 'a') + sj("あいうえおかきく");
    f.prompter.clear();
    EXPECT_EQ(f.run(r), CommandResult::Done);
    expectPalmAttributeDatabase(out, 1, r.databaseName);
}

TEST(AttributeConversion, ExportRefusesWhatIsNotAnAttributeDatabase) {
    Fixture f;
    const std::string text = f.dir.file("text.pdb");
    f.writeCsv(text, "not a database");
    const std::string missing = f.dir.file("missing.pdb");
    struct Case {
        std::string input;
        std::string messageStart;
    };
    const Case cases[] = {
        {missing, "指定された入力ファイルが存在しません。\n" + missing},
        {f.master, "選択されたファイルが属性PDBファイルではありません。\n" + f.master},
        {text, "「" + text + "」はPDBファイルではありません"},
    };
    for (const Case& c : cases) {
        f.prompter.clear();
        f.writeCsv(f.csv, "old");
        EXPECT_EQ(f.toCsv(c.input, f.csv), CommandResult::Failed) << c.input;
        ASSERT_EQ(f.prompter.calls().size(), 1u) << c.input;
        EXPECT_TRUE(f.prompter.calls()[0].text.starts_with(c.messageStart))
            << f.prompter.calls()[0].text;
        EXPECT_EQ(testsupport::readText(f.csv), "old");
    }
}

TEST(AttributeConversion, UnwritableOutputsReportTheWriteFailure) {
    Fixture f;
    const std::string nowhere = f.dir.file("no/such/folder/out");
    EXPECT_EQ(f.toCsv(f.attr, nowhere + ".csv"), CommandResult::Failed);
    ASSERT_EQ(f.prompter.calls().size(), 1u);
    EXPECT_EQ(f.prompter.calls()[0].icon, platform::Icon::Critical);
    EXPECT_TRUE(f.prompter.calls()[0].text.starts_with(
        "ファイルが開けません。\n編集中でないか確認してください。\n" + nowhere + ".csv"));

    const std::string csvIn = f.dir.file("in.csv");
    f.writeCsv(csvIn, "h\nh\nh\nh\n1\n");
    f.prompter.clear();
    EXPECT_EQ(f.toPdb(csvIn, nowhere + ".pdb"), CommandResult::Failed);
    ASSERT_EQ(f.prompter.calls().size(), 1u);
    EXPECT_TRUE(f.prompter.calls()[0].text.starts_with("ファイルが開けません。\n" + nowhere))
        << f.prompter.calls()[0].text;

    // A write that fails half-way leaves the earlier database whole.
    f.prompter.clear();
    platform::testing::WriteFaults faults(1000);
    EXPECT_EQ(f.toPdb(csvIn, f.attr), CommandResult::Failed);
    faults.end();
    expectPalmAttributeDatabase(f.attr, kRows, "attrdb");
}
