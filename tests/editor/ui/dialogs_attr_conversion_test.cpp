// The attribute conversion dialog: its controls and rules, the files it refuses, and the
// conversion it hands to the command.
#include <gtest/gtest.h>

#include "dialogs_support.h"
#include "editor/ui/attribute_conversion_dialog.h"
#include "platform/scripted_prompter.h"

namespace {

using namespace dialogtest;
using editor::CommandResult;
using editor::ConversionType;
using lorvex::AttributeConversionDialog;
using platform::Answer;
using testsupport::Bytes;

const QString kCsvToPdb = QStringLiteral("CSV → PDB");
const QString kPdbToCsv = QStringLiteral("PDB → CSV");
const std::string kNotAttribute = "選択されたファイルが属性PDBファイルではありません。";
const std::string kNotMaster = "選択されたファイルがマスターPDBファイルではありません。";
const std::string kNameTooLong = "データベース名が長すぎます。\n31文字以内にして下さい。";

// An attribute database of the editor: the design, then the records.
void writeAttributeDatabase(const std::string& path, const std::string& name,
                            const editor::DispRec& design,
                            const std::vector<pdb::AttrRec>& records) {
    pdb::PdbImage image;
    pdb::MakeNewImage(image);
    pdb::setDatabaseName(image.header, name);
    image.designs.assign(2, editor::DispRec{});
    image.designs[0] = design;
    image.attrRecs.assign(records.begin(), records.end());
    image.attrRecs.emplace_back();
    image.listHeader.iRecNum = static_cast<std::uint16_t>(records.size() + 1);
    platform::Status written = pdb::WriteDatabase(image, path);
    ASSERT_TRUE(written) << written.error();
}

class AttributeConversionDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { dialog.show(); }

    void chooseWith(QPushButton* button, const std::optional<std::string>& path) {
        chooser.answerNext(path);
        click(button);
    }
    // A CSV → PDB conversion with everything but the database name chosen.
    void chooseCsvToPdbFiles(const std::string& master) {
        chooseWith(dialog.inputButton(), dir.file("in.csv"));
        chooseWith(dialog.outputButton(), dir.file("out.pdb"));
        chooseWith(dialog.masterButton(), master);
    }

    testsupport::TempDir dir;
    platform::ScriptedPrompter prompter;
    platform::ScriptedFileChooser chooser;
    AttributeConversionDialog dialog{prompter, chooser};
};

TEST_F(AttributeConversionDialogTest, OpensOnCsvToPdbWithOkAndTheCodeListDisabled) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("属性データ変換"));
    EXPECT_EQ(itemsOf(dialog.typeBox()), (std::vector<QString>{kCsvToPdb, kPdbToCsv}));
    EXPECT_EQ(dialog.typeBox()->currentText(), kCsvToPdb);
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    EXPECT_FALSE(dialog.codeBox()->isEnabled());
    EXPECT_TRUE(dialog.nameEdit()->isEnabled());
    EXPECT_TRUE(dialog.masterButton()->isEnabled());
    for (QLineEdit* path : {dialog.inputEdit(), dialog.outputEdit(), dialog.masterEdit()})
        EXPECT_TRUE(path->isReadOnly());
}

