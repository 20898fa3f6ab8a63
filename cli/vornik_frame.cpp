// vornik-cli frame SHEET_DIR|DM_FILE: the frame values computed from a sheet's extent and
// its coordinate system, without converting. Prints on stdout the twelve values as --frame
// takes them and the two corners in decimal degrees; the message that shows the computed
// frame (zone, datum, extent and its unit, size, corners) goes to stderr.
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli/cli_common.h"
#include "cli/vornik_frame_options.h"

namespace {

constexpr const char* kName = "frame";

std::string degrees(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.7f", v);
    return buf;
}

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {"--zone", "--datum", "--extent-unit"}, {});
    if (!args)
        return cli::usageError(kName, args.error());
    if (args->positional.size() != 1)
        return cli::usageError(kName, "frame takes one sheet folder or DM file");
    const std::string& input = args->positional[0];
    std::error_code ec;
    const auto kind = std::filesystem::is_directory(input, ec)
                          ? sheetframe::InputKind::DigitalMapSheet
                          : sheetframe::InputKind::DmFile;
    platform::ConsolePrompter prompter(std::cerr);
    cli::ComputedFrame computed = cli::computeFrameOption(*args, kind, input, kName, prompter);
    if (computed.exit)
        return *computed.exit;
    const georef::Frame& f = computed.sheet.frame;
    std::cout << "frame: " << georef::frameValuesText(f.values) << '\n'
              << "top-left: " << degrees(f.topLeft.latitude) << ' ' << degrees(f.topLeft.longitude)
              << '\n'
              << "bottom-right: " << degrees(f.bottomRight.latitude) << ' '
              << degrees(f.bottomRight.longitude) << '\n';
    return cli::kExitOk;
}

cli::CommandRegistration reg{
    kName, "frame SHEET_DIR|DM_FILE --zone N --datum tokyo|jgd2000|jgd2011 [--extent-unit m|km]",
    &run};

}  // namespace
