#include "editor/designjson/design_transfer.h"

#include "editor/designjson/design_json.h"
#include "editor/model/check_report.h"
#include "editor/model/kinds.h"
#include "pdbformat/pdb_image.h"
#include "platform/cp932.h"
#include "platform/files.h"

namespace editor {
namespace {

void show(platform::Prompter& prompter, const std::string& text,
          platform::Icon icon = platform::Icon::Critical) {
    prompter.show(text, "", icon, platform::Buttons::Ok);
}

// The master database at path, or nothing after a message. A missing file gives a new
// master image when allowNew.
bool loadMaster(pdb::PdbImage& image, const std::string& path, bool allowNew,
                platform::Prompter& prompter) {
    const bool exists = platform::fileExists(path);
    if (!exists && !allowNew) {
        show(prompter, "指定されたファイルが存在しません。\n" + path);
        return false;
    }
    platform::Result<pdb::LoadStatus> loaded = pdb::LoadDatabase(image, path);
    if (!loaded.ok()) {
        show(prompter, loaded.error());
        return false;
    }
    if (!exists) {
        pdb::setDatabaseName(image.header, "Master");
        return true;
    }
    if (image.kind() != pdb::DatabaseKind::Master) {
        show(prompter, "「" + path + "」はマスターデータベースではありません（データベース名「" +
                           platform::toUtf8(pdb::databaseName(image.header)) + "」）。");
        return false;
    }
    return true;
}

std::size_t findCode(const pdb::PdbImage& image, const std::string& code) {
    std::size_t i = 0;
    while (i < image.heldDesigns() && fieldText(image.designs[i].code) != code) ++i;
    return i;
}

bool codeRefused(const std::string& code, platform::Prompter& prompter) {
    if (code.empty()) {
        show(prompter, "識別コードを指定して下さい。");
        return true;
    }
    if (const char* refusal = tooLongMessage({{}, {}, code})) {
        show(prompter, refusal);
        return true;
    }
    return false;
}

}  // namespace

CommandResult ExportDesignCommand(const std::string& masterPath, const std::string& code,
                                  const std::string& jsonPath, platform::Prompter& prompter) {
    if (codeRefused(code, prompter))
        return CommandResult::Failed;
    pdb::PdbImage image;
    if (!loadMaster(image, masterPath, false, prompter))
        return CommandResult::Failed;
    std::size_t i = findCode(image, code);
    if (i == image.heldDesigns()) {
        show(prompter, "「" + masterPath + "」に識別コード「" + platform::toUtf8(code) +
                           "」のレコードがありません。");
        return CommandResult::Failed;
    }
    platform::WriteError error;
    if (!platform::writeFileAtomically(jsonPath, DesignToJson(image.designs[i]), &error)) {
        show(prompter, pdb::WriteFailure(error).error());
        return CommandResult::Failed;
    }
    return CommandResult::Done;
}

CommandResult ImportDesignCommand(const std::string& jsonPath, const std::string& masterPath,
                                  const std::string& code, platform::Prompter& prompter) {
    if (codeRefused(code, prompter))
        return CommandResult::Failed;
    platform::Result<platform::FileContents> file = platform::readFile(jsonPath);
    if (!file) {
        show(prompter, "「" + jsonPath + "」を読めません: " + file.error());
        return CommandResult::Failed;
    }
    DesignJsonResult read = DesignFromJson(file->bytes);
    if (!read.ok) {
        show(prompter, "「" + jsonPath + "」の " + read.error);
        return CommandResult::Failed;
    }
    DispRec design = read.design;
    // The JSON's own code field is kept byte for byte when it names the same code.
    if (fieldText(design.code) != code)
        setFieldText(design.code, code);

    pdb::PdbImage image;
    if (!loadMaster(image, masterPath, true, prompter))
        return CommandResult::Failed;
    std::size_t i = findCode(image, code);
    if (i < image.heldDesigns()) {
        if (!platform::isAffirmative(prompter.show(replaceCodeQuestion(code), "",
                                                   platform::Icon::Question,
                                                   platform::Buttons::OkCancel)))
            return CommandResult::Cancelled;
    } else {
        i = findCode(image, "");  // a record without a code is unused: the save reuses it too
    }
    if (i < image.heldDesigns()) {
        image.designs[i] = design;
    } else {
        image.designs.back() = design;
        image.designs.emplace_back();
        image.listHeader.iRecNum = static_cast<std::uint16_t>(image.heldDesigns());
    }

    platform::OutputSet outputs;
    platform::Status staged = pdb::StageDatabase(image, masterPath, outputs);
    if (!staged) {
        show(prompter, staged.error());
        return CommandResult::Failed;
    }
    platform::Status report = StageCheckReport(image, design, masterPath, outputs);
    if (!report)
        show(prompter, report.error(), platform::Icon::Warning);
    platform::WriteError error;
    if (outputs.commit(&error))
        return CommandResult::Done;
    show(prompter,
         error.path == masterPath ? pdb::WriteFailure(error).error() : CheckReportFailure(error));
    return CommandResult::Failed;
}

}  // namespace editor
