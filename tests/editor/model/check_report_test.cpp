#include <gtest/gtest.h>

#include "editor/model/check_report.h"
#include "editor/model/commands.h"
#include "editor/model/kinds.h"
#include "platform/cp932.h"
#include "platform/scripted_prompter.h"
#include "support/test_support.h"

namespace {

using testsupport::TempDir;

// The report as lines of UTF-8, split at CR LF; fails the test on a bare LF.
std::vector<std::string> reportLines(const std::string& path) {
    std::string text = platform::toUtf8(testsupport::readText(path));
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "last line without CR LF";
        if (end == std::string::npos)
            break;
        std::string line = text.substr(start, end - start);
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

// One object line: prefix, label in parentheses, the given number of blanks, "= ", value.
std::string objectLine(const std::string& prefix, const std::string& label, int blanks,
                       const std::string& value) {
    return prefix + "(" + label + ")" + std::string(std::size_t(blanks), ' ') + "= " + value;
}

std::vector<std::string> objectBlock(const std::string& prefix, const std::string& page,
                                     const std::string& label, const std::string& x,
                                     const std::string& y, const std::string& ox,
                                     const std::string& oy, const std::string& w,
                                     const std::string& h, const std::string& restrict) {
    return {objectLine(prefix, "ページ番号", 8, page),
            objectLine(prefix, "ラベル文字列", 6, label),
            objectLine(prefix, "ラベル位置X", 7, x),
            objectLine(prefix, "ラベル位置Y", 7, y),
            objectLine(prefix, "オブジェクト位置X", 1, ox),
            objectLine(prefix, "オブジェクト位置Y", 1, oy),
            objectLine(prefix, "オブジェクト幅", 4, w),
            objectLine(prefix, "オブジェクト高さ", 2, h),
            objectLine(prefix, "選択項目の文字列", 2, ""),
            objectLine(prefix, "選択項目の表示数", 2, "5"),
            objectLine(prefix, "入力制限", 10, restrict),
            ""};
}

std::vector<std::string> slice(const std::vector<std::string>& v, std::size_t from,
                               std::size_t count) {
    if (from + count > v.size())
        return {};
    return std::vector<std::string>(v.begin() + std::ptrdiff_t(from),
                                    v.begin() + std::ptrdiff_t(from + count));
}

std::size_t indexOf(const std::vector<std::string>& v, const std::string& line) {
    auto it = std::find(v.begin(), v.end(), line);
    return it == v.end() ? v.size() : std::size_t(it - v.begin());
}

TEST(CheckReport, NewMasterWithOneDesign) {
    TempDir dir;
    editor::EditorState state;
    editor::ResetEditor(state);
    platform::ScriptedPrompter prompter;
    ASSERT_EQ(editor::SaveCommand(state, {dir.file("m.pdb"), "Master", "A"}, prompter),
              editor::CommandResult::Done);
    std::vector<std::string> lines = reportLines(dir.file("m.txt"));

    const std::vector<std::string> head = {
        "<< 構造体のデータサイズの確認(byte) >>",
        "Header        =      72",
        "DispRecAll    =   41154",
        "  ListHeader  =       8",
        "    iRecNum   =       1",
        "  RecList     =       8",
        "  DispRec     =   41138",
        "Total Size    =   41226",
        "",
        "<< 構造体の先頭アドレス設定値の確認(byte) >>",
        "ListHeader_NextRecList =       0",
        "  RecList_iRecPos[0]       =      88",
        "",
        "<< オブジェクト数量の確認(DispRec) >>",
        "オブジェクト数(選択リスト)     = 50",
        "オブジェクト数(整数)           = 30",
        "オブジェクト数(実数)           = 30",
        "オブジェクト数(文字列)         = 10",
        "オブジェクト数(状態遷移ボタン) = 8",
        "オブジェクト数(ラベル)         = 30",
        "オブジェクト数(ID番号)         = 1",
        "オブジェクト数(検索ボタン)     = 1",
        "オブジェクト数(更新ボタン)     = 1",
        "オブジェクト数(閉じるボタン)   = 1",
        "",
        "<< ヘッダー情報の内容チェック(PDB Header) >>",
        "データベース名        = Master",
        "属性                  = 0",
        "PDBデータのバージョン = 100",
        "作成日                = 0",
        "修正日                = 0",
        "最終保存日            = 0",
        "修正番号              = 0",
        "アプリ情報ID          = 0",
        "ソート情報ID          = 0",
        "タイプ                = DATA",
        "クリエータID          = KWIB",
        "固有番号初期値        = 0",
        "",
        "<< 画面設計情報の内容チェック(DispRec) >>",
        "",
        "[ ========== レコード番号(1～N)：1 / 1 ========== ]",
        "設定名称の識別コード = A",
        "",
        "ページタイトル[0] = ",
        "ページタイトル[1] = ",
        "ページタイトル[2] = ",
        "ページタイトル[3] = ",
        "ページタイトル[4] = ",
        "ページタイトル[5] = ",
        "ページタイトル[6] = ",
        "ページタイトル[7] = ",
        "",
        "モーダルダイアログ[0] = 0",
        "モーダルダイアログ[1] = 0",
        "モーダルダイアログ[2] = 0",
        "モーダルダイアログ[3] = 0",
        "モーダルダイアログ[4] = 0",
        "モーダルダイアログ[5] = 0",
        "モーダルダイアログ[6] = 0",
        "モーダルダイアログ[7] = 0",
        "",
    };
    ASSERT_EQ(slice(lines, 0, head.size()), head);

    // Blocks in order: 3 lists, 3 ints, 3 reals, 3 strings, 8 pages × (page line + 3
    // buttons), 3 labels, ID, search, 8 update, 8 close; 12 lines a block; 4 closing lines.
    const std::size_t blocks = 3 * 4 + 8 * 3 + 3 + 2 + 16;
    EXPECT_EQ(lines.size(), head.size() + blocks * 12 + 8 + 3);

    EXPECT_EQ(slice(lines, head.size(), 12), objectBlock("選択リスト[1]", "-1", "Cmb[1]", "20",
                                                         "270", "75", "-3", "75", "25", "0"));
    std::size_t page3 = indexOf(lines, "[ページ番号： 3]");
    EXPECT_EQ(slice(lines, page3 + 1 + 12 * 2, 12),
              objectBlock("状態遷移ボタン[3][2]", "-1", "Btn[3][2]", "20", "270", "0", "0", "75",
                          "25", "0"));
    // The stored design carries the fixed buttons at 35 and 288.
    std::size_t search = indexOf(lines, objectLine("検索ボタン", "ページ番号", 8, "-1"));
    EXPECT_EQ(slice(lines, search, 12),
              objectBlock("検索ボタン", "-1", "検 索", "170", "35", "0", "0", "75", "25", "0"));
    std::size_t close7 = indexOf(lines, objectLine("閉じるボタン[7]", "ページ番号", 8, "-1"));
    EXPECT_EQ(slice(lines, close7, 12), objectBlock("閉じるボタン[7]", "-1", "閉じる", "235", "288",
                                                    "0", "0", "70", "25", "0"));
    EXPECT_EQ(
        slice(lines, lines.size() - 3, 3),
        (std::vector<std::string>{"設定名称の識別コード = A",
                                  "[ ========== レコード番号(1～N)：1 / 1 ========== ]", ""}));
}

TEST(CheckReport, AttributeDatabaseSizesAndEachMasterRecordOwnSection) {
    pdb::PdbImage image;
    pdb::MakeNewImage(image);
    pdb::setDatabaseName(image.header, "survey");
    image.listHeader.iRecNum = 4;
    image.attrRecs.assign(4, pdb::AttrRec{});
    image.header.creationDate = 0xB8331400;  // prints signed
    editor::DispRec working = editor::freshWorkingDesign();
    std::string text = platform::toUtf8(editor::CheckReportText(image, working));
    EXPECT_NE(text.find("AttrRecAll    =    1940\r\n"), std::string::npos);
    EXPECT_NE(text.find("    iRecNum   =       3\r\n"), std::string::npos);
    EXPECT_NE(text.find("  RecList[2]  =       8\r\n  AttrRec[0]  =     636\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("Total Size    =   43166\r\n"), std::string::npos);
    EXPECT_NE(text.find("作成日                = -1204612096\r\n"), std::string::npos);

    pdb::PdbImage master;
    pdb::MakeNewImage(master);
    pdb::setDatabaseName(master.header, "Master");
    master.designs.assign(3, editor::freshWorkingDesign());
    editor::setFieldText(master.designs[0].code, "X1");
    editor::setFieldText(master.designs[0].titles[4], "first");
    editor::setFieldText(master.designs[1].code, "X2");
    editor::setFieldText(master.designs[1].titles[4], "second");
    master.designs[1].modalFlags[4] = 1;
    master.listHeader.iRecNum = 2;
    text = platform::toUtf8(editor::CheckReportText(master, working));
    std::size_t first = text.find("レコード番号(1～N)：1 / 2");
    std::size_t second = text.find("レコード番号(1～N)：2 / 2");
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, text.find("ページタイトル[4] = first"));
    EXPECT_LT(text.find("ページタイトル[4] = first"), second);
    EXPECT_GT(text.find("ページタイトル[4] = second"), second);
    EXPECT_GT(text.find("モーダルダイアログ[4] = 1"), second);
    EXPECT_EQ(text.find("AttrRecAll"), std::string::npos);
}

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
