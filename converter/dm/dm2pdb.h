#pragma once
// dm2pdb: the create operation of the DM settings form without the form. Turns one DM
// file into a graphic database (folder/BASE_G.pdb) and an attribute database
// (folder/BASE_A.pdb), BASE being the DM file's name up to its first ".", in three stages
// announced by message boxes:
//   "処理を開始します！( 1 / 3 )"                        (title "dm2pdb")
//   "図形PDBファイル作成処理が終了しました！( 2 / 3 )"    (title "dm2pdb")
//   "属性PDBファイル作成処理が完了しました！( 3 / 3 )"    (title "attrDMPDBcreate")
// A broken DM file or a failed write shows an error naming the file (and the line and
// columns) and leaves no half-written database. The two databases are put in place
// together once both are complete, so earlier files of those names survive any failure
// as a pair. A file that is not a DM file (no "M " record) is refused before anything is
// written. A wrong unit code in a later "M " record ends the conversion at that record
// with its message: both databases hold what came before it.
//
// The DM file is read three times, line by line (the estimate, the graphic pass and the
// attribute pass), never held whole: the memory taken does not grow with the file.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "converter/core/conversion.h"
#include "converter/dm/dm_passes.h"
#include "platform/local_date.h"
#include "platform/prompter.h"

namespace dm {

inline constexpr const char* kDmTitle = "dm2pdb";

struct Dm2PdbResult {
    converter::Outcome outcome = converter::Outcome::Failed;
    int areaCount = 0;
    std::size_t estimatedRecords = 0;  // N from the stream estimate of the first pass
    std::size_t graphicRecords = 0;    // N of the graphic database written
    // The graphic pass's account of the element records; accounted once that pass has
    // read the whole file (or up to a wrong unit code in a later "M " record).
    DmAccount account;
    bool accounted = false;
};

// The graphic database file built in memory from DM bytes: header, record list, gap and
// the element stream, ending right after the last element.
struct GraphicImage {
    PassResult pass;  // the graphic pass: its area count
    std::vector<std::uint8_t> file;
    std::size_t records = 0;  // N
};
// Fails with a message when the DM file breaks the format or the stream does not fit in
// 32767 records; overflows and degenerate elements are reported through the prompter.
// A wrong unit code after an earlier sheet ends the image there (pass.stoppedAtSheet).
// Reads dmLines from its current line on.
platform::Result<GraphicImage> buildGraphicImage(
    platform::LineSource& dmLines, const std::string& fileName, const FrameValues& frame,
    const std::array<std::uint8_t, 32>& nameField, std::uint32_t dayStamp,
    platform::Prompter& prompter, const GraphicOptions& options = {});
platform::Result<GraphicImage> buildGraphicImage(
    std::string_view dmBytes, const std::string& fileName, const FrameValues& frame,
    const std::array<std::uint8_t, 32>& nameField, std::uint32_t dayStamp,
    platform::Prompter& prompter, const GraphicOptions& options = {});

// frame: the twelve numbers of the settings form (top-left latitude degrees, minutes,
// tenths of seconds, top-left longitude ..., bottom-right latitude ..., bottom-right
// longitude ...). today: the date of the Palm day stamp. options: circles, arcs and
// annotations drawn too, and the log of the records passed over kept.
Dm2PdbResult dm2pdb(const std::string& dmPath, const std::string& folder,
                    const std::array<double, 12>& frame, const platform::LocalDate& today,
                    platform::Prompter& prompter, const GraphicOptions& options = {});

}  // namespace dm
