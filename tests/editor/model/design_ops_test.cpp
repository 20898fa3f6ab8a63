#include <gtest/gtest.h>

#include "editor/model/commands.h"
#include "editor/model/design_ops.h"
#include "editor/model/kinds.h"
#include "platform/files.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace {

using editor::CommandResult;
using editor::DesignTarget;
using editor::fieldText;
using editor::ObjectKind;
using platform::Answer;
using testsupport::Bytes;
using testsupport::TempDir;

constexpr std::size_t kDesign = 41138;

class Designs : public ::testing::Test {
  protected:
    void SetUp() override { editor::ResetEditor(state); }

    // Saves the working design, titled so it can be recognised, under the code.
    CommandResult save(const std::string& path, const std::string& name,
                       const std::string& code = "", const char* title = nullptr) {
        if (title)
            editor::setFieldText(state.working.titles[0], title);
        return editor::SaveCommand(state, {path, name, code}, prompter);
    }
    std::vector<std::string> codesIn(const std::string& path) {
        pdb::PdbImage image;
        EXPECT_TRUE(pdb::LoadDatabase(image, path).ok());
        std::vector<std::string> codes;
        for (std::size_t i = 0; i < image.heldDesigns(); ++i)
            codes.push_back(fieldText(image.designs[i].code));
        return codes;
    }
    void expectPalm(const std::string& path, std::size_t designs, std::size_t attrs = 0) {
        testsupport::PalmView v = testsupport::palmRead(path);
        ASSERT_TRUE(v.loaded) << v.error;
        std::vector<std::size_t> lengths(designs, kDesign);
        lengths.insert(lengths.end(), attrs, 636);
        EXPECT_EQ(v.recordLengths, lengths);
    }

    TempDir dir;
    editor::EditorState state;
    platform::ScriptedPrompter prompter;
};

TEST_F(Designs, AFreshEditorHasTheStandardCountsAndDefaults) {
    const editor::DispRec& d = state.working;
    EXPECT_EQ(d.counts, editor::kStandardCounts);
    EXPECT_EQ(state.image.listHeader.iRecNum, 0);
    EXPECT_EQ(state.image.designs[0].counts, editor::kStandardCounts);
    EXPECT_TRUE(fieldText(d.code).empty());
    const editor::ObjectSlot& cmb50 = d.slots[editor::slotIndex(ObjectKind::Cmb, 49, 0)];
    EXPECT_EQ(fieldText(cmb50.labelText), "Cmb[50]");
    EXPECT_EQ(cmb50.pageNumber, 255);
    EXPECT_EQ(cmb50.labelX, 20);
    EXPECT_EQ(cmb50.labelY, 270);
    EXPECT_EQ(cmb50.objectY, -3);
    EXPECT_EQ(cmb50.itemCount, 5);
    const editor::ObjectSlot& btn = d.slots[editor::slotIndex(ObjectKind::Btn, 5, 2)];
    EXPECT_EQ(fieldText(btn.labelText), "Btn[2][5]");
    EXPECT_EQ(btn.objectX, 0);
    const editor::ObjectSlot& id = d.slots[0];
    EXPECT_EQ(platform::toUtf8(fieldText(id.labelText)), "ID番号");
    EXPECT_EQ(id.inputRestriction, 1);
    EXPECT_EQ(id.labelX, 10);
    EXPECT_EQ(platform::toUtf8(fieldText(d.slots[1].labelText)), "検 索");
    EXPECT_EQ(d.slots[1].labelY, 32);
    const editor::ObjectSlot& close7 = d.slots[231];
    EXPECT_EQ(platform::toUtf8(fieldText(close7.labelText)), "閉じる");
    EXPECT_EQ(close7.labelX, 235);
    EXPECT_EQ(close7.objectWidth, 70);
    EXPECT_EQ(fieldText(d.slots[187].labelText), "Label[2]");
    EXPECT_EQ(d.slots[52].inputRestriction, 1);   // Int[1]
    EXPECT_EQ(d.slots[112].inputRestriction, 0);  // Str[1]
}

