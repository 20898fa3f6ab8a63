// The conversion command's paths lorvex-cli does not take (it reads CSVs and writes
// databases through the same command, but chooses the design by code, and answers
// questions only with --yes): the design chosen by its record number, the cut cells
// declined, and a database that cannot be written.
#include <gtest/gtest.h>

#include "attr_fixtures.h"
#include "editor/attrconv/attr_conversion.h"
#include "platform/files.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

using namespace attrtest;

TEST(AttributeConversion, IndexCutCellsAndWriteFailures) {
    testsupport::TempDir dir;
    pdb::PdbImage master;
    pdb::MakeNewImage(master);
    pdb::setDatabaseName(master.header, "Master");
    master.designs = {editor::freshWorkingDesign(), editor::DispRec{}};
    master.listHeader.iRecNum = 1;
    ASSERT_TRUE(pdb::WriteDatabase(master, dir.file("m.pdb")).ok());
    const std::string csv = dir.file("in.csv");
    testsupport::writeBytes(csv, {'h', '\n', 'h', '\n', 'h', '\n', 'h', '\n', 'x', '\n'});

    editor::EditorState state;
    editor::ResetEditor(state);
    platform::ScriptedPrompter prompter;
    editor::AttributeConversion r;
    r.inputPath = csv;
    r.masterPath = dir.file("m.pdb");
    r.databaseName = "survey";
    r.outputPath = dir.file("a.pdb");

    r.codeIndex = 1;
    EXPECT_EQ(editor::AttributeConversionCommand(state, r, prompter),
              editor::CommandResult::Failed);
    r.codeIndex = 0;
    prompter.answerNext(platform::Answer::Cancel);  // the question about the cell "x" declined
    EXPECT_EQ(editor::AttributeConversionCommand(state, r, prompter),
              editor::CommandResult::Cancelled);
    r.outputPath = dir.file("no/such/a.pdb");
    EXPECT_EQ(editor::AttributeConversionCommand(state, r, prompter),
              editor::CommandResult::Failed);
    ASSERT_EQ(prompter.calls().size(), 4u);
    EXPECT_EQ(prompter.calls()[0].text,
              "選択された識別コード（2 番目）がマスターPDBファイルにありません。\n" + r.masterPath);
    EXPECT_TRUE(prompter.calls()[1].text.ends_with("このまま変換しますか？"));
    EXPECT_EQ(prompter.calls()[2].text, prompter.calls()[1].text);  // accepted: written
    EXPECT_TRUE(prompter.calls()[3].text.starts_with("ファイルが開けません。\n"))
        << prompter.calls()[3].text;
    EXPECT_FALSE(testsupport::exists(dir.file("a.pdb")));
}
