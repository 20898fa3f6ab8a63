#include "converter/dm/dm2pdb.h"

#include <new>

#include "converter/core/conversion.h"
#include "converter/core/module1.h"
#include "converter/dm/dm_attributes.h"
#include "converter/dm/dm_passes.h"
#include "converter/dm/dm_reader.h"
#include "pdbformat/graphic_stream.h"
#include "platform/files.h"

namespace dm {
namespace {

// Writes the graphic pass's frame headers and elements into the element stream.
class StreamSink : public GraphicSink {
  public:
    explicit StreamSink(pdb::GraphicDatabase& db) : db_(db) {}

    // The stream outgrows the largest database: the pass stops rather than read on.
    bool full() const override {
        return db_.stream().size() > pdb::kMaxGraphicRecords * pdb::kGraphicRecordSize;
    }

    void frameHeader(const FrameHeader& h) override {
        db_.AppendElement({pdb::kKindFrame, 1, pdb::kFrameBodyLength, 0, 0});
        db_.AppendBE32(static_cast<std::uint32_t>(h.originEast));
        db_.AppendBE32(static_cast<std::uint32_t>(h.originNorth));
        db_.AppendBE32(static_cast<std::uint32_t>(h.extentEast));
        db_.AppendBE32(static_cast<std::uint32_t>(h.extentNorth));
        for (std::int16_t v : h.frame) db_.AppendBE16(static_cast<std::uint16_t>(v));
    }

    void element(const GraphicElement& e) override {
        std::size_t at = db_.BeginPointElement(e.kind, e.elementClass, e.style, e.serial);
        for (const DevicePoint& p : *e.points) db_.AppendPoint(p.x, p.y);
        db_.EndPointElement(at, {e.left, e.top, e.width, e.height});
    }

    void label(const pdb::Box& box,
               const std::array<std::uint8_t, pdb::kLabelNameSize>& name) override {
        db_.AppendElement({pdb::kKindLabel, 10, pdb::kLabelBodyLength, 0, 0});
        db_.PatchBox(db_.AppendZeroBox(), box);
        db_.AppendBytes(name.data(), name.size());
    }