TEST_F(Designs, SlotsOfEveryKindMatchThePackingOfTheStandardCounts) {
    for (ObjectKind kind : editor::kAllKinds) {
        int numbers = kind == ObjectKind::Btn ? 8 : editor::kStandardCounts[std::size_t(kind)];
        for (int page = 0; page < 8; ++page)
            for (int n = 0; n < numbers; ++n)
                EXPECT_EQ(
                    editor::kindOfSlot(editor::kStandardCounts, editor::slotIndex(kind, n, page)),
                    kind);
    }
    EXPECT_EQ(editor::convertedSlotCount(editor::kStandardCounts), 232u);
    EXPECT_EQ(editor::kindOfSlot(editor::kStandardCounts, 232), std::nullopt);
    EXPECT_EQ(editor::weightOf(ObjectKind::Cmb), 3);
    EXPECT_EQ(editor::weightOf(ObjectKind::IdNumber), 2);
    EXPECT_EQ(editor::weightOf(ObjectKind::CloseButton), 1);
    EXPECT_EQ(editor::pageLimitOf(ObjectKind::Str), 7);
    EXPECT_EQ(editor::pageLimitOf(ObjectKind::Btn), std::nullopt);
}

TEST_F(Designs, StoringAnExistingCodeReplacesItInPlace) {
    std::string m = dir.file("m.pdb");
    save(m, "Master", "A", "a1");
    save(m, "Master", "B", "b1");
    save(m, "Master", "C", "c1");
    save(m, "Master", "B", "b2");
    EXPECT_EQ(codesIn(m), (std::vector<std::string>{"A", "B", "C"}));
    pdb::PdbImage image;
    ASSERT_TRUE(pdb::LoadDatabase(image, m));
    EXPECT_EQ(fieldText(image.designs[1].titles[0]), "b2");
    EXPECT_EQ(fieldText(image.designs[2].titles[0]), "c1");
}

TEST_F(Designs, AnEmptyCodeRecordIsTakenBeforeALaterMatch) {
    // Codes A, empty, B: storing B overwrites the empty record; the old B stays.
    std::string m = dir.file("m.pdb");
    pdb::PdbImage image;
    pdb::MakeNewImage(image);
    pdb::setDatabaseName(image.header, "Master");
    image.designs.assign(4, editor::freshWorkingDesign());
    editor::setFieldText(image.designs[0].code, "A");
    editor::setFieldText(image.designs[1].code, "");
    editor::setFieldText(image.designs[2].code, "B");
    image.designs[3] = editor::DispRec{};
    image.listHeader.iRecNum = 3;
    ASSERT_TRUE(pdb::WriteDatabase(image, m).ok());
    save(m, "Master", "B", "new");
    EXPECT_EQ(codesIn(m), (std::vector<std::string>{"A", "B", "B"}));
    ASSERT_TRUE(pdb::LoadDatabase(image, m));
    EXPECT_EQ(fieldText(image.designs[1].titles[0]), "new");
}

TEST_F(Designs, SavesPutTheFixedButtonsAtTheirFixedPlacesEveryTime) {
    std::string m = dir.file("m.pdb");
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(save(m, "Master", "A"), CommandResult::Done);
        // Read it back as the editor would and save again: no drift of 3 per save.
        ASSERT_EQ(editor::ReadCommand(state, {m, "Master", "A"}, prompter), CommandResult::Done);
    }
    pdb::PdbImage image;
    ASSERT_TRUE(pdb::LoadDatabase(image, m));
    const editor::DispRec& stored = image.designs[0];
    EXPECT_EQ(stored.slots[1].labelY, 35);
    for (int page = 0; page < 8; ++page) {
        EXPECT_EQ(stored.slots[216 + page].labelY, 288) << page;
        EXPECT_EQ(stored.slots[224 + page].labelY, 288) << page;
    }
    // The working design itself keeps its own positions.
    editor::ResetEditor(state);
    save(m, "Master", "A");
    EXPECT_EQ(state.working.slots[1].labelY, 32);
    EXPECT_EQ(state.working.slots[216].labelY, 285);
}

TEST_F(Designs, SelectReadsTheDesignOfEachKind) {
    std::string m = dir.file("m.pdb"), d = dir.file("d.pdb");
    save(m, "Master", "A", "alpha");
    save(m, "Master", "B", "beta");
    save(d, "Default", "", "deflt");
    editor::ResetEditor(state);
    ASSERT_TRUE(editor::SelectDesign(state.image, state.working, m, "Master", "B", prompter));
    EXPECT_EQ(fieldText(state.working.titles[0]), "beta");
    // An unknown code leaves the working design as it was, silently.
    ASSERT_TRUE(editor::SelectDesign(state.image, state.working, m, "Master", "Z", prompter));
    EXPECT_EQ(fieldText(state.working.titles[0]), "beta");
    ASSERT_TRUE(editor::SelectDesign(state.image, state.working, d, "Default", "", prompter));
    EXPECT_EQ(fieldText(state.working.titles[0]), "deflt");
    // No file and a name other than "Master": the all-zero design of a new image.
    ASSERT_TRUE(
        editor::SelectDesign(state.image, state.working, dir.file("none.pdb"), "x", "", prompter));
    EXPECT_EQ(state.working, editor::DispRec{});
    EXPECT_TRUE(prompter.calls().size() <= 3u);
}

