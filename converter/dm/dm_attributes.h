#pragma once
// attrDMPDBcreate: the third stage of the DM conversion. Reads the DM file once more and
// writes a converter attribute database with one pdb::FeatureAttrRec per area of the graphic
// database, in the same order, with the area's serial number and box and the text
// "自動算出代表点". Messages carry the title "attrDMPDBcreate".
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "converter/core/conversion.h"
#include "converter/dm/dm_passes.h"
#include "platform/files.h"
#include "platform/line_source.h"
#include "platform/local_date.h"
#include "platform/prompter.h"

namespace dm {

inline constexpr const char* kAttrTitle = "attrDMPDBcreate";

// The attribute record of one area.
pdb::FeatureAttrRec areaRecord(const AreaBox& area);

// Reads the DM file at dmPath and writes folder/attrName.pdb (database name attrName).
// The file must hold exactly areaCount closed areas, the count the graphic stage found.
// Ends with "属性PDBファイル作成処理が完了しました！( 3 / 3 )"; every failure shows an error
// that names the file and writes nothing.
converter::Outcome attrDMPDBcreate(const std::string& folder, const std::string& attrName,
                                   int areaCount, const std::string& dmPath,
                                   const platform::LocalDate& today, platform::Prompter& prompter);

// The same for a DM file already open, read from its current line; fileName names it in
// messages. The database joins the run's other outputs, and the whole set is put in place
// before the closing message; when anything fails, none of them is.
converter::Outcome attrDMPDBcreateFromLines(const std::string& folder, const std::string& attrName,
                                            int areaCount, platform::LineSource& dmLines,
                                            const std::string& fileName,
                                            const platform::LocalDate& today,
                                            platform::Prompter& prompter,
                                            platform::OutputSet& outputs);

// Opens a DM file for reading line by line; fails with a message naming it when it cannot
// be read.
platform::Result<platform::LineSource> openDmFile(const std::string& path);

}  // namespace dm
