#include "editor/model/check_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "editor/model/kinds.h"
#include "platform/cp932.h"
#include "platform/files.h"

namespace editor {
namespace {

// Accumulates report lines. Formats are UTF-8 literals, converted to Shift-JIS before
// formatting, so record texts (already Shift-JIS) pass through as stored. Every line
// ends with CR LF.
class ReportWriter {
  public:
    void line(const char* format, ...) {
        std::string sjis = platform::toCp932(format);
        va_list args;
        va_start(args, format);
        va_list copy;
        va_copy(copy, args);
        int len = std::vsnprintf(nullptr, 0, sjis.c_str(), copy);
        va_end(copy);
        std::string text(std::size_t(len > 0 ? len : 0), '\0');
        std::vsnprintf(text.data(), text.size() + 1, sjis.c_str(), args);
        va_end(args);
        out_ += text;
        out_ += "\r\n";
    }
    void blank() { out_ += "\r\n"; }
    std::string take() { return std::move(out_); }

  private:
    std::string out_;
};

void objectBlock(ReportWriter& w, const std::string& prefixSjis, const ObjectSlot& s) {
    const char* p = prefixSjis.c_str();
    std::string label = fieldText(s.labelText);
    std::string items = fieldText(s.items);
    // The prefix is Shift-JIS already; the labels are converted with the format.
    auto prefixed = [&](const char* rest) { return std::string("%s") + rest; };
    w.line(prefixed("(ページ番号)        = %d").c_str(), p, int(std::int8_t(s.pageNumber)));
    w.line(prefixed("(ラベル文字列)      = %s").c_str(), p, label.c_str());
    w.line(prefixed("(ラベル位置X)       = %u").c_str(), p, unsigned(s.labelX));
    w.line(prefixed("(ラベル位置Y)       = %u").c_str(), p, unsigned(s.labelY));
    w.line(prefixed("(オブジェクト位置X) = %d").c_str(), p, int(s.objectX));
    w.line(prefixed("(オブジェクト位置Y) = %d").c_str(), p, int(s.objectY));
    w.line(prefixed("(オブジェクト幅)    = %u").c_str(), p, unsigned(s.objectWidth));
    w.line(prefixed("(オブジェクト高さ)  = %u").c_str(), p, unsigned(s.objectHeight));
    w.line(prefixed("(選択項目の文字列)  = %s").c_str(), p, items.c_str());
    w.line(prefixed("(選択項目の表示数)  = %u").c_str(), p, unsigned(s.itemCount));
    w.line(prefixed("(入力制限)          = %u").c_str(), p, unsigned(s.inputRestriction));
    w.blank();
}

std::string prefix(const char* format, int a = 0, int b = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a, b);
    return platform::toCp932(buf);
}

void designSection(ReportWriter& w, const DispRec& d, int j, int total) {
    std::string code = fieldText(d.code);
    w.line("[ ========== レコード番号(1～N)：%d / %d ========== ]", j, total);
    w.line("設定名称の識別コード = %s", code.c_str());
    w.blank();
    for (std::size_t p = 0; p < kPageCount; ++p)
        w.line("ページタイトル[%d] = %s", int(p), fieldText(d.titles[p]).c_str());
    w.blank();
    for (std::size_t p = 0; p < kPageCount; ++p)
        w.line("モーダルダイアログ[%d] = %d", int(p), int(d.modalFlags[p]));
    w.blank();
    // The report shows the first three objects of each numbered kind.
    auto slot = [&](ObjectKind kind, int number, int page = 0) -> const ObjectSlot& {
        return d.slots[slotIndex(kind, number, page)];
    };
    constexpr int kShown = 3;
    for (int k = 0; k < kShown; ++k)
        objectBlock(w, prefix("選択リスト[%d]", k + 1), slot(ObjectKind::Cmb, k));
    for (int k = 0; k < kShown; ++k)
        objectBlock(w, prefix("整数値テキスト[%d]", k + 1), slot(ObjectKind::Int, k));
    for (int k = 0; k < kShown; ++k)
        objectBlock(w, prefix("実数値テキスト[%d]", k + 1), slot(ObjectKind::Real, k));
    for (int k = 0; k < kShown; ++k)
        objectBlock(w, prefix("文字列テキスト[%d]", k + 1), slot(ObjectKind::Str, k));
    for (int p = 0; p < int(kPageCount); ++p) {
        w.line("[ページ番号： %d]", p);
        for (int k = 0; k < kShown; ++k)
            objectBlock(w, prefix("状態遷移ボタン[%d][%d]", p, k), slot(ObjectKind::Btn, k, p));
    }
    for (int k = 0; k < kShown; ++k)
        objectBlock(w, prefix("ラベル(注記)[%d]", k + 1), slot(ObjectKind::Label, k));
    objectBlock(w, prefix("ID番号"), slot(ObjectKind::IdNumber, 0));
    objectBlock(w, prefix("検索ボタン"), slot(ObjectKind::SearchButton, 0));
    for (int p = 0; p < int(kPageCount); ++p)
        objectBlock(w, prefix("更新ボタン[%d]", p), slot(ObjectKind::UpdateButton, 0, p));
    for (int p = 0; p < int(kPageCount); ++p)
        objectBlock(w, prefix("閉じるボタン[%d]", p), slot(ObjectKind::CloseButton, 0, p));
    w.line("設定名称の識別コード = %s", code.c_str());
    w.line("[ ========== レコード番号(1～N)：%d / %d ========== ]", j, total);
    w.blank();
}

}  // namespace