  private:
    pdb::GraphicDatabase& db_;
};

void error(platform::Prompter& prompter, const std::string& text) {
    prompter.show(text, kDmTitle, platform::Icon::Critical, platform::Buttons::Ok);
}

// Puts the graphic database into the run's outputs.
platform::Status stageGraphicFile(platform::OutputSet& outputs, const std::string& path,
                                  const GraphicImage& image) {
    platform::WriteError err;
    if (outputs.add(path, image.file, &err))
        return {};
    std::string message =
        "図形PDBファイル「" + path + "」" +
        (err.stage == platform::WriteError::Stage::Create ? "を作成できません（"
                                                          : "を書き込めません（") +
        err.reason + "）。";
    if (platform::fileExists(path))
        message += "以前のファイルはそのまま残っています。";
    return platform::Status::failure(message);
}

}  // namespace

// The file ends right after the last element (no zero fill). N is the number of 1024-byte
// records the stream fills. For a file whose "E1"/"E2" lines all become whole elements that
// is the estimate's N, enlarged when the frame headers (which the estimate leaves out)
// reach into one more record. Elements outside groups and points dropped by an overflow
// make the estimate too large; its N would then put records past the end of the file,
// where no reader finds them.
platform::Result<GraphicImage> buildGraphicImage(
    platform::LineSource& dmLines, const std::string& fileName, const FrameValues& frame,
    const std::array<std::uint8_t, 32>& nameField, std::uint32_t dayStamp,
    platform::Prompter& prompter, const GraphicOptions& options) {
    using Built = platform::Result<GraphicImage>;
    pdb::GraphicDatabase db;
    db.BeginGraphicDatabase("", nameField, dayStamp, 0);
    StreamSink sink(db);
    GraphicImage out;
    out.pass = runGraphicPass(dmLines, fileName, frame, sink, prompter, options);
    if (!out.pass.ok)
        return Built::failure(out.pass.message);
    platform::Result<platform::Bytes> image = db.EncodeGraphicDatabase();
    if (!image)
        return Built::failure(fileName + ": " + image.error());
    out.records = db.recordCount();
    image->resize(pdb::recordsOffset(out.records) + db.stream().size());
    out.file = std::move(*image);
    return out;
}

platform::Result<GraphicImage> buildGraphicImage(
    std::string_view dmBytes, const std::string& fileName, const FrameValues& frame,
    const std::array<std::uint8_t, 32>& nameField, std::uint32_t dayStamp,
    platform::Prompter& prompter, const GraphicOptions& options) {
    platform::LineSource lines(dmBytes);
    return buildGraphicImage(lines, fileName, frame, nameField, dayStamp, prompter, options);
}

namespace {

// The settings form's boxes, then the stages the boxes announce: the sizing pass (1 / 3),
// the graphic database (2 / 3) and the attribute database (3 / 3).
Dm2PdbResult convert(const std::string& dmPath, const std::string& folder,
                     const std::array<double, 12>& frame, const platform::LocalDate& today,
                     platform::Prompter& prompter, const GraphicOptions& options) {
    Dm2PdbResult result;
    if (dmPath.empty()) {
        prompter.show("DMファイルを指定して下さい！", "", platform::Icon::Critical,
                      platform::Buttons::Ok);
        return result;
    }
    if (folder.empty()) {
        prompter.show("PDBファイルのディレクトリを指定して下さい！", "", platform::Icon::Critical,
                      platform::Buttons::Ok);
        return result;
    }
    const std::string base = converter::baseNameOf(dmPath);
    const std::string fileName(platform::fileNameOf(dmPath));
    auto fail = [&](const std::string& message) {
        error(prompter, message);
        return result;
    };
    platform::Result<FrameValues> frameValues = frameValuesFrom(frame);
    if (!frameValues)
        return fail(frameValues.error());
    if (auto problem = converter::databaseNameProblem(base))
        return fail(converter::refusedFileNameMessage(dmPath, *problem));
    if (!converter::prepareOutputFolder(folder, prompter))
        return result;

    prompter.show("処理を開始します！( 1 / 3 )", kDmTitle, platform::Icon::Information,
                  platform::Buttons::Ok);
    platform::Result<platform::LineSource> lines = openDmFile(dmPath);
    if (!lines)
        return fail(lines.error());
    platform::Result<std::uint64_t> estimate = estimateStream(*lines, fileName);
    if (!estimate)
        return fail(estimate.error());
    result.estimatedRecords = pdb::GraphicRecordCount(*estimate);

    if (!lines->rewind())
        return fail(lineSourceFailure(*lines, fileName));
    std::array<std::uint8_t, 32> name{};
    if (!converter::databaseNameField(base + "_G", name))
        converter::Module1::showFailure(prompter, "byteConv");
    platform::Result<GraphicImage> image = buildGraphicImage(
        *lines, fileName, *frameValues, name, pdb::palmDayStamp(today), prompter, options);
    if (!image)
        return fail(image.error());
    result.account = std::move(image->pass.account);
    result.accounted = true;
    if (!image->pass.stoppedAtSheet.empty())
        error(prompter, image->pass.stoppedAtSheet);
    // Both databases are put in place together once the attribute stage has its own.
    platform::OutputSet outputs;
    if (platform::Status staged =
            stageGraphicFile(outputs, converter::joinPath(folder, base + "_G.pdb"), *image);
        !staged)
        return fail(staged.error());
    result.graphicRecords = image->records;
    result.areaCount = image->pass.areaCount;
    prompter.show("図形PDBファイル作成処理が終了しました！( 2 / 3 )", kDmTitle,
                  platform::Icon::Information, platform::Buttons::Ok);

    if (!lines->rewind())
        return fail(lineSourceFailure(*lines, fileName));
    result.outcome = attrDMPDBcreateFromLines(folder, base + "_A", image->pass.areaCount, *lines,
                                              fileName, today, prompter, outputs);
    return result;
}

}  // namespace

Dm2PdbResult dm2pdb(const std::string& dmPath, const std::string& folder,
                    const std::array<double, 12>& frame, const platform::LocalDate& today,
                    platform::Prompter& prompter, const GraphicOptions& options) {
    try {
        return convert(dmPath, folder, frame, today, prompter, options);
    } catch (const std::bad_alloc&) {
        error(prompter, "メモリが足りないため、DMファイル「" + dmPath +
                            "」の変換を中止しました。まだ書き込んでいないデータベースは作成して"
                            "いません。");
        return {};
    }
}

}  // namespace dm
