#pragma once
// The map conversions of vornik-cli, for one input or many. A command gives the options of
// one conversion and how to make that conversion from them; runConversion() does the rest:
//
//   COMMAND INPUT OUT_DIR [options]                   one input, exactly as ever
//   COMMAND INPUT... OUT_DIR [--recursive] [--jobs N] [--yes | --skip-existing] [options]
//
// Several inputs (or --recursive, or --jobs) make a batch: every message line is prefixed
// with its input's name, a progress line is kept on a terminal, and a summary table ends
// the run, with the same figures in a CSV log in OUT_DIR. The conversion options are those
// of one conversion and apply to every input.
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "converter/batch/batch.h"

namespace cli {

// The conversion of one input into outDir with the options of a command line; the usage
// error when an option is wrong.
using PrepareFn = platform::Result<batch::Convert> (*)(const Args& args, const std::string& outDir);
// A run of one input (two positional arguments, no batch option): the command's own.
using SingleFn = int (*)(const Args& args);

struct ConversionCommand {
    const char* name;   // "dm2pdb"
    const char* arity;  // the usage error of a command line without input or output folder
    batch::Kind kind;
    std::vector<std::string> valueOptions;  // the conversion's options taking a value
    std::vector<std::string> flagOptions;   // and those taking none
    PrepareFn prepare;
    SingleFn single;
};

int runConversion(const ConversionCommand& command, const std::vector<std::string>& argv);

}  // namespace cli
