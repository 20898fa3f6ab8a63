#include "converter/dm/dm_attributes.h"

#include "converter/core/module1.h"
#include "platform/cp932.h"
#include "platform/files.h"

namespace dm {

platform::Result<platform::LineSource> openDmFile(const std::string& path) {
    using Opened = platform::Result<platform::LineSource>;
    if (!platform::fileExists(path))
        return Opened::failure("DMファイル「" + path + "」がありません。");
    Opened lines = platform::LineSource::openFile(path, platform::LineEnds::Lf);
    if (!lines)
        return Opened::failure("DMファイル「" + path + "」が読めません（" + lines.error() + "）。");
    return lines;
}

pdb::FeatureAttrRec areaRecord(const AreaBox& area) {
    static const std::string kText1 = platform::toCp932("自動算出代表点");
    pdb::FeatureAttrRec r;
    r.ID = static_cast<std::uint32_t>(area.id);
    r.StatusCode = 3;
    r.SymbolCode = 0;
    r.UserData = 0;
    r.TopLeftX = area.left;
    r.TopLeftY = area.top;
    r.ExtentX = area.width;
    r.ExtentY = area.height;
    pdb::storeText(r.Text1, kText1);
    return r;
}

converter::Outcome attrDMPDBcreateFromLines(const std::string& folder, const std::string& attrName,
                                            int areaCount, platform::LineSource& dmLines,
                                            const std::string& fileName,
                                            const platform::LocalDate& today,
                                            platform::Prompter& prompter,
                                            platform::OutputSet& outputs) {
    std::vector<AreaBox> areas;
    PassResult pass = runAttributePass(dmLines, fileName, areaCount, areas);
    if (!pass.ok) {
        prompter.show(pass.message, kAttrTitle, platform::Icon::Critical, platform::Buttons::Ok);
        return converter::Outcome::Failed;
    }
    std::vector<pdb::FeatureAttrRec> records;
    records.reserve(areas.size());
    for (const AreaBox& a : areas) records.push_back(areaRecord(a));
    std::array<std::uint8_t, 32> name{};
    if (!converter::databaseNameField(attrName, name))
        converter::Module1::showFailure(prompter, "byteConv");
    platform::Status written = converter::stageFeatureAttrDatabase(
        outputs, converter::joinPath(folder, attrName + ".pdb"), name, records, today);
    if (written)
        written = converter::commitOutputs(outputs);
    if (!written) {
        prompter.show(written.error(), kAttrTitle, platform::Icon::Critical, platform::Buttons::Ok);
        return converter::Outcome::Failed;
    }
    prompter.show("属性PDBファイル作成処理が完了しました！( 3 / 3 )", kAttrTitle,
                  platform::Icon::Information, platform::Buttons::Ok);
    return converter::Outcome::Done;
}

converter::Outcome attrDMPDBcreate(const std::string& folder, const std::string& attrName,
                                   int areaCount, const std::string& dmPath,
                                   const platform::LocalDate& today, platform::Prompter& prompter) {
    platform::Result<platform::LineSource> lines = openDmFile(dmPath);
    if (!lines) {
        prompter.show(lines.error(), kAttrTitle, platform::Icon::Critical, platform::Buttons::Ok);
        return converter::Outcome::Failed;
    }
    platform::OutputSet outputs;
    return attrDMPDBcreateFromLines(folder, attrName, areaCount, *lines,
                                    std::string(platform::fileNameOf(dmPath)), today, prompter,
                                    outputs);
}

}  // namespace dm
