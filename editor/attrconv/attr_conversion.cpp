#include "editor/attrconv/attr_conversion.h"

#include "editor/attrconv/attr_csv_export.h"
#include "editor/attrconv/attr_csv_import.h"
#include "editor/model/kinds.h"
#include "platform/cp932.h"
#include "platform/files.h"

namespace editor {
namespace {

void refuse(platform::Prompter& prompter, const std::string& text) {
    prompter.show(text, "", platform::Icon::Warning, platform::Buttons::Ok);
}

void writeFailed(platform::Prompter& prompter, const std::string& text) {
    prompter.show(text, "", platform::Icon::Critical, platform::Buttons::Ok);
}

bool confirm(platform::Prompter& prompter, const std::string& question) {
    return platform::isAffirmative(
        prompter.show(question, "", platform::Icon::Question, platform::Buttons::OkCancel));
}

bool confirmOverwrite(const std::string& outputPath, platform::Prompter& prompter) {
    return !platform::fileExists(outputPath) ||
           confirm(prompter, "出力ファイルが既に存在します。\n上書きしますか？");
}

const char* kNotAttributeDatabase = "選択されたファイルが属性PDBファイルではありません。";
const char* kNotMasterDatabase = "選択されたファイルがマスターPDBファイルではありません。";

CommandResult exportToCsv(EditorState& state, const AttributeConversion& request,
                          platform::Prompter& prompter) {
    pdb::PdbImage source;
    platform::Result<pdb::LoadStatus> loaded = pdb::LoadDatabase(source, request.inputPath);
    if (!loaded.ok()) {
        refuse(prompter, loaded.error());
        return CommandResult::Failed;
    }
    if (*loaded == pdb::LoadStatus::NewImage) {
        refuse(prompter, "指定された入力ファイルが存在しません。\n" + request.inputPath);
        return CommandResult::Failed;
    }
    if (source.kind() != pdb::DatabaseKind::Attribute) {
        refuse(prompter, std::string(kNotAttributeDatabase) + "\n" + request.inputPath);
        return CommandResult::Failed;
    }
    if (!confirmOverwrite(request.outputPath, prompter))
        return CommandResult::Cancelled;
    state.image = std::move(source);
    ExportResult exported = ExportAttributesCsv(state.image, request.outputPath);
    if (!exported.ok) {
        writeFailed(prompter, exported.message);
        return CommandResult::Failed;
    }
    if (!exported.warning.empty())
        prompter.show(exported.warning, "", platform::Icon::Warning, platform::Buttons::Ok);
    return CommandResult::Done;
}

// The database name must fit its field and name an attribute database: an image holding
// attribute records written as "Master" or "Default" would lose them.
bool checkDatabaseName(const std::string& name, platform::Prompter& prompter) {
    if (name.empty()) {
        refuse(prompter, "データベース名を入力して下さい。");
        return false;
    }
    if (name.size() >= kNameFieldBytes) {
        refuse(prompter, kNameTooLongMessage);
        return false;
    }
    if (pdb::kindOfName(name) != pdb::DatabaseKind::Attribute) {
        refuse(prompter, "データベース名「" + platform::toUtf8(name) +
                             "」は属性PDBファイルには使えません。\n"
                             "Master と Default 以外の名前にして下さい。");
        return false;
    }
    return true;
}

// Loads the master database and finds the chosen design; nothing when refused.
std::optional<std::size_t> loadMaster(pdb::PdbImage& master, const AttributeConversion& request,
                                      platform::Prompter& prompter) {
    platform::Result<pdb::LoadStatus> loaded = pdb::LoadDatabase(master, request.masterPath);
    if (!loaded.ok()) {
        refuse(prompter, loaded.error());
        return std::nullopt;
    }
    if (*loaded == pdb::LoadStatus::NewImage || master.kind() != pdb::DatabaseKind::Master) {
        refuse(prompter, std::string(kNotMasterDatabase) + "\n" + request.masterPath);
        return std::nullopt;
    }
    if (request.code) {
        for (std::size_t i = 0; i < master.heldDesigns(); ++i)
            if (fieldText(master.designs[i].code) == *request.code)
                return i;
        refuse(prompter, "識別コード「" + platform::toUtf8(*request.code) +
                             "」のデザインがマスターPDBファイルにありません。\n" +
                             request.masterPath);
        return std::nullopt;
    }
    if (request.codeIndex >= master.heldDesigns()) {
        refuse(prompter, "選択された識別コード（" + std::to_string(request.codeIndex + 1) +
                             " 番目）がマスターPDBファイルにありません。\n" + request.masterPath);
        return std::nullopt;
    }
    return request.codeIndex;
}

// An existing output that is a master or default database is never replaced by an
// attribute database, nor is one that cannot be read as a database: it may hold designs
// its header does not count.
bool outputMayBeReplaced(const std::string& outputPath, platform::Prompter& prompter) {
    if (!platform::fileExists(outputPath))
        return true;
    pdb::PdbImage existing;
    platform::Result<pdb::LoadStatus> loaded = pdb::LoadDatabase(existing, outputPath);
    if (!loaded.ok()) {
        refuse(prompter, loaded.error());
        return false;
    }
    if (existing.kind() != pdb::DatabaseKind::Attribute) {
        refuse(prompter, std::string(kNotAttributeDatabase) + "\n" + outputPath);
        return false;
    }
    return true;
}

CommandResult importFromCsv(EditorState& state, const AttributeConversion& request,
                            platform::Prompter& prompter) {
    if (!checkDatabaseName(request.databaseName, prompter))
        return CommandResult::Failed;
    if (request.code && request.code->size() >= kNameFieldBytes) {
        refuse(prompter, kCodeTooLongMessage);
        return CommandResult::Failed;
    }
    pdb::PdbImage converted;
    std::optional<std::size_t> design = loadMaster(converted, request, prompter);
    if (!design)
        return CommandResult::Failed;
    if (!outputMayBeReplaced(request.outputPath, prompter))
        return CommandResult::Failed;
    if (!confirmOverwrite(request.outputPath, prompter))
        return CommandResult::Cancelled;

    // The chosen design becomes record 0; the master's other designs are not part of an
    // attribute database.
    DispRec chosen = converted.designs[*design];
    converted.designs.assign(2, DispRec{});
    converted.designs[0] = chosen;
    ImportResult imported = ImportAttributesCsv(converted, request.inputPath);
    if (!imported.ok) {
        refuse(prompter, imported.message);
        return CommandResult::Failed;
    }
    if (imported.problemCount > 0 &&
        !confirm(prompter,
                 describeProblems(imported, request.inputPath) + "\nこのまま変換しますか？"))
        return CommandResult::Cancelled;
    pdb::setDatabaseName(converted.header, request.databaseName);
    state.image = std::move(converted);
    platform::Status written = pdb::WriteDatabase(state.image, request.outputPath);
    if (!written) {
        writeFailed(prompter, written.error());
        return CommandResult::Failed;
    }
    return CommandResult::Done;
}

}  // namespace

CommandResult AttributeConversionCommand(EditorState& state, const AttributeConversion& request,
                                         platform::Prompter& prompter) {
    if (!platform::fileExists(request.inputPath)) {
        refuse(prompter, "指定された入力ファイルが存在しません。\n" + request.inputPath);
        return CommandResult::Failed;
    }
    return request.type == ConversionType::PdbToCsv ? exportToCsv(state, request, prompter)
                                                    : importFromCsv(state, request, prompter);
}

}  // namespace editor
