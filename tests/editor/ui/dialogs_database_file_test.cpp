// The database-file dialog and the file chooser: what choosing a file, picking and typing
// names and codes do to the lists and to OK.
#include <gtest/gtest.h>

#include "dialogs_support.h"
#include "editor/ui/database_file_dialog.h"
#include "editor/ui/lorvex_file_dialog.h"
#include "platform/scripted_prompter.h"

namespace {

using namespace dialogtest;
using lorvex::DatabaseFileDialog;

const std::string kTooLongName = "データベース名が長すぎます。\n31文字以内にして下さい。";
const std::string kTooLongCode = "識別コード名が長すぎます。\n31文字以内にして下さい。";

class DatabaseFileDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { dialog.show(); }

    // "選 択" answered with path.
    void choose(const std::string& path) {
        chooser.answerNext(path);
        click(dialog.chooseButton());
    }

    testsupport::TempDir dir;
    platform::ScriptedPrompter prompter;
    platform::ScriptedFileChooser chooser;
    DatabaseFileDialog dialog{QString::fromUtf8(lorvex::kSaveCaption), prompter, chooser};
};

TEST_F(DatabaseFileDialogTest, OpensWithOnlyTheChooserUsableAndACancelledChoiceKeepsIt) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("画面設計情報レコードへの書込み"));
    EXPECT_EQ(dialog.chooseButton()->text(), QStringLiteral("選 択"));
    EXPECT_EQ(dialog.cancelButton()->text(), QStringLiteral("ｷｬﾝｾﾙ"));
    EXPECT_EQ(itemsOf(dialog.nameBox()),
              (std::vector<QString>{QStringLiteral("Default"), QStringLiteral("Master")}));
    EXPECT_TRUE(dialog.pathEdit()->isReadOnly());
    EXPECT_FALSE(dialog.codeBox()->isEnabled());
    // The chooser is a save-style PDB chooser; cancelled, it leaves all as it was.
    chooser.answerNext(std::nullopt);
    click(dialog.chooseButton());
    ASSERT_EQ(chooser.requests().size(), 1u);
    const platform::FileRequest& request = chooser.requests()[0];
    EXPECT_TRUE(request.save);
    EXPECT_EQ(request.filterName, "PDBﾌｧｲﾙ");
    EXPECT_EQ(request.filterPattern, "*.pdb");
    EXPECT_EQ(request.defaultExtension, "pdb");
    EXPECT_TRUE(dialog.pathEdit()->text().isEmpty());
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    EXPECT_FALSE(dialog.nameBox()->isEnabled());
    // A file of another name adds it in sorted place, after a name equal but for case.
    writeDesignDatabase(dir.file("u.pdb"), "MASTER", {design("A")});
    choose(dir.file("u.pdb"));
    EXPECT_EQ(itemsOf(dialog.nameBox()),
              (std::vector<QString>{QStringLiteral("Default"), QStringLiteral("Master"),
                                    QStringLiteral("MASTER")}));
    // A file named "Default" selects the list's own item.
    writeDesignDatabase(dir.file("d.pdb"), "Default", {design("A")});
    choose(dir.file("d.pdb"));
    EXPECT_EQ(dialog.nameBox()->count(), 3);
}

TEST_F(DatabaseFileDialogTest, ExistingMasterOffersItsCodesInRecordOrderUnderTheNameRule) {
    std::string path = dir.file("m.pdb");
    writeMaster(path, {"B", sj("住所"), "A"});
    choose(path);
    EXPECT_EQ(dialog.pathEdit()->text().toStdString(), path);
    EXPECT_EQ(dialog.nameBox()->currentText(), QStringLiteral("Master"));
    EXPECT_TRUE(dialog.codeBox()->isEnabled());
    EXPECT_EQ(
        itemsOf(dialog.codeBox()),
        (std::vector<QString>{QStringLiteral("B"), QStringLiteral("住所"), QStringLiteral("A")}));
    // No code chosen yet: nothing to accept under "Master".
    EXPECT_TRUE(dialog.codeBox()->currentText().isEmpty());
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    pick(dialog.codeBox(), 0);
    ASSERT_TRUE(dialog.okButton()->isEnabled());

    // "Default" empties and disables the code list; OK as the name is not empty.
    pick(dialog.nameBox(), 0);
    EXPECT_EQ(dialog.codeBox()->count(), 0);
    EXPECT_TRUE(dialog.codeBox()->currentText().isEmpty());
    EXPECT_FALSE(dialog.codeBox()->isEnabled());
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    // Back to "Master": the codes are read again from the file, none chosen.
    pick(dialog.nameBox(), 1);
    EXPECT_EQ(
        itemsOf(dialog.codeBox()),
        (std::vector<QString>{QStringLiteral("B"), QStringLiteral("住所"), QStringLiteral("A")}));
    EXPECT_FALSE(dialog.okButton()->isEnabled());

    pick(dialog.codeBox(), 1);
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    click(dialog.okButton());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    editor::DesignTarget target = dialog.target();
    EXPECT_EQ(target.path, path);
    EXPECT_EQ(target.databaseName, "Master");
    EXPECT_EQ(target.code, sj("住所"));
    EXPECT_TRUE(prompter.calls().empty());
}

