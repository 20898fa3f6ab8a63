#include "cli/cli_common.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "platform/text.h"

namespace cli {
namespace {

std::vector<Command>& registry() {
    static std::vector<Command> commands;
    return commands;
}

const char* g_program = "";
std::unique_ptr<platform::ConsolePrompter> g_prompter;

}  // namespace

bool Args::has(const std::string& name) const {
    return std::any_of(options.begin(), options.end(),
                       [&](const auto& o) { return o.first == name; });
}

std::optional<std::string> Args::value(const std::string& name) const {
    for (const auto& o : options)
        if (o.first == name)
            return o.second;
    return std::nullopt;
}

platform::Result<Args> parseArgs(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& valueOptions,
                                 const std::vector<std::string>& flagOptions) {
    Args args;
    auto in = [](const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) != v.end();
    };
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a.rfind("--", 0) != 0) {
            args.positional.push_back(a);
        } else if (in(valueOptions, a)) {
            if (i + 1 >= argv.size())
                return platform::Result<Args>::failure(a + " needs a value");
            args.options.emplace_back(a, argv[++i]);
        } else if (in(flagOptions, a)) {
            args.options.emplace_back(a, "");
        } else {
            return platform::Result<Args>::failure("unknown option " + a);
        }
    }
    return args;
}

platform::Result<platform::LocalDate> todayOption(const Args& args) {
    auto text = args.value("--today");
    if (!text)
        return platform::today();
    auto date = platform::parseDate(*text);
    if (!date)
        return platform::Result<platform::LocalDate>::failure(
            "--today wants a date YYYY-MM-DD, not \"" + *text + "\"");
    return *date;
}

platform::Result<std::array<double, 12>> frameOption(const Args& args) {
    using Frame = platform::Result<std::array<double, 12>>;
    std::array<double, 12> frame{};
    auto text = args.value("--frame");
    if (!text)
        return frame;
    std::size_t start = 0;
    for (std::size_t i = 0; i < 12; ++i) {
        std::size_t end = text->find(',', start);
        bool last = i == 11;
        if ((end == std::string::npos) != last)
            return Frame::failure("--frame wants twelve numbers separated by commas");
        std::string item = text->substr(start, last ? std::string::npos : end - start);
        platform::Number<double> number = platform::parseNumber<double>(item);
        frame[i] = number.value;
        if (number.status != platform::NumberStatus::Ok) {
            return Frame::failure("--frame value " + std::to_string(i + 1) +
                                  " is not a number: \"" + item + "\"");
        }
        start = end + 1;
    }
    return frame;
}

platform::ConsolePrompter& consolePrompter(bool assumeYes) {
    g_prompter = std::make_unique<platform::ConsolePrompter>(std::cerr, assumeYes);
    return *g_prompter;
}

int exitStatus(int code) {
    if (code == kExitOk && g_prompter && g_prompter->shownErrorOrWarning())
        return kExitWarned;
    return code;
}

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFn run) {
    registry().push_back({name, usage, run});
}

int usageError(const std::string& commandName, const std::string& message) {
    std::cerr << g_program << ": " << message << '\n';
    for (const Command& c : registry())
        if (commandName == c.name)
            std::cerr << "usage: " << g_program << ' ' << c.usage << '\n';
    return kExitUsage;
}

int dispatch(const char* program, int argc, char** argv) {
    g_program = program;
    auto& commands = registry();
    std::sort(commands.begin(), commands.end(),
              [](const Command& a, const Command& b) { return std::string(a.name) < b.name; });
    if (argc >= 2) {
        for (const Command& c : commands) {
            if (argv[1] == std::string(c.name))
                return exitStatus(c.run(std::vector<std::string>(argv + 2, argv + argc)));
        }
    }
    std::cerr << (argc >= 2 ? std::string(program) + ": unknown command " + argv[1] + "\n" : "")
              << "usage:\n";
    for (const Command& c : commands) std::cerr << "  " << program << ' ' << c.usage << '\n';
    std::cerr << "exit status: 0 done, 3 done after an error or warning message, 1 ended on an "
                 "error or a refused question, 2 wrong usage\n";
    return kExitUsage;
}

}  // namespace cli
