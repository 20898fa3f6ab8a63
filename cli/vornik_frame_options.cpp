#include "cli/vornik_frame_options.h"

#include <filesystem>

namespace cli {

std::vector<std::string> frameCheckOptions(sheetframe::InputKind kind) {
    if (kind == sheetframe::InputKind::DigitalMapSheet)
        return {"--zone", "--datum", "--extent-unit"};
    return {"--zone", "--datum"};
}

ComputedFrame computeFrameOption(const Args& args, sheetframe::InputKind kind,
                                 const std::string& input, const char* command,
                                 platform::Prompter& prompter, bool inBatch) {
    ComputedFrame c;
    auto stop = [&](int status) {
        c.exit = status;
        return c;
    };
    auto fail = [&](const std::string& message) {
        prompter.show(message, "", platform::Icon::Critical, platform::Buttons::Ok);
        return stop(kExitFailed);
    };
    const bool dm = kind == sheetframe::InputKind::DmFile;
    if (!args.has("--datum"))
        return stop(usageError(command, "--datum is missing (tokyo, jgd2000 or jgd2011)"));
    if (!dm && !args.has("--zone"))
        return stop(usageError(command, "--zone is missing (1 to 19)"));
    std::optional<int> zone;
    if (auto text = args.value("--zone")) {
        auto parsed = georef::parseZone(*text);
        if (!parsed)
            return fail(parsed.error());
        zone = *parsed;
    }
    auto datum = georef::parseDatum(*args.value("--datum"));
    if (!datum)
        return fail(datum.error());
    std::optional<georef::ExtentUnit> unit;
    if (auto text = args.value("--extent-unit")) {
        auto parsed = georef::parseExtentUnit(*text);
        if (!parsed)
            return fail(parsed.error());
        unit = *parsed;
    }

    auto extent = sheetframe::readExtent(kind, input);
    if (!extent)
        return fail(extent.error());
    std::string note;
    if (!zone) {
        auto hint = sheetframe::dmZoneHint(input, extent->sheetName);
        if (!hint) {
            const std::string missing =
                "--zone is missing (1 to 19), and neither the file name \"" +
                std::filesystem::path(input).filename().string() + "\" nor the sheet name \"" +
                extent->sheetName + "\" starts with a zone number 01 to 19";
            // In a batch the other inputs go on: this one fails with the reason as its message.
            return inBatch ? fail(missing) : stop(usageError(command, missing));
        }
        zone = hint->zone;
        note = sheetframe::zoneHintNote(*hint) + "\n";
    }
    auto computed = georef::computeSheetFrame(extent->extent, extent->source, unit, *zone, *datum);
    if (!computed)
        return fail(computed.error());
    prompter.show(note + computed->summary, "", platform::Icon::Information, platform::Buttons::Ok);
    c.sheet = std::move(*computed);
    return c;
}

std::string frameOptionsError(const Args& args, sheetframe::InputKind kind) {
    const bool automatic = args.value("--frame") == "auto";
    if (!automatic) {
        auto typed = frameOption(args);
        if (!typed)
            return typed.error() + " (or \"auto\")";
        if (!args.has("--zone")) {
            for (const char* option : {"--datum", "--extent-unit"})
                if (args.has(option))
                    return std::string(option) + " is used with --zone or --frame auto";
            return {};
        }
    }
    if (!args.has("--datum"))
        return "--datum is missing (tokyo, jgd2000 or jgd2011)";
    if (kind == sheetframe::InputKind::DigitalMapSheet && !args.has("--zone"))
        return "--zone is missing (1 to 19)";
    return {};
}

FrameDecision decideFrame(const Args& args, sheetframe::InputKind kind, const std::string& input,
                          const char* command, platform::Prompter& prompter, bool inBatch) {
    FrameDecision d;
    const bool automatic = args.value("--frame") == "auto";
    if (!automatic) {
        auto typed = frameOption(args);
        if (!typed) {
            d.exit = usageError(command, typed.error() + " (or \"auto\")");
            return d;
        }
        d.values = *typed;
    }
    if (!automatic && !args.has("--zone")) {
        for (const char* option : {"--datum", "--extent-unit"})
            if (args.has(option)) {
                d.exit = usageError(command,
                                    std::string(option) + " is used with --zone or --frame auto");
                return d;
            }
        return d;
    }
    ComputedFrame computed = computeFrameOption(args, kind, input, command, prompter, inBatch);
    if (computed.exit) {
        d.exit = computed.exit;
        return d;
    }
    const georef::FrameValues& values = computed.sheet.frame.values;
    if (automatic) {
        for (std::size_t i = 0; i < d.values.size(); ++i) d.values[i] = values[i];
        return d;
    }
    const std::string warning = georef::frameWarning(d.values, values);
    if (!warning.empty() && prompter.show(warning, "", platform::Icon::Warning,
                                          platform::Buttons::OkCancel) != platform::Answer::Ok)
        d.exit = kExitFailed;
    return d;
}

}  // namespace cli
