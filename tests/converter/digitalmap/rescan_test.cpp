// The indexed lookups give exactly the answers of the literal scans: the conversion and the
// rescanning reference write identical files, also where IDs repeat (two arcs with one ID,
// several attribute records for one building or one town).
#include <gtest/gtest.h>

#include "case_support.h"
#include "converter/digitalmap/digital_map.h"
#include "platform/cp932.h"
#include "rescan_reference.h"
#include "sheet_generator.h"

namespace {

void expectSameOutputs(const std::string& sheetDir) {
    testsupport::TempDir indexed, rescanned;
    platform::ScriptedPrompter prompter;
    ASSERT_TRUE(
        digitalmap::CreateFromDigitalMap(sheetDir, indexed.path(), {}, {2001, 12, 5}, prompter));
    ASSERT_TRUE(rescan::convertByRescanning(sheetDir, rescanned.path(), {2001, 12, 5}));
    std::string base = digitalmap::SheetBaseName(sheetDir);
    casesupport::expectDatabasesLoad(indexed.path(), base);
    casesupport::expectDatabasesLoad(rescanned.path(), base);
    for (const std::string& name : {base + "_G.pdb", base + ".csv", base + "_A.pdb"}) {
        auto a = testsupport::readBytes(indexed.file(name));
        auto b = testsupport::readBytes(rescanned.file(name));
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_TRUE(a == b) << name << " differs";
    }
}

TEST(IndexedLookups, MatchTheScansOnTheSampleSheet) {
    expectSameOutputs(KWIB_SOURCE_DIR "/samples/dm2500/53394525");
}

TEST(IndexedLookups, MatchTheScansWhereIdsRepeat) {
    testsupport::TempDir dir;
    sheetgen::SheetOptions options;
    options.duplicates = true;
    options.blocksEast = 4;
    options.blocksNorth = 3;
    sheetgen::writeSheet(dir.file("53394525"), options);
    expectSameOutputs(dir.file("53394525"));

    // and the answers are the ones the repeated records call for
    testsupport::TempDir out;
    platform::ScriptedPrompter prompter;
    ASSERT_TRUE(digitalmap::CreateFromDigitalMap(dir.file("53394525"), out.path(), {},
                                                 {2001, 12, 5}, prompter));
    auto lines = casesupport::csvLines(testsupport::readText(out.file("53394525.csv")));
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(casesupport::splitCsvLine(lines[2])[10], platform::toCp932("再登録3"));  // last wins
    EXPECT_EQ(casesupport::splitCsvLine(lines[3])[10], platform::toCp932("住宅4"));
    auto g = casesupport::walkGraphic(out.file("53394525_G.pdb"));
    auto areas = casesupport::elementsOfKind(g, pdb::kKindArea);
    ASSERT_FALSE(areas.empty());
    // building 1: both arcs with ID 1 (2 + 2 points), then three more arcs of one new point
    EXPECT_EQ(pdb::DecodePointBody(*areas[0])->points.size(), 7u);
    auto labels = casesupport::elementsOfKind(g, pdb::kKindLabel);
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(pdb::DecodeLabelBody(*labels[0])->name,
              platform::toCp932("本町一丁目"));  // first wins
}

}  // namespace
