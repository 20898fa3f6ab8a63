// The read, save and delete commands as the editor's buttons run them: the database-file
// dialog with the command's caption, its answers, then the files as they are on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "dialogs_support.h"
#include "editor/ui/database_file_dialog.h"
#include "editor/ui/design_commands.h"
#include "platform/scripted_prompter.h"

namespace {

using namespace dialogtest;
using editor::CommandResult;
using editor::ObjectKind;
using lorvex::DatabaseFileDialog;
using platform::Answer;
using testsupport::Bytes;

constexpr std::size_t kDesignBytes = 41138;
// Offset of slot s's label Y in a design record: code 32, counts 10, titles 8 × 32 and
// modal flags 8 bytes come first (306), then 176-byte slots holding the page number (1),
// the label text (33) and label X (2) before label Y.
std::size_t labelYOffset(std::size_t slot) {
    return 306 + 176 * slot + 36;
}

ino_t inodeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_ino;
}

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

TEST_F(DesignCommandsTest, SavingTwiceWritesTheFixedButtonsAt35And288BothTimes) {
    std::string path = dir.file("d.pdb");
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(save(path, QStringLiteral("Default")), CommandResult::Done);
        Bytes file = testsupport::readBytes(path);
        ASSERT_EQ(recordCount(file), 1);
        std::uint32_t at = recordPos(file, 0);
        EXPECT_EQ(file.size(), at + kDesignBytes);
        EXPECT_EQ(testsupport::be16(
                      file, at + labelYOffset(editor::slotIndex(ObjectKind::SearchButton, 0, 0))),
                  35);
        for (int page = 0; page < 8; ++page)
            for (ObjectKind kind : {ObjectKind::UpdateButton, ObjectKind::CloseButton})
                EXPECT_EQ(
                    testsupport::be16(file, at + labelYOffset(editor::slotIndex(kind, 0, page))),
                    288)
                    << "page " << page;
        EXPECT_TRUE(testsupport::exists(dir.file("d.txt")));
        expectPalm(path, {kDesignBytes});
    }
    // The second save asked before overwriting; the working design keeps its own places.
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"指定されたファイルが存在します。\n上書きしますか？"});
    EXPECT_EQ(state.working.slots[editor::slotIndex(ObjectKind::SearchButton, 0, 0)].labelY, 32);
}

TEST_F(DesignCommandsTest, CodesAThenBInANewMasterLeaveAFirst) {
    std::string path = dir.file("m.pdb");
    ASSERT_EQ(save(path, QStringLiteral("Master"), QStringLiteral("A")), CommandResult::Done);
    ASSERT_EQ(save(path, QStringLiteral("Master"), QStringLiteral("B")), CommandResult::Done);
    EXPECT_EQ(codesOf(path), (std::vector<std::string>{"A", "B"}));
    expectPalm(path, {kDesignBytes, kDesignBytes});
    EXPECT_EQ(editor::fieldText(state.working.code), "B");
    // Adding B replaced nothing, so nothing was asked; saving under A again replaces A in
    // place after a question naming it.
    EXPECT_TRUE(prompter.calls().empty());
    ASSERT_EQ(save(path, QStringLiteral("Master"), QStringLiteral("A")), CommandResult::Done);
    EXPECT_EQ(codesOf(path), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{
                  "指定されたファイルに識別コード「A」のレコードが存在します。\n上書きしますか？"});
}

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

TEST_F(DesignCommandsTest, DeletingAnUnknownCodeRewritesAllDesigns) {
    std::string path = dir.file("m.pdb");
    writeMaster(path, {"A", "B", "C"});
    Bytes before = testsupport::readBytes(path);
    ino_t original = inodeOf(path);
    ASSERT_EQ(remove(path, QStringLiteral("Z")), CommandResult::Done);
    // Written anew (a new file renamed over the old one), with the same designs.
    EXPECT_NE(inodeOf(path), original);
    EXPECT_EQ(codesOf(path), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(testsupport::readBytes(path), before);
    expectPalm(path, {kDesignBytes, kDesignBytes, kDesignBytes});
}

TEST_F(DesignCommandsTest, DeleteRefusesOtherNamesAndMissingFiles) {
    std::string path = dir.file("d.pdb");
    writeDesignDatabase(path, "Default", {design("")});
    Bytes before = testsupport::readBytes(path);
    answerDesignDialog(chooser, path, QStringLiteral("Default"), {}, lorvex::kDeleteCaption);
    EXPECT_EQ(lorvex::runDeleteCommand(context()), CommandResult::Failed);
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"指定されたファイルはマスターPDBではありません。"});
    EXPECT_EQ(testsupport::readBytes(path), before);

    prompter.clear();
    std::string missing = dir.file("none.pdb");
    answerDesignDialog(chooser, missing, QStringLiteral("Master"), QStringLiteral("A"),
                       lorvex::kDeleteCaption);
    EXPECT_EQ(lorvex::runDeleteCommand(context()), CommandResult::Failed);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{"指定されたファイルが存在しません。"});
    EXPECT_FALSE(testsupport::exists(missing));
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

TEST_F(DesignCommandsTest, SaveWithoutCodeIntoAnAttributeDatabaseWritesNothing) {
    std::string path = dir.file("attr.pdb");
    ASSERT_EQ(save(path, QStringLiteral("Kaoku")), CommandResult::Failed);
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_NE(prompter.calls()[0].text.find("識別コードが未設定"), std::string::npos);
    EXPECT_FALSE(testsupport::exists(path));
    EXPECT_FALSE(testsupport::exists(dir.file("attr.txt")));
}

}  // namespace