TEST_F(Designs, AttributeNamesNeedACodeDefaultDoesNot) {
    std::string a = dir.file("a.pdb"), d = dir.file("d.pdb");
    EXPECT_EQ(save(a, "survey"), CommandResult::Failed);
    ASSERT_FALSE(prompter.calls().empty());
    EXPECT_EQ(prompter.calls()[0].text,
              "識別コードが未設定のため保存できません\nMasterPDBファイルを読み込んで下さい。");
    EXPECT_FALSE(testsupport::exists(a));
    EXPECT_FALSE(testsupport::exists(dir.file("a.txt")));  // no report without its database
    EXPECT_EQ(save(d, "Default"), CommandResult::Done);
    expectPalm(d, 1);

    // After a code has been given through the master, the attribute store works and keeps
    // the attribute records the file already holds.
    save(dir.file("m.pdb"), "Master", "K");
    pdb::PdbImage withAttrs;
    pdb::MakeNewImage(withAttrs);
    pdb::setDatabaseName(withAttrs.header, "survey");
    withAttrs.attrRecs.assign(3, pdb::AttrRec{});
    withAttrs.attrRecs[1].ID = 77;
    withAttrs.listHeader.iRecNum = 3;
    ASSERT_TRUE(pdb::WriteDatabase(withAttrs, a).ok());
    EXPECT_EQ(save(a, "survey"), CommandResult::Done);
    pdb::PdbImage back;
    ASSERT_TRUE(pdb::LoadDatabase(back, a));
    EXPECT_EQ(fieldText(back.designs[0].code), "K");
    EXPECT_EQ(back.heldAttrRecs(), 2u);
    EXPECT_EQ(back.attrRecs[1].ID, 77);
    expectPalm(a, 1, 2);
}

