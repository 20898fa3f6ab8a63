#pragma once
// Shared plumbing of vornik-cli and lorvex-cli: command registry, option parsing, the
// console prompter and the exit status. Messages print on stderr through the prompter.
//
// Exit status: 0 the operation reached its end with no error or warning box on the way,
// 3 it reached its end but showed an error or warning box (a cut text, an overflow),
// 1 it ended on an error or a refused question, 2 wrong usage. A command returns
// kExitOk when its operation reached its end; dispatch turns that into 3 when the
// prompter showed an error or warning.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/console_prompter.h"
#include "platform/local_date.h"
#include "platform/result.h"

namespace cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitWarned = 3;

// The prompter of the running command (messages on stderr); questions are answered
// "OK/Yes" only when assumeYes.
platform::ConsolePrompter& consolePrompter(bool assumeYes = false);

// The exit status of a command that returned code: kExitOk becomes kExitWarned when the
// command's prompter showed an error or warning box.
int exitStatus(int code);

struct Args {
    std::vector<std::string> positional;
    // Options as given ("--today" → "2001-12-05"; flags map to "").
    std::vector<std::pair<std::string, std::string>> options;

    bool has(const std::string& name) const;
    std::optional<std::string> value(const std::string& name) const;
};

// Splits argv into positional arguments and options. valueOptions take the next argument
// as their value; flagOptions take none. Anything else starting with "--" is an error.
platform::Result<Args> parseArgs(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& valueOptions,
                                 const std::vector<std::string>& flagOptions);

// --today YYYY-MM-DD, or the local date.
platform::Result<platform::LocalDate> todayOption(const Args& args);
// --frame N,...(12), or twelve zeros.
platform::Result<std::array<double, 12>> frameOption(const Args& args);

using CommandFn = int (*)(const std::vector<std::string>& argv);

struct Command {
    const char* name;
    const char* usage;
    CommandFn run;
};

// Each command file registers itself with a static CommandRegistration.
struct CommandRegistration {
    CommandRegistration(const char* name, const char* usage, CommandFn run);
};

// Runs the registered command named by argv[1].
int dispatch(const char* program, int argc, char** argv);

// Prints "PROGRAM: message" and the usage line of one command; returns kExitUsage.
int usageError(const std::string& commandName, const std::string& message);

}  // namespace cli
