// lorvex-cli list DB: the database's name, kind, record count, designs and attribute records.
#include <iostream>

#include "cli/cli_common.h"
#include "editor/model/kinds.h"
#include "pdbformat/pdb_image.h"
#include "platform/cp932.h"
#include "platform/files.h"

namespace {

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {}, {});
    if (!args)
        return cli::usageError("list", args.error());
    if (args->positional.size() != 1)
        return cli::usageError("list", "list takes one database");
    const std::string& path = args->positional[0];
    platform::ConsolePrompter& prompter = cli::consolePrompter();
    if (!platform::fileExists(path)) {
        prompter.show("指定されたファイルが存在しません。\n" + path, "", platform::Icon::Critical,
                      platform::Buttons::Ok);
        return cli::kExitFailed;
    }
    pdb::PdbImage image;
    platform::Result<pdb::LoadStatus> loaded = pdb::LoadDatabase(image, path);
    if (!loaded.ok()) {
        prompter.show(loaded.error(), "", platform::Icon::Critical, platform::Buttons::Ok);
        return cli::kExitFailed;
    }
    std::cout << "name: " << platform::toUtf8(pdb::databaseName(image.header)) << '\n'
              << "kind: " << pdb::kindLabel(image.kind()) << '\n'
              << "iRecNum: " << image.listHeader.iRecNum << '\n';
    for (std::size_t i = 0; i < image.heldDesigns(); ++i)
        std::cout << "design " << i << ": "
                  << platform::toUtf8(editor::fieldText(image.designs[i].code)) << '\n';
    std::cout << "attribute records: " << image.heldAttrRecs() << '\n';
    if (image.recordsNotLoaded > 0)
        std::cout << "records not read (a default database holds one design): "
                  << image.recordsNotLoaded << '\n';
    return cli::kExitOk;
}

cli::CommandRegistration reg{"list", "list DB", &run};

}  // namespace
