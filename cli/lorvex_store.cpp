// lorvex-cli store: the editor's read command (from SRC, or the fresh editor's design)
// followed by its save command into DST, check report included.
#include <iostream>

#include "cli/cli_common.h"
#include "cli/lorvex_support.h"
#include "editor/model/editing_model.h"
#include "pdbformat/pdb_image.h"
#include "platform/files.h"

namespace {

const char* kUsage =
    "store [--from SRC [--from-name NAME] [--from-code CODE]] --to DST --name NAME "
    "[--code CODE] [--yes]";

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(
        argv, {"--from", "--from-name", "--from-code", "--to", "--name", "--code"}, {"--yes"});
    if (!args)
        return cli::usageError("store", args.error());
    if (!args->positional.empty())
        return cli::usageError("store", "unexpected argument");
    if (!args->has("--to") || !args->has("--name"))
        return cli::usageError("store", "store needs --to and --name");
    if (!args->has("--from") && (args->has("--from-name") || args->has("--from-code")))
        return cli::usageError("store", "--from-name and --from-code go with --from");

    platform::ConsolePrompter& prompter = cli::consolePrompter(args->has("--yes"));
    // The editor as it opens: the fresh working design laid out on page 0.
    editor::EditorState state;
    editor::EditingModel model(state, prompter);
    model.start();

    if (auto from = args->value("--from")) {
        if (!platform::fileExists(*from)) {
            prompter.show("指定された入力ファイルが存在しません。\n" + *from, "",
                          platform::Icon::Critical, platform::Buttons::Ok);
            return cli::kExitFailed;
        }
        editor::DesignTarget source{*from, {}, {}};
        if (auto name = args->value("--from-name")) {
            auto sjis = cli::sjisArgument(*name, "--from-name ", prompter);
            if (!sjis)
                return cli::kExitFailed;
            source.databaseName = *sjis;
        } else {
            pdb::PdbImage peek;
            platform::Result<pdb::LoadStatus> loaded = pdb::LoadDatabase(peek, *from);
            if (!loaded.ok()) {
                prompter.show(loaded.error(), "", platform::Icon::Critical, platform::Buttons::Ok);
                return cli::kExitFailed;
            }
            source.databaseName = pdb::databaseName(peek.header);
        }
        auto code =
            cli::sjisArgument(args->value("--from-code").value_or(""), "--from-code ", prompter);
        if (!code)
            return cli::kExitFailed;
        source.code = *code;
        if (model.read(source) != editor::CommandResult::Done)
            return cli::kExitFailed;
    }

    auto name = cli::sjisArgument(*args->value("--name"), "--name ", prompter);
    auto code = cli::sjisArgument(args->value("--code").value_or(""), "--code ", prompter);
    if (!name || !code)
        return cli::kExitFailed;
    editor::DesignTarget target{*args->value("--to"), *name, *code};
    return cli::exitCodeOf(editor::SaveCommand(state, target, prompter));
}

cli::CommandRegistration reg{"store", kUsage, &run};

}  // namespace
