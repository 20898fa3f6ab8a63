// What the sessions in tests/cases/lorvex/check-report cannot reach: a database without
// designs, and the report's path beside each kind of database path.
#include <gtest/gtest.h>

#include "editor/model/check_report.h"
#include "platform/cp932.h"

namespace {

TEST(CheckReport, NoDesignsAndShortPaths) {
    pdb::PdbImage empty;
    pdb::MakeNewImage(empty);
    pdb::setDatabaseName(empty.header, "Master");
    empty.listHeader.iRecNum = 0;
    std::string text = platform::toUtf8(editor::CheckReportText(empty, editor::DispRec{}));
    EXPECT_NE(text.find("<< ERROR : 画面設計情報が１つもありません >>\r\nTotal Size    =      72"),
              std::string::npos);
    EXPECT_EQ(editor::CheckReportPath("a.pdb"), "a.txt");
    EXPECT_EQ(editor::CheckReportPath("/d/x.PDB"), "/d/x.txt");
    EXPECT_EQ(editor::CheckReportPath("abc"), "");
    platform::OutputSet outputs;
    platform::Status r = editor::StageCheckReport(empty, editor::DispRec{}, "abc", outputs);
    EXPECT_FALSE(r);
    EXPECT_FALSE(r.error().empty());
}

}  // namespace