TEST_F(Designs, RemovingDesignsClosesTheGap) {
    std::string m = dir.file("m.pdb");
    for (const char* code : {"A", "B", "C"}) save(m, "Master", code);
    prompter.clear();
    ASSERT_EQ(editor::DeleteCommand(state, {m, "Master", "B"}, prompter), CommandResult::Done);
    EXPECT_EQ(codesIn(m), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(prompter.calls()[0].text,
              "指定されたレコード（識別コード「B」）を削除します。\nよろしいですか？");
    Bytes before = testsupport::readBytes(m);
    ASSERT_EQ(editor::DeleteCommand(state, {m, "Master", "Q"}, prompter), CommandResult::Done);
    EXPECT_EQ(testsupport::readBytes(m), before);
    editor::DeleteCommand(state, {m, "Master", "A"}, prompter);
    editor::DeleteCommand(state, {m, "Master", "C"}, prompter);
    EXPECT_EQ(testsupport::readBytes(m).size(), 80u);
    expectPalm(m, 0);
}

TEST_F(Designs, DeleteChecksNameExistenceAndConfirmation) {
    std::string m = dir.file("m.pdb");
    save(m, "Master", "A");
    Bytes before = testsupport::readBytes(m);
    prompter.clear();
    EXPECT_EQ(editor::DeleteCommand(state, {m, "master", "A"}, prompter), CommandResult::Failed);
    EXPECT_EQ(editor::DeleteCommand(state, {dir.file("no.pdb"), "Master", "A"}, prompter),
              CommandResult::Failed);
    prompter.answerNext(Answer::Cancel);
    EXPECT_EQ(editor::DeleteCommand(state, {m, "Master", "A"}, prompter), CommandResult::Cancelled);
    EXPECT_EQ(
        prompter.texts(),
        (std::vector<std::string>{
            "指定されたファイルはマスターPDBではありません。", "指定されたファイルが存在しません。",
            "指定されたレコード（識別コード「A」）を削除します。\nよろしいですか？"}));
    EXPECT_EQ(testsupport::readBytes(m), before);

    // A file whose stored name is not "Master" is not treated as one.
    save(dir.file("d.pdb"), "Default");
    Bytes d = testsupport::readBytes(dir.file("d.pdb"));
    EXPECT_EQ(editor::DeleteCommand(state, {dir.file("d.pdb"), "Master", ""}, prompter),
              CommandResult::Failed);
    EXPECT_EQ(testsupport::readBytes(dir.file("d.pdb")), d);
}

TEST_F(Designs, ANameOfAnotherKindThanTheFileIsRefused) {
    std::string m = dir.file("m.pdb");
    save(m, "Master", "A");
    save(m, "Master", "B");
    Bytes before = testsupport::readBytes(m);
    prompter.clear();
    EXPECT_EQ(save(m, "Default"), CommandResult::Failed);
    EXPECT_EQ(save(m, "survey"), CommandResult::Failed);
    EXPECT_EQ(testsupport::readBytes(m), before);
    ASSERT_GE(prompter.calls().size(), 2u);
    EXPECT_NE(prompter.calls()[1].text.find("マスターデータベース"), std::string::npos);
    EXPECT_NE(prompter.calls()[1].text.find("「Default」では保存できません"), std::string::npos);
}

TEST_F(Designs, ADefaultFileHoldingSeveralRecordsIsNotCutDown) {
    std::string m = dir.file("m.pdb");
    save(m, "Master", "A");
    save(m, "Master", "B");
    Bytes b = testsupport::readBytes(m);
    std::copy_n("Default\0", 8, b.begin());
    testsupport::writeBytes(m, b);
    prompter.clear();
    EXPECT_EQ(save(m, "Default"), CommandResult::Failed);
    EXPECT_EQ(testsupport::readBytes(m), b);
    EXPECT_NE(prompter.calls().back().text.find("レコードが 2 件"), std::string::npos);
}

TEST_F(Designs, BrokenFilesAreRefusedAndKeptByteForByte) {
    std::string m = dir.file("m.pdb");
    save(m, "Master", "A");
    // A header counting none of the designs that follow: storing would drop them.
    Bytes b = testsupport::readBytes(m);
    b[77] = 0;
    testsupport::writeBytes(m, b);
    prompter.clear();
    EXPECT_EQ(save(m, "Master", "B"), CommandResult::Failed);
    EXPECT_EQ(testsupport::readBytes(m), b);
    EXPECT_NE(prompter.calls().back().text.find("レコード数と長さが合いません"), std::string::npos);

    Bytes tiny(20, 0x41);
    testsupport::writeBytes(m, tiny);
    EXPECT_EQ(save(m, "Master", "B"), CommandResult::Failed);
    EXPECT_EQ(editor::DeleteCommand(state, {m, "Master", "B"}, prompter), CommandResult::Failed);
    EXPECT_EQ(testsupport::readBytes(m), tiny);
}

TEST_F(Designs, WriteFailuresKeepTheEarlierFileAndItsReportAndSaySo) {
    std::string m = dir.file("m.pdb");
    save(m, "Master", "A");
    Bytes before = testsupport::readBytes(m);
    Bytes report = testsupport::readBytes(dir.file("m.txt"));
    platform::testing::WriteFaults faults(1000);
    prompter.clear();  // B is a new code: no question, then the failure
    EXPECT_EQ(save(m, "Master", "B"), CommandResult::Failed);
    faults.end();
    EXPECT_EQ(testsupport::readBytes(m), before);
    EXPECT_EQ(testsupport::readBytes(dir.file("m.txt")), report);
    EXPECT_EQ(prompter.calls().back().text.rfind("ファイルの書込みに失敗しました。", 0), 0u);

    // The report, written last, fails: the database is not replaced either.
    platform::testing::WriteFaults faults2(before.size() + 8 + kDesign + 10);  // past the database
    prompter.clear();
    EXPECT_EQ(save(m, "Master", "B"), CommandResult::Failed);
    faults2.end();
    EXPECT_EQ(testsupport::readBytes(m), before);
    EXPECT_EQ(testsupport::readBytes(dir.file("m.txt")), report);
    EXPECT_EQ(prompter.calls().back().text.rfind(
                  "チェックレポート「" + dir.file("m.txt") + "」を書き込めません", 0),
              0u)
        << prompter.calls().back().text;
    EXPECT_NE(prompter.calls().back().text.find("データベースも保存していません。"),
              std::string::npos);

    prompter.clear();
    EXPECT_EQ(save(dir.file("gone/m.pdb"), "Master", "A"), CommandResult::Failed);
    EXPECT_EQ(prompter.calls()[0].text.rfind("ファイルが開けません。", 0), 0u);
    EXPECT_EQ(prompter.calls()[0].icon, platform::Icon::Critical);
}

}  // namespace
