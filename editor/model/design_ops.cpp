#include "editor/model/design_ops.h"

#include "editor/model/kinds.h"

namespace editor {
namespace {

using pdb::DatabaseKind;

void showError(platform::Prompter& prompter, const std::string& text) {
    prompter.show(text, "", platform::Icon::Warning, platform::Buttons::Ok);
}

const char* kindNameJa(DatabaseKind kind) {
    switch (kind) {
        case DatabaseKind::Master:
            return "マスター";
        case DatabaseKind::Default:
            return "デフォルト";
        case DatabaseKind::Attribute:
            break;
    }
    return "属性";
}

// Index of the first design among those held whose code satisfies match, or held count.
template <typename Match>
std::size_t findDesign(const pdb::PdbImage& image, Match match) {
    std::size_t i = 0;
    while (i < image.heldDesigns() && !match(fieldText(image.designs[i].code))) ++i;
    return i;
}

bool loadOrReport(pdb::PdbImage& image, const std::string& path, platform::Prompter& prompter) {
    platform::Result<pdb::LoadStatus> loaded = pdb::LoadDatabase(image, path);
    if (!loaded.ok())
        showError(prompter, loaded.error());
    return loaded.ok();
}

void reportWrite(const platform::Status& written, platform::Prompter& prompter) {
    if (!written)
        prompter.show(written.error(), "", platform::Icon::Critical, platform::Buttons::Ok);
}

bool writeOrReport(pdb::PdbImage& image, const std::string& path, platform::Prompter& prompter) {
    platform::Status written = pdb::WriteDatabase(image, path);
    reportWrite(written, prompter);
    return written.ok();
}

StoreResult stageOrReport(pdb::PdbImage& image, const std::string& path,
                          platform::Prompter& prompter, platform::OutputSet& outputs) {
    platform::Status staged = pdb::StageDatabase(image, path, outputs);
    reportWrite(staged, prompter);
    return staged ? StoreResult::Staged : StoreResult::WriteFailed;
}

// A store must keep every record the file holds: refuse a database name of another kind
// than the file's, and a "Default" file holding more records than its first.
bool storeWouldLoseRecords(const pdb::PdbImage& image, const std::string& path,
                           const std::string& databaseName, platform::Prompter& prompter) {
    if (!image.fromFile)
        return false;
    DatabaseKind fileKind = image.kind();
    DatabaseKind givenKind = pdb::kindOfName(databaseName);
    if (fileKind != givenKind) {
        showError(prompter, "「" + path + "」は" + kindNameJa(fileKind) +
                                "データベース（データベース名「" +
                                platform::toUtf8(pdb::databaseName(image.header)) +
                                "」）です。\nデータベース名「" + platform::toUtf8(databaseName) +
                                "」では保存できません。");
        return true;
    }
    if (image.recordsNotLoaded > 0) {
        showError(prompter, "「" + path + "」のDefaultデータベースにはレコードが " +
                                std::to_string(image.recordsNotLoaded + 1) +
                                " 件あります。\n先頭のレコードしか扱えないため保存できません。");
        return true;
    }
    return false;
}

}  // namespace

DispRec designForStorage(const DispRec& working) {
    DispRec stored = working;
    stored.slots[slotIndex(ObjectKind::SearchButton, 0, 0)].labelY = kStoredSearchButtonY;
    for (int page = 0; page < int(kPageCount); ++page) {
        stored.slots[slotIndex(ObjectKind::UpdateButton, 0, page)].labelY = kStoredPageButtonY;
        stored.slots[slotIndex(ObjectKind::CloseButton, 0, page)].labelY = kStoredPageButtonY;
    }
    return stored;
}

bool SelectDesign(pdb::PdbImage& image, DispRec& working, const std::string& path,
                  const std::string& databaseName, const std::string& code,
                  platform::Prompter& prompter) {
    if (!loadOrReport(image, path, prompter))
        return false;
    if (pdb::kindOfName(databaseName) != DatabaseKind::Master) {
        working = image.designs[0];
        return true;
    }
    std::size_t i = findDesign(image, [&](const std::string& c) { return c == code; });
    if (i < image.heldDesigns())
        working = image.designs[i];
    return true;
}

StoreResult StoreDesign(pdb::PdbImage& image, DispRec& working, const std::string& path,
                        const std::string& databaseName, const std::string& code,
                        platform::Prompter& prompter, platform::OutputSet& outputs) {
    if (storeWouldLoseRecords(image, path, databaseName, prompter))
        return StoreResult::Refused;
    pdb::setDatabaseName(image.header, databaseName);
    const DatabaseKind kind = pdb::kindOfName(databaseName);
    if (kind != DatabaseKind::Master) {
        image.designs[0] = designForStorage(working);
        if (kind != DatabaseKind::Default && fieldText(image.designs[0].code).empty()) {
            showError(
                prompter,
                "識別コードが未設定のため保存できません\nMasterPDBファイルを読み込んで下さい。");
            return StoreResult::Refused;
        }
        // An empty database file still gets the design written as its first record.
        if (image.listHeader.iRecNum == 0)
            image.listHeader.iRecNum = 1;
        if (image.designs.size() < 2)
            image.designs.emplace_back();
        return stageOrReport(image, path, prompter, outputs);
    }
    setFieldText(working.code, code);
    std::size_t i = findDesign(image, [&](const std::string& c) { return c == code || c.empty(); });
    if (i < image.heldDesigns()) {
        image.designs[i] = designForStorage(working);
    } else {
        image.designs.back() = designForStorage(working);
        image.designs.emplace_back();  // the new spare
        image.listHeader.iRecNum = static_cast<std::uint16_t>(image.heldDesigns());
    }
    return stageOrReport(image, path, prompter, outputs);
}

bool RemoveDesign(pdb::PdbImage& image, const std::string& path, const std::string& code,
                  platform::Prompter& prompter) {
    pdb::PdbImage loaded = image;
    if (!loadOrReport(loaded, path, prompter))
        return false;
    if (loaded.kind() != DatabaseKind::Master) {
        showError(prompter, "「" + path +
                                "」はマスターデータベースではありません（データベース名「" +
                                platform::toUtf8(pdb::databaseName(loaded.header)) + "」）。");
        return false;
    }
    image = std::move(loaded);
    std::size_t i = findDesign(image, [&](const std::string& c) { return c == code; });
    if (i < image.heldDesigns()) {
        image.designs.erase(image.designs.begin() + std::ptrdiff_t(i));
        image.listHeader.iRecNum = static_cast<std::uint16_t>(image.heldDesigns());
    }
    return writeOrReport(image, path, prompter);
}

}  // namespace editor
