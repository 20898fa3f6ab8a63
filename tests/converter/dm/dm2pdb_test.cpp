// What a failed write of either database leaves behind (the command-line cases cannot make
// a write fail; everything else about the conversion is tested there).
#include "converter/dm/dm2pdb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "dm_builder.h"
#include "platform/files.h"
#include "platform/scripted_prompter.h"

using namespace dmtest;
using testsupport::Bytes;

namespace {

const platform::LocalDate kDay{2001, 12, 5};

struct Conversion {
    dm::Dm2PdbResult result;
    std::vector<std::string> texts;
};

Conversion convert(const testsupport::TempDir& dir, const std::string& data) {
    testsupport::writeBytes(dir.file("t.dm"), Bytes(data.begin(), data.end()));
    platform::ScriptedPrompter prompter;
    Conversion run;
    run.result = dm::dm2pdb(dir.file("t.dm"), dir.path(), {}, kDay, prompter);
    run.texts = prompter.texts();
    return run;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(Dm2Pdb, FailedWritesLeaveEarlierFilesAlone) {
    testsupport::TempDir dir;
    // An earlier graphic database survives a failed write, and no attribute stage follows.
    std::string good =
        file({sheet(0, 0, 1, 1, 999),
              {group(1)},
              lineElement("E1", 3001, {{0.25, 0.25}, {0.25, 0.75}, {0.75, 0.75}, {0.25, 0.25}})});
    testsupport::writeBytes(dir.file("t_G.pdb"), Bytes{1, 2, 3});
    platform::testing::WriteFaults faults(10);
    Conversion failed = convert(dir, good);
    faults.end();
    EXPECT_EQ(failed.result.outcome, converter::Outcome::Failed);
    ASSERT_EQ(failed.texts.size(), 2u);
    EXPECT_EQ(failed.texts[1].rfind(
                  "図形PDBファイル「" + dir.file("t_G.pdb") + "」を書き込めません（", 0),
              0u)
        << failed.texts[1];
    EXPECT_NE(failed.texts[1].find("以前のファイルはそのまま残っています。"), std::string::npos);
    EXPECT_EQ(testsupport::readBytes(dir.file("t_G.pdb")), (Bytes{1, 2, 3}));
    EXPECT_FALSE(testsupport::exists(dir.file("t_A.pdb")));

    // The pair is replaced together: a failed write of the attribute database, the last
    // output, keeps the earlier graphic database too, and leaves no temporary file.
    testsupport::TempDir sized;
    convert(sized, good);
    std::size_t graphicSize = testsupport::readBytes(sized.file("t_G.pdb")).size();
    testsupport::writeBytes(dir.file("t_A.pdb"), Bytes{4, 5, 6});
    platform::testing::WriteFaults faults2(graphicSize + 10);
    Conversion late = convert(dir, good);
    faults2.end();
    EXPECT_EQ(late.result.outcome, converter::Outcome::Failed);
    EXPECT_EQ(
        late.texts.back().rfind("ファイル「" + dir.file("t_A.pdb") + "」を書き込めません（", 0), 0u)
        << late.texts.back();
    EXPECT_EQ(testsupport::readBytes(dir.file("t_G.pdb")), (Bytes{1, 2, 3}));
    EXPECT_EQ(testsupport::readBytes(dir.file("t_A.pdb")), (Bytes{4, 5, 6}));
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"t.dm", "t_A.pdb", "t_G.pdb"}));
}
