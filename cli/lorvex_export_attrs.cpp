// lorvex-cli export-attrs ATTR_DB CSV: the attribute conversion "PDB → CSV".
#include <iostream>

#include "cli/cli_common.h"
#include "editor/attrconv/attr_conversion.h"

namespace {

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {}, {"--yes"});
    if (!args)
        return cli::usageError("export-attrs", args.error());
    if (args->positional.size() != 2)
        return cli::usageError("export-attrs",
                               "export-attrs takes an attribute database and a CSV");
    platform::ConsolePrompter& prompter = cli::consolePrompter(args->has("--yes"));
    editor::EditorState state;
    editor::ResetEditor(state);
    editor::AttributeConversion request;
    request.type = editor::ConversionType::PdbToCsv;
    request.inputPath = args->positional[0];
    request.outputPath = args->positional[1];
    editor::CommandResult result = editor::AttributeConversionCommand(state, request, prompter);
    return result == editor::CommandResult::Done ? cli::kExitOk : cli::kExitFailed;
}

cli::CommandRegistration reg{"export-attrs", "export-attrs ATTR_DB CSV [--yes]", &run};

}  // namespace