TEST_F(DatabaseFileDialogTest, MissingFileSelectsDefaultAndEnablesOkAtOnce) {
    std::string path = dir.file("new.pdb");
    choose(path);
    EXPECT_EQ(dialog.nameBox()->currentText(), QStringLiteral("Default"));
    EXPECT_TRUE(dialog.nameBox()->isEnabled());
    EXPECT_FALSE(dialog.codeBox()->isEnabled());
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    // Enter in the name field presses the default button, OK.
    dialog.nameBox()->lineEdit()->setFocus();
    QTest::keyClick(dialog.nameBox()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.target().databaseName, "Default");
    EXPECT_EQ(dialog.target().code, "");
    EXPECT_FALSE(testsupport::exists(path));  // the dialog writes nothing
}

TEST_F(DatabaseFileDialogTest, NamesAndCodesOf32BytesAreRefusedAt31Accepted) {
    choose(dir.file("a.pdb"));
    QLineEdit* name = dialog.nameBox()->lineEdit();
    // 15 double-byte characters and one single byte: 31 bytes.
    const QString name31 = QStringLiteral("地図属性データベース一覧表示用x");
    retype(name, name31);
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    // One byte more, typed as one more key: the message, OK disabled.
    type(name, QStringLiteral("y"));
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{kTooLongName});
    EXPECT_EQ(prompter.calls()[0].buttons, platform::Buttons::Ok);
    EXPECT_TRUE(prompter.calls()[0].title.empty());  // the application's title
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    // Taking the byte back makes it acceptable again.
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    EXPECT_EQ(prompter.calls().size(), 1u);

    prompter.clear();
    retype(name, QStringLiteral("Master"));
    QLineEdit* code = dialog.codeBox()->lineEdit();
    retype(code, QStringLiteral("コード") + QString(25, QLatin1Char('9')));  // 31 bytes
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    type(code, QStringLiteral("9"));
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{kTooLongCode});
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    // An emptied code leaves nothing to accept.
    retype(code, QString());
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    // So does an emptied name.
    retype(name, QStringLiteral("x"));
    ASSERT_TRUE(dialog.okButton()->isEnabled());
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_FALSE(dialog.okButton()->isEnabled());
}

TEST_F(DatabaseFileDialogTest, CharactersWithoutShiftJisCodeAreRefusedByName) {
    choose(dir.file("a.pdb"));
    retype(dialog.nameBox()->lineEdit(), QStringLiteral("地図€"));
    ASSERT_EQ(prompter.calls().size(), 1u);
    QString text = QString::fromStdString(prompter.calls()[0].text);
    EXPECT_TRUE(text.contains(QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽ名"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("€"))) << text.toStdString();
    EXPECT_FALSE(dialog.okButton()->isEnabled());
}

TEST_F(DatabaseFileDialogTest, AnUnreadableFileSaysWhyAndCountsAsMissing) {
    std::string path = dir.file("broken.pdb");
    testsupport::writeBytes(path, testsupport::Bytes(40, 0x41));
    choose(path);
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_NE(prompter.calls()[0].text.find("broken.pdb"), std::string::npos)
        << prompter.calls()[0].text;
    EXPECT_EQ(dialog.nameBox()->currentText(), QStringLiteral("Default"));
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    EXPECT_EQ(testsupport::readBytes(path), testsupport::Bytes(40, 0x41));
}

TEST(LorvexFileDialog, SelectButtonFilterAndDefaultExtension) {
    lorvex::CLorvexFileDialog open(lorvex::fileRequest(lorvex::FileKind::Csv, false));
    EXPECT_EQ(open.labelText(QFileDialog::Accept), QStringLiteral("選 択"));
    EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(open.nameFilters(), QStringList{QStringLiteral("CSVﾌｧｲﾙ (*.csv)")});
    EXPECT_EQ(open.defaultSuffix(), QStringLiteral("csv"));

    lorvex::CLorvexFileDialog save(lorvex::fileRequest(lorvex::FileKind::Pdb, true));
    EXPECT_EQ(save.labelText(QFileDialog::Accept), QStringLiteral("選 択"));
    EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save.nameFilters(), QStringList{QStringLiteral("PDBﾌｧｲﾙ (*.pdb)")});
    EXPECT_EQ(save.defaultSuffix(), QStringLiteral("pdb"));
    EXPECT_TRUE(save.testOption(QFileDialog::DontConfirmOverwrite));
}

TEST(LorvexFileDialog, ChosenNameWithoutExtensionGetsTheDefaultOne) {
    testsupport::TempDir dir;
    QWidget parent;
    lorvex::LorvexFileChooser chooser(&parent);
    platform::FileRequest request = lorvex::fileRequest(lorvex::FileKind::Pdb, true);
    request.initialFolder = dir.path();
    bool seen = false;
    whenShown<lorvex::CLorvexFileDialog>(
        [](lorvex::CLorvexFileDialog* d) {
            auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            QTest::keyClicks(name, QStringLiteral("plan"));
            QTest::keyClick(name, Qt::Key_Return);
        },
        &seen);
    std::optional<std::string> chosen = chooser.choose(request);
    EXPECT_TRUE(seen);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, dir.file("plan.pdb"));

    whenShown<lorvex::CLorvexFileDialog>([](lorvex::CLorvexFileDialog* d) { d->reject(); });
    EXPECT_FALSE(chooser.choose(request));
}

}  // namespace
