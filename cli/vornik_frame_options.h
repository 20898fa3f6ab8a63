#pragma once
// The frame options of vornik-cli: --zone, --datum and (Digital Map 2500) --extent-unit give
// the coordinate system in which the frame is computed from the input's extent (frame, and
// nsdi2pdb and dm2pdb with --frame auto); with --zone, typed --frame values are checked
// against the computed frame and a value more than 1 second away is asked about before the
// run.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "converter/sheetframe/sheet_frame.h"
#include "platform/prompter.h"

namespace cli {

// The options naming the coordinate system, as parseArgs takes them.
std::vector<std::string> frameCheckOptions(sheetframe::InputKind kind);

// The frame of input in the system the options give (the zone of a DM file may come from
// its names), shown through prompter; or the exit status when there is none: a usage error
// (a missing option), a bad zone, datum or unit, or an input whose frame cannot be computed.
struct ComputedFrame {
    georef::SheetFrame sheet;
    std::optional<int> exit;
};
ComputedFrame computeFrameOption(const Args& args, sheetframe::InputKind kind,
                                 const std::string& input, const char* command,
                                 platform::Prompter& prompter, bool inBatch = false);

// The twelve values a conversion of input uses: --frame's (all 0 without it) or, with
// --frame auto, the computed ones; or the exit status of a run that ends here, also when
// the question about a typed value far from the computed one is not answered Yes. In a
// batch (inBatch), an input whose names give no zone fails with a message, not a usage error.
struct FrameDecision {
    std::array<double, 12> values{};
    std::optional<int> exit;
};
FrameDecision decideFrame(const Args& args, sheetframe::InputKind kind, const std::string& input,
                          const char* command, platform::Prompter& prompter, bool inBatch = false);

// What is wrong with the frame options whatever the input (a bad --frame, --datum without a
// zone, --frame auto without --datum): the usage error's text, or empty.
std::string frameOptionsError(const Args& args, sheetframe::InputKind kind);

}  // namespace cli
