// vornik-cli dump G_PDB [--attrs A_PDB]: a graphic database as readable text on stdout
// (converter/attrconv/graphic_dump.h), with the attribute record of each area.
#include <iostream>

#include "cli/cli_common.h"
#include "converter/attrconv/graphic_dump.h"
#include "pdbformat/graphic_stream.h"

namespace {

constexpr const char* kTitle = "dump";
// The largest graphic database: its header, list and 32767 records of 1024 bytes.
constexpr std::size_t kLargest = 80 + (8 + pdb::kGraphicRecordSize) * pdb::kMaxGraphicRecords;

int fail(platform::Prompter& prompter, const std::string& text) {
    prompter.show(text, kTitle, platform::Icon::Critical, platform::Buttons::Ok);
    return cli::kExitFailed;
}

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {"--attrs"}, {});
    if (!args)
        return cli::usageError(kTitle, args.error());
    if (args->positional.size() != 1)
        return cli::usageError(kTitle, "dump takes one graphic database");
    platform::ConsolePrompter& prompter = cli::consolePrompter();
    const std::string& path = args->positional[0];
    auto file = platform::readFile(path, kLargest);
    if (!file)
        return fail(prompter,
                    "データベースファイル「" + path + "」を読めません（" + file.error() + "）。");
    if (file->size > kLargest)
        return fail(prompter, "データベースファイル「" + path +
                                  "」は図形PDBとしては大きすぎます（" + std::to_string(file->size) +
                                  " バイト）。");
    std::optional<pdb::FeatureAttrRecords> attrs;
    if (auto attrPath = args->value("--attrs")) {
        auto attrFile = platform::readFile(*attrPath);
        if (!attrFile)
            return fail(prompter, "データベースファイル「" + *attrPath + "」を読めません（" +
                                      attrFile.error() + "）。");
        attrs = pdb::readFeatureAttrRecords(attrFile->asBytes(), *attrPath);
        if (attrs->problem)
            return fail(prompter, *attrs->problem);
        // The reader takes records at their fixed places; a database of other records (a
        // graphic one, say) would be shown as garbage, so its size must be exactly that.
        const std::size_t n = attrs->records.size();
        const std::size_t expected = 80 + (8 + pdb::kFeatureAttrRecSize) * n;
        if (attrFile->size != expected)
            return fail(prompter, "「" + *attrPath + "」は属性PDBではありません（属性レコード " +
                                      std::to_string(n) + " 件なら " + std::to_string(expected) +
                                      " バイトのはずですが、" + std::to_string(attrFile->size) +
                                      " バイトです）。");
    }
    converter::GraphicDump dump =
        converter::dumpGraphicDatabase(file->asBytes(), path, attrs ? &attrs->records : nullptr);
    std::cout << dump.text << std::flush;
    if (dump.problem)
        return fail(prompter, "「" + path + "」を読み切れません：" + *dump.problem);
    return cli::kExitOk;
}

cli::CommandRegistration reg{kTitle, "dump G_PDB [--attrs A_PDB]", &run};

}  // namespace
