// vornik-cli pdb2csv PDB CSV: a converter attribute database back into an attribute CSV.
#include <iostream>

#include "cli/cli_common.h"
#include "converter/attrconv/pdb2csv.h"

namespace {

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {}, {});
    if (!args)
        return cli::usageError("pdb2csv", args.error());
    if (args->positional.size() != 2)
        return cli::usageError("pdb2csv", "pdb2csv takes a database and a CSV file");
    platform::ConsolePrompter& prompter = cli::consolePrompter();
    converter::Outcome outcome =
        converter::pdb2csvFiles(args->positional[0], args->positional[1], prompter);
    return outcome == converter::Outcome::Done ? cli::kExitOk : cli::kExitFailed;
}

cli::CommandRegistration reg{"pdb2csv", "pdb2csv PDB CSV", &run};

}  // namespace
