// lorvex-cli import-attrs CSV MASTER_DB CODE DB_NAME OUT_DB: the attribute conversion
// "CSV → PDB" with the design of the given code.
#include <iostream>
#include <optional>

#include "cli/cli_common.h"
#include "editor/attrconv/attr_conversion.h"
#include "platform/cp932.h"

namespace {

// The argument as Shift-JIS, or nothing (with a message) when a character has no code.
std::optional<std::string> shiftJisArgument(const std::string& utf8, const char* what,
                                            platform::Prompter& prompter) {
    platform::TextConversion converted = platform::utf8ToCp932(utf8);
    if (converted.ok)
        return converted.text;
    prompter.show(std::string(what) + "「" + utf8 + "」の文字「" + converted.badCharacter +
                      "」はShift-JISで表せません。",
                  "", platform::Icon::Critical, platform::Buttons::Ok);
    return std::nullopt;
}

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {}, {"--yes"});
    if (!args)
        return cli::usageError("import-attrs", args.error());
    if (args->positional.size() != 5)
        return cli::usageError("import-attrs",
                               "import-attrs takes a CSV, a master database, a code, a database "
                               "name and an output database");
    platform::ConsolePrompter& prompter = cli::consolePrompter(args->has("--yes"));
    auto code = shiftJisArgument(args->positional[2], "識別コード", prompter);
    if (!code)
        return cli::kExitFailed;
    auto name = shiftJisArgument(args->positional[3], "データベース名", prompter);
    if (!name)
        return cli::kExitFailed;
    editor::EditorState state;
    editor::ResetEditor(state);
    editor::AttributeConversion request;
    request.type = editor::ConversionType::CsvToPdb;
    request.inputPath = args->positional[0];
    request.masterPath = args->positional[1];
    request.code = *code;
    request.databaseName = *name;
    request.outputPath = args->positional[4];
    editor::CommandResult result = editor::AttributeConversionCommand(state, request, prompter);
    return result == editor::CommandResult::Done ? cli::kExitOk : cli::kExitFailed;
}

cli::CommandRegistration reg{"import-attrs",
                             "import-attrs CSV MASTER_DB CODE DB_NAME OUT_DB [--yes]", &run};

}  // namespace
