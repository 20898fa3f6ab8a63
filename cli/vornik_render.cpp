// vornik-cli render G_PDB OUT.png|OUT.svg [--size PIXELS] [--attrs A_PDB]: draws a whole
// graphic database into a square PNG or SVG picture, as the map viewer shows it. With
// --attrs, the names of the attribute records are written inside the buildings they
// belong to (where a building is large enough in the picture).
//
// Runs without a display: Qt draws on its offscreen platform unless QT_QPA_PLATFORM says
// otherwise.
#include <QGuiApplication>
#include <charconv>
#include <iostream>

#include "cli/cli_common.h"
#include "pdbformat/feature_attr_rec.h"
#include "pdbformat/graphic_map.h"
#include "platform/files.h"
#include "ui/map/map_render.h"

namespace {

constexpr const char* kName = "render";
constexpr int kDefaultSize = 1024;
constexpr int kMinSize = 16;
constexpr int kMaxSize = 8192;

platform::Result<int> sizeOption(const cli::Args& args) {
    const std::optional<std::string> text = args.value("--size");
    if (!text)
        return kDefaultSize;
    int size = 0;
    auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), size);
    if (ec != std::errc() || end != text->data() + text->size() || size < kMinSize ||
        size > kMaxSize)
        return platform::Result<int>::failure(
            "--size " + *text + ": a whole number of pixels from " + std::to_string(kMinSize) +
            " to " + std::to_string(kMaxSize) + " is needed");
    return size;
}

int run(const std::vector<std::string>& argv) {
    auto args = cli::parseArgs(argv, {"--size", "--attrs"}, {});
    if (!args)
        return cli::usageError(kName, args.error());
    if (args->positional.size() != 2)
        return cli::usageError(kName, "render takes a graphic database and a picture file");
    if (!mapview::PictureKindOf(args->positional[1]))
        return cli::usageError(kName, "the picture file must end in .png or .svg");
    auto size = sizeOption(*args);
    if (!size)
        return cli::usageError(kName, size.error());

    platform::ConsolePrompter& prompter = cli::consolePrompter();
    auto fail = [&](const std::string& message) {
        prompter.show(message, kName, platform::Icon::Critical, platform::Buttons::Ok);
        return cli::kExitFailed;
    };
    const std::string& input = args->positional[0];
    const std::string& output = args->positional[1];
    platform::Result<pdb::GraphicMap> map = pdb::ReadGraphicMap(input);
    if (!map)
        return fail(map.error());
    mapview::MapScene scene(std::move(*map));
    mapview::PaintOptions options;
    if (const auto attrs = args->value("--attrs")) {
        platform::Result<platform::FileContents> bytes = platform::readFile(*attrs);
        if (!bytes)
            return fail("「" + *attrs + "」を読めません（" + bytes.error() + "）。");
        pdb::FeatureAttrRecords read = pdb::readFeatureAttrRecords(bytes->asBytes(), *attrs);
        if (read.problem)
            return fail(*read.problem);
        scene.attachAttributes(*attrs, std::move(read.records));
        if (!scene.links()->problem.empty())
            prompter.show("「" + *attrs + "」の属性を建物に結び付けられません：" +
                              scene.links()->problem + "建物名は描きません。",
                          kName, platform::Icon::Warning, platform::Buttons::Ok);
        options.attributeNames = true;
    }

    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes (a missing runtime folder on a server) are not the command's messages.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::cerr << text.toStdString() << '\n';
    });
    int qtArgc = 1;
    char program[] = "vornik-cli";
    char* qtArgv[] = {program, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    if (platform::Status written = mapview::RenderToFile(scene, output, *size, options); !written)
        return fail(written.error());
    std::cout << output << ": " << *size << " x " << *size << " pixels, " << scene.size()
              << " elements\n";
    return cli::kExitOk;
}

cli::CommandRegistration reg{kName, "render G_PDB OUT.png|OUT.svg [--size PIXELS] [--attrs A_PDB]",
                             &run};

}  // namespace
