// csv2pdb where the command line cannot reach it: the output path rule, a write that fails
// half way, and the file dialog. Everything else is in the command-line cases.
#include "converter/attrconv/csv2pdb.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace {

using converter::Outcome;
using Bytes = std::vector<std::uint8_t>;

const platform::LocalDate kApril1st2001{2001, 4, 1};

std::string line(const std::string& id) {
    return id + ",0,0,0,0,0,0,0,0,0,,,0,0,0,0,0,0,0,0,0,";
}

void writeText(const std::string& path, const std::string& text) {
    testsupport::writeBytes(path, Bytes(text.begin(), text.end()));
}

TEST(Csv2pdbPaths, OutputBesideTheCsv) {
    EXPECT_EQ(converter::csv2pdbOutputPath("/data/a.b.csv"), "/data/a.b.pdb");
    EXPECT_EQ(converter::csv2pdbOutputPath("list.CSV"), "list.pdb");
    for (const char* refused : {"/data/list", "/data.d/list", "/data/list.", ""})
        EXPECT_EQ(converter::csv2pdbOutputPath(refused), std::nullopt) << refused;
}

TEST(Csv2pdbRefused, AWriteThatFailsHalfWayLeavesTheEarlierDatabase) {
    testsupport::TempDir dir;
    platform::ScriptedPrompter p;
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