TEST_F(AttributeConversionDialogTest, ChoosersUseTheFilterOfEachFileAndDirection) {
    const struct {
        int type;
        QPushButton* button;
        const char* pattern;
        const char* extension;
        bool save;
    } cases[] = {
        {0, dialog.inputButton(), "*.csv", "csv", false},
        {0, dialog.outputButton(), "*.pdb", "pdb", true},
        {0, dialog.masterButton(), "*.pdb", "pdb", false},
        {1, dialog.inputButton(), "*.pdb", "pdb", false},
        {1, dialog.outputButton(), "*.csv", "csv", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        if (dialog.typeBox()->currentIndex() != c.type)
            pick(dialog.typeBox(), c.type);
        chooseWith(c.button, std::nullopt);
        EXPECT_EQ(chooser.requests().back().filterPattern, c.pattern);
        EXPECT_EQ(chooser.requests().back().defaultExtension, c.extension);
        EXPECT_EQ(chooser.requests().back().save, c.save);
    }
    EXPECT_TRUE(prompter.calls().empty());
}

TEST_F(AttributeConversionDialogTest, SwitchingTheTypeEmptiesOnlyInputAndOutput) {
    std::string master = dir.file("m.pdb");
    writeMaster(master, {"A", "B"});
    chooseCsvToPdbFiles(master);
    retype(dialog.nameEdit(), QStringLiteral("Kaoku"));
    pick(dialog.codeBox(), 1);
    EXPECT_TRUE(dialog.okButton()->isEnabled());

    pick(dialog.typeBox(), 1);
    EXPECT_TRUE(dialog.inputEdit()->text().isEmpty());
    EXPECT_TRUE(dialog.outputEdit()->text().isEmpty());
    EXPECT_EQ(dialog.masterEdit()->text().toStdString(), master);
    EXPECT_EQ(dialog.nameEdit()->text(), QStringLiteral("Kaoku"));
    EXPECT_EQ(itemsOf(dialog.codeBox()),
              (std::vector<QString>{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(dialog.codeBox()->currentIndex(), 1);
    EXPECT_FALSE(dialog.nameEdit()->isEnabled());
    EXPECT_FALSE(dialog.masterButton()->isEnabled());
    EXPECT_FALSE(dialog.okButton()->isEnabled());

    pick(dialog.typeBox(), 0);
    EXPECT_TRUE(dialog.nameEdit()->isEnabled());
    EXPECT_TRUE(dialog.masterButton()->isEnabled());
    EXPECT_FALSE(dialog.okButton()->isEnabled());
}

TEST_F(AttributeConversionDialogTest, DesignDatabasesAreRefusedWhereAnAttributeDatabaseGoes) {
    for (const char* name : {"Master", "Default"})
        writeDesignDatabase(dir.file(std::string(name) + ".pdb"), name, {design("A")});
    const struct {
        int type;
        QPushButton* button;
        QLineEdit* edit;
        const char* name;
    } cases[] = {
        {0, dialog.outputButton(), dialog.outputEdit(), "Master"},
        {1, dialog.inputButton(), dialog.inputEdit(), "Master"},
        {1, dialog.inputButton(), dialog.inputEdit(), "Default"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + c.name);
        if (dialog.typeBox()->currentIndex() != c.type)
            pick(dialog.typeBox(), c.type);
        chooseWith(dialog.outputButton(), dir.file("out.csv"));
        prompter.clear();
        chooseWith(c.button, dir.file(std::string(c.name) + ".pdb"));
        EXPECT_EQ(prompter.texts(), std::vector<std::string>{kNotAttribute});
        EXPECT_TRUE(c.edit->text().isEmpty());
        EXPECT_FALSE(dialog.okButton()->isEnabled());
    }
    // An attribute database is taken as PDB → CSV input (OK at once) and may be replaced
    // as CSV → PDB output (the command asks first).
    prompter.clear();
    std::string attr = dir.file("attr.pdb");
    writeAttributeDatabase(attr, "Kaoku", design("A"), std::vector<pdb::AttrRec>(3));
    chooseWith(dialog.inputButton(), attr);
    EXPECT_EQ(dialog.inputEdit()->text().toStdString(), attr);
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    pick(dialog.typeBox(), 0);
    chooseWith(dialog.outputButton(), attr);
    EXPECT_EQ(dialog.outputEdit()->text().toStdString(), attr);
    EXPECT_TRUE(prompter.calls().empty());
}

TEST_F(AttributeConversionDialogTest, ADefaultMissingOrBrokenFileAsMasterIsRefused) {
    std::string master = dir.file("m.pdb");
    writeMaster(master, {"A"});
    chooseCsvToPdbFiles(master);
    retype(dialog.nameEdit(), QStringLiteral("Kaoku"));
    ASSERT_TRUE(dialog.okButton()->isEnabled());

    std::string def = dir.file("d.pdb");
    writeDesignDatabase(def, "Default", {design("A")});
    chooseWith(dialog.masterButton(), def);
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{kNotMaster});
    EXPECT_FALSE(dialog.codeBox()->isEnabled());
    EXPECT_TRUE(dialog.masterEdit()->text().isEmpty());
    EXPECT_FALSE(dialog.okButton()->isEnabled());

    // A master without designs offers no code to convert with.
    prompter.clear();
    std::string empty = dir.file("empty.pdb");
    writeMaster(empty, {});
    chooseWith(dialog.masterButton(), empty);
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_EQ(dialog.codeBox()->count(), 0);
    EXPECT_FALSE(dialog.okButton()->isEnabled());

    // A missing file is no master; a broken one says why, naming the file.
    chooseWith(dialog.masterButton(), dir.file("none.pdb"));
    EXPECT_EQ(prompter.texts(), std::vector<std::string>{kNotMaster});
    EXPECT_TRUE(dialog.masterEdit()->text().isEmpty());
    prompter.clear();
    std::string broken = dir.file("broken.pdb");
    testsupport::writeBytes(broken, Bytes(50, 0x20));
    chooseWith(dialog.masterButton(), broken);
    ASSERT_EQ(prompter.calls().size(), 1u);
    EXPECT_NE(prompter.calls()[0].text.find("broken.pdb"), std::string::npos)
        << prompter.calls()[0].text;
    EXPECT_TRUE(dialog.masterEdit()->text().isEmpty());
    EXPECT_FALSE(dialog.codeBox()->isEnabled());
}

TEST_F(AttributeConversionDialogTest, DatabaseNamesOf31BytesPass32AndEditorNamesDoNot) {
    std::string master = dir.file("m.pdb");
    writeMaster(master, {"A"});
    chooseCsvToPdbFiles(master);
    EXPECT_FALSE(dialog.okButton()->isEnabled());  // no name yet

    // 15 double-byte characters and "x": 31 bytes.
    retype(dialog.nameEdit(), QStringLiteral("家屋調査属性データベース北地区x"));
    EXPECT_TRUE(prompter.calls().empty());
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    // 32 bytes, then 33: the message at each change while too long.
    type(dialog.nameEdit(), QStringLiteral("yz"));
    EXPECT_EQ(prompter.texts(), (std::vector<std::string>{kNameTooLong, kNameTooLong}));
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    QTest::keyClick(dialog.nameEdit(), Qt::Key_Backspace);
    EXPECT_EQ(prompter.calls().size(), 3u);
    EXPECT_FALSE(dialog.okButton()->isEnabled());
    QTest::keyClick(dialog.nameEdit(), Qt::Key_Backspace);
    EXPECT_EQ(prompter.calls().size(), 3u);
    EXPECT_TRUE(dialog.okButton()->isEnabled());

    for (const char* name : {"Master", "Default"}) {
        prompter.clear();
        retype(dialog.nameEdit(), QString::fromLatin1(name));
        ASSERT_EQ(prompter.calls().size(), 1u) << name;
        EXPECT_NE(prompter.calls()[0].text.find(name), std::string::npos);
        EXPECT_FALSE(dialog.okButton()->isEnabled()) << name;
    }
    prompter.clear();
    retype(dialog.nameEdit(), QStringLiteral("Masters"));
    EXPECT_TRUE(dialog.okButton()->isEnabled());
    retype(dialog.nameEdit(), QStringLiteral("家€"));
    ASSERT_FALSE(prompter.calls().empty());
    EXPECT_NE(prompter.calls().back().text.find("€"), std::string::npos);
    EXPECT_FALSE(dialog.okButton()->isEnabled());
}

TEST_F(AttributeConversionDialogTest, OkHandsBackTheChoicesAsShiftJis) {
    std::string master = dir.file("m.pdb");
    writeMaster(master, {"A", "B", "C"});
    chooseCsvToPdbFiles(master);
    EXPECT_EQ(dialog.codeBox()->currentIndex(), 0);  // the first code is chosen
    pick(dialog.codeBox(), 2);
    retype(dialog.nameEdit(), QStringLiteral("家屋"));
    click(dialog.okButton());
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    editor::AttributeConversion c = dialog.conversion();
    EXPECT_EQ(c.type, ConversionType::CsvToPdb);
    EXPECT_EQ(c.inputPath, dir.file("in.csv"));
    EXPECT_EQ(c.outputPath, dir.file("out.pdb"));
    EXPECT_EQ(c.masterPath, master);
    EXPECT_EQ(c.databaseName, sj("家屋"));
    EXPECT_EQ(c.codeIndex, 2u);
}

// Through the editor's button: the dialog, then the command on the editor's state.
class AttributeConversionCommandTest : public ::testing::Test {
  protected:
    void SetUp() override { editor::ResetEditor(state); }
    CommandResult run(std::function<void(AttributeConversionDialog*)> answer) {
        whenShown<AttributeConversionDialog>(std::move(answer));
        return lorvex::runAttributeConversion(state, prompter, chooser);
    }
    void choose(QPushButton* button, const std::string& path) {
        chooser.answerNext(path);
        click(button);
    }

    testsupport::TempDir dir;
    editor::EditorState state;
    platform::ScriptedPrompter prompter;
    platform::ScriptedFileChooser chooser;
};

TEST_F(AttributeConversionCommandTest, CancelInTheDialogOrToTheOverwriteQuestionWritesNothing) {
    std::string attr = dir.file("attr.pdb");
    writeAttributeDatabase(attr, "Kaoku", design("K1"), std::vector<pdb::AttrRec>(3));
    auto exportTo = [&](const std::string& csv, bool ok) {
        return run([&](AttributeConversionDialog* d) {
            pick(d->typeBox(), 1);
            choose(d->inputButton(), attr);
            choose(d->outputButton(), csv);
            click(ok ? d->okButton() : d->cancelButton());
        });
    };
    EXPECT_EQ(exportTo(dir.file("x.csv"), false), CommandResult::Cancelled);
    EXPECT_FALSE(testsupport::exists(dir.file("x.csv")));
    EXPECT_EQ(state.image.listHeader.iRecNum, 0);
    EXPECT_TRUE(prompter.calls().empty());

    std::string csv = dir.file("old.csv");
    const Bytes old{'o', 'l', 'd', '\r', '\n'};
    testsupport::writeBytes(csv, old);
    prompter.answerNext(Answer::Cancel);
    EXPECT_EQ(exportTo(csv, true), CommandResult::Cancelled);
    EXPECT_EQ(prompter.texts(),
              std::vector<std::string>{"出力ファイルが既に存在します。\n上書きしますか？"});
    EXPECT_EQ(testsupport::readBytes(csv), old);
}

}  // namespace