std::string CheckReportText(const pdb::PdbImage& image, const DispRec& working) {
    const int n = image.listHeader.iRecNum;
    const bool master = image.kind() == pdb::DatabaseKind::Master;
    const int designs = master ? n : 1;
    const int attrs = master ? 0 : n - 1;
    ReportWriter w;

    // The sizes as the report counts them: a list header of 8 bytes (its 6 bytes padded
    // to 8) for each group of records, and one record-list entry per record.
    constexpr int kHeader = int(pdb::kHeaderSize);
    constexpr int kListHeader = 8;
    constexpr int kEntry = int(pdb::kRecListSize);
    constexpr int kDesign = int(kDispRecSize);
    constexpr int kAttr = int(pdb::kAttrRecSize);
    w.line("<< 構造体のデータサイズの確認(byte) >>");
    w.line("Header        = %7d", kHeader);
    int dispAll = 0, attrAll = 0;
    if (designs >= 1) {
        dispAll = (kDesign + kEntry) * designs + kListHeader;
        w.line("DispRecAll    = %7d", dispAll);
        w.line("  ListHeader  = %7d", kListHeader);
        w.line("    iRecNum   = %7d", designs);
        for (int i = 0; i < designs; ++i) w.line("  RecList     = %7d", kEntry);
        for (int i = 0; i < designs; ++i) w.line("  DispRec     = %7d", kDesign);
    } else {
        w.line("<< ERROR : 画面設計情報が１つもありません >>");
    }
    if (attrs >= 1) {
        attrAll = (kAttr + kEntry) * attrs + kListHeader;
        w.line("AttrRecAll    = %7d", attrAll);
        w.line("  ListHeader  = %7d", kListHeader);
        w.line("    iRecNum   = %7d", attrs);
        for (int i = 0; i < attrs; ++i) w.line("  RecList[%d]  = %7d", i, kEntry);
        for (int i = 0; i < attrs; ++i) w.line("  AttrRec[%d]  = %7d", i, kAttr);
    }
    w.line("Total Size    = %7d", kHeader + dispAll + attrAll);
    w.blank();

    w.line("<< 構造体の先頭アドレス設定値の確認(byte) >>");
    w.line("ListHeader_NextRecList = %7d", int(image.listHeader.NextRecList));
    for (int i = 0; i < designs; ++i) {
        std::uint32_t pos = std::size_t(i) < image.recList.size() ? image.recList[i].iRecPos : 0;
        w.line("  RecList_iRecPos[%d]       = %7d", i, int(pos));
    }
    w.blank();

    w.line("<< オブジェクト数量の確認(DispRec) >>");
    static const char* const kCountLines[kKindCount] = {
        "オブジェクト数(選択リスト)     = %d", "オブジェクト数(整数)           = %d",
        "オブジェクト数(実数)           = %d", "オブジェクト数(文字列)         = %d",
        "オブジェクト数(状態遷移ボタン) = %d", "オブジェクト数(ラベル)         = %d",
        "オブジェクト数(ID番号)         = %d", "オブジェクト数(検索ボタン)     = %d",
        "オブジェクト数(更新ボタン)     = %d", "オブジェクト数(閉じるボタン)   = %d"};
    for (std::size_t i = 0; i < kKindCount; ++i) w.line(kCountLines[i], int(working.counts[i]));
    w.blank();

    const pdb::PdbHeader& h = image.header;
    char type[5] = {}, creator[5] = {};
    std::memcpy(type, h.type.data(), 4);
    std::memcpy(creator, h.creator.data(), 4);
    w.line("<< ヘッダー情報の内容チェック(PDB Header) >>");
    w.line("データベース名        = %s", pdb::databaseName(h).c_str());
    w.line("属性                  = %d", int(h.attributes));
    w.line("PDBデータのバージョン = %d", int(h.version));
    w.line("作成日                = %d", std::int32_t(h.creationDate));
    w.line("修正日                = %d", std::int32_t(h.modificationDate));
    w.line("最終保存日            = %d", std::int32_t(h.lastBackupDate));
    w.line("修正番号              = %d", std::int32_t(h.modificationNumber));
    w.line("アプリ情報ID          = %d", std::int32_t(h.appInfoOffset));
    w.line("ソート情報ID          = %d", std::int32_t(h.sortInfoOffset));
    w.line("タイプ                = %4.4s", type);
    w.line("クリエータID          = %4.4s", creator);
    w.line("固有番号初期値        = %d", std::int32_t(h.uniqueIdSeed));
    w.blank();

    w.line("<< 画面設計情報の内容チェック(DispRec) >>");
    w.blank();
    for (int j = 1; j <= designs; ++j) {
        // Only designs the image holds are described; a missing one reads as empty.
        const DispRec& d =
            std::size_t(j - 1) < image.designs.size() ? image.designs[j - 1] : image.designs.back();
        designSection(w, d, j, designs);
    }
    return w.take();
}

std::string CheckReportPath(const std::string& databasePath) {
    if (databasePath.size() < 4)
        return {};
    return databasePath.substr(0, databasePath.size() - 4) + ".txt";
}

platform::Status StageCheckReport(const pdb::PdbImage& image, const DispRec& working,
                                  const std::string& databasePath, platform::OutputSet& outputs) {
    std::string path = CheckReportPath(databasePath);
    if (path.empty())
        return platform::Status::failure("「" + databasePath +
                                         "」が短すぎるため、チェックレポートは作成しません。");
    platform::WriteError error;
    if (!outputs.add(path, CheckReportText(image, working), &error))
        return platform::Status::failure(CheckReportFailure(error));
    return {};
}

std::string CheckReportFailure(const platform::WriteError& error) {
    return "チェックレポート「" + error.path + "」を書き込めません（" + error.reason +
           "）。\nデータベースも保存していません。";
}

}  // namespace editor
