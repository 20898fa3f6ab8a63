// The attribute pass refuses an area count the graphic pass did not find (a DM file changed
// between the passes); what each element becomes is tested through the command-line cases.
#include "converter/dm/dm_passes.h"

#include <gtest/gtest.h>

#include "dm_builder.h"

using namespace dmtest;

TEST(DmAttributePass, ACountThatDisagreesWithTheGraphicPassIsRefused) {
    std::string data =
        file({sheet(0, 0, 1, 1, 999),
              {group(1)},
              lineElement("E1", 3001, {{0.25, 0.25}, {0.25, 0.75}, {0.75, 0.75}, {0.25, 0.25}})});
    std::vector<dm::AreaBox> areas;
    dm::PassResult more = dm::runAttributePass(data, "t.dm", 2, areas);
    EXPECT_FALSE(more.ok);
    EXPECT_EQ(
        more.message,
        "t.dm: 図形PDBの面の数 2 と属性の面の数が一致しません（DMファイルが変更された可能性があ"
        "ります）");
    dm::PassResult fewer = dm::runAttributePass(data, "t.dm", 0, areas);
    EXPECT_FALSE(fewer.ok);
    EXPECT_EQ(fewer.message.rfind("t.dm 4行目: 図形PDBの面の数 0 と", 0), 0u) << fewer.message;
}
