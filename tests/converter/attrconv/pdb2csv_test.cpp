// pdb2csv where the command line cannot reach it: quoting of texts, the name rule, and the
// two file dialogs. Everything else is in the command-line cases.
#include "converter/attrconv/pdb2csv.h"

#include <gtest/gtest.h>

#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace {

using converter::Outcome;
using Bytes = std::vector<std::uint8_t>;

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

TEST(Pdb2csvDialogs, DatabaseThenCsvBesideIt) {
    testsupport::TempDir dir;
    {
        // A database "list" of one empty record: header, record list, record.
        Bytes b(80 + 8 + 128, 0);
        std::copy_n("list", 4, b.begin());
        std::copy_n("DATAKWIB", 8, b.begin() + 60);
        b[77] = 1;
        b[81] = 88;
        testsupport::writeBytes(dir.file("list.pdb"), b);
    }
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

}  // namespace
