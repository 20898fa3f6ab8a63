#include "case_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace casesupport {

namespace fs = std::filesystem;

SheetCase::SheetCase(const std::string& caseName) {
    sheetDir_ = dir_.file("53394525");
    outDir_ = dir_.file("out");
    fs::create_directories(outDir_);
    const fs::path data(testsupport::testDataDir());
    fs::copy(data / "nsdi_base", sheetDir_, fs::copy_options::recursive);
    if (caseName.empty())
        return;
    const fs::path overlay = data / caseName;
    for (const auto& entry : fs::recursive_directory_iterator(overlay)) {
        if (!entry.is_regular_file() || entry.path().filename() == "remove.txt")
            continue;
        fs::path target = fs::path(sheetDir_) / fs::relative(entry.path(), overlay);
        fs::create_directories(target.parent_path());
        fs::copy_file(entry.path(), target, fs::copy_options::overwrite_existing);
    }
    std::ifstream remove(overlay / "remove.txt");
    std::string relative;
    while (std::getline(remove, relative))
        if (!relative.empty())
            fs::remove(fs::path(sheetDir_) / relative);
}

std::string formatCall(const platform::PromptCall& call) {
    return std::string("[") + platform::iconName(call.icon) + "] " + call.title + ": " + call.text;
}

CaseRun SheetCase::run() {
    platform::ScriptedPrompter prompter;
    CaseRun r;
    r.sheetDir = sheetDir_;
    r.outDir = outDir_;
    r.paths = digitalmap::MakeSheetPaths(sheetDir_, outDir_);
    r.done = digitalmap::CreateFromDigitalMap(sheetDir_, outDir_, {}, {2001, 12, 5}, prompter);
    for (const auto& call : prompter.calls()) r.messages.push_back(formatCall(call));
    if (r.done)
        expectDatabasesLoad(outDir_, r.paths.base);
    return r;
}

pdb::GraphicFile walkGraphic(const std::string& path) {
    auto read = pdb::ReadGraphicDatabase(testsupport::readBytes(path));
    EXPECT_TRUE(read.ok) << path << ": " << read.error;
    return read.file;
}

std::vector<const pdb::GraphicElement*> elementsOfKind(const pdb::GraphicFile& file,
                                                       std::uint8_t kind,
                                                       std::uint8_t elementClass) {
    std::vector<const pdb::GraphicElement*> out;
    for (const auto& e : file.elements)
        if (e.header.kind == kind && (elementClass == 0 || e.header.elementClass == elementClass))
            out.push_back(&e);
    return out;
}

std::vector<std::string> splitCsvLine(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back().push_back(c);
    }
    return fields;
}

std::vector<std::string> csvLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void expectDatabasesLoad(const std::string& outDir, const std::string& base) {
    const std::string graphic = outDir + "/" + base + "_G.pdb";
    if (testsupport::exists(graphic)) {
        auto bytes = testsupport::readBytes(graphic);
        ASSERT_GE(bytes.size(), 78u);
        auto view = testsupport::palmRead(graphic);
        ASSERT_TRUE(view.loaded) << graphic << ": " << view.error;
        EXPECT_EQ(view.type, "DATA");
        EXPECT_EQ(view.creator, "KWIB");
        EXPECT_EQ(view.recordLengths, std::vector<std::size_t>(testsupport::be16(bytes, 76), 1024))
            << graphic;
    }
    const std::string attrs = outDir + "/" + base + "_A.pdb";
    if (testsupport::exists(attrs)) {
        auto lines = csvLines(testsupport::readText(outDir + "/" + base + ".csv"));
        auto view = testsupport::palmRead(attrs);
        ASSERT_TRUE(view.loaded) << attrs << ": " << view.error;
        EXPECT_EQ(view.recordLengths, std::vector<std::size_t>(lines.size(), 128)) << attrs;
    }
}

std::vector<std::string> normalMessages() {
    return {"[info] : 建物レコード書き込み中です！( 1 / 7 )",
            "[info] : 地名レコード書き込み中です！( 2 / 7 )",
            "[info] : 街区レコード書き込み中です！( 3 / 7 )",
            "[info] : 河川レコード書き込み中です！( 4 / 7 )",
            "[info] : 鉄道レコードを書き込み中です！( 5 / 7 )",
            "[info] nsdi2pdb: 図形PDBファイル作成処理が終了しました！( 6 / 7 )",
            "[info] attrPDBcreate: 属性PDBファイル作成処理が完了しました！( 7 / 7 )"};
}

}  // namespace casesupport
