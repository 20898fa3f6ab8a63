// The read, save and delete commands as the editor's buttons run them: the database-file
// dialog's answers reach the command, and a cancel anywhere leaves the files alone. What the
// commands write is tested below the window and through lorvex-cli.
#include <gtest/gtest.h>

#include "dialogs_support.h"
#include "editor/ui/database_file_dialog.h"
#include "editor/ui/design_commands.h"
#include "platform/scripted_prompter.h"

namespace {

using namespace dialogtest;
using editor::CommandResult;
using lorvex::DatabaseFileDialog;
using platform::Answer;
using testsupport::Bytes;

constexpr std::size_t kDesignBytes = 41138;

class DesignCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override { editor::ResetEditor(state); }

    lorvex::CommandContext context() { return {state, prompter, chooser, nullptr}; }

    CommandResult save(const std::string& path, const QString& name, const QString& code = {}) {
        answerDesignDialog(chooser, path, name, code, lorvex::kSaveCaption);
        return lorvex::runSaveCommand(context());
    }
    CommandResult remove(const std::string& path, const QString& code) {
        answerDesignDialog(chooser, path, QStringLiteral("Master"), code, lorvex::kDeleteCaption);
        return lorvex::runDeleteCommand(context());
    }

    testsupport::TempDir dir;
    editor::EditorState state;
    platform::ScriptedPrompter prompter;
    platform::ScriptedFileChooser chooser;
};

TEST_F(DesignCommandsTest, DeletingBOfABCLeavesACWithCountTwo) {
    std::string path = dir.file("m.pdb");
    writeMaster(path, {"A", "B", "C"});
    Bytes before = testsupport::readBytes(path);
    editor::DispRec working = state.working;
    ASSERT_EQ(remove(path, QStringLiteral("B")), CommandResult::Done);
    Bytes after = testsupport::readBytes(path);
    EXPECT_EQ(recordCount(after), 2);
    EXPECT_EQ(codesOf(path), (std::vector<std::string>{"A", "C"}));
    // C moved up whole: its record is the old record 2, byte for byte.
    EXPECT_TRUE(std::equal(after.begin() + recordPos(after, 1), after.end(),
                           before.begin() + recordPos(before, 2), before.end()));
    expectPalm(path, {kDesignBytes, kDesignBytes});
    // The question names the code, and Enter answers Cancel.
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_EQ(prompter.calls()[0].text,
              "指定されたレコード（識別コード「B」）を削除します。\nよろしいですか？");
    EXPECT_EQ(prompter.calls()[0].buttons, platform::Buttons::OkCancelDefaultCancel);
    EXPECT_TRUE(state.working == working);
}

TEST_F(DesignCommandsTest, CancelAnywhereChangesNothingOnDisk) {
    std::string path = dir.file("m.pdb");
    writeMaster(path, {"A", "B"});
    const Bytes before = testsupport::readBytes(path);
    editor::setFieldText(state.working.titles[0], "unsaved");

    auto cancelDialog = [&] {
        whenShown<DatabaseFileDialog>([&](DatabaseFileDialog* d) {
            chooser.answerNext(path);
            click(d->chooseButton());
            click(d->cancelButton());
        });
    };
    cancelDialog();
    EXPECT_EQ(lorvex::runSaveCommand(context()), CommandResult::Cancelled);
    cancelDialog();
    EXPECT_EQ(lorvex::runDeleteCommand(context()), CommandResult::Cancelled);
    editor::DispRec edited = state.working;
    cancelDialog();
    EXPECT_FALSE(lorvex::askDesignTarget(lorvex::kReadCaption, context()));
    EXPECT_TRUE(state.working == edited);
    EXPECT_TRUE(prompter.calls().empty());

    // The overwrite question and the delete confirmation answered with Cancel.
    prompter.answerNext(Answer::Cancel);
    EXPECT_EQ(save(path, QStringLiteral("Master"), QStringLiteral("A")), CommandResult::Cancelled);
    prompter.answerNext(Answer::Cancel);
    EXPECT_EQ(remove(path, QStringLiteral("A")), CommandResult::Cancelled);
    EXPECT_EQ(prompter.calls().size(), 2u);

    // A cancelled chooser inside the dialog, then Cancel.
    whenShown<DatabaseFileDialog>([this](DatabaseFileDialog* d) {
        chooser.answerNext(std::nullopt);
        click(d->chooseButton());
        EXPECT_FALSE(d->okButton()->isEnabled());
        click(d->cancelButton());
    });
    EXPECT_EQ(lorvex::runSaveCommand(context()), CommandResult::Cancelled);

    EXPECT_EQ(testsupport::readBytes(path), before);
    EXPECT_FALSE(testsupport::exists(dir.file("m.txt")));
    EXPECT_EQ(editor::fieldText(state.working.titles[0]), "unsaved");
}

}  // namespace
